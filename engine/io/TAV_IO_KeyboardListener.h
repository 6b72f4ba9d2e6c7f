// TAV_IO_KeyboardListener: what the keyboard dispatcher calls for each key event.
//
// Codes are engine key codes: the character a key produces (modifiers applied, 'A' is 65,
// Escape 27), or the X keysym of a key without a character (F1 is 65470). Listeners are not
// owned by the dispatcher; one that is destroyed must remove itself first. Main thread only.
#pragma once

class TAV_IO_KeyboardListener {
public:
    virtual void keyPressed(int code) = 0;
    virtual void keyReleased(int code) = 0;

protected:
    // Listeners are never deleted through this interface.
    ~TAV_IO_KeyboardListener() = default;
};

// StudioKeys: the studio's keyboard listener. Key presses are queued as they arrive (during
// the engine's event pump, inside a frame) and taken out between frames, where a key may
// seek, which steps the engine and pumps events itself. It follows the Shift keys, so a press
// knows whether Shift was held.
// The queue is a fixed ring; presses beyond its room are dropped (nobody types 64 keys in a
// frame). It must be removed from the keyboard before it is destroyed. Main thread only.
#pragma once

#include "io/TAV_IO_KeyboardListener.h"  // Required for: the listener interface

class StudioKeys : public TAV_IO_KeyboardListener {
public:
    struct Press {
        int code;
        bool shift;
    };

    void keyPressed(int code) override;
    void keyReleased(int code) override;
    // Takes the oldest press out; false when there is none.
    bool next(Press& press);

private:
    static constexpr int CAPACITY = 64;
    Press queue[CAPACITY] = {};
    int first = 0;
    int count = 0;
    bool leftShiftDown = false;
    bool rightShiftDown = false;
};

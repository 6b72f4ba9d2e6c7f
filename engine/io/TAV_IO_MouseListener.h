// TAV_IO_MouseListener: what the mouse dispatcher calls for each button and motion event.
//
// `button` is the X button number (1 left, 2 middle, 3 right, 4 and 5 the wheel); x and y are
// window pixels from the top-left corner. Motion arrives at most once per frame, with the
// last position. Listeners are not owned by the dispatcher; one that is destroyed must remove
// itself first. Main thread only.
#pragma once

class TAV_IO_MouseListener {
public:
    virtual void mouseReleased(int button, int x, int y) = 0;
    virtual void mousePressed(int button, int x, int y) = 0;
    virtual void mouseMoved(int x, int y) = 0;

protected:
    // Listeners are never deleted through this interface.
    ~TAV_IO_MouseListener() = default;
};

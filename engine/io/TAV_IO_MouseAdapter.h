// TAV_IO_MouseAdapter: a mouse listener whose handlers do nothing, so a class can override
// only the events it cares about. It holds no state; registering it with TAV_IO_Mouse
// does not hand over ownership.
#pragma once

#include "io/TAV_IO_MouseListener.h"  // Required for: the interface implemented

class TAV_IO_MouseAdapter : public TAV_IO_MouseListener {
public:
    void mouseReleased(int, int, int) override {}
    void mousePressed(int, int, int) override {}
    void mouseMoved(int, int) override {}

protected:
    ~TAV_IO_MouseAdapter() = default;
};

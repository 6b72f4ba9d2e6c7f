// TAV_IO_KeyboardAdapter: a keyboard listener whose handlers do nothing, so a class can
// override only the events it cares about. It holds no state; registering it with
// TAV_IO_Keyboard does not hand over ownership.
#pragma once

#include "io/TAV_IO_KeyboardListener.h"  // Required for: the interface implemented

class TAV_IO_KeyboardAdapter : public TAV_IO_KeyboardListener {
public:
    void keyPressed(int) override {}
    void keyReleased(int) override {}

protected:
    ~TAV_IO_KeyboardAdapter() = default;
};

#include "StudioKeys.h"

#include <X11/keysym.h>  // Required for: XK_Shift_L, XK_Shift_R (keys without a character)

void StudioKeys::keyPressed(int code)
{
    // Key repeat may send presses of a held Shift again: a state, not a count.
    if (code == XK_Shift_L) {
        leftShiftDown = true;
        return;
    }
    if (code == XK_Shift_R) {
        rightShiftDown = true;
        return;
    }
    if (count == CAPACITY)
        return;
    queue[(first + count) % CAPACITY] = {code, leftShiftDown || rightShiftDown};
    ++count;
}

void StudioKeys::keyReleased(int code)
{
    if (code == XK_Shift_L)
        leftShiftDown = false;
    else if (code == XK_Shift_R)
        rightShiftDown = false;
}

bool StudioKeys::next(Press& press)
{
    if (count == 0)
        return false;
    press = queue[first];
    first = (first + 1) % CAPACITY;
    --count;
    return true;
}

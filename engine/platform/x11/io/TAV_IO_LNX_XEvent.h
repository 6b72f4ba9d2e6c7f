// TAV_IO_LNX_XEvent: the X event pump, run once per frame by the engine's loop.
//
// It drains the window's event queue and turns key events into engine key codes for
// TAV_IO_Keyboard, button and motion events into calls of TAV_IO_Mouse, and a change of the
// window size into a new viewport and projection (TAV_Window::resizeWin), and the window
// manager's close request into the engine's orderly exit, as Escape does. Motion is
// coalesced to one call per pass with the last position; buttons and keys are not.
// Listener code runs inside processEvents. Main thread only.
//
// Xlib defines macros (None, Bool, Status): in tests include <gtest/gtest.h> first.
#pragma once

#include <X11/Xlib.h>  // Required for: XKeyEvent

class TAV_IO_LNX_XEvent {
public:
    // Handles every event queued for TAV_Window::dpy, then dispatches the coalesced motion.
    static void processEvents();

    // The engine key code of a key event: the character it produces with the modifiers of
    // the event applied, as a signed 8-bit value ('q' 113, Shift+q 81, Escape 27), or the
    // keysym of a key without a character (F1 is 65470).
    static int translateKeyCode(XKeyEvent& e);
};

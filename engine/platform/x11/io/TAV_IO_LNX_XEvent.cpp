#include "io/TAV_IO_LNX_XEvent.h"

#include <X11/Xutil.h>  // Required for: XLookupString()

#include "core/TAV_Engine.h"   // Required for: exit() on a close request
#include "core/TAV_Window.h"   // Required for: the display, the window size, resizeWin()
#include "io/TAV_IO_Keyboard.h"
#include "io/TAV_IO_Mouse.h"

void TAV_IO_LNX_XEvent::processEvents()
{
    bool moved = false;
    int lastX = 0;
    int lastY = 0;
    Display* dpy = TAV_Window::dpy;
    if (!dpy)
        return;  // no window (yet, or any more): nothing can have happened
    while (XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        switch (event.type) {
        case KeyPress:
            TAV_IO_Keyboard::getInstance()->keyPressedEvent(translateKeyCode(event.xkey));
            break;
        case KeyRelease:
            TAV_IO_Keyboard::getInstance()->keyReleasedEvent(translateKeyCode(event.xkey));
            break;
        case ButtonPress:
            TAV_IO_Mouse::getInstance()->buttonPressedEvent(int(event.xbutton.button), event.xbutton.x,
                                                            event.xbutton.y);
            break;
        case ButtonRelease:
            TAV_IO_Mouse::getInstance()->buttonReleasedEvent(int(event.xbutton.button), event.xbutton.x,
                                                             event.xbutton.y);
            break;
        case MotionNotify:
            // A moving mouse sends dozens of these per frame; listeners want where it is now.
            moved = true;
            lastX = event.xmotion.x;
            lastY = event.xmotion.y;
            break;
        case ConfigureNotify:
            // A move alone also arrives here and must not rebuild the projection; nor does
            // any change of a window whose frames are drawn off the screen.
            if (TAV_Window::m_target.isActive())
                break;
            if (unsigned(event.xconfigure.width) != TAV_Window::m_width
                || unsigned(event.xconfigure.height) != TAV_Window::m_height) {
                TAV_Window::m_width = unsigned(event.xconfigure.width);
                TAV_Window::m_height = unsigned(event.xconfigure.height);
                TAV_Window::resizeWin();
            }
            break;
        case ClientMessage:
            // The window manager's close button (or `wmctrl -c`): the window registered the
            // delete-window protocol, so the manager asks instead of killing, and the answer
            // is the orderly end, exactly as for Escape.
            if (event.xclient.format == 32 && TAV_Window::m_wmDeleteWindow != None
                && Atom(event.xclient.data.l[0]) == TAV_Window::m_wmDeleteWindow && TAV_Engine::m_instance)
                TAV_Engine::m_instance->exit();
            break;
        default:
            // Expose needs nothing: every frame is drawn anew.
            break;
        }
    }
    if (moved)
        TAV_IO_Mouse::getInstance()->motionEvent(lastX, lastY);
}

int TAV_IO_LNX_XEvent::translateKeyCode(XKeyEvent& e)
{
    char text = 0;
    KeySym keysym = 0;
    XComposeStatus compose;
    XLookupString(&e, &text, 1, &keysym, &compose);
    if (text != 0)
        return int(static_cast<signed char>(text));
    return int(keysym);
}

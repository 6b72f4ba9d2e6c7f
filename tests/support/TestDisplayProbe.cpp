// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include "support/TestDisplayProbe.h"

#include <X11/Xutil.h>                 // Required for: XFetchName()
#include <X11/extensions/xf86vmode.h>  // Required for: XF86VidModeGetModeLine()

namespace {

// The current mode line; all zero without the extension.
XF86VidModeModeLine currentModeLine(Display* dpy)
{
    XF86VidModeModeLine line = {};
    int opcode, event, error, dotClock;
    if (!XQueryExtension(dpy, "XFree86-VidModeExtension", &opcode, &event, &error)
        || !XF86VidModeGetModeLine(dpy, DefaultScreen(dpy), &dotClock, &line))
        return XF86VidModeModeLine{};
    if (line.privsize > 0)
        XFree(line.c_private);
    line.c_private = nullptr;
    return line;
}

}  // namespace

TestDisplayProbe::TestDisplayProbe(const std::string& display)
{
    dpy = XOpenDisplay(display.c_str());
    if (!dpy)
        ADD_FAILURE() << "cannot open display " << display;
}

TestDisplayProbe::~TestDisplayProbe()
{
    if (dpy)
        XCloseDisplay(dpy);
}

int TestDisplayProbe::modeWidth() const
{
    return currentModeLine(dpy).hdisplay;
}

int TestDisplayProbe::modeHeight() const
{
    return currentModeLine(dpy).vdisplay;
}

bool TestDisplayProbe::autoRepeatOn() const
{
    XKeyboardState state;
    XGetKeyboardControl(dpy, &state);
    return state.global_auto_repeat == AutoRepeatModeOn;
}

std::vector<TestDisplayProbe::WindowInfo> TestDisplayProbe::viewableTopLevelWindows() const
{
    std::vector<WindowInfo> result;
    Window root, parent;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count))
        return result;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(dpy, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        WindowInfo info{children[i], attributes.x, attributes.y, attributes.width, attributes.height,
                        attributes.override_redirect != 0, true, std::string()};
        char* name = nullptr;
        if (XFetchName(dpy, children[i], &name) && name) {
            info.name = name;
            XFree(name);
        }
        result.push_back(info);
    }
    if (children)
        XFree(children);
    return result;
}

bool TestDisplayProbe::keyboardGrabbedElsewhere() const
{
    const int result = XGrabKeyboard(dpy, DefaultRootWindow(dpy), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (result == GrabSuccess)
        XUngrabKeyboard(dpy, CurrentTime);
    XSync(dpy, False);
    return result == AlreadyGrabbed;
}

bool TestDisplayProbe::pointerGrabbedElsewhere() const
{
    const int result = XGrabPointer(dpy, DefaultRootWindow(dpy), False, ButtonPressMask, GrabModeAsync,
                                    GrabModeAsync, None, None, CurrentTime);
    if (result == GrabSuccess)
        XUngrabPointer(dpy, CurrentTime);
    XSync(dpy, False);
    return result == AlreadyGrabbed;
}

// Real events through the X server: a second client injects them with XTEST, the engine's
// pump reads them from its own connection, as in the running demo.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent() and friends
#include <X11/keysym.h>

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/TAV_Window.h"
#include "io/TAV_IO_Keyboard.h"
#include "io/TAV_IO_KeyboardAdapter.h"
#include "io/TAV_IO_LNX_XEvent.h"
#include "io/TAV_IO_Mouse.h"
#include "io/TAV_IO_MouseAdapter.h"
#include "support/TestEngine.h"
#include "support/TestXServer.h"

namespace {

using Calls = std::vector<std::string>;

// Records what the pump delivers, keys and mouse in one list.
struct InputLog : TAV_IO_KeyboardAdapter, TAV_IO_MouseAdapter {
    void keyPressed(int code) override { calls.push_back("press " + std::to_string(code)); }
    void keyReleased(int code) override { calls.push_back("release " + std::to_string(code)); }
    void mousePressed(int button, int x, int y) override { record("button", button, x, y); }
    void mouseReleased(int button, int x, int y) override { record("up", button, x, y); }
    void mouseMoved(int x, int y) override { calls.push_back("move " + std::to_string(x) + "," + std::to_string(y)); }
    void record(const char* what, int button, int x, int y)
    {
        calls.push_back(std::string(what) + " " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    Calls calls;
};

// The engine in full screen on Xvfb (keyboard and pointer grabbed by its window), a second
// connection that injects input, and listeners that record what the pump delivers.
class XInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.ok());
        injector = XOpenDisplay(TestXServer::sharedXvfb());
        ASSERT_NE(nullptr, injector);
        int event, error, major, minor;
        ASSERT_TRUE(XTestQueryExtension(injector, &event, &error, &major, &minor));
        TAV_IO_Keyboard::getInstance()->addListener(input);
        TAV_IO_Mouse::getInstance()->addListener(input);
        pump();  // map, expose and the like
        input.calls.clear();
    }

    void TearDown() override
    {
        TAV_IO_Keyboard::getInstance()->removeListener(input);
        TAV_IO_Mouse::getInstance()->removeListener(input);
        EXPECT_EQ(0, TAV_IO_Mouse::getInstance()->getListenerCount());
        if (injector)
            XCloseDisplay(injector);
    }

    // Everything injected so far reaches the engine's queue, then one pass of the pump runs:
    // once the injector's round trip is back, the server has queued the events for the
    // engine's connection, and the engine's own round trip reads them in.
    void pump()
    {
        XSync(injector, False);
        XSync(TAV_Window::dpy, False);
        TAV_IO_LNX_XEvent::processEvents();
    }

    void key(KeySym keysym, bool press)
    {
        XTestFakeKeyEvent(injector, XKeysymToKeycode(injector, keysym), press, CurrentTime);
    }

    void tap(KeySym keysym)
    {
        key(keysym, true);
        key(keysym, false);
    }

    TestEngine engine{{{"FULLSCREEN", "1"}}};
    Display* injector = nullptr;
    InputLog input;
};

// Keys give their character, or their keysym when they make none; buttons come at once in
// queue order; motions coalesce into one move to the last position, after the queue is
// drained, and none when nothing moved.
TEST_F(XInput, EventsArriveInQueueOrderAndMotionsCoalesce)
{
    tap(XK_q);
    key(XK_Shift_L, true);
    tap(XK_q);
    key(XK_Shift_L, false);
    tap(XK_Escape);
    tap(XK_F1);
    XTestFakeMotionEvent(injector, DefaultScreen(injector), 10, 20, CurrentTime);
    XTestFakeButtonEvent(injector, 1, True, CurrentTime);
    XTestFakeButtonEvent(injector, 1, False, CurrentTime);
    XTestFakeButtonEvent(injector, 3, True, CurrentTime);
    for (int i = 0; i < 10; ++i)
        XTestFakeMotionEvent(injector, DefaultScreen(injector), 100 + 7 * i, 200 + 3 * i, CurrentTime);
    XTestFakeButtonEvent(injector, 3, False, CurrentTime);
    pump();
    EXPECT_EQ((Calls{"press 113", "release 113", "press 65505", "press 81", "release 81", "release 65505", "press 27",
                     "release 27", "press 65470", "release 65470", "button 1 10,20", "up 1 10,20", "button 3 10,20",
                     "up 3 163,227", "move 163,227"}),
              input.calls);
    input.calls.clear();
    pump();
    EXPECT_TRUE(input.calls.empty());
}

// A configure event as the window manager or the server would send it.
void sendConfigure(Display* dpy, Window win, int x, int y, int width, int height)
{
    XEvent event = {};
    event.xconfigure.type = ConfigureNotify;
    event.xconfigure.display = dpy;
    event.xconfigure.event = win;
    event.xconfigure.window = win;
    event.xconfigure.x = x;
    event.xconfigure.y = y;
    event.xconfigure.width = width;
    event.xconfigure.height = height;
    XSendEvent(dpy, win, False, StructureNotifyMask, &event);
}

std::vector<GLint> viewport()
{
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    return std::vector<GLint>(v, v + 4);
}

TEST_F(XInput, ResizingTheWindowSetsTheViewportAndAMoveAloneLeavesIt)
{
    XResizeWindow(injector, TAV_Window::win, 640, 480);
    pump();
    EXPECT_EQ(640u, TAV_Window::m_width);
    EXPECT_EQ(480u, TAV_Window::m_height);
    EXPECT_EQ((std::vector<GLint>{0, 0, 640, 480}), viewport());

    glViewport(1, 2, 3, 4);
    sendConfigure(injector, TAV_Window::win, 50, 60, 640, 480);
    pump();
    EXPECT_EQ((std::vector<GLint>{1, 2, 3, 4}), viewport());

    // Height zero: a viewport of height one and a finite projection.
    sendConfigure(injector, TAV_Window::win, 0, 0, 640, 0);
    pump();
    EXPECT_EQ(1u, TAV_Window::m_height);
    // The 4:3 picture that fits is a single pixel, centred.
    EXPECT_EQ((std::vector<GLint>{319, 0, 1, 1}), viewport());
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (GLfloat value : projection)
        EXPECT_TRUE(std::isfinite(value));
    // 45 degrees over the design frame's 4:3: the x scale is cot(22.5) * 3 / 4.
    EXPECT_NEAR(1.0 / std::tan(22.5 * M_PI / 180.0) * 0.75, projection[0], 1e-6);
}

TEST_F(XInput, TheCursorCanBeMovedWithinTheWindowAndHidden)
{
    TAV_Window::setCursorPos(123, 45);
    XSync(TAV_Window::dpy, False);
    Window root, child;
    int rootX, rootY, winX, winY;
    unsigned int mask;
    ASSERT_TRUE(XQueryPointer(injector, TAV_Window::win, &root, &child, &rootX, &rootY, &winX, &winY, &mask));
    EXPECT_EQ(123, winX);
    EXPECT_EQ(45, winY);
    for (bool show : {false, false, true, true}) {
        TAV_Window::showCursor(show);
        EXPECT_EQ(show, TAV_Window::m_showCursor);
    }
}

TEST_F(XInput, AProtocolErrorIsReportedInOneLineAndTheRunGoesOn)
{
    // Xlib's own handler would exit at once, leaving the desktop's mode switched.
    ::testing::internal::CaptureStderr();
    XMapWindow(TAV_Window::dpy, TAV_Window::win + 4096);  // no such window: BadWindow
    XSync(TAV_Window::dpy, False);
    EXPECT_EQ(0u, ::testing::internal::GetCapturedStderr().find("Tavlen: X error: BadWindow"));
    XWindowAttributes attributes;
    EXPECT_TRUE(XGetWindowAttributes(TAV_Window::dpy, TAV_Window::win, &attributes));
}

}  // namespace

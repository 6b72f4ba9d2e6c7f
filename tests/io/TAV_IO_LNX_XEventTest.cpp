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

struct KeyLog : TAV_IO_KeyboardAdapter {
    void keyPressed(int code) override { calls.push_back("press " + std::to_string(code)); }
    void keyReleased(int code) override { calls.push_back("release " + std::to_string(code)); }
    Calls calls;
};

struct MouseLog : TAV_IO_MouseAdapter {
    void mousePressed(int button, int x, int y) override { record("press", button, x, y); }
    void mouseReleased(int button, int x, int y) override { record("release", button, x, y); }
    void mouseMoved(int x, int y) override { calls.push_back("move " + std::to_string(x) + "," + std::to_string(y)); }
    void record(const char* what, int button, int x, int y)
    {
        calls.push_back(std::string(what) + " " + std::to_string(button) + " " + std::to_string(x) + ","
                        + std::to_string(y));
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
        TAV_IO_Keyboard::getInstance()->addListener(keys);
        TAV_IO_Mouse::getInstance()->addListener(mouse);
        pump();  // map, expose and the like
        keys.calls.clear();
        mouse.calls.clear();
    }

    void TearDown() override
    {
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
    KeyLog keys;
    MouseLog mouse;
};

TEST_F(XInput, KeysGiveTheirCharacterOrTheirKeysym)
{
    tap(XK_q);
    key(XK_Shift_L, true);
    tap(XK_q);
    key(XK_Shift_L, false);
    tap(XK_Escape);
    tap(XK_F1);
    pump();
    EXPECT_EQ((Calls{"press 113", "release 113",
                     "press 65505", "press 81", "release 81", "release 65505",
                     "press 27", "release 27",
                     "press 65470", "release 65470"}),
              keys.calls);
}

TEST_F(XInput, TenMotionsInOneFrameGiveOneMoveToTheLastPosition)
{
    for (int i = 0; i < 10; ++i)
        XTestFakeMotionEvent(injector, DefaultScreen(injector), 100 + 7 * i, 200 + 3 * i, CurrentTime);
    pump();
    EXPECT_EQ((Calls{"move 163,227"}), mouse.calls);

    mouse.calls.clear();
    pump();  // nothing moved since: no call
    EXPECT_TRUE(mouse.calls.empty());
}

TEST_F(XInput, ButtonsArriveOneByOneInQueueOrder)
{
    XTestFakeMotionEvent(injector, DefaultScreen(injector), 10, 20, CurrentTime);
    XTestFakeButtonEvent(injector, 1, True, CurrentTime);
    XTestFakeButtonEvent(injector, 1, False, CurrentTime);
    XTestFakeButtonEvent(injector, 3, True, CurrentTime);
    XTestFakeButtonEvent(injector, 3, False, CurrentTime);
    pump();
    // The buttons come at once; the motion, coalesced, after the queue is drained.
    EXPECT_EQ((Calls{"press 1 10,20", "release 1 10,20", "press 3 10,20", "release 3 10,20", "move 10,20"}),
              mouse.calls);
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

TEST_F(XInput, AConfigureEventWithHeightZeroGivesAViewportOfHeightOne)
{
    sendConfigure(injector, TAV_Window::win, 0, 0, 640, 0);
    pump();
    EXPECT_EQ(1u, TAV_Window::m_height);
    // The 4:3 picture that fits is a single pixel, centred.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::vector<GLint>{319, 0, 1, 1}), std::vector<GLint>(viewport, viewport + 4));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (GLfloat value : projection)
        EXPECT_TRUE(std::isfinite(value));
    // 45 degrees over the design frame's 4:3: the x scale is cot(22.5) * 3 / 4.
    EXPECT_NEAR(1.0 / std::tan(22.5 * M_PI / 180.0) * 0.75, projection[0], 1e-6);
}

TEST_F(XInput, AConfigureEventThatOnlyMovesTheWindowLeavesTheViewport)
{
    glViewport(1, 2, 3, 4);
    sendConfigure(injector, TAV_Window::win, 50, 60, int(TAV_Window::m_width), int(TAV_Window::m_height));
    pump();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::vector<GLint>{1, 2, 3, 4}), std::vector<GLint>(viewport, viewport + 4));
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

    EXPECT_TRUE(TAV_Window::m_showCursor);
    TAV_Window::showCursor(false);
    EXPECT_FALSE(TAV_Window::m_showCursor);
    TAV_Window::showCursor(false);  // no change
    TAV_Window::showCursor(true);
    EXPECT_TRUE(TAV_Window::m_showCursor);
}

class XResize : public ::testing::Test {
protected:
    TestEngine engine;  // a normal 800x600 window
};

TEST_F(XResize, ResizingTheWindowSetsTheViewportToTheNewSize)
{
    ASSERT_TRUE(engine.ok());
    Display* other = XOpenDisplay(TestXServer::sharedXvfb());
    ASSERT_NE(nullptr, other);
    XResizeWindow(other, TAV_Window::win, 640, 480);
    XSync(other, False);
    XCloseDisplay(other);
    XSync(TAV_Window::dpy, False);
    TAV_IO_LNX_XEvent::processEvents();
    EXPECT_EQ(640u, TAV_Window::m_width);
    EXPECT_EQ(480u, TAV_Window::m_height);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(640, viewport[2]);
    EXPECT_EQ(480, viewport[3]);
}

}  // namespace

// Full screen on a desktop of two monitors side by side (the dummy Xorg made 2560 x 1024 with
// two RandR monitors, as `xrandr --fb` and `xrandr --setmonitor` make it): the window covers
// one monitor, the picture is centred there, the other monitor is left as it was, and the
// video mode is not switched.
#include <gtest/gtest.h>

#include <X11/Xutil.h>                 // Required for: XGetPixel()
#include <X11/extensions/Xrandr.h>     // Required for: the monitors

#include <cstdlib>
#include <memory>
#include <string>

#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Scene.h"
#include "core/TAV_Window.h"
#include "support/TestDisplayProbe.h"
#include "support/TestEngine.h"
#include "support/TestXServer.h"

namespace {

const int MONITOR_WIDTH_PX = 1280;
const int MONITOR_HEIGHT_PX = 1024;
const unsigned long DESKTOP_BLUE = 0x3060a0;

// Fills the design frame white for one frame, then ends the loop.
class WhiteScene : public TAV_Scene {
public:
    void update(int) override
    {
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        TAV_Engine::getInstance()->exit();
    }
};

// The output the dummy driver drives, which the left monitor shows.
RROutput firstOutput(Display* dpy, Window root)
{
    XRRScreenResources* resources = XRRGetScreenResources(dpy, root);
    RROutput output = (resources && resources->noutput > 0) ? resources->outputs[0] : None;
    XRRFreeScreenResources(resources);
    return output;
}

void setMonitor(Display* dpy, Window root, const char* name, int xPx, bool primary, RROutput output)
{
    XRRMonitorInfo* monitor = XRRAllocateMonitor(dpy, output != None ? 1 : 0);
    monitor->name = XInternAtom(dpy, name, False);
    monitor->primary = primary;
    monitor->x = xPx;
    monitor->y = 0;
    monitor->width = MONITOR_WIDTH_PX;
    monitor->height = MONITOR_HEIGHT_PX;
    monitor->mwidth = 338;
    monitor->mheight = 270;
    if (output != None)
        monitor->outputs[0] = output;
    XRRSetMonitor(dpy, root, monitor);
    XRRFreeMonitors(monitor);
}

struct MonitorCase {
    const char* name;
    bool rightIsPrimary;
    int pointerX;          // where the pointer rests before the start
    int expectedLeftPx;    // the monitor the window must cover
};

TEST(WindowMonitors, FullScreenCoversOneMonitorAndLeavesTheOtherAsItWas)
{
    // Started first: it would take DISPLAY over when a helper asks for it later.
    ASSERT_TRUE(TestXServer::sharedXvfb());
    const MonitorCase cases[] = {
        {"the primary", true, 100, MONITOR_WIDTH_PX},
        // The server lists the right one first; the pointer rests on the left one.
        {"no primary: the pointer's", false, 100, 0},
    };
    for (const MonitorCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestXServer xorg(TestXServer::XORG_DUMMY);
        TestDisplayProbe probe(xorg.display());
        ASSERT_TRUE(probe.ok());
        Display* dpy = probe.display();
        const Window root = DefaultRootWindow(dpy);
        XRRSetScreenSize(dpy, root, 2 * MONITOR_WIDTH_PX, MONITOR_HEIGHT_PX, 676, 270);
        setMonitor(dpy, root, "right", MONITOR_WIDTH_PX, c.rightIsPrimary, None);
        setMonitor(dpy, root, "left", 0, false, firstOutput(dpy, root));
        XWarpPointer(dpy, None, root, 0, 0, 0, 0, c.pointerX, 100);
        XSetWindowBackground(dpy, root, DESKTOP_BLUE);
        XClearWindow(dpy, root);
        XSync(dpy, False);
        int monitorCount = 0;
        XRRFreeMonitors(XRRGetMonitors(dpy, root, True, &monitorCount));
        ASSERT_EQ(2, monitorCount);
        const int desktopModeWidth = probe.modeWidth();

        const std::string display = xorg.display();
        setenv("DISPLAY", display.c_str(), 1);
        TestEngine engine(TestEngine::Settings{{"FULLSCREEN", "1"}});
        ASSERT_TRUE(engine.ok());
        EXPECT_EQ(c.expectedLeftPx, TAV_Window::x);
        EXPECT_EQ(0, TAV_Window::y);
        EXPECT_EQ(unsigned(MONITOR_WIDTH_PX), TAV_Window::m_width);
        EXPECT_EQ(unsigned(MONITOR_HEIGHT_PX), TAV_Window::m_height);
        EXPECT_EQ(desktopModeWidth, probe.modeWidth());
        TAV_RootScene::getInstance()->setSubScene(new WhiteScene());
        TAV_RootScene::getInstance()->swap();
        EXPECT_EQ(0, engine->run());
        XSync(TAV_Window::dpy, False);

        // The whole screen as a person sees it: white 1280 x 960 with 32-pixel black bars on
        // the chosen monitor, the desktop's blue on the other.
        const auto destroyImage = [](XImage* image) { XDestroyImage(image); };
        const std::unique_ptr<XImage, decltype(destroyImage)> screen(
            XGetImage(dpy, root, 0, 0, 2 * MONITOR_WIDTH_PX, MONITOR_HEIGHT_PX, AllPlanes, ZPixmap), destroyImage);
        ASSERT_TRUE(screen);
        const int otherLeftPx = MONITOR_WIDTH_PX - c.expectedLeftPx;
        for (int yPx : {0, 31, 32, 512, 991, 992, 1023}) {
            const bool inPicture = yPx >= 32 && yPx < 992;
            for (int xPx : {0, 640, 1279}) {
                SCOPED_TRACE(testing::Message() << "at " << xPx << ", " << yPx);
                EXPECT_EQ(inPicture ? 0xffffffUL : 0UL, XGetPixel(screen.get(), c.expectedLeftPx + xPx, yPx) & 0xffffff);
                EXPECT_EQ(DESKTOP_BLUE, XGetPixel(screen.get(), otherLeftPx + xPx, yPx) & 0xffffff);
            }
        }
        setenv("DISPLAY", TestXServer::sharedXvfb(), 1);
    }
}

}  // namespace

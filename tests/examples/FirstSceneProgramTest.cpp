// The first_scene program itself, on a private Xvfb: it opens its window through the engine
// and Escape ends it in order.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent()
#include <X11/keysym.h>

#include <string>

#include "support/TestDisplayProbe.h"
#include "support/TestGLContext.h"
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

const int READY_TIMEOUT_MS = 30000;
const int EXIT_TIMEOUT_MS = 20000;

// Counts the pixels of the whole screen that are clearly blue (the octahedron) and clearly
// orange (the cube's checkerboard), as a viewer would see them.
void countSceneColours(Display* dpy, int& bluePx, int& orangePx)
{
    bluePx = orangePx = 0;
    const Window root = DefaultRootWindow(dpy);
    XWindowAttributes size;
    XGetWindowAttributes(dpy, root, &size);
    XImage* image = XGetImage(dpy, root, 0, 0, unsigned(size.width), unsigned(size.height), AllPlanes, ZPixmap);
    if (!image)
        return;
    for (int y = 0; y < size.height; y += 2) {
        for (int x = 0; x < size.width; x += 2) {
            const unsigned long p = XGetPixel(image, x, y);
            const int r = int((p >> 16) & 0xff), g = int((p >> 8) & 0xff), b = int(p & 0xff);
            if (b > 100 && b > r + 60)
                ++bluePx;
            else if (r > 150 && r > b + 100 && g > 80)
                ++orangePx;
        }
    }
    XDestroyImage(image);
}

void tap(Display* dpy, KeySym keysym)
{
    const unsigned int keycode = XKeysymToKeycode(dpy, keysym);
    XTestFakeKeyEvent(dpy, keycode, True, CurrentTime);
    XTestFakeKeyEvent(dpy, keycode, False, CurrentTime);
    XSync(dpy, False);
}

}  // namespace

TEST(FirstSceneProgram, RunsInItsEngineWindowUntilEscape)
{
    // No app.cfg: the engine's defaults, full screen, so the window holds the keyboard.
    TestXServer server(TestXServer::XVFB);
    TestDisplayProbe probe(server.display());
    ASSERT_TRUE(probe.ok());
    TestProcess program(TAVLEN_BINARY_DIR "/examples/first_scene");
    program.setEnv("DISPLAY", server.display());
    program.setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
    program.setWorkDir(tavtest::scratchDir());
    ASSERT_TRUE(program.start()) << program.error();

    // Switching key repeat off is the engine's last start-up step.
    ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return !probe.autoRepeatOn() || !program.running(); },
                                          READY_TIMEOUT_MS));
    ASSERT_TRUE(program.running()) << program.describeEnd() << "\n" << program.stderrText();

    // The frames reach the screen: both objects show.
    int bluePx = 0, orangePx = 0;
    EXPECT_TRUE(TestDisplayProbe::waitFor(
        [&] {
            countSceneColours(probe.display(), bluePx, orangePx);
            return bluePx > 1000 && orangePx > 1000;
        },
        READY_TIMEOUT_MS))
        << bluePx << " blue and " << orangePx << " orange pixels";

    tap(probe.display(), XK_Up);
    tap(probe.display(), XK_Escape);
    ASSERT_TRUE(program.wait(EXIT_TIMEOUT_MS)) << "still running after Escape";
    EXPECT_EQ("exit 0", program.describeEnd());
    EXPECT_EQ("", program.stderrText());
    EXPECT_TRUE(probe.autoRepeatOn());
}

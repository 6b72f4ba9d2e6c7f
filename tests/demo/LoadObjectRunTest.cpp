// The real program, end to end: `tavlen` started as a process on a private X server with
// the real sound layer (OpenAL Soft's null output, or the silent clock where there is no
// audio at all), driven by real key events through XTEST.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/xf86vmode.h>
#include <X11/keysym.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/TestGLContext.h"
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A folder to run tavlen in: data/ from the build (all of it or all but one picture) and
// an app.cfg.
std::string demoFolder(const std::string& name, const std::string& appCfg, const char* leaveOut = nullptr)
{
    const fs::path folder = fs::path(tavtest::scratchDir()) / name;
    fs::create_directories(folder / "data");
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(TAVLEN_BINARY_DIR) / "data"))
        if (!leaveOut || entry.path().filename() != leaveOut)
            fs::create_symlink(entry.path(), folder / "data" / entry.path().filename());
    std::ofstream(folder / "app.cfg") << appCfg;
    return folder.string();
}

// tavlen as a child process in `folder` on `display`, with the null sound output. LD_PRELOAD
// keeps the GL driver mapped at exit, so LeakSanitizer can name its caches.
class DemoProcess : public TestProcess {
public:
    DemoProcess(const std::string& folder, const std::string& display) : TestProcess(TAVLEN_BINARY_DIR "/tavlen")
    {
        setWorkDir(folder);
        setEnv("DISPLAY", display);
        setEnv("ALSOFT_DRIVERS", "null");
        setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
        EXPECT_TRUE(start()) << error();
    }

    // The exit status within `timeoutS` seconds, or -1 on timeout or a signal.
    int exitStatus(double timeoutS) { return wait(int(timeoutS * 1000)) && exited() ? exitCode() : -1; }
};

// A client of the X server under test: readiness probe, key events, desktop state.
class XClient {
public:
    explicit XClient(const std::string& display) : dpy(XOpenDisplay(display.c_str())) {}
    ~XClient()
    {
        if (dpy)
            XCloseDisplay(dpy);
    }
    bool ok() const { return dpy != nullptr; }

    // The demo has its window, grabs included, once keyboard auto-repeat is off: switching it
    // off is the last step of window creation. (Probing with a grab of our own could take
    // the keyboard from under the demo.)
    bool waitUntilRunning(double timeoutS)
    {
        const Clock::time_point start = Clock::now();
        while (secondsSince(start) < timeoutS) {
            if (!autoRepeatOn())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    void pressEscape()
    {
        const KeyCode code = XKeysymToKeycode(dpy, XK_Escape);
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
        XTestFakeKeyEvent(dpy, code, False, CurrentTime);
        XSync(dpy, False);
    }

    bool autoRepeatOn()
    {
        XKeyboardState state = {};
        XGetKeyboardControl(dpy, &state);
        return state.global_auto_repeat == AutoRepeatModeOn;
    }

    // Width and height of the current video mode.
    std::pair<int, int> mode()
    {
        int dotClock = 0;
        XF86VidModeModeLine line = {};
        if (!XF86VidModeGetModeLine(dpy, DefaultScreen(dpy), &dotClock, &line))
            return {0, 0};
        if (line.privsize && line.c_private)
            XFree(line.c_private);
        return {line.hdisplay, line.vdisplay};
    }

private:
    Display* dpy;
};

const char* const kFullScreen800 = "XRES=800\nYRES=600\nFULLSCREEN=1\n";

TEST(LoadObjectRunTest, EscapeThroughTheXServerEndsTheDemoAndRestoresTheDesktop)
{
    TestXServer xorg(TestXServer::XORG_DUMMY);
    XClient x(xorg.display());
    ASSERT_TRUE(x.ok());
    const std::pair<int, int> desktop = x.mode();
    ASSERT_TRUE(x.autoRepeatOn());

    DemoProcess demo(demoFolder("escape-xorg", kFullScreen800), xorg.display());
    ASSERT_TRUE(x.waitUntilRunning(30.0)) << demo.stderrText();
    EXPECT_EQ(x.mode(), std::make_pair(800, 600));  // switched for the demo
    EXPECT_FALSE(x.autoRepeatOn());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    x.pressEscape();
    EXPECT_EQ(demo.exitStatus(10.0), 0) << demo.stderrText();
    EXPECT_EQ(x.mode(), desktop);
    EXPECT_TRUE(x.autoRepeatOn());
}

TEST(LoadObjectRunTest, MissingPictureEndsWith254NamingTheFileAndRestoresTheDesktop)
{
    TestXServer xorg(TestXServer::XORG_DUMMY);
    XClient x(xorg.display());
    ASSERT_TRUE(x.ok());
    const std::pair<int, int> desktop = x.mode();

    DemoProcess demo(demoFolder("missing-xorg", kFullScreen800, "sympa.png"), xorg.display());
    EXPECT_EQ(demo.exitStatus(30.0), 254);
    EXPECT_NE(demo.stderrText().find("data/sympa.png"), std::string::npos) << demo.stderrText();
    EXPECT_EQ(x.mode(), desktop);
    EXPECT_TRUE(x.autoRepeatOn());
}

TEST(LoadObjectRunTest, EscapeDuringThePreRollEndsTheDemoAtOnce)
{
    const std::string display = TestXServer::sharedXvfb();
    XClient x(display);
    ASSERT_TRUE(x.ok());
    DemoProcess demo(demoFolder("escape-preroll", kFullScreen800), display);
    ASSERT_TRUE(x.waitUntilRunning(30.0)) << demo.stderrText();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const Clock::time_point pressed = Clock::now();
    x.pressEscape();
    EXPECT_EQ(demo.exitStatus(10.0), 0) << demo.stderrText();
    EXPECT_LT(secondsSince(pressed), 2.0);
    EXPECT_TRUE(x.autoRepeatOn());
}

TEST(LoadObjectRunTest, EscapeDuringTheMusicEndsTheDemoAtOnce)
{
    const std::string display = TestXServer::sharedXvfb();
    XClient x(display);
    ASSERT_TRUE(x.ok());
    DemoProcess demo(demoFolder("escape-music", kFullScreen800), display);
    ASSERT_TRUE(x.waitUntilRunning(30.0)) << demo.stderrText();
    std::this_thread::sleep_for(std::chrono::milliseconds(8000));  // past the six-second pre-roll
    const Clock::time_point pressed = Clock::now();
    x.pressEscape();
    EXPECT_EQ(demo.exitStatus(10.0), 0) << demo.stderrText();
    EXPECT_LT(secondsSince(pressed), 2.0);
}

TEST(LoadObjectRunTest, PlaysToTheEndAndExitsByItselfAfterAbout73Seconds)
{
    const std::string display = TestXServer::sharedXvfb();
    const Clock::time_point started = Clock::now();
    DemoProcess demo(demoFolder("whole-run", kFullScreen800), display);
    EXPECT_EQ(demo.exitStatus(150.0), 0) << demo.stderrText();
    // 6 s of pre-roll, 52.7 s of music, 14.3 s of closing, plus start-up.
    const double runSeconds = secondsSince(started);
    EXPECT_GT(runSeconds, 72.0);
    EXPECT_LT(runSeconds, 90.0);
    std::printf("whole run: %.1f s\n", runSeconds);
}

}  // namespace

// The tavlen program itself, run on private X servers: what it does to the display while it
// runs, and that every way of ending gives the display back as it was.
//
// Tests that change the video mode or the keyboard auto-repeat each start their own server,
// so parallel test processes never share that state.
#include <gtest/gtest.h>

#include <signal.h>  // Required for: SIGINT, SIGTERM, SIGHUP, SIGQUIT
#include <stdlib.h>  // Required for: mkdtemp()
#include <unistd.h>  // Required for: symlink()

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/TestDisplayProbe.h"
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

const int READY_TIMEOUT_MS = 30000;
const int EXIT_TIMEOUT_MS = 20000;

class Tavlen : public ::testing::Test {
protected:
    void TearDown() override
    {
        tavlen.reset();
        if (!workDir.empty())
            std::system(("rm -rf '" + workDir + "'").c_str());
    }

    // Starts a server of `kind` (with `serverArgs`), then tavlen on it in a fresh folder
    // holding `appCfg` as app.cfg (none when null).
    void startOn(TestXServer::Kind kind, const char* appCfg, const std::vector<std::string>& serverArgs = {})
    {
        server.reset(new TestXServer(kind, serverArgs));
        probe.reset(new TestDisplayProbe(server->display()));
        startTavlen(server->display(), appCfg);
    }

    void startTavlen(const std::string& display, const char* appCfg)
    {
        char pattern[] = "/tmp/tavlen-run-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        workDir = pattern;
        if (appCfg)
            std::ofstream(workDir + "/app.cfg") << appCfg;
        // The demo scene loads its pictures and music from data/ as it starts; the null
        // audio output keeps a machine without sound from saying so on stderr.
        ASSERT_EQ(0, symlink(TAVLEN_BINARY_DIR "/data", (workDir + "/data").c_str()));
        tavlen.reset(new TestProcess(TAVLEN_BINARY_DIR "/tavlen"));
        tavlen->setEnv("DISPLAY", display);
        tavlen->setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
        tavlen->setEnv("ALSOFT_DRIVERS", "null");
        tavlen->setWorkDir(workDir);
        ASSERT_TRUE(tavlen->start()) << tavlen->error();
    }

    // True once tavlen has set up its window: switching auto-repeat off is the last step.
    bool waitUntilRunning()
    {
        const bool ready = TestDisplayProbe::waitFor(
            [this] { return !probe->autoRepeatOn() || !tavlen->running(); }, READY_TIMEOUT_MS);
        if (!ready || !tavlen->running()) {
            ADD_FAILURE() << "tavlen did not come up: " << tavlen->describeEnd() << "\n" << tavlen->stderrText();
            return false;
        }
        return true;
    }

    // Sends `signal` and expects the orderly end: exit status 0, nothing on stderr.
    void expectOrderlyEndOn(int signal)
    {
        ASSERT_TRUE(tavlen->sendSignal(signal));
        ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS)) << "still running after signal " << signal;
        EXPECT_EQ("exit 0", tavlen->describeEnd());
        EXPECT_EQ("", tavlen->stderrText());
    }

    std::unique_ptr<TestXServer> server;
    std::unique_ptr<TestDisplayProbe> probe;
    std::unique_ptr<TestProcess> tavlen;
    std::string workDir;
};

// What tavlen does to the desktop while it runs, for one app.cfg, and that the signal
// that ends it gives the desktop back as it was. The dummy Xorg's desktop mode is 1280x1024;
// Xvfb has no video-mode extension (mode 0x0), where full screen covers the screen as it is
// and nothing may be said about the missing extension.
struct DesktopRun {
    const char* name;
    TestXServer::Kind server;
    const char* appCfg;             // null: no file
    int modeWidth, modeHeight;      // the video mode while it runs
    int windowWidth, windowHeight;  // its one top-level window, at (0, 0) in full screen
    bool fullScreen;                // override-redirect and both grabs, or a managed window
    int signal;
};

void PrintTo(const DesktopRun& run, std::ostream* os) { *os << run.name; }

class TavlenRun : public Tavlen, public ::testing::WithParamInterface<DesktopRun> {};

TEST_P(TavlenRun, ShowsItsWindowAndRestoresTheDesktopOnTheSignal)
{
    const DesktopRun& run = GetParam();
    startOn(run.server, run.appCfg);
    const int desktopWidth = probe->modeWidth(), desktopHeight = probe->modeHeight();
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_EQ(run.modeWidth, probe->modeWidth());
    EXPECT_EQ(run.modeHeight, probe->modeHeight());
    const auto windows = probe->viewableTopLevelWindows();
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ(run.windowWidth, windows[0].width);
    EXPECT_EQ(run.windowHeight, windows[0].height);
    EXPECT_EQ(run.fullScreen, windows[0].overrideRedirect);
    EXPECT_EQ(run.fullScreen, probe->keyboardGrabbedElsewhere());
    EXPECT_EQ(run.fullScreen, probe->pointerGrabbedElsewhere());
    EXPECT_EQ(run.fullScreen ? "" : "Tavlen", windows[0].name);
    EXPECT_EQ(0, windows[0].x * run.fullScreen);
    EXPECT_EQ(0, windows[0].y * run.fullScreen);

    expectOrderlyEndOn(run.signal);
    EXPECT_EQ(desktopWidth, probe->modeWidth());
    EXPECT_EQ(desktopHeight, probe->modeHeight());
    EXPECT_TRUE(probe->autoRepeatOn());
    EXPECT_TRUE(probe->viewableTopLevelWindows().empty());
    EXPECT_FALSE(probe->keyboardGrabbedElsewhere());
    EXPECT_FALSE(probe->pointerGrabbedElsewhere());
}

const TestXServer::Kind XORG = TestXServer::XORG_DUMMY;
INSTANTIATE_TEST_SUITE_P(
    Settings, TavlenRun,
    ::testing::Values(
        DesktopRun{"ConfiguredMode", XORG, "XRES=1024\nYRES=768\nFULLSCREEN=1\n", 1024, 768, 1024, 768, true, SIGTERM},
        // A size no mode offers: the window covers the desktop as it is.
        DesktopRun{"NoSuchMode", XORG, "XRES=1000\nYRES=700\n", 1280, 1024, 1280, 1024, true, SIGHUP},
        DesktopRun{"Windowed", XORG, "FULLSCREEN=0\n", 1280, 1024, 800, 600, false, SIGQUIT},
        DesktopRun{"NoAppCfg", XORG, nullptr, 800, 600, 800, 600, true, SIGINT},
        DesktopRun{"NoVideoModes", TestXServer::XVFB, "XRES=1024\nYRES=768\n", 0, 0, 1280, 1024, true, SIGTERM}),
    [](const ::testing::TestParamInfo<DesktopRun>& info) {
        return std::string(info.param.name) + "_" + sigabbrev_np(info.param.signal);
    });

TEST_F(Tavlen, ADisplayThatCannotBeOpenedEndsWithOneLineAndStatus254)
{
    startTavlen(":64998", nullptr);
    ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS));
    EXPECT_EQ("exit 254", tavlen->describeEnd());
    EXPECT_EQ("tavlen: unable to open X display :64998\n", tavlen->stderrText());
}

TEST_F(Tavlen, ADisplayWithoutOpenGLEndsWithOneLineAndIsLeftAsItWas)
{
    startOn(TestXServer::XVFB, "XRES=1024\nYRES=768\n", {"-extension", "GLX"});
    ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS));
    EXPECT_EQ("exit 254", tavlen->describeEnd());
    EXPECT_EQ("tavlen: no OpenGL: the GLX extension is missing on display " + server->display() + "\n",
              tavlen->stderrText());
    EXPECT_TRUE(probe->autoRepeatOn());
    EXPECT_TRUE(probe->viewableTopLevelWindows().empty());
    EXPECT_FALSE(probe->keyboardGrabbedElsewhere());
}

}  // namespace

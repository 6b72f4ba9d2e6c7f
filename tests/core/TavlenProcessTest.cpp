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

    // Ends tavlen with `signal` on the dummy Xorg and checks the desktop is as it was found:
    // its 1280x1024 mode and keyboard auto-repeat.
    void expectDesktopRestoredAfter(int signal)
    {
        expectOrderlyEndOn(signal);
        EXPECT_EQ(1280, probe->modeWidth());
        EXPECT_EQ(1024, probe->modeHeight());
        EXPECT_TRUE(probe->autoRepeatOn());
    }

    TestDisplayProbe::WindowInfo theWindow()
    {
        const auto windows = probe->viewableTopLevelWindows();
        EXPECT_EQ(1u, windows.size());
        return windows.empty() ? TestDisplayProbe::WindowInfo{} : windows.back();
    }

    std::unique_ptr<TestXServer> server;
    std::unique_ptr<TestDisplayProbe> probe;
    std::unique_ptr<TestProcess> tavlen;
    std::string workDir;
};

TEST_F(Tavlen, FullScreenSwitchesToTheConfiguredModeWithOverrideRedirectAndBothGrabs)
{
    startOn(TestXServer::XORG_DUMMY, "XRES=1024\nYRES=768\nFULLSCREEN=1\n");
    ASSERT_EQ(1280, probe->modeWidth());  // what the desktop had
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_EQ(1024, probe->modeWidth());
    EXPECT_EQ(768, probe->modeHeight());
    const auto window = theWindow();
    EXPECT_EQ(1024, window.width);
    EXPECT_EQ(768, window.height);
    EXPECT_EQ(0, window.x);
    EXPECT_EQ(0, window.y);
    EXPECT_TRUE(window.overrideRedirect);
    EXPECT_TRUE(probe->keyboardGrabbedElsewhere());
    EXPECT_TRUE(probe->pointerGrabbedElsewhere());

    expectDesktopRestoredAfter(SIGTERM);
    EXPECT_TRUE(probe->viewableTopLevelWindows().empty());
    EXPECT_FALSE(probe->keyboardGrabbedElsewhere());
}

TEST_F(Tavlen, AFullScreenSizeThatNoModeOffersTakesTheDesktopSizeWithoutAModeChange)
{
    startOn(TestXServer::XORG_DUMMY, "XRES=1000\nYRES=700\n");
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_EQ(1280, probe->modeWidth());
    EXPECT_EQ(1024, probe->modeHeight());
    const auto window = theWindow();
    EXPECT_EQ(1280, window.width);
    EXPECT_EQ(1024, window.height);
    EXPECT_TRUE(window.overrideRedirect);
    expectDesktopRestoredAfter(SIGTERM);
}

TEST_F(Tavlen, DesktopResolutionCoversTheScreenWithoutAModeChangeThoughTheModeIsOffered)
{
    startOn(TestXServer::XORG_DUMMY, "XRES=1024\nYRES=768\nDESKTOP_RESOLUTION=1\n");
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_EQ(1280, probe->modeWidth());
    EXPECT_EQ(1024, probe->modeHeight());
    const auto window = theWindow();
    EXPECT_EQ(1280, window.width);
    EXPECT_EQ(1024, window.height);
    EXPECT_TRUE(window.overrideRedirect);
    expectDesktopRestoredAfter(SIGTERM);
}

TEST_F(Tavlen, FullscreenZeroGivesAManaged800x600WindowTitledTavlen)
{
    startOn(TestXServer::XORG_DUMMY, "FULLSCREEN=0\n");
    ASSERT_TRUE(waitUntilRunning());
    const auto window = theWindow();
    EXPECT_EQ("Tavlen", window.name);
    EXPECT_EQ(800, window.width);
    EXPECT_EQ(600, window.height);
    EXPECT_FALSE(window.overrideRedirect);
    EXPECT_FALSE(probe->keyboardGrabbedElsewhere());
    EXPECT_EQ(1280, probe->modeWidth());
    expectDesktopRestoredAfter(SIGTERM);
}

TEST_F(Tavlen, WithoutAppCfgItRunsFullScreenAt800x600)
{
    startOn(TestXServer::XORG_DUMMY, nullptr);
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_EQ(800, probe->modeWidth());
    EXPECT_EQ(600, probe->modeHeight());
    const auto window = theWindow();
    EXPECT_EQ(800, window.width);
    EXPECT_EQ(600, window.height);
    EXPECT_TRUE(window.overrideRedirect);
    expectDesktopRestoredAfter(SIGINT);
}

class TavlenSignal : public Tavlen, public ::testing::WithParamInterface<int> {};

TEST_P(TavlenSignal, EndsWithStatusZeroAndRestoresTheDesktopModeAndAutoRepeat)
{
    startOn(TestXServer::XORG_DUMMY, "XRES=1024\nYRES=768\n");
    ASSERT_TRUE(waitUntilRunning());
    ASSERT_EQ(1024, probe->modeWidth());
    ASSERT_FALSE(probe->autoRepeatOn());
    expectDesktopRestoredAfter(GetParam());
}

INSTANTIATE_TEST_SUITE_P(TerminationSignals, TavlenSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
                         });

TEST_F(Tavlen, OnADisplayWithoutTheVideoModeExtensionCoversTheScreenAndSaysNothing)
{
    startOn(TestXServer::XVFB, "XRES=1024\nYRES=768\n");
    ASSERT_TRUE(waitUntilRunning());
    const auto window = theWindow();
    EXPECT_EQ(1280, window.width);
    EXPECT_EQ(1024, window.height);
    EXPECT_TRUE(window.overrideRedirect);
    expectOrderlyEndOn(SIGTERM);  // also: no Xlib warnings about the missing extension
    EXPECT_TRUE(probe->autoRepeatOn());
}

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

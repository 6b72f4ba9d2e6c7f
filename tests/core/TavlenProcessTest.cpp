// The tavlen program itself, run on private X servers: what it does to the display while it
// runs, and that every way of ending gives the display back as it was, also when both of its
// processes are killed at once (the next start repairs it from the note left behind).
//
// Tests that change the video mode or the keyboard auto-repeat each start their own server,
// so parallel test processes never share that state.
#include <gtest/gtest.h>

#include <signal.h>      // Required for: SIGINT, SIGTERM, SIGHUP, SIGQUIT, kill()
#include <stdlib.h>      // Required for: mkdtemp()
#include <sys/prctl.h>   // Required for: PR_SET_CHILD_SUBREAPER
#include <sys/stat.h>    // Required for: mkdir() of an app.cfg that is a folder
#include <sys/wait.h>    // Required for: waitpid() of the orphaned demo
#include <unistd.h>      // Required for: symlink()

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
// As the app.cfg of a run: a folder of that name, which exists but cannot be read.
const char* const APP_CFG_FOLDER = "(a folder)";

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
        startServer(kind, serverArgs);
        startTavlen(server->display(), appCfg);
    }

    void startServer(TestXServer::Kind kind, const std::vector<std::string>& serverArgs = {})
    {
        server.reset(new TestXServer(kind, serverArgs));
        probe.reset(new TestDisplayProbe(server->display()));
    }

    // Key repeat as a user may keep it, before tavlen starts.
    void setAutoRepeat(bool on)
    {
        on ? XAutoRepeatOn(probe->display()) : XAutoRepeatOff(probe->display());
        XSync(probe->display(), False);
    }

    // `programName`, when given, is a link to tavlen in the work folder that it runs under,
    // so that commands which kill by name reach this test's processes only. The work folder
    // stays for a later start of the same test; the notes of the desktop go there too
    // (XDG_RUNTIME_DIR), so a test never finds another's.
    void startTavlen(const std::string& display, const char* appCfg, const std::string& programName = "",
                     const char* environment = nullptr)
    {
        if (workDir.empty()) {
            char pattern[] = "/tmp/tavlen-run-XXXXXX";
            ASSERT_NE(nullptr, mkdtemp(pattern));
            workDir = pattern;
            ASSERT_EQ(0, symlink(TAVLEN_BINARY_DIR "/data", (workDir + "/data").c_str()));
        }
        if (appCfg == APP_CFG_FOLDER)
            ASSERT_EQ(0, mkdir((workDir + "/app.cfg").c_str(), 0700));
        else if (appCfg)
            std::ofstream(workDir + "/app.cfg") << appCfg;
        // The demo scene loads its pictures and music from data/ as it starts; the null
        // audio output keeps a machine without sound from saying so on stderr.
        std::string program = TAVLEN_BINARY_DIR "/tavlen";
        if (!programName.empty()) {
            const std::string link = workDir + "/" + programName;
            ASSERT_TRUE(symlink(program.c_str(), link.c_str()) == 0 || errno == EEXIST);
            program = link;
        }
        tavlen.reset(new TestProcess(program));
        tavlen->setEnv("DISPLAY", display);
        tavlen->setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
        tavlen->setEnv("ALSOFT_DRIVERS", "null");
        tavlen->setEnv("XDG_RUNTIME_DIR", workDir);
        if (environment) {
            const std::string variable = environment;
            tavlen->setEnv(variable.substr(0, variable.find('=')), variable.substr(variable.find('=') + 1));
        }
        tavlen->setWorkDir(workDir);
        ASSERT_TRUE(tavlen->start()) << tavlen->error();
    }

    // True once tavlen has set up its window: switching auto-repeat off is the last step,
    // after the window is shown.
    bool waitUntilRunning()
    {
        const bool ready = TestDisplayProbe::waitFor(
            [this] {
                return (!probe->autoRepeatOn() && !probe->viewableTopLevelWindows().empty()) || !tavlen->running();
            },
            READY_TIMEOUT_MS);
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
    }

    // Where tavlen notes the desktop of the test's server while it runs.
    std::string notePath() const { return workDir + "/tavlen-desktop-" + server->display() + ".0"; }

    // The name of the process the test started: "tavlen-guard" when it is the guardian.
    std::string startedProcessName() const
    {
        std::string name;
        std::ifstream("/proc/" + std::to_string(tavlen->pid()) + "/comm") >> name;
        return name;
    }

    // The demo: the one child of the process the test started (the guardian); -1 if none.
    pid_t demoPid()
    {
        const std::string pid = std::to_string(tavlen->pid());
        pid_t child = -1;
        std::ifstream("/proc/" + pid + "/task/" + pid + "/children") >> child;
        return child;
    }

    // Runs a command on the test's server; its exit status, or -1 when it did not end.
    int runOnServer(const std::string& program, const std::vector<std::string>& args, std::string* output = nullptr)
    {
        TestProcess command(program, args);
        command.setEnv("DISPLAY", server->display());
        if (!command.start() || !command.wait(EXIT_TIMEOUT_MS))
            return -1;
        if (output)
            *output = command.stdoutText();
        return command.exitCode();
    }

    std::unique_ptr<TestXServer> server;
    std::unique_ptr<TestDisplayProbe> probe;
    std::unique_ptr<TestProcess> tavlen;
    std::string workDir;
};

// What tavlen does to the desktop while it runs, for one app.cfg, and that the signal
// that ends it gives the desktop back as it was: key repeat too as the user had it, on or
// off. The dummy Xorg's desktop mode is 1280x1024; Xvfb has no video-mode extension (mode
// 0x0), where full screen covers the screen as it is and nothing may be said about the
// missing extension. The desktop is noted in a file while the run goes on.
struct DesktopRun {
    const char* name;
    TestXServer::Kind server;
    const char* appCfg;             // null: no file
    int modeWidth, modeHeight;      // the video mode while it runs
    int windowWidth, windowHeight;  // its one top-level window, at (0, 0) in full screen
    bool fullScreen;                // override-redirect and both grabs, or a managed window
    int signal;
    const char* environment = nullptr;  // NAME=value for tavlen
    bool autoRepeatBefore = true;
    std::vector<std::string> said = {};  // what stderr holds, in this order; nothing when empty
};

void PrintTo(const DesktopRun& run, std::ostream* os) { *os << run.name; }

class TavlenRun : public Tavlen, public ::testing::WithParamInterface<DesktopRun> {};

TEST_P(TavlenRun, ShowsItsWindowAndRestoresTheDesktopOnTheSignal)
{
    const DesktopRun& run = GetParam();
    startServer(run.server);
    setAutoRepeat(run.autoRepeatBefore);
    const int desktopWidth = probe->modeWidth(), desktopHeight = probe->modeHeight();
    startTavlen(server->display(), run.appCfg, "", run.environment);
    ASSERT_TRUE(waitUntilRunning());
    const bool guarded = run.environment == nullptr || std::string(run.environment) != "TAVLEN_GUARDIAN=0";
    EXPECT_EQ(guarded ? "tavlen-guard" : "tavlen", startedProcessName());
    EXPECT_EQ(guarded, demoPid() > 0);
    EXPECT_EQ(0, access(notePath().c_str(), F_OK)) << notePath();
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
    EXPECT_EQ(run.autoRepeatBefore, probe->autoRepeatOn());
    EXPECT_NE(0, access(notePath().c_str(), F_OK)) << "the note is left after the desktop came back";
    const std::string said = tavlen->stderrText();
    size_t at = 0;
    for (const std::string& text : run.said) {
        at = said.find(text, at);
        EXPECT_NE(std::string::npos, at) << "stderr lacks \"" << text << "\" in its place:\n" << said;
    }
    EXPECT_EQ(run.said.empty(), said.empty()) << said;
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
        DesktopRun{"NoVideoModes", TestXServer::XVFB, "XRES=1024\nYRES=768\n", 0, 0, 1280, 1024, true, SIGTERM},
        // The desktop's own resolution: no mode change, though 1024x768 is offered.
        DesktopRun{"DesktopResolution", XORG, "XRES=1024\nYRES=768\nDESKTOP_RESOLUTION=1\n", 1280, 1024, 1280, 1024, true,
                   SIGTERM},
        // A user who keeps key repeat off keeps it off.
        DesktopRun{"KeyRepeatOff", XORG, "XRES=1024\nYRES=768\n", 1024, 768, 1024, 768, true, SIGTERM, nullptr, false},
        // No guardian: the one process is the demo, which notes the desktop itself.
        DesktopRun{"NoGuardian", XORG, nullptr, 800, 600, 800, 600, true, SIGTERM, "TAVLEN_GUARDIAN=0"},
        // The log's lines on stderr; only VSYNC=0 turns waiting for the refresh off.
        DesktopRun{"LogToStderr", TestXServer::XVFB, "FULLSCREEN=0\nVSYNC=abc\n", 0, 0, 800, 600, false, SIGTERM,
                   "TAVLEN_LOG=stderr", true,
                   {"/*Swap control: ", "(VSYNC on)\n", ">>>Tavlen Engine started\n", "/*Frame copies: ",
                    ">>>Tavlen Engine deleted\n"}},
        // Settings that cannot be read: said in one line, and the defaults apply.
        DesktopRun{"UnreadableAppCfg", TestXServer::XVFB, APP_CFG_FOLDER, 0, 0, 1280, 1024, true, SIGTERM, nullptr, true,
                   {"tavlen: /tmp/tavlen-run-", "/app.cfg cannot be read (Is a directory); the default settings apply\n"}}),
    [](const ::testing::TestParamInfo<DesktopRun>& info) {
        return std::string(info.param.name) + "_" + sigabbrev_np(info.param.signal);
    });

// The ways a demo dies that no code of its own can answer, what the guardian (the process
// the shell started) ends with, and the line it says on stderr ("" for none at all).
enum class Killer { PKILL, SIGNAL_TO_DEMO, XKILL, KILL_GUARDIAN };
struct Death {
    const char* name;
    Killer killer;
    int signal;
    const char* end;
    const char* line;
    bool autoRepeatBefore = true;
};

void PrintTo(const Death& death, std::ostream* os)
{
    *os << death.name;
}

class TavlenDeath : public Tavlen, public ::testing::WithParamInterface<Death> {};

TEST_P(TavlenDeath, TheDesktopComesBackAndTheStatusIsWhatAShellExpects)
{
    const Death& death = GetParam();
    // The demo orphaned by KILL_GUARDIAN comes to this process, which reads its status.
    ASSERT_EQ(0, prctl(PR_SET_CHILD_SUBREAPER, 1));
    // Under AddressSanitizer the demo must die of the signal itself, not exit after a report.
    const char* asanOptions = getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asanOptions ? asanOptions : "") + ":handle_segv=0:handle_sigbus=0").c_str(), 1);
    const std::string name = "tavlen" + std::to_string(getpid() % 100000);
    startServer(TestXServer::XORG_DUMMY);
    setAutoRepeat(death.autoRepeatBefore);
    startTavlen(server->display(), nullptr, name);
    ASSERT_TRUE(waitUntilRunning());
    ASSERT_EQ(800, probe->modeWidth());
    const pid_t demo = demoPid();
    ASSERT_GT(demo, 0);

    if (death.killer == Killer::PKILL)  // as a user types it: the guardian must not match
        ASSERT_EQ(0, runOnServer("/usr/bin/pkill", {"-9", "-x", name}));
    else if (death.killer == Killer::SIGNAL_TO_DEMO)
        ASSERT_EQ(0, kill(demo, death.signal));
    else if (death.killer == Killer::XKILL)
        ASSERT_EQ(0, runOnServer("/usr/bin/xkill", {"-id", std::to_string(probe->viewableTopLevelWindows().back().id)}));
    else
        ASSERT_TRUE(tavlen->sendSignal(SIGKILL));
    ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS));
    EXPECT_EQ(death.end, tavlen->describeEnd());
    const std::string said = tavlen->stderrText();
    const std::string line = death.line;
    EXPECT_TRUE(line.empty() ? said.empty() : said.size() >= line.size() && said.substr(said.size() - line.size()) == line)
        << said;

    // The demo is gone too; left alone, it ended in order.
    int demoStatus = -1;
    EXPECT_TRUE(TestDisplayProbe::waitFor([&] { return waitpid(demo, &demoStatus, WNOHANG) != 0; }, EXIT_TIMEOUT_MS));
    if (death.killer == Killer::KILL_GUARDIAN) {
        EXPECT_TRUE(WIFEXITED(demoStatus) && WEXITSTATUS(demoStatus) == 0) << "demo status " << demoStatus;
    }
    EXPECT_EQ(1280, probe->modeWidth());
    EXPECT_EQ(1024, probe->modeHeight());
    EXPECT_EQ(death.autoRepeatBefore, probe->autoRepeatOn());
    EXPECT_NE(0, access(notePath().c_str(), F_OK)) << "the note is left after the desktop came back";
}

#define RESTORED "the desktop's video mode and key repeat are restored\n"
INSTANTIATE_TEST_SUITE_P(
    WaysToDie, TavlenDeath,
    ::testing::Values(
        Death{"pkill9", Killer::PKILL, 0, "exit 137", "tavlen: the demo ended by signal 9 (Killed); " RESTORED},
        Death{"pkill9KeyRepeatOff", Killer::PKILL, 0, "exit 137", "tavlen: the demo ended by signal 9 (Killed); " RESTORED,
              false},
        Death{"SEGV", Killer::SIGNAL_TO_DEMO, SIGSEGV, "exit 139",
              "tavlen: the demo ended by signal 11 (Segmentation fault); " RESTORED},
        Death{"BUS", Killer::SIGNAL_TO_DEMO, SIGBUS, "exit 135", "tavlen: the demo ended by signal 7 (Bus error); " RESTORED},
        // Xlib ends a program whose connection is closed with status 1, after a line of its own.
        Death{"xkill", Killer::XKILL, 0, "exit 1",
              "tavlen: the demo ended with status 1 without giving the display back; " RESTORED},
        Death{"guardianKilled", Killer::KILL_GUARDIAN, 0, "signal 9", ""}),
    [](const ::testing::TestParamInfo<Death>& info) { return std::string(info.param.name); });
#undef RESTORED

// Both processes killed at once (`pkill -9 -f tavlen`, the whole session killed) leave the
// desktop changed, with its note. The next start gives that desktop back first, and notes it
// as it was, not as the killed run left it: when this run's demo dies in turn, the guardian
// restores the desktop's own mode and key repeat.
TEST_F(Tavlen, BothProcessesKilledAtOnceAreRepairedByTheNextStart)
{
    ASSERT_EQ(0, prctl(PR_SET_CHILD_SUBREAPER, 1));  // the orphaned demo is reaped here
    startServer(TestXServer::XORG_DUMMY);
    startTavlen(server->display(), nullptr);
    ASSERT_TRUE(waitUntilRunning());
    const pid_t demo = demoPid();
    ASSERT_GT(demo, 0);
    // Stopped first, so that neither sees the other die: as one SIGKILL to the process group.
    ASSERT_EQ(0, kill(tavlen->pid(), SIGSTOP));
    ASSERT_EQ(0, kill(demo, SIGSTOP));
    ASSERT_EQ(0, kill(demo, SIGKILL));
    ASSERT_EQ(0, kill(tavlen->pid(), SIGKILL));
    ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS));
    EXPECT_EQ(demo, waitpid(demo, nullptr, 0));
    EXPECT_EQ(800, probe->modeWidth());
    EXPECT_FALSE(probe->autoRepeatOn());
    EXPECT_EQ(0, access(notePath().c_str(), F_OK)) << "no note left behind";

    startTavlen(server->display(), nullptr);
    ASSERT_TRUE(waitUntilRunning());
    const pid_t nextDemo = demoPid();
    ASSERT_GT(nextDemo, 0);
    ASSERT_EQ(0, kill(nextDemo, SIGKILL));
    ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS));
    EXPECT_EQ("exit 137", tavlen->describeEnd());
    EXPECT_EQ("tavlen: a run on " + server->display()
                  + " was killed before it gave the desktop back; the desktop's video mode and key repeat are restored\n"
                  + "tavlen: the demo ended by signal 9 (Killed); the desktop's video mode and key repeat are restored\n",
              tavlen->stderrText());
    EXPECT_EQ(1280, probe->modeWidth());
    EXPECT_EQ(1024, probe->modeHeight());
    EXPECT_TRUE(probe->autoRepeatOn());
    EXPECT_NE(0, access(notePath().c_str(), F_OK));
}

TEST_F(Tavlen, TheWindowManagersCloseRequestEndsTheWindowedDemoInOrder)
{
    server.reset(new TestXServer(TestXServer::XVFB));
    probe.reset(new TestDisplayProbe(server->display()));
    TestProcess openbox("/usr/bin/openbox", {"--sm-disable"});
    openbox.setEnv("DISPLAY", server->display());
    ASSERT_TRUE(openbox.start());
    ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return runOnServer("/usr/bin/wmctrl", {"-m"}) == 0; }, READY_TIMEOUT_MS));
    startTavlen(server->display(), "FULLSCREEN=0\n");
    ASSERT_TRUE(waitUntilRunning());
    std::string windows;
    ASSERT_TRUE(TestDisplayProbe::waitFor(
        [&] { return runOnServer("/usr/bin/wmctrl", {"-l"}, &windows) == 0 && windows.find("Tavlen") != std::string::npos; },
        READY_TIMEOUT_MS));

    ASSERT_EQ(0, runOnServer("/usr/bin/wmctrl", {"-c", "Tavlen"}));
    ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS)) << "the close request was ignored";
    EXPECT_EQ("exit 0", tavlen->describeEnd());
    EXPECT_EQ("", tavlen->stderrText());
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

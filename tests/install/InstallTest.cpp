// The installed demo: `cmake --install` of this build into a scratch prefix gives the two
// layouts (the system one and the portable one), and the installed launcher plays the demo
// from a user's home folder, in a folder of the user's own, on a private Xvfb.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent()
#include <X11/keysym.h>
#include <dirent.h>  // Required for: scandir()
#include <stdlib.h>  // Required for: realpath(), free()
#include <unistd.h>  // Required for: access()

#include <cstdio>  // Required for: std::rename
#include <filesystem>  // Required for: create_directories()
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestDisplayProbe.h"
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

const int WAIT_TIMEOUT_MS = 60000;

std::string readFile(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

int filesIn(const std::string& dir)
{
    dirent** entries = nullptr;
    const int count = scandir(dir.c_str(), &entries, [](const dirent* e) { return e->d_name[0] != '.' ? 1 : 0; }, nullptr);
    for (int i = 0; i < count; ++i)
        free(entries[i]);
    free(entries);
    return count;
}

// Runs `process` to its end; its exit status, or -1.
int runToEnd(TestProcess& process)
{
    return process.start() && process.wait(WAIT_TIMEOUT_MS) ? process.exitCode() : -1;
}

// Installs this build's `component` ("" for the default install) under a fresh prefix, and
// gives the prefix with its symbolic links resolved, as the launcher names paths.
std::string installed(const std::string& name, const std::string& component)
{
    const std::string prefix = tavtest::scratchDir() + "/" + name;
    std::vector<std::string> args = {"--install", TAVLEN_BINARY_DIR, "--prefix", prefix};
    if (!component.empty())
        args.insert(args.end(), {"--component", component});
    TestProcess install(TAVLEN_CMAKE_COMMAND, args);
    EXPECT_EQ(0, runToEnd(install)) << install.stdoutText() << install.stderrText();
    char* resolved = realpath(prefix.c_str(), nullptr);
    const std::string result = resolved ? resolved : prefix;
    free(resolved);
    return result;
}

}  // namespace

TEST(Install, BothLayoutsHoldTheProgramTheWholeDataAndTheDefaultSettings)
{
    struct Layout {
        const char* component;
        std::vector<const char*> programs;
        std::vector<const char*> files;
        const char* dataDir;
        const char* appCfg;
    };
    const Layout layouts[] = {
        {"", {"bin/tavlen", "lib/tavlen/tavlen"},
         {"share/applications/tavlen.desktop", "share/man/man6/tavlen.6",
          "share/icons/hicolor/16x16/apps/tavlen.png", "share/icons/hicolor/256x256/apps/tavlen.png"},
         "share/tavlen/data", "share/tavlen/app.cfg"},
        {"portable", {"tavlen"}, {}, "data", "app.cfg"},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(*layout.component ? layout.component : "default");
        const std::string prefix = installed(std::string("tree-") + layout.component, layout.component);
        for (const char* program : layout.programs)
            EXPECT_EQ(0, access((prefix + "/" + program).c_str(), X_OK)) << program;
        for (const char* file : layout.files)
            EXPECT_EQ(0, access((prefix + "/" + file).c_str(), R_OK)) << file;
        EXPECT_EQ("XRES=800\nYRES=600\nFULLSCREEN=1\n", readFile(prefix + "/" + layout.appCfg));
        EXPECT_EQ(24, filesIn(prefix + "/" + layout.dataDir));
    }
    TestProcess validate("/usr/bin/desktop-file-validate", {tavtest::scratchDir() + "/tree-/share/applications/tavlen.desktop"});
    EXPECT_EQ(0, runToEnd(validate));
    EXPECT_EQ("", validate.stdoutText() + validate.stderrText());
}

TEST(Install, TheLauncherPlaysInTheUsersOwnFolderAndSaysWhenTheInstallIsBroken)
{
    const std::string prefix = installed("launcher", "");
    const std::string home = tavtest::scratchDir() + "/home";
    ASSERT_TRUE(std::filesystem::create_directories(home));
    TestXServer server(TestXServer::XVFB);
    TestDisplayProbe probe(server.display());
    ASSERT_TRUE(probe.ok());
    auto launcher = [&] {
        std::unique_ptr<TestProcess> process(new TestProcess(prefix + "/bin/tavlen"));
        process->setEnv("HOME", home);
        process->setEnv("XDG_CONFIG_HOME", "");  // empty counts as unset
        process->setEnv("DISPLAY", server.display());
        process->setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
        process->setEnv("ALSOFT_DRIVERS", "null");
        process->setWorkDir(home);
        return process;
    };

    // The first run makes ~/.config/tavlen and plays full screen by default; the second
    // reads the FULLSCREEN=0 written there and opens a normal window.
    for (const bool fullScreen : {true, false}) {
        SCOPED_TRACE(fullScreen ? "first run" : "second run");
        const std::unique_ptr<TestProcess> tavlen = launcher();
        ASSERT_TRUE(tavlen->start()) << tavlen->error();
        // Switching key repeat off is the engine's last start-up step.
        ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return !probe.autoRepeatOn() || !tavlen->running(); },
                                              WAIT_TIMEOUT_MS));
        ASSERT_TRUE(tavlen->running()) << tavlen->describeEnd() << "\n" << tavlen->stderrText();
        const auto windows = probe.viewableTopLevelWindows();
        ASSERT_EQ(1u, windows.size());
        EXPECT_EQ(fullScreen, windows[0].overrideRedirect);

        const KeyCode escape = XKeysymToKeycode(probe.display(), XK_Escape);
        XTestFakeKeyEvent(probe.display(), escape, True, CurrentTime);
        XTestFakeKeyEvent(probe.display(), escape, False, CurrentTime);
        XSync(probe.display(), False);
        ASSERT_TRUE(tavlen->wait(WAIT_TIMEOUT_MS)) << "still running after Escape";
        EXPECT_EQ("exit 0", tavlen->describeEnd());
        EXPECT_EQ("", tavlen->stderrText());  // no "unable to open file"
        EXPECT_EQ(std::string("XRES=800\nYRES=600\nFULLSCREEN=") + (fullScreen ? "1\n" : "0\n"),
                  readFile(home + "/.config/tavlen/app.cfg"));
        std::ofstream(home + "/.config/tavlen/app.cfg") << "XRES=800\nYRES=600\nFULLSCREEN=0\n";
    }

    // Without its data the launcher names the folder it looked in and starts nothing.
    ASSERT_EQ(0, std::rename((prefix + "/share/tavlen/data").c_str(), (prefix + "/share/tavlen/moved").c_str()));
    const std::unique_ptr<TestProcess> broken = launcher();
    EXPECT_EQ(1, runToEnd(*broken));
    EXPECT_EQ("tavlen: broken install: no pictures and music at " + prefix + "/share/tavlen/data\n",
              broken->stderrText());
}

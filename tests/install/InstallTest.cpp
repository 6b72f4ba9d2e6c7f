// The installed demo: `cmake --install` of this build into a scratch prefix gives the three
// layouts (the usual one, Debian's games layout of the package, the portable one), the
// package passes Debian's checks (lintian), and the installed launcher plays the demo from a
// user's home folder, in a folder of the user's own, on a private Xvfb.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent()
#include <X11/keysym.h>
#include <dirent.h>  // Required for: scandir()
#include <stdlib.h>  // Required for: realpath(), free()
#include <unistd.h>  // Required for: access()

#include <cstdio>  // Required for: std::rename
#include <filesystem>  // Required for: create_directories(), directory_iterator
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
// Packaging strips the program, asks dpkg-shlibdeps for its dependencies and has lintian
// unpack it all: a minute's work on a busy machine.
const int PACKAGE_TIMEOUT_MS = 240000;

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
int runToEnd(TestProcess& process, int timeoutMs = WAIT_TIMEOUT_MS)
{
    return process.start() && process.wait(timeoutMs) ? process.exitCode() : -1;
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

TEST(Install, EveryLayoutPutsProgramDataAndSettingsWhereItsLauncherLooks)
{
    struct Layout {
        const char* component;
        const char* launcher;  // "" for none
        const char* program;
        const char* dataDir;
        const char* appCfg;
    };
    const Layout layouts[] = {
        {"", "bin/tavlen", "lib/tavlen/tavlen", "share/tavlen/data", "share/tavlen/app.cfg"},
        {"games", "games/tavlen", "lib/games/tavlen/tavlen", "share/games/tavlen/data", "share/games/tavlen/app.cfg"},
        {"portable", "", "tavlen", "data", "app.cfg"},
    };
    // What both system layouts share: the menu entry, the icons and the documents.
    const char* const sharedFiles[] = {"share/applications/tavlen.desktop", "share/icons/hicolor/16x16/apps/tavlen.png",
                                       "share/icons/hicolor/256x256/apps/tavlen.png", "share/doc/tavlen/copyright"};
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(*layout.component ? layout.component : "default");
        const std::string prefix = installed(std::string("tree-") + layout.component, layout.component);
        EXPECT_EQ(0, access((prefix + "/" + layout.program).c_str(), X_OK)) << layout.program;
        EXPECT_EQ("XRES=800\nYRES=600\nFULLSCREEN=1\n", readFile(prefix + "/" + layout.appCfg));
        EXPECT_EQ(24, filesIn(prefix + "/" + layout.dataDir));
        if (!*layout.launcher)
            continue;
        for (const char* file : sharedFiles)
            EXPECT_EQ(0, access((prefix + "/" + file).c_str(), R_OK)) << file;
        // Compressed without gzip's name and time, so two builds give the same bytes.
        const std::string plainGzipHeader("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);
        for (const char* packed : {"share/man/man6/tavlen.6.gz", "share/doc/tavlen/changelog.gz"})
            EXPECT_EQ(plainGzipHeader, readFile(prefix + "/" + packed).substr(0, 8)) << packed;
        // With no display the launcher gets as far as the demo, which fails to open one: it
        // found the program and the pictures where this layout put them.
        TestProcess launcher(prefix + "/" + layout.launcher);
        launcher.setEnv("HOME", tavtest::scratchDir() + "/home-" + layout.component);
        launcher.setEnv("XDG_CONFIG_HOME", "");
        launcher.setEnv("DISPLAY", "");
        launcher.setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
        EXPECT_EQ(254, runToEnd(launcher)) << launcher.stderrText();
        EXPECT_NE(std::string::npos, launcher.stderrText().find("X display")) << launcher.stderrText();
    }
    TestProcess validate("/usr/bin/desktop-file-validate", {tavtest::scratchDir() + "/tree-/share/applications/tavlen.desktop"});
    EXPECT_EQ(0, runToEnd(validate));
    EXPECT_EQ("", validate.stdoutText() + validate.stderrText());
}

// The .deb as `cpack -G DEB` makes it, checked by Debian's own tool with its default profile:
// no error and no warning. (cpack first brings the build up to date, as it always does.)
TEST(Install, TheDebianPackagePassesLintian)
{
    const std::string packageDir = tavtest::scratchDir() + "/deb";
    TestProcess cpack(TAVLEN_CPACK_COMMAND,
                      {"--config", std::string(TAVLEN_BINARY_DIR) + "/CPackConfig.cmake", "-G", "DEB", "-B", packageDir});
    ASSERT_EQ(0, runToEnd(cpack, PACKAGE_TIMEOUT_MS)) << cpack.stdoutText() << cpack.stderrText();
    std::vector<std::string> packages;
    for (const auto& entry : std::filesystem::directory_iterator(packageDir)) {
        if (entry.path().extension() == ".deb")
            packages.push_back(entry.path());
    }
    ASSERT_EQ(1u, packages.size()) << cpack.stdoutText();
    TestProcess lintian("/usr/bin/lintian", {packages[0]});
    EXPECT_EQ(0, runToEnd(lintian, PACKAGE_TIMEOUT_MS)) << lintian.stderrText();
    EXPECT_EQ("", lintian.stdoutText());
}

// The package's layout; the launcher is the same script in every layout.
TEST(Install, TheLauncherPlaysInTheUsersOwnFolderAndSaysWhenTheInstallIsBroken)
{
    const std::string prefix = installed("launcher", "games");
    const std::string home = tavtest::scratchDir() + "/home";
    ASSERT_TRUE(std::filesystem::create_directories(home));
    TestXServer server(TestXServer::XVFB);
    TestDisplayProbe probe(server.display());
    ASSERT_TRUE(probe.ok());
    auto launcher = [&] {
        std::unique_ptr<TestProcess> process(new TestProcess(prefix + "/games/tavlen"));
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
    const std::string data = prefix + "/share/games/tavlen/data";
    ASSERT_EQ(0, std::rename(data.c_str(), (data + "-moved").c_str()));
    const std::unique_ptr<TestProcess> broken = launcher();
    EXPECT_EQ(1, runToEnd(*broken));
    EXPECT_EQ("tavlen: broken install: no pictures and music at " + data + "\n", broken->stderrText());
}

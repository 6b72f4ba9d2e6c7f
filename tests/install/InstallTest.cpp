// The installed demo: `cmake --install` of this build into a scratch prefix gives the two
// layouts (the system one and the portable one), and the installed launcher plays the demo
// from a user's home folder, in a folder of the user's own, on a private Xvfb.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent()
#include <X11/keysym.h>
#include <dirent.h>    // Required for: opendir(), readdir()
#include <stdlib.h>    // Required for: realpath()
#include <sys/stat.h>  // Required for: stat()
#include <unistd.h>    // Required for: access()

#include <cstdio>   // Required for: std::rename
#include <cstdlib>  // Required for: free()
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestDisplayProbe.h"
#include "support/TestFiles.h"  // Required for: tavtest::makeDirectories()
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

const int INSTALL_TIMEOUT_MS = 60000;
const int READY_TIMEOUT_MS = 30000;
const int EXIT_TIMEOUT_MS = 20000;

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        closedir(d);
    }
    return names;
}

long sizeOf(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? long(info.st_size) : -1;
}

// Runs `program` to its end; its stdout and stderr go to `output`. The exit status, or -1.
int runToEnd(const std::string& program, const std::vector<std::string>& args, std::string* output = nullptr)
{
    TestProcess process(program, args);
    if (!process.start() || !process.wait(INSTALL_TIMEOUT_MS))
        return -1;
    if (output)
        *output = process.stdoutText() + process.stderrText();
    return process.exitCode();
}

// Installs this build's `component` ("" for the default install) under a fresh prefix.
std::string installed(const std::string& name, const std::string& component)
{
    const std::string prefix = tavtest::scratchDir() + "/" + name;
    std::vector<std::string> args = {"--install", TAVLEN_BINARY_DIR, "--prefix", prefix};
    if (!component.empty())
        args.insert(args.end(), {"--component", component});
    std::string output;
    EXPECT_EQ(0, runToEnd(TAVLEN_CMAKE_COMMAND, args, &output)) << output;
    return prefix;
}

}  // namespace

TEST(Install, BothLayoutsHoldTheProgramTheWholeDataAndTheDefaultSettings)
{
    struct Layout {
        const char* component;
        std::vector<const char*> programs;  // executable
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
            EXPECT_GT(sizeOf(prefix + "/" + file), 0) << file;
        EXPECT_EQ("XRES=800\nYRES=600\nFULLSCREEN=1\n", readFile(prefix + "/" + layout.appCfg));
        const std::vector<std::string> built = filesIn(TAVLEN_BINARY_DIR "/data");
        EXPECT_EQ(24u, built.size());
        EXPECT_EQ(built.size(), filesIn(prefix + "/" + layout.dataDir).size());
        for (const std::string& name : built)
            EXPECT_EQ(sizeOf(TAVLEN_BINARY_DIR "/data/" + name), sizeOf(prefix + "/" + layout.dataDir + "/" + name))
                << name;
        if (!*layout.component) {
            std::string complaints;
            EXPECT_EQ(0, runToEnd("/usr/bin/desktop-file-validate",
                                  {prefix + "/share/applications/tavlen.desktop"}, &complaints));
            EXPECT_EQ("", complaints);
        }
    }
}

TEST(Install, TheLauncherPlaysInTheUsersOwnFolderAndSaysWhenTheInstallIsBroken)
{
    const std::string prefix = installed("launcher", "");
    const std::string home = tavtest::scratchDir() + "/home";
    ASSERT_TRUE(tavtest::makeDirectories(home));
    TestXServer server(TestXServer::XVFB);
    TestDisplayProbe probe(server.display());
    ASSERT_TRUE(probe.ok());

    auto launcher = [&] {
        TestProcess* process = new TestProcess(prefix + "/bin/tavlen");
        process->setEnv("HOME", home);
        process->unsetEnv("XDG_CONFIG_HOME");
        process->setEnv("DISPLAY", server.display());
        process->setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
        process->setEnv("ALSOFT_DRIVERS", "null");
        process->setWorkDir(home);
        return std::unique_ptr<TestProcess>(process);
    };
    // The first run makes ~/.config/tavlen (full screen by default); the second reads the
    // FULLSCREEN=0 written there and opens a normal window.
    for (const bool fullScreen : {true, false}) {
        SCOPED_TRACE(fullScreen ? "first run" : "second run");
        const std::unique_ptr<TestProcess> tavlen = launcher();
        ASSERT_TRUE(tavlen->start()) << tavlen->error();
        ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return !probe.autoRepeatOn() || !tavlen->running(); },
                                              READY_TIMEOUT_MS));
        ASSERT_TRUE(tavlen->running()) << tavlen->describeEnd() << "\n" << tavlen->stderrText();
        const auto windows = probe.viewableTopLevelWindows();
        ASSERT_EQ(1u, windows.size());
        EXPECT_EQ(fullScreen, windows[0].overrideRedirect);

        const KeyCode escape = XKeysymToKeycode(probe.display(), XK_Escape);
        XTestFakeKeyEvent(probe.display(), escape, True, CurrentTime);
        XTestFakeKeyEvent(probe.display(), escape, False, CurrentTime);
        XSync(probe.display(), False);
        ASSERT_TRUE(tavlen->wait(EXIT_TIMEOUT_MS)) << "still running after Escape";
        EXPECT_EQ("exit 0", tavlen->describeEnd());
        EXPECT_EQ("", tavlen->stderrText());  // no "unable to open file"

        EXPECT_EQ("XRES=800\nYRES=600\n" + std::string(fullScreen ? "FULLSCREEN=1\n" : "FULLSCREEN=0\n"),
                  readFile(home + "/.config/tavlen/app.cfg"));
        std::ofstream(home + "/.config/tavlen/app.cfg") << "XRES=800\nYRES=600\nFULLSCREEN=0\n";
    }
    char* linked = realpath((home + "/.config/tavlen/data").c_str(), nullptr);
    char* realPrefix = realpath(prefix.c_str(), nullptr);
    ASSERT_NE(nullptr, realPrefix);
    const std::string data = std::string(realPrefix) + "/share/tavlen/data";
    free(realPrefix);
    EXPECT_EQ(data, linked ? linked : "");
    free(linked);

    // Without its data the launcher names the folder it looked in and starts nothing.
    ASSERT_EQ(0, std::rename((prefix + "/share/tavlen/data").c_str(), (prefix + "/share/tavlen/moved").c_str()));
    const std::unique_ptr<TestProcess> broken = launcher();
    ASSERT_TRUE(broken->start());
    ASSERT_TRUE(broken->wait(EXIT_TIMEOUT_MS));
    EXPECT_EQ("exit 1", broken->describeEnd());
    EXPECT_EQ("tavlen: broken install: no pictures and music at " + data + "\n",
              broken->stderrText());
}

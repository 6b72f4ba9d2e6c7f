// The real program, end to end: `tavlen` started as a process on a private X server with
// the real sound layer (OpenAL Soft's null output, or the silent clock where there is no
// audio at all). The whole 73-second run is the suite's one real-time run of the demo;
// everything else plays on the deterministic player. (Escape through the X server is
// pressed by the install test; the desktop's restore on every way of ending is tavlen's.)
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TestDisplayProbe.h"
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// tavlen as a child process on `display`, with the null sound output, in a folder of its own
// holding the build's data/ (all of it, or all but one file) and a full-screen 800x600 app.cfg.
// LD_PRELOAD keeps the GL driver mapped at exit, so LeakSanitizer can name its caches.
class DemoProcess : public TestProcess {
public:
    DemoProcess(const std::string& name, const std::string& display, const char* leaveOut = nullptr)
        : TestProcess(TAVLEN_BINARY_DIR "/tavlen")
    {
        const fs::path folder = fs::path(tavtest::scratchDir()) / name;
        fs::create_directories(folder / "data");
        for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(TAVLEN_BINARY_DIR) / "data"))
            if (!leaveOut || entry.path().filename() != leaveOut)
                fs::create_symlink(entry.path(), folder / "data" / entry.path().filename());
        std::ofstream(folder / "app.cfg") << "XRES=800\nYRES=600\nFULLSCREEN=1\n";
        setWorkDir(folder.string());
        setEnv("DISPLAY", display);
        setEnv("ALSOFT_DRIVERS", "null");
        setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
        EXPECT_TRUE(start()) << error();
    }

    // The exit status within `timeoutS` seconds, or -1 on timeout or a signal.
    int exitStatus(double timeoutS) { return wait(int(timeoutS * 1000)) && exited() ? exitCode() : -1; }
};

TEST(LoadObjectRunTest, MissingPictureEndsWith254NamingTheFileAndRestoresTheDesktop)
{
    TestXServer xorg(TestXServer::XORG_DUMMY);
    TestDisplayProbe x(xorg.display());
    ASSERT_TRUE(x.ok());
    const int desktopWidth = x.modeWidth();
    DemoProcess demo("missing", xorg.display(), "sympa.png");
    EXPECT_EQ(demo.exitStatus(30.0), 254);
    EXPECT_NE(demo.stderrText().find("data/sympa.png"), std::string::npos) << demo.stderrText();
    EXPECT_EQ(desktopWidth, x.modeWidth());
    EXPECT_TRUE(x.autoRepeatOn());
}

TEST(LoadObjectRunTest, PlaysToTheEndAndExitsByItselfAfterAbout73Seconds)
{
    const std::string display = TestXServer::sharedXvfb();
    const Clock::time_point started = Clock::now();
    DemoProcess demo("whole-run", display);
    EXPECT_EQ(demo.exitStatus(150.0), 0) << demo.stderrText();
    // 6 s of pre-roll, 52.7 s of music, 14.3 s of closing, plus start-up.
    const double runSeconds = secondsSince(started);
    EXPECT_GT(runSeconds, 72.0);
    EXPECT_LT(runSeconds, 90.0);
    std::printf("whole run: %.1f s\n", runSeconds);
}

}  // namespace

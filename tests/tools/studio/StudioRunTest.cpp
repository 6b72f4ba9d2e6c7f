// The studio as a program on an X server: it pauses and shows its heads-up line on keys,
// jumps to a typed time, shows a picture overwritten in data/ within half a second, keeps
// the old one when the file is broken (one line on stderr), ends on Escape and remembers
// where it was for --resume.
#include <gtest/gtest.h>

#include <X11/Xutil.h>             // Required for: XGetPixel(), XDestroyImage()
#include <X11/extensions/XTest.h>  // Required for: XTestFakeKeyEvent()
#include <X11/keysym.h>
#include <sys/stat.h>  // Required for: mkdir()
#include <unistd.h>    // Required for: symlink()

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TestDisplayProbe.h"
#include "support/TestFiles.h"
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestProcess.h"
#include "support/TestXServer.h"

namespace {

const int kWidth = 800, kHeight = 600;
// The emblem of the last section, 512 x 512 over the middle of the frame from 46.743 s on.
const char kPicture[] = "orm14.png";

std::string readText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A folder to run the studio in: its own app.cfg, and data/ with links to the build's files
// except the picture the test overwrites, which is a copy.
std::string makeWorkFolder()
{
    const std::string dir = tavtest::scratchDir() + "/studio-run";
    std::filesystem::create_directories(dir + "/data");
    std::ofstream(dir + "/app.cfg") << "XRES=" << kWidth << "\nYRES=" << kHeight << "\nVSYNC=0\n";
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TAVLEN_BINARY_DIR) + "/data")) {
        const std::string name = entry.path().filename().string();
        const std::string target = dir + "/data/" + name;
        if (name == kPicture)
            std::filesystem::copy_file(entry.path(), target);
        else
            EXPECT_EQ(0, symlink(entry.path().c_str(), target.c_str())) << target;
    }
    return dir;
}

// A solid opaque picture of one colour.
tavtest::PNGRecipe solidPNG(int sizePx, uint8_t r, uint8_t g, uint8_t b)
{
    tavtest::PNGRecipe recipe;
    recipe.width = recipe.height = sizePx;
    std::vector<uint8_t> row;
    for (int x = 0; x < sizePx; ++x)
        row.insert(row.end(), {r, g, b});
    recipe.rows.assign(size_t(sizePx), row);
    return recipe;
}

// A window that has just gone (the studio ending) is not the test's failure.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

class StudioWindow {
public:
    explicit StudioWindow(const std::string& display) : probe(display) { XSetErrorHandler(ignoreXError); }

    // Waits for the studio's window; false when it has none within `timeoutMs`.
    bool find(int timeoutMs)
    {
        return TestDisplayProbe::waitFor([this] {
            const auto windows = probe.viewableTopLevelWindows();
            if (windows.size() != 1)
                return false;
            window = windows[0].id;
            XSetInputFocus(probe.display(), window, RevertToPointerRoot, CurrentTime);
            XSync(probe.display(), False);
            return true;
        }, timeoutMs);
    }

    // 0xRRGGBB at window pixel (x, y), y down.
    uint32_t pixel(int x, int y) const
    {
        XImage* image = XGetImage(probe.display(), window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0xffffffff;
        const uint32_t value = uint32_t(XGetPixel(image, 0, 0)) & 0xffffff;
        XDestroyImage(image);
        return value;
    }

    // Light pixels along a row of the window.
    int lightPixelsInRow(int y) const
    {
        XImage* image = XGetImage(probe.display(), window, 0, y, kWidth / 2, 1, AllPlanes, ZPixmap);
        if (!image)
            return -1;
        int light = 0;
        for (int x = 0; x < kWidth / 2; ++x)
            light += (XGetPixel(image, x, 0) & 0xff) > 0xc0;
        XDestroyImage(image);
        return light;
    }

    void press(std::initializer_list<KeySym> keys) const
    {
        for (KeySym key : keys) {
            const KeyCode code = XKeysymToKeycode(probe.display(), key);
            XTestFakeKeyEvent(probe.display(), code, True, CurrentTime);
            XTestFakeKeyEvent(probe.display(), code, False, CurrentTime);
        }
        XSync(probe.display(), False);
    }

    TestDisplayProbe probe;
    Window window = 0;
};

bool isRed(uint32_t rgb)
{
    return (rgb >> 16) > 200 && ((rgb >> 8) & 0xff) < 60 && (rgb & 0xff) < 60;
}

std::unique_ptr<TestProcess> startStudio(const std::vector<std::string>& args, const std::string& display,
                                         const std::string& workDir)
{
    auto process = std::make_unique<TestProcess>(TAVLEN_STUDIO, args);
    process->setEnv("DISPLAY", display);
    process->setEnv("XDG_CONFIG_HOME", workDir + "/config");
    process->setEnv("LD_PRELOAD", TAVLEN_KEEP_LIBRARIES);
    process->setWorkDir(workDir);
    EXPECT_TRUE(process->start()) << process->error();
    return process;
}

}  // namespace

TEST(StudioRun, KeysTheHeadsUpLineALivePictureReloadAndThePositionKeptForResume)
{
    TestXServer server(TestXServer::XVFB);
    const std::string dir = makeWorkFolder();
    const std::string picture = dir + "/data/" + kPicture;
    const std::string positionFile = dir + "/config/tavlen/studio-position";
    StudioWindow window(server.display());
    ASSERT_TRUE(window.probe.ok());

    auto studio = startStudio({"--at", "50"}, server.display(), dir);
    ASSERT_TRUE(window.find(60000)) << studio->stderrText();
    // The emblem shows in the middle once the jump has drawn its frame.
    ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return window.pixel(kWidth / 2, kHeight / 2) != 0; }, 60000));

    // Paused, then a time typed: its period is the decimal point, not a frame step.
    window.press({XK_space, XK_5, XK_1, XK_period, XK_5, XK_Return});
    // The line, low in the band: light glyphs appear with H and go with H again.
    const int lineRow = kHeight - 1 - 54;
    const int without = window.lightPixelsInRow(lineRow);
    window.press({XK_h});
    EXPECT_TRUE(TestDisplayProbe::waitFor([&] { return window.lightPixelsInRow(lineRow) > without + 20; }, 5000));
    window.press({XK_h});
    EXPECT_TRUE(TestDisplayProbe::waitFor([&] { return window.lightPixelsInRow(lineRow) == without; }, 5000));

    // A new picture written over the old: shown within half a second of the file's close.
    ASSERT_FALSE(isRed(window.pixel(kWidth / 2, kHeight / 2)));
    ASSERT_TRUE(tavtest::writePNG(picture, solidPNG(64, 250, 20, 20)));
    const auto written = std::chrono::steady_clock::now();
    ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return isRed(window.pixel(kWidth / 2, kHeight / 2)); }, 5000));
    const double shownAfterMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - written).count();
    std::printf("picture shown %.0f ms after it was written\n", shownAfterMs);
    EXPECT_LT(shownAfterMs, 500.0);

    // Half a file: the red picture stays.
    const std::string whole = readText(picture);
    std::ofstream(picture, std::ios::binary) << whole.substr(0, whole.size() / 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_TRUE(isRed(window.pixel(kWidth / 2, kHeight / 2)));

    window.press({XK_Escape});
    ASSERT_TRUE(studio->wait(30000)) << "Escape did not end the studio";
    EXPECT_EQ("exit 0", studio->describeEnd()) << studio->stderrText();
    std::istringstream said(studio->stderrText());
    int pictureLines = 0;
    for (std::string line; std::getline(said, line);)
        pictureLines += line.find(kPicture) != std::string::npos;
    EXPECT_EQ(1, pictureLines) << studio->stderrText();
    // Paused at the typed time: the first frame at or after 51.5 s.
    int musicMs = -1;
    ASSERT_EQ(1, std::sscanf(readText(positionFile).c_str(), "MUSIC_MS=%d", &musicMs)) << readText(positionFile);
    EXPECT_GE(musicMs, 51500);
    EXPECT_LE(musicMs, 51500 + 17);

    // --resume starts there (with a whole picture again); paused at once, Escape keeps
    // about the same place.
    std::ofstream(picture, std::ios::binary) << whole;
    ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return window.probe.viewableTopLevelWindows().empty(); }, 5000))
        << "the ended studio's window is gone";
    auto resumed = startStudio({"--resume"}, server.display(), dir);
    ASSERT_TRUE(window.find(60000));
    ASSERT_TRUE(TestDisplayProbe::waitFor([&] { return window.pixel(kWidth / 2, kHeight / 2) != 0; }, 60000));
    window.press({XK_space, XK_Escape});
    ASSERT_TRUE(resumed->wait(30000));
    EXPECT_EQ("exit 0", resumed->describeEnd()) << resumed->stderrText();
    ASSERT_EQ(1, std::sscanf(readText(positionFile).c_str(), "MUSIC_MS=%d", &musicMs)) << readText(positionFile);
    EXPECT_GE(musicMs, 51500);
    EXPECT_LT(musicMs, 51500 + 10000);
}

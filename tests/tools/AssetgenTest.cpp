// The asset generator: one run writes exactly the build's files, byte for byte (the build ran
// it too), bad command lines are refused, and icons scaled down keep colour and coverage.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Icons.h"
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestProcess.h"

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The generator's exit status (-1 when it did not exit within five minutes).
int runGenerator(const std::vector<std::string>& args)
{
    TestProcess generator(TAVLEN_ASSETGEN, args);
    return generator.start() && generator.wait(300000) && generator.exited() ? generator.exitCode() : -1;
}

}  // namespace

TEST(Assetgen, WritesTheBuildsFilesByteForByteAndRefusesBadCommandLines)
{
    const std::string out = tavtest::scratchDir() + "/generated";
    ASSERT_EQ(0, runGenerator({out}));
    std::set<std::string> declared, written;
    std::istringstream list(TAVLEN_DATA_FILES);  // names separated by commas
    for (std::string name; std::getline(list, name, ',');)
        declared.insert(name);
    for (const auto& entry : std::filesystem::directory_iterator(out + "/data"))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(24u, declared.size());
    EXPECT_EQ(declared, written);
    for (const std::string& name : declared) {
        const std::string bytes = readFile(out + "/data/" + name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == readFile(std::string(TAVLEN_BINARY_DIR) + "/data/" + name)) << name << " differs";
    }
    const std::vector<std::vector<std::string>> refused = {{"--only", "no_such_picture", out + "/x"}, {"--bogus"}, {}};
    for (const std::vector<std::string>& args : refused)
        EXPECT_NE(0, runGenerator(args)) << (args.empty() ? "(no arguments)" : args[0]);
}

TEST(Icons, AveragingDownKeepsTheColourAndTheMeanCoverageAtEverySize)
{
    // Orange whose alpha rises from 0 at the left edge to 1 at the right: every icon pixel
    // keeps the orange (transparent pixels add no dark fringe) and has the mean alpha of the
    // columns it covers, also where it covers a fraction of a column (512 / 48).
    Image picture(512, 512);
    picture.paintAll([](Vec2 p) { return Colour(1.0f, 0.5f, 0.0f, p.x / 512.0f); });
    for (const int sizePx : {16, 48, 256}) {
        SCOPED_TRACE(sizePx);
        const Image icon = scaledDown(picture, sizePx);
        for (int y = 0; y < sizePx; ++y)
            for (int x = 0; x < sizePx; ++x) {
                const Colour c = icon.at(x, y);
                ASSERT_NEAR((float(x) + 0.5f) / float(sizePx), c.a, 1e-4f) << x << "," << y;
                ASSERT_NEAR(1.0f, c.r, 1e-4f);
                ASSERT_NEAR(0.5f, c.g, 1e-4f);
            }
    }
}

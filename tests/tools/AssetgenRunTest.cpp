// The generator as a program: it writes exactly the files the build declares, the same
// bytes on every run, and makes a contact sheet of the pictures.
#include <gtest/gtest.h>

#include <dirent.h>  // Required for: opendir(), readdir()

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "support/TestGLContext.h"
#include "tools/AssetFiles.h"

namespace {

std::set<std::string> filesIn(const std::string& dir)
{
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d))
            if (entry->d_name[0] != '.')
                names.insert(entry->d_name);
        closedir(d);
    }
    return names;
}

}  // namespace

TEST(AssetgenRun, TwoRunsWriteTheSameBytesAsTheBuild)
{
    const std::string first = tavtest::scratchDir() + "/first", second = tavtest::scratchDir() + "/second";
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(0, assets::run({assets::generatorPath(), first}, tavtest::scratchDir() + "/first.log"))
        << assets::readFile(tavtest::scratchDir() + "/first.log");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    RecordProperty("generation_seconds", std::to_string(seconds));
    ASSERT_EQ(0, assets::run({assets::generatorPath(), second}, tavtest::scratchDir() + "/second.log"));

    const std::vector<std::string> declared = assets::declaredFiles();
    EXPECT_EQ(24u, declared.size());
    EXPECT_EQ(std::set<std::string>(declared.begin(), declared.end()), filesIn(first + "/data"));
    for (const std::string& name : declared) {
        SCOPED_TRACE(name);
        const std::string a = assets::readFile(first + "/data/" + name);
        ASSERT_FALSE(a.empty());
        EXPECT_TRUE(a == assets::readFile(second + "/data/" + name)) << "differs between two runs";
        EXPECT_TRUE(a == assets::readFile(assets::dataDir() + "/" + name)) << "differs from the build's data/";
    }
}

TEST(AssetgenRun, WritesOnlyTheNamedFilesWhenAsked)
{
    const std::string out = tavtest::scratchDir() + "/only";
    ASSERT_EQ(0, assets::run({assets::generatorPath(), "--only", "dot", "--only", "pennant", out},
                             tavtest::scratchDir() + "/only.log"));
    EXPECT_EQ((std::set<std::string>{"dot.png", "pennant.png"}), filesIn(out + "/data"));
    EXPECT_EQ(assets::readFile(assets::dataDir() + "/dot.png"), assets::readFile(out + "/data/dot.png"));
}

TEST(AssetgenRun, RefusesUnknownNamesAndOptions)
{
    const std::string log = tavtest::scratchDir() + "/refuse.log";
    EXPECT_NE(0, assets::run({assets::generatorPath(), "--only", "no_such_picture", tavtest::scratchDir() + "/x"}, log));
    EXPECT_NE(0, assets::run({assets::generatorPath(), "--bogus"}, log));
    EXPECT_NE(0, assets::run({assets::generatorPath()}, log));
}

TEST(AssetgenRun, ContactSheetShowsEveryPictureOnOnePage)
{
    const std::string sheet = tavtest::scratchDir() + "/sheet.png";
    ASSERT_EQ(0, assets::run({assets::generatorPath(), "--contact-sheet", sheet}, tavtest::scratchDir() + "/sheet.log"));
    const assets::Picture p = assets::readPicture(sheet);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(3, p.channels);
    // Large enough to hold the 23 pictures at their own size (the widest halved).
    EXPECT_GE(long(p.width) * p.height, 1500L * 1500L);
}

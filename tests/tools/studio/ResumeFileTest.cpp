// ResumeFile: where the position is kept, what the file holds, and a round trip on disk.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "LoadObject.h"
#include "ResumeFile.h"
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()

TEST(ResumeFile, KeepsThePositionInTheUsersTavlenFolderAsOneLine)
{
    const struct {
        const char* xdg;
        const char* home;
        const char* path;
    } places[] = {
        {"/x/cfg", "/home/a", "/x/cfg/tavlen/studio-position"},
        {nullptr, "/home/a", "/home/a/.config/tavlen/studio-position"},
        {"", "/home/a", "/home/a/.config/tavlen/studio-position"},
        {"relative/cfg", "/home/a", "/home/a/.config/tavlen/studio-position"},  // invalid by XDG's rules
        {nullptr, nullptr, ""},
    };
    for (const auto& p : places)
        EXPECT_EQ(p.path, ResumeFile::path(p.xdg, p.home)) << (p.xdg ? p.xdg : "(unset)");

    const int preRoll = LoadObject::PRE_ROLL_MS;
    const struct {
        const char* text;
        bool valid;
        int demoMs;
    } lines[] = {
        {"MUSIC_MS=32512\n", true, preRoll + 32512}, {"MUSIC_MS=0", true, preRoll},
        {"LOAD_MS=1234\r\n", true, 1234},            {"LOAD_MS=6000\n", false, 0},
        {"MUSIC_MS=\n", false, 0},                   {"MUSIC_MS=-5\n", false, 0},
        {"MUSIC_MS=12x\n", false, 0},                {"MUSIC_MS=12\nMUSIC_MS=13\n", false, 0},
        {"music_ms=12\n", false, 0},                 {"", false, 0},
        {"MUSIC_MS=99999999999\n", false, 0},
    };
    for (const auto& l : lines) {
        int demoMs = -1;
        EXPECT_EQ(l.valid, ResumeFile::parse(l.text, demoMs)) << l.text;
        if (l.valid) {
            EXPECT_EQ(l.demoMs, demoMs) << l.text;
            int again = -1;
            EXPECT_TRUE(ResumeFile::parse(ResumeFile::format(demoMs), again));
            EXPECT_EQ(demoMs, again) << ResumeFile::format(demoMs);
        }
    }

    // On disk: the folders are made, a later save replaces an earlier one.
    const std::string path = ResumeFile::path((tavtest::scratchDir() + "/config").c_str(), nullptr);
    int demoMs = -1;
    EXPECT_FALSE(ResumeFile::load(path, demoMs));
    ASSERT_TRUE(ResumeFile::save(path, 2500));
    ASSERT_TRUE(ResumeFile::save(path, preRoll + 41618));
    ASSERT_TRUE(ResumeFile::load(path, demoMs));
    EXPECT_EQ(preRoll + 41618, demoMs);
    std::ifstream file(path);
    EXPECT_EQ("MUSIC_MS=41618", std::string(std::istreambuf_iterator<char>(file), {}).substr(0, 14));
    EXPECT_FALSE(ResumeFile::save("", 0));
    EXPECT_FALSE(ResumeFile::save("/proc/no/such/folder/studio-position", 0));
}

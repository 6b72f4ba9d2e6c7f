// SpeedSteps: [ and ] walk 0.25x, 0.5x, 1x, 2x and stop at either end.
#include <gtest/gtest.h>

#include <string>

#include "SpeedSteps.h"

TEST(SpeedSteps, BracketsStepThroughTheFourSpeedsAndStopAtTheEnds)
{
    const struct {
        const char* keys;  // '[' slower, ']' faster
        float speed;
        const char* label;
        bool lastChanged;
    } cases[] = {
        {"", 1.0f, "1x", true},
        {"[", 0.5f, "0.5x", true},
        {"[[", 0.25f, "0.25x", true},
        {"[[[", 0.25f, "0.25x", false},
        {"]", 2.0f, "2x", true},
        {"]]", 2.0f, "2x", false},
        {"[[[[]", 0.5f, "0.5x", true},
        {"]]][[[", 0.25f, "0.25x", true},
    };
    for (const auto& c : cases) {
        SpeedSteps steps;
        bool changed = true;
        for (const char* key = c.keys; *key; ++key)
            changed = *key == '[' ? steps.slower() : steps.faster();
        EXPECT_EQ(c.speed, steps.speed()) << c.keys;
        EXPECT_STREQ(c.label, steps.label()) << c.keys;
        EXPECT_EQ(c.lastChanged, changed) << c.keys;
    }
}

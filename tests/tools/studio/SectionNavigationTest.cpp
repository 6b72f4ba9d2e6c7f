// SectionNavigation: where Left, Right, Shift with them, comma, period and a clamp go, in demo
// time (the pre-roll's 6000 ms, then 6000 + music time).
#include <gtest/gtest.h>

#include "LoadObject.h"
#include "SectionNavigation.h"

namespace {

int music(int musicTimeMs)
{
    return LoadObject::PRE_ROLL_MS + musicTimeMs;
}

}  // namespace

TEST(SectionNavigation, MovesBySectionSecondAndFrameWithinTheRun)
{
    using N = SectionNavigation;
    const int last = N::lastMs();
    const struct {
        const char* what;
        int (*move)(int);
        int fromMs;
        int toMs;
    } cases[] = {
        {"right from the pre-roll: the music's start", N::nextSection, 1500, music(0)},
        {"right in section 0: section 1", N::nextSection, music(5000), music(12000)},
        {"right exactly on a start: the one after", N::nextSection, music(32250), music(33000)},
        {"right from the last section: the closing", N::nextSection, music(50000), music(52743)},
        {"right in the closing: nowhere further", N::nextSection, music(60000), music(60000)},
        {"left well into a section: its own start", N::previousSection, music(32700), music(32250)},
        {"left just after a start: the section before", N::previousSection, music(32266), music(31500)},
        {"left in the closing: its start", N::previousSection, music(60000), music(52743)},
        {"left early in the music: the very start", N::previousSection, music(100), 0},
        {"left well into section 0: its start", N::previousSection, music(3000), music(0)},
        {"left in the pre-roll: the very start", N::previousSection, 4000, 0},
        {"a second back", N::secondBack, music(20000), music(19000)},
        {"a second back across the music's start", N::secondBack, music(400), 5400},
        {"a second back from the start stays there", N::secondBack, 300, 0},
        {"a second forward", N::secondForward, music(20000), music(21000)},
        {"a second forward stops before the end", N::secondForward, last - 10, last},
        {"a frame back", N::frameBack, music(33), music(16)},
        {"a frame back, 16 ms frames", N::frameBack, music(50), music(33)},
        {"a frame back into the pre-roll", N::frameBack, music(0), 5983},
        {"a frame forward: the first frame after now", N::frameForward, music(16), music(17)},
        {"clamped below", N::clamp, -500, 0},
        {"clamped above", N::clamp, LoadObject::RUN_LENGTH_MS + 1000, last},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.toMs, c.move(c.fromMs)) << c.what;
    EXPECT_LT(last, LoadObject::RUN_LENGTH_MS);
    EXPECT_TRUE(N::inPreRoll(5999));
    EXPECT_FALSE(N::inPreRoll(music(0)));
}

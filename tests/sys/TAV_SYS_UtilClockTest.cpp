// The clock seam of TAV_SYS_Util: players on a clock of their own replace the wall clock
// that the frame driver reads, and give it back.
#include <gtest/gtest.h>

#include "sys/TAV_SYS_Util.h"

namespace {

unsigned int g_fakeNowMs = 0;
unsigned int fakeClock() { return g_fakeNowMs; }

TEST(TAV_SYS_UtilClock, ASetClockIsReadInsteadOfTheWallClockUntilItIsCleared)
{
    const unsigned int wallMs = TAV_SYS_Util::getCurrentTimeMS();
    TAV_SYS_Util::setClock(fakeClock);
    g_fakeNowMs = 20;
    EXPECT_EQ(TAV_SYS_Util::getCurrentTimeMS(), 20u);
    g_fakeNowMs = 4000000000u;  // wraps like the real clock
    EXPECT_EQ(TAV_SYS_Util::getCurrentTimeMS(), 4000000000u);
    TAV_SYS_Util::setClock(nullptr);
    // Back on the wall clock: within a generous second of the reading before.
    EXPECT_LT(TAV_SYS_Util::getCurrentTimeMS() - wallMs, 1000u);
}

}  // namespace

#include <gtest/gtest.h>

#include <signal.h>    // Required for: sigaction(), SIGALRM
#include <sys/time.h>  // Required for: gettimeofday(), setitimer()

#include <chrono>
#include <cstdint>

#include "sys/TAV_SYS_Util.h"

namespace {

using Clock = std::chrono::steady_clock;

long long elapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

unsigned int g_fakeNowMs = 0;
unsigned int fakeClock() { return g_fakeNowMs; }

// The wall clock in milliseconds, wrapping at 32 bits; players on a clock of their own
// replace it through the seam and give it back.
TEST(Clock, ReadsTheWallClockUnlessAnotherClockIsSet)
{
    timeval now;
    gettimeofday(&now, nullptr);
    const uint32_t expected = uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_usec) / 1000u);
    EXPECT_LT(uint32_t(TAV_SYS_Util::getCurrentTimeMS() - expected), 1000u);

    TAV_SYS_Util::setClock(fakeClock);
    g_fakeNowMs = 4000000000u;
    EXPECT_EQ(4000000000u, TAV_SYS_Util::getCurrentTimeMS());
    TAV_SYS_Util::setClock(nullptr);
    EXPECT_LT(uint32_t(TAV_SYS_Util::getCurrentTimeMS() - expected), 1000u);
}

void ignoreAlarm(int) {}

TEST(Sleep, EndsEarlyWhenASignalArrives)
{
    // A termination signal must not wait for the rest of a pacing sleep.
    struct sigaction action = {};
    action.sa_handler = ignoreAlarm;
    struct sigaction previous;
    sigaction(SIGALRM, &action, &previous);
    itimerval timer = {};
    timer.it_value.tv_usec = 100 * 1000;
    setitimer(ITIMER_REAL, &timer, nullptr);

    const auto start = Clock::now();
    TAV_SYS_Util::sleepMS(-20);  // nothing at all
    TAV_SYS_Util::sleepMS(5000);
    const long long sleptMs = elapsedMs(start);
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_LT(sleptMs, 4000);
}

}  // namespace

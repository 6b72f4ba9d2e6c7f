#include <gtest/gtest.h>

#include <signal.h>    // Required for: sigaction(), SIGALRM
#include <sys/time.h>  // Required for: gettimeofday(), setitimer()

#include <chrono>
#include <cstdint>
#include <thread>

#include "sys/TAV_SYS_Util.h"

namespace {

using Clock = std::chrono::steady_clock;

long long elapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

TEST(Clock, ReadsTheWallClockInMillisecondsWrappingAt32Bits)
{
    timeval now;
    gettimeofday(&now, nullptr);
    const uint32_t expected = uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_usec) / 1000u);
    const uint32_t reading = TAV_SYS_Util::getCurrentTimeMS();
    EXPECT_LT(uint32_t(reading - expected), 1000u);
}

TEST(Clock, DifferencesOfReadingsMeasureTime)
{
    const unsigned int before = TAV_SYS_Util::getCurrentTimeMS();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const unsigned int after = TAV_SYS_Util::getCurrentTimeMS();
    EXPECT_GE(after - before, 50u);
    EXPECT_LT(after - before, 10000u);
}

TEST(Sleep, SleepsWholeSecondsAndTheRest)
{
    // 1500 ms is 1 s plus 500,000,000 ns: a wrong split either fails (tv_nsec out of range,
    // no sleep at all) or drops a part.
    const auto start = Clock::now();
    TAV_SYS_Util::sleepMS(1500);
    EXPECT_GE(elapsedMs(start), 1500);
}

TEST(Sleep, ReturnsAtOnceForZeroOrNegativeTimes)
{
    const auto start = Clock::now();
    TAV_SYS_Util::sleepMS(0);
    TAV_SYS_Util::sleepMS(-20);
    EXPECT_LT(elapsedMs(start), 1000);
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
    TAV_SYS_Util::sleepMS(5000);
    const long long sleptMs = elapsedMs(start);
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_LT(sleptMs, 4000);
}

}  // namespace

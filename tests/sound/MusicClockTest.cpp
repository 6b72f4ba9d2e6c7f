// The two halves of the music clock fed with made-up readings: the device clock estimate and
// the smoothing that the frame loop reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "DeviceClockTracker.h"
#include "SmoothClock.h"

namespace {

const int64_t kMs = 1000000;  // nanoseconds

// A mixer like OpenAL Soft's null output: it advances its clock by one 1024-frame update at a
// time, each mix late by a lateness that creeps up and wraps, and the clock runs at
// `ratePpm` against the monotonic clock. `truthOffsetNs` is the device clock minus the
// monotonic clock when no mix is late.
struct MixerModel {
    double ratePpm = 0.0;
    int64_t truthOffsetNs = 5 * kMs;
    int64_t updateNs = 23219955;  // 1024 frames at 44.1 kHz

    int64_t deviceNowNs(int64_t steadyNs) const
    {
        return static_cast<int64_t>(steadyNs * (1.0 + ratePpm * 1e-6)) + truthOffsetNs;
    }
    // The clock as the mixer has advanced it by `steadyNs`.
    int64_t mixedClockNs(int64_t steadyNs) const
    {
        const int64_t scheduledNs = deviceNowNs(steadyNs);
        const int64_t update = scheduledNs / updateNs;
        const int64_t latenessNs = (update * 200000) % (12 * kMs);
        const int64_t lastMixNs = update * updateNs;
        // The mix of the current update happens latenessNs after its time; until then the
        // clock still shows the update before.
        return scheduledNs - lastMixNs >= latenessNs ? lastMixNs : lastMixNs - updateNs;
    }
};

} // namespace

TEST(DeviceClockTracker, FindsTheEvenClockBehindTheMixersSteps)
{
    MixerModel mixer;
    DeviceClockTracker tracker;
    std::mt19937 random(7);
    std::uniform_int_distribution<int64_t> pollJitterNs(0, 2 * kMs);
    double worstAfterSettlingMs = 0.0;
    for (int64_t steadyNs = 0; steadyNs < 20000 * kMs; steadyNs += 4 * kMs + pollJitterNs(random)) {
        tracker.observe(steadyNs, mixer.mixedClockNs(steadyNs));
        if (steadyNs > 3000 * kMs) {
            const double errorMs = (mixer.truthOffsetNs - tracker.offsetNs()) / 1e6;
            EXPECT_GE(errorMs, 0.0) << "a reading can only lag the even clock";
            worstAfterSettlingMs = std::max(worstAfterSettlingMs, errorMs);
        }
    }
    EXPECT_LT(worstAfterSettlingMs, 1.0) << "an average of the readings would lag by 6 ms";
}

TEST(DeviceClockTracker, FollowsASlowSoundCardAndAClockThatJumpsBack)
{
    MixerModel mixer;
    mixer.ratePpm = -100.0;  // a sound card a little slower than the system clock
    DeviceClockTracker tracker;
    int64_t steadyNs = 0;
    for (; steadyNs < 60000 * kMs; steadyNs += 4 * kMs) {
        tracker.observe(steadyNs, mixer.mixedClockNs(steadyNs));
        if (steadyNs > 3000 * kMs) {
            const double errorMs = (mixer.deviceNowNs(steadyNs) - steadyNs - tracker.offsetNs()) / 1e6;
            ASSERT_LT(std::fabs(errorMs), 2.0) << "at " << steadyNs / kMs << " ms";
        }
    }
    // The output restarted and its clock is 300 ms behind: within two windows the estimate
    // must have let go of the old readings.
    mixer.truthOffsetNs -= 300 * kMs;
    const int64_t jumpNs = steadyNs;
    for (; steadyNs < jumpNs + 5100 * kMs; steadyNs += 4 * kMs)
        tracker.observe(steadyNs, mixer.mixedClockNs(steadyNs));
    const double errorMs = (mixer.deviceNowNs(steadyNs) - steadyNs - tracker.offsetNs()) / 1e6;
    EXPECT_LT(std::fabs(errorMs), 2.0);
}

TEST(SmoothClock, EasesSmallErrorsAwayWithoutUnevenSteps)
{
    SmoothClock clock;
    EXPECT_DOUBLE_EQ(0.0, clock.freeRun(123 * kMs)) << "a clock that never started reads 0";
    double lastMs = clock.follow(0, 1000.0);
    EXPECT_DOUBLE_EQ(1000.0, lastMs);
    // The estimate is 8 ms ahead of where the clock started and wobbles by a millisecond.
    for (int frame = 1; frame <= 120; ++frame) {
        const int64_t steadyNs = frame * 16 * kMs;
        const double targetMs = 1008.0 + frame * 16 + ((frame % 3) - 1) * 1.0;
        const double positionMs = clock.follow(steadyNs, targetMs);
        ASSERT_NEAR(16.0, positionMs - lastMs, 0.5) << "frame " << frame;
        lastMs = positionMs;
    }
    EXPECT_NEAR(1008.0 + 120 * 16, lastMs, 1.0) << "the error is gone after two seconds";
}

TEST(SmoothClock, TakesAJumpAheadAtOnceAndNeverGoesBack)
{
    SmoothClock clock;
    clock.follow(0, 0.0);
    EXPECT_DOUBLE_EQ(216.0, clock.follow(16 * kMs, 216.0)) << "200 ms ahead: jump";

    // The estimate falls 100 ms back (the output stalled): the clock runs on at half speed
    // until the estimate has caught up, then follows again.
    double lastMs = 216.0;
    for (int frame = 2; frame < 40; ++frame) {
        const int64_t steadyNs = frame * 16 * kMs;
        const double positionMs = clock.follow(steadyNs, 100.0 + frame * 16);
        ASSERT_GT(positionMs, lastMs) << "frame " << frame;
        lastMs = positionMs;
    }
    EXPECT_NEAR(100.0 + 39 * 16, lastMs, 10.0);
    // With nothing to follow it runs with the wall clock.
    EXPECT_DOUBLE_EQ(lastMs + 250.0, clock.freeRun((39 * 16 + 250) * kMs));
}

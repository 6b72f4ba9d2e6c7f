#include <gtest/gtest.h>

#include <climits>

#include "core/TAV_FramePacer.h"

namespace {

// A fake clock around the pacer: each frame works `workMs`, the frame time is measured from
// the previous reading (so it includes the previous sleep), then the pacer's sleep passes.
struct PacedLoop {
    explicit PacedLoop(int fps) { pacer.setFps(fps); }

    // Runs one frame; returns the sleep asked for.
    int frame(int workMs)
    {
        nowMs += workMs;
        const int frameTimeMs = nowMs - lastMs;
        lastMs = nowMs;
        const int sleepMs = pacer.sleepTimeFor(frameTimeMs);
        nowMs += sleepMs;
        return sleepMs;
    }

    TAV_FramePacer pacer;
    int nowMs = 0;
    int lastMs = 0;
};

TEST(FramePacer, FastFramesSleepTheRestAndSlowOnesAreRepaidByTheFollowingFastOnes)
{
    PacedLoop loop(50);  // 20 ms a frame
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(15, loop.frame(5)) << "frame " << i;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(0, loop.frame(30));  // 10 ms behind each
    EXPECT_EQ(-100, loop.pacer.getBalance());
    int unpacedFastFrames = 0;
    while (loop.frame(10) == 0)
        ++unpacedFastFrames;
    EXPECT_EQ(10, unpacedFastFrames);  // 10 ms repaid per frame
    for (int i = 0; i < 20; ++i)
        loop.frame(10);
    // Over the whole run the average meets the target again.
    EXPECT_NEAR(20.0, double(loop.nowMs) / (5 + 10 + unpacedFastFrames + 1 + 20), 0.5);
}

// The balance stays within [-MAX_DEBT_MS, target]: it cannot wrap, a clock set back never
// sleeps more than a frame, and after a long stall pacing resumes within a second of frames.
TEST(FramePacer, TheBalanceIsBoundedEitherWay)
{
    TAV_FramePacer unpaced;
    for (int fps : {0, -30}) {
        unpaced.setFps(fps);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(0, unpaced.sleepTimeFor(INT_MAX));
        EXPECT_EQ(-TAV_FramePacer::MAX_DEBT_MS, unpaced.getBalance());
    }
    TAV_FramePacer pacer;
    pacer.setFps(3);
    EXPECT_EQ(333, pacer.getTargetFrameTime());
    pacer.setFps(50);
    EXPECT_EQ(20, pacer.sleepTimeFor(-3600 * 1000));  // an hour back
    EXPECT_EQ(20, pacer.sleepTimeFor(INT_MIN));

    PacedLoop loop(50);
    loop.frame(10000);  // ten seconds of loading
    int unpacedFrames = 0;
    while (loop.frame(5) == 0)
        ++unpacedFrames;
    EXPECT_LE(unpacedFrames, TAV_FramePacer::MAX_DEBT_MS / 15 + 1);
}

}  // namespace

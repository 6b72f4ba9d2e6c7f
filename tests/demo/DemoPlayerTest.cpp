// The deterministic player's jump: the frame it lands on is the frame of a run from the start,
// pixel for pixel (bars included), forwards and backwards, in the pre-roll and in sections
// whose picture depends on earlier frames (the swarms, the LED figure's clocks, the frame
// copy); a redraw repeats it, the run goes on from it exactly, and jumps allocate nothing.
#include <gtest/gtest.h>

#include "DemoTestSupport.h"

#include <vector>

#include "LoadObject.h"
#include "support/AllocationCounter.h"

namespace {

// Small frames: the reference run plays every frame up to the last moment.
const int kWidthPx = 200;
const int kHeightPx = 150;
const double kFrameMs = 1000.0 / 60.0;

struct Moment {
    const char* what;
    bool preRoll;  // timeMs is pre-roll (load) time, else music time
    int timeMs;
};

// In the order jumped to: forwards, then backwards past checkpoints already kept.
const Moment kMoments[] = {
    {"the loading strip", true, 3000},
    {"the LED figure twisting under a radial blur of the frame copy", false, 19000},
    {"the swarms and the breathing portrait", false, 13900},
    {"the frame copy shaken", false, 13010},
    {"the opening logo", false, 9000},
};

// Whether a run standing at `player` has reached the moment with its last frame.
bool reached(const Moment& moment, const DemoPlayer& player)
{
    if (moment.preRoll)
        return player.musicTimeMs() >= 0 || player.scene()->m_loadTime >= moment.timeMs;
    return player.musicTimeMs() >= moment.timeMs;
}

}  // namespace

TEST(DemoPlayerJump, LandsOnTheFrameOfARunFromTheStartRedrawsItAndGoesOnExactly)
{
    const size_t count = sizeof(kMoments) / sizeof(kMoments[0]);
    // The run from the start: for each moment its frame number, its frame and the next one.
    std::vector<int> frameNumbers(count, -1);
    std::vector<std::vector<uint8_t>> frames(count);
    std::vector<std::vector<uint8_t>> nextFrames(count);
    {
        auto player = demotest::startPlayer(kFrameMs, kWidthPx, kHeightPx);
        ASSERT_TRUE(player);
        size_t waitingForNext = count;
        while (std::find(frameNumbers.begin(), frameNumbers.end(), -1) != frameNumbers.end()
               || waitingForNext < count) {
            ASSERT_TRUE(player->step());
            if (waitingForNext < count) {
                nextFrames[waitingForNext] = player->readFrame();
                waitingForNext = count;
            }
            for (size_t i = 0; i < count; ++i) {
                if (frameNumbers[i] < 0 && reached(kMoments[i], *player)) {
                    frameNumbers[i] = player->frameCount();
                    frames[i] = player->readFrame();
                    waitingForNext = i;
                }
            }
        }
    }

    auto player = demotest::startPlayer(kFrameMs, kWidthPx, kHeightPx);
    ASSERT_TRUE(player);
    for (size_t i = 0; i < count; ++i) {
        const Moment& moment = kMoments[i];
        SCOPED_TRACE(moment.what);
        ASSERT_TRUE(moment.preRoll ? player->seekToLoadTime(moment.timeMs) : player->seekToMusicTime(moment.timeMs));
        EXPECT_EQ(frameNumbers[i], player->frameCount());
        EXPECT_TRUE(player->readFrame() == frames[i]);
        if (i == 1)
            demotest::keepFrame(*player, "jump-to-19000");
        player->redraw();
        EXPECT_TRUE(player->readFrame() == frames[i]) << "redrawn";
        ASSERT_TRUE(player->step());
        EXPECT_TRUE(player->readFrame() == nextFrames[i]) << "the frame after it";
    }
    // Once the GL driver has built its shader variants for these frames, jumping among them
    // again (now from checkpoints) allocates nothing.
    if (tavtest::AllocationCounter::available()) {
        tavtest::AllocationCounter counter;
        for (size_t i = count; i-- > 0;) {
            const Moment& moment = kMoments[i];
            ASSERT_TRUE(moment.preRoll ? player->seekToLoadTime(moment.timeMs) : player->seekToMusicTime(moment.timeMs));
            EXPECT_TRUE(player->readFrame() == frames[i]) << moment.what << ", jumped to again";
        }
        EXPECT_EQ(0, counter.count());
    }
    // Past the end: the last frame before the exit is drawn, and the demo has not exited.
    EXPECT_FALSE(player->seekToMusicTime(LoadObject::CLOSING_END_MS + 1000));
    EXPECT_TRUE(player->atEnd());
    EXPECT_FALSE(player->exited());
}

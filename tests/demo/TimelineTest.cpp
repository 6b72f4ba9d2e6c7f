// The timeline, played from the start on the deterministic player and read back by pixels,
// and the frame loop's promise to allocate nothing in any section.
#include <gtest/gtest.h>

#include "DemoTestSupport.h"

#include "LoadObject.h"
#include "core/TAV_Window.h"
#include "support/AllocationCounter.h"

namespace {

using demotest::channelRange;
using demotest::near;
using demotest::rgb;
using demotest::solidTexture;

const int kBarPx = 44;
const int kBandTopPx = 600 - kBarPx;  // first row of the upper bar (GL rows, bottom up)

// Whether the rows [y0, y1) of the last frame are black.
bool black(const std::vector<uint8_t>& frame, int y0, int y1)
{
    return channelRange(frame, 0, y0, DemoPlayer::WIDTH, y1).high == 0;
}

bool bandIsBlack(DemoPlayer& player)
{
    return black(player.readFrame(), kBarPx, kBandTopPx);
}

class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        player = demotest::startPlayer(20.0);
        ASSERT_TRUE(player);
    }

    // Plays to the frame with music time `target`, checking after every frame that both
    // 44-pixel bars are black.
    void playCheckingBars(int target)
    {
        std::vector<uint8_t> rows(size_t(DemoPlayer::WIDTH) * kBarPx * 4);
        auto barsBlack = [&](int y0) {
            glReadPixels(0, y0, DemoPlayer::WIDTH, kBarPx, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
            for (size_t i = 0; i < rows.size(); i += 4)
                if (rows[i] | rows[i + 1] | rows[i + 2])
                    return false;
            return true;
        };
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(TAV_Window::frameReadBuffer());
        while (player->musicTimeMs() < 0 || player->musicTimeMs() + player->nextFrameTimeMs() < target) {
            ASSERT_TRUE(player->step());
            if (player->musicTimeMs() >= 0) {
                ASSERT_TRUE(barsBlack(0)) << "lower bar at music time " << player->musicTimeMs();
                ASSERT_TRUE(barsBlack(kBandTopPx)) << "upper bar at music time " << player->musicTimeMs();
            }
        }
        ASSERT_TRUE(player->playToMusicTime(target));
        ASSERT_TRUE(barsBlack(0)) << target;
        ASSERT_TRUE(barsBlack(kBandTopPx)) << target;
    }

    std::unique_ptr<DemoPlayer> player;
};

TEST_F(TimelineTest, FirstTwoSecondsOfFrameTimeAreBlack)
{
    while (player->scene()->m_loadTime < 2000) {
        ASSERT_TRUE(player->step());
        ASSERT_TRUE(black(player->readFrame(), 0, DemoPlayer::HEIGHT)) << player->scene()->m_loadTime;
    }
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    // The frame that finds 2000 ms is the first loading frame: it leaves the scissor test
    // off, so that the next clear covers the whole window.
    ASSERT_TRUE(player->step());
    EXPECT_EQ(player->scene()->m_loadTime, 2020);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(TimelineTest, LoadingStripStartsAtAFifthOfAPixelPerMillisecond)
{
    // The white LED figure spans x = 120 to 680 on its middle row (GL row 300); the
    // 40-pixel scissor strip reveals it from (m_loadTime - 2000) x 0.2 on.
    for (int loadTime : {3000, 3400, 4000, 4520}) {
        ASSERT_TRUE(player->playToLoadTime(loadTime));
        ASSERT_EQ(player->scene()->m_loadTime, loadTime);
        const int left = (loadTime - 2000) / 5;
        const std::vector<uint8_t>& frame = player->readFrame();
        auto bright = [&](int x) { return frame[(size_t(300) * DemoPlayer::WIDTH + x) * 4] > 128; };
        EXPECT_FALSE(bright(left - 1)) << loadTime;
        EXPECT_TRUE(bright(left)) << loadTime;
        EXPECT_TRUE(bright(left + 39)) << loadTime;
        EXPECT_FALSE(bright(left + 40)) << loadTime;
        if (loadTime == 4000)
            demotest::keepFrame(*player, "demo-loading");
    }
}

TEST_F(TimelineTest, SectionsChangeOnTheirFirstMillisecondAndTheBarsStayBlack)
{
    // 250 ms frames: three in every section, and each moment below is reached exactly.
    player.reset();
    player = demotest::startPlayer(250.0);
    ASSERT_TRUE(player);
    // Section 0 at 11999: the logo scene, with dark pixels in the band.
    playCheckingBars(11999);
    EXPECT_LT(channelRange(player->readFrame(), 0, kBarPx, 800, kBandTopPx).low, 200);
    demotest::keepFrame(*player, "demo-section0-end");

    // 12000: section 1 ends with its white flash at full strength over the whole band.
    ASSERT_TRUE(player->playToMusicTime(12000));
    EXPECT_GE(channelRange(player->readFrame(), 0, kBarPx, 800, kBandTopPx).low, 254);

    // Section 3 shows its card only after 13800. A solid green card shows where it lies,
    // under the white flash from 13500 (alpha 80/300 at 13800).
    TAV_Texture* card = solidTexture(0, 255, 0);
    TAV_Texture* const act = player->scene()->m_actTexture;
    player->scene()->m_actTexture = card;
    playCheckingBars(13800);
    EXPECT_FALSE(near(player->pixel(200, 450), rgb(68, 255, 68), 12)) << std::hex << player->pixel(200, 450);
    ASSERT_TRUE(player->playToMusicTime(13801));
    EXPECT_TRUE(near(player->pixel(200, 450), rgb(68, 255, 68), 12)) << std::hex << player->pixel(200, 450);
    player->scene()->m_actTexture = act;
    delete card;

    // Section 40 draws nothing and sets black: the following frames show an empty band.
    playCheckingBars(41300);
    ASSERT_TRUE(player->playToMusicTime(41320));
    EXPECT_TRUE(bandIsBlack(*player));

    // Section 41: three black flashes 375 ms apart, each starting again at alpha 1.
    playCheckingBars(41992);
    EXPECT_FALSE(bandIsBlack(*player));
    ASSERT_TRUE(player->playToMusicTime(41993));
    EXPECT_TRUE(bandIsBlack(*player));
    playCheckingBars(42367);
    EXPECT_FALSE(bandIsBlack(*player));
    ASSERT_TRUE(player->playToMusicTime(42368));
    EXPECT_TRUE(bandIsBlack(*player));

    // Section 42: black.
    playCheckingBars(43000);
    ASSERT_TRUE(player->playToMusicTime(43020));
    EXPECT_TRUE(bandIsBlack(*player));

    // The credits and the emblem, to the last music frame.
    playCheckingBars(52742);
    EXPECT_EQ(LoadObject::sectionAt(player->musicTimeMs()), 44);
}

TEST_F(TimelineTest, ClosingCardsFadeAndTheDemoExitsWhenItsClockReaches67000)
{
    // Stand-ins of known colours for the first two cards.
    TAV_Texture* red = solidTexture(255, 0, 0);
    TAV_Texture* blue = solidTexture(0, 0, 255);
    LoadObject* scene = player->scene();
    TAV_Texture* const first = scene->m_datumTextures[0];
    TAV_Texture* const second = scene->m_datumTextures[1];
    scene->m_datumTextures[0] = red;
    scene->m_datumTextures[1] = blue;

    // A frame that jumps straight to the closing; 25 ms frames reach 1500 and 1875 exactly.
    ASSERT_TRUE(player->playToLoadTime(6000));
    player->setNextMusicTimeMs(LoadObject::sectionStartMs(LoadObject::SECTION_COUNT));
    player->setFrameTimeMs(25.0);
    while (scene->m_dateTime < 1500)
        ASSERT_TRUE(player->step());
    ASSERT_EQ(scene->m_dateTime, 1500);
    EXPECT_EQ(scene->m_endTime, 52743 + 1500);
    EXPECT_TRUE(near(player->pixel(400, 300), rgb(255, 0, 0), 2)) << std::hex << player->pixel(400, 300);
    while (scene->m_dateTime < 1875)
        ASSERT_TRUE(player->step());
    // Both at alpha 0.5 over the black of the last clear: red halved, then blue over it.
    EXPECT_TRUE(near(player->pixel(400, 300), rgb(64, 0, 128), 3)) << std::hex << player->pixel(400, 300);
    demotest::keepFrame(*player, "demo-closing-1875");

    scene->m_endTime = 66999;
    ASSERT_TRUE(player->step());
    EXPECT_EQ(scene->m_endTime, 66999 + 25);
    scene->m_datumTextures[0] = first;
    scene->m_datumTextures[1] = second;
    delete red;
    delete blue;

    scene->m_endTime = 67000;
    EXPECT_FALSE(player->step());
    EXPECT_TRUE(player->exited());
    EXPECT_TRUE(bandIsBlack(*player));  // the exit frame draws nothing
}

TEST_F(TimelineTest, FramesAllocateNothingInAnySection)
{
    if (!tavtest::AllocationCounter::available())
        GTEST_SKIP() << "operator new belongs to the sanitizer in this build";
    player->setFrameTimeMs(500.0);
    ASSERT_TRUE(player->playToLoadTime(6000));
    // A frame of every section and of the closing, twice: in the first round the GL
    // driver builds its shader variants.
    player->setFrameTimeMs(20.0);
    for (int round = 0; round < 2; ++round) {
        tavtest::AllocationCounter counter;
        for (int section = 0; section <= LoadObject::SECTION_COUNT; ++section) {
            player->setNextMusicTimeMs(std::max(0, LoadObject::sectionStartMs(section)));
            ASSERT_TRUE(player->step()) << "section " << section;
        }
        if (round == 1) {
            EXPECT_EQ(0, counter.count());
        }
    }
    // The grid the music is written on: section 1 at 12000, then one every 750 ms.
    for (int section = 1; section <= 39; ++section)
        EXPECT_EQ(LoadObject::sectionStartMs(section), 12000 + 750 * (section - 1)) << section;
}

}  // namespace

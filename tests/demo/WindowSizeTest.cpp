// The demo in windows of other sizes than its 800x600 design frame: the whole frame shows as
// the largest centred 4:3 picture, drawn at the window's resolution, with black bars; also
// after the window is resized while the demo plays, and on a driver whose limits are below
// the picture's size (rendered smaller, scaled up to the same place).
#include <gtest/gtest.h>

#include "DemoTestSupport.h"

#include "LoadObject.h"
#include "core/TAV_GLLimits.h"
#include "core/TAV_Window.h"

#include <string>

namespace {

struct SizeCase {
    const char* name;
    int widthPx, heightPx;            // the window the player opens
    int resizedWidthPx, resizedHeightPx;  // 0: no resize; else resized before the checked frame
    int pictureX, pictureY, pictureWidth, pictureHeight;  // where the 4:3 picture must land
    int limitPx = 0;  // the driver's limits as the test pretends them; 0: its own
};

bool isBlack(uint32_t rgba) { return (rgba & 0xffffff00u) == 0; }
bool isWhite(uint32_t rgba) { return (rgba & 0xffffff00u) == 0xffffff00u; }

TEST(WindowSize, TheWholePictureShowsCentredWithBlackBarsThroughAWhiteFlash)
{
    const SizeCase cases[] = {
        {"1920x1080_pillarbox", 1920, 1080, 0, 0, 240, 0, 1440, 1080},
        {"1080x1920_letterbox", 1080, 1920, 0, 0, 0, 555, 1080, 810},
        {"1600x1200_twice", 1600, 1200, 0, 0, 0, 0, 1600, 1200},
        {"320x240_small", 320, 240, 0, 0, 0, 0, 320, 240},
        {"800x600_resized_to_1000x600", 800, 600, 1000, 600, 100, 0, 800, 600},
        // Rendered at 512 x 384 and scaled up 2.5 times.
        {"1280x1024_over_a_limit_of_512", 1280, 1024, 0, 0, 0, 32, 1280, 960, 512},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TAV_GLLimits::m_testLimitPx = c.limitPx;
        testing::internal::CaptureStderr();
        // Long frames: the pre-roll passes in a few of them.
        // A resized window must change the frame, as in the program: that one is drawn in it.
        const std::unique_ptr<DemoPlayer> started = demotest::startPlayer(
            500.0, c.widthPx, c.heightPx, c.resizedWidthPx ? DemoPlayer::IN_WINDOW : DemoPlayer::OFF_SCREEN);
        TAV_GLLimits::m_testLimitPx = 0;
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(started);
        DemoPlayer& player = *started;
        // One line says why the picture is soft; none where nothing is over a limit.
        const std::string line = "Tavlen: a 1280 x 960 picture is beyond this OpenGL driver's limits (textures 512, "
                                 "viewports 512 x 512); it is rendered at 512 x 384 and scaled up\n";
        EXPECT_EQ(c.limitPx ? 1 : 0, int(said.find(line) != std::string::npos)) << said;
        EXPECT_EQ(said.find("beyond"), said.rfind("beyond")) << said;
        // Every texture sized by the picture exists: the frame copies' and the stretch's.
        EXPECT_EQ(std::string::npos, said.find("Tavlen: no ")) << said;
        EXPECT_GE(player.scene()->m_copyTextureWidthPx, TAV_Window::m_frame.picture().widthPx);
        EXPECT_GE(player.scene()->m_copyTextureHeightPx, TAV_Window::m_frame.picture().heightPx);
        ASSERT_EQ(c.widthPx, player.width());
        ASSERT_EQ(c.heightPx, player.height());
        ASSERT_TRUE(player.playToMusicTime(11000));
        if (c.resizedWidthPx) {
            XResizeWindow(TAV_Window::dpy, TAV_Window::win, unsigned(c.resizedWidthPx), unsigned(c.resizedHeightPx));
            XSync(TAV_Window::dpy, False);
            ASSERT_TRUE(player.step());  // its event pump sees the new size
        }
        // Section 1 starts with a white flash at full strength over the whole band.
        ASSERT_TRUE(player.playToMusicTime(12000));
        // For a person to look at (a resized window's frame is cut to the size it opened with).
        demotest::keepFrame(player, std::string("window_size_") + c.name);

        const float scale = float(c.pictureHeight) / 600.0f;
        const int left = c.pictureX;
        const int right = c.pictureX + c.pictureWidth - 1;
        const int middleX = c.pictureX + c.pictureWidth / 2;
        const int middleY = c.pictureY + c.pictureHeight / 2;
        // A picture scaled up blends its edges inside over a few pixels.
        const int blendPx = c.limitPx ? 2 : 0;
        const int bandBottom = c.pictureY + int(44.0f * scale + 0.5f) + blendPx;
        const int bandTop = c.pictureY + int(556.0f * scale + 0.5f) - 1 - blendPx;
        EXPECT_TRUE(isWhite(player.pixel(left, middleY)));
        EXPECT_TRUE(isWhite(player.pixel(right, middleY)));
        EXPECT_TRUE(isWhite(player.pixel(middleX, bandBottom)));
        EXPECT_TRUE(isWhite(player.pixel(middleX, bandTop)));
        // The band's own bars, inside the picture.
        EXPECT_TRUE(isBlack(player.pixel(middleX, bandBottom - 1 - 2 * blendPx)));
        EXPECT_TRUE(isBlack(player.pixel(middleX, bandTop + 1 + 2 * blendPx)));
        // The window's bars, where there are any.
        const int windowWidth = c.resizedWidthPx ? c.resizedWidthPx : c.widthPx;
        const int windowHeight = c.resizedHeightPx ? c.resizedHeightPx : c.heightPx;
        if (left > 0) {
            EXPECT_TRUE(isBlack(player.pixel(left - 1, middleY)));
            EXPECT_TRUE(isBlack(player.pixel(0, middleY)));
        }
        if (right < windowWidth - 1) {
            EXPECT_TRUE(isBlack(player.pixel(right + 1, middleY)));
            EXPECT_TRUE(isBlack(player.pixel(windowWidth - 1, middleY)));
        }
        if (c.pictureY > 0) {
            EXPECT_TRUE(isBlack(player.pixel(middleX, 0)));
            EXPECT_TRUE(isBlack(player.pixel(middleX, windowHeight - 1)));
        }
    }
}

}  // namespace

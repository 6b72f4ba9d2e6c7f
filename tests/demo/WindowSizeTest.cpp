// The demo in windows of other sizes than its 800x600 design frame: the whole frame shows as
// the largest centred 4:3 picture, drawn at the window's resolution, with black bars; also
// after the window is resized while the demo plays.
#include <gtest/gtest.h>

#include "DemoTestSupport.h"

#include "LoadObject.h"
#include "core/TAV_Window.h"

#include <string>

namespace {

struct SizeCase {
    const char* name;
    int widthPx, heightPx;            // the window the player opens
    int resizedWidthPx, resizedHeightPx;  // 0: no resize; else resized before the checked frame
    int pictureX, pictureY, pictureWidth, pictureHeight;  // where the 4:3 picture must land
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
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Long frames: the pre-roll passes in a few of them.
        // A resized window must change the frame, as in the program: that one is drawn in it.
        const std::unique_ptr<DemoPlayer> started = demotest::startPlayer(
            500.0, c.widthPx, c.heightPx, c.resizedWidthPx ? DemoPlayer::IN_WINDOW : DemoPlayer::OFF_SCREEN);
        ASSERT_TRUE(started);
        DemoPlayer& player = *started;
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
        const int bandBottom = c.pictureY + int(44.0f * scale + 0.5f);
        const int bandTop = c.pictureY + int(556.0f * scale + 0.5f) - 1;
        EXPECT_TRUE(isWhite(player.pixel(left, middleY)));
        EXPECT_TRUE(isWhite(player.pixel(right, middleY)));
        EXPECT_TRUE(isWhite(player.pixel(middleX, bandBottom)));
        EXPECT_TRUE(isWhite(player.pixel(middleX, bandTop)));
        // The band's own bars, inside the picture.
        EXPECT_TRUE(isBlack(player.pixel(middleX, bandBottom - 1)));
        EXPECT_TRUE(isBlack(player.pixel(middleX, bandTop + 1)));
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

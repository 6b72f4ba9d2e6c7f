#include <gtest/gtest.h>

#include "core/TAV_FrameMapping.h"

namespace {

TEST(FrameMapping, TheDesignFrameFitsCentredAndItsRectanglesMeetOnTheScreen)
{
    struct Case {
        int windowWidth, windowHeight;
        int x, y, width, height;   // the picture
        bool bars;
        int bandY, bandHeight;     // the 800 x 512 band 44 pixels up, in device pixels
    };
    const Case cases[] = {
        {800, 600, 0, 0, 800, 600, false, 44, 512},
        {1920, 1080, 240, 0, 1440, 1080, true, 79, 922},
        {1080, 1920, 0, 555, 1080, 810, true, 614, 692},
        {1366, 768, 171, 0, 1024, 768, true, 56, 656},
        {7680, 4320, 960, 0, 5760, 4320, true, 317, 3686},
        {1001, 750, 0, 0, 1000, 750, true, 55, 640},  // the odd column is a bar
        {640, 0, 319, 0, 1, 1, true, 0, 1},           // degenerate: never empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windowWidth << "x" << c.windowHeight);
        TAV_FrameMapping frame;
        frame.fit(c.windowWidth, c.windowHeight);
        EXPECT_EQ(c.x, frame.picture().xPx);
        EXPECT_EQ(c.y, frame.picture().yPx);
        EXPECT_EQ(c.width, frame.picture().widthPx);
        EXPECT_EQ(c.height, frame.picture().heightPx);
        EXPECT_EQ(c.bars, frame.hasBars());
        const TAV_FrameMapping::Rect band = frame.toDevice(0, 44, 800, 512);
        EXPECT_EQ(c.x, band.xPx);
        EXPECT_EQ(c.width, band.widthPx);
        EXPECT_EQ(c.bandY, band.yPx);
        EXPECT_EQ(c.bandHeight, band.heightPx);
        // Neighbouring strips of the loading bar share their edge: no gap, no overlap.
        const TAV_FrameMapping::Rect a = frame.toDevice(333, 0, 40, 600);
        const TAV_FrameMapping::Rect b = frame.toDevice(373, 0, 40, 600);
        EXPECT_EQ(a.xPx + a.widthPx, b.xPx);
    }
}

// Beyond the driver's limits the picture renders at the largest 4:3 size within them, in the
// lower-left corner of the place it shows in; below them nothing changes.
TEST(FrameMapping, BeyondTheDriversLimitsThePictureRendersSmallerInTheCornerOfItsPlace)
{
    struct Case {
        int windowWidth, windowHeight, largestWidth, largestHeight;
        int shownX, shownY, shownWidth, shownHeight;
        int width, height;  // rendered, at the shown place's origin
    };
    const Case cases[] = {
        {1920, 1080, 16384, 16384, 240, 0, 1440, 1080, 1440, 1080},
        {1280, 1024, 512, 512, 0, 32, 1280, 960, 512, 384},
        {800, 600, 512, 512, 0, 0, 800, 600, 512, 384},
        {7680, 4320, 4096, 4096, 960, 0, 5760, 4320, 4096, 3072},
        {7680, 4320, 16384, 1536, 960, 0, 5760, 4320, 2048, 1536},  // only the viewport's height
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windowWidth << "x" << c.windowHeight << " within " << c.largestWidth
                                        << "x" << c.largestHeight);
        TAV_FrameMapping frame;
        frame.fit(c.windowWidth, c.windowHeight, c.largestWidth, c.largestHeight);
        const TAV_FrameMapping::Rect& shown = frame.shownPicture();
        EXPECT_EQ(c.shownX, shown.xPx);
        EXPECT_EQ(c.shownY, shown.yPx);
        EXPECT_EQ(c.shownWidth, shown.widthPx);
        EXPECT_EQ(c.shownHeight, shown.heightPx);
        EXPECT_EQ(c.shownX, frame.picture().xPx);
        EXPECT_EQ(c.shownY, frame.picture().yPx);
        EXPECT_EQ(c.width, frame.picture().widthPx);
        EXPECT_EQ(c.height, frame.picture().heightPx);
        EXPECT_EQ(c.width != c.shownWidth, frame.isStretched());
        EXPECT_FALSE(frame.isIdentity() && frame.isStretched());
        // Scenes draw into the rendered picture: the design frame's far corner is its corner.
        const TAV_FrameMapping::Rect whole = frame.toDevice(0, 0, 800, 600);
        EXPECT_EQ(c.shownX + c.width, whole.xPx + whole.widthPx);
        EXPECT_EQ(c.shownY + c.height, whole.yPx + whole.heightPx);
        TAV_FrameMapping unlimited;
        unlimited.fit(c.windowWidth, c.windowHeight);
        EXPECT_EQ(frame.isStretched(), frame != unlimited);
    }
}

}  // namespace

// The demo's pictures as the build generates them into data/: the transparency each use
// relies on. (The set of files is checked by AssetgenRunTest, sizes and channels through
// the engine's loader in GeneratedPicturesGLTest.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/AssetFiles.h"

namespace {

assets::Picture load(const std::string& name)
{
    assets::Picture p = assets::readPicture(assets::dataDir() + "/" + name);
    EXPECT_TRUE(p.ok) << name << ": " << p.error;
    return p;
}

// Share of pixels inside the rectangle whose alpha passes `test`.
template <class Test>
double share(const assets::Picture& p, int x0, int y0, int x1, int y1, Test test)
{
    long hits = 0, all = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++all)
            if (test(p.alpha(x, y)))
                ++hits;
    return all ? double(hits) / double(all) : 0.0;
}

// The largest alpha on the outermost `width` pixels of the picture.
int borderAlpha(const assets::Picture& p, int width)
{
    int most = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (x < width || y < width || x >= p.width - width || y >= p.height - width)
                most = std::max(most, int(p.alpha(x, y)));
    return most;
}

}  // namespace

TEST(GeneratedPictures, PicturesShownOnTheirOwnHaveTransparentSurroundings)
{
    // Cards, emblem, sprites and badges are laid over other pictures: their corners are
    // empty, and each has a clearly visible drawing in it.
    for (const char* name : {"o14_logo.png", "lens03.png", "demopeople1.png", "cow_white.png", "datum1.png",
                             "datum2.png", "datum3.png", "datum4.png", "datum5.png", "url.png", "orm14.png",
                             "pennant.png", "dot.png", "act.png", "nob.png", "sympa.png", "idee.png", "credits.png"}) {
        SCOPED_TRACE(name);
        const assets::Picture p = load(name);
        ASSERT_TRUE(p.ok);
        ASSERT_EQ(4, p.channels);
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(0, p.alpha((corner & 1) ? p.width - 1 : 0, (corner & 2) ? p.height - 1 : 0));
        EXPECT_GT(share(p, 0, 0, p.width, p.height, [](int a) { return a >= 128; }), 0.02);
    }
}

TEST(GeneratedPictures, LogoShapeIsInItsAlphaAndSurvivesTheBlurredMipmapLevels)
{
    const assets::Picture p = load("o14_logo.png");
    ASSERT_TRUE(p.ok);
    // The demo draws it black from its alpha over white; the margin stays clear so that the
    // blurred levels (up to 6) do not bleed across the repeating edges.
    EXPECT_EQ(0, borderAlpha(p, 16));
    const double solid = share(p, 0, 0, p.width, p.height, [](int a) { return a == 255; });
    EXPECT_GT(solid, 0.2);
    EXPECT_LT(solid, 0.7);
    // Its blurred mipmap levels are checked as OpenGL builds them, in GeneratedPicturesGLTest.
}

TEST(GeneratedPictures, LensHasAClearCentreAndFullyTransparentEdges)
{
    const assets::Picture p = load("lens03.png");
    ASSERT_TRUE(p.ok);
    // Clamped and stretched over a 1500-pixel quad: the edge texels repeat outwards.
    EXPECT_EQ(0, borderAlpha(p, 2));
    const int c = p.width / 2, r = p.width / 10;
    EXPECT_EQ(1.0, share(p, c - r, c - r, c + r, c + r, [](int a) { return a == 0; }));
}

TEST(GeneratedPictures, FrameMaskIsOpaqueAtTheEdgesAndClearInTheMiddle)
{
    const assets::Picture p = load("mask01.png");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(1.0, share(p, p.width / 3, p.height / 3, 2 * p.width / 3, 2 * p.height / 3, [](int a) { return a < 8; }));
    EXPECT_EQ(1.0, share(p, 0, 0, p.width, 4, [](int a) { return a == 255; }));
    EXPECT_EQ(1.0, share(p, 0, p.height - 4, p.width, p.height, [](int a) { return a == 255; }));
}

TEST(GeneratedPictures, DustLayerIsMostlyTransparent)
{
    const assets::Picture p = load("noise1.png");
    ASSERT_TRUE(p.ok);
    const double clear = share(p, 0, 0, p.width, p.height, [](int a) { return a == 0; });
    EXPECT_GT(clear, 0.9);
    EXPECT_LT(clear, 1.0);
}

TEST(GeneratedPictures, TintedPicturesAreWhiteWhereverTheyShow)
{
    // The demo colours the cow sprite and the dot with glColor; any colour in the picture
    // itself would tint the tint.
    for (const char* name : {"cow_white.png", "dot.png"}) {
        SCOPED_TRACE(name);
        const assets::Picture p = load(name);
        ASSERT_TRUE(p.ok);
        int darkest = 255;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.alpha(x, y) > 0)
                    for (int ch = 0; ch < 3; ++ch)
                        darkest = std::min(darkest, int(p.at(x, y, ch)));
        EXPECT_GE(darkest, 200);
        EXPECT_EQ(255, p.alpha(p.width / 2, p.height / 2));
    }
}

TEST(GeneratedPictures, GrainIsGreyAndTilesWithoutASeam)
{
    const assets::Picture p = load("noise.png");
    ASSERT_TRUE(p.ok);
    double sum = 0.0, sumSquares = 0.0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            ASSERT_EQ(p.at(x, y, 0), p.at(x, y, 1));
            ASSERT_EQ(p.at(x, y, 0), p.at(x, y, 2));
            sum += p.at(x, y, 0);
            sumSquares += double(p.at(x, y, 0)) * p.at(x, y, 0);
        }
    const double n = double(p.width) * p.height, mean = sum / n;
    EXPECT_NEAR(128.0, mean, 20.0);
    EXPECT_GT(std::sqrt(sumSquares / n - mean * mean), 20.0);
    // Across the wrap (last column to first, last row to first) the picture changes no
    // more than between any two neighbouring columns or rows inside it.
    auto columnStep = [&](int a, int b) {
        double d = 0.0;
        for (int y = 0; y < p.height; ++y)
            d += std::abs(int(p.at(a, y, 0)) - int(p.at(b, y, 0)));
        return d / p.height;
    };
    auto rowStep = [&](int a, int b) {
        double d = 0.0;
        for (int x = 0; x < p.width; ++x)
            d += std::abs(int(p.at(x, a, 0)) - int(p.at(x, b, 0)));
        return d / p.width;
    };
    double insideColumns = 0.0, insideRows = 0.0;
    for (int i = 0; i + 1 < p.width; ++i)
        insideColumns += columnStep(i, i + 1) / (p.width - 1);
    for (int i = 0; i + 1 < p.height; ++i)
        insideRows += rowStep(i, i + 1) / (p.height - 1);
    EXPECT_LT(columnStep(p.width - 1, 0), insideColumns * 1.15);
    EXPECT_LT(rowStep(p.height - 1, 0), insideRows * 1.15);
}

// The demo's pictures as the build generates them into data/: the files the demo opens, at
// sizes OpenGL 1.2 takes, with the channels and the transparency each use relies on.
#include <gtest/gtest.h>

#include <dirent.h>  // Required for: opendir(), readdir()

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "tools/AssetFiles.h"

namespace {

struct Expected {
    const char* file;
    int width;
    int height;
    int channels;
};

// Sizes chosen for how the demo shows each picture on its 800 x 600 frame.
const Expected PICTURES[] = {
    {"o14_logo.png", 512, 512, 4},   {"lens03.png", 512, 512, 4},    {"demopeople1.png", 256, 512, 4},
    {"cow_white.png", 128, 128, 4},  {"datum1.png", 256, 256, 4},    {"datum2.png", 256, 256, 4},
    {"datum3.png", 256, 256, 4},     {"datum4.png", 512, 256, 4},    {"datum5.png", 512, 256, 4},
    {"url.png", 512, 256, 4},        {"orm14.png", 512, 512, 4},     {"pennant.png", 256, 128, 4},
    {"dot.png", 128, 128, 4},        {"noise.png", 256, 256, 3},     {"mask01.png", 1024, 512, 4},
    {"noise1.png", 1024, 512, 4},    {"background1.png", 1024, 512, 3}, {"act.png", 256, 128, 4},
    {"nob.png", 512, 256, 4},        {"sympa.png", 256, 128, 4},     {"idee.png", 512, 256, 4},
    {"credits.png", 256, 256, 4},    {"cow_cube.png", 512, 512, 3},
};

assets::Picture load(const std::string& name)
{
    assets::Picture p = assets::readPicture(assets::dataDir() + "/" + name);
    EXPECT_TRUE(p.ok) << name << ": " << p.error;
    return p;
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

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

// One level of a box-filtered mipmap chain, alpha only: what gluBuild2DMipmaps makes of it.
std::vector<double> halveAlpha(const std::vector<double>& alpha, int& width, int& height)
{
    const int w = width / 2, h = height / 2;
    std::vector<double> out(size_t(w) * size_t(h));
    auto at = [&](int x, int y) { return alpha[size_t(y) * size_t(width) + size_t(x)]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[size_t(y) * size_t(w) + size_t(x)] =
                (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1)) / 4.0;
    width = w;
    height = h;
    return out;
}

}  // namespace

TEST(GeneratedPictures, DataHoldsExactlyTheTwentyThreePicturesTheDemoOpens)
{
    std::set<std::string> found;
    DIR* dir = opendir(assets::dataDir().c_str());
    ASSERT_NE(nullptr, dir) << assets::dataDir();
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".png")
            found.insert(name);
    }
    closedir(dir);
    std::set<std::string> expected;
    for (const Expected& e : PICTURES)
        expected.insert(e.file);
    EXPECT_EQ(23u, expected.size());
    EXPECT_EQ(expected, found);
}

TEST(GeneratedPictures, EveryPictureHasItsSizeAndChannelsInPowersOfTwo)
{
    for (const Expected& e : PICTURES) {
        SCOPED_TRACE(e.file);
        const assets::Picture p = load(e.file);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(e.width, p.width);
        EXPECT_EQ(e.height, p.height);
        EXPECT_EQ(e.channels, p.channels);
        EXPECT_EQ(8, p.bitDepth);
        EXPECT_TRUE(isPowerOfTwo(p.width) && isPowerOfTwo(p.height));
    }
}

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
    // A full chain has log2(512) + 1 = 10 levels; the opening uses up to level 6, where the
    // shape must still be there as a soft blot (8 x 8 texels).
    int levels = 1;
    for (int size = std::max(p.width, p.height); size > 1; size /= 2)
        ++levels;
    EXPECT_GE(levels, 7);
    std::vector<double> alpha;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            alpha.push_back(p.alpha(x, y) / 255.0);
    int w = p.width, h = p.height;
    for (int level = 1; level <= 6; ++level)
        alpha = halveAlpha(alpha, w, h);
    ASSERT_EQ(8, w);
    EXPECT_GT(*std::max_element(alpha.begin(), alpha.end()), 0.5);
    EXPECT_LT(alpha[0], 0.05);
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

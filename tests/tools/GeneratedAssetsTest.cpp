// What the build generates into data/, as the demo receives it: the music decoded by
// libvorbisfile, whose accents must fall where the timeline flashes, and the pictures
// through the engine's own PNG loader, with the sizes, alpha and mipmaps each use relies on.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <vorbis/vorbisfile.h>  // Required for: ov_fopen(), ov_read_float()

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/TAV_PNGLoader.h"
#include "image/TAV_Texture.h"
#include "support/TestGLContext.h"

namespace {

const long RATE = 44100;
const std::string DATA = std::string(TAVLEN_BINARY_DIR) + "/data/";

struct Track {
    long rate = 0;
    int channels = 0;
    std::vector<float> left, right;
};

// Decoded once per test process: the track is 67 s long.
const Track& track()
{
    static const Track decoded = [] {
        Track t;
        OggVorbis_File file;
        if (ov_fopen((DATA + "ormund_france.ogg").c_str(), &file) != 0)
            return t;
        t.rate = ov_info(&file, -1)->rate;
        t.channels = ov_info(&file, -1)->channels;
        float** pcm = nullptr;
        int section = 0;
        for (long count; (count = ov_read_float(&file, &pcm, 4096, &section)) > 0;)
            for (long i = 0; i < count; ++i) {
                t.left.push_back(pcm[0][i]);
                t.right.push_back(pcm[t.channels > 1 ? 1 : 0][i]);
            }
        ov_clear(&file);
        return t;
    }();
    return decoded;
}

// Mean square of both channels over [startS, startS + lengthS), in decibels.
double levelDb(double startS, double lengthS)
{
    const Track& t = track();
    const long from = std::max(0L, std::lround(startS * RATE));
    const long to = std::min(long(t.left.size()), std::lround((startS + lengthS) * RATE));
    double sum = 0.0;
    for (long i = from; i < to; ++i)
        sum += 0.5 * (double(t.left[size_t(i)]) * t.left[size_t(i)] + double(t.right[size_t(i)]) * t.right[size_t(i)]);
    return 10.0 * std::log10(std::max(to > from ? sum / double(to - from) : 0.0, 1e-20));
}

struct Onset {
    double strengthDb;
    double offsetMs;
};

// The strongest rise within 15 ms of `expectedS`: how much louder 10 ms are than the 35 ms
// that end 5 ms before them.
Onset onsetNear(double expectedS)
{
    Onset best{-1e9, 0.0};
    for (int ms = -15; ms <= 15; ++ms) {
        const double atS = expectedS + ms / 1000.0;
        const double rise = levelDb(atS, 0.010) - levelDb(atS - 0.040, 0.035);
        if (rise > best.strengthDb)
            best = {rise, double(ms)};
    }
    return best;
}

}  // namespace

TEST(GeneratedMusic, IsA67SecondStereoTrackMasteredWithoutClippingOrOffset)
{
    const Track& t = track();
    ASSERT_FALSE(t.left.empty()) << "cannot decode the track";
    EXPECT_EQ(RATE, t.rate);
    EXPECT_EQ(2, t.channels);
    EXPECT_NEAR(67.0, double(t.left.size()) / RATE, 0.01);
    float peak = 0.0f;
    double sumLeft = 0.0, sumRight = 0.0;
    for (size_t i = 0; i < t.left.size(); ++i) {
        peak = std::max({peak, std::fabs(t.left[i]), std::fabs(t.right[i])});
        sumLeft += t.left[i];
        sumRight += t.right[i];
    }
    EXPECT_LE(20.0 * std::log10(double(peak)), -1.0);
    EXPECT_GT(20.0 * std::log10(double(peak)), -6.0) << "mastered far too quietly";
    EXPECT_LT(std::fabs(sumLeft / double(t.left.size())), 1e-3);
    EXPECT_LT(std::fabs(sumRight / double(t.right.size())), 1e-3);
    // The intro builds; the break falls nearly silent; the outro is calmer; the end silent.
    EXPECT_GT(levelDb(9.0, 1.5), levelDb(1.0, 1.5) + 6.0);
    const double groove = levelDb(24.0, 12.0), outro = levelDb(48.0, 12.0);
    EXPECT_LT(levelDb(42.85, 1.85), -45.0);
    EXPECT_LT(outro, groove - 2.0);
    EXPECT_GT(outro, groove - 15.0);
    EXPECT_LT(levelDb(66.9, 0.1), -60.0);
}

TEST(GeneratedMusic, AccentsFallOnTheTimelinesFlashesAndNotBetweenThem)
{
    ASSERT_FALSE(track().left.empty()) << "cannot decode the track";
    // A flash at every 750 ms section from 12000 to 41250 ms: the strongest rise sits within
    // 10 ms of each, while 300 ms later nothing comparable happens.
    for (int ms = 12000; ms <= 41250; ms += 750) {
        const Onset onset = onsetNear(ms / 1000.0);
        EXPECT_GE(onset.strengthDb, 4.5) << "no accent near " << ms << " ms";
        EXPECT_LE(std::fabs(onset.offsetMs), 10.0) << ms << " ms";
        EXPECT_LT(onsetNear((ms + 300) / 1000.0).strengthDb, 4.5) << "between the beats after " << ms << " ms";
    }
    EXPECT_GE(onsetNear(12.0).strengthDb, 8.0) << "the downbeat at twelve seconds";
    for (int ms : {41618, 41993, 42368})  // the three hits of the break
        EXPECT_GE(onsetNear(ms / 1000.0).strengthDb, 6.0) << "no hit near " << ms << " ms";
}

namespace {

// A picture as the demo's texture holds it: RGBA rows (alpha 255 where the file has none).
struct Texels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    int at(int x, int y, int c) const { return rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)]; }
    // Share of texels in [x0, x1) x [y0, y1), given as fractions of the size, whose alpha passes.
    double share(double x0, double y0, double x1, double y1, const std::function<bool(int)>& passes) const
    {
        long hits = 0, all = 0;
        for (int y = int(y0 * height); y < int(y1 * height); ++y)
            for (int x = int(x0 * width); x < int(x1 * width); ++x, ++all)
                hits += passes(at(x, y, 3));
        return all ? double(hits) / double(all) : 0.0;
    }
    // The largest alpha on the outermost `border` texels.
    int borderAlpha(int border) const
    {
        int most = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (x < border || y < border || x >= width - border || y >= height - border)
                    most = std::max(most, at(x, y, 3));
        return most;
    }
};

Texels texelsOf(int level)
{
    Texels t;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &t.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &t.height);
    t.rgba.resize(size_t(t.width) * size_t(t.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
    return t;
}

}  // namespace

TEST(GeneratedPictures, EveryPictureLoadsWithTheSizeAndAlphaItsUseNeeds)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    // `alone`: laid over other pictures, so its corners are empty and its drawing visible.
    struct Expected { const char* file; int width, height; bool alpha, alone; };
    const Expected pictures[] = {
        {"o14_logo.png", 512, 512, true, true},      {"lens03.png", 512, 512, true, true},
        {"demopeople1.png", 256, 512, true, true},   {"cow_white.png", 128, 128, true, true},
        {"datum1.png", 256, 256, true, true},        {"datum2.png", 256, 256, true, true},
        {"datum3.png", 256, 256, true, true},        {"datum4.png", 512, 256, true, true},
        {"datum5.png", 512, 256, true, true},        {"url.png", 512, 256, true, true},
        {"orm14.png", 512, 512, true, true},         {"pennant.png", 256, 128, true, true},
        {"dot.png", 128, 128, true, true},           {"noise.png", 256, 256, false, false},
        {"mask01.png", 1024, 512, true, false},      {"noise1.png", 1024, 512, true, false},
        {"background1.png", 1024, 512, false, false}, {"act.png", 256, 128, true, true},
        {"nob.png", 512, 256, true, true},           {"sympa.png", 256, 128, true, true},
        {"idee.png", 512, 256, true, true},          {"credits.png", 256, 256, true, true},
        {"cow_cube.png", 512, 512, false, false},
    };
    for (const Expected& e : pictures) {
        SCOPED_TRACE(e.file);
        const std::unique_ptr<TAV_Texture> texture(TAV_PNGLoader::loadPNG((DATA + e.file).c_str(), false));
        ASSERT_NE(nullptr, texture);
        EXPECT_EQ(e.width, texture->getWidth());
        GLint alphaBits = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
        EXPECT_EQ(e.alpha, alphaBits > 0);
        const Texels t = texelsOf(0);
        EXPECT_EQ(e.width, t.width);
        EXPECT_EQ(e.height, t.height);
        if (e.alone) {
            EXPECT_EQ(0, t.at(0, 0, 3) + t.at(t.width - 1, 0, 3) + t.at(0, t.height - 1, 3) + t.at(t.width - 1, t.height - 1, 3));
            EXPECT_GT(t.share(0, 0, 1, 1, [](int a) { return a >= 128; }), 0.02);
        }
    }
}

TEST(GeneratedPictures, EachPictureHasTheTransparencyAndColourItsUseReliesOn)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    auto load = [](const char* name, bool mipmap) {
        std::unique_ptr<TAV_Texture> texture(TAV_PNGLoader::loadPNG((DATA + name).c_str(), mipmap));
        texture->activate();
        return texture;
    };
    // The logo is drawn black from its alpha and blurred by its mipmap levels (down to 6),
    // so its margin stays clear and the 8 x 8 level 6 is a blot dark in the middle only.
    auto texture = load("o14_logo.png", true);
    Texels t = texelsOf(0);
    EXPECT_EQ(0, t.borderAlpha(16));
    EXPECT_GT(t.share(0, 0, 1, 1, [](int a) { return a == 255; }), 0.2);
    EXPECT_LT(t.share(0, 0, 1, 1, [](int a) { return a == 255; }), 0.7);
    t = texelsOf(6);
    ASSERT_EQ(8, t.width);
    EXPECT_GT(t.share(0, 0, 1, 1, [](int a) { return a > 128; }), 0.0);
    EXPECT_LT(t.at(0, 0, 3) + t.at(7, 7, 3), 32);
    EXPECT_EQ(1, texelsOf(9).width);  // the chain goes down to 1 x 1
    // The lens is clamped and stretched: its edge texels repeat outwards and must be clear.
    texture = load("lens03.png", false);
    t = texelsOf(0);
    EXPECT_EQ(0, t.borderAlpha(2));
    EXPECT_EQ(1.0, t.share(0.4, 0.4, 0.6, 0.6, [](int a) { return a == 0; }));
    // The frame mask covers the edges and leaves the middle clear; the dust is mostly clear.
    texture = load("mask01.png", false);
    t = texelsOf(0);
    EXPECT_EQ(1.0, t.share(1 / 3.0, 1 / 3.0, 2 / 3.0, 2 / 3.0, [](int a) { return a < 8; }));
    EXPECT_EQ(1.0, t.share(0, 0, 1, 4.0 / t.height, [](int a) { return a == 255; }));
    EXPECT_EQ(1.0, t.share(0, 1 - 4.0 / t.height, 1, 1, [](int a) { return a == 255; }));
    texture = load("noise1.png", false);
    const double clear = texelsOf(0).share(0, 0, 1, 1, [](int a) { return a == 0; });
    EXPECT_GT(clear, 0.9);
    EXPECT_LT(clear, 1.0);
    // The cow sprite and the dot are tinted with glColor: white wherever they show.
    for (const char* name : {"cow_white.png", "dot.png"}) {
        texture = load(name, false);
        t = texelsOf(0);
        int darkest = 255;
        for (size_t i = 0; i < t.rgba.size(); i += 4)
            if (t.rgba[i + 3] > 0)
                darkest = std::min({darkest, int(t.rgba[i]), int(t.rgba[i + 1]), int(t.rgba[i + 2])});
        EXPECT_GE(darkest, 200) << name;
        EXPECT_EQ(255, t.at(t.width / 2, t.height / 2, 3)) << name;
    }
    // The grain is grey, varied, and tiles without a seam: across the wrap it changes no
    // more than between neighbouring columns or rows inside it.
    texture = load("noise.png", false);
    t = texelsOf(0);
    double sum = 0.0, sumSquares = 0.0, inside[2] = {0.0, 0.0}, across[2] = {0.0, 0.0};
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            const int v = t.at(x, y, 0), right = t.at((x + 1) % t.width, y, 0), below = t.at(x, (y + 1) % t.height, 0);
            ASSERT_TRUE(v == t.at(x, y, 1) && v == t.at(x, y, 2));
            sum += v;
            sumSquares += double(v) * v;
            (x + 1 < t.width ? inside[0] : across[0]) += std::abs(v - right);
            (y + 1 < t.height ? inside[1] : across[1]) += std::abs(v - below);
        }
    const double n = double(t.width) * t.height, mean = sum / n;
    EXPECT_NEAR(128.0, mean, 20.0);
    EXPECT_GT(std::sqrt(sumSquares / n - mean * mean), 20.0);
    EXPECT_LT(across[0] / t.height, inside[0] / (n - t.height) * 1.15);
    EXPECT_LT(across[1] / t.width, inside[1] / (n - t.width) * 1.15);
}

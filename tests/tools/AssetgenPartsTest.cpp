// The generator's building blocks, each against a reference it must meet: portable maths
// against the C library, the loudness meter against the BS.1770 calibration, the limiter's
// ceiling, the colour of transparent pixels, grown masks, measured text and the Ogg
// writer's fixed serial. (Tiling noise and envelopes show in the generated files' tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "Dsp.h"
#include "Icons.h"
#include "Image.h"
#include "CoverageMask.h"
#include "Mastering.h"
#include "PortableMath.h"
#include "Random.h"
#include "TextSetter.h"
#include "VorbisWriter.h"
#include "support/TestGLContext.h"
#include "tools/AssetFiles.h"

namespace {

// A stereo sine of the given amplitude in both channels.
dsp::Stereo sine(double seconds, double hz, float amplitude)
{
    dsp::Stereo s(size_t(seconds * dsp::SAMPLE_RATE));
    for (size_t i = 0; i < s.frames(); ++i) {
        const float v = amplitude * float(std::sin(2.0 * M_PI * hz * double(i) / dsp::SAMPLE_RATE));
        s.left[i] = v;
        s.right[i] = v;
    }
    return s;
}

}  // namespace

TEST(PortableMath, AgreesWithTheCLibraryToNearlyFullDoublePrecision)
{
    Random random(1);
    double worstTrig = 0.0, worstExp = 0.0, worstLog = 0.0, worstPow = 0.0;
    for (int i = 0; i < 20000; ++i) {
        const double x = (random.uniform() - 0.5) * 2000.0;
        worstTrig = std::max(worstTrig, std::fabs(pm::sin(x) - std::sin(x)));
        worstTrig = std::max(worstTrig, std::fabs(pm::cos(x) - std::cos(x)));
        const double e = (random.uniform() - 0.5) * 1400.0;
        worstExp = std::max(worstExp, std::fabs(pm::exp(e) / std::exp(e) - 1.0));
        const double l = std::exp((random.uniform() - 0.5) * 1400.0);
        worstLog = std::max(worstLog, std::fabs(pm::log(l) - std::log(l)) / std::max(1.0, std::fabs(std::log(l))));
        const double base = 0.01 + 100.0 * random.uniform(), power = (random.uniform() - 0.5) * 20.0;
        worstPow = std::max(worstPow, std::fabs(pm::pow(base, power) / std::pow(base, power) - 1.0));
    }
    EXPECT_LT(worstTrig, 1e-13);
    EXPECT_LT(worstExp, 1e-14);
    EXPECT_LT(worstLog, 1e-15);
    EXPECT_LT(worstPow, 1e-13);
    EXPECT_DOUBLE_EQ(1.0, pm::tanh(50.0));
    EXPECT_NEAR(std::tanh(0.3), pm::tanh(0.3), 1e-15);
    EXPECT_TRUE(std::isnan(pm::log(-1.0)));
    EXPECT_EQ(0.0, pm::exp(-1000.0));
}

TEST(Loudness, FullScaleCalibrationSineReadsItsLevelInLufs)
{
    // BS.1770 is calibrated so that a 997 Hz sine at -20 dBFS in both channels of a stereo
    // signal reads -20 LUFS.
    EXPECT_NEAR(-20.0, mastering::integratedLoudness(sine(5.0, 997.0, 0.1f)), 0.05);
    EXPECT_NEAR(-26.0, mastering::integratedLoudness(sine(5.0, 997.0, 0.05f)), 0.05);
    // Silence is under the absolute gate.
    EXPECT_LE(mastering::integratedLoudness(dsp::Stereo(dsp::SAMPLE_RATE * 2)), -70.0);
}

TEST(Mastering, BringsALoudSignalToTheTargetWithPeaksUnderTheCeiling)
{
    // Bursts of noise over a low hum: peaks far above the body, which the limiter must catch.
    dsp::Stereo s = sine(6.0, 110.0, 0.3f);
    Random random(7);
    for (size_t i = 0; i < s.frames(); ++i)
        if ((i / 4410) % 5 == 0) {
            s.left[i] += (random.uniform() - 0.5f) * 1.8f;
            s.right[i] += (random.uniform() - 0.5f) * 1.8f;
        }
    const double reached = mastering::master(s, -14.0, -2.0f);
    EXPECT_NEAR(-14.0, reached, 0.1);
    EXPECT_NEAR(-14.0, mastering::integratedLoudness(s), 0.1);
    EXPECT_LE(mastering::peak(s), dsp::dbToGain(-2.0f) * 1.0001f);
}

TEST(Image, TransparentPixelsCarryTheColourOfTheNearestVisibleOne)
{
    // Linear filtering and mipmaps mix a transparent texel's colour into the edge, so it
    // must be the edge's own colour, not black.
    Image image(16, 16);
    image.fill([](Vec2 p) { return shapes::circle(p, Vec2(8, 8), 3.0f); }, Colour(1.0f, 0.38f, 0.08f, 1.0f));
    const std::vector<uint8_t> bytes = image.bytes(4);
    auto pixel = [&](int x, int y, int c) { return int(bytes[(size_t(y) * 16 + size_t(x)) * 4 + size_t(c)]); };
    EXPECT_EQ(255, pixel(8, 8, 3));
    EXPECT_EQ(0, pixel(0, 0, 3));
    EXPECT_EQ(255, pixel(0, 0, 0));
    EXPECT_NEAR(97, pixel(0, 0, 1), 1);
    EXPECT_NEAR(20, pixel(15, 15, 2), 1);
}

TEST(Image, WritesOpaquePicturesWithThreeChannelsAndRefusesOthers)
{
    Image image(4, 4);
    image.paintAll([](Vec2) { return Colour(0.5f, 0.5f, 0.5f, 1.0f); });
    const std::string path = tavtest::scratchDir() + "/grey.png";
    image.writePNG(path, 3);
    const assets::Picture p = assets::readPicture(path);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(3, p.channels);
    EXPECT_NEAR(128, p.at(2, 2, 0), 1);
    EXPECT_THROW(image.writePNG(path, 2), std::runtime_error);
    EXPECT_THROW(image.writePNG(tavtest::scratchDir() + "/no/such/folder/x.png", 4), std::runtime_error);
}

TEST(Icons, AveragingDownKeepsTheColourAndTheMeanCoverageAtEverySize)
{
    // Orange whose alpha rises from 0 at the left edge to 1 at the right: every icon pixel
    // keeps the orange (transparent pixels add no dark fringe) and has the mean alpha of the
    // columns it covers, also where it covers a fraction of a column (512 / 48).
    Image picture(512, 512);
    picture.paintAll([](Vec2 p) { return Colour(1.0f, 0.5f, 0.0f, p.x / 512.0f); });
    for (const int sizePx : {16, 48, 256}) {
        SCOPED_TRACE(sizePx);
        const Image icon = scaledDown(picture, sizePx);
        for (int y = 0; y < sizePx; ++y)
            for (int x = 0; x < sizePx; ++x) {
                const Colour c = icon.at(x, y);
                ASSERT_NEAR((float(x) + 0.5f) / float(sizePx), c.a, 1e-4f) << x << "," << y;
                ASSERT_NEAR(1.0f, c.r, 1e-4f);
                ASSERT_NEAR(0.5f, c.g, 1e-4f);
            }
    }
}

TEST(CoverageMask, DilationGrowsAShapeByItsRadiusAndNoMore)
{
    CoverageMask mask(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            mask.set(x, y, shapes::clamp(0.5f - shapes::circle(Vec2(x + 0.5f, y + 0.5f), Vec2(32, 32), 10.0f), 0.0f, 1.0f));
    const CoverageMask grown = mask.dilated(6.0f);
    EXPECT_FLOAT_EQ(1.0f, grown.at(32 + 14, 32));
    EXPECT_FLOAT_EQ(0.0f, grown.at(32 + 19, 32));
    EXPECT_FLOAT_EQ(0.0f, grown.at(32, 32 + 19));
    EXPECT_FLOAT_EQ(1.0f, grown.at(32, 32));
}

TEST(TextSetter, MeasuresTheWidthItDraws)
{
    const TextSetter font(std::string(TAVLEN_DEJAVU_DIR) + "/DejaVuSans-Bold.ttf");
    TextSetter::Style style;
    style.sizePx = 40.0f;
    style.trackingPx = 3.0f;
    style.squeeze = 0.8f;
    CoverageMask mask(400, 100);
    font.draw(mask, "TAVLEN", 20.0f, 70.0f, style);
    int left = 400, right = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 400; ++x)
            if (mask.at(x, y) > 0.5f) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    // Ink starts at the pen and ends near the measured advance (side bearings are small).
    EXPECT_NEAR(20.0, left, 4.0);
    EXPECT_NEAR(20.0 + font.measure("TAVLEN", style), right, 4.0);
    EXPECT_NEAR(29.0 * 0.73, font.capHeight(style) * 29.0 / 40.0, 2.0);
    EXPECT_THROW(TextSetter("/no/such/font.ttf"), std::runtime_error);
}

TEST(VorbisWriter, WritesTheWholeSignalUnderAFixedSerial)
{
    const std::string path = tavtest::scratchDir() + "/tone.ogg";
    VorbisSettings settings;
    settings.serial = 0x1234ABCD;
    writeVorbis(path, sine(1.5, 440.0, 0.25f), settings);
    const assets::Track track = assets::decodeTrack(path);
    ASSERT_TRUE(track.ok) << track.error;
    EXPECT_EQ(44100, track.rate);
    EXPECT_EQ(2, track.channels);
    EXPECT_EQ(size_t(1.5 * 44100), track.left.size());
    // Every Ogg page carries the serial at byte 14 of its header, least significant first.
    const std::string bytes = assets::readFile(path);
    ASSERT_GT(bytes.size(), 18u);
    EXPECT_EQ("OggS", bytes.substr(0, 4));
    EXPECT_EQ(std::string("\xCD\xAB\x34\x12", 4), bytes.substr(14, 4));
    EXPECT_THROW(writeVorbis(tavtest::scratchDir() + "/no/such/folder/x.ogg", sine(0.1, 440.0, 0.1f), settings),
                 std::runtime_error);
}

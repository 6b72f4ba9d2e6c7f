// The demo's music as the build generates it: an Ogg Vorbis track of 67 seconds whose
// accents fall where the demo's timeline flashes, mixed without clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/TestGLContext.h"
#include "tools/AssetFiles.h"

namespace {

const long RATE = 44100;

// Decoded once per test process: the track is 67 s and every test here reads it.
const assets::Track& track()
{
    static const assets::Track decoded = assets::decodeTrack(assets::dataDir() + "/ormund_france.ogg");
    return decoded;
}

// Mean square of both channels over [startS, startS + lengthS).
double power(double startS, double lengthS)
{
    const assets::Track& t = track();
    const long from = std::max(0L, std::lround(startS * RATE));
    const long to = std::min(long(t.left.size()), std::lround((startS + lengthS) * RATE));
    double sum = 0.0;
    for (long i = from; i < to; ++i)
        sum += 0.5 * (double(t.left[size_t(i)]) * t.left[size_t(i)] + double(t.right[size_t(i)]) * t.right[size_t(i)]);
    return to > from ? sum / double(to - from) : 0.0;
}

double decibels(double meanSquare) { return 10.0 * std::log10(std::max(meanSquare, 1e-20)); }

// How much louder the 10 ms after `atS` are than the 35 ms that end 5 ms before it: an
// onset shows as a jump of several decibels.
double rise(double atS)
{
    return decibels(power(atS, 0.010)) - decibels(power(atS - 0.040, 0.035));
}

struct Onset {
    double strengthDb;
    double offsetMs;
};

// The strongest rise within ±15 ms of `expectedS`, and where it is.
Onset onsetNear(double expectedS)
{
    Onset best{-1e9, 0.0};
    for (int ms = -15; ms <= 15; ++ms) {
        const double r = rise(expectedS + ms / 1000.0);
        if (r > best.strengthDb)
            best = {r, double(ms)};
    }
    return best;
}

}  // namespace

TEST(GeneratedMusic, IsStereoAt44100HzAndSixtySevenSecondsLong)
{
    const assets::Track& t = track();
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(RATE, t.rate);
    EXPECT_EQ(2, t.channels);
    EXPECT_NEAR(67.0, double(t.left.size()) / RATE, 0.01);
}

TEST(GeneratedMusic, PeaksStayUnderMinusOneDecibelAndThereIsNoOffset)
{
    const assets::Track& t = track();
    ASSERT_TRUE(t.ok) << t.error;
    float peak = 0.0f;
    double sumLeft = 0.0, sumRight = 0.0;
    for (size_t i = 0; i < t.left.size(); ++i) {
        peak = std::max(peak, std::max(std::fabs(t.left[i]), std::fabs(t.right[i])));
        sumLeft += t.left[i];
        sumRight += t.right[i];
    }
    const double peakDb = 20.0 * std::log10(double(peak));
    RecordProperty("peak_dBFS", std::to_string(peakDb));
    EXPECT_LE(peakDb, -1.0);
    EXPECT_GT(peakDb, -6.0) << "mastered far too quietly";
    EXPECT_LT(std::fabs(sumLeft / double(t.left.size())), 1e-3);
    EXPECT_LT(std::fabs(sumRight / double(t.right.size())), 1e-3);
}

TEST(GeneratedMusic, EverySectionOfTheGrooveStartsWithAnAccentOnTheBeat)
{
    ASSERT_TRUE(track().ok) << track().error;
    // The timeline flashes at every 750 ms section from 12000 to 41250 ms: the strongest
    // rise sits within 10 ms of each, while 300 ms later (between the beats) nothing
    // comparable happens.
    for (int ms = 12000; ms <= 41250; ms += 750) {
        const Onset onset = onsetNear(ms / 1000.0);
        EXPECT_GE(onset.strengthDb, 4.5) << "no accent near " << ms << " ms";
        EXPECT_LE(std::fabs(onset.offsetMs), 10.0) << ms << " ms";
        EXPECT_LT(onsetNear((ms + 300) / 1000.0).strengthDb, 4.5) << "between the beats after " << ms << " ms";
    }
    EXPECT_GE(onsetNear(12.0).strengthDb, 8.0) << "the downbeat at twelve seconds";
    // The intro builds: its last seconds are louder than its first.
    EXPECT_GT(decibels(power(9.0, 1.5)), decibels(power(1.0, 1.5)) + 6.0);
}

TEST(GeneratedMusic, TheThreeHitsOfTheBreakLandOnTheFlashes)
{
    ASSERT_TRUE(track().ok) << track().error;
    for (int ms : {41618, 41993, 42368}) {
        const Onset onset = onsetNear(ms / 1000.0);
        EXPECT_GE(onset.strengthDb, 6.0) << "no hit near " << ms << " ms";
    }
}

TEST(GeneratedMusic, TheBreakFallsNearlySilentAndTheOutroIsCalmer)
{
    ASSERT_TRUE(track().ok) << track().error;
    const double groove = decibels(power(24.0, 12.0));
    EXPECT_LT(decibels(power(42.85, 1.85)), -45.0);
    const double outro = decibels(power(48.0, 12.0));
    EXPECT_LT(outro, groove - 2.0);
    EXPECT_GT(outro, groove - 15.0);
    // Over by the end: the last tenth of a second is silent.
    EXPECT_LT(decibels(power(66.9, 0.1)), -60.0);
}

TEST(GeneratedMusic, LoudnessIsAboutMinusFourteenLufsByFfmpeg)
{
    // An independent meter: ffmpeg's EBU R128 filter, when the machine has ffmpeg.
    if (assets::run({"/usr/bin/ffmpeg", "-version"}, tavtest::scratchDir() + "/ffmpeg-version.log") != 0)
        GTEST_SKIP() << "ffmpeg not available";
    const std::string log = tavtest::scratchDir() + "/ebur128.log";
    ASSERT_EQ(0, assets::run({"/usr/bin/ffmpeg", "-nostats", "-i", assets::dataDir() + "/ormund_france.ogg", "-af",
                              "ebur128", "-f", "null", "-"},
                             log));
    const std::string output = assets::readFile(log);
    const size_t summary = output.find("Integrated loudness:");
    ASSERT_NE(std::string::npos, summary);
    const size_t value = output.find("I:", summary);
    ASSERT_NE(std::string::npos, value);
    const double lufs = std::stod(output.substr(value + 2));
    RecordProperty("integrated_LUFS", std::to_string(lufs));
    EXPECT_NEAR(-14.0, lufs, 1.0);
}

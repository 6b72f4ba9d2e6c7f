// The asset generator: one run writes exactly the build's files, byte for byte (the build ran
// it too), bad command lines are refused, and the parts that must meet a reference do: the
// portable maths against the C library, the loudness meter against its calibration, the
// limiter's ceiling, the colour under transparent pixels and the Ogg writer's fixed serial.
#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>  // Required for: ov_fopen(), ov_pcm_total()

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Dsp.h"
#include "Image.h"
#include "Mastering.h"
#include "PortableMath.h"
#include "Random.h"
#include "VorbisWriter.h"
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestProcess.h"

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The generator's exit status (-1 when it did not exit within a minute).
int runGenerator(const std::vector<std::string>& args)
{
    TestProcess generator(TAVLEN_ASSETGEN, args);
    return generator.start() && generator.wait(60000) && generator.exited() ? generator.exitCode() : -1;
}

// A stereo sine of the given amplitude in both channels.
dsp::Stereo sine(double seconds, double hz, float amplitude)
{
    dsp::Stereo s(size_t(seconds * dsp::SAMPLE_RATE));
    for (size_t i = 0; i < s.frames(); ++i)
        s.left[i] = s.right[i] = amplitude * float(std::sin(2.0 * M_PI * hz * double(i) / dsp::SAMPLE_RATE));
    return s;
}

}  // namespace

TEST(Assetgen, WritesTheBuildsFilesByteForByteAndRefusesBadCommandLines)
{
    const std::string out = tavtest::scratchDir() + "/generated";
    ASSERT_EQ(0, runGenerator({out}));
    std::set<std::string> declared, written;
    std::istringstream list(TAVLEN_DATA_FILES);  // names separated by commas
    for (std::string name; std::getline(list, name, ',');)
        declared.insert(name);
    for (const auto& entry : std::filesystem::directory_iterator(out + "/data"))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(24u, declared.size());
    EXPECT_EQ(declared, written);
    for (const std::string& name : declared) {
        const std::string bytes = readFile(out + "/data/" + name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == readFile(std::string(TAVLEN_BINARY_DIR) + "/data/" + name)) << name << " differs";
    }
    const std::vector<std::vector<std::string>> refused = {{"--only", "no_such_picture", out + "/x"}, {"--bogus"}, {}};
    for (const std::vector<std::string>& args : refused)
        EXPECT_NE(0, runGenerator(args)) << (args.empty() ? "(no arguments)" : args[0]);
}

TEST(PortableMath, AgreesWithTheCLibraryToNearlyFullDoublePrecision)
{
    // The pictures and music must not depend on the machine's libm: the generator computes
    // with its own functions, which must still be as good as the C library's.
    Random random(1);
    double worstTrig = 0.0, worstExp = 0.0, worstLog = 0.0, worstPow = 0.0;
    for (int i = 0; i < 20000; ++i) {
        const double x = (random.uniform() - 0.5) * 2000.0;
        worstTrig = std::max({worstTrig, std::fabs(pm::sin(x) - std::sin(x)), std::fabs(pm::cos(x) - std::cos(x))});
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

TEST(Mastering, MeterReadsTheCalibrationSineAndTheLimiterKeepsPeaksUnderTheCeiling)
{
    // BS.1770: a 997 Hz sine at -20 dBFS in both channels reads -20 LUFS; silence is gated.
    EXPECT_NEAR(-20.0, mastering::integratedLoudness(sine(5.0, 997.0, 0.1f)), 0.05);
    EXPECT_NEAR(-26.0, mastering::integratedLoudness(sine(5.0, 997.0, 0.05f)), 0.05);
    EXPECT_LE(mastering::integratedLoudness(dsp::Stereo(dsp::SAMPLE_RATE * 2)), -70.0);
    // Bursts of noise over a low hum: peaks far above the body, which the limiter must catch.
    dsp::Stereo s = sine(6.0, 110.0, 0.3f);
    Random random(7);
    for (size_t i = 0; i < s.frames(); ++i)
        if ((i / 4410) % 5 == 0) {
            s.left[i] += (random.uniform() - 0.5f) * 1.8f;
            s.right[i] += (random.uniform() - 0.5f) * 1.8f;
        }
    EXPECT_NEAR(-14.0, mastering::master(s, -14.0, -2.0f), 0.1);
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

TEST(VorbisWriter, WritesTheWholeSignalUnderAFixedSerial)
{
    const std::string path = tavtest::scratchDir() + "/tone.ogg";
    VorbisSettings settings;
    settings.serial = 0x1234ABCD;
    writeVorbis(path, sine(1.5, 440.0, 0.25f), settings);
    OggVorbis_File file;
    ASSERT_EQ(0, ov_fopen(path.c_str(), &file));
    EXPECT_EQ(44100, ov_info(&file, -1)->rate);
    EXPECT_EQ(2, ov_info(&file, -1)->channels);
    EXPECT_EQ(ogg_int64_t(1.5 * 44100), ov_pcm_total(&file, -1));
    ov_clear(&file);
    // Every Ogg page carries the serial at byte 14 of its header, least significant first.
    const std::string bytes = readFile(path);
    ASSERT_GT(bytes.size(), 18u);
    EXPECT_EQ("OggS", bytes.substr(0, 4));
    EXPECT_EQ(std::string("\xCD\xAB\x34\x12", 4), bytes.substr(14, 4));
    EXPECT_THROW(writeVorbis(tavtest::scratchDir() + "/no/such/folder/x.ogg", sine(0.1, 440.0, 0.1f), settings),
                 std::runtime_error);
}

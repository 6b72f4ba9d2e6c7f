// The music the build generates into data/, as libvorbisfile decodes it: its accents must
// fall where the timeline flashes. (The generator's pictures are seen in the demo's frames.)
#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>  // Required for: ov_fopen(), ov_read_float()

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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

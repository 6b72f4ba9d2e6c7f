// The music calls on the real audio stack: OpenAL Soft with its null output (real time, no
// sound), its wave-file output, an output that cannot open, files that cannot be played, and
// the clock seam. Tracks are made by the tests with libvorbisenc.
//
// OpenAL Soft reads its configuration (ALSOFT_DRIVERS, ALSOFT_CONF) once per process, so each
// test that needs its own output must be the first in its process to start OpenAL; CTest runs
// every test in a process of its own. Run together in one process, the later ones skip.
#include <gtest/gtest.h>

#include <unistd.h>    // Required for: dup(), dup2(), close()

#include <vorbis/vorbisfile.h>  // Required for: ov_fopen(), ov_read(): the reference decode

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "SoundStream.h"
#include "fsound.h"
#include "support/TestGLContext.h"
#include "support/TestOggTone.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void sleepMs(double ms)
{
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

// This test process's scratch folder (each test runs in a process of its own), removed at exit.
struct TempDir {
    std::string file(const std::string& name) const { return tavtest::scratchDir() + "/" + name; }
};

// Everything written to stderr (by us, OpenAL or libasound) while it lives.
class StderrCapture {
public:
    explicit StderrCapture(const std::string& path) : m_path(path)
    {
        fflush(stderr);
        m_savedFd = dup(2);
        FILE* file = fopen(path.c_str(), "w");
        dup2(fileno(file), 2);
        fclose(file);
    }
    ~StderrCapture() { restore(); }

    // Stops capturing and returns the lines written.
    std::vector<std::string> lines()
    {
        restore();
        std::ifstream in(m_path);
        std::vector<std::string> result;
        for (std::string line; std::getline(in, line);)
            result.push_back(line);
        return result;
    }

private:
    void restore()
    {
        if (m_savedFd < 0)
            return;
        fflush(stderr);
        dup2(m_savedFd, 2);
        close(m_savedFd);
        m_savedFd = -1;
    }

    std::string m_path;
    int m_savedFd = -1;
};

// Closes the library at the end of a test, also when it fails, and turns the seam off.
struct SoundSession {
    ~SoundSession()
    {
        FSOUND_SetManualClock(false);
        FSOUND_Close();
    }
};

// The output chosen for this process, empty until a test chooses one.
std::string g_openALDrivers;

// Chooses OpenAL Soft's output for this process; false when another one has been chosen
// already. A configuration file makes every choice a new one.
bool configureOpenAL(const char* drivers, const std::string& configPath = "")
{
    if (!g_openALDrivers.empty())
        return g_openALDrivers == drivers && configPath.empty();
    g_openALDrivers = configPath.empty() ? drivers : "(configured)";
    unsetenv("ALSOFT_LOGLEVEL");  // the library's own quiet mode is part of what is tested
    setenv("ALSOFT_DRIVERS", drivers, 1);
    if (!configPath.empty())
        setenv("ALSOFT_CONF", configPath.c_str(), 1);
    return true;
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// The whole track as libvorbisfile decodes it, 16-bit interleaved.
std::vector<int16_t> decodeAll(const std::string& path)
{
    std::vector<int16_t> samples;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0)
        return samples;
    char chunk[8192];
    int link = 0;
    for (long got; (got = ov_read(&file, chunk, sizeof chunk, 0, 2, 1, &link)) != 0;) {
        if (got < 0)
            continue;
        const int16_t* values = reinterpret_cast<const int16_t*>(chunk);
        samples.insert(samples.end(), values, values + got / 2);
    }
    ov_clear(&file);
    return samples;
}

// The samples of a 16-bit WAVE file (the data chunk, however the header is laid out).
std::vector<int16_t> readWaveSamples(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples;
    size_t at = 12;  // "RIFF", size, "WAVE"
    while (at + 8 <= bytes.size()) {
        uint32_t chunkBytes = 0;
        memcpy(&chunkBytes, bytes.data() + at + 4, 4);
        if (bytes.compare(at, 4, "data") == 0) {
            const size_t begin = at + 8;
            const size_t end = std::min(bytes.size(), begin + chunkBytes);
            samples.resize((end - begin) / 2);
            memcpy(samples.data(), bytes.data() + begin, samples.size() * 2);
            break;
        }
        at += 8 + chunkBytes + (chunkBytes & 1);
    }
    return samples;
}

// One frame of a frame loop: the wall time just before the clock was read, its reading, and
// how long the read took by the wall clock (long only when the test was preempted).
struct Frame {
    double wallMs;
    int musicMs;
    double readMs;
};

// A reading taken without being preempted: its wall time is the clock's own moment.
bool isClean(const Frame& frame)
{
    return frame.readMs < 0.5;
}

// Reads the clock once per `frameMs` until `untilMs` after `start`; the frame that starts at
// `stallAtMs` takes `stallMs`, like a frame that loads something. Like a real frame loop, a
// late frame delays the next one rather than being followed by one at once.
std::vector<Frame> runFrames(FSOUND_STREAM* stream, Clock::time_point start, double untilMs,
                             double frameMs, double stallAtMs, double stallMs)
{
    std::vector<Frame> frames;
    frames.reserve(static_cast<size_t>(untilMs / frameMs) + 16);
    bool stalled = false;
    for (double nextMs = msSince(start); nextMs < untilMs;) {
        std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double, std::milli>(nextMs)));
        const double wallMs = msSince(start);
        const int musicMs = FSOUND_Stream_GetTime(stream);
        frames.push_back({wallMs, musicMs, msSince(start) - wallMs});
        if (!stalled && wallMs >= stallAtMs) {
            stalled = true;
            sleepMs(stallMs);
        }
        nextMs = std::max(nextMs + frameMs, msSince(start) + frameMs / 2);
    }
    return frames;
}

} // namespace

TEST(Music, NullOutputClockIsSmoothMonotonicAndKeepsToTheWallClock)
{
    if (!configureOpenAL("null"))
        GTEST_SKIP() << "OpenAL was started earlier in this process; run through ctest";
    SoundSession session;
    TempDir dir;
    const std::string track = dir.file("tones.ogg");
    ASSERT_TRUE(tavtest::writeToneOgg(track, 14.0));

    ASSERT_TRUE(FSOUND_Init(44100, 1, 1));
    const Clock::time_point openStart = Clock::now();
    FSOUND_STREAM* stream = FSOUND_Stream_Open(track.c_str(), FSOUND_2D, 0, 0);
    const double openMs = msSince(openStart);
    ASSERT_NE(nullptr, stream);
    ASSERT_FALSE(stream->isSilent());

    // The demo opens the music six seconds before it starts it; three are given here, so the
    // device clock is known when the music starts.
    sleepMs(3000.0);
    EXPECT_EQ(0, FSOUND_Stream_GetTime(stream)) << "nothing plays before Play";

    const Clock::time_point playStart = Clock::now();
    EXPECT_EQ(0, FSOUND_Stream_Play(FSOUND_FREE, stream));
    const std::vector<Frame> frames = runFrames(stream, playStart, 10500.0, 1000.0 / 60, 5000.0, 200.0);
    const double latencyMs = stream->outputLatencyMs();

    size_t first = 0;  // the first frame that hears music
    while (first < frames.size() && frames[first].musicMs == 0)
        ++first;
    ASSERT_LT(first, frames.size()) << "the clock never started";

    int decreases = 0, repeats = 0, interrupted = 0, steps = 0;
    double worstStepErrorMs = 0.0, sumStepErrorMs = 0.0;
    double lowestLeadMs = 1e9, highestLeadMs = -1e9;
    for (size_t i = 1; i < frames.size(); ++i) {
        const int stepMs = frames[i].musicMs - frames[i - 1].musicMs;
        decreases += stepMs < 0;
        if (i <= first)
            continue;
        repeats += stepMs == 0;
        interrupted += !isClean(frames[i]);
        if (!isClean(frames[i]) || !isClean(frames[i - 1]))
            continue;
        const double stepErrorMs = std::fabs(stepMs - (frames[i].wallMs - frames[i - 1].wallMs));
        worstStepErrorMs = std::max(worstStepErrorMs, stepErrorMs);
        sumStepErrorMs += stepErrorMs;
        ++steps;
    }
    for (size_t i = first; i < frames.size(); ++i) {
        if (!isClean(frames[i]))
            continue;
        const double leadMs = frames[i].musicMs - frames[i].wallMs;
        lowestLeadMs = std::min(lowestLeadMs, leadMs);
        highestLeadMs = std::max(highestLeadMs, leadMs);
    }
    const double driftMs = highestLeadMs - lowestLeadMs;

    printf("[ figures  ] open %.2f ms, output latency %.1f ms, first sound read %.1f ms after Play\n",
           openMs, latencyMs, frames[first].wallMs);
    printf("[ figures  ] %zu frames over %.1f s (%d reads preempted, not judged): step error max "
           "%.2f ms, mean %.3f ms; drift %.2f ms\n",
           frames.size(), (frames.back().wallMs - frames[first].wallMs) / 1000.0, interrupted,
           worstStepErrorMs, sumStepErrorMs / steps, driftMs);

    EXPECT_EQ(0, decreases);
    EXPECT_EQ(0, repeats) << "consecutive frames read the same time";
    EXPECT_LE(worstStepErrorMs, 2.0);
    EXPECT_LT(driftMs, 5.0);
    // The music is heard one output latency after it is mixed. OpenAL starts a source with
    // the mixer block after the last one done, whose time began up to one update (23 ms)
    // plus the mixer's lateness (12 ms) before Play: so the clock trails Play by the latency
    // less that much. On a loaded machine the mixer thread itself may start one more update
    // late, which is why the lower bound allows 25 ms.
    EXPECT_GT(latencyMs, 0.0);
    EXPECT_GE(lowestLeadMs, -latencyMs - 25.0);
    EXPECT_LE(highestLeadMs, -latencyMs + 40.0);
}

TEST(Music, WaveOutputCarriesTheDecodedTrackUnbrokenAcrossAVerySlowFrame)
{
    TempDir dir;
    const std::string wave = dir.file("out.wav");
    const std::string config = dir.file("alsoft.conf");
    // 16-bit stereo at the track's rate with nothing added to the signal, so every sample of
    // the track reaches the file unchanged.
    writeText(config, "[general]\nfrequency = 44100\nchannels = stereo\nsample-type = int16\n"
                      "dither = false\noutput-limiter = false\n[wave]\nfile = " + wave + "\n");
    if (!configureOpenAL("wave", config))
        GTEST_SKIP() << "OpenAL was started earlier in this process; run through ctest";
    const std::string track = dir.file("tones.ogg");
    const double trackMs = 1500.0;
    ASSERT_TRUE(tavtest::writeToneOgg(track, trackMs / 1000.0));
    const std::vector<int16_t> expected = decodeAll(track);
    ASSERT_EQ(static_cast<size_t>(trackMs / 1000.0 * 44100) * 2, expected.size());

    std::vector<Frame> frames;
    double playAfterInitStartMs = 0.0, playAfterInitEndMs = 0.0;
    {
        SoundSession session;
        const Clock::time_point initStart = Clock::now();
        ASSERT_TRUE(FSOUND_Init(44100, 1, 1));
        const Clock::time_point initEnd = Clock::now();
        FSOUND_STREAM* stream = FSOUND_Stream_Open(track.c_str(), FSOUND_2D, 0, 0);
        ASSERT_FALSE(stream->isSilent());
        sleepMs(150.0);  // the output runs, silent, until Play
        const Clock::time_point playStart = Clock::now();
        playAfterInitStartMs = msSince(initStart);
        playAfterInitEndMs = msSince(initEnd);
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        // Past the end of the track, with one frame in the middle that takes a second: longer
        // than all the music queued, so only a feeder of its own keeps the music going.
        frames = runFrames(stream, playStart, trackMs + 500.0, 1000.0 / 60, 300.0, 1000.0);
        EXPECT_TRUE(FSOUND_Stream_Close(stream));
    }  // FSOUND_Close: the wave file is complete

    for (size_t i = 1; i < frames.size(); ++i)
        ASSERT_GE(frames[i].musicMs, frames[i - 1].musicMs) << "frame " << i;
    EXPECT_GT(frames.back().musicMs, trackMs + 300.0) << "the clock runs on after the track";

    const std::vector<int16_t> written = readWaveSamples(wave);
    ASSERT_GT(written.size(), expected.size());
    // The file starts when the output opens; the track starts where its first 256 frames are.
    size_t startSample = 0;
    const size_t probe = 512;
    auto matchesAt = [&](size_t at, size_t count) {
        for (size_t i = 0; i < count; ++i)
            if (std::abs(written[at + i] - expected[i]) > 1)
                return false;
        return true;
    };
    while (startSample + expected.size() <= written.size() && !matchesAt(startSample, probe))
        startSample += 2;
    ASSERT_LE(startSample + expected.size(), written.size()) << "the track is not in the file";
    size_t mismatches = 0, firstMismatch = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (std::abs(written[startSample + i] - expected[i]) > 1 && mismatches++ == 0)
            firstMismatch = i;
    }
    EXPECT_EQ(0u, mismatches) << "first at frame " << firstMismatch / 2;
    for (size_t i = 0; i < startSample; ++i)
        ASSERT_EQ(0, written[i]) << "sound before the track, sample " << i;
    for (size_t i = startSample + expected.size(); i < written.size(); ++i)
        ASSERT_EQ(0, written[i]) << "sound after the track, sample " << i;
    // The file starts when the output starts, during FSOUND_Init; the track starts with the
    // mixer block after the last one done at Play, which began up to an update (23 ms) plus
    // the mixer's lateness (12 ms) earlier.
    const double trackStartMs = startSample / 2 / 44.1;
    EXPECT_LE(trackStartMs, playAfterInitStartMs + 1.0);
    EXPECT_GE(trackStartMs, playAfterInitEndMs - 40.0);
    printf("[ figures  ] the track starts %.1f ms into the wave file (Play %.1f ms after Init), "
           "%zu frames match\n", trackStartMs, playAfterInitStartMs, expected.size() / 2);
}

TEST(Music, WithoutAnOutputTheClockRunsSilentlyAndOneLineSaysWhy)
{
    TempDir dir;
    const std::string config = dir.file("alsoft.conf");
    // ALSA with a device that does not exist: OpenAL Soft and libasound both have plenty to
    // say about it, on any machine.
    writeText(config, "[alsa]\ndevice = tavlen-no-such-device\n");
    if (!configureOpenAL("alsa", config))
        GTEST_SKIP() << "OpenAL was started earlier in this process; run through ctest";
    SoundSession session;
    const std::string track = dir.file("tones.ogg");
    ASSERT_TRUE(tavtest::writeToneOgg(track, 1.0));

    StderrCapture capture(dir.file("stderr.txt"));
    EXPECT_FALSE(FSOUND_Init(44100, 1, 1));
    FSOUND_STREAM* stream = FSOUND_Stream_Open(track.c_str(), FSOUND_2D, 0, 0);
    ASSERT_NE(nullptr, stream);
    EXPECT_TRUE(stream->isSilent());
    sleepMs(100.0);
    EXPECT_EQ(0, FSOUND_Stream_GetTime(stream)) << "the clock starts at Play";
    const Clock::time_point playStart = Clock::now();
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    sleepMs(300.0);
    const double wallMs = msSince(playStart);
    const int musicMs = FSOUND_Stream_GetTime(stream);
    const std::vector<std::string> lines = capture.lines();

    EXPECT_LE(musicMs, wallMs + 1.0);
    EXPECT_GE(musicMs, wallMs - 5.0);
    ASSERT_EQ(1u, lines.size()) << "first line: " << (lines.empty() ? "" : lines[0]);
    EXPECT_NE(std::string::npos, lines[0].find("no audio output")) << lines[0];
}

TEST(Music, MissingOrUnreadableFilesPlaySilentlyWithOneLineEach)
{
    if (!configureOpenAL("null"))
        GTEST_SKIP() << "OpenAL was started earlier in this process; run through ctest";
    SoundSession session;
    TempDir dir;
    const std::string missing = dir.file("missing.ogg");
    const std::string garbage = dir.file("garbage.ogg");
    writeText(garbage, std::string(20000, 'x'));

    ASSERT_TRUE(FSOUND_Init(44100, 1, 1));
    StderrCapture capture(dir.file("stderr.txt"));
    FSOUND_STREAM* missingStream = FSOUND_Stream_Open(missing.c_str(), FSOUND_2D, 0, 0);
    FSOUND_STREAM* garbageStream = FSOUND_Stream_Open(garbage.c_str(), FSOUND_2D, 0, 0);
    ASSERT_NE(nullptr, missingStream);
    ASSERT_NE(nullptr, garbageStream);
    EXPECT_TRUE(missingStream->isSilent());
    EXPECT_TRUE(garbageStream->isSilent());
    EXPECT_EQ(0, FSOUND_Stream_GetTime(missingStream));

    const Clock::time_point playStart = Clock::now();
    FSOUND_Stream_Play(FSOUND_FREE, missingStream);
    FSOUND_Stream_Play(FSOUND_FREE, garbageStream);
    sleepMs(250.0);
    const double wallMs = msSince(playStart);
    for (FSOUND_STREAM* stream : {missingStream, garbageStream}) {
        const int musicMs = FSOUND_Stream_GetTime(stream);
        EXPECT_LE(musicMs, wallMs + 1.0);
        EXPECT_GE(musicMs, wallMs - 5.0);
    }
    const std::vector<std::string> lines = capture.lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find(missing)) << lines[0];
    EXPECT_NE(std::string::npos, lines[0].find("No such file")) << lines[0];
    EXPECT_NE(std::string::npos, lines[1].find("not an Ogg Vorbis file")) << lines[1];
}

TEST(Music, ManualClockReplacesThePositionOfEveryStreamUntilSwitchedOff)
{
    configureOpenAL("null");  // any output will do, so an earlier choice is fine too
    SoundSession session;
    TempDir dir;
    const std::string track = dir.file("tones.ogg");
    ASSERT_TRUE(tavtest::writeToneOgg(track, 2.0));
    FSOUND_Init(44100, 1, 1);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(track.c_str(), FSOUND_2D, 0, 0);

    FSOUND_SetManualClock(true);
    EXPECT_EQ(0, FSOUND_Stream_GetTime(stream)) << "the manual time starts at 0";
    FSOUND_SetManualTime(19000);
    EXPECT_EQ(19000, FSOUND_Stream_GetTime(stream));
    EXPECT_EQ(19000, FSOUND_Stream_GetTime(nullptr));
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    sleepMs(100.0);
    EXPECT_EQ(19000, FSOUND_Stream_GetTime(stream)) << "playing does not move it";
    FSOUND_SetManualTime(12000);
    EXPECT_EQ(12000, FSOUND_Stream_GetTime(stream)) << "the test may move it back";

    FSOUND_SetManualClock(false);
    const int musicMs = FSOUND_Stream_GetTime(stream);
    EXPECT_GE(musicMs, 0);
    EXPECT_LT(musicMs, 1000) << "the real clock again";
}

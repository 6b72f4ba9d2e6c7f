// The music calls on the real audio stack (OpenAL Soft): its null output (real time, no
// sound), its wave writer (what would be heard, as a file), an output that cannot open,
// files that cannot be played, jumps, pauses and speeds, and the clock seam. The clock's
// smoothing has its own test; the whole track is played by the end-to-end run. Tracks are
// made here with the asset generator's Ogg writer.
//
// OpenAL Soft reads its configuration (ALSOFT_DRIVERS, ALSOFT_CONF) once per process, so each
// test that needs its own output must be the first in its process to start OpenAL; CTest runs
// every test in a process of its own. Run together in one process, the later ones skip.
#include <gtest/gtest.h>

#include <unistd.h>             // Required for: dup(), dup2(), close()

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Dsp.h"
#include "OggDecoder.h"
#include "SoundStream.h"
#include "VorbisWriter.h"
#include "fsound.h"
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()

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

std::string scratch(const std::string& name)
{
    return tavtest::scratchDir() + "/" + name;
}

// `seconds` of a 440 Hz tone left and 660 Hz right at half amplitude, as cosines so the
// track starts at full level and its start is easy to find in an output.
std::string writeTone(double seconds)
{
    dsp::Stereo tone(size_t(seconds * 44100));
    for (size_t i = 0; i < tone.frames(); ++i) {
        tone.left[i] = 0.5f * float(std::cos(2.0 * M_PI * 440.0 * double(i) / 44100.0));
        tone.right[i] = 0.5f * float(std::cos(2.0 * M_PI * 660.0 * double(i) / 44100.0));
    }
    const std::string path = scratch("tone.ogg");
    writeVorbis(path, tone, VorbisSettings());
    return path;
}

// `seconds` of a tone gliding from 200 Hz to 2 kHz, sine left and cosine right at half
// amplitude: no stretch of it looks like another, so where a piece of output came from in
// the track can be found.
std::string writeGlide(double seconds)
{
    dsp::Stereo glide(size_t(seconds * 44100));
    for (size_t i = 0; i < glide.frames(); ++i) {
        const double t = double(i) / 44100.0;
        const double phase = 2.0 * M_PI * (200.0 * t + 1800.0 * t * t / (2.0 * seconds));
        glide.left[i] = 0.5f * float(std::sin(phase));
        glide.right[i] = 0.5f * float(std::cos(phase));
    }
    const std::string path = scratch("glide.ogg");
    writeVorbis(path, glide, VorbisSettings());
    return path;
}

// Stereo samples as OpenAL Soft mixes them, -1 to 1.
struct Pcm {
    std::vector<float> left, right;
    long frames() const { return long(left.size()); }
};

Pcm decodeTrack(const std::string& path)
{
    OggDecoder decoder;
    std::string whyNot;
    EXPECT_TRUE(decoder.open(path.c_str(), whyNot)) << whyNot;
    Pcm pcm;
    std::vector<int16_t> piece(2 * 4096);
    for (long frames; (frames = decoder.read(piece.data(), 4096)) > 0;)
        for (long i = 0; i < frames; ++i) {
            pcm.left.push_back(piece[size_t(2 * i)] / 32768.0f);
            pcm.right.push_back(piece[size_t(2 * i + 1)] / 32768.0f);
        }
    return pcm;
}

// The output of OpenAL Soft's wave writer: 32-bit float stereo frames after a "data" tag.
Pcm readWave(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Pcm pcm;
    const size_t data = bytes.find("data");
    for (size_t at = data + 8; data != std::string::npos && at + 8 <= bytes.size(); at += 8) {
        float frame[2];
        std::memcpy(frame, &bytes[at], sizeof frame);
        pcm.left.push_back(frame[0]);
        pcm.right.push_back(frame[1]);
    }
    return pcm;
}

// The output frame, from `fromFrame` on, where the track plays from `trackFrame` unchanged
// for 256 frames; -1 when it never does.
long findPlayed(const Pcm& out, long fromFrame, const Pcm& track, long trackFrame)
{
    for (long at = fromFrame; at + 256 <= out.frames(); ++at) {
        long same = 0;
        while (same < 256 && out.left[size_t(at + same)] == track.left[size_t(trackFrame + same)] &&
               out.right[size_t(at + same)] == track.right[size_t(trackFrame + same)])
            ++same;
        if (same == 256)
            return at;
    }
    return -1;
}

// The largest step between neighbouring samples of `pcm` in [from, to): a click is a step
// larger than the music's own.
float largestStep(const Pcm& pcm, long from, long to)
{
    float largest = 0.0f;
    for (long i = std::max(from, 1L); i < std::min(to, pcm.frames()); ++i)
        largest = std::max({largest, std::fabs(pcm.left[size_t(i)] - pcm.left[size_t(i - 1)]),
                            std::fabs(pcm.right[size_t(i)] - pcm.right[size_t(i - 1)])});
    return largest;
}

// The lines written to stderr (by us, OpenAL or libasound) while `action` runs.
std::vector<std::string> stderrLinesOf(const std::function<void()>& action)
{
    const std::string path = scratch("stderr.txt");
    fflush(stderr);
    const int savedFd = dup(2);
    FILE* file = fopen(path.c_str(), "w");
    dup2(fileno(file), 2);
    fclose(file);
    action();
    fflush(stderr);
    dup2(savedFd, 2);
    close(savedFd);
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Closes the library at the end of a test, also when it fails, and turns the seam off.
struct SoundSession {
    ~SoundSession()
    {
        FSOUND_SetManualClock(false);
        FSOUND_Close();
    }
};

// Chooses OpenAL Soft's output for this process; false when OpenAL may have read its
// configuration already (a configuration file makes every choice a new one).
bool configureOpenAL(const char* drivers, const std::string& config = "")
{
    static std::string chosen;
    if (!chosen.empty())
        return chosen == drivers && config.empty();
    chosen = config.empty() ? drivers : "(configured)";
    unsetenv("ALSOFT_LOGLEVEL");  // the library's own quiet mode is part of what is tested
    setenv("ALSOFT_DRIVERS", drivers, 1);
    if (!config.empty()) {
        std::ofstream(scratch("alsoft.conf")) << config;
        setenv("ALSOFT_CONF", scratch("alsoft.conf").c_str(), 1);
    }
    return true;
}

// When the streams were started: the wall clock just before the first Play and just after
// the last, so that a reading can be bounded however long the thread waited in between.
struct PlayWindow {
    Clock::time_point before;
    Clock::time_point after;
};

// A silent stream's clock runs in real time from its Play, in whole milliseconds. So a
// reading lies between the wall time since the last Play returned, taken before the reading
// (less the truncated fraction), and the wall time since the first Play began, taken after
// it. A loaded machine may stop the thread anywhere in between; the bounds move with it.
void expectWallClockReading(FSOUND_STREAM* stream, const PlayWindow& played)
{
    const double leastMs = msSince(played.after) - 1.0;
    const int readingMs = FSOUND_Stream_GetTime(stream);
    const double mostMs = msSince(played.before);
    EXPECT_GE(readingMs, leastMs);
    EXPECT_LE(readingMs, mostMs);
}

// A silent stream's clock: 0 until Play, then the wall clock.
PlayWindow expectWallClockFromPlay(const std::vector<FSOUND_STREAM*>& streams)
{
    for (FSOUND_STREAM* stream : streams) {
        EXPECT_TRUE(stream->isSilent());
        EXPECT_EQ(0, FSOUND_Stream_GetTime(stream)) << "the clock starts at Play";
    }
    PlayWindow played;
    played.before = Clock::now();
    for (FSOUND_STREAM* stream : streams)
        FSOUND_Stream_Play(FSOUND_FREE, stream);
    played.after = Clock::now();
    sleepMs(250.0);
    for (FSOUND_STREAM* stream : streams)
        expectWallClockReading(stream, played);
    return played;
}

} // namespace

TEST(Music, ThroughANullOutputTheClockRunsFromPlayAndOnPastTheTracksEnd)
{
    if (!configureOpenAL("null"))
        GTEST_SKIP() << "OpenAL was started earlier in this process; run through ctest";
    SoundSession session;
    const std::string track = writeTone(0.3);
    ASSERT_TRUE(FSOUND_Init(44100, 1, 1));
    FSOUND_STREAM* stream = FSOUND_Stream_Open(track.c_str(), FSOUND_2D, 0, 0);
    ASSERT_FALSE(stream->isSilent());
    sleepMs(100.0);
    EXPECT_EQ(0, FSOUND_Stream_GetTime(stream)) << "nothing plays before Play";
    EXPECT_EQ(0, FSOUND_Stream_Play(FSOUND_FREE, stream));
    // Read once a frame, as the demo does; it never goes back. The clock follows what the
    // listener hears, so on a loaded machine, where the mixer's thread waits its turn, it
    // starts late: it is given seconds to get past the track's end, not a fixed time.
    int lastMs = 0;
    for (const Clock::time_point playStart = Clock::now(); lastMs <= 500 && msSince(playStart) < 10000.0;
         sleepMs(20.0)) {
        const int nowMs = FSOUND_Stream_GetTime(stream);
        ASSERT_GE(nowMs, lastMs);
        lastMs = nowMs;
    }
    EXPECT_GT(lastMs, 500) << "the clock stopped with the 300 ms track";
    EXPECT_TRUE(FSOUND_Stream_Close(stream));
}

TEST(Music, WithoutAnOutputTheClockRunsSilentlyAndOneLineSaysWhy)
{
    // ALSA with a device that does not exist: OpenAL Soft and libasound both have plenty to
    // say about it, on any machine.
    if (!configureOpenAL("alsa", "[alsa]\ndevice = tavlen-no-such-device\n"))
        GTEST_SKIP() << "OpenAL was started earlier in this process; run through ctest";
    SoundSession session;
    const std::string track = writeTone(1.0);
    const std::vector<std::string> lines = stderrLinesOf([&] {
        EXPECT_FALSE(FSOUND_Init(44100, 1, 1));
        FSOUND_STREAM* stream = FSOUND_Stream_Open(track.c_str(), FSOUND_2D, 0, 0);
        ASSERT_NE(nullptr, stream);
        expectWallClockFromPlay({stream});
    });
    ASSERT_EQ(1u, lines.size()) << "first line: " << (lines.empty() ? "" : lines[0]);
    EXPECT_NE(std::string::npos, lines[0].find("no audio output")) << lines[0];
}

TEST(Music, UnplayableFilesRunSilentlyWithOneLineEachAndTheManualClockOverridesAll)
{
    configureOpenAL("null");  // any output will do, so an earlier choice is fine too
    SoundSession session;
    const std::string missing = scratch("missing.ogg"), garbage = scratch("garbage.ogg");
    std::ofstream(garbage) << std::string(20000, 'x');
    FSOUND_Init(44100, 1, 1);
    FSOUND_STREAM* streams[2] = {};
    PlayWindow played;
    const std::vector<std::string> lines = stderrLinesOf([&] {
        streams[0] = FSOUND_Stream_Open(missing.c_str(), FSOUND_2D, 0, 0);
        streams[1] = FSOUND_Stream_Open(garbage.c_str(), FSOUND_2D, 0, 0);
        ASSERT_TRUE(streams[0] && streams[1]);
        played = expectWallClockFromPlay({streams[0], streams[1]});
    });
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find(missing)) << lines[0];
    EXPECT_NE(std::string::npos, lines[0].find("No such file")) << lines[0];
    EXPECT_NE(std::string::npos, lines[1].find("not an Ogg Vorbis file")) << lines[1];

    // The seam the deterministic player uses: every stream reads the time it is given.
    FSOUND_SetManualClock(true);
    EXPECT_EQ(0, FSOUND_Stream_GetTime(streams[0])) << "the manual time starts at 0";
    FSOUND_SetManualTime(19000);
    EXPECT_EQ(19000, FSOUND_Stream_GetTime(streams[1]));
    EXPECT_EQ(19000, FSOUND_Stream_GetTime(nullptr));
    FSOUND_SetManualTime(12000);
    EXPECT_EQ(12000, FSOUND_Stream_GetTime(streams[0])) << "the test may move it back";
    FSOUND_SetManualClock(false);
    SCOPED_TRACE("the real clock again");
    expectWallClockReading(streams[0], played);
}

namespace {

// One call of a scripted run and what the clock must do after it: hold still (at `fromMs`,
// or where the call left it when fromMs is -1), or run from there at `speed`.
struct ClockStep {
    const char* what;
    std::function<bool(FSOUND_STREAM*)> call;
    double waitMs;
    bool holds;
    int fromMs;
    float speed;
    bool paused;
};

// How late an audible stream's clock may start after a restart: the mixer's next step, the
// output latency, a poll of the feeding thread, and a loaded machine's scheduling.
const double kStartSlackMs = 150.0;

void playScript(FSOUND_STREAM* stream, const std::vector<ClockStep>& script)
{
    for (const ClockStep& step : script) {
        SCOPED_TRACE(step.what);
        const Clock::time_point called = Clock::now();
        ASSERT_TRUE(step.call(stream));
        const int afterCallMs = FSOUND_Stream_GetTime(stream);
        const double callMs = msSince(called);
        const int fromMs = step.fromMs >= 0 ? step.fromMs : afterCallMs;
        EXPECT_GE(afterCallMs, fromMs);
        EXPECT_LE(afterCallMs, fromMs + (step.holds ? 0.0 : callMs * step.speed + 1.0));
        // Read once a frame meanwhile, as a frame loop does.
        int laterMs = afterCallMs;
        for (const Clock::time_point start = Clock::now(); msSince(start) < step.waitMs; sleepMs(16.0)) {
            const int nowMs = FSOUND_Stream_GetTime(stream);
            ASSERT_GE(nowMs, laterMs) << "the clock went back";
            laterMs = nowMs;
        }
        laterMs = FSOUND_Stream_GetTime(stream);
        const double wallMs = msSince(called);
        if (step.holds) {
            EXPECT_EQ(fromMs, laterMs);
        } else {
            EXPECT_LE(laterMs, fromMs + wallMs * step.speed + 2.0);
            EXPECT_GE(laterMs, fromMs + (wallMs - kStartSlackMs) * step.speed);
        }
        EXPECT_EQ(step.paused, FSOUND_Stream_GetPaused(stream));
    }
}

} // namespace

TEST(Music, JumpsPausesAndSpeedsMoveTheClockOfSilentAndAudibleStreamsAlike)
{
    configureOpenAL("null");
    SoundSession session;
    const std::string track = writeTone(3.0);
    FSOUND_Init(44100, 1, 1);
    FSOUND_STREAM* silent = nullptr;
    stderrLinesOf([&] { silent = FSOUND_Stream_Open(scratch("missing.ogg").c_str(), FSOUND_2D, 0, 0); });
    FSOUND_STREAM* audible = FSOUND_Stream_Open(track.c_str(), FSOUND_2D, 0, 0);
    ASSERT_TRUE(silent->isSilent());
    ASSERT_FALSE(audible->isSilent());

    auto setTime = [](int ms) { return [ms](FSOUND_STREAM* s) { return FSOUND_Stream_SetTime(s, ms); }; };
    auto setPaused = [](bool on) { return [on](FSOUND_STREAM* s) { return FSOUND_Stream_SetPaused(s, on); }; };
    auto setSpeed = [](float x) { return [x](FSOUND_STREAM* s) { return FSOUND_Stream_SetSpeed(s, x); }; };
    auto play = [](FSOUND_STREAM* s) { return FSOUND_Stream_Play(FSOUND_FREE, s) == 0; };
    const std::vector<ClockStep> script = {
        {"a jump before play sets where it starts", setTime(1000), 50, true, 1000, 1, false},
        {"a pause before play", setPaused(true), 50, true, 1000, 1, true},
        {"play while paused starts nothing", play, 100, true, 1000, 1, true},
        {"the resume plays from the jump", setPaused(false), 400, false, 1000, 1, false},
        {"a jump back reads its time at once", setTime(300), 300, false, 300, 1, false},
        {"a pause holds the clock where it stands", setPaused(true), 300, true, -1, 1, true},
        {"a jump while paused", setTime(2000), 100, true, 2000, 1, true},
        {"a speed while paused", setSpeed(0.5f), 100, true, 2000, 1, true},
        {"the resume runs at half speed", setPaused(false), 400, false, 2000, 0.5f, false},
        {"twice the speed while playing", setSpeed(2.0f), 300, false, -1, 2, false},
        {"a jump to the end runs on past it", setTime(3000), 300, false, 3000, 2, false},
        {"a jump back from there plays again", setTime(500), 300, false, 500, 2, false},
    };
    for (FSOUND_STREAM* stream : {silent, audible}) {
        SCOPED_TRACE(stream == silent ? "silent" : "audible");
        playScript(stream, script);
        EXPECT_FALSE(FSOUND_Stream_SetTime(stream, -1));
        for (float speed : {0.2f, 2.5f, std::nanf("")})
            EXPECT_FALSE(FSOUND_Stream_SetSpeed(stream, speed)) << speed;
    }
    EXPECT_FALSE(FSOUND_Stream_SetTime(audible, 3001)) << "past the track's end";
    EXPECT_TRUE(FSOUND_Stream_SetTime(audible, 3000)) << "the end itself";
    EXPECT_TRUE(FSOUND_Stream_SetTime(silent, 90000)) << "a silent stream has no end";
    EXPECT_FALSE(FSOUND_Stream_SetTime(nullptr, 0));
    EXPECT_FALSE(FSOUND_Stream_SetPaused(nullptr, true));
    EXPECT_FALSE(FSOUND_Stream_GetPaused(nullptr));
    EXPECT_FALSE(FSOUND_Stream_SetSpeed(nullptr, 1.0f));

    FSOUND_SetManualClock(true);
    FSOUND_SetManualTime(777);
    FSOUND_Stream_SetTime(audible, 100);
    FSOUND_Stream_SetPaused(audible, true);
    EXPECT_EQ(777, FSOUND_Stream_GetTime(audible)) << "the manual clock overrides them all";
}

namespace {

// Where the sound resumes after the first silence from `fromFrame` on: the output frame and
// the track frame, the latter looked for in [firstTrackFrame, lastTrackFrame]. The resume
// fades in over 3 ms, so both are pinned by the fade's exact samples. Fails the test when
// there is no such resume.
struct Resume {
    long silenceAt = -1, outFrame = -1, trackFrame = -1;
};

Resume findResume(const Pcm& out, long fromFrame, const Pcm& track, long firstTrackFrame, long lastTrackFrame)
{
    const long fadeFrames = 132, quietFrames = 1000;
    Resume resume;
    long quiet = 0, at = fromFrame;
    for (; at < out.frames() && quiet < quietFrames; ++at)
        quiet = out.left[size_t(at)] == 0.0f && out.right[size_t(at)] == 0.0f ? quiet + 1 : 0;
    resume.silenceAt = at - quiet;
    const long laterTrackFrame = lastTrackFrame + 2000;
    const long laterAt = findPlayed(out, at, track, laterTrackFrame);
    EXPECT_GE(laterAt, 0) << "the track is not played after the silence at " << resume.silenceAt;
    for (long trackFrame = firstTrackFrame; laterAt >= 0 && trackFrame <= lastTrackFrame; ++trackFrame) {
        const long outFrame = laterAt - (laterTrackFrame - trackFrame);
        long i = 0;
        while (i < fadeFrames && std::fabs(track.left[size_t(trackFrame + i)] * i / fadeFrames -
                                           out.left[size_t(outFrame + i)]) <= 1.0f / 32768)
            ++i;
        if (i == fadeFrames) {
            resume.outFrame = outFrame;
            resume.trackFrame = trackFrame;
        }
    }
    EXPECT_GE(resume.trackFrame, 0) << "no fade-in from a track frame in [" << firstTrackFrame << ", "
                                    << lastTrackFrame << "]";
    return resume;
}

} // namespace

TEST(Music, ThroughTheWaveWriterJumpsAndResumesGoOnFromTheirExactSamplesWithoutAClick)
{
    const std::string wavePath = scratch("heard.wav");
    if (!configureOpenAL("wave", "[wave]\nfile = " + wavePath + "\n"))
        GTEST_SKIP() << "OpenAL was started earlier in this process; run through ctest";
    const std::string trackPath = writeGlide(4.0);
    int pausedMs = 0;
    {
        SoundSession session;
        ASSERT_TRUE(FSOUND_Init(44100, 1, 1));
        FSOUND_STREAM* stream = FSOUND_Stream_Open(trackPath.c_str(), FSOUND_2D, 0, 0);
        sleepMs(300.0);
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        sleepMs(300.0);
        FSOUND_Stream_SetTime(stream, 2000);
        sleepMs(300.0);
        pausedMs = FSOUND_Stream_GetTime(stream);
        FSOUND_Stream_SetPaused(stream, true);
        sleepMs(200.0);
        FSOUND_Stream_SetPaused(stream, false);
        sleepMs(300.0);
        FSOUND_Stream_SetPaused(stream, true);
        sleepMs(200.0);
        FSOUND_Stream_SetTime(stream, 3000);
        FSOUND_Stream_SetPaused(stream, false);
        sleepMs(300.0);
    }  // closing the output finishes the file
    const Pcm track = decodeTrack(trackPath), out = readWave(wavePath);
    ASSERT_GT(out.frames(), 44100);

    // The jump while playing: the track at 2 s, once the old sound has faded out under it.
    const long jumpFrame = 88200, crossfadeFrames = 4410;
    const long jumpedAt = findPlayed(out, 0, track, jumpFrame + crossfadeFrames) - crossfadeFrames;
    ASSERT_GE(jumpedAt, 0) << "the track from 2 s is nowhere in the output";
    // The old sound fades out as the new one fades in: the sum moves no faster than both
    // together, where a cut would step by up to a whole amplitude.
    const float crossfadeStep =
        largestStep(track, 0, jumpFrame) + largestStep(track, jumpFrame, jumpFrame + crossfadeFrames);
    EXPECT_LE(largestStep(out, jumpedAt - 300, jumpedAt + 300), crossfadeStep + 0.01f) << "the jump clicks";

    // The pause: silence, then the track again from the sample the clock stood on.
    const Resume resumed = findResume(out, jumpedAt, track, long(pausedMs * 44.1) - 1, long((pausedMs + 1) * 44.1) + 1);
    ASSERT_GE(resumed.trackFrame, 0);
    const float musicStep = largestStep(track, resumed.trackFrame - 22050, resumed.trackFrame + 22050);
    EXPECT_LE(largestStep(out, resumed.silenceAt - 300, resumed.silenceAt + 300), musicStep) << "the pause clicks";
    EXPECT_LE(largestStep(out, resumed.outFrame - 300, resumed.outFrame + 300), musicStep) << "the resume clicks";

    // A jump while paused: the resume starts exactly at 3 s.
    const Resume jumped = findResume(out, resumed.outFrame, track, 132300 - 200, 132300 + 200);
    EXPECT_EQ(132300, jumped.trackFrame);
}

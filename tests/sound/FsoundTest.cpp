// The music calls on the real audio stack (OpenAL Soft): its null output (real time, no
// sound), an output that cannot open, files that cannot be played, and the clock seam. The
// clock's smoothing has its own test; the whole track is played by the end-to-end run. Tracks are made here with the
// asset generator's Ogg writer.
//
// OpenAL Soft reads its configuration (ALSOFT_DRIVERS, ALSOFT_CONF) once per process, so each
// test that needs its own output must be the first in its process to start OpenAL; CTest runs
// every test in a process of its own. Run together in one process, the later ones skip.
#include <gtest/gtest.h>

#include <unistd.h>             // Required for: dup(), dup2(), close()

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Dsp.h"
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

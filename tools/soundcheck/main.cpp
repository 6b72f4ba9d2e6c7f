// soundcheck: plays an Ogg Vorbis file on the default audio output the way the demo does and
// prints how good the music clock is there: the cost of opening the stream, the output
// latency, how far each frame's step strays from the wall clock, and the drift.
//
//   soundcheck [file.ogg] [seconds]      (defaults: data/ormund_france.ogg, 15)
//
// Like the demo, it opens the stream, waits six seconds, starts it, and then reads the clock
// once per 60 Hz frame; one frame in the middle takes 200 ms. OpenAL Soft's output can be
// chosen as usual, e.g. ALSOFT_DRIVERS=null.
#include <algorithm>  // Required for: std::min, std::max, std::sort
#include <chrono>
#include <cmath>      // Required for: std::fabs
#include <cstdio>     // Required for: printf()
#include <cstdlib>    // Required for: atof()
#include <thread>
#include <vector>

#include "SoundStream.h"  // Required for: SoundStream::isSilent(), outputLatencyMs()
#include "fsound.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kOpenRepeats = 20;
const double kPreRollMs = 6000.0;
const double kFrameMs = 1000.0 / 60;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Opens and closes the file a few times; returns the median time of one open.
double medianOpenMs(const char* fileName)
{
    std::vector<double> timesMs;
    for (int i = 0; i < kOpenRepeats; ++i) {
        const Clock::time_point start = Clock::now();
        FSOUND_STREAM* stream = FSOUND_Stream_Open(fileName, FSOUND_2D, 0, 0);
        timesMs.push_back(msBetween(start, Clock::now()));
        FSOUND_Stream_Close(stream);
    }
    std::sort(timesMs.begin(), timesMs.end());
    return timesMs[timesMs.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const char* fileName = argc > 1 ? argv[1] : "data/ormund_france.ogg";
    const double playMs = (argc > 2 ? atof(argv[2]) : 15.0) * 1000.0;

    FSOUND_Init(44100, 1, 1);
    const double openMs = medianOpenMs(fileName);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(fileName, FSOUND_2D, 0, 0);
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(kPreRollMs));

    const Clock::time_point playStart = Clock::now();
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    int lastMs = 0, decreases = 0, repeats = 0, frames = 0;
    double lastWallMs = 0.0, worstStepErrorMs = 0.0, sumStepErrorMs = 0.0;
    double lowestLeadMs = 1e9, highestLeadMs = -1e9, firstSoundMs = -1.0;
    bool stalled = false;
    for (double nextMs = 0.0; nextMs < playMs;) {
        std::this_thread::sleep_until(playStart + std::chrono::duration_cast<Clock::duration>(
                                                      std::chrono::duration<double, std::milli>(nextMs)));
        const double wallMs = msBetween(playStart, Clock::now());
        const int musicMs = FSOUND_Stream_GetTime(stream);
        decreases += musicMs < lastMs;
        if (firstSoundMs >= 0.0) {
            repeats += musicMs == lastMs;
            const double errorMs = std::fabs((musicMs - lastMs) - (wallMs - lastWallMs));
            worstStepErrorMs = std::max(worstStepErrorMs, errorMs);
            sumStepErrorMs += errorMs;
            ++frames;
        }
        if (musicMs > 0) {
            if (firstSoundMs < 0.0)
                firstSoundMs = wallMs;
            lowestLeadMs = std::min(lowestLeadMs, musicMs - wallMs);
            highestLeadMs = std::max(highestLeadMs, musicMs - wallMs);
        }
        lastMs = musicMs;
        lastWallMs = wallMs;
        if (!stalled && wallMs >= playMs / 2) {
            stalled = true;  // a frame that loads something
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        // Like a real frame loop, a late frame delays the next one rather than being followed
        // by one at once (two reads a few microseconds apart may rightly show the same ms).
        nextMs = std::max(nextMs + kFrameMs, msBetween(playStart, Clock::now()) + kFrameMs / 2);
    }

    printf("output:            %s\n", stream->isSilent() ? "none (silent clock)" : "OpenAL Soft default device");
    printf("open:              %.2f ms (median of %d)\n", openMs, kOpenRepeats);
    printf("output latency:    %.1f ms\n", stream->outputLatencyMs());
    printf("first sound read:  %.1f ms after Play\n", firstSoundMs);
    printf("frames:            %d over %.1f s\n", frames, (lastWallMs - firstSoundMs) / 1000.0);
    printf("step error:        max %.2f ms, mean %.3f ms\n", worstStepErrorMs,
           frames > 0 ? sumStepErrorMs / frames : 0.0);
    printf("decreases/repeats: %d / %d\n", decreases, repeats);
    printf("drift:             %.2f ms (spread of music time minus wall time)\n",
           highestLeadMs - lowestLeadMs);
    FSOUND_Close();
    return 0;
}

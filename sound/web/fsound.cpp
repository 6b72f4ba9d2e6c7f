// The music calls of fsound.h in the browser build: the track streams through the page's
// Web Audio context.
//
// PLATFORM: browsers. What differs from the desktop: no threads, so every open stream is
// pumped by a timer (four times a second, once a second in a hidden tab) besides each clock
// reading; FSOUND_Close stops whatever still plays, which the page needs when a run ends
// early (Escape) and before the next run. Jumps, pauses and speeds restart the scheduled
// pieces (see SoundStream.h). LIMITATIONS: see SoundDevice.h and SoundStream.h.
// DEPENDENCIES: the browser's SoundDevice and SoundStream, OggDecoder, emscripten/eventloop.h.
#include "fsound.h"
#include "fsound_web.h"

#include "SoundDevice.h"  // Required for: SoundDevice
#include "SoundStream.h"  // Required for: SoundStream
#include "StreamOpening.h"  // Required for: openMusicStream()

#include <emscripten/emscripten.h>  // Required for: emscripten_get_now()
#include <emscripten/eventloop.h>  // Required for: emscripten_set_interval()

#include <algorithm>  // Required for: std::find_if
#include <cstdio>     // Required for: printf()
#include <memory>     // Required for: std::unique_ptr
#include <string>
#include <vector>

namespace {

// Pieces a timer call may schedule: a hidden tab's timer comes once a second, and the
// look-ahead must be topped up in one go then.
const int TIMER_PIECES = 16;
const double TIMER_PERIOD_MS = 250.0;

struct SoundLibrary {
    bool initialised = false;
    std::unique_ptr<SoundDevice> device;
    std::vector<std::unique_ptr<SoundStream>> streams;
    bool manualClock = false;
    int manualTimeMs = 0;
    long timer = 0;
    int lastTimeMs = 0;
    double lastClockMs = 0.0;
    double lastReadingAtMs = 0.0;

    bool hasOutput() const { return device != nullptr && device->isOpen(); }

    void close()
    {
        if (timer != 0)
            emscripten_clear_interval(timer);
        timer = 0;
        streams.clear();
        device.reset();
        initialised = false;
        lastTimeMs = 0;
        lastClockMs = 0.0;
        lastReadingAtMs = 0.0;
    }
};

SoundLibrary& library()
{
    static SoundLibrary instance;
    return instance;
}

// On the console's log, not its error channel: a page without sound is not broken.
void reportSilence(const std::string& reason)
{
    printf("sound: %s, so the music plays silently\n", reason.c_str());
}

FSOUND_STREAM* keep(std::unique_ptr<SoundStream> stream)
{
    library().streams.push_back(std::move(stream));
    return library().streams.back().get();
}

void pumpAll(void*)
{
    for (auto& stream : library().streams)
        stream->pump(TIMER_PIECES);
}

}  // namespace

bool FSOUND_Init(int mixRateHz, int /*maxSoftwareChannels*/, unsigned int /*flags*/)
{
    SoundLibrary& sound = library();
    if (sound.initialised)
        return sound.hasOutput();
    sound.initialised = true;
    sound.device = std::make_unique<SoundDevice>(mixRateHz);
    if (!sound.hasOutput()) {
        reportSilence(sound.device->failure());
        sound.device.reset();
        return false;
    }
    sound.timer = emscripten_set_interval(pumpAll, TIMER_PERIOD_MS, nullptr);
    return true;
}

void FSOUND_Close()
{
    library().close();
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* fileName, unsigned int /*mode*/, int /*offset*/, int /*length*/)
{
    SoundLibrary& sound = library();
    if (!sound.initialised) {
        reportSilence("FSOUND_Stream_Open was called before FSOUND_Init");
        return keep(std::make_unique<SoundStream>());
    }
    if (!sound.hasOutput())
        return keep(std::make_unique<SoundStream>());
    std::string whyNot;
    std::unique_ptr<SoundStream> stream = openMusicStream(*sound.device, fileName, whyNot);
    if (!whyNot.empty())
        reportSilence(whyNot);
    return keep(std::move(stream));
}

int FSOUND_Stream_Play(int /*channel*/, FSOUND_STREAM* stream)
{
    if (stream == nullptr)
        return -1;
    stream->play();
    return 0;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream)
{
    SoundLibrary& sound = library();
    if (sound.manualClock) {
        // The music still plays and must be fed, whatever clock the frames follow.
        if (stream != nullptr)
            stream->pump(2);
        sound.lastClockMs = sound.lastTimeMs = sound.manualTimeMs;
        sound.lastReadingAtMs = emscripten_get_now();
        return sound.manualTimeMs;
    }
    if (stream == nullptr)
        return 0;
    sound.lastTimeMs = stream->timeMs();
    sound.lastClockMs = stream->lastClockMs();
    sound.lastReadingAtMs = stream->lastReadingAtMs();
    return sound.lastTimeMs;
}

int FSOUND_Web_LastTimeMs()
{
    return library().lastTimeMs;
}

double FSOUND_Web_LastClockMs()
{
    return library().lastClockMs;
}

double FSOUND_Web_LastReadingAtMs()
{
    return library().lastReadingAtMs;
}

bool FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    auto& streams = library().streams;
    auto found = std::find_if(streams.begin(), streams.end(), [stream](const std::unique_ptr<SoundStream>& kept) {
        return stream != nullptr && kept.get() == stream;
    });
    if (found == streams.end())
        return false;
    streams.erase(found);
    return true;
}

void FSOUND_SetManualClock(bool enabled)
{
    library().manualClock = enabled;
}

void FSOUND_SetManualTime(int timeMs)
{
    library().manualTimeMs = timeMs;
}

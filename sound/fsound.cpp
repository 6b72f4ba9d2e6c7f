#include "fsound.h"

#include "SoundDevice.h"  // Required for: SoundDevice
#include "SoundStream.h"  // Required for: SoundStream
#include "StreamOpening.h"  // Required for: openMusicStream()

#include <algorithm>  // Required for: std::find_if
#include <atomic>     // Required for: std::atomic (the manual clock)
#include <cstdio>     // Required for: fprintf()
#include <memory>     // Required for: std::unique_ptr
#include <string>
#include <vector>     // Required for: std::vector (the open streams)

namespace {

// Everything the calls share. Destroyed at program exit, which closes whatever the program
// left open, so no feeding thread is still running when OpenAL unloads.
struct SoundLibrary {
    bool initialised = false;
    std::unique_ptr<SoundDevice> device;  // null or closed when there is no output
    std::vector<std::unique_ptr<SoundStream>> streams;
    std::atomic<bool> manualClock{false};
    std::atomic<int> manualTimeMs{0};

    ~SoundLibrary() { close(); }

    bool hasOutput() const { return device != nullptr && device->isOpen(); }

    void close()
    {
        streams.clear();  // before the device: their sources live in its context
        device.reset();
        initialised = false;
    }
};

SoundLibrary& library()
{
    static SoundLibrary instance;
    return instance;
}

// The one line that says why there is no sound.
void reportSilence(const std::string& reason)
{
    fprintf(stderr, "sound: %s, so the music plays silently\n", reason.c_str());
}

FSOUND_STREAM* keep(std::unique_ptr<SoundStream> stream)
{
    library().streams.push_back(std::move(stream));
    return library().streams.back().get();
}

} // namespace

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
    return true;
}

void FSOUND_Close()
{
    library().close();
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* fileName, unsigned int /*mode*/, int /*offset*/,
                                  int /*length*/)
{
    SoundLibrary& sound = library();
    if (!sound.initialised) {
        reportSilence("FSOUND_Stream_Open was called before FSOUND_Init");
        return keep(std::make_unique<SoundStream>());
    }
    // Without an output the reason has been given once already, by FSOUND_Init.
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
    if (sound.manualClock.load(std::memory_order_relaxed))
        return sound.manualTimeMs.load(std::memory_order_relaxed);
    return stream != nullptr ? stream->timeMs() : 0;
}

bool FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    auto& streams = library().streams;
    auto found = std::find_if(streams.begin(), streams.end(),
                              [stream](const std::unique_ptr<SoundStream>& kept) {
                                  return stream != nullptr && kept.get() == stream;
                              });
    if (found == streams.end())
        return false;
    streams.erase(found);
    return true;
}

void FSOUND_SetManualClock(bool enabled)
{
    library().manualClock.store(enabled, std::memory_order_relaxed);
}

void FSOUND_SetManualTime(int timeMs)
{
    library().manualTimeMs.store(timeMs, std::memory_order_relaxed);
}


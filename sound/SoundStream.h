// SoundStream: one music track playing on the sound device, and the clock that says where
// the listener is in it. It is what FSOUND_STREAM handles point to.
//
// An audible stream owns its decoder, one OpenAL source with a small queue of buffers, and a
// feeding thread that keeps the queue full and reads the device's clocks, so playback never
// waits on the frame loop. A silent stream (no device, no readable file) plays nothing and
// its clock simply starts at play(). play() and timeMs() are for one thread, the caller's;
// the feeding thread shares only the latest reading with it, under a mutex.
#pragma once

#include "DeviceClockTracker.h"  // Required for: DeviceClockTracker
#include "SmoothClock.h"         // Required for: SmoothClock

#include <AL/al.h>  // Required for: ALuint

#include <condition_variable>  // Required for: std::condition_variable (waking the feeder)
#include <cstdint>             // Required for: int16_t, int64_t
#include <memory>              // Required for: std::unique_ptr
#include <mutex>               // Required for: std::mutex
#include <string>
#include <thread>              // Required for: std::thread (the feeder)
#include <vector>              // Required for: std::vector (the decoding buffer)

class OggDecoder;
class SoundDevice;

class SoundStream {
public:
    // A stream that plays nothing; its clock starts at play() and runs in real time.
    SoundStream();
    // Plays the track of `decoder` on `device`, which must outlive the stream. The start of
    // the track is queued at once and the feeding thread starts; nothing is heard before
    // play(). When OpenAL refuses a source the stream is silent and failure() says why.
    SoundStream(const SoundDevice& device, std::unique_ptr<OggDecoder> decoder);
    ~SoundStream();
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    bool isSilent() const { return m_device == nullptr; }
    const std::string& failure() const { return m_failure; }

    // Starts the track from its beginning. Later calls change nothing.
    void play();

    // What the listener hears now, in milliseconds from the start of the track: 0 before
    // play() and until the first sound comes out; then it never decreases, and consecutive
    // readings differ by the wall time between them within about a millisecond. After the
    // end of the track it keeps running in real time.
    int timeMs();

    // The output latency taken off the mixer's position, as last read; 0 when silent.
    double outputLatencyMs() const;

private:
    // What the feeding thread last learnt, handed to the reading side as a whole.
    struct Reading {
        bool playing = false;        // the source has been seen playing: the rest is valid
        bool finished = false;       // the whole track has been played
        double positionSec = 0.0;    // position in the track where the mixer stands ...
        int64_t positionClockNs = 0; // ... at this device clock
        int64_t audibleMinusSteadyNs = 0;
        int64_t latencyNs = 0;
    };

    static const int kBufferCount = 4;
    // About 186 ms at 44.1 kHz: four of them ride out a stall of the feeding thread of more
    // than half a second, yet opening decodes only 0.74 s of music.
    static const long kBufferFrames = 8192;

    void createSource();
    void feed();
    // Decodes the next piece of the track into `buffer`; false at the end of the track.
    bool fill(ALuint buffer);

    const SoundDevice* m_device = nullptr;
    std::unique_ptr<OggDecoder> m_decoder;
    std::string m_failure;
    ALuint m_source = 0;
    ALuint m_buffers[kBufferCount] = {};
    std::vector<int16_t> m_pcm;
    int m_format = 0;

    // Shared with the feeding thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_playRequested = false;
    Reading m_reading;
    std::thread m_feeder;

    // Feeding thread only.
    DeviceClockTracker m_tracker;

    // Caller's thread only.
    bool m_played = false;
    int64_t m_playStartNs = 0;
    SmoothClock m_clock;
};

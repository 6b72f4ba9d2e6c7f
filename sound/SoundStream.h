// SoundStream: one music track playing on the sound device, and the clock that says where
// the listener is in it. It is what FSOUND_STREAM handles point to.
//
// An audible stream owns its decoder, two OpenAL sources with a small queue of buffers each
// (one plays, the other takes over at a jump), and a feeding thread that keeps the queue
// full and reads the device's clocks, so playback never waits on the frame loop. The
// stream's speed plays through both sources' pitch. A silent stream (no device, no readable file) plays nothing and
// its clock simply runs from play(). Every public call is for one thread, the caller's; it
// tells the feeding thread what it wants (where to start, whether to run, how fast), and the
// feeding thread shares only the latest reading with it, under a mutex.
//
// Seeking and pausing restart the track: what plays fades out over one mixer step on its
// source, while the other source is queued from the new position with a fade-in of a few
// milliseconds and plays when the caller wants it to (at once for a jump, at the resume for
// a pause). Readings taken before a restart are not used after it, so the clock holds the
// restart's position until the new sound is heard.
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

    // Starts the track from its beginning, or from where setTimeMs() put it. Later calls
    // change nothing.
    void play();

    // What the listener hears now, in milliseconds from the start of the track: the start
    // position before play() and until the first sound comes out; then it never decreases
    // (until the next seek), and consecutive readings differ by the wall time between them,
    // times the speed, within about a millisecond. After the end of the track it keeps
    // running in real time, times the speed. While paused it stands still.
    int timeMs();

    // Moves to `timeMs`; the clock reads it from now on and the sound follows from there.
    // False for a time outside the track (below 0 only, for a silent stream).
    bool setTimeMs(int timeMs);
    // Pauses at the position the clock reads now, or resumes from it.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Plays at `speed` times the normal rate, the pitch following.
    void setSpeed(float speed);

    // The output latency taken off the mixer's position, as last read; 0 when silent.
    double outputLatencyMs() const;

private:
    // What the caller wants; the feeding thread catches up with it.
    struct Wish {
        int restarts = 0;         // counts the restarts asked for
        int64_t startFrame = 0;   // where the latest restart starts the track
        bool running = false;     // played and not paused
        float speed = 1.0f;
    };

    // What the feeding thread last learnt, handed to the reading side as a whole.
    struct Reading {
        int restarts = 0;            // the restarts done when it was taken
        float speed = 1.0f;          // the speed the source played at
        bool playing = false;        // the source has been seen playing since the latest
                                     // restart: the positions below are valid
        bool finished = false;       // the rest of the track has been played
        double positionSec = 0.0;    // position in the track where the mixer stands ...
        int64_t positionClockNs = 0; // ... at this device clock
        int64_t audibleMinusSteadyNs = 0;
        int64_t latencyNs = 0;
        // The sound mixed before the latest change of speed still plays at the old speed
        // for as long as the output latency: where the change was made, and the old speed.
        double speedChangeSec = 0.0;
        int64_t speedChangeClockNs = 0;
        float speedBefore = 1.0f;
    };

    static const int kBufferCount = 4;
    // About 186 ms at 44.1 kHz: four of them ride out a stall of the feeding thread of more
    // than half a second, yet opening decodes only 0.74 s of music.
    static const long kBufferFrames = 8192;
    // The fade-in after a restart: 3 ms, too short to hear as a fade, long enough that the
    // first sample does not click.
    static const long kFadeInFrames = 132;

    void createSources();
    void feed();
    // Fades out what plays and queues the track from `frame` on, fading in, on the source
    // that becomes the active one. Returns false when the queue holds the rest of the track.
    bool restartAt(int64_t frame);
    // Stops `source` at once and takes back its buffers; its gain is 1 again.
    void empty(ALuint source);
    // Decodes the next piece of the track into `buffer`, the first `fadeInFrames` of it
    // rising from silence; false at the end of the track.
    bool fill(ALuint buffer, long fadeInFrames = 0);
    // Where the listener is at `nowNs`, unrounded (see timeMs()).
    double positionMs(int64_t nowNs);
    // Tells the feeding thread the caller's wish.
    void ask(const Wish& wish);

    const SoundDevice* m_device = nullptr;
    std::unique_ptr<OggDecoder> m_decoder;
    std::string m_failure;
    ALuint m_sources[2] = {};
    ALuint m_buffers[2][kBufferCount] = {};  // each source's own
    std::vector<int16_t> m_pcm;
    int m_format = 0;

    // Shared with the feeding thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    Wish m_wish;
    Reading m_reading;
    std::thread m_feeder;

    // Feeding thread only.
    DeviceClockTracker m_tracker;
    int m_active = 0;               // the source that plays the track
    int m_fading = -1;              // the source fading out after a restart, if any
    int64_t m_fadeEndClockNs = 0;   // the device clock by which its fade is over

    // Caller's thread only.
    bool m_played = false;
    bool m_paused = false;
    float m_speed = 1.0f;
    Wish m_wished;             // the latest wish sent
    // The clock stands at m_anchorMs while paused, before play() and after a restart until
    // the sound is heard; a silent stream runs from there since m_anchorNs.
    double m_anchorMs = 0.0;
    int64_t m_anchorNs = 0;
    SmoothClock m_clock;
};

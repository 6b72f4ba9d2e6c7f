// SoundDevice of the browser build: the page's Web Audio context, the output the music
// plays on, and the clock readings the music clock is built on.
//
// PLATFORM: browsers. One AudioContext per page, kept across runs of the demo (pages may
// make only a few); it runs at the track's rate, so buffers scheduled back to back meet
// sample-exactly with no resampling seam. Opening must happen inside a user gesture (the
// Play button), or the browser keeps the context suspended.
// LIMITATIONS: no device choice, no latency setting (the browser decides both); buffers are
// handed over whole (AudioBufferSourceNode), so the music is decoded ahead of the ear by the
// stream's look-ahead. Main thread only.
#pragma once

#include <string>

class SoundDevice {
public:
    // Opens (or resumes) the page's audio context at `mixRateHz`; on failure isOpen() is
    // false and failure() says why.
    explicit SoundDevice(int mixRateHz);
    // Stops everything this device scheduled; the context itself stays for the next run.
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    bool isOpen() const { return m_open; }
    const std::string& failure() const { return m_failure; }
    int rateHz() const { return m_rateHz; }

    // The context's time in seconds: where the mixer stands.
    double contextTimeSec() const;
    // Whether the context runs (not suspended by the browser's autoplay rule).
    bool isRunning() const;
    // The context time the listener hears at performance time `nowMs` (the browser's output
    // timestamp, carried forward to now), in seconds; a mixer time less the output latency
    // where the browser gives no timestamp.
    double audibleTimeSec(double nowMs) const;

    // Plays `frames` samples of `left` and `right` (the same array for mono) from context
    // time `whenSec` on, at `rate` times their speed (the pitch following).
    void schedule(const float* left, const float* right, int frames, double whenSec, double rate) const;
    // Stops everything scheduled so far, at once.
    void stopAll() const;

private:
    bool m_open = false;
    int m_rateHz = 0;
    std::string m_failure;
};

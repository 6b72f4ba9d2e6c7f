// DeviceClockTracker: where the listener's ear stands on the audio device's clock, as an
// offset from the monotonic clock, learnt from the device's stepwise readings.
//
// The mixer advances the device clock one update (about 23 ms) at a time, and it runs late
// by a varying amount, so a single reading lags the true, evenly running clock by 0 to one
// update. Every reading is therefore a lower bound of the true offset, and the best one of
// the last few seconds is the estimate. Keeping only a few seconds lets the estimate follow
// a sound card whose clock runs slightly slower than the system's. Not thread-safe.
#pragma once

#include <cstdint>  // Required for: int64_t

class DeviceClockTracker {
public:
    // Takes one reading: `audibleClockNs` is the device clock minus the output latency, read
    // just before the monotonic clock showed `steadyNs`.
    void observe(int64_t steadyNs, int64_t audibleClockNs);

    bool hasReadings() const { return m_readings > 0; }

    // The audible device clock minus the monotonic clock, in nanoseconds.
    int64_t offsetNs() const;

private:
    // Each estimate spans one to two of these windows. The null output's lateness sweeps
    // its whole range in about 1.4 s, so a window must be longer than that to hold a
    // reading taken right after a mix.
    static const int64_t kWindowNs = 2500000000;

    int64_t m_readings = 0;
    int64_t m_windowStartNs = 0;
    int64_t m_currentBestNs = 0;
    int64_t m_previousBestNs = 0;
};

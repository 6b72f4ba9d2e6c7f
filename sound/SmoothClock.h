// SmoothClock: turns a stream of position estimates into a clock that a frame loop can read:
// it never goes back, and it advances with the monotonic clock at its rate (1 unless the
// music plays faster or slower), nudged towards the estimate by at most half a millisecond
// per reading.
//
// Small disagreements (under kJumpMs) are eased away so that each reading moves by the wall
// time since the last one, times the rate, within half a millisecond; a larger lead of the
// estimate (the audio jumped ahead) is taken at once; a larger lag (the audio stalled) is
// caught up by running at half pace, never backwards. Positions in milliseconds. Not
// thread-safe.
#pragma once

#include <cstdint>  // Required for: int64_t

class SmoothClock {
public:
    bool isRunning() const { return m_running; }

    // Stops the clock: the next follow() starts it afresh at its estimate, wherever that is.
    void reset() { m_running = false; }

    // Music milliseconds per wall millisecond from now on (the playback speed).
    void setRate(double rate) { m_rate = rate; }

    // Moves to the reading at `steadyNs` given the estimated position `targetMs` there. The
    // first call starts the clock at the estimate. Returns the position.
    double follow(int64_t steadyNs, double targetMs);

    // Moves on with the monotonic clock alone, for when there is nothing to follow (the
    // track has ended). Returns the position; 0 before the clock has started.
    double freeRun(int64_t steadyNs);

private:
    // Well above what the estimate wobbles by (a millisecond) or settles by after the
    // output opens (up to one mixer lateness, about 12 ms); below what a listener notices.
    static constexpr double kJumpMs = 20.0;
    static constexpr double kMaxNudgeMs = 0.5;
    // A nudge is also at most this fraction of the time since the last reading, so that
    // callers reading very often see no more than a 10% change of pace.
    static constexpr double kMaxNudgePerElapsed = 0.1;

    bool m_running = false;
    double m_rate = 1.0;
    int64_t m_lastSteadyNs = 0;
    double m_positionMs = 0.0;
};

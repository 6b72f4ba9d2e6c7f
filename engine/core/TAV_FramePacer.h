// TAV_FramePacer: the frame-rate pacing arithmetic of the root scene.
//
// Given each frame's measured time, it says how long to sleep so that the average frame
// time meets the target. The balance carries spare time over from frame to frame: frames
// faster than the target make it settle at the sleep each frame needs; slower frames push it
// below zero, and no sleep happens until faster frames have paid the deficit back. The
// balance stays within [-MAX_DEBT_MS, target], so it can neither wrap around nor turn a
// clock jump into a long sleep. Pure arithmetic; no clock, no sleeping.
#pragma once

class TAV_FramePacer {
public:
    // A deficit older than this is forgotten: after a long stall (loading, a paused process)
    // the frame rate returns to the target instead of racing for seconds to catch up.
    static constexpr int MAX_DEBT_MS = 1000;

    // 1000 / fps (integer division) for fps >= 1; anything else turns pacing off.
    void setFps(int fps);
    int getTargetFrameTime() const { return targetFrameTimeMs; }
    int getBalance() const { return balanceMs; }

    // Books a frame that took `frameTimeMs` (measured before the previous frame's sleep, so
    // that sleep is part of it) and returns the milliseconds to sleep now; 0 for none.
    int sleepTimeFor(int frameTimeMs);

private:
    int targetFrameTimeMs = 0;  // 0: no pacing
    int balanceMs = 0;
};

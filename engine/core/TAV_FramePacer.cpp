#include "core/TAV_FramePacer.h"

#include <algorithm>  // Required for: std::clamp()
#include <cstdint>    // Required for: int64_t

void TAV_FramePacer::setFps(int fps)
{
    targetFrameTimeMs = fps >= 1 ? 1000 / fps : 0;
}

int TAV_FramePacer::sleepTimeFor(int frameTimeMs)
{
    // In 64 bits, so a wild frame time (the wall clock set back by an hour) cannot overflow
    // before the clamp; the upper bound is the target because a frame never needs to wait
    // longer than a whole frame.
    const int64_t balance = int64_t(balanceMs) + targetFrameTimeMs - frameTimeMs;
    balanceMs = int(std::clamp<int64_t>(balance, -MAX_DEBT_MS, targetFrameTimeMs));
    return balanceMs > 0 ? balanceMs : 0;
}

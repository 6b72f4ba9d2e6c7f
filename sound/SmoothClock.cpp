#include "SmoothClock.h"

#include <algorithm>  // Required for: std::min, std::max, std::clamp

double SmoothClock::follow(int64_t steadyNs, double targetMs)
{
    if (!m_running) {
        m_running = true;
        m_lastSteadyNs = steadyNs;
        m_positionMs = targetMs;
        return m_positionMs;
    }
    const double elapsedMs = std::max<int64_t>(steadyNs - m_lastSteadyNs, 0) / 1e6 * m_rate;
    const double predictedMs = m_positionMs + elapsedMs;
    const double errorMs = targetMs - predictedMs;
    double nextMs;
    if (errorMs > kJumpMs) {
        nextMs = targetMs;
    } else if (errorMs < -kJumpMs) {
        nextMs = m_positionMs + elapsedMs * 0.5;
    } else {
        const double limitMs = std::min(kMaxNudgeMs, elapsedMs * kMaxNudgePerElapsed);
        nextMs = predictedMs + std::clamp(errorMs, -limitMs, limitMs);
    }
    m_positionMs = std::max(nextMs, m_positionMs);
    m_lastSteadyNs = std::max(steadyNs, m_lastSteadyNs);
    return m_positionMs;
}

double SmoothClock::freeRun(int64_t steadyNs)
{
    if (!m_running)
        return 0.0;
    if (steadyNs > m_lastSteadyNs) {
        m_positionMs += (steadyNs - m_lastSteadyNs) / 1e6 * m_rate;
        m_lastSteadyNs = steadyNs;
    }
    return m_positionMs;
}

#include "DeviceClockTracker.h"

#include <algorithm>  // Required for: std::max

void DeviceClockTracker::observe(int64_t steadyNs, int64_t audibleClockNs)
{
    const int64_t offsetNs = audibleClockNs - steadyNs;
    if (m_readings == 0) {
        m_windowStartNs = steadyNs;
        m_currentBestNs = offsetNs;
        m_previousBestNs = offsetNs;
    } else if (steadyNs - m_windowStartNs >= kWindowNs) {
        m_previousBestNs = m_currentBestNs;
        m_currentBestNs = offsetNs;
        m_windowStartNs = steadyNs;
    } else {
        m_currentBestNs = std::max(m_currentBestNs, offsetNs);
    }
    ++m_readings;
}

int64_t DeviceClockTracker::offsetNs() const
{
    return std::max(m_previousBestNs, m_currentBestNs);
}

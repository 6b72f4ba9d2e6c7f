#include "ProgressLine.h"

#include <unistd.h>  // Required for: isatty()

#include <algorithm>  // Required for: std::max
#include <cstdio>     // Required for: fprintf()

ProgressLine::ProgressLine(int totalFrames)
    : m_totalFrames(totalFrames), m_onTerminal(isatty(2) == 1), m_start(Clock::now()), m_lastShown(m_start)
{
}

void ProgressLine::update(int framesDone)
{
    if (!m_onTerminal)
        return;
    const Clock::time_point now = Clock::now();
    if (!m_started) {
        m_started = true;
        m_firstFrame = now;
    }
    if (m_lineShown && now - m_lastShown < std::chrono::milliseconds(250))
        return;
    m_lastShown = now;
    m_lineShown = true;
    const double seconds = std::chrono::duration<double>(now - m_firstFrame).count();
    const double fps = seconds > 0.0 ? (framesDone - 1) / seconds : 0.0;
    const int left = std::max(0, m_totalFrames - framesDone);
    const int secondsLeft = fps > 0.0 ? int(left / fps + 0.5) : 0;
    // Padded so a shorter line fully covers the one before.
    m_lineLength = std::fprintf(stderr, "\rtavlen_capture: frame %d of %d, %.1f frames/s, %d:%02d left   ",
                                framesDone, m_totalFrames, fps, secondsLeft / 60, secondsLeft % 60);
    std::fflush(stderr);
}

void ProgressLine::done(const std::string& summary)
{
    if (m_lineShown)
        std::fprintf(stderr, "\n");
    std::fprintf(stderr, "%s\n", summary.c_str());
}

void ProgressLine::fail(const std::string& message)
{
    // The terminal may have echoed ^C after the progress; that goes too.
    const int cover = m_lineShown ? std::max(0, m_lineLength + 2 - int(message.size())) : 0;
    std::fprintf(stderr, "%s%s%*s\n", m_lineShown ? "\r" : "", message.c_str(), cover, "");
    m_lineShown = false;
}

double ProgressLine::elapsedSeconds() const
{
    return std::chrono::duration<double>(Clock::now() - m_start).count();
}

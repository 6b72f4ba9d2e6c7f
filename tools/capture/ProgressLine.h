// ProgressLine: how far the capture is, on stderr.
//
// On a terminal one line is rewritten in place (carriage return) at most four times a
// second: frames done of the total, frames per second, time left. Anywhere else (a log, a
// pipe) nothing is written until done(), which prints the one-line summary. Main thread.
#pragma once

#include <chrono>
#include <string>

class ProgressLine {
public:
    // `totalFrames` is what the capture expects to write; it may be off by one at the end.
    explicit ProgressLine(int totalFrames);

    void update(int framesDone);
    // Ends the in-place line and prints `summary` on a line of its own.
    void done(const std::string& summary);
    // Prints `message` over the in-place line, so a failure reads as one line.
    void fail(const std::string& message);

    // Seconds since the object was made, start-up included.
    double elapsedSeconds() const;

private:
    using Clock = std::chrono::steady_clock;

    int m_totalFrames;
    bool m_onTerminal;
    bool m_lineShown = false;
    int m_lineLength = 0;  // characters of the in-place line, to cover it
    Clock::time_point m_start;
    Clock::time_point m_firstFrame;  // the rate counts from here, past the start-up
    bool m_started = false;
    Clock::time_point m_lastShown;
};

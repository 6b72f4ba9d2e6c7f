// SoundStream of the browser build: one music track played through the page's audio
// context, and the clock that says where the listener is in it. FSOUND_STREAM handles point
// to it.
//
// PLATFORM: browsers. There are no threads to feed the output from: pump() decodes the next
// pieces of the track and schedules them back to back on the context's timeline, a few
// seconds ahead of the ear. The frame loop pumps at every clock reading and a timer pumps
// too, so a hidden tab, whose frames the browser stops, still hears the whole track (hidden
// tabs get timers about once a second, well inside the look-ahead).
// The clock follows the context's output timestamp, smoothed (SmoothClock): the start
// position before play() and until the first sound is heard, then never decreasing; after
// the end of the track it runs on in real time. A silent stream's clock starts at play() and
// runs in real time. Both run at the speed and stand still while paused.
// A jump, a resume and a change of speed restart the track: what was scheduled stops at
// once (LIMITATIONS: no fade-out, so a pause or jump may click; a change of speed leaves the
// start lead, 100 ms, of silence), and the pieces are scheduled afresh from the clock's
// position, the first fading in over 3 ms, at the speed as playbackRate. Main thread only.
#pragma once

#include "SmoothClock.h"  // Required for: SmoothClock

#include <cstdint>  // Required for: int16_t
#include <memory>   // Required for: std::unique_ptr
#include <string>
#include <vector>

class OggDecoder;
class SoundDevice;

class SoundStream {
public:
    // A stream that plays nothing; its clock starts at play() and runs in real time.
    SoundStream();
    // Plays the track of `decoder` on `device`, which must outlive the stream. Nothing is
    // decoded before play().
    SoundStream(const SoundDevice& device, std::unique_ptr<OggDecoder> decoder);
    ~SoundStream();
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    bool isSilent() const { return m_device == nullptr; }
    const std::string& failure() const { return m_failure; }

    // Starts the track from its beginning, or from where setTimeMs() put it, a moment from
    // now. Later calls change nothing.
    void play();
    // What the listener hears now, in milliseconds from the start of the track (see above).
    int timeMs();
    // Moves to `timeMs`; false outside the track (below 0 only, for a silent stream).
    bool setTimeMs(int timeMs);
    // Pauses at the position the clock reads now, or resumes from it.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Plays at `speed` times the normal rate.
    void setSpeed(float speed);
    // The last value of timeMs() before it was rounded down to whole milliseconds.
    double lastClockMs() const { return m_lastClockMs; }
    // When that reading was taken, in the page's performance.now() milliseconds.
    double lastReadingAtMs() const { return m_lastReadingAtMs; }
    // Decodes and schedules up to `maxPieces` pieces of the track, while less than the
    // look-ahead is scheduled.
    void pump(int maxPieces);

private:
    double readClockMs(double nowMs);
    // Stops what is scheduled and, while playing, schedules the track afresh from the anchor.
    void restart();

    // About 186 ms at 44.1 kHz: a piece decodes in a few milliseconds, so one or two a frame
    // keep up without a hitch.
    static const int kPieceFrames = 8192;
    // Ahead of the ear: more than a hidden tab's timer period, less than anyone would wait for
    // the music to stop after Escape (it is stopped at once anyway).
    static constexpr double kLookAheadSec = 3.0;
    // From play() to the first sample: room for the first pieces to be scheduled.
    static constexpr double kStartLeadSec = 0.1;
    // After a restart the first piece rises from silence over 3 ms, so it does not click.
    static const long kFadeInFrames = 132;

    const SoundDevice* m_device = nullptr;
    std::unique_ptr<OggDecoder> m_decoder;
    std::string m_failure;
    std::vector<int16_t> m_pcm;
    std::vector<float> m_left;
    std::vector<float> m_right;

    bool m_played = false;
    bool m_paused = false;
    float m_speed = 1.0f;
    bool m_decodedAll = false;
    // The clock stands at m_anchorMs while paused, before play() and after a restart until
    // the sound is heard; a silent stream runs from there since performance time m_anchorAtMs.
    double m_anchorMs = 0.0;
    double m_anchorAtMs = 0.0;
    double m_startSec = 0.0;      // context time when the track plays from m_originFrame
    long m_originFrame = 0;       // the track frame the latest restart started from
    long m_scheduledFrames = 0;   // frames of the track handed to the context since then
    long m_fadeInFrames = 0;      // frames of the next piece still to fade in
    SmoothClock m_clock;
    double m_lastClockMs = 0.0;
    double m_lastReadingAtMs = 0.0;
};

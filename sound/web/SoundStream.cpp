// One music track on the page's audio context (see SoundStream.h).
//
// PLATFORM: browsers. LIMITATIONS: decoding happens on the main thread, a piece at a time.
// DEPENDENCIES: the browser's SoundDevice, OggDecoder, SmoothClock.
#include "SoundStream.h"

#include "OggDecoder.h"   // Required for: OggDecoder
#include "SoundDevice.h"  // Required for: SoundDevice

#include <emscripten/emscripten.h>  // Required for: emscripten_get_now()

#include <algorithm>  // Required for: std::max
#include <cmath>      // Required for: std::llround
#include <cstdint>    // Required for: int64_t

namespace {

int64_t toNs(double ms)
{
    return int64_t(ms * 1e6);
}

}  // namespace

SoundStream::SoundStream() = default;

SoundStream::SoundStream(const SoundDevice& device, std::unique_ptr<OggDecoder> decoder)
    : m_device(&device), m_decoder(std::move(decoder))
{
    const int channels = m_decoder->channels();
    m_pcm.resize(size_t(kPieceFrames) * size_t(channels));
    m_left.resize(kPieceFrames);
    m_right.resize(kPieceFrames);
    if (m_decoder->rateHz() != device.rateHz()) {
        // The context would resample each piece on its own and click where they meet.
        m_failure = "the track's rate differs from the output's";
        m_device = nullptr;
    }
}

SoundStream::~SoundStream() = default;

void SoundStream::play()
{
    if (m_played)
        return;
    m_played = true;
    m_anchorAtMs = emscripten_get_now();
    if (!isSilent() && !m_paused)
        restart();
}

void SoundStream::restart()
{
    m_device->stopAll();
    m_clock.reset();
    m_originFrame = long(std::llround(m_anchorMs * 1e-3 * m_device->rateHz()));
    m_scheduledFrames = 0;
    m_decodedAll = !m_decoder->seek(m_originFrame) || m_originFrame >= m_decoder->lengthFrames();
    m_fadeInFrames = m_originFrame > 0 ? kFadeInFrames : 0;
    m_startSec = m_device->contextTimeSec() + kStartLeadSec;
    // What the lead leaves room for: the first half second, the rest follows frame by frame.
    pump(3);
}

bool SoundStream::setTimeMs(int timeMs)
{
    if (timeMs < 0)
        return false;
    if (!isSilent() && double(timeMs) * 1e-3 * m_device->rateHz() > double(m_decoder->lengthFrames()) + 0.5)
        return false;
    m_anchorMs = timeMs;
    m_anchorAtMs = emscripten_get_now();
    if (!isSilent() && m_played && !m_paused)
        restart();
    m_clock.reset();
    return true;
}

void SoundStream::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    const double nowMs = emscripten_get_now();
    if (m_played) {
        m_anchorMs = readClockMs(nowMs);
        m_anchorAtMs = nowMs;
    }
    m_paused = paused;
    if (!m_played)
        return;
    // The pause's length is no lag to catch up: the clock starts afresh at the anchor.
    m_clock.reset();
    if (isSilent())
        return;
    if (paused)
        m_device->stopAll();
    else
        restart();
}

void SoundStream::setSpeed(float speed)
{
    const double nowMs = emscripten_get_now();
    if (m_played && !m_paused) {
        m_anchorMs = readClockMs(nowMs);
        m_anchorAtMs = nowMs;
    }
    m_speed = speed;
    m_clock.setRate(speed);
    if (!isSilent() && m_played && !m_paused)
        restart();
}

void SoundStream::pump(int maxPieces)
{
    if (!m_played || m_paused || isSilent() || m_decodedAll)
        return;
    const int rateHz = m_device->rateHz();
    const int channels = m_decoder->channels();
    for (int piece = 0; piece < maxPieces; ++piece) {
        const double scheduledUntilSec = m_startSec + double(m_scheduledFrames) / rateHz / m_speed;
        if (scheduledUntilSec - m_device->contextTimeSec() >= kLookAheadSec)
            return;
        const long frames = m_decoder->read(m_pcm.data(), kPieceFrames);
        if (frames <= 0) {
            m_decodedAll = true;
            return;
        }
        for (long i = 0; i < frames; ++i) {
            const float gain = i < m_fadeInFrames ? float(i) / float(m_fadeInFrames) : 1.0f;
            m_left[i] = gain * float(m_pcm[i * channels]) / 32768.0f;
            m_right[i] = gain * float(m_pcm[i * channels + channels - 1]) / 32768.0f;
        }
        m_fadeInFrames = 0;
        const float* right = channels == 2 ? m_right.data() : m_left.data();
        m_device->schedule(m_left.data(), right, int(frames), scheduledUntilSec, m_speed);
        m_scheduledFrames += frames;
    }
}

int SoundStream::timeMs()
{
    // The music is fed first, so the reading is taken as close as can be to its return.
    if (m_played && !isSilent())
        pump(2);
    m_lastReadingAtMs = emscripten_get_now();
    m_lastClockMs = readClockMs(m_lastReadingAtMs);
    return int(m_lastClockMs);
}

double SoundStream::readClockMs(double nowMs)
{
    if (!m_played || m_paused)
        return m_anchorMs;
    if (isSilent() || !m_device->isRunning()) {
        // Silent, or held by the browser: real time from play(), so the demo goes on.
        return m_clock.follow(toNs(nowMs), m_anchorMs + (nowMs - m_anchorAtMs) * m_speed);
    }
    const double originMs = m_originFrame * 1000.0 / m_device->rateHz();
    const double positionMs = originMs + (m_device->audibleTimeSec(nowMs) - m_startSec) * 1000.0 * m_speed;
    // Until the sound from the anchor reaches the ear, the estimate lies before it.
    if (positionMs <= m_anchorMs && !m_clock.isRunning())
        return m_anchorMs;
    const double trackEndMs = originMs + double(m_scheduledFrames) * 1000.0 / m_device->rateHz();
    if (m_decodedAll && positionMs >= trackEndMs) {
        if (!m_clock.isRunning())
            m_clock.follow(toNs(nowMs), m_anchorMs);
        return m_clock.freeRun(toNs(nowMs));
    }
    return std::max(m_clock.follow(toNs(nowMs), positionMs), m_anchorMs);
}

// One music track on the page's audio context (see SoundStream.h).
//
// PLATFORM: browsers. LIMITATIONS: decoding happens on the main thread, a piece at a time.
// DEPENDENCIES: the browser's SoundDevice, OggDecoder, SmoothClock.
#include "SoundStream.h"

#include "OggDecoder.h"   // Required for: OggDecoder
#include "SoundDevice.h"  // Required for: SoundDevice

#include <emscripten/emscripten.h>  // Required for: emscripten_get_now()

#include <cstdint>  // Required for: int64_t

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
    m_playStartMs = emscripten_get_now();
    if (isSilent())
        return;
    m_startSec = m_device->contextTimeSec() + kStartLeadSec;
    // What the lead leaves room for: the first half second, the rest follows frame by frame.
    pump(3);
}

void SoundStream::pump(int maxPieces)
{
    if (!m_played || isSilent() || m_decodedAll)
        return;
    const int rateHz = m_device->rateHz();
    const int channels = m_decoder->channels();
    for (int piece = 0; piece < maxPieces; ++piece) {
        const double scheduledUntilSec = m_startSec + double(m_scheduledFrames) / rateHz;
        if (scheduledUntilSec - m_device->contextTimeSec() >= kLookAheadSec)
            return;
        const long frames = m_decoder->read(m_pcm.data(), kPieceFrames);
        if (frames <= 0) {
            m_decodedAll = true;
            return;
        }
        for (long i = 0; i < frames; ++i) {
            m_left[i] = float(m_pcm[i * channels]) / 32768.0f;
            m_right[i] = float(m_pcm[i * channels + channels - 1]) / 32768.0f;
        }
        const float* right = channels == 2 ? m_right.data() : m_left.data();
        m_device->schedule(m_left.data(), right, int(frames), scheduledUntilSec);
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
    if (!m_played)
        return 0.0;
    if (isSilent() || !m_device->isRunning()) {
        // Silent, or held by the browser: real time from play(), so the demo goes on.
        return m_clock.follow(toNs(nowMs), nowMs - m_playStartMs);
    }
    const double positionMs = (m_device->audibleTimeSec(nowMs) - m_startSec) * 1000.0;
    if (positionMs <= 0.0 && !m_clock.isRunning())
        return 0.0;
    const double trackEndMs = double(m_scheduledFrames) * 1000.0 / m_device->rateHz();
    if (m_decodedAll && positionMs >= trackEndMs)
        return m_clock.freeRun(toNs(nowMs));
    return m_clock.follow(toNs(nowMs), positionMs);
}

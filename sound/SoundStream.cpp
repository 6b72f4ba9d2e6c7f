#include "SoundStream.h"

#include "OggDecoder.h"   // Required for: OggDecoder
#include "SoundDevice.h"  // Required for: SoundDevice

#include <AL/alext.h>  // Required for: AL_DIRECT_CHANNELS_SOFT

#include <algorithm>  // Required for: std::max
#include <chrono>     // Required for: std::chrono::steady_clock, the monotonic clock
#include <cmath>      // Required for: std::floor

namespace {

// How often the feeding thread wakes: often enough to catch most device clock steps within
// a few milliseconds of the mix, which is what the clock estimate feeds on.
const std::chrono::milliseconds kFeedPeriod(4);

int64_t steadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

SoundStream::SoundStream() = default;

SoundStream::SoundStream(const SoundDevice& device, std::unique_ptr<OggDecoder> decoder)
    : m_device(&device), m_decoder(std::move(decoder))
{
    createSource();
    if (!m_failure.empty()) {
        m_device = nullptr;
        return;
    }
    m_feeder = std::thread(&SoundStream::feed, this);
}

SoundStream::~SoundStream()
{
    if (m_feeder.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_feeder.join();
    }
    if (m_source != 0) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);  // drops the queue, so the buffers can go
        alDeleteSources(1, &m_source);
    }
    if (m_buffers[0] != 0)
        alDeleteBuffers(kBufferCount, m_buffers);
}

void SoundStream::play()
{
    if (m_played)
        return;
    m_played = true;
    m_playStartNs = steadyNowNs();
    if (isSilent())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_playRequested = true;
    }
    m_wake.notify_one();
}

int SoundStream::timeMs()
{
    const int64_t nowNs = steadyNowNs();
    if (!m_played)
        return 0;
    if (isSilent())
        return static_cast<int>((nowNs - m_playStartNs) / 1000000);

    Reading reading;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        reading = m_reading;
    }
    double positionMs = 0.0;
    if (reading.finished) {
        if (!m_clock.isRunning())
            m_clock.follow(nowNs, 0.0);  // a track too short to be caught playing
        positionMs = m_clock.freeRun(nowNs);
    } else if (reading.playing) {
        // The mixer left the track at positionSec when the device clock read positionClockNs;
        // the listener is as far past that point as the audible device clock is now.
        const int64_t audibleClockNs = nowNs + reading.audibleMinusSteadyNs;
        const double targetMs =
            reading.positionSec * 1e3 + (audibleClockNs - reading.positionClockNs) / 1e6;
        positionMs = m_clock.follow(nowNs, targetMs);
    }
    return static_cast<int>(std::floor(std::max(positionMs, 0.0)));
}

double SoundStream::outputLatencyMs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reading.latencyNs / 1e6;
}

void SoundStream::createSource()
{
    m_format = m_decoder->channels() == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    m_pcm.resize(static_cast<size_t>(kBufferFrames) * m_decoder->channels());

    alGetError();  // clears an error left by someone else
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) {
        m_source = 0;
        m_failure = "the audio library has no source left to play on";
        return;
    }
    alGenBuffers(kBufferCount, m_buffers);
    if (alGetError() != AL_NO_ERROR) {
        m_buffers[0] = 0;
        m_failure = "the audio library cannot give buffers for the music";
        return;
    }
    // Music, not a sound in the scene: no position, no distance, and with direct channels a
    // stereo track reaches the left and right outputs unchanged instead of being panned.
    alSourcei(m_source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(m_source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(m_source, AL_ROLLOFF_FACTOR, 0.0f);
    if (m_decoder->channels() == 2 && m_device->hasDirectChannels())
        alSourcei(m_source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);

    for (ALuint buffer : m_buffers) {
        if (!fill(buffer))
            break;
        alSourceQueueBuffers(m_source, 1, &buffer);
    }
}

void SoundStream::feed()
{
    int64_t framesUnqueued = 0;  // frames of the track in buffers already taken off the queue
    bool sourceStarted = false;
    bool trackDecoded = false;
    const double rateHz = m_decoder->rateHz();

    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        const bool playRequested = m_playRequested;
        lock.unlock();

        if (playRequested && !sourceStarted) {
            alSourcePlay(m_source);
            sourceStarted = true;
        }
        // The state is read before the queue: a source found stopped has played every
        // buffer it holds, so all of them are recycled before it is restarted.
        ALint state = AL_INITIAL;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        ALint processed = 0;
        alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
        for (; processed > 0; --processed) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(m_source, 1, &buffer);
            ALint sizeBytes = 0;
            alGetBufferi(buffer, AL_SIZE, &sizeBytes);
            framesUnqueued += sizeBytes / (m_decoder->channels() * 2);
            if (!trackDecoded && fill(buffer))
                alSourceQueueBuffers(m_source, 1, &buffer);
            else
                trackDecoded = true;
        }
        ALint queued = 0;
        alGetSourcei(m_source, AL_BUFFERS_QUEUED, &queued);
        const bool finished = sourceStarted && state == AL_STOPPED && queued == 0;
        if (sourceStarted && state == AL_STOPPED && queued > 0)
            alSourcePlay(m_source);  // it ran dry (the machine stalled): carry on

        double offsetSec = 0.0;
        int64_t offsetClockNs = 0;
        m_device->readSourceOffset(m_source, offsetSec, offsetClockNs);
        int64_t deviceClockNs = 0;
        int64_t latencyNs = 0;
        m_device->readClock(deviceClockNs, latencyNs);
        m_tracker.observe(steadyNowNs(), deviceClockNs - latencyNs);

        lock.lock();
        // A stopped source reads offset 0, so only a playing one says where the track is;
        // while it is stopped the reader runs on from the last position.
        if (state == AL_PLAYING) {
            m_reading.playing = true;
            m_reading.positionSec = framesUnqueued / rateHz + offsetSec;
            m_reading.positionClockNs = offsetClockNs;
        }
        m_reading.finished = finished;
        m_reading.audibleMinusSteadyNs = m_tracker.offsetNs();
        m_reading.latencyNs = latencyNs;
        // Play requests wake the thread at once, so the music starts without a poll's delay.
        m_wake.wait_for(lock, kFeedPeriod, [this, &sourceStarted] {
            return m_stopping || (m_playRequested && !sourceStarted);
        });
    }
}

bool SoundStream::fill(ALuint buffer)
{
    const long frames = m_decoder->read(m_pcm.data(), kBufferFrames);
    if (frames == 0)
        return false;
    const ALsizei sizeBytes = static_cast<ALsizei>(frames * m_decoder->channels() * 2);
    alBufferData(buffer, m_format, m_pcm.data(), sizeBytes, m_decoder->rateHz());
    return true;
}

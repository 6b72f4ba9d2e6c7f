#include "SoundStream.h"

#include "OggDecoder.h"   // Required for: OggDecoder
#include "SoundDevice.h"  // Required for: SoundDevice

#include <AL/alext.h>  // Required for: AL_DIRECT_CHANNELS_SOFT

#include <algorithm>  // Required for: std::max, std::min
#include <chrono>     // Required for: std::chrono::steady_clock, the monotonic clock
#include <cmath>      // Required for: std::floor, std::llround

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
    createSources();
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
    if (m_sources[0] != 0) {
        for (ALuint source : m_sources) {
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);  // drops the queue, so the buffers can go
        }
        alDeleteSources(2, m_sources);
    }
    if (m_buffers[0][0] != 0)
        alDeleteBuffers(2 * kBufferCount, m_buffers[0]);
}

void SoundStream::play()
{
    if (m_played)
        return;
    m_played = true;
    m_anchorNs = steadyNowNs();
    if (isSilent())
        return;
    Wish wish = m_wished;
    wish.running = !m_paused;
    ask(wish);
}

int SoundStream::timeMs()
{
    return static_cast<int>(std::floor(positionMs(steadyNowNs())));
}

bool SoundStream::setTimeMs(int timeMs)
{
    if (timeMs < 0)
        return false;
    if (!isSilent()) {
        const int64_t frame = static_cast<int64_t>(std::llround(timeMs * 1e-3 * m_decoder->rateHz()));
        if (frame > m_decoder->lengthFrames())
            return false;
        Wish wish = m_wished;
        ++wish.restarts;
        wish.startFrame = frame;
        ask(wish);
    }
    m_anchorMs = timeMs;
    m_anchorNs = steadyNowNs();
    m_clock.reset();
    return true;
}

void SoundStream::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    const int64_t nowNs = steadyNowNs();
    if (m_played) {
        m_anchorMs = positionMs(nowNs);
        m_anchorNs = nowNs;
    }
    m_paused = paused;
    if (isSilent())
        return;
    Wish wish = m_wished;
    wish.running = m_played && !paused;
    if (paused && m_played) {
        // The sound that was mixed ahead of the ear still plays out, so the source starts
        // over at the sample the clock stands on: the resume picks up right there.
        ++wish.restarts;
        wish.startFrame = std::min(
            static_cast<int64_t>(std::llround(m_anchorMs * 1e-3 * m_decoder->rateHz())),
            m_decoder->lengthFrames());
        m_clock.reset();
    }
    ask(wish);
}

void SoundStream::setSpeed(float speed)
{
    const int64_t nowNs = steadyNowNs();
    if (m_played && !m_paused) {
        m_anchorMs = positionMs(nowNs);
        m_anchorNs = nowNs;
    }
    m_speed = speed;
    if (isSilent())
        return;
    Wish wish = m_wished;
    wish.speed = speed;
    ask(wish);
}

double SoundStream::positionMs(int64_t nowNs)
{
    if (!m_played || m_paused)
        return m_anchorMs;
    if (isSilent())
        return m_anchorMs + (nowNs - m_anchorNs) / 1e6 * m_speed;

    Reading reading;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        reading = m_reading;
    }
    // A reading from before the latest restart tells where the old sound was.
    if (reading.restarts != m_wished.restarts)
        return m_anchorMs;
    double positionMs = m_anchorMs;
    if (reading.finished) {
        m_clock.setRate(m_speed);
        if (!m_clock.isRunning())
            m_clock.follow(nowNs, m_anchorMs);  // too little left to be caught playing
        positionMs = m_clock.freeRun(nowNs);
    } else if (reading.playing) {
        // The mixer left the track at positionSec when the device clock read positionClockNs;
        // the listener is as far past that point as the audible device clock is now, at the
        // speed the source plays. Until the listener reaches the latest change of speed, the
        // sound mixed before it is heard at the old speed, and the clock runs at that.
        const int64_t audibleClockNs = nowNs + reading.audibleMinusSteadyNs;
        double targetMs = reading.positionSec * 1e3 +
                          (audibleClockNs - reading.positionClockNs) / 1e6 * reading.speed;
        m_clock.setRate(reading.speed);
        if (audibleClockNs < reading.speedChangeClockNs) {
            targetMs = reading.speedChangeSec * 1e3 +
                       (audibleClockNs - reading.speedChangeClockNs) / 1e6 * reading.speedBefore;
            m_clock.setRate(reading.speedBefore);
        }
        positionMs = m_clock.follow(nowNs, targetMs);
    }
    // Until the sound from the anchor reaches the ear, the estimate lies before it.
    return std::max(positionMs, m_anchorMs);
}

double SoundStream::outputLatencyMs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reading.latencyNs / 1e6;
}

void SoundStream::createSources()
{
    m_format = m_decoder->channels() == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    m_pcm.resize(static_cast<size_t>(kBufferFrames) * m_decoder->channels());

    alGetError();  // clears an error left by someone else
    alGenSources(2, m_sources);
    if (alGetError() != AL_NO_ERROR) {
        m_sources[0] = 0;
        m_failure = "the audio library has no source left to play on";
        return;
    }
    alGenBuffers(2 * kBufferCount, m_buffers[0]);
    if (alGetError() != AL_NO_ERROR) {
        m_buffers[0][0] = 0;
        m_failure = "the audio library cannot give buffers for the music";
        return;
    }
    // Music, not a sound in the scene: no position, no distance, and with direct channels a
    // stereo track reaches the left and right outputs unchanged instead of being panned.
    for (ALuint source : m_sources) {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        if (m_decoder->channels() == 2 && m_device->hasDirectChannels())
            alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    }

    for (ALuint buffer : m_buffers[0]) {
        if (!fill(buffer))
            break;
        alSourceQueueBuffers(m_sources[0], 1, &buffer);
    }
}

void SoundStream::feed()
{
    int64_t framesUnqueued = 0;  // frames of the track before the buffers now queued
    bool sourceStarted = false;
    bool trackDecoded = false;
    int restartsDone = 0;
    float speed = 1.0f;
    const double rateHz = m_decoder->rateHz();

    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        const Wish wish = m_wish;
        lock.unlock();

        const ALuint source = m_sources[m_active];
        if (wish.speed != speed) {
            // The mixer takes the pitch up at its next step, which starts where the device
            // clock stands now; the source's offset there is where the new speed begins.
            for (ALuint each : m_sources)
                alSourcef(each, AL_PITCH, wish.speed);
            double offsetSec = 0.0;
            int64_t offsetClockNs = 0;
            m_device->readSourceOffset(source, offsetSec, offsetClockNs);
            lock.lock();
            m_reading.speedChangeSec = framesUnqueued / rateHz + offsetSec;
            m_reading.speedChangeClockNs = offsetClockNs;
            m_reading.speedBefore = speed;
            lock.unlock();
            speed = wish.speed;
        }
        if (wish.restarts != restartsDone) {
            trackDecoded = !restartAt(wish.startFrame);
            framesUnqueued = wish.startFrame;
            sourceStarted = false;
            restartsDone = wish.restarts;
            lock.lock();
            m_reading = Reading();
            m_reading.restarts = restartsDone;
            continue;  // with the lock held, as the loop begins: on with the new source
        }
        if (m_fading >= 0) {
            int64_t clockNs = 0, latencyNs = 0;
            m_device->readClock(clockNs, latencyNs);
            if (clockNs >= m_fadeEndClockNs) {
                empty(m_sources[m_fading]);
                m_fading = -1;
            }
        }
        if (wish.running && !sourceStarted) {
            alSourcePlay(source);
            sourceStarted = true;
        }
        // The state is read before the queue: a source found stopped has played every
        // buffer it holds, so all of them are recycled before it is restarted.
        ALint state = AL_INITIAL;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        for (; processed > 0; --processed) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source, 1, &buffer);
            ALint sizeBytes = 0;
            alGetBufferi(buffer, AL_SIZE, &sizeBytes);
            framesUnqueued += sizeBytes / (m_decoder->channels() * 2);
            if (!trackDecoded && fill(buffer))
                alSourceQueueBuffers(source, 1, &buffer);
            else
                trackDecoded = true;
        }
        ALint queued = 0;
        alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
        const bool finished = sourceStarted && state == AL_STOPPED && queued == 0;
        if (sourceStarted && state == AL_STOPPED && queued > 0)
            alSourcePlay(source);  // it ran dry (the machine stalled): carry on

        double offsetSec = 0.0;
        int64_t offsetClockNs = 0;
        m_device->readSourceOffset(source, offsetSec, offsetClockNs);
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
            m_reading.speed = speed;
        }
        m_reading.finished = finished;
        m_reading.audibleMinusSteadyNs = m_tracker.offsetNs();
        m_reading.latencyNs = latencyNs;
        // A wish wakes the thread at once, so the music starts or jumps without a poll's delay.
        m_wake.wait_for(lock, kFeedPeriod, [&] {
            return m_stopping || m_wish.restarts != restartsDone || m_wish.speed != speed ||
                   (m_wish.running && !sourceStarted);
        });
    }
}

bool SoundStream::restartAt(int64_t frame)
{
    // What plays fades out on its own source, as the new sound starts on the other: OpenAL
    // Soft stops a source dead, which clicks, but it ramps a playing source's gain over one
    // mixer step. The change is taken up at the start of the next step, which may be almost
    // a step away, so the fade is over two steps after the device clock read here.
    ALint state = AL_INITIAL;
    alGetSourcei(m_sources[m_active], AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) {
        const int other = 1 - m_active;
        empty(m_sources[other]);  // still fading from a jump just before: cut short
        alSourcef(m_sources[m_active], AL_GAIN, 0.0f);
        int64_t clockNs = 0, latencyNs = 0;
        m_device->readClock(clockNs, latencyNs);
        m_fadeEndClockNs = clockNs + 2 * m_device->mixerStepNs();
        m_fading = m_active;
        m_active = other;
    } else {
        empty(m_sources[m_active]);
    }
    // A file that cannot seek there (damaged) plays nothing more; the clock runs on.
    if (!m_decoder->seek(frame))
        return false;
    long fadeInFrames = kFadeInFrames;
    for (ALuint buffer : m_buffers[m_active]) {
        if (!fill(buffer, fadeInFrames))
            return false;
        alSourceQueueBuffers(m_sources[m_active], 1, &buffer);
        fadeInFrames = 0;
    }
    return true;
}

void SoundStream::empty(ALuint source)
{
    // Rewound, not just stopped: a stopped source counts every buffer as played, and the
    // feeding loop would take a new queue for spent and decode on while paused.
    alSourceRewind(source);
    alSourcei(source, AL_BUFFER, 0);  // an initial source gives back its whole queue
    alSourcef(source, AL_GAIN, 1.0f);
}

bool SoundStream::fill(ALuint buffer, long fadeInFrames)
{
    const long frames = m_decoder->read(m_pcm.data(), kBufferFrames);
    if (frames == 0)
        return false;
    const int channels = m_decoder->channels();
    for (long frame = 0; frame < std::min(fadeInFrames, frames); ++frame) {
        const double gain = double(frame) / fadeInFrames;
        for (int channel = 0; channel < channels; ++channel) {
            int16_t& sample = m_pcm[size_t(frame * channels + channel)];
            sample = static_cast<int16_t>(sample * gain);
        }
    }
    const ALsizei sizeBytes = static_cast<ALsizei>(frames * channels * 2);
    alBufferData(buffer, m_format, m_pcm.data(), sizeBytes, m_decoder->rateHz());
    return true;
}

void SoundStream::ask(const Wish& wish)
{
    m_wished = wish;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wish = wish;
    }
    m_wake.notify_one();
}

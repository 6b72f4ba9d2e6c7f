// SoundDevice: the default audio output, opened through OpenAL Soft, and the clock readings
// the music clock is built on.
//
// Owns the OpenAL device and its context, which it makes current for the whole process.
// Opening fails, with a reason, when there is no output or OpenAL Soft lacks the device
// clock and source latency extensions. Its readings are safe from any thread (OpenAL locks
// internally); streams created on it must be deleted before it.
#pragma once

#include <AL/al.h>     // Required for: ALuint
#include <AL/alc.h>    // Required for: ALCdevice, ALCcontext
#include <AL/alext.h>  // Required for: LPALGETSOURCEDVSOFT, LPALCGETINTEGER64VSOFT

#include <cstdint>  // Required for: int64_t
#include <string>

class SoundDevice {
public:
    // Opens the default output mixing at `mixRateHz`; on failure isOpen() is false and
    // failure() says why.
    explicit SoundDevice(int mixRateHz);
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    bool isOpen() const { return m_context != nullptr; }
    const std::string& failure() const { return m_failure; }

    // Whether sources can play stereo buffers straight to the left and right outputs.
    bool hasDirectChannels() const { return m_directChannels; }

    // How much the mixer mixes at a time, in nanoseconds of the device clock: a change to a
    // source (a gain, a stop) is heard at the start of the next such step.
    int64_t mixerStepNs() const { return m_mixerStepNs; }

    // The device clock (time of audio mixed so far) and the output latency: how long until
    // what is mixed at that clock reaches the listener. Both in nanoseconds.
    void readClock(int64_t& clockNs, int64_t& latencyNs) const;

    // A source's playing offset within its queue in seconds and the device clock, in
    // nanoseconds, at which the mixer left it there. The two are read together.
    void readSourceOffset(ALuint source, double& offsetSec, int64_t& clockNs) const;

private:
    void closeAll();

    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    LPALGETSOURCEDVSOFT m_getSourcedv = nullptr;
    LPALCGETINTEGER64VSOFT m_getInteger64v = nullptr;
    bool m_directChannels = false;
    int64_t m_mixerStepNs = 0;
    std::string m_failure;
};

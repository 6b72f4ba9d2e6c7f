#include "SoundDevice.h"

#include <dlfcn.h>  // Required for: dlsym(), RTLD_DEFAULT

#include <cstdlib>  // Required for: getenv(), setenv()

namespace {

// libasound's error callback type, declared here so that we need no ALSA headers.
typedef void (*AlsaErrorHandler)(const char* file, int line, const char* function, int err,
                                 const char* format, ...);
typedef int (*AlsaSetErrorHandler)(AlsaErrorHandler handler);

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// OpenAL Soft logs its warnings and errors on stderr, and libasound, which it loads, prints
// several lines of its own when there is no sound card. A demo on a machine without sound
// should say so in one line of ours, so both are silenced, unless the developer has asked
// for OpenAL's log by setting ALSOFT_LOGLEVEL. Must run before the first OpenAL call: the
// log level is read once, when OpenAL initialises.
void quietSoundLibraries()
{
    if (getenv("ALSOFT_LOGLEVEL") != nullptr)
        return;
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    // libasound is found only when it is loaded into the process already (OpenAL Soft links
    // it on Debian); then its error printer is replaced with one that prints nothing.
    auto setHandler = reinterpret_cast<AlsaSetErrorHandler>(
        dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"));
    if (setHandler != nullptr)
        setHandler(ignoreAlsaError);
}

} // namespace

SoundDevice::SoundDevice(int mixRateHz)
{
    quietSoundLibraries();

    m_device = alcOpenDevice(nullptr);
    if (m_device == nullptr) {
        m_failure = "no audio output could be opened";
        return;
    }
    if (!alcIsExtensionPresent(m_device, "ALC_SOFT_device_clock")) {
        m_failure = "the audio library has no device clock (ALC_SOFT_device_clock)";
        closeAll();
        return;
    }
    const ALCint attributes[] = {ALC_FREQUENCY, mixRateHz, 0};
    m_context = alcCreateContext(m_device, mixRateHz > 0 ? attributes : nullptr);
    if (m_context == nullptr || !alcMakeContextCurrent(m_context)) {
        m_failure = "the audio output refused a playback context";
        closeAll();
        return;
    }
    if (!alIsExtensionPresent("AL_SOFT_source_latency")) {
        m_failure = "the audio library has no source latency (AL_SOFT_source_latency)";
        closeAll();
        return;
    }
    m_getSourcedv = reinterpret_cast<LPALGETSOURCEDVSOFT>(alGetProcAddress("alGetSourcedvSOFT"));
    m_getInteger64v = reinterpret_cast<LPALCGETINTEGER64VSOFT>(
        alcGetProcAddress(m_device, "alcGetInteger64vSOFT"));
    m_directChannels = alIsExtensionPresent("AL_SOFT_direct_channels");
    // The refresh rate is whole updates per second (43 for 1024 frames at 44.1 kHz).
    ALCint refreshHz = 0;
    alcGetIntegerv(m_device, ALC_REFRESH, 1, &refreshHz);
    m_mixerStepNs = 1000000000 / (refreshHz > 0 ? refreshHz : 43);
}

SoundDevice::~SoundDevice()
{
    closeAll();
}

void SoundDevice::readClock(int64_t& clockNs, int64_t& latencyNs) const
{
    ALCint64SOFT values[2] = {0, 0};
    m_getInteger64v(m_device, ALC_DEVICE_CLOCK_LATENCY_SOFT, 2, values);
    clockNs = values[0];
    latencyNs = values[1];
}

void SoundDevice::readSourceOffset(ALuint source, double& offsetSec, int64_t& clockNs) const
{
    ALdouble values[2] = {0.0, 0.0};
    m_getSourcedv(source, AL_SEC_OFFSET_CLOCK_SOFT, values);
    offsetSec = values[0];
    clockNs = static_cast<int64_t>(values[1] * 1e9 + 0.5);
}

void SoundDevice::closeAll()
{
    if (m_context != nullptr) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
        m_context = nullptr;
    }
    if (m_device != nullptr) {
        alcCloseDevice(m_device);
        m_device = nullptr;
    }
}

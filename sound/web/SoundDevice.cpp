// The page's Web Audio context (see SoundDevice.h).
//
// PLATFORM: browsers with Web Audio. LIMITATIONS: see the header.
// DEPENDENCIES: emscripten/em_js.h (the calls into the page's JavaScript).
#include "SoundDevice.h"

#include <emscripten/emscripten.h>  // Required for: EM_JS, EMSCRIPTEN_KEEPALIVE

// The context and the sources still to play live on Module.tavlenAudio.
EM_JS(int, web_audio_open, (int rateHz), {
    var AudioContextClass = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextClass)
        return 0;
    var audio = Module.tavlenAudio;
    if (!audio || audio.context.sampleRate !== rateHz) {
        try {
            audio = Module.tavlenAudio = { context: new AudioContextClass({ sampleRate: rateHz }), sources: [] };
        } catch (e) {
            return 0;
        }
    }
    if (audio.context.state !== 'running')
        audio.context.resume();
    return 1;
});

EM_JS(void, web_audio_stop_all, (), {
    var audio = Module.tavlenAudio;
    if (!audio)
        return;
    audio.sources.forEach(function(source) { try { source.stop(); } catch (e) {} });
    audio.sources = [];
});

EM_JS(double, web_audio_context_time, (), {
    return Module.tavlenAudio ? Module.tavlenAudio.context.currentTime : 0;
});

EM_JS(int, web_audio_running, (), {
    return Module.tavlenAudio && Module.tavlenAudio.context.state === 'running' ? 1 : 0;
});

EM_JS(double, web_audio_audible_time, (double nowMs), {
    var context = Module.tavlenAudio.context;
    if (context.getOutputTimestamp) {
        var stamp = context.getOutputTimestamp();
        if (stamp.performanceTime > 0 && stamp.contextTime > 0)
            return stamp.contextTime + (nowMs - stamp.performanceTime) / 1000;
    }
    return context.currentTime - (context.outputLatency || context.baseLatency || 0);
});

EM_JS(void, web_audio_schedule, (const float* left, const float* right, int frames, double whenSec, double rate), {
    var audio = Module.tavlenAudio;
    var stereo = left !== right;
    var buffer = audio.context.createBuffer(stereo ? 2 : 1, frames, audio.context.sampleRate);
    buffer.copyToChannel(HEAPF32.subarray(left >> 2, (left >> 2) + frames), 0);
    if (stereo)
        buffer.copyToChannel(HEAPF32.subarray(right >> 2, (right >> 2) + frames), 1);
    var source = audio.context.createBufferSource();
    source.buffer = buffer;
    source.playbackRate.value = rate;
    source.connect(audio.context.destination);
    source.onended = function() {
        var at = audio.sources.indexOf(source);
        if (at >= 0)
            audio.sources.splice(at, 1);
    };
    audio.sources.push(source);
    source.start(whenSec);
});

SoundDevice::SoundDevice(int mixRateHz)
    : m_rateHz(mixRateHz)
{
    m_open = web_audio_open(mixRateHz) != 0;
    if (!m_open)
        m_failure = "this browser has no Web Audio";
}

SoundDevice::~SoundDevice()
{
    if (m_open)
        web_audio_stop_all();
}

double SoundDevice::contextTimeSec() const
{
    return web_audio_context_time();
}

bool SoundDevice::isRunning() const
{
    return m_open && web_audio_running() != 0;
}

double SoundDevice::audibleTimeSec(double nowMs) const
{
    return web_audio_audible_time(nowMs);
}

void SoundDevice::schedule(const float* left, const float* right, int frames, double whenSec, double rate) const
{
    web_audio_schedule(left, right, frames, whenSec, rate);
}

void SoundDevice::stopAll() const
{
    web_audio_stop_all();
}

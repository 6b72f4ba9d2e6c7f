// Dsp: the small signal-processing pieces the instruments are built from: a stereo bus and
// the sink that feeds buses, band-limited oscillators, a state-variable filter, envelopes
// and pitch. They are a few lines each and read best side by side, so they share a header.
//
// Everything runs at SAMPLE_RATE in single precision, apart from oscillator phases. Nothing
// here allocates after construction or keeps global state, so rendering is repeatable.
#pragma once

#include <algorithm>  // Required for: std::max
#include <cmath>      // Required for: std::lround, std::fmin
#include <cstddef>
#include <vector>

#include "PortableMath.h"

namespace dsp {

const int SAMPLE_RATE = 44100;
const float PI = 3.14159265f;
const float TWO_PI = 6.2831853f;

// Sample index of a time in seconds (nearest sample).
inline long sampleAt(double seconds) { return std::lround(seconds * double(SAMPLE_RATE)); }

// Frequency of a MIDI note number (69 = A4 = 440 Hz), fractional notes allowed.
inline float noteHz(float midi) { return 440.0f * pm::pow(2.0f, (midi - 69.0f) / 12.0f); }

// Decibels to a linear factor.
inline float dbToGain(float db) { return pm::pow(10.0f, db / 20.0f); }

// A stereo signal of fixed length; writes past the end are dropped, so a note's tail
// may run off the track.
class Stereo {
public:
    explicit Stereo(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t frames() const { return left.size(); }
    void add(long frame, float l, float r)
    {
        if (frame < 0 || size_t(frame) >= left.size())
            return;
        left[size_t(frame)] += l;
        right[size_t(frame)] += r;
    }
    // Mixes `other` in at a gain.
    void mix(const Stereo& other, float gain)
    {
        for (size_t i = 0; i < left.size(); ++i) {
            left[i] += other.left[i] * gain;
            right[i] += other.right[i] * gain;
        }
    }
    std::vector<float> left;
    std::vector<float> right;
};

// Where a voice goes: up to three buses, each at its own gain (the dry bus and the sends
// to the reverb and the echo). Does not own the buses.
class Sink {
public:
    Sink& to(Stereo& bus, float gain)
    {
        if (count < 3)
            taps[count++] = {&bus, gain};
        return *this;
    }
    void add(long frame, float l, float r)
    {
        for (int i = 0; i < count; ++i)
            taps[i].bus->add(frame, l * taps[i].gain, r * taps[i].gain);
    }

private:
    struct Tap {
        Stereo* bus;
        float gain;
    };
    Tap taps[3] = {};
    int count = 0;
};

// Equal-power pan: -1 left, 0 centre, +1 right; returns the two channel gains.
inline void panGains(float pan, float& l, float& r)
{
    const float a = (pan + 1.0f) * 0.25f * PI;
    l = pm::cos(a);
    r = pm::sin(a);
}

// Correction for a step discontinuity at phase t (0..1) advancing dt per sample
// (polyBLEP): removes most of the aliasing of naive sawtooth and square waves.
inline float polyBlep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

// Moves an oscillator's phase (0..1) on by dt and wraps it back into 0..1.
inline void advancePhase(float& phase, float dt)
{
    phase += dt;
    if (phase >= 1.0f)
        phase -= 1.0f;
}

// A band-limited sawtooth, -1..1.
class Saw {
public:
    explicit Saw(float startPhase = 0.0f) : phase(startPhase) {}
    float next(float hz)
    {
        const float dt = hz / float(SAMPLE_RATE);
        const float v = 2.0f * phase - 1.0f - polyBlep(phase, dt);
        advancePhase(phase, dt);
        return v;
    }

private:
    float phase;
};

// A band-limited square (pulse) wave, -1..1, with the given duty.
class Pulse {
public:
    explicit Pulse(float startPhase = 0.0f) : phase(startPhase) {}
    float next(float hz, float duty = 0.5f)
    {
        const float dt = hz / float(SAMPLE_RATE);
        float v = phase < duty ? 1.0f : -1.0f;
        v += polyBlep(phase, dt);
        float shifted = phase - duty;
        if (shifted < 0.0f)
            shifted += 1.0f;
        v -= polyBlep(shifted, dt);
        advancePhase(phase, dt);
        return v;
    }

private:
    float phase;
};

// A sine oscillator with a double-precision phase (long drones stay in tune).
class Sine {
public:
    explicit Sine(double startPhase = 0.0) : phase(startPhase) {}
    float next(float hz)
    {
        const float v = float(pm::sin(phase * 6.283185307179586));
        phase += double(hz) / double(SAMPLE_RATE);
        if (phase >= 1.0)
            phase -= 1.0;
        return v;
    }
    // Phase modulation input in cycles, for FM bells and pianos.
    float next(float hz, float modulationCycles)
    {
        const float v = float(pm::sin((phase + double(modulationCycles)) * 6.283185307179586));
        phase += double(hz) / double(SAMPLE_RATE);
        if (phase >= 1.0)
            phase -= 1.0;
        return v;
    }

private:
    double phase;
};

// Topology-preserving state-variable filter (Zavalishin): low, band and high pass from one
// structure, stable under fast cutoff sweeps. Resonance 0.5 (gentle) to about 10 (sharp).
class Filter {
public:
    struct Out {
        float low, band, high;
    };
    Out process(float x, float cutoffHz, float resonance)
    {
        // The coefficients follow the cutoff every 8 samples (0.2 ms), which is smooth for
        // any envelope here and saves most of the tangents.
        if (countdown-- == 0) {
            countdown = 7;
            const float fc = std::fmin(cutoffHz, 0.45f * float(SAMPLE_RATE));
            g = pm::tan(PI * fc / float(SAMPLE_RATE));
            k = 1.0f / resonance;
            a1 = 1.0f / (1.0f + g * (g + k));
        }
        const float v3 = x - ic2;
        const float v1 = a1 * ic1 + g * a1 * v3;
        const float v2 = ic2 + g * v1;
        ic1 = 2.0f * v1 - ic1;
        ic2 = 2.0f * v2 - ic2;
        return {v2, v1, x - k * v1 - v2};
    }
    float low(float x, float cutoffHz, float resonance = 0.707f) { return process(x, cutoffHz, resonance).low; }
    float band(float x, float cutoffHz, float resonance = 0.707f) { return process(x, cutoffHz, resonance).band; }
    float high(float x, float cutoffHz, float resonance = 0.707f) { return process(x, cutoffHz, resonance).high; }

private:
    float ic1 = 0.0f;
    float ic2 = 0.0f;
    float g = 0.0f, k = 1.0f, a1 = 1.0f;
    int countdown = 0;
};

// exp(-t / tau) sample by sample, one multiplication each: the decays of every voice.
class Decay {
public:
    explicit Decay(float tauSeconds, float start = 1.0f)
        : value(start), factor(float(pm::exp(-1.0 / (double(tauSeconds) * SAMPLE_RATE))))
    {
    }
    float next()
    {
        const float v = value;
        value *= factor;
        return v;
    }

private:
    float value;
    float factor;
};

// A percussive envelope: a 2 ms linear attack (so nothing clicks), then exp(-t / tau).
class Hit {
public:
    explicit Hit(float tauSeconds) : decay(tauSeconds) {}
    float next()
    {
        if (attackLeft > 0) {
            --attackLeft;
            return float(ATTACK - attackLeft) / float(ATTACK);
        }
        return decay.next();
    }

private:
    static const int ATTACK = SAMPLE_RATE / 500;
    int attackLeft = ATTACK;
    Decay decay;
};

// Linear attack, exponential decay towards `sustain` while the note is held, exponential
// release after `gateSeconds`: the shape of every held note.
class Envelope {
public:
    Envelope(float attackSeconds, float decaySeconds, float sustainLevel, float releaseSeconds, float gateSeconds)
        : attackFrames(std::max(1L, long(attackSeconds * SAMPLE_RATE))), gateFrames(long(gateSeconds * SAMPLE_RATE)),
          sustain(sustainLevel), decayFactor(float(pm::exp(-1.0 / (double(decaySeconds) * SAMPLE_RATE)))),
          releaseFactor(float(pm::exp(-1.0 / (double(releaseSeconds) * SAMPLE_RATE))))
    {
    }
    float next()
    {
        const long i = frame++;
        if (i >= gateFrames)
            level *= releaseFactor;
        else if (i < attackFrames)
            level = float(i + 1) / float(attackFrames);
        else
            level = sustain + (level - sustain) * decayFactor;
        return level;
    }

private:
    long attackFrames;
    long gateFrames;
    float sustain;
    float decayFactor;
    float releaseFactor;
    float level = 0.0f;
    long frame = 0;
};

}  // namespace dsp

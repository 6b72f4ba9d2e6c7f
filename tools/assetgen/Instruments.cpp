#include "Instruments.h"

#include <cmath>  // Required for: std::fmin, std::fmax

#include "PortableMath.h"
#include "Random.h"

using namespace dsp;

namespace {

// Frames to render for a sound of `seconds`, starting at `at`.
struct Span {
    long start;
    long count;
};
Span span(double at, double seconds)
{
    return {sampleAt(at), long(seconds * SAMPLE_RATE)};
}

float white(Random& random) { return random.uniform() * 2.0f - 1.0f; }

// The metallic partials of a cymbal: six square waves at inharmonic ratios, the classic
// drum-machine recipe.
class Metal {
public:
    explicit Metal(float baseHz) : base(baseHz) {}
    float next()
    {
        static const float ratios[6] = {1.0f, 1.4471f, 1.6170f, 1.9265f, 2.5028f, 2.6637f};
        float sum = 0.0f;
        for (int i = 0; i < 6; ++i)
            sum += oscillators[i].next(base * ratios[i]);
        return sum / 6.0f;
    }

private:
    float base;
    Pulse oscillators[6];
};

}  // namespace

namespace instruments {

void kick(Sink out, double at, float gain)
{
    const Span s = span(at, 0.45);
    Sine body;
    Decay punch(0.03f), click(0.004f), weight(0.19f);
    const float norm = pm::tanh(1.6f);
    for (long i = 0; i < s.count; ++i) {
        // A fast pitch drop gives the punch, the slow tail the weight; the last 30 ms fade
        // out so that the cut is silent.
        const float hz = 50.0f + 130.0f * punch.next() + 300.0f * click.next();
        const float attack = i < 44 ? float(i) / 44.0f : 1.0f;
        const float tail = i > s.count - 1323 ? float(s.count - i) / 1323.0f : 1.0f;
        const float amp = attack * weight.next() * tail;
        const float v = pm::tanh(1.6f * body.next(hz) * amp) / norm * gain;
        out.add(s.start + i, v, v);
    }
}

void clap(Sink out, double at, float gain, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, 0.35);
    Filter left, right;
    // Three quick bursts (hands not quite together) and the room after them.
    const long bursts[3] = {0, 397, 838};
    const long roomStart = 1103;
    Decay burst(0.006f), room(0.11f);
    for (long i = 0; i < s.count; ++i) {
        float amp;
        if (i >= roomStart) {
            amp = 0.45f * room.next();
        } else {
            if (i == bursts[1] || i == bursts[2])
                burst = Decay(0.006f);
            amp = burst.next();
        }
        const float l = left.band(white(random), 1700.0f, 1.1f) * amp;
        const float r = right.band(white(random), 1900.0f, 1.1f) * amp;
        out.add(s.start + i, l * gain * 2.2f, r * gain * 2.2f);
    }
}

void snare(Sink out, double at, float gain, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, 0.3);
    Sine body;
    Filter noiseFilter;
    Hit toneEnv(0.06f), rattleEnv(0.11f);
    Decay drop(0.01f);
    for (long i = 0; i < s.count; ++i) {
        const float tone = body.next(190.0f + 60.0f * drop.next()) * toneEnv.next();
        const float rattle = noiseFilter.band(white(random), 3200.0f, 0.8f) * rattleEnv.next() * 1.6f;
        const float v = (0.6f * tone + rattle) * gain;
        out.add(s.start + i, v, v);
    }
}

void hat(Sink out, double at, float gain, float decaySeconds, float pan, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, decaySeconds * 6.0f + 0.01f);
    Metal metal(410.0f);
    Filter filter;
    Hit env(decaySeconds);
    float l, r;
    panGains(pan, l, r);
    for (long i = 0; i < s.count; ++i) {
        const float raw = 0.6f * metal.next() + 0.5f * white(random);
        const float v = filter.high(raw, 6000.0f, 0.9f) * env.next() * gain;
        out.add(s.start + i, v * l, v * r);
    }
}

void crash(Sink out, double at, float gain, float decaySeconds, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, decaySeconds * 5.0f);
    Metal metalLeft(340.0f), metalRight(353.0f);
    Filter fl, fr;
    Hit env(decaySeconds);
    Decay splash(0.05f);
    for (long i = 0; i < s.count; ++i) {
        const float amp = env.next() * (0.7f + 0.3f * splash.next());
        const float l = fl.high(0.5f * metalLeft.next() + 0.6f * white(random), 4500.0f, 0.7f);
        const float r = fr.high(0.5f * metalRight.next() + 0.6f * white(random), 4800.0f, 0.7f);
        out.add(s.start + i, l * amp * gain, r * amp * gain);
    }
}

void tom(Sink out, double at, float midi, float gain, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, 0.7);
    Sine body;
    Filter noiseFilter;
    Hit toneEnv(0.22f), skinEnv(0.03f);
    Decay drop(0.04f);
    const float hz = noteHz(midi);
    for (long i = 0; i < s.count; ++i) {
        const float tone = body.next(hz * (1.0f + 0.6f * drop.next())) * toneEnv.next();
        const float skin = noiseFilter.band(white(random), hz * 6.0f, 1.0f) * skinEnv.next();
        const float v = pm::tanh(1.3f * (tone + 0.5f * skin)) * gain;
        out.add(s.start + i, v, v);
    }
}

void rim(Sink out, double at, float gain, float pan)
{
    const Span s = span(at, 0.08);
    Sine a, b;
    Hit env(0.012f);
    float l, r;
    panGains(pan, l, r);
    for (long i = 0; i < s.count; ++i) {
        const float v = (0.6f * a.next(1720.0f) + 0.4f * b.next(830.0f)) * env.next() * gain;
        out.add(s.start + i, v * l, v * r);
    }
}

void shaker(Sink out, double at, float gain, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, 0.09);
    Filter fl, fr;
    // Beads rolling: a soft swell and a short fall, high noise only.
    for (long i = 0; i < s.count; ++i) {
        const float t = float(i) / SAMPLE_RATE;
        const float amp = t < 0.012f ? t / 0.012f : pm::exp(-(t - 0.012f) / 0.02f);
        const float l = fl.high(white(random), 6000.0f, 0.8f) * amp * gain;
        const float r = fr.high(white(random), 6400.0f, 0.8f) * amp * gain;
        out.add(s.start + i, l, r);
    }
}

void bass(Sink out, double at, double length, float midi, float gain, float brightness)
{
    const Span s = span(at, length + 0.05);
    Saw saw;
    Sine sub;
    Filter filter;
    Envelope env(0.003f, 0.12f, 0.75f, 0.012f, float(length));
    Decay pluck(0.07f);
    const float hz = noteHz(midi);
    for (long i = 0; i < s.count; ++i) {
        const float cutoff = 220.0f + (600.0f + 1800.0f * brightness) * pluck.next() + 400.0f * brightness;
        const float tone = filter.low(saw.next(hz), cutoff, 1.1f);
        const float v = pm::tanh(1.2f * (0.8f * tone + 0.35f * sub.next(hz * 0.5f))) * env.next() * gain;
        out.add(s.start + i, v, v);
    }
}

void softBass(Sink out, double at, double length, float midi, float gain)
{
    const Span s = span(at, length + 0.3);
    Sine body, second;
    Envelope env(0.01f, 0.4f, 0.7f, 0.12f, float(length));
    const float hz = noteHz(midi);
    for (long i = 0; i < s.count; ++i) {
        const float v = (body.next(hz) + 0.15f * second.next(hz * 2.0f)) * env.next() * gain;
        out.add(s.start + i, v, v);
    }
}

void pad(Sink out, double at, double length, const std::vector<float>& notes, float gain, float attackSeconds,
         float releaseSeconds, const std::function<float(double)>& cutoffAt, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, length + releaseSeconds * 5.0);
    // Five saws per note, detuned around the pitch and spread across the stereo field.
    const float detune[5] = {-0.14f, -0.06f, 0.0f, 0.07f, 0.13f};
    const float pans[5] = {-0.8f, -0.35f, 0.0f, 0.4f, 0.85f};
    struct Voice {
        Saw saw;
        float hz, l, r;
    };
    std::vector<Voice> voices;
    for (float note : notes)
        for (int k = 0; k < 5; ++k) {
            Voice v{Saw(random.uniform()), noteHz(note + detune[k]), 0.0f, 0.0f};
            panGains(pans[k], v.l, v.r);
            voices.push_back(v);
        }
    Filter fl, fr;
    Envelope env(attackSeconds, 1.0f, 1.0f, releaseSeconds, float(length));
    const float norm = gain / float(voices.size()) * 2.2f;
    float cutoff = cutoffAt(at);
    for (long i = 0; i < s.count; ++i) {
        if (i % 64 == 0)
            cutoff = cutoffAt(at + double(i) / SAMPLE_RATE);
        float l = 0.0f, r = 0.0f;
        for (Voice& v : voices) {
            const float x = v.saw.next(v.hz);
            l += x * v.l;
            r += x * v.r;
        }
        const float amp = env.next() * norm;
        out.add(s.start + i, fl.low(l, cutoff, 0.8f) * amp, fr.low(r, cutoff, 0.8f) * amp);
    }
}

void stab(Sink out, double at, const std::vector<float>& notes, float gain, float brightness)
{
    const Span s = span(at, 0.6);
    struct Voice {
        Saw saw;
        Pulse pulse;
        float hz;
    };
    std::vector<Voice> voices;
    for (size_t n = 0; n < notes.size(); ++n)
        voices.push_back({Saw(0.13f * float(n)), Pulse(0.37f * float(n)), noteHz(notes[n])});
    Filter fl, fr;
    Hit env(0.16f);
    Decay sweep(0.07f);
    const float norm = gain / float(notes.size()) * 1.6f;
    for (long i = 0; i < s.count; ++i) {
        float l = 0.0f, r = 0.0f;
        for (Voice& v : voices) {
            const float saw = v.saw.next(v.hz * 1.003f);
            const float pulse = v.pulse.next(v.hz * 0.997f, 0.4f);
            l += saw * 0.7f + pulse * 0.3f;
            r += pulse * 0.7f + saw * 0.3f;
        }
        const float cutoff = 400.0f + (2500.0f + 5000.0f * brightness) * sweep.next();
        const float amp = env.next() * norm;
        out.add(s.start + i, fl.low(l, cutoff, 1.3f) * amp, fr.low(r, cutoff, 1.3f) * amp);
    }
}

void piano(Sink out, double at, double length, float midi, float gain, float pan)
{
    const Span s = span(at, length + 1.0);
    Sine carrier, modulator, tine;
    Envelope env(0.002f, 0.9f, 0.25f, 0.35f, float(length));
    Decay brightness(0.12f), strike(0.03f);
    const float hz = noteHz(midi);
    float l, r;
    panGains(pan, l, r);
    for (long i = 0; i < s.count; ++i) {
        // The modulation index falls fast: a bright strike that mellows into a sine.
        const float index = 0.2f + 1.4f * brightness.next();
        const float m = modulator.next(hz) * index / TWO_PI;
        const float v = (carrier.next(hz, m) + 0.12f * tine.next(hz * 7.0f) * strike.next()) * env.next() * gain;
        out.add(s.start + i, v * l, v * r);
    }
}

void pluck(Sink out, double at, float midi, float gain, float brightness, float pan)
{
    const Span s = span(at, 0.5);
    Saw saw;
    Pulse pulse(0.25f);
    Filter filter;
    Hit env(0.11f);
    Decay sweep(0.045f);
    const float hz = noteHz(midi);
    float l, r;
    panGains(pan, l, r);
    for (long i = 0; i < s.count; ++i) {
        const float cutoff = 250.0f + (800.0f + 4200.0f * brightness) * sweep.next();
        const float x = filter.low(0.6f * saw.next(hz) + 0.4f * pulse.next(hz * 2.0f, 0.3f), cutoff, 1.4f);
        const float v = x * env.next() * gain;
        out.add(s.start + i, v * l, v * r);
    }
}

void lead(Sink out, double at, double length, float midi, float gain)
{
    const Span s = span(at, length + 0.3);
    Saw a, b(0.5f);
    Sine vibrato;
    Filter filter;
    Envelope env(0.006f, 0.25f, 0.8f, 0.07f, float(length));
    Decay sweep(0.12f);
    const float hz = noteHz(midi);
    const float semitone = 0.05776227f;  // ln 2 / 12
    for (long i = 0; i < s.count; ++i) {
        const float t = float(i) / SAMPLE_RATE;
        // Vibrato creeps in after the attack, as a player would add it.
        const float depth = 0.12f * std::fmin(1.0f, std::fmax(0.0f, (t - 0.15f) / 0.3f));
        const float bend = 1.0f + depth * semitone * vibrato.next(5.5f);  // close to 2^(depth/12) for small depths
        const float x = 0.5f * a.next(hz * bend * 1.004f) + 0.5f * b.next(hz * bend * 0.996f);
        const float cutoff = 2500.0f + 3000.0f * sweep.next();
        const float v = filter.low(x, cutoff, 0.9f) * env.next() * gain;
        out.add(s.start + i, v * 0.9f, v);
    }
}

void bell(Sink out, double at, float midi, float gain, float decaySeconds, float pan)
{
    const Span s = span(at, decaySeconds * 4.0f);
    Sine carrier, modulator, octave;
    Hit env(decaySeconds);
    Decay brightness(0.25f), octaveDecay(0.4f);
    const float hz = noteHz(midi);
    float l, r;
    panGains(pan, l, r);
    for (long i = 0; i < s.count; ++i) {
        // Modulator at 3.5 times the pitch: the inharmonic partials of a struck bar.
        const float index = 0.3f + 2.2f * brightness.next();
        const float m = modulator.next(hz * 3.5f) * index / TWO_PI;
        const float v = (carrier.next(hz, m) + 0.25f * octave.next(hz * 2.0f) * octaveDecay.next()) * env.next() * gain;
        out.add(s.start + i, v * l, v * r);
    }
}

void riser(Sink out, double at, double length, float gain, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, length);
    Filter fl, fr;
    // The centre frequency climbs from 300 Hz by a factor of 40 over the length.
    const float climb = float(pm::exp(pm::log(40.0) / double(s.count)));
    float cutoff = 300.0f;
    for (long i = 0; i < s.count; ++i) {
        const float x = float(i) / float(s.count);
        const float amp = x * x * gain * 2.0f;
        const float l = fl.band(white(random), cutoff, 2.5f) * amp;
        const float r = fr.band(white(random), cutoff * 1.05f, 2.5f) * amp;
        out.add(s.start + i, l, r);
        cutoff *= climb;
    }
}

void swell(Sink out, double at, double length, float gain, uint32_t seed)
{
    Random random(seed);
    const Span s = span(at, length);
    Metal metal(360.0f);
    Filter fl, fr;
    for (long i = 0; i < s.count; ++i) {
        const float x = float(i) / float(s.count);
        const float amp = x * x * x * gain;
        const float m = 0.4f * metal.next();
        const float l = fl.high(m + white(random), 3500.0f) * amp;
        const float r = fr.high(m + white(random), 3800.0f) * amp;
        out.add(s.start + i, l, r);
    }
}

void drone(Sink out, double at, double length, float midi, float gain)
{
    const Span s = span(at, length);
    Sine a, b, c;
    const float hz = noteHz(midi);
    for (long i = 0; i < s.count; ++i) {
        const float t = float(i) / SAMPLE_RATE;
        const float fade = std::fmin(1.0f, t / 3.0f) * std::fmin(1.0f, (float(length) - t) / 1.0f);
        const float l = a.next(hz) + 0.3f * b.next(hz * 2.002f);
        const float r = l * 0.9f + 0.2f * c.next(hz * 1.499f);
        out.add(s.start + i, l * fade * gain, r * fade * gain);
    }
}

}  // namespace instruments

#include "Score.h"

#include <algorithm>  // Required for: std::min, std::max
#include <cmath>      // Required for: std::lround

#include "EchoDelay.h"
#include "Instruments.h"
#include "Reverb.h"
#include "PortableMath.h"

using namespace dsp;
namespace in = instruments;

namespace score {
namespace {

// The four buses of the mix. `ducked` is pushed down by every kick (side-chain pumping);
// `dry` is not. The sends feed the reverb and the echo.
struct Buses {
    explicit Buses(size_t frames) : dry(frames), ducked(frames), reverbSend(frames), echoSend(frames) {}
    Stereo dry;
    Stereo ducked;
    Stereo reverbSend;
    Stereo echoSend;

    Sink plain(float gain) { return Sink().to(dry, gain); }
    Sink roomy(float gain, float reverb) { return Sink().to(dry, gain).to(reverbSend, gain * reverb); }
    Sink pumped(float gain, float reverb) { return Sink().to(ducked, gain).to(reverbSend, gain * reverb); }
    Sink echoed(float gain, float reverb, float echo)
    {
        return Sink().to(dry, gain).to(reverbSend, gain * reverb).to(echoSend, gain * echo);
    }
};

// Chord voicings (MIDI notes) and their roots for the bass.
struct Chord {
    std::vector<float> pad;    // middle register, for pads and pianos
    std::vector<float> stab;   // an octave up, three notes
    std::vector<float> arp;    // four notes for the plucked arpeggio
    float bass;                // bass root
};

const Chord A_MINOR = {{57, 60, 64, 67}, {69, 72, 76}, {69, 72, 76, 81}, 45};
const Chord F_MAJOR = {{53, 57, 60, 64}, {65, 69, 72}, {65, 69, 72, 77}, 41};
const Chord C_MAJOR = {{55, 60, 64, 67}, {67, 72, 76}, {67, 72, 76, 79}, 48};
const Chord G_MAJOR = {{55, 59, 62, 67}, {67, 71, 74}, {67, 71, 74, 79}, 43};
const Chord E_MAJOR = {{56, 59, 64, 68}, {68, 71, 76}, {64, 68, 71, 76}, 40};
// The outro's softer colours.
const Chord F_MAJ7 = {{53, 57, 60, 64}, {65, 69, 72}, {65, 69, 72, 76}, 41};
const Chord G_SIX = {{55, 59, 62, 64}, {67, 71, 74}, {67, 71, 74, 76}, 43};
const Chord E_MIN7 = {{52, 55, 59, 62}, {64, 67, 71}, {64, 67, 71, 74}, 40};
const Chord A_MIN9 = {{57, 60, 64, 71}, {69, 72, 76}, {69, 71, 72, 76}, 45};

// The groove's progression: one chord per bar of four beats.
const Chord* const GROOVE_CHORDS[4] = {&A_MINOR, &F_MAJOR, &C_MAJOR, &G_MAJOR};

// A melody note: start and length in beats from the start of its bar, and its pitch.
struct Note {
    double beat;
    double beats;
    float midi;
};

// The hook, four bars over Am F C G; its last bar comes in two versions.
const std::vector<Note> HOOK[4] = {
    {{0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 72}, {3, 1, 74}},
    {{0, 1.5, 72}, {1.5, 0.5, 69}, {2, 2, 69}},
    {{0, 1.5, 79}, {1.5, 0.5, 76}, {2, 1, 79}, {3, 1, 81}},
    {{0, 1.5, 74}, {1.5, 0.5, 71}, {2, 0.5, 74}, {2.5, 1.5, 76}},
};
const std::vector<Note> HOOK_ENDING = {{0, 1.5, 79}, {1.5, 0.5, 77}, {2, 1, 76}, {3, 1, 74}};

// The order of the arpeggio's notes over the sixteen sixteenths of a bar.
const int ARP_ORDER[16] = {0, 2, 1, 3, 2, 0, 3, 1, 0, 2, 1, 3, 2, 3, 1, 2};

uint32_t seedFor(double at, uint32_t voice) { return uint32_t(sampleAt(at)) * 2654435761u + voice; }

// Opening, 0 to 12 s: a pad and a drone rise out of nothing, bells sketch the hook, a
// plucked arpeggio and a muffled heartbeat build, then five hits answer the logo's pulses.
void intro(Buses& b, std::vector<double>& kicks)
{
    in::drone(Sink().to(b.dry, 1.0f), 0.0, 12.0, 33, 0.08f);
    auto openingCutoff = [](double t) { return float(350.0 * pm::pow(8.0, std::min(t, 10.5) / 10.5)); };
    in::pad(Sink().to(b.dry, 1.0f).to(b.reverbSend, 0.5f), 0.3, 10.1, A_MIN9.pad, 0.24f, 5.0f, 0.6f, openingCutoff, 11);

    // Bells on the 160 BPM grid, bar by bar (beats within a bar of 1.5 s).
    const std::vector<Note> bells[7] = {
        {{2, 1, 76}},
        {{0, 1, 81}, {1.5, 1, 79}, {3, 1, 76}},
        {{0, 1, 74}, {2, 1, 76}},
        {{0, 1, 72}, {1.5, 1, 74}, {3, 1, 71}},
        {{0, 1, 76}, {2, 1, 81}},
        {{0, 1, 84}, {1.5, 1, 83}, {3, 1, 79}},
        {{0, 1, 81}, {1, 1, 76}, {2, 1, 72}, {3, 1, 76}},
    };
    for (int bar = 0; bar < 7; ++bar)
        for (const Note& n : bells[bar]) {
            const double at = bar * 4 * BEAT + n.beat * BEAT;
            in::bell(b.echoed(0.1f + 0.025f * float(bar), 0.7f, 0.45f), at, n.midi, 1.0f, 1.2f, bar % 2 ? 0.35f : -0.35f);
        }

    // The arpeggio from 6 s, opening up towards the pulses.
    for (int step = 0;; ++step) {
        const double at = 6.0 + step * BEAT / 4.0;
        if (at >= 10.5 - 1e-9)
            break;
        const float rise = float((at - 6.0) / 4.5);
        const float midi = A_MINOR.arp[size_t(ARP_ORDER[step % 16])];
        in::pluck(b.echoed(0.08f + 0.14f * rise, 0.3f, 0.3f), at, midi, 1.0f, 0.1f + 0.6f * rise, step % 2 ? 0.3f : -0.3f);
    }
    // The heartbeat from 7.5 s.
    for (double at = 7.5; at < 10.5 - 1e-6; at += BEAT) {
        in::kick(b.plain(0.25f + 0.35f * float((at - 7.5) / 3.0)), at, 1.0f);
        kicks.push_back(at);
    }
    in::riser(b.roomy(0.22f, 0.4f), 8.25, 2.25, 1.0f, 3);

    // The pulses of the logo, rising in pitch, and the suck into the downbeat.
    const double pulses[5] = {10.5, 10.675, 10.85, 11.233, 11.617};
    const float toms[5] = {45, 48, 50, 52, 55};
    for (int i = 0; i < 5; ++i) {
        in::tom(b.roomy(0.55f, 0.4f), pulses[i], toms[i], 1.0f, seedFor(pulses[i], 1));
        in::stab(b.roomy(0.22f + 0.03f * float(i), 0.45f), pulses[i], E_MAJOR.stab, 1.0f, 0.3f + 0.15f * float(i));
        in::hat(b.plain(0.25f), pulses[i], 1.0f, 0.08f, 0.0f, seedFor(pulses[i], 2));
    }
    in::swell(b.plain(0.5f), 11.617, DOWNBEAT - 11.617, 1.0f, 4);
}

// The groove, 12 to 41.25 s: 78 beats, bars of Am F C G. Every section of two beats opens
// with the kick and a chord stab (the accent the picture flashes to).
void groove(Buses& b, std::vector<double>& kicks)
{
    const int beats = int(std::lround((BREAK - DOWNBEAT) / BEAT));  // 78
    auto beatTime = [](double k) { return DOWNBEAT + k * BEAT; };
    auto phraseOf = [](int beat) { return beat / 16; };  // four bars each: 0..4

    // Pads, one per bar, breathing with the kick.
    auto grooveCutoff = [](double t) {
        if (t < 39.0)
            return 2400.0f + 1600.0f * float(std::min(1.0, (t - DOWNBEAT) / 12.0));
        return 1800.0f + 4500.0f * float((t - 39.0) / (BREAK - 39.0));
    };
    for (int bar = 0; bar * 4 < beats; ++bar) {
        const double at = beatTime(bar * 4);
        const double length = std::min(4 * BEAT, BREAK - at) - 0.02;
        in::pad(b.pumped(0.42f, 0.35f), at, length, GROOVE_CHORDS[bar % 4]->pad, 1.0f, 0.02f, 0.15f, grooveCutoff,
                seedFor(at, 3));
    }

    for (int k = 0; k < beats; ++k) {
        const double at = beatTime(k);
        const int phrase = phraseOf(k);
        const Chord& chord = *GROOVE_CHORDS[(k / 4) % 4];
        const bool build = at >= 39.0;

        in::kick(b.plain(0.9f), at, 1.0f);
        kicks.push_back(at);
        if (k % 2 == 0) {
            // The section accent: brighter on the bar's first beat.
            const bool barStart = k % 4 == 0;
            in::stab(b.roomy(barStart ? 0.55f : 0.42f, 0.35f), at, chord.stab, 1.0f, barStart ? 0.9f : 0.55f);
        } else if (!build) {
            in::clap(b.roomy(0.5f, 0.3f), at, 1.0f, seedFor(at, 4));
        }
        if (k % 16 == 0)
            in::crash(b.roomy(0.3f, 0.3f), at, 1.0f, 0.9f, seedFor(at, 5));

        // Bass on the off-beats, with a pickup sixteenth from the third phrase on.
        if (!build || k % 2 == 1) {
            in::bass(b.pumped(0.5f, 0.0f), at + BEAT * 0.5, BEAT * 0.42, chord.bass, 1.0f, 0.35f + 0.1f * float(phrase));
            if (phrase >= 2 && k % 2 == 1)
                in::bass(b.pumped(0.38f, 0.0f), at + BEAT * 0.75, BEAT * 0.2, chord.bass + 12, 1.0f, 0.6f);
        }

        // Hats: sixteenths, the off-beat one open from the second phrase on.
        for (int s = 0; s < 4; ++s) {
            const double h = at + s * BEAT / 4.0;
            const float accent[4] = {0.34f, 0.2f, 0.5f, 0.24f};
            if (s == 2 && phrase >= 1)
                in::hat(b.plain(0.42f), h, 1.0f, 0.17f, 0.15f, seedFor(h, 6));
            else
                in::hat(b.plain(accent[s]), h, 1.0f, 0.025f, s % 2 ? 0.3f : -0.2f, seedFor(h, 7));
        }

        // A shaker from the second phrase on: the air above the hats.
        if (phrase >= 1 && !build)
            for (int s = 0; s < 4; ++s) {
                const double h = at + s * BEAT / 4.0;
                in::shaker(b.plain(s % 2 ? 0.3f : 0.18f), h, 1.0f, seedFor(h, 10));
            }

        // The arpeggio, every phrase but the hook's first statement.
        if (phrase != 1)
            for (int s = 0; s < 4; ++s) {
                const int step = (k % 4) * 4 + s;
                const double p = at + s * BEAT / 4.0;
                const float midi = chord.arp[size_t(ARP_ORDER[step])] + (phrase >= 3 ? 12.0f : 0.0f);
                in::pluck(b.echoed(s == 0 ? 0.27f : 0.19f, 0.25f, 0.25f), p, midi, 1.0f, 0.4f + 0.1f * float(phrase),
                          s % 2 ? 0.35f : -0.35f);
            }

        // The build: a snare roll doubling its speed for the last section, and the riser.
        if (build) {
            const int perBeat = at >= 40.5 ? 8 : 4;
            for (int s = 0; s < perBeat; ++s) {
                const double r = at + s * BEAT / perBeat;
                // A breath before the break: the last stroke is left out.
                if (r > BREAK - BEAT / 8.0 - 1e-6)
                    break;
                const float level = 0.12f + 0.3f * float((r - 39.0) / (BREAK - 39.0));
                in::snare(b.roomy(level, 0.2f), r, 1.0f, seedFor(r, 8));
            }
        }
    }
    // The riser stops a moment before the break, so that the impact lands in a gap.
    in::riser(b.roomy(0.3f, 0.3f), 38.25, BREAK - 38.25 - 0.05, 1.0f, 9);

    // The hook on the lead, in the second and fourth phrases and once more, shortened,
    // at the start of the fifth.
    for (int phrase : {1, 3, 4}) {
        const int bars = phrase == 4 ? 2 : 4;
        for (int bar = 0; bar < bars; ++bar) {
            const std::vector<Note>& notes = (phrase == 3 && bar == 3) ? HOOK_ENDING : HOOK[bar];
            for (const Note& n : notes) {
                const double at = beatTime(phrase * 16 + bar * 4 + n.beat);
                in::lead(b.echoed(0.5f, 0.3f, 0.3f), at, n.beats * BEAT * 0.9, n.midi + (phrase == 4 ? 12.0f : 0.0f), 1.0f);
            }
        }
    }
}

// The break: an impact at 41.25 s, three hits a beat apart on F, G and E, then the room
// dies away into near silence.
void breakAndHits(Buses& b, std::vector<double>& kicks)
{
    in::kick(b.plain(1.0f), BREAK, 1.0f);
    kicks.push_back(BREAK);
    in::crash(b.roomy(0.4f, 0.4f), BREAK, 1.0f, 1.2f, 21);
    in::stab(b.roomy(0.5f, 0.5f), BREAK, A_MINOR.stab, 1.0f, 1.0f);
    in::tom(b.roomy(0.5f, 0.3f), BREAK, 40, 1.0f, 22);
    const Chord* chords[3] = {&F_MAJOR, &G_MAJOR, &E_MAJOR};
    for (int i = 0; i < 3; ++i) {
        const double at = BREAK_HITS[i];
        in::kick(b.plain(1.0f), at, 1.0f);
        kicks.push_back(at);
        in::stab(b.roomy(0.55f, 0.5f), at, chords[i]->stab, 1.0f, 0.9f);
        in::stab(b.roomy(0.35f, 0.3f), at, chords[i]->pad, 1.0f, 0.6f);
        in::clap(b.roomy(0.4f, 0.4f), at, 1.0f, seedFor(at, 23));
        in::bass(b.plain(0.5f), at, 0.3, chords[i]->bass, 1.0f, 0.8f);
        if (i == 2)
            in::crash(b.roomy(0.35f, 0.5f), at, 1.0f, 0.8f, 24);
    }
}

// The outro, from 44.743 s at 120 BPM: a soft pad, electric piano, a round bass and bells,
// a light beat under the emblem and the first cards, a chime for every closing card, and a
// last A minor that fades out before 67 s.
void outro(Buses& b)
{
    const Chord* bars[11] = {&F_MAJ7, &G_SIX, &E_MIN7, &A_MIN9, &F_MAJ7, &G_SIX,
                             &E_MIN7, &A_MIN9, &F_MAJ7, &G_SIX, &A_MIN9};
    auto barTime = [](int bar, double beat) { return OUTRO + (bar * 4 + beat) * OUTRO_BEAT; };
    auto softCutoff = [](double) { return 1500.0f; };
    for (int bar = 0; bar < 11; ++bar) {
        const Chord& chord = *bars[bar];
        const double at = barTime(bar, 0);
        const bool last = bar == 10;
        const double length = last ? TRACK_SECONDS - 1.0 - at : 4 * OUTRO_BEAT - 0.05;
        in::pad(b.roomy(0.26f, 0.5f), at, length, chord.pad, 1.0f, bar == 0 ? 0.25f : 0.5f, last ? 1.2f : 0.5f,
                softCutoff, seedFor(at, 30));
        // The piano on the bar and, anticipating the next beat, on the "and" of beat three.
        for (double beat : {0.0, 2.5}) {
            if (last && beat > 0.0)
                break;
            for (size_t n = 0; n < chord.pad.size(); ++n)
                in::piano(b.roomy(0.13f, 0.35f), barTime(bar, beat) + 0.008 * double(n), last ? 3.0 : 1.2,
                          chord.pad[n] + 12.0f, 1.0f, -0.3f + 0.2f * float(n));
        }
        if (bar >= 1) {
            in::softBass(b.plain(0.34f), at, last ? 3.0 : 1.4, chord.bass - 12.0f, 1.0f);
            if (!last)
                in::softBass(b.plain(0.35f), barTime(bar, 3), 0.4, chord.bass, 1.0f);
        }
    }
    // The credits open on a bell over the first chord.
    in::bell(b.echoed(0.3f, 0.6f, 0.4f), OUTRO, 81, 1.0f, 1.6f, 0.0f);
    in::bell(b.echoed(0.2f, 0.6f, 0.4f), OUTRO + 0.75, 76, 1.0f, 1.4f, 0.3f);

    // A light beat from the emblem on (bar 1) until the last card (bar 8).
    for (int bar = 1; bar < 8; ++bar)
        for (int beat = 0; beat < 4; ++beat) {
            const double at = barTime(bar, beat);
            if (beat == 0 || (beat == 2 && bar % 2 == 1))
                in::kick(b.plain(0.45f), at, 1.0f);
            if (beat == 1 || beat == 3)
                in::rim(b.roomy(0.3f, 0.4f), at, 1.0f, 0.1f);
            for (double half : {0.0, 0.5}) {
                const double h = at + half * OUTRO_BEAT;
                in::hat(b.plain(half > 0.0 ? 0.1f : 0.06f), h, 1.0f, 0.03f, 0.25f, seedFor(h, 31));
            }
        }

    // The hook, slower and on bells, over the emblem (bars 2 and 3).
    const std::vector<Note> melody = {{0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 71}, {3, 1, 74},
                                      {4, 1.5, 72}, {5.5, 0.5, 71}, {6, 2, 69}};
    for (const Note& n : melody)
        in::bell(b.echoed(0.26f, 0.5f, 0.35f), barTime(2, n.beat), n.midi, 1.0f, 1.0f, 0.2f);

    // A chime for each closing card: five dates and the last card, 1.5 s apart.
    const float chimes[6] = {88, 86, 84, 83, 81, 76};
    for (int i = 0; i < 6; ++i)
        in::bell(b.echoed(0.3f, 0.6f, 0.4f), CLOSING + 1.5 * i, chimes[i], 1.0f, 1.6f, i % 2 ? 0.4f : -0.4f);
    // The last chord rings into a final high A.
    in::bell(b.echoed(0.25f, 0.7f, 0.4f), barTime(10, 0), 81, 1.0f, 2.5f, 0.0f);
}

// The gain of the ducked bus: each kick pulls it down and it recovers within a beat.
std::vector<float> duckingCurve(size_t frames, std::vector<double> kicks)
{
    std::vector<float> gain(frames, 1.0f);
    for (double k : kicks) {
        const long start = sampleAt(k);
        for (long i = 0; i < long(0.4 * SAMPLE_RATE); ++i) {
            if (start + i < 0 || size_t(start + i) >= frames)
                break;
            const float t = float(i) / SAMPLE_RATE;
            const float dip = 0.65f * (t < 0.004f ? t / 0.004f : pm::exp(-(t - 0.004f) / 0.09f));
            gain[size_t(start + i)] = std::min(gain[size_t(start + i)], 1.0f - dip);
        }
    }
    return gain;
}

// The master's own movements: the room dying into the near silence after the break, and
// the fade at the very end.
float masterGain(double t)
{
    const double fadeFrom = BREAK_HITS[2] + 0.15;
    if (t >= fadeFrom && t < OUTRO)
        return float(pm::exp(-(t - fadeFrom) / 0.08));
    if (t >= TRACK_SECONDS - 2.0)
        return float(std::max(0.0, (TRACK_SECONDS - 0.1 - t) / 1.9));
    return 1.0f;
}

}  // namespace

Stereo render()
{
    const size_t frames = size_t(sampleAt(TRACK_SECONDS));
    Buses b(frames);
    std::vector<double> kicks;
    intro(b, kicks);
    groove(b, kicks);
    breakAndHits(b, kicks);
    outro(b);

    const std::vector<float> duck = duckingCurve(frames, kicks);
    Stereo mix(frames);
    for (size_t i = 0; i < frames; ++i) {
        mix.left[i] = b.dry.left[i] + b.ducked.left[i] * duck[i];
        mix.right[i] = b.dry.right[i] + b.ducked.right[i] * duck[i];
    }
    Reverb(0.82f, 0.25f).process(b.reverbSend, mix, 1.0f);
    // Dotted eighths at 160 BPM in the groove; the outro's echoes simply run at the same time.
    EchoDelay(float(BEAT * 0.75), 0.38f, 3500.0f).process(b.echoSend, mix, 0.55f);

    for (size_t i = 0; i < frames; ++i) {
        const float g = masterGain(double(i) / SAMPLE_RATE);
        mix.left[i] *= g;
        mix.right[i] *= g;
    }
    return mix;
}

}  // namespace score

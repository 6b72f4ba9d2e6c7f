// Instruments: the synthesised voices of the track. Each call renders one note or hit into
// a sink (a bus and its effect sends) at a time in seconds; the score decides what plays
// when.
//
// Pitches are MIDI note numbers, gains linear (about 1 is a full-scale voice), times in
// seconds from the start of the track. Noise comes from a Random seeded by the caller, so
// every hit is repeatable and no two hits sound exactly alike.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "Dsp.h"

namespace instruments {

// Drums.
void kick(dsp::Sink out, double at, float gain);
void clap(dsp::Sink out, double at, float gain, uint32_t seed);
void snare(dsp::Sink out, double at, float gain, uint32_t seed);
void hat(dsp::Sink out, double at, float gain, float decaySeconds, float pan, uint32_t seed);
void crash(dsp::Sink out, double at, float gain, float decaySeconds, uint32_t seed);
void tom(dsp::Sink out, double at, float midi, float gain, uint32_t seed);
void rim(dsp::Sink out, double at, float gain, float pan);
void shaker(dsp::Sink out, double at, float gain, uint32_t seed);

// Bass: a filtered saw over a sine an octave down; brightness 0..1 opens the filter.
void bass(dsp::Sink out, double at, double length, float midi, float gain, float brightness);
// A round sine bass for the quiet parts.
void softBass(dsp::Sink out, double at, double length, float midi, float gain);

// Chords.
// A wide pad of detuned saws; cutoffAt gives the filter's cutoff over the track's time.
void pad(dsp::Sink out, double at, double length, const std::vector<float>& notes, float gain,
         float attackSeconds, float releaseSeconds, const std::function<float(double)>& cutoffAt, uint32_t seed);
// A short, bright chord: the accent at the start of each section.
void stab(dsp::Sink out, double at, const std::vector<float>& notes, float gain, float brightness);
// A soft electric piano (two-operator FM), for the outro.
void piano(dsp::Sink out, double at, double length, float midi, float gain, float pan);

// Melody.
void pluck(dsp::Sink out, double at, float midi, float gain, float brightness, float pan);
void lead(dsp::Sink out, double at, double length, float midi, float gain);
void bell(dsp::Sink out, double at, float midi, float gain, float decaySeconds, float pan);

// Effects.
// Filtered noise that rises in pitch and level over `length`.
void riser(dsp::Sink out, double at, double length, float gain, uint32_t seed);
// A reversed cymbal: noise swelling into `at + length`, then cut.
void swell(dsp::Sink out, double at, double length, float gain, uint32_t seed);
// A low sine with slow beating, faded in and out.
void drone(dsp::Sink out, double at, double length, float midi, float gain);

}  // namespace instruments

// Noise: smooth gradient noise and its fractal sums, seeded and optionally tiling.
//
// Values lie roughly in [-1, 1]. With a period the pattern repeats every `period` units
// in both directions, which is what a texture drawn with GL_REPEAT needs. The lattice comes
// from hashCoords, so the same seed gives the same pattern on every machine.
#pragma once

#include <cstdint>

namespace noise {

// Gradient noise at (x, y); period 0 means no tiling.
float gradient(float x, float y, uint32_t seed, int period = 0);

// Sum of `octaves` layers, each twice the frequency and half the amplitude of the last;
// the period doubles with the frequency, so the sum tiles with the first layer's period.
float fractal(float x, float y, int octaves, uint32_t seed, int period = 0);

}  // namespace noise

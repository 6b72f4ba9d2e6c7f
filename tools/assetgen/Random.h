// Random: the generator's own pseudo-random numbers (SplitMix64).
//
// Every picture and every note that needs chance draws from a Random seeded with a fixed
// value, so the output is the same bytes on every build and machine. std::rand and the
// standard distributions are avoided on purpose: their sequences differ between libraries.
// Cheap to copy; one instance per task, never shared between threads.
#pragma once

#include <cstdint>

class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}

    // Next 64 random bits.
    uint64_t next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1), from the top 24 bits so that the value is exact in a float.
    float uniform() { return float(next() >> 40) * (1.0f / 16777216.0f); }

    // Uniform in [lo, hi).
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

    // Uniform integer in [0, n), n > 0.
    int below(int n) { return int(next() % uint64_t(n)); }

    // Roughly normal (sum of four uniforms), mean 0, standard deviation about 1.
    float gauss() { return (uniform() + uniform() + uniform() + uniform() - 2.0f) * 1.7320508f; }

private:
    uint64_t state;
};

// A 32-bit hash of integer coordinates and a seed: the lattice values of the noise
// functions, so that a lattice point has the same value whoever asks for it.
inline uint32_t hashCoords(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x27D4EB2Du ^ uint32_t(x) * 0x85EBCA6Bu ^ uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

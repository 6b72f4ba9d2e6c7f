// TAV_GlibcRandom: the desktop C library's rand() (glibc's additive feedback generator,
// TYPE_3: r[i] = r[i-3] + r[i-31], each result r[i] >> 1), as an object whose whole state
// can be kept and put back.
//
// The demo's particles and jitter draw from the engine's one instance
// (TAV_MATH_Util::generator()), never from the C library: a driver that rewinds the demo
// (the deterministic player's jump) saves and restores the generator with the rest of the
// scene, which rand() does not allow, and the browser, whose C library has another
// generator, draws the same swarms as the desktop. A copy is a saved state: plain values,
// nothing allocated. Not thread-safe, like rand().
#pragma once

#include <cstdint>  // Required for: int32_t, uint32_t

class TAV_GlibcRandom {
public:
    // Seeded with 1, the state of a program that never calls srand().
    TAV_GlibcRandom() { seed(1); }

    // glibc's srandom(): seed 0 counts as 1.
    void seed(unsigned int value);
    // The next value, 0 to 2^31 - 1, as glibc's rand() gives it.
    int next();

private:
    static const int DEGREE = 31;
    static const int SEPARATION = 3;

    int32_t m_state[DEGREE];
    int m_front = SEPARATION;  // the two taps, as indices into m_state
    int m_rear = 0;
};

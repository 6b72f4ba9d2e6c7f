#include "Noise.h"

#include <cmath>  // Required for: std::floor

#include "Random.h"

namespace {

int wrap(int v, int period)
{
    if (period <= 0)
        return v;
    const int m = v % period;
    return m < 0 ? m + period : m;
}

// Dot product of the lattice point's pseudo-random gradient with the offset to it.
float cornerDot(int ix, int iy, float dx, float dy, uint32_t seed, int period)
{
    const uint32_t h = hashCoords(wrap(ix, period), wrap(iy, period), seed);
    // Eight evenly spread directions are enough for grain and clouds.
    static const float gx[8] = {1.0f, 0.7071f, 0.0f, -0.7071f, -1.0f, -0.7071f, 0.0f, 0.7071f};
    static const float gy[8] = {0.0f, 0.7071f, 1.0f, 0.7071f, 0.0f, -0.7071f, -1.0f, -0.7071f};
    return gx[h & 7u] * dx + gy[h & 7u] * dy;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

}  // namespace

namespace noise {

float gradient(float x, float y, uint32_t seed, int period)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const float dx = x - fx, dy = y - fy;
    const float n00 = cornerDot(ix, iy, dx, dy, seed, period);
    const float n10 = cornerDot(ix + 1, iy, dx - 1.0f, dy, seed, period);
    const float n01 = cornerDot(ix, iy + 1, dx, dy - 1.0f, seed, period);
    const float n11 = cornerDot(ix + 1, iy + 1, dx - 1.0f, dy - 1.0f, seed, period);
    const float u = fade(dx), v = fade(dy);
    const float top = n00 + (n10 - n00) * u;
    const float bottom = n01 + (n11 - n01) * u;
    return (top + (bottom - top) * v) * 1.4142f;
}

float fractal(float x, float y, int octaves, uint32_t seed, int period)
{
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += gradient(x, y, seed + uint32_t(o) * 101u, period) * amplitude;
        norm += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

}  // namespace noise

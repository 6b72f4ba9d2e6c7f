#include "math/TAV_MATH_Util.h"

#include <cmath>    // Required for: std::nextafter()

#include "math/TAV_GlibcRandom.h"

TAV_GlibcRandom& TAV_MATH_Util::generator()
{
    // Built on first use, so that a draw made while other statics are constructed finds it.
    static TAV_GlibcRandom instance;
    return instance;
}

float TAV_MATH_Util::randomf(float range)
{
    return randomfFromDraw(generator().next(), range);
}

float TAV_MATH_Util::randomfP(float range)
{
    return randomfPFromDraw(generator().next(), range);
}

float TAV_MATH_Util::randomfFromDraw(int draw, float range)
{
    const float half = range * 0.5f;
    const float value = static_cast<float>(draw) * RAND_SCALE * range - half;
    // RAND_MAX itself converts to 2^31 as a float, which would land exactly on the open end.
    if (range > 0.0f && value >= half)
        return std::nextafter(half, 0.0f);
    return value;
}

float TAV_MATH_Util::randomfPFromDraw(int draw, float range)
{
    const float value = static_cast<float>(draw) * RAND_SCALE * range;
    if (range > 0.0f && value >= range)
        return std::nextafter(range, 0.0f);
    return value;
}

void TAV_MATH_Util::multLinearMatrix(const float* a, const float* b, float* out)
{
    // Built in a local first so that out may alias an input without reading half-written
    // results.
    float product[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k)
                sum += a[4 * k + row] * b[4 * col + k];
            product[4 * col + row] = sum;
        }
    }
    for (int i = 0; i < 16; ++i)
        out[i] = product[i];
}

float TAV_MATH_Util::interpolateCubic(float t, float p0, float p1, float p2, float p3)
{
    const float a0 = p3 - p2 - p0 + p1;
    const float a1 = p0 - p1 - a0;
    const float a2 = p2 - p0;
    const float a3 = p1;
    return a0 * t * t * t + a1 * t * t + a2 * t + a3;
}

float TAV_MATH_Util::interpolateLinear(float t, float a, float b)
{
    return a + (b - a) * t;
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "math/TAV_GlibcRandom.h"
#include "math/TAV_MATH_Util.h"

TEST(MathUtil, RandomDrawsMapOntoTheClosedEndAndJustBelowTheOpenEnd)
{
    const struct {
        int draw;
        float range;
        float centred;   // randomf: [-range / 2, range / 2)
        float positive;  // randomfP: [0, range)
    } cases[] = {
        {0, 2.0f, -1.0f, 0.0f},
        {1 << 30, 2.0f, 0.0f, 1.0f},
        {1 << 30, 600.0f, 0.0f, 300.0f},
        {12345, 0.0f, 0.0f, 0.0f},
        // RAND_MAX becomes 2^31 in single precision; it must still not reach the open end.
        {RAND_MAX, 2.0f, std::nextafter(1.0f, 0.0f), std::nextafter(2.0f, 0.0f)},
        {RAND_MAX, 800.0f, std::nextafter(400.0f, 0.0f), std::nextafter(800.0f, 0.0f)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.centred, TAV_MATH_Util::randomfFromDraw(c.draw, c.range)) << c.draw << " of " << c.range;
        EXPECT_EQ(c.positive, TAV_MATH_Util::randomfPFromDraw(c.draw, c.range)) << c.draw << " of " << c.range;
    }
}

TEST(MathUtil, EachRandomCallConsumesOneDrawOfTheDefaultSequence)
{
    // The C library's default seed is 1: the demo never seeds, so this is its sequence.
    TAV_MATH_Util::generator().seed(1);
    const float first = TAV_MATH_Util::randomf(100.0f);
    const float second = TAV_MATH_Util::randomfP(800.0f);
    srand(1);
    const int draw1 = rand();
    const int draw2 = rand();
    EXPECT_EQ(TAV_MATH_Util::randomfFromDraw(draw1, 100.0f), first);
    EXPECT_EQ(TAV_MATH_Util::randomfPFromDraw(draw2, 800.0f), second);
}

TEST(MathUtil, LinearMatrixProductIgnoresTranslationsAndMayOverwriteAFactor)
{
    // a: rotation by 90 degrees about z with a translation; b: scale (2, 3, 4) with garbage
    // in the bottom row.
    float a[16] = {0, 1, 0, 9, -1, 0, 0, 9, 0, 0, 1, 9, 5, 6, 7, 9};
    const float b[16] = {2, 0, 0, 8, 0, 3, 0, 8, 0, 0, 4, 8, 1, 1, 1, 8};
    // a x b applied to a column vector scales first, then rotates.
    const float expected[16] = {0, 2, 0, 0, -3, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1};
    TAV_MATH_Util::multLinearMatrix(a, b, a);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(expected[i], a[i]) << "index " << i;
}

TEST(MathUtil, CubicInterpolationRunsFromSecondToThirdPointWithSlopeOfOuterPoints)
{
    const float p0 = -3.5f, p1 = 2.0f, p2 = 7.25f, p3 = 1.0f;
    EXPECT_EQ(p1, TAV_MATH_Util::interpolateCubic(0.0f, p0, p1, p2, p3));
    EXPECT_NEAR(p2, TAV_MATH_Util::interpolateCubic(1.0f, p0, p1, p2, p3), 1e-6f);
    // Slope at t = 0 is p2 - p0 (not half of it, as Catmull-Rom would give).
    const float h = 1e-3f;
    EXPECT_NEAR(p2 - p0, (TAV_MATH_Util::interpolateCubic(h, p0, p1, p2, p3) - p1) / h, 0.05f);
    // Linear interpolation extrapolates past t = 1.
    EXPECT_EQ(6.0f, TAV_MATH_Util::interpolateLinear(2.0f, 2.0f, 4.0f));
    // The engine's pi lies slightly above the true value.
    EXPECT_EQ(3.141593f, TAV_MATH_Util::degToRad(180.0f));
}

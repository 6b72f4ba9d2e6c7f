#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "math/TAV_MATH_Util.h"

namespace {

const float kTolerance = 1e-6f;

}  // namespace

TEST(MathUtil, RandomDrawsStayInsideTheirHalfOpenRanges)
{
    float lowest = 1.0f, highest = -1.0f;
    for (int i = 0; i < 200000; ++i) {
        const float r = TAV_MATH_Util::randomf(2.0f);
        ASSERT_GE(r, -1.0f);
        ASSERT_LT(r, 1.0f);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
        const float p = TAV_MATH_Util::randomfP(800.0f);
        ASSERT_GE(p, 0.0f);
        ASSERT_LT(p, 800.0f);
    }
    // Uniform over the whole range, not a corner of it; a zero range gives zero.
    EXPECT_LT(lowest, -0.99f);
    EXPECT_GT(highest, 0.99f);
    EXPECT_EQ(0.0f, TAV_MATH_Util::randomf(0.0f));
    EXPECT_EQ(0.0f, TAV_MATH_Util::randomfP(0.0f));
}

TEST(MathUtil, ExtremeDrawsMapOntoTheClosedEndAndJustBelowTheOpenEnd)
{
    EXPECT_EQ(-1.0f, TAV_MATH_Util::randomfFromDraw(0, 2.0f));
    EXPECT_EQ(0.0f, TAV_MATH_Util::randomfFromDraw(1 << 30, 2.0f));
    EXPECT_EQ(0.0f, TAV_MATH_Util::randomfPFromDraw(0, 600.0f));
    EXPECT_EQ(300.0f, TAV_MATH_Util::randomfPFromDraw(1 << 30, 600.0f));

    // RAND_MAX becomes 2^31 in single precision; it must still not reach the open end.
    EXPECT_LT(TAV_MATH_Util::randomfFromDraw(RAND_MAX, 2.0f), 1.0f);
    EXPECT_GT(TAV_MATH_Util::randomfFromDraw(RAND_MAX, 2.0f), 0.9999f);
    EXPECT_LT(TAV_MATH_Util::randomfPFromDraw(RAND_MAX, 800.0f), 800.0f);
    EXPECT_LT(TAV_MATH_Util::randomfFromDraw(RAND_MAX - 1, 100.0f), 50.0f);
    EXPECT_LT(TAV_MATH_Util::randomfPFromDraw(RAND_MAX - 1, 1.0f), 1.0f);
}

TEST(MathUtil, EachRandomCallConsumesOneDrawOfTheDefaultSequence)
{
    // The C library's default seed is 1: the demo never seeds, so this is its sequence.
    srand(1);
    const float first = TAV_MATH_Util::randomf(100.0f);
    const float second = TAV_MATH_Util::randomfP(800.0f);
    srand(1);
    const int draw1 = rand();
    const int draw2 = rand();
    EXPECT_EQ(TAV_MATH_Util::randomfFromDraw(draw1, 100.0f), first);
    EXPECT_EQ(TAV_MATH_Util::randomfPFromDraw(draw2, 800.0f), second);
}

TEST(MathUtil, MinAndMaxKeepTheFirstArgumentOnTiesAndNotANumber)
{
    EXPECT_EQ(1.0f, TAV_MATH_Util::_min(3.0f, 1.0f));
    EXPECT_EQ(3.0f, TAV_MATH_Util::_max(3.0f, 1.0f));
    EXPECT_EQ(-2.0, TAV_MATH_Util::_min(-2.0, 5.0));
    EXPECT_EQ(5.0, TAV_MATH_Util::_max(-2.0, 5.0));
    EXPECT_EQ(-4, TAV_MATH_Util::_min(7, -4));
    EXPECT_EQ(7, TAV_MATH_Util::_max(7, -4));

    // +0 and -0 compare equal: the sign bit shows which argument came back.
    EXPECT_FALSE(std::signbit(TAV_MATH_Util::_min(0.0f, -0.0f)));
    EXPECT_TRUE(std::signbit(TAV_MATH_Util::_min(-0.0f, 0.0f)));
    EXPECT_FALSE(std::signbit(TAV_MATH_Util::_max(0.0f, -0.0f)));
    EXPECT_TRUE(std::signbit(TAV_MATH_Util::_max(-0.0, 0.0)));

    const float nan = std::nanf("");
    EXPECT_EQ(2.0f, TAV_MATH_Util::_max(2.0f, nan));
    EXPECT_EQ(2.0f, TAV_MATH_Util::_min(2.0f, nan));
    EXPECT_TRUE(std::isnan(TAV_MATH_Util::_max(nan, 2.0f)));
}

TEST(MathUtil, LinearMatrixProductIgnoresTranslationsAndYieldsIdentityBorder)
{
    // a: rotation by 90 degrees about z with a translation; b: scale (2, 3, 4) with garbage
    // in the bottom row.
    const float a[16] = {0, 1, 0, 9, -1, 0, 0, 9, 0, 0, 1, 9, 5, 6, 7, 9};
    const float b[16] = {2, 0, 0, 8, 0, 3, 0, 8, 0, 0, 4, 8, 1, 1, 1, 8};
    float out[16];
    TAV_MATH_Util::multLinearMatrix(a, b, out);
    // a x b applied to a column vector scales first, then rotates.
    const float expected[16] = {0, 2, 0, 0, -3, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(expected[i], out[i]) << "index " << i;

    // Writing the product over one of the factors gives the same result.
    float inPlace[16];
    std::copy(a, a + 16, inPlace);
    TAV_MATH_Util::multLinearMatrix(inPlace, b, inPlace);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(expected[i], inPlace[i]) << "index " << i;
}

TEST(MathUtil, CubicInterpolationRunsFromSecondToThirdPointWithSlopeOfOuterPoints)
{
    const float p0 = -3.5f, p1 = 2.0f, p2 = 7.25f, p3 = 1.0f;
    EXPECT_EQ(p1, TAV_MATH_Util::interpolateCubic(0.0f, p0, p1, p2, p3));
    EXPECT_NEAR(p2, TAV_MATH_Util::interpolateCubic(1.0f, p0, p1, p2, p3), kTolerance);

    // Slope at t = 0 is p2 - p0 (not half of it, as Catmull-Rom would give).
    const float h = 1e-3f;
    const float slope = (TAV_MATH_Util::interpolateCubic(h, p0, p1, p2, p3) - p1) / h;
    EXPECT_NEAR(p2 - p0, slope, 0.05f);

    // Four points on a line give the line; linear interpolation extrapolates past t = 1.
    EXPECT_NEAR(1.5f, TAV_MATH_Util::interpolateCubic(0.5f, 0.0f, 1.0f, 2.0f, 3.0f), kTolerance);
    EXPECT_EQ(3.0f, TAV_MATH_Util::interpolateLinear(0.5f, 2.0f, 4.0f));
    EXPECT_EQ(6.0f, TAV_MATH_Util::interpolateLinear(2.0f, 2.0f, 4.0f));
}

TEST(MathUtil, DegreesBecomeRadiansWithTheEnginesPi)
{
    EXPECT_EQ(3.141593f, TAV_MATH_Util::degToRad(180.0f));
    // The engine's pi lies slightly above the true value.
    EXPECT_GT(static_cast<double>(TAV_MATH_Util::PI), M_PI);
    EXPECT_EQ(std::ldexp(1.0f, -31), TAV_MATH_Util::RAND_SCALE);
}

// TAV_MATH_Util: scalar helpers - random numbers, minimum and maximum, the product of two
// linear transforms, and the interpolations that mesh morphing is built on.
//
// Every member is static and the class cannot be instantiated. Random numbers come from the
// engine's one generator, glibc's rand() sequence from the seed 1 of a program that never
// seeds (TAV_GlibcRandom), so every run draws the same sequence in both builds; callers that
// need a reproducible choreography rely on the order of their calls, and a driver that
// rewinds the demo saves and restores the generator (a copy of it is its state).
// Angles at every engine interface are degrees, turned into radians with degToRad().
#pragma once

class TAV_GlibcRandom;

class TAV_MATH_Util {
public:
    TAV_MATH_Util() = delete;

    // The engine's pi: a float literal slightly above the true value. Every degree-to-radian
    // conversion uses it so that all subsystems agree to the last bit.
    static constexpr float PI = 3.141593f;
    static constexpr float RAD_TO_DEG = 57.295773f;
    // 2^-31 as a float (the literal rounds to exactly that power of two); turns a rand() draw
    // into a fraction of one.
    static constexpr float RAND_SCALE = 4.656613e-10f;

    // degrees x PI / 180, in single precision.
    static float degToRad(float degrees) { return degrees * PI / 180.0f; }

    // The generator every random draw of the engine and the demo comes from.
    static TAV_GlibcRandom& generator();
    // Uniform in [-range/2, range/2) for a positive range; consumes one draw.
    static float randomf(float range);
    // Uniform in [0, range) for a positive range; consumes one draw.
    static float randomfP(float range);
    // The mappings behind randomf and randomfP for a given draw (0 to 2^31 - 1, RAND_MAX).
    // NOTE: in single precision the largest draws round up to the open end of the range; they
    // are pulled back to the largest float below it so the ranges above hold for every draw.
    static float randomfFromDraw(int draw, float range);
    static float randomfPFromDraw(int draw, float range);

    // b if a > b, else a: ties and not-a-number comparisons keep the first argument.
    static float _min(float a, float b) { return a > b ? b : a; }
    static double _min(double a, double b) { return a > b ? b : a; }
    // b if b > a, else a: ties and not-a-number comparisons keep the first argument.
    static float _max(float a, float b) { return b > a ? b : a; }
    static double _max(double a, double b) { return b > a ? b : a; }
    static int _min(int a, int b) { return a <= b ? a : b; }
    static int _max(int a, int b) { return a >= b ? a : b; }

    // out = a x b for the linear 3x3 parts of two column-major 4x4 matrices; the rest of out
    // becomes the identity's (translations of a and b are ignored). out may be a or b.
    static void multLinearMatrix(const float* a, const float* b, float* out);

    // The four-point cubic through p1 (t = 0) and p2 (t = 1), with p0 and p3 the neighbours
    // before and after. NOTE: not Catmull-Rom - its slope at t = 0 is p2 - p0, not half of it.
    static float interpolateCubic(float t, float p0, float p1, float p2, float p3);
    // a at t = 0, b at t = 1.
    static float interpolateLinear(float t, float a, float b);
};

// PortableMath: sin, cos, exp, log and their kin from plain arithmetic, so that the
// generator's output does not depend on the machine it runs on.
//
// glibc chooses among several implementations of its transcendental functions by CPU
// (with or without FMA, for instance) and they may disagree in the last bit; one bit in an
// oscillator or a filter coefficient changes the bytes of the encoded music. These use
// only +, -, *, / (exact under IEEE 754), floor, frexp and exponent bits, with argument reduction and
// polynomials accurate to a few units in the last place of a double: ample for pictures
// and sound, and the same everywhere.
#pragma once

#include <cmath>    // Required for: std::floor, std::frexp, std::isfinite
#include <cstdint>
#include <cstring>  // Required for: std::memcpy
#include <limits>   // Required for: quiet_NaN

namespace pm {

namespace detail {

// Taylor polynomials on the reduced ranges, in Horner form.
inline double sinKernel(double r)
{
    const double r2 = r * r;
    return r * (1.0 + r2 * (-1.0 / 6.0 + r2 * (1.0 / 120.0 + r2 * (-1.0 / 5040.0 + r2 * (1.0 / 362880.0 +
           r2 * (-1.0 / 39916800.0 + r2 * (1.0 / 6227020800.0 + r2 * (-1.0 / 1307674368000.0))))))));
}

inline double cosKernel(double r)
{
    const double r2 = r * r;
    return 1.0 + r2 * (-0.5 + r2 * (1.0 / 24.0 + r2 * (-1.0 / 720.0 + r2 * (1.0 / 40320.0 + r2 * (-1.0 / 3628800.0 +
           r2 * (1.0 / 479001600.0 + r2 * (-1.0 / 87178291200.0)))))));
}

// pi/2 split in two (Cody and Waite), so that x - n pi/2 loses no precision for the
// arguments the generator uses (up to about 10^6).
const double HALF_PI_HIGH = 1.5707963267341256;
const double HALF_PI_LOW = 6.077100506506192e-11;
const double LN2_HIGH = 0.6931471803691238;
const double LN2_LOW = 1.9082149292705877e-10;

// 2^k for -1074 <= k <= 1023, built from its bits (std::ldexp is exact too, but slow).
inline double powerOfTwo(int k)
{
    if (k < -1022)
        return powerOfTwo(k + 1022) * powerOfTwo(-1022);
    const uint64_t bits = uint64_t(k + 1023) << 52;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// x = n pi/2 + r with |r| <= pi/4; returns r and sets the quadrant n mod 4.
inline double reduce(double x, int& quadrant)
{
    const double n = std::floor(x * 0.6366197723675814 + 0.5);
    quadrant = int(long(n) & 3L);
    return (x - n * HALF_PI_HIGH) - n * HALF_PI_LOW;
}

}  // namespace detail

inline double sin(double x)
{
    if (!std::isfinite(x))
        return x - x;
    int q;
    const double r = detail::reduce(x, q);
    switch (q) {
    case 0: return detail::sinKernel(r);
    case 1: return detail::cosKernel(r);
    case 2: return -detail::sinKernel(r);
    default: return -detail::cosKernel(r);
    }
}

inline double cos(double x)
{
    if (!std::isfinite(x))
        return x - x;
    int q;
    const double r = detail::reduce(x, q);
    switch (q) {
    case 0: return detail::cosKernel(r);
    case 1: return -detail::sinKernel(r);
    case 2: return -detail::cosKernel(r);
    default: return detail::sinKernel(r);
    }
}

inline double tan(double x) { return sin(x) / cos(x); }

inline double exp(double x)
{
    if (x != x)
        return x;
    if (x > 709.0)
        return HUGE_VAL;
    if (x < -745.0)
        return 0.0;
    const double k = std::floor(x * 1.4426950408889634 + 0.5);
    const double r = (x - k * detail::LN2_HIGH) - k * detail::LN2_LOW;  // |r| <= ln2 / 2
    const double p =
        1.0 + r * (1.0 + r * (1.0 / 2.0 + r * (1.0 / 6.0 + r * (1.0 / 24.0 + r * (1.0 / 120.0 + r * (1.0 / 720.0 +
        r * (1.0 / 5040.0 + r * (1.0 / 40320.0 + r * (1.0 / 362880.0 + r * (1.0 / 3628800.0 + r * (1.0 / 39916800.0 +
        r * (1.0 / 479001600.0 + r * (1.0 / 6227020800.0)))))))))))));
    return p * detail::powerOfTwo(int(k));
}

inline double log(double x)
{
    if (x != x || x < 0.0)
        return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0)
        return -HUGE_VAL;
    if (!std::isfinite(x))
        return x;
    int e;
    double m = std::frexp(x, &e);  // x = m 2^e, m in [0.5, 1)
    if (m < 0.7071067811865476) {
        m *= 2.0;
        --e;
    }
    // log m = 2 atanh s with s = (m - 1) / (m + 1), |s| <= 0.172.
    const double s = (m - 1.0) / (m + 1.0), s2 = s * s;
    const double series =
        1.0 + s2 * (1.0 / 3.0 + s2 * (1.0 / 5.0 + s2 * (1.0 / 7.0 + s2 * (1.0 / 9.0 + s2 * (1.0 / 11.0 +
        s2 * (1.0 / 13.0 + s2 * (1.0 / 15.0 + s2 * (1.0 / 17.0 + s2 * (1.0 / 19.0 + s2 * (1.0 / 21.0))))))))));
    return 2.0 * s * series + double(e) * detail::LN2_HIGH + double(e) * detail::LN2_LOW;
}

inline double log10(double x) { return log(x) * 0.4342944819032518; }

// For positive bases (all the generator needs); 0 to any positive power is 0.
inline double pow(double base, double exponent)
{
    if (base == 0.0)
        return exponent > 0.0 ? 0.0 : HUGE_VAL;
    return exp(exponent * log(base));
}

inline double tanh(double x)
{
    if (x > 20.0)
        return 1.0;
    if (x < -20.0)
        return -1.0;
    const double e = exp(2.0 * x);
    return (e - 1.0) / (e + 1.0);
}

// Single-precision forms, computed in double and rounded once.
inline float sin(float x) { return float(sin(double(x))); }
inline float cos(float x) { return float(cos(double(x))); }
inline float tan(float x) { return float(tan(double(x))); }
inline float exp(float x) { return float(exp(double(x))); }
inline float log(float x) { return float(log(double(x))); }
inline float log10(float x) { return float(log10(double(x))); }
inline float pow(float base, float exponent) { return float(pow(double(base), double(exponent))); }
inline float tanh(float x) { return float(tanh(double(x))); }

}  // namespace pm

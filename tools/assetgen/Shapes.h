// Shapes: 2D vectors and signed distance functions, the drawing vocabulary of the pictures.
//
// A shape is a function from a point to its signed distance from the outline: negative
// inside, positive outside, in the units the point is given in. Image::paint turns a
// distance in pixels into anti-aliased coverage, so every edge of every picture is smooth
// without supersampling. Distances from the smooth and boolean operators are bounds, exact
// only near the outline, which is where coverage is decided.
#pragma once

#include <cmath>
#include <vector>

#include "PortableMath.h"

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;

    Vec2() = default;
    Vec2(float xValue, float yValue) : x(xValue), y(yValue) {}

    Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
    Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
    Vec2 operator-() const { return {-x, -y}; }
    Vec2 operator*(float s) const { return {x * s, y * s}; }
    Vec2 operator/(float s) const { return {x / s, y / s}; }
    Vec2 operator*(Vec2 o) const { return {x * o.x, y * o.y}; }
};

namespace shapes {

const float PI = 3.14159265f;

inline float dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float length(Vec2 a) { return std::sqrt(dot(a, a)); }
inline float clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline float mix(float a, float b, float t) { return a + (b - a) * t; }
inline float smoothstep(float e0, float e1, float v)
{
    const float t = clamp((v - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}
inline float radians(float deg) { return deg * (PI / 180.0f); }

// p turned by angleRad about the origin (positive turns x towards y).
inline Vec2 rotate(Vec2 p, float angleRad)
{
    const float c = pm::cos(angleRad), s = pm::sin(angleRad);
    return {c * p.x - s * p.y, s * p.x + c * p.y};
}

float circle(Vec2 p, Vec2 centre, float radius);
// Ellipse with half-axes `radii`, turned by angleRad; distance approximated to first order.
float ellipse(Vec2 p, Vec2 centre, Vec2 radii, float angleRad = 0.0f);
// Box with half-size `half`, corners rounded by `radius`, turned by angleRad.
float box(Vec2 p, Vec2 centre, Vec2 half, float radius = 0.0f, float angleRad = 0.0f);
// Segment from a to b thickened by radius (a capsule).
float capsule(Vec2 p, Vec2 a, Vec2 b, float radius);
// Capsule whose radius runs from ra at a to rb at b.
float taperedCapsule(Vec2 p, Vec2 a, Vec2 b, float ra, float rb);
// Closed polygon, any winding.
float polygon(Vec2 p, const std::vector<Vec2>& points);
// Open polyline thickened by radius.
float polyline(Vec2 p, const std::vector<Vec2>& points, float radius);
// Ring around centre: |distance to centre - radius| - halfWidth.
float ring(Vec2 p, Vec2 centre, float radius, float halfWidth);

inline float unite(float a, float b) { return a < b ? a : b; }
inline float intersect(float a, float b) { return a > b ? a : b; }
inline float subtract(float a, float b) { return a > -b ? a : -b; }
// Union with a fillet of size k where the shapes meet.
float smoothUnite(float a, float b, float k);
// Outline of a shape: a band of halfWidth around its edge.
inline float outline(float d, float halfWidth) { return std::fabs(d) - halfWidth; }

// Quadratic Bezier sampled into `steps` + 1 points, for polylines.
std::vector<Vec2> bezier(Vec2 a, Vec2 control, Vec2 b, int steps);

}  // namespace shapes

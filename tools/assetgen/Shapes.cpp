#include "Shapes.h"

#include <algorithm>  // Required for: std::min, std::max

namespace shapes {

float circle(Vec2 p, Vec2 centre, float radius)
{
    return length(p - centre) - radius;
}

float ellipse(Vec2 p, Vec2 centre, Vec2 radii, float angleRad)
{
    const Vec2 q = rotate(p - centre, -angleRad);
    const Vec2 n{q.x / radii.x, q.y / radii.y};
    const float k = length(n);
    if (k < 1e-6f)
        return -std::min(radii.x, radii.y);
    // f = |q / r| - 1 divided by its gradient: exact on the outline, close nearby.
    const Vec2 gradient{n.x / (radii.x * k), n.y / (radii.y * k)};
    return (k - 1.0f) / length(gradient);
}

float box(Vec2 p, Vec2 centre, Vec2 half, float radius, float angleRad)
{
    const Vec2 q = rotate(p - centre, -angleRad);
    const Vec2 d{std::fabs(q.x) - half.x + radius, std::fabs(q.y) - half.y + radius};
    const Vec2 outside{std::max(d.x, 0.0f), std::max(d.y, 0.0f)};
    return length(outside) + std::min(std::max(d.x, d.y), 0.0f) - radius;
}

float capsule(Vec2 p, Vec2 a, Vec2 b, float radius)
{
    const Vec2 pa = p - a, ba = b - a;
    const float denominator = dot(ba, ba);
    const float h = denominator > 0.0f ? clamp(dot(pa, ba) / denominator, 0.0f, 1.0f) : 0.0f;
    return length(pa - ba * h) - radius;
}

float taperedCapsule(Vec2 p, Vec2 a, Vec2 b, float ra, float rb)
{
    // Interpolating the radius along the projection is not exact for steep tapers, but
    // the limbs and horns drawn with it taper gently.
    const Vec2 pa = p - a, ba = b - a;
    const float denominator = dot(ba, ba);
    const float h = denominator > 0.0f ? clamp(dot(pa, ba) / denominator, 0.0f, 1.0f) : 0.0f;
    return length(pa - ba * h) - mix(ra, rb, h);
}

float polygon(Vec2 p, const std::vector<Vec2>& v)
{
    const size_t n = v.size();
    float d = dot(p - v[0], p - v[0]);
    float s = 1.0f;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
        const Vec2 e = v[j] - v[i];
        const Vec2 w = p - v[i];
        const Vec2 b = w - e * clamp(dot(w, e) / dot(e, e), 0.0f, 1.0f);
        d = std::min(d, dot(b, b));
        const bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(d);
}

float polyline(Vec2 p, const std::vector<Vec2>& points, float radius)
{
    float d = 1e30f;
    for (size_t i = 1; i < points.size(); ++i)
        d = std::min(d, capsule(p, points[i - 1], points[i], radius));
    return d;
}

float ring(Vec2 p, Vec2 centre, float radius, float halfWidth)
{
    return std::fabs(length(p - centre) - radius) - halfWidth;
}

float smoothUnite(float a, float b, float k)
{
    const float h = clamp(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
    return mix(b, a, h) - k * h * (1.0f - h);
}

std::vector<Vec2> bezier(Vec2 a, Vec2 control, Vec2 b, int steps)
{
    std::vector<Vec2> points;
    points.reserve(size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const float t = float(i) / float(steps);
        const float u = 1.0f - t;
        points.push_back(a * (u * u) + control * (2.0f * u * t) + b * (t * t));
    }
    return points;
}

}  // namespace shapes

#include "math/TAV_MATH_Vector.h"

#include <cmath>  // Required for: std::sqrt(), std::acos(), std::sin(), std::cos()

#include "math/TAV_MATH_Util.h"  // Required for: TAV_MATH_Util::degToRad(), RAD_TO_DEG

namespace {

// Sine and cosine in double precision, rounded to float once, as every rotation uses them.
void sinCosF(float rad, float& sr, float& cr)
{
    sr = static_cast<float>(std::sin(static_cast<double>(rad)));
    cr = static_cast<float>(std::cos(static_cast<double>(rad)));
}

// Turns the coordinate pair (a, b) by `degrees` in its plane, from the a axis towards the b
// axis: the right-handed turn about the third axis. A zero angle leaves the bits alone.
void turnInPlane(float degrees, float& a, float& b)
{
    if (degrees == 0.0f)
        return;
    float sr, cr;
    sinCosF(TAV_MATH_Util::degToRad(degrees), sr, cr);
    const float oldA = a;
    const float oldB = b;
    a = cr * oldA - sr * oldB;
    b = sr * oldA + cr * oldB;
}

}  // namespace

float TAV_MATH_Vector::dot(const TAV_Vertex& a, const TAV_Vertex& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TAV_Vertex TAV_MATH_Vector::cross(const TAV_Vertex& a, const TAV_Vertex& b)
{
    return TAV_Vertex(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float TAV_MATH_Vector::length(const TAV_Vertex& v)
{
    return std::sqrt(dot(v, v));
}

float TAV_MATH_Vector::angleRad(const TAV_Vertex& a, const TAV_Vertex& b)
{
    return static_cast<float>(std::acos(static_cast<double>(dot(a, b) / (length(a) * length(b)))));
}

float TAV_MATH_Vector::angle(const TAV_Vertex& a, const TAV_Vertex& b)
{
    return angleRad(a, b) * TAV_MATH_Util::RAD_TO_DEG;
}

TAV_Vertex TAV_MATH_Vector::proj(const TAV_Vertex& a, TAV_Vertex& b)
{
    normalize(b);
    return b * dot(a, b);
}

void TAV_MATH_Vector::normalize(TAV_Vertex& v)
{
    normalize(v, v);
}

void TAV_MATH_Vector::normalize(const TAV_Vertex& in, TAV_Vertex& out)
{
    // Exactly zero only: tiny vectors are still scaled, so a short but valid normal survives.
    const float len = length(in);
    if (len == 0.0f)
        return;
    out = TAV_Vertex(in.x / len, in.y / len, in.z / len);
}

void TAV_MATH_Vector::multi(const TAV_Matrix16& m, TAV_Vertex& v)
{
    multi(m.data(), v, v);
}

void TAV_MATH_Vector::multi(const float* m, TAV_Vertex& v)
{
    multi(m, v, v);
}

void TAV_MATH_Vector::multi(const float* m, const TAV_Vertex& in, TAV_Vertex& out)
{
    // Every component from the old vector: out may be in.
    out = TAV_Vertex(m[0] * in.x + m[4] * in.y + m[8] * in.z,
                     m[1] * in.x + m[5] * in.y + m[9] * in.z,
                     m[2] * in.x + m[6] * in.y + m[10] * in.z);
}

void TAV_MATH_Vector::rotateX(float degrees, TAV_Vertex& v)
{
    turnInPlane(degrees, v.y, v.z);
}

void TAV_MATH_Vector::rotateY(float degrees, TAV_Vertex& v)
{
    turnInPlane(degrees, v.z, v.x);
}

void TAV_MATH_Vector::rotateZ(float degrees, TAV_Vertex& v)
{
    turnInPlane(degrees, v.x, v.y);
}

void TAV_MATH_Vector::rotate(float ax, float ay, float az, TAV_Vertex& v)
{
    // Z first, X last: the same turn as glRotatef about X, then Y, then Z on the matrix stack,
    // so a vertex rotated here lines up with one drawn under those calls.
    rotateZ(az, v);
    rotateY(ay, v);
    rotateX(ax, v);
}

void TAV_MATH_Vector::rotateMatrixRad(float rad, float x, float y, float z, TAV_Vertex& v)
{
    float sr, cr;
    sinCosF(rad, sr, cr);
    const float t = 1.0f - cr;
    const TAV_Vertex old = v;
    v.x = (x * x + (1.0f - x * x) * cr) * old.x + (x * y * t - z * sr) * old.y + (x * z * t + y * sr) * old.z;
    v.y = (x * y * t + z * sr) * old.x + (y * y + (1.0f - y * y) * cr) * old.y + (y * z * t - x * sr) * old.z;
    v.z = (x * z * t - y * sr) * old.x + (y * z * t + x * sr) * old.y + (z * z + (1.0f - z * z) * cr) * old.z;
}

void TAV_MATH_Vector::rotateMatrixRad(float rad, const TAV_Vertex& axis, TAV_Vertex& v)
{
    // The axis is copied by value into the parameters, so rotating a vector about itself works.
    rotateMatrixRad(rad, axis.x, axis.y, axis.z, v);
}

void TAV_MATH_Vector::rotateMatrix(float degrees, float x, float y, float z, TAV_Vertex& v)
{
    rotateMatrixRad(TAV_MATH_Util::degToRad(degrees), x, y, z, v);
}

void TAV_MATH_Vector::rotateMatrix(float degrees, const TAV_Vertex& axis, TAV_Vertex& v)
{
    rotateMatrix(degrees, axis.x, axis.y, axis.z, v);
}

bool TAV_MATH_Vector::pointsOnSameSide(const TAV_Vertex& p1, const TAV_Vertex& p2, const TAV_Vertex& a, const TAV_Vertex& b)
{
    const TAV_Vertex edge = b - a;
    // A not-a-number product fails the comparison and so counts as "not on the same side".
    return dot(cross(edge, p1 - a), cross(edge, p2 - a)) >= 0.0f;
}

bool TAV_MATH_Vector::pointInTriangle(const TAV_Vertex& p, const TAV_Vertex& t1, const TAV_Vertex& t2, const TAV_Vertex& t3)
{
    return pointsOnSameSide(p, t1, t2, t3) && pointsOnSameSide(p, t2, t1, t3) && pointsOnSameSide(p, t3, t1, t2);
}

void TAV_MATH_Vector::calculateNormal(const TAV_Vertex& p1, const TAV_Vertex& p2, const TAV_Vertex& p3, TAV_Vertex& normal)
{
    // Computed before normal is written, so normal may be one of the corners.
    const TAV_Vertex n = cross(p1 - p2, p2 - p3);
    normal = n;
    normalize(normal);
}

float TAV_MATH_Vector::pointPlaneDistance(const TAV_Vertex& planePoint, const TAV_Vertex& planeNormal, const TAV_Vertex& point)
{
    return dot(point - planePoint, planeNormal);
}

float TAV_MATH_Vector::planeOriginDistance(const TAV_Vertex& planeNormal, const TAV_Vertex& planePoint)
{
    return -dot(planeNormal, planePoint);
}

TAV_Vertex TAV_MATH_Vector::intersectionPoint(const TAV_Vertex& n, float d, const TAV_Vertex& p1, const TAV_Vertex& p2)
{
    TAV_Vertex dir = p2 - p1;
    normalize(dir);
    const float denom = dot(n, dir);
    if (denom == 0.0f)
        return p1;
    const float s = -(dot(n, p1) + d) / denom;
    return p1 + dir * s;
}

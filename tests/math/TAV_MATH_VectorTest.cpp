#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "math/TAV_MATH_Util.h"
#include "math/TAV_MATH_Vector.h"
#include "support/TestMathPrinters.h"

namespace {

const float kTolerance = 1e-6f;

#define EXPECT_VERTEX_NEAR(ex, ey, ez, v)      \
    do {                                       \
        EXPECT_NEAR((ex), (v).x, kTolerance);  \
        EXPECT_NEAR((ey), (v).y, kTolerance);  \
        EXPECT_NEAR((ez), (v).z, kTolerance);  \
    } while (0)

bool bitEqual(const TAV_Vertex& a, const TAV_Vertex& b)
{
    return std::memcmp(&a, &b, sizeof(TAV_Vertex)) == 0;
}

// A column-major rotation about a coordinate axis, built independently of the code under test.
TAV_Matrix16 axisRotation(int axis, float degrees)
{
    const double rad = degrees * M_PI / 180.0;
    const float c = float(std::cos(rad)), s = float(std::sin(rad));
    TAV_Matrix16 m;
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;  // the plane the rotation turns
    m[4 * a + a] = c;
    m[4 * b + a] = -s;
    m[4 * a + b] = s;
    m[4 * b + b] = c;
    return m;
}

}  // namespace

TEST(MathVector, VertexAndMatrixAreThePackedFloatLayoutsOpenGLExpects)
{
    static_assert(sizeof(TAV_Vertex) == 12, "three floats");
    static_assert(sizeof(TAV_Matrix16) == 64, "sixteen floats");
    TAV_Vertex pair[2] = {TAV_Vertex(1, 2, 3), TAV_Vertex(4, 5, 6)};
    const float* f = &pair[0].x;
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(float(i + 1), f[i]);
    EXPECT_EQ(TAV_Vertex(0, 0, 0), TAV_Vertex());
    const TAV_Matrix16 identity;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i % 5 == 0 ? 1.0f : 0.0f, identity[i]);
}

TEST(MathVector, NormalizeScalesToUnitLengthAndLeavesZeroAlone)
{
    TAV_Vertex v(3, 0, 4);
    TAV_MATH_Vector::normalize(v);
    EXPECT_VERTEX_NEAR(0.6f, 0.0f, 0.8f, v);

    TAV_Vertex zero;
    TAV_MATH_Vector::normalize(zero);
    EXPECT_TRUE(bitEqual(TAV_Vertex(0, 0, 0), zero));

    TAV_Vertex out(7, 8, 9);
    TAV_MATH_Vector::normalize(TAV_Vertex(0, 0, 0), out);
    EXPECT_TRUE(bitEqual(TAV_Vertex(7, 8, 9), out));
    TAV_MATH_Vector::normalize(TAV_Vertex(0, -2, 0), out);
    EXPECT_TRUE(bitEqual(TAV_Vertex(0, -1, 0), out));

    // Short but non-zero vectors are still scaled (the guard is exact, not an epsilon).
    TAV_Vertex tiny(1e-15f, 0, 0);
    TAV_MATH_Vector::normalize(tiny);
    EXPECT_NEAR(1.0f, tiny.x, kTolerance);
}

// The matrices turn right-handed (90 degrees about z takes x to y); the angles include
// negative ones and turns past a half circle.
TEST(MathVector, AxisRotationsAgreeWithIndependentMatrices)
{
    const TAV_Vertex start(0.3f, -1.2f, 2.5f);
    for (float degrees : {-170.0f, -45.0f, 12.5f, 90.0f, 233.0f}) {
        for (int axis = 0; axis < 3; ++axis) {
            TAV_Vertex turned = start;
            if (axis == 0)
                TAV_MATH_Vector::rotateX(degrees, turned);
            else if (axis == 1)
                TAV_MATH_Vector::rotateY(degrees, turned);
            else
                TAV_MATH_Vector::rotateZ(degrees, turned);
            TAV_Vertex expected = start;
            TAV_MATH_Vector::multi(axisRotation(axis, degrees), expected);
            EXPECT_NEAR(expected.x, turned.x, 1e-5f) << "axis " << axis << " degrees " << degrees;
            EXPECT_NEAR(expected.y, turned.y, 1e-5f) << "axis " << axis << " degrees " << degrees;
            EXPECT_NEAR(expected.z, turned.z, 1e-5f) << "axis " << axis << " degrees " << degrees;
        }
    }
}

TEST(MathVector, ZeroAnglesLeaveTheVertexBitForBit)
{
    // A not-a-number component would spread to all three if a zero-angle turn were computed.
    const TAV_Vertex start(std::nanf(""), -0.0f, 5.0f);
    TAV_Vertex v = start;
    TAV_MATH_Vector::rotateX(0, v);
    TAV_MATH_Vector::rotateY(0, v);
    TAV_MATH_Vector::rotateZ(0, v);
    TAV_MATH_Vector::rotate(0, 0, 0, v);
    EXPECT_TRUE(bitEqual(start, v));

    // A zero angle about one axis leaves the components that axis would mix untouched.
    TAV_Vertex w(std::nanf(""), 1.0f, 0.0f);
    TAV_MATH_Vector::rotate(90, 0, 0, w);
    EXPECT_TRUE(std::isnan(w.x));
    EXPECT_NEAR(0.0f, w.y, kTolerance);
    EXPECT_NEAR(1.0f, w.z, kTolerance);
}

TEST(MathVector, RotateTurnsAboutZThenYThenX)
{
    // Y before X: (0, 0, 1) goes to (1, 0, 0) about Y, which X then leaves alone. The other
    // order would end at (0, -1, 0).
    TAV_Vertex v(0, 0, 1);
    TAV_MATH_Vector::rotate(90, 90, 0, v);
    EXPECT_VERTEX_NEAR(1, 0, 0, v);

    // Z before Y: (1, 0, 0) goes to (0, 1, 0) about Z, which Y then leaves alone.
    v = TAV_Vertex(1, 0, 0);
    TAV_MATH_Vector::rotate(0, 90, 90, v);
    EXPECT_VERTEX_NEAR(0, 1, 0, v);

    // All three at once equal Rx * Ry * Rz applied to the vertex, as glRotatef X, Y, Z would.
    const float ax = 30, ay = -50, az = 75;
    TAV_Matrix16 xy, xyz;
    TAV_MATH_Util::multLinearMatrix(axisRotation(0, ax).data(), axisRotation(1, ay).data(), xy.data());
    TAV_MATH_Util::multLinearMatrix(xy.data(), axisRotation(2, az).data(), xyz.data());
    TAV_Vertex expected(0.7f, 1.1f, -0.4f);
    v = expected;
    TAV_MATH_Vector::multi(xyz, expected);
    TAV_MATH_Vector::rotate(ax, ay, az, v);
    EXPECT_NEAR(expected.x, v.x, 1e-5f);
    EXPECT_NEAR(expected.y, v.y, 1e-5f);
    EXPECT_NEAR(expected.z, v.z, 1e-5f);
}

TEST(MathVector, RotationAboutAnArbitraryUnitAxis)
{
    // A third of a turn about the diagonal cycles the coordinate axes.
    const float k = 1.0f / std::sqrt(3.0f);
    TAV_Vertex v(1, 0, 0);
    TAV_MATH_Vector::rotateMatrix(120, k, k, k, v);
    EXPECT_VERTEX_NEAR(0, 1, 0, v);
    TAV_MATH_Vector::rotateMatrix(120, TAV_Vertex(k, k, k), v);
    EXPECT_VERTEX_NEAR(0, 0, 1, v);

    // About a coordinate axis it agrees with the axis rotation.
    TAV_Vertex a(0.3f, -1.2f, 2.5f), b = a;
    TAV_MATH_Vector::rotateMatrix(-75, 0, 1, 0, a);
    TAV_MATH_Vector::rotateY(-75, b);
    EXPECT_VERTEX_NEAR(b.x, b.y, b.z, a);

    // Radians and degrees agree; the length is kept; the axis itself does not move.
    TAV_Vertex axis(2, -1, 2);
    TAV_MATH_Vector::normalize(axis);
    TAV_Vertex c(1, 2, 3), d(1, 2, 3);
    TAV_MATH_Vector::rotateMatrix(40, axis, c);
    TAV_MATH_Vector::rotateMatrixRad(40 * 3.141593f / 180.0f, axis, d);
    EXPECT_TRUE(bitEqual(c, d));
    EXPECT_NEAR(std::sqrt(14.0f), TAV_MATH_Vector::length(c), 1e-5f);
    TAV_Vertex onAxis = axis * 3.0f;
    TAV_MATH_Vector::rotateMatrix(40, axis, onAxis);
    EXPECT_VERTEX_NEAR(axis.x * 3, axis.y * 3, axis.z * 3, onAxis);

    // Rotating a vector about itself, passed as both axis and vertex, leaves it in place.
    TAV_Vertex self = axis;
    TAV_MATH_Vector::rotateMatrix(90, self, self);
    EXPECT_VERTEX_NEAR(axis.x, axis.y, axis.z, self);
}

TEST(MathVector, MatrixProductUsesOnlyTheLinearPart)
{
    TAV_Matrix16 m = axisRotation(2, 90);
    m[12] = 100;
    m[13] = 200;
    m[14] = 300;
    TAV_Vertex v(1, 2, 3);
    TAV_MATH_Vector::multi(m, v);
    EXPECT_VERTEX_NEAR(-2, 1, 3, v);

    TAV_Vertex out(9, 9, 9);
    TAV_MATH_Vector::multi(m.data(), TAV_Vertex(1, 2, 3), out);
    EXPECT_VERTEX_NEAR(-2, 1, 3, out);
    TAV_Vertex w(1, 2, 3);
    TAV_MATH_Vector::multi(m.data(), w);
    EXPECT_VERTEX_NEAR(-2, 1, 3, w);
}

TEST(MathVector, NormalPointsTowardsTheViewerOfACounterClockwiseTriangle)
{
    TAV_Vertex n;
    TAV_MATH_Vector::calculateNormal(TAV_Vertex(0, 0, 0), TAV_Vertex(1, 0, 0), TAV_Vertex(0, 1, 0), n);
    EXPECT_EQ(TAV_Vertex(0, 0, 1), n);
    TAV_MATH_Vector::calculateNormal(TAV_Vertex(0, 0, 0), TAV_Vertex(0, 1, 0), TAV_Vertex(1, 0, 0), n);
    EXPECT_EQ(TAV_Vertex(0, 0, -1), n);

    // The same rule on a larger triangle in the plane x = 5, listed counter-clockwise from +x.
    TAV_MATH_Vector::calculateNormal(TAV_Vertex(5, 0, 4), TAV_Vertex(5, 0, -4), TAV_Vertex(5, 4, 0), n);
    EXPECT_VERTEX_NEAR(1, 0, 0, n);

    // A degenerate triangle gives the zero vector, not not-a-number.
    TAV_MATH_Vector::calculateNormal(TAV_Vertex(1, 1, 1), TAV_Vertex(2, 2, 2), TAV_Vertex(3, 3, 3), n);
    EXPECT_TRUE(bitEqual(TAV_Vertex(0, 0, 0), n));
}

TEST(MathVector, AnglesAndProjection)
{
    EXPECT_NEAR(90.0f, TAV_MATH_Vector::angle(TAV_Vertex(1, 0, 0), TAV_Vertex(0, 3, 0)), 1e-4f);
    EXPECT_NEAR(45.0f, TAV_MATH_Vector::angle(TAV_Vertex(1, 0, 0), TAV_Vertex(2, 2, 0)), 1e-4f);
    EXPECT_NEAR(float(M_PI), TAV_MATH_Vector::angleRad(TAV_Vertex(0, 0, 1), TAV_Vertex(0, 0, -5)), 1e-6f);

    TAV_Vertex b(0, 0, 4);
    const TAV_Vertex p = TAV_MATH_Vector::proj(TAV_Vertex(2, 3, 5), b);
    EXPECT_TRUE(bitEqual(TAV_Vertex(0, 0, 1), b));
    EXPECT_TRUE(bitEqual(TAV_Vertex(0, 0, 5), p));

    TAV_Vertex slanted(1, 1, 0);
    const TAV_Vertex q = TAV_MATH_Vector::proj(TAV_Vertex(3, 1, 7), slanted);
    EXPECT_NEAR(1.0f, TAV_MATH_Vector::length(slanted), kTolerance);
    EXPECT_VERTEX_NEAR(2, 2, 0, q);
}

TEST(MathVector, PointsOnSidesOfALineAndInTriangles)
{
    const TAV_Vertex a(0, 0, 0), b(4, 0, 0);
    EXPECT_TRUE(TAV_MATH_Vector::pointsOnSameSide(TAV_Vertex(1, 1, 0), TAV_Vertex(3, 5, 0), a, b));
    EXPECT_FALSE(TAV_MATH_Vector::pointsOnSameSide(TAV_Vertex(1, 1, 0), TAV_Vertex(3, -5, 0), a, b));
    EXPECT_TRUE(TAV_MATH_Vector::pointsOnSameSide(TAV_Vertex(2, 0, 0), TAV_Vertex(3, -5, 0), a, b));
    EXPECT_FALSE(TAV_MATH_Vector::pointsOnSameSide(TAV_Vertex(std::nanf(""), 1, 0), TAV_Vertex(3, 5, 0), a, b));

    const TAV_Vertex t1(0, 0, 0), t2(4, 0, 0), t3(0, 4, 0);
    EXPECT_TRUE(TAV_MATH_Vector::pointInTriangle(TAV_Vertex(1, 1, 0), t1, t2, t3));
    EXPECT_TRUE(TAV_MATH_Vector::pointInTriangle(TAV_Vertex(1, 1, 0), t1, t3, t2));
    EXPECT_TRUE(TAV_MATH_Vector::pointInTriangle(TAV_Vertex(2, 2, 0), t1, t2, t3));  // on an edge
    EXPECT_TRUE(TAV_MATH_Vector::pointInTriangle(TAV_Vertex(4, 0, 0), t1, t2, t3));  // a corner
    EXPECT_FALSE(TAV_MATH_Vector::pointInTriangle(TAV_Vertex(3, 3, 0), t1, t2, t3));
    EXPECT_FALSE(TAV_MATH_Vector::pointInTriangle(TAV_Vertex(-1, 1, 0), t1, t2, t3));
    EXPECT_FALSE(TAV_MATH_Vector::pointInTriangle(TAV_Vertex(1, -0.01f, 0), t1, t2, t3));
}

TEST(MathVector, PlaneDistancesAndLineIntersection)
{
    // The plane z = 2 facing +z.
    const TAV_Vertex n(0, 0, 1), onPlane(7, -3, 2);
    EXPECT_EQ(3.0f, TAV_MATH_Vector::pointPlaneDistance(onPlane, n, TAV_Vertex(1, 1, 5)));
    EXPECT_EQ(-1.0f, TAV_MATH_Vector::pointPlaneDistance(onPlane, n, TAV_Vertex(1, 1, 1)));
    const float d = TAV_MATH_Vector::planeOriginDistance(n, onPlane);
    EXPECT_EQ(-2.0f, d);

    // The line is not clipped: both points below the plane still meet it above them.
    TAV_Vertex hit = TAV_MATH_Vector::intersectionPoint(n, d, TAV_Vertex(1, 1, 0), TAV_Vertex(2, 1, 1));
    EXPECT_VERTEX_NEAR(3, 1, 2, hit);
    hit = TAV_MATH_Vector::intersectionPoint(n, d, TAV_Vertex(0, 0, 10), TAV_Vertex(0, 0, -10));
    EXPECT_VERTEX_NEAR(0, 0, 2, hit);

    // Parallel lines and a point instead of a line give p1.
    EXPECT_TRUE(bitEqual(TAV_Vertex(1, 2, 3), TAV_MATH_Vector::intersectionPoint(n, d, TAV_Vertex(1, 2, 3), TAV_Vertex(5, -2, 3))));
    EXPECT_TRUE(bitEqual(TAV_Vertex(1, 2, 3), TAV_MATH_Vector::intersectionPoint(n, d, TAV_Vertex(1, 2, 3), TAV_Vertex(1, 2, 3))));
}

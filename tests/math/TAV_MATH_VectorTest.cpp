#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "math/TAV_MATH_Util.h"
#include "math/TAV_MATH_Vector.h"

namespace {

// OpenGL reads vertex arrays and matrices as packed floats.
static_assert(sizeof(TAV_Vertex) == 12, "three floats");
static_assert(sizeof(TAV_Matrix16) == 64, "sixteen floats");

#define EXPECT_VERTEX_NEAR(ex, ey, ez, v)  \
    do {                                   \
        EXPECT_NEAR((ex), (v).x, 1e-5f);   \
        EXPECT_NEAR((ey), (v).y, 1e-5f);   \
        EXPECT_NEAR((ez), (v).z, 1e-5f);   \
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
    EXPECT_NEAR(1.0f, tiny.x, 1e-6f);
}

// Right-handed (90 degrees about z takes x to y), for negative angles and past a half turn;
// rotate() turns about z, then y, then x, as glRotatef X, Y, Z would; the arbitrary-axis
// rotation agrees with the axis rotations.
TEST(MathVector, RotationsAgreeWithIndependentMatrices)
{
    const TAV_Vertex start(0.3f, -1.2f, 2.5f);
    for (float degrees : {-170.0f, -45.0f, 12.5f, 90.0f, 233.0f}) {
        for (int axis = 0; axis < 3; ++axis) {
            SCOPED_TRACE(::testing::Message() << "axis " << axis << " degrees " << degrees);
            TAV_Vertex turned = start, aboutAxis = start, expected = start;
            (axis == 0 ? TAV_MATH_Vector::rotateX : axis == 1 ? TAV_MATH_Vector::rotateY : TAV_MATH_Vector::rotateZ)(
                degrees, turned);
            TAV_MATH_Vector::rotateMatrix(degrees, axis == 0, axis == 1, axis == 2, aboutAxis);
            TAV_MATH_Vector::multi(axisRotation(axis, degrees), expected);
            EXPECT_VERTEX_NEAR(expected.x, expected.y, expected.z, turned);
            EXPECT_VERTEX_NEAR(expected.x, expected.y, expected.z, aboutAxis);
        }
    }
    const float ax = 30, ay = -50, az = 75;
    TAV_Matrix16 xy, xyz;
    TAV_MATH_Util::multLinearMatrix(axisRotation(0, ax).data(), axisRotation(1, ay).data(), xy.data());
    TAV_MATH_Util::multLinearMatrix(xy.data(), axisRotation(2, az).data(), xyz.data());
    TAV_Vertex expected(0.7f, 1.1f, -0.4f), v = expected;
    TAV_MATH_Vector::multi(xyz.data(), expected);
    TAV_MATH_Vector::rotate(ax, ay, az, v);
    EXPECT_VERTEX_NEAR(expected.x, expected.y, expected.z, v);
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
    EXPECT_NEAR(1.0f, w.z, 1e-6f);
}

TEST(MathVector, RotationAboutAnArbitraryUnitAxis)
{
    // A third of a turn about the diagonal cycles the coordinate axes.
    const float k = 1.0f / std::sqrt(3.0f);
    TAV_Vertex v(1, 0, 0);
    TAV_MATH_Vector::rotateMatrix(120, TAV_Vertex(k, k, k), v);
    EXPECT_VERTEX_NEAR(0, 1, 0, v);
    // Radians and degrees agree; the length is kept; the axis itself does not move, also
    // when it is passed as both axis and vertex.
    TAV_Vertex axis(2, -1, 2);
    TAV_MATH_Vector::normalize(axis);
    TAV_Vertex c(1, 2, 3), d(1, 2, 3);
    TAV_MATH_Vector::rotateMatrix(40, axis, c);
    TAV_MATH_Vector::rotateMatrixRad(40 * 3.141593f / 180.0f, axis, d);
    EXPECT_TRUE(bitEqual(c, d));
    EXPECT_NEAR(std::sqrt(14.0f), TAV_MATH_Vector::length(c), 1e-5f);
    TAV_Vertex self = axis;
    TAV_MATH_Vector::rotateMatrix(90, self, self);
    EXPECT_VERTEX_NEAR(axis.x, axis.y, axis.z, self);
}

TEST(MathVector, NormalsAnglesAndProjection)
{
    // Counter-clockwise triangles face the viewer; a degenerate one gives zero, not NaN.
    TAV_Vertex n;
    TAV_MATH_Vector::calculateNormal(TAV_Vertex(0, 0, 0), TAV_Vertex(1, 0, 0), TAV_Vertex(0, 1, 0), n);
    EXPECT_EQ(TAV_Vertex(0, 0, 1), n);
    TAV_MATH_Vector::calculateNormal(TAV_Vertex(5, 0, 4), TAV_Vertex(5, 0, -4), TAV_Vertex(5, 4, 0), n);
    EXPECT_VERTEX_NEAR(1, 0, 0, n);
    TAV_MATH_Vector::calculateNormal(TAV_Vertex(1, 1, 1), TAV_Vertex(2, 2, 2), TAV_Vertex(3, 3, 3), n);
    EXPECT_TRUE(bitEqual(TAV_Vertex(0, 0, 0), n));

    EXPECT_NEAR(45.0f, TAV_MATH_Vector::angle(TAV_Vertex(1, 0, 0), TAV_Vertex(2, 2, 0)), 1e-4f);
    EXPECT_NEAR(float(M_PI), TAV_MATH_Vector::angleRad(TAV_Vertex(0, 0, 1), TAV_Vertex(0, 0, -5)), 1e-6f);

    // proj normalises its second argument in place.
    TAV_Vertex slanted(1, 1, 0);
    const TAV_Vertex q = TAV_MATH_Vector::proj(TAV_Vertex(3, 1, 7), slanted);
    EXPECT_NEAR(1.0f, TAV_MATH_Vector::length(slanted), 1e-6f);
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
    const struct {
        TAV_Vertex p;
        bool inside;
    } cases[] = {{{1, 1, 0}, true}, {{2, 2, 0}, true} /* an edge */, {{4, 0, 0}, true} /* a corner */,
                 {{3, 3, 0}, false}, {{-1, 1, 0}, false}, {{1, -0.01f, 0}, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.inside, TAV_MATH_Vector::pointInTriangle(c.p, t1, t2, t3)) << c.p.x << ", " << c.p.y;
        EXPECT_EQ(c.inside, TAV_MATH_Vector::pointInTriangle(c.p, t1, t3, t2)) << c.p.x << ", " << c.p.y;
    }
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
    EXPECT_VERTEX_NEAR(3, 1, 2, TAV_MATH_Vector::intersectionPoint(n, d, TAV_Vertex(1, 1, 0), TAV_Vertex(2, 1, 1)));
    // Parallel lines and a point instead of a line give p1.
    const TAV_Vertex p1(1, 2, 3);
    EXPECT_TRUE(bitEqual(p1, TAV_MATH_Vector::intersectionPoint(n, d, p1, TAV_Vertex(5, -2, 3))));
    EXPECT_TRUE(bitEqual(p1, TAV_MATH_Vector::intersectionPoint(n, d, p1, p1)));
}

// TAV_MATH_Vector: geometry on 3-component vectors - lengths, angles, projection, rotations
// about the coordinate axes and about any unit axis, matrix-vector products, plane and
// triangle tests, and the face normal that fixes the engine's winding rule.
//
// Stateless: every member is static. Vertices passed by non-const reference are changed in
// place; all others are only read. Angles are degrees unless the name ends in Rad. Winding:
// a triangle listed counter-clockwise as seen by the viewer has its normal towards the viewer.
#pragma once

#include "math/TAV_Matrix16.h"  // Required for: TAV_Matrix16
#include "math/TAV_Vertex.h"    // Required for: TAV_Vertex

class TAV_MATH_Vector {
public:
    TAV_MATH_Vector() = delete;

    static float dot(const TAV_Vertex& a, const TAV_Vertex& b);
    static TAV_Vertex cross(const TAV_Vertex& a, const TAV_Vertex& b);
    static float length(const TAV_Vertex& v);

    // The angle between a and b, in radians and in degrees.
    // NOTE: undefined (not-a-number) when either vector has zero length.
    static float angleRad(const TAV_Vertex& a, const TAV_Vertex& b);
    static float angle(const TAV_Vertex& a, const TAV_Vertex& b);

    // The projection of a onto the direction of b. NOTE: normalises the caller's b in place.
    static TAV_Vertex proj(const TAV_Vertex& a, TAV_Vertex& b);

    // Scales v to unit length; a zero-length vector is left as it is (no not-a-number).
    static void normalize(TAV_Vertex& v);
    // Writes in scaled to unit length into out; for a zero-length in, out is not written.
    static void normalize(const TAV_Vertex& in, TAV_Vertex& out);

    // v = the linear 3x3 part of m times v; the translation is not added.
    static void multi(const TAV_Matrix16& m, TAV_Vertex& v);
    static void multi(const float* m, TAV_Vertex& v);
    static void multi(const float* m, const TAV_Vertex& in, TAV_Vertex& out);

    // Right-handed rotations of v about one coordinate axis; an angle of exactly 0 does nothing.
    static void rotateX(float degrees, TAV_Vertex& v);
    static void rotateY(float degrees, TAV_Vertex& v);
    static void rotateZ(float degrees, TAV_Vertex& v);
    // rotateZ(az), then rotateY(ay), then rotateX(ax).
    static void rotate(float ax, float ay, float az, TAV_Vertex& v);

    // Right-handed rotation of v about the axis (x, y, z), which must already be of unit
    // length (it is not normalised here).
    static void rotateMatrixRad(float rad, float x, float y, float z, TAV_Vertex& v);
    static void rotateMatrixRad(float rad, const TAV_Vertex& axis, TAV_Vertex& v);
    static void rotateMatrix(float degrees, float x, float y, float z, TAV_Vertex& v);
    static void rotateMatrix(float degrees, const TAV_Vertex& axis, TAV_Vertex& v);

    // True when p1 and p2 lie on the same side of the line through a and b, or either lies
    // on it; false for degenerate input that yields not-a-number.
    static bool pointsOnSameSide(const TAV_Vertex& p1, const TAV_Vertex& p2, const TAV_Vertex& a, const TAV_Vertex& b);
    // True when p lies inside the triangle t1, t2, t3 or on one of its edges.
    static bool pointInTriangle(const TAV_Vertex& p, const TAV_Vertex& t1, const TAV_Vertex& t2, const TAV_Vertex& t3);

    // normal = unit((p1 - p2) x (p2 - p3)): towards the viewer who sees p1, p2, p3
    // counter-clockwise. A degenerate triangle gives the zero vector.
    static void calculateNormal(const TAV_Vertex& p1, const TAV_Vertex& p2, const TAV_Vertex& p3, TAV_Vertex& normal);

    // (point - planePoint) . planeNormal: the signed distance for a unit normal.
    static float pointPlaneDistance(const TAV_Vertex& planePoint, const TAV_Vertex& planeNormal, const TAV_Vertex& point);
    // d of the plane equation n.x + d = 0 through planePoint.
    static float planeOriginDistance(const TAV_Vertex& planeNormal, const TAV_Vertex& planePoint);
    // Where the line through p1 and p2 (not clipped to the segment) meets the plane n.x + d = 0;
    // p1 itself when the line is parallel to the plane or p1 equals p2.
    static TAV_Vertex intersectionPoint(const TAV_Vertex& n, float d, const TAV_Vertex& p1, const TAV_Vertex& p2);
};

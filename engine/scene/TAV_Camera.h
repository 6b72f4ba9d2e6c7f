// TAV_Camera: a free-flying viewer with a position, a viewing direction and an up vector.
//
// It turns about its own axes (head, pitch, bank) or any unit axis, moves along its own
// axes, and look() multiplies the OpenGL matrix by the view with gluLookAt. The direction
// is kept of unit length by setDirection; the up vector is stored as given. Angles are in
// degrees. Plain value type: no OpenGL resources, nothing owned.
#pragma once

#include "math/TAV_Vertex.h"  // Required for: the three vectors

class TAV_Camera {
public:
    // At the origin, looking down -z, with +y up: look() then leaves the matrix unchanged.
    TAV_Camera();

    void setPosition(float x, float y, float z);
    // Normalised before it is stored; a zero vector stays zero.
    void setDirection(float x, float y, float z);
    // Stored as given, without normalising.
    void setUpVector(float x, float y, float z);

    // Turns direction and up by `angleDeg` about the axis (x, y, z), which must be of unit
    // length.
    void rotateView(float angleDeg, float x, float y, float z);
    // Yaw about the current up vector.
    void head(float angleDeg);
    // About the viewer's right; a positive angle lifts the nose.
    void pitch(float angleDeg);
    // Roll about the viewing direction.
    void bank(float angleDeg);

    // Along the viewing direction.
    void move(float distance);
    // Sideways; a positive distance moves to the viewer's left.
    void strafe(float distance);
    // Along the up vector as stored (not normalised).
    void up(float distance);

    // A mouse-look step: pitch by dy about the viewer's right, then turn by dx about the
    // world's vertical axis, so the horizon never tilts.
    void mouseMove(float dxDeg, float dyDeg);

    // Multiplies the current OpenGL matrix by the view; loading the identity first is the
    // caller's business.
    void look() const;

    TAV_Vertex m_position;
    TAV_Vertex m_direction;
    TAV_Vertex m_up;
};

#include "scene/TAV_Camera.h"

#include <GL/glu.h>  // Required for: gluLookAt()

#include "math/TAV_MATH_Vector.h"  // Required for: cross(), normalize(), rotateMatrix()

namespace {

// normalize(a x b): the unit vector perpendicular to both, by the right-hand rule.
TAV_Vertex unitCross(const TAV_Vertex& a, const TAV_Vertex& b)
{
    TAV_Vertex c = TAV_MATH_Vector::cross(a, b);
    TAV_MATH_Vector::normalize(c);
    return c;
}

}  // namespace

TAV_Camera::TAV_Camera()
    : m_position(0.0f, 0.0f, 0.0f),
      m_direction(0.0f, 0.0f, -1.0f),
      m_up(0.0f, 1.0f, 0.0f)
{
}

void TAV_Camera::setPosition(float x, float y, float z)
{
    m_position = TAV_Vertex(x, y, z);
}

void TAV_Camera::setDirection(float x, float y, float z)
{
    m_direction = TAV_Vertex(x, y, z);
    TAV_MATH_Vector::normalize(m_direction);
}

void TAV_Camera::setUpVector(float x, float y, float z)
{
    m_up = TAV_Vertex(x, y, z);
}

void TAV_Camera::rotateView(float angleDeg, float x, float y, float z)
{
    TAV_MATH_Vector::rotateMatrix(angleDeg, x, y, z, m_direction);
    TAV_MATH_Vector::rotateMatrix(angleDeg, x, y, z, m_up);
}

void TAV_Camera::head(float angleDeg)
{
    // The up vector is stored as given, but a rotation needs a unit axis: a longer up
    // vector would otherwise stretch the direction as it turns.
    TAV_Vertex axis = m_up;
    TAV_MATH_Vector::normalize(axis);
    rotateView(angleDeg, axis.x, axis.y, axis.z);
}

void TAV_Camera::pitch(float angleDeg)
{
    const TAV_Vertex right = unitCross(m_direction, m_up);
    rotateView(angleDeg, right.x, right.y, right.z);
}

void TAV_Camera::bank(float angleDeg)
{
    const TAV_Vertex axis = m_direction;
    rotateView(angleDeg, axis.x, axis.y, axis.z);
}

void TAV_Camera::move(float distance)
{
    m_position = m_position + m_direction * distance;
}

void TAV_Camera::strafe(float distance)
{
    m_position = m_position + unitCross(m_up, m_direction) * distance;
}

void TAV_Camera::up(float distance)
{
    m_position = m_position + m_up * distance;
}

void TAV_Camera::mouseMove(float dxDeg, float dyDeg)
{
    pitch(dyDeg);
    rotateView(dxDeg, 0.0f, 1.0f, 0.0f);
}

void TAV_Camera::look() const
{
    gluLookAt(double(m_position.x), double(m_position.y), double(m_position.z),
              double(m_position.x + m_direction.x), double(m_position.y + m_direction.y),
              double(m_position.z + m_direction.z),
              double(m_up.x), double(m_up.y), double(m_up.z));
}

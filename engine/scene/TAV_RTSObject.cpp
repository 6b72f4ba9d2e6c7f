#include "scene/TAV_RTSObject.h"

#include <GL/gl.h>  // Required for: glScalef(), glTranslatef(), glRotatef()

namespace {

void set3(float* target, float x, float y, float z)
{
    target[0] = x;
    target[1] = y;
    target[2] = z;
}

}  // namespace

TAV_RTSObject::TAV_RTSObject()
{
    set3(m_translate, 0.0f, 0.0f, 0.0f);
    set3(m_scale, 1.0f, 1.0f, 1.0f);
    set3(m_rotate, 0.0f, 0.0f, 0.0f);
}

int TAV_RTSObject::getType() const
{
    return TYPE;
}

void TAV_RTSObject::translate(float dx, float dy, float dz)
{
    set3(m_translate, m_translate[0] + dx, m_translate[1] + dy, m_translate[2] + dz);
}

void TAV_RTSObject::rotate(float angleXDeg, float angleYDeg, float angleZDeg)
{
    set3(m_rotate, m_rotate[0] + angleXDeg, m_rotate[1] + angleYDeg, m_rotate[2] + angleZDeg);
}

void TAV_RTSObject::scale(float sx, float sy, float sz)
{
    set3(m_scale, m_scale[0] * sx, m_scale[1] * sy, m_scale[2] * sz);
}

void TAV_RTSObject::setTranslate(float x, float y, float z)
{
    set3(m_translate, x, y, z);
}

void TAV_RTSObject::setRotate(float angleXDeg, float angleYDeg, float angleZDeg)
{
    set3(m_rotate, angleXDeg, angleYDeg, angleZDeg);
}

void TAV_RTSObject::setScale(float sx, float sy, float sz)
{
    set3(m_scale, sx, sy, sz);
}

void TAV_RTSObject::setTranslate(const float* xyz)
{
    set3(m_translate, xyz[0], xyz[1], xyz[2]);
}

void TAV_RTSObject::setRotate(const float* anglesDeg)
{
    set3(m_rotate, anglesDeg[0], anglesDeg[1], anglesDeg[2]);
}

void TAV_RTSObject::setScale(const float* factors)
{
    set3(m_scale, factors[0], factors[1], factors[2]);
}

void TAV_RTSObject::setGLMatrix() const
{
    // Scale first: objects are placed in a scaled space, so the translation scales with
    // them. Rotation last: the mesh turns about its own origin before it is moved.
    glScalef(m_scale[0], m_scale[1], m_scale[2]);
    glTranslatef(m_translate[0], m_translate[1], m_translate[2]);
    glRotatef(m_rotate[0], 1.0f, 0.0f, 0.0f);
    glRotatef(m_rotate[1], 0.0f, 1.0f, 0.0f);
    glRotatef(m_rotate[2], 0.0f, 0.0f, 1.0f);
}

#include "scene/TAV_Material.h"

namespace {

void setRGBA(float* target, float r, float g, float b, float a)
{
    target[0] = r;
    target[1] = g;
    target[2] = b;
    target[3] = a;
}

}  // namespace

TAV_Material::TAV_Material()
{
    init();
}

TAV_Material::~TAV_Material() {}

void TAV_Material::init()
{
    // The reflectances start at OpenGL's own material defaults, so a material that only
    // switches lighting on looks like lit geometry without any material at all.
    setRGBA(m_ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    setRGBA(m_diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    setRGBA(m_specular, 0.0f, 0.0f, 0.0f, 1.0f);
    m_shininess = 0.0f;
    setRGBA(m_emission, 0.0f, 0.0f, 0.0f, 1.0f);
    m_blendSrc = GL_SRC_ALPHA;
    m_blendDst = GL_ONE_MINUS_SRC_ALPHA;
    setRGBA(m_color, 1.0f, 1.0f, 1.0f, 1.0f);
    m_lighting = false;
    m_blending = false;
}

void TAV_Material::enableLight(bool on)
{
    m_lighting = on;
}

void TAV_Material::enableBlending(bool on)
{
    m_blending = on;
}

void TAV_Material::setColor(float r, float g, float b)
{
    m_color[0] = r;
    m_color[1] = g;
    m_color[2] = b;
}

void TAV_Material::setColor(float r, float g, float b, float a)
{
    setAlpha(a);
    setColor(r, g, b);
}

void TAV_Material::setAlpha(float a)
{
    m_color[3] = a;
}

void TAV_Material::setMatAmbient(float r, float g, float b, float a)
{
    setRGBA(m_ambient, r, g, b, a);
}

void TAV_Material::setMatDiffuse(float r, float g, float b, float a)
{
    setRGBA(m_diffuse, r, g, b, a);
}

void TAV_Material::setMatSpecular(float r, float g, float b, float a)
{
    setRGBA(m_specular, r, g, b, a);
}

void TAV_Material::setMatEmission(float r, float g, float b, float a)
{
    setRGBA(m_emission, r, g, b, a);
}

void TAV_Material::setMatShininess(float shininess)
{
    m_shininess = shininess;
}

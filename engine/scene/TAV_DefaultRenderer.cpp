#include "scene/TAV_DefaultRenderer.h"

#include <GL/gl.h>  // Required for: glEnable(), glDisable()

#include "image/TAV_ITexture.h"  // Required for: activate()
#include "scene/TAV_Container.h"
#include "scene/TAV_Object.h"
#include "scene/TAV_RenderState.h"

TAV_DefaultRenderer* TAV_DefaultRenderer::m_renderer = nullptr;

TAV_DefaultRenderer* TAV_DefaultRenderer::getInstance()
{
    if (!m_renderer)
        m_renderer = new TAV_DefaultRenderer();
    return m_renderer;
}

TAV_DefaultRenderer::TAV_DefaultRenderer()
    : m_lastTexture(nullptr), m_lastMaterial(nullptr)
{
}

TAV_DefaultRenderer::~TAV_DefaultRenderer()
{
    if (m_renderer == this)
        m_renderer = nullptr;
}

void TAV_DefaultRenderer::renderContainer(TAV_Container* container)
{
    setup();
    for (TAV_Object* object : container->getObjects())
        renderObject(object);
}

void TAV_DefaultRenderer::renderObject(TAV_Object* object)
{
    if (object->m_material != m_lastMaterial) {
        setupMaterial(object->m_material);
        m_lastMaterial = object->m_material;
    }
    if (!object->m_texture) {
        glDisable(GL_TEXTURE_2D);
        m_lastTexture = nullptr;
    } else if (object->m_texture != m_lastTexture) {
        glEnable(GL_TEXTURE_2D);
        object->m_texture->activate();
        m_lastTexture = object->m_texture;
    }
    TAV_RenderState::drawObject(object);
}

void TAV_DefaultRenderer::setup()
{
    TAV_RenderState::applyCommonState();
    m_lastTexture = nullptr;
    m_lastMaterial = nullptr;
    setupMaterial(nullptr);
}

void TAV_DefaultRenderer::setupMaterial(TAV_Material* material)
{
    TAV_RenderState::applyMaterial(material);
}

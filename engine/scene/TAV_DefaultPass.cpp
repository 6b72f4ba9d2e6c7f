#include "scene/TAV_DefaultPass.h"

#include <GL/gl.h>  // Required for: glEnable(), glDisable()

#include <cassert>  // Required for: assert()

#include "image/TAV_ITexture.h"  // Required for: activate()
#include "scene/TAV_Object.h"
#include "scene/TAV_RenderState.h"

TAV_DefaultPass* TAV_DefaultPass::m_instance = nullptr;
int TAV_DefaultPass::m_instanceCount = 0;

TAV_DefaultPass* TAV_DefaultPass::getInstance()
{
    if (!m_instance)
        m_instance = new TAV_DefaultPass();
    ++m_instanceCount;
    return m_instance;
}

void TAV_DefaultPass::deleteInstance()
{
    assert(m_instance == this && m_instanceCount > 0);
    if (--m_instanceCount == 0) {
        m_instance = nullptr;
        delete this;
    }
}

void TAV_DefaultPass::renderObject(TAV_Object* object)
{
    TAV_RenderState::applyMaterial(object->m_material);
    if (object->m_texture) {
        glEnable(GL_TEXTURE_2D);
        object->m_texture->activate();
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    TAV_RenderState::drawObject(object);
}

void TAV_DefaultPass::setup()
{
    TAV_RenderState::applyCommonState();
}

void TAV_DefaultPass::shutdown() {}

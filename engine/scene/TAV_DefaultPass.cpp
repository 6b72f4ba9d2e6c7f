#include "scene/TAV_DefaultPass.h"

#include <GL/gl.h>  // Required for: glEnable(), glDisable()

#include "image/TAV_ITexture.h"  // Required for: activate()
#include "scene/TAV_Object.h"
#include "scene/TAV_RenderState.h"

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

#include "scene/TAV_RenderState.h"

#include <GL/gl.h>  // Required for: the fixed-function state calls

#include "geometry/TAV_IObjectData.h"  // Required for: renderData()
#include "scene/TAV_Material.h"
#include "scene/TAV_Object.h"

void TAV_RenderState::applyCommonState()
{
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT, GL_FILL);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LEQUAL);
}

void TAV_RenderState::applyMaterial(const TAV_Material* material)
{
    if (!material) {
        glDisable(GL_LIGHTING);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    } else {
        glColor4fv(material->m_color);
        if (material->m_lighting) {
            glEnable(GL_LIGHTING);
            glMaterialfv(GL_FRONT, GL_AMBIENT, material->m_ambient);
            glMaterialfv(GL_FRONT, GL_DIFFUSE, material->m_diffuse);
            glMaterialfv(GL_FRONT, GL_SPECULAR, material->m_specular);
            glMaterialfv(GL_FRONT, GL_EMISSION, material->m_emission);
            glMaterialf(GL_FRONT, GL_SHININESS, material->m_shininess);
        } else {
            glDisable(GL_LIGHTING);
        }
        if (material->m_blending) {
            // A blended surface must not hide what lies behind it, and its back may show
            // through; the depth test keeps whatever state the pass gave it.
            glBlendFunc(material->m_blendSrc, material->m_blendDst);
            glEnable(GL_BLEND);
            glDisable(GL_CULL_FACE);
            glDepthMask(GL_FALSE);
            return;
        }
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}

void TAV_RenderState::drawObject(TAV_Object* object)
{
    if (!object->m_data)
        return;
    glPushMatrix();
    object->setGLMatrix();
    object->m_data->renderData();
    glPopMatrix();
}

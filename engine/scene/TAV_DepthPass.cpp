#include "scene/TAV_DepthPass.h"

#include <GL/gl.h>  // Required for: the depth-only state

#include "scene/TAV_RenderState.h"

void TAV_DepthPass::renderObject(TAV_Object* object)
{
    TAV_RenderState::drawObject(object);
}

void TAV_DepthPass::setup()
{
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT, GL_FILL);
    // Nothing is shaded here, so the cheapest model will do.
    glShadeModel(GL_FLAT);
    glEnable(GL_CULL_FACE);
    // Strictly nearer: the shading pass then tests GL_LEQUAL against exactly these depths.
    glDepthFunc(GL_LESS);
}

void TAV_DepthPass::shutdown()
{
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

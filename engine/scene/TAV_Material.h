// TAV_Material: a named bundle of surface settings for a scene object.
//
// A base colour with alpha, optional fixed-function lighting coefficients (ambient, diffuse,
// specular, emission, shininess) and optional alpha blending. It holds data only; the
// renderers apply it to OpenGL through TAV_RenderState::applyMaterial. Objects point at a
// material without owning it; a container that registers it deletes it.
#pragma once

#include <GL/gl.h>  // Required for: GLenum, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA

#include "scene/TAV_Named.h"

class TAV_Material : public TAV_Named {
public:
    // An empty name and the defaults of init().
    TAV_Material();
    ~TAV_Material() override;

    // Back to the defaults: OpenGL's own material reflectances, white opaque colour, no
    // lighting, no blending, blend factors (source alpha, one minus source alpha).
    void init();

    void enableLight(bool on);
    void enableBlending(bool on);

    // Sets red, green and blue; alpha is left as it is.
    void setColor(float r, float g, float b);
    void setColor(float r, float g, float b, float a);
    void setAlpha(float a);

    void setMatAmbient(float r, float g, float b, float a);
    void setMatDiffuse(float r, float g, float b, float a);
    void setMatSpecular(float r, float g, float b, float a);
    void setMatEmission(float r, float g, float b, float a);
    void setMatShininess(float shininess);

    // Held inside the object rather than on the heap, so that a material can be copied and
    // init() called again without leaking or sharing arrays.
    float m_ambient[4];
    float m_diffuse[4];
    float m_specular[4];
    float m_shininess;
    float m_emission[4];
    GLenum m_blendSrc;
    GLenum m_blendDst;
    float m_color[4];
    bool m_lighting;
    bool m_blending;
};

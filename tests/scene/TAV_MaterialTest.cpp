// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "scene/TAV_Material.h"
#include "scene/TAV_RenderState.h"
#include "support/TestGLContext.h"

namespace {

void expectRGBA(const float* actual, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(r, actual[0]);
    EXPECT_FLOAT_EQ(g, actual[1]);
    EXPECT_FLOAT_EQ(b, actual[2]);
    EXPECT_FLOAT_EQ(a, actual[3]);
}

void expectCurrentColor(float r, float g, float b, float a)
{
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    expectRGBA(color, r, g, b, a);
}

bool depthWritesOn()
{
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    return mask == GL_TRUE;
}

// Every switch the material procedure touches, turned the wrong way, so each assertion
// below sees a change that the procedure made.
void dirtyState()
{
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace

namespace {

// The OpenGL material defaults, white opaque colour, no lighting or blending: what a new
// material holds and what init() restores.
void expectDefaults(const TAV_Material& material)
{
    expectRGBA(material.m_ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    expectRGBA(material.m_diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    expectRGBA(material.m_specular, 0.0f, 0.0f, 0.0f, 1.0f);
    expectRGBA(material.m_emission, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(0.0f, material.m_shininess);
    expectRGBA(material.m_color, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(GLenum(GL_SRC_ALPHA), material.m_blendSrc);
    EXPECT_EQ(GLenum(GL_ONE_MINUS_SRC_ALPHA), material.m_blendDst);
    EXPECT_FALSE(material.m_lighting);
    EXPECT_FALSE(material.m_blending);
}

}  // namespace

TEST(Material, StartsWithTheDefaultsAndInitRestoresThem)
{
    TAV_Material material;
    EXPECT_STREQ("", material.getName());
    expectDefaults(material);

    material.setMatAmbient(1, 0, 0, 1);
    material.setMatDiffuse(0, 1, 0, 1);
    material.setMatSpecular(0, 0, 1, 1);
    material.setMatEmission(1, 1, 0, 1);
    material.setMatShininess(40);
    material.enableLight(true);
    material.enableBlending(true);
    expectRGBA(material.m_specular, 0, 0, 1, 1);
    material.init();
    expectDefaults(material);
}

TEST(Material, ThreeComponentColorKeepsAlphaAndFourComponentColorSetsAll)
{
    TAV_Material material;
    material.setAlpha(0.25f);
    material.setColor(0.5f, 0.5f, 0.5f);
    expectRGBA(material.m_color, 0.5f, 0.5f, 0.5f, 0.25f);

    material.setColor(0.1f, 0.2f, 0.3f, 0.4f);
    expectRGBA(material.m_color, 0.1f, 0.2f, 0.3f, 0.4f);
}

TEST(MaterialApplication, NewMaterialGivesItsColourNoLightingNoBlendingAndDepthOn)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    TAV_Material material;
    material.setColor(0.5f, 0.25f, 1.0f, 0.75f);
    dirtyState();

    TAV_RenderState::applyMaterial(&material);
    expectCurrentColor(0.5f, 0.25f, 1.0f, 0.75f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(depthWritesOn());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    // Culling is the pass set-up's business, not the material's.
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST(MaterialApplication, NoMaterialGivesUnlitOpaqueWhiteWithDepthOn)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    dirtyState();

    TAV_RenderState::applyMaterial(nullptr);
    expectCurrentColor(1, 1, 1, 1);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(depthWritesOn());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST(MaterialApplication, LitMaterialSetsTheFrontReflectances)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    TAV_Material material;
    material.enableLight(true);
    material.setMatAmbient(0.1f, 0.2f, 0.3f, 1.0f);
    material.setMatDiffuse(0.4f, 0.5f, 0.6f, 1.0f);
    material.setMatSpecular(0.7f, 0.8f, 0.9f, 1.0f);
    material.setMatEmission(0.05f, 0.0f, 0.0f, 1.0f);
    material.setMatShininess(32.0f);
    glDisable(GL_LIGHTING);

    TAV_RenderState::applyMaterial(&material);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    float value[4];
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, value);
    expectRGBA(value, 0.1f, 0.2f, 0.3f, 1.0f);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, value);
    expectRGBA(value, 0.4f, 0.5f, 0.6f, 1.0f);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, value);
    expectRGBA(value, 0.7f, 0.8f, 0.9f, 1.0f);
    glGetMaterialfv(GL_FRONT, GL_EMISSION, value);
    expectRGBA(value, 0.05f, 0.0f, 0.0f, 1.0f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, value);
    EXPECT_FLOAT_EQ(32.0f, value[0]);
}

TEST(MaterialApplication, BlendingMaterialStopsDepthWritesAndCullingButLeavesTheDepthTest)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    TAV_Material material;
    material.enableBlending(true);

    for (bool depthTestOn : {false, true}) {
        dirtyState();
        glDepthMask(GL_TRUE);
        if (depthTestOn)
            glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);

        TAV_RenderState::applyMaterial(&material);
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        EXPECT_FALSE(depthWritesOn());
        EXPECT_EQ(depthTestOn, bool(glIsEnabled(GL_DEPTH_TEST)));
        GLint source = 0, destination = 0;
        glGetIntegerv(GL_BLEND_SRC, &source);
        glGetIntegerv(GL_BLEND_DST, &destination);
        EXPECT_EQ(GL_SRC_ALPHA, source);
        EXPECT_EQ(GL_ONE_MINUS_SRC_ALPHA, destination);
    }
}

// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <functional>

#include "scene/TAV_Material.h"
#include "scene/TAV_RenderState.h"
#include "support/TestGLContext.h"

namespace {

using RGBA = std::array<float, 4>;

RGBA currentColour()
{
    RGBA value{};
    glGetFloatv(GL_CURRENT_COLOR, value.data());
    return value;
}

bool isOn(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

bool depthWritesOn()
{
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    return mask == GL_TRUE;
}

}  // namespace

// What applying a material (or none) leaves in OpenGL, from a state where every switch the
// procedure touches was turned the wrong way. Culling is the pass set-up's business, except
// that a blended surface may show its back; the depth test is the pass's for blended ones.
TEST(MaterialApplication, SetsColourLightingBlendingAndDepthWrites)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    const struct {
        const char* what;
        std::function<void(TAV_Material&)> setUp;  // null: no material at all
        bool depthTestBefore;
        RGBA colour;
        bool lighting, blending, depthWrites, culling, depthTest;
    } cases[] = {
        {"none", nullptr, false, {1, 1, 1, 1}, false, false, true, true, true},
        {"coloured", [](TAV_Material& m) { m.setColor(0.5f, 0.25f, 1.0f, 0.75f); }, false, {0.5f, 0.25f, 1.0f, 0.75f},
         false, false, true, true, true},
        {"three components keep the alpha", [](TAV_Material& m) { m.setAlpha(0.25f); m.setColor(0.5f, 0.5f, 0.5f); },
         false, {0.5f, 0.5f, 0.5f, 0.25f}, false, false, true, true, true},
        {"reset by init",
         [](TAV_Material& m) {
             m.setColor(0.1f, 0.2f, 0.3f, 0.4f);
             m.enableLight(true);
             m.enableBlending(true);
             m.init();
         },
         false, {1, 1, 1, 1}, false, false, true, true, true},
        {"lit", [](TAV_Material& m) { m.enableLight(true); }, false, {1, 1, 1, 1}, true, false, true, true, true},
        {"blended", [](TAV_Material& m) { m.enableBlending(true); }, false, {1, 1, 1, 1}, false, true, false, false, false},
        {"blended, depth test on", [](TAV_Material& m) { m.enableBlending(true); }, true, {1, 1, 1, 1}, false, true, false,
         false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
        glEnable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
        glDepthMask(c.depthWrites ? GL_FALSE : GL_TRUE);
        c.depthTestBefore ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_ONE, GL_ZERO);
        TAV_Material material;
        if (c.setUp)
            c.setUp(material);
        TAV_RenderState::applyMaterial(c.setUp ? &material : nullptr);
        EXPECT_EQ(c.colour, currentColour());
        EXPECT_EQ(c.lighting, isOn(GL_LIGHTING));
        EXPECT_EQ(c.blending, isOn(GL_BLEND));
        EXPECT_EQ(c.depthWrites, depthWritesOn());
        EXPECT_EQ(c.culling, isOn(GL_CULL_FACE));
        EXPECT_EQ(c.depthTest, isOn(GL_DEPTH_TEST));
        if (c.blending) {
            GLint source = 0, destination = 0;
            glGetIntegerv(GL_BLEND_SRC, &source);
            glGetIntegerv(GL_BLEND_DST, &destination);
            EXPECT_EQ(GL_SRC_ALPHA, source);
            EXPECT_EQ(GL_ONE_MINUS_SRC_ALPHA, destination);
        }
    }
}

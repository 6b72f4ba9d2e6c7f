// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>
#include <string>

#include "geometry/TAV_ObjectFactory.h"
#include "image/TAV_Texture.h"
#include "scene/TAV_Container.h"
#include "scene/TAV_DefaultPass.h"
#include "scene/TAV_DefaultRenderer.h"
#include "scene/TAV_DepthPass.h"
#include "scene/TAV_Material.h"
#include "scene/TAV_Object.h"
#include "scene/TAV_Renderer.h"
#include "support/TestGLContext.h"

namespace {

// A texture that counts how often it is made current; it never uploads a picture.
struct CountingTexture : TAV_Texture {
    int activations = 0;
    void activate() override { ++activations, TAV_Texture::activate(); }
};

// A container of unit squares facing the viewer; the newest is drawn first.
struct Squares {
    TAV_Container container;
    TAV_ObjectData* square = TAV_ObjectFactory::createPlaneData(false, false);
    Squares() { container.addObjectData(square); }

    TAV_Object* add(TAV_Material* material, TAV_ITexture* texture = nullptr, float z = -2, float scale = 1)
    {
        auto* object = new TAV_Object();
        object->setData(square);
        object->setMaterial(material);
        object->setTexture(texture);
        object->setScale(scale, scale, 1);
        object->setTranslate(0, 0, z);
        container.addObject(object);
        return object;
    }
    TAV_Material* colour(float r, float g, float b, bool blended = false)
    {
        auto* material = new TAV_Material();
        material->setColor(r, g, b);
        material->enableBlending(blended);
        container.addMaterial(material);
        return material;
    }
};

// A GL context with an orthographic view of x and y from -1 to 1 (the whole 800x600
// frame), looking down -z with the near plane at 0.1 and the far plane at 100.
class RendererFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.ok());
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1, 1, -1, 1, 0.1, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
    }
    // Clears whatever masks the last rendering left.
    void clear()
    {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    bool colourWritesOn()
    {
        GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        return mask[0] && mask[1] && mask[2] && mask[3];
    }
    float depthAt(int x, int y)
    {
        float depth = -1;
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    }

    TestGLContext gl;
};

// A big red square far away (z = -50) behind a small green one near (z = -2), drawn after
// it unless blended. The depth pass lays down depth and no colour, so the default pass
// after it shows the nearest surface even where that one is blended (writing no depth of
// its own) and drawn first; in a single pass the far square paints over a blended one.
// Empty slots and objects without a mesh are skipped.
TEST_F(RendererFrame, DepthPassThenDefaultPassShowsOnlyTheNearestSurface)
{
    enum Layout { DEPTH_THEN_DEFAULT, DEFAULT_ONLY, DEFAULT_BETWEEN_EMPTY_SLOTS, DEFAULT_RENDERER };
    for (const bool blended : {false, true}) {
        for (const Layout layout : {DEPTH_THEN_DEFAULT, DEFAULT_ONLY, DEFAULT_BETWEEN_EMPTY_SLOTS, DEFAULT_RENDERER}) {
            SCOPED_TRACE(::testing::Message() << (blended ? "blended, " : "") << "layout " << layout);
            Squares scene;
            if (!blended)
                scene.add(scene.colour(0, 1, 0));
            TAV_Object* farSquare = scene.add(scene.colour(1, 0, 0), nullptr, -50, 1.5f);
            if (blended)
                scene.add(scene.colour(0, 1, 0, true));
            scene.container.addObject(new TAV_Object());
            clear();
            TAV_Renderer renderer(layout == DEFAULT_BETWEEN_EMPTY_SLOTS ? 3 : layout == DEFAULT_ONLY ? 1 : 2);
            renderer.setPass(layout == DEFAULT_ONLY ? 0 : 1, TAV_Renderer::PASS_DEFAULT);
            if (layout == DEPTH_THEN_DEFAULT)
                renderer.setPass(0, TAV_Renderer::PASS_DEPTH);
            if (layout == DEFAULT_RENDERER)
                TAV_DefaultRenderer::getInstance()->renderContainer(&scene.container);
            else
                renderer.renderContainer(&scene.container);
            const bool paintedOver = blended && layout != DEPTH_THEN_DEFAULT;
            EXPECT_EQ(paintedOver ? 0xff0000ffu : 0x00ff00ffu, gl.pixel(400, 300));
            EXPECT_EQ(0xff0000ffu, gl.pixel(400 + 250, 300));  // around the near one, the far
            EXPECT_EQ(0x000000ffu, gl.pixel(5, 5));            // outside both, the background
            EXPECT_TRUE(colourWritesOn());

            if (layout == DEPTH_THEN_DEFAULT) {
                // Orthographic depth is linear in distance: 2 and 50 of 0.1 .. 100.
                EXPECT_NEAR((2 - 0.1) / 99.9, depthAt(400, 300), 1e-3);
                EXPECT_NEAR((50 - 0.1) / 99.9, depthAt(650, 300), 1e-3);
                EXPECT_FLOAT_EQ(1.0f, depthAt(5, 5));
                // The depth pass alone draws no colour; renderObject() draws one object
                // through every filled slot.
                clear();
                TAV_Renderer depthOnly(1);
                depthOnly.setPass(0, TAV_Renderer::PASS_DEPTH);
                depthOnly.renderContainer(&scene.container);
                EXPECT_EQ(0x000000ffu, gl.pixel(400, 300));
                EXPECT_TRUE(colourWritesOn());
                clear();
                renderer.getPass(1)->setup();
                renderer.renderObject(farSquare);
                EXPECT_EQ(0xff0000ffu, gl.pixel(400, 300));
            }
        }
    }
}

// The default renderer activates a texture shared by a run of objects once, and again after
// an untextured object breaks the run; the default pass activates it for every object.
TEST_F(RendererFrame, SharedTextureIsActivatedOncePerRunByTheRendererAndPerObjectByThePass)
{
    Squares scene;
    auto* shared = new CountingTexture();
    scene.container.addTexture(shared);
    TAV_ITexture* const textures[] = {shared, nullptr, shared, shared};
    for (TAV_ITexture* texture : textures)
        scene.add(nullptr, texture);
    TAV_DefaultRenderer::getInstance()->renderContainer(&scene.container);
    EXPECT_EQ(2, shared->activations);
    TAV_Renderer().renderContainer(&scene.container);
    EXPECT_EQ(5, shared->activations);
}

// Passes are shared and reference-counted: each filled slot holds one reference, and the
// last release destroys the pass. Bad slots are ignored, unknown types empty the slot.
TEST(RenderPasses, RenderersHoldOneReferencePerFilledSlot)
{
    ASSERT_EQ(0, TAV_DefaultPass::getInstanceCount());
    ASSERT_EQ(0, TAV_DepthPass::getInstanceCount());
    {
        TAV_Renderer single;
        EXPECT_EQ(1, TAV_DefaultPass::getInstanceCount());
        TAV_Renderer twoPass(2);
        EXPECT_EQ(nullptr, twoPass.getPass(0));
        twoPass.setPass(0, TAV_Renderer::PASS_DEPTH);
        twoPass.setPass(1, TAV_Renderer::PASS_DEFAULT);
        TAV_DepthPass* depth = TAV_DepthPass::getInstance();
        EXPECT_EQ(depth, twoPass.getPass(0));
        EXPECT_EQ(2, TAV_DepthPass::getInstanceCount());
        depth->deleteInstance();
        EXPECT_EQ(2, TAV_DefaultPass::getInstanceCount());
        EXPECT_EQ(single.getPass(0), twoPass.getPass(1));

        twoPass.setPass(5, TAV_Renderer::PASS_DEFAULT);
        twoPass.setPass(-1, TAV_Renderer::PASS_DEFAULT);
        EXPECT_EQ(2, TAV_DefaultPass::getInstanceCount());
        EXPECT_EQ(nullptr, twoPass.getPass(5));
        twoPass.setPass(0, 7);
        EXPECT_EQ(nullptr, twoPass.getPass(0));
        EXPECT_EQ(0, TAV_DepthPass::getInstanceCount());
        // Refilling a slot with the pass it holds keeps exactly one reference.
        twoPass.setPass(1, TAV_Renderer::PASS_DEFAULT);
        EXPECT_EQ(2, TAV_DefaultPass::getInstanceCount());
        twoPass.setPass(1, TAV_Renderer::PASS_DEPTH);
        EXPECT_EQ(1, TAV_DefaultPass::getInstanceCount());
        EXPECT_EQ(1, TAV_DepthPass::getInstanceCount());
    }
    EXPECT_EQ(0, TAV_DefaultPass::getInstanceCount());
    EXPECT_EQ(0, TAV_DepthPass::getInstanceCount());
    EXPECT_EQ(0, TAV_Renderer(-3).getPassCount());
}

}  // namespace

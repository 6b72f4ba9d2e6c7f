// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>
#include <string>

#include "geometry/TAV_ObjectData.h"
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

// A square of side 1 in the XY plane, facing +z, built by hand so that these tests depend
// on the mesh class only.
TAV_ObjectData* newSquare()
{
    float positions[] = {-0.5f, 0.5f, 0, -0.5f, -0.5f, 0, 0.5f, 0.5f, 0,
                         0.5f, 0.5f, 0, -0.5f, -0.5f, 0, 0.5f, -0.5f, 0};
    auto* square = new TAV_ObjectData(6, false, false);
    square->csetData(positions);
    return square;
}

TAV_Material* newColour(float r, float g, float b)
{
    auto* material = new TAV_Material();
    material->setColor(r, g, b);
    return material;
}

// A texture that counts how often it is made current; it never uploads a picture.
struct CountingTexture : TAV_Texture {
    int activations = 0;
    void activate() override
    {
        ++activations;
        TAV_Texture::activate();
    }
};

// A GL context with an orthographic view of x and y from -1 to 1 (the whole 800x600
// frame), looking down -z with the near plane at 0.1 and the far plane at 100; black, cleared.
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
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // Clears again between renderings inside one test, whatever masks they left.
    void clear()
    {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    TestGLContext gl;
};

// Adds `count` objects drawing `square` with `texture` (may be null) to `container`.
void addSquares(TAV_Container& container, TAV_ObjectData* square, TAV_ITexture* texture, int count)
{
    for (int i = 0; i < count; ++i) {
        auto* object = new TAV_Object();
        object->setData(square);
        object->setTexture(texture);
        container.addObject(object);
    }
}

// A big red square far away (z = -50) and a small green one near (z = -2), both facing
// the viewer. The near one is registered first, so it is drawn last in every pass.
struct NearAndFar {
    TAV_Container container;
    TAV_Object* nearSquare;
    TAV_Object* farSquare;

    NearAndFar()
    {
        TAV_ObjectData* square = newSquare();
        container.addObjectData(square);
        TAV_Material* red = newColour(1, 0, 0);
        TAV_Material* green = newColour(0, 1, 0);
        container.addMaterial(red);
        container.addMaterial(green);

        nearSquare = new TAV_Object();
        nearSquare->setData(square);
        nearSquare->setMaterial(green);
        nearSquare->setTranslate(0, 0, -2);
        container.addObject(nearSquare);

        farSquare = new TAV_Object();
        farSquare->setData(square);
        farSquare->setMaterial(red);
        farSquare->setScale(1.5f, 1.5f, 1);
        farSquare->setTranslate(0, 0, -50);
        container.addObject(farSquare);
    }
};

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

}  // namespace

// The depth pass lays down depth and no colour, so the default pass after it shows only
// the nearest surface, even where a blended one (which writes no depth of its own) is drawn
// before what lies behind it; in a single pass the far square would paint over it.
TEST_F(RendererFrame, DepthPassThenDefaultPassShowsOnlyTheNearestSurface)
{
    NearAndFar scene;
    TAV_Renderer depthOnly(1);
    depthOnly.setPass(0, TAV_Renderer::PASS_DEPTH);
    depthOnly.renderContainer(&scene.container);
    EXPECT_EQ(0x000000ffu, gl.pixel(400, 300));
    EXPECT_TRUE(colourWritesOn());
    // Near square at 2 of 0.1 .. 100, far at 50: orthographic depth is linear in distance.
    EXPECT_NEAR((2 - 0.1) / 99.9, depthAt(400, 300), 1e-3);
    EXPECT_NEAR((50 - 0.1) / 99.9, depthAt(650, 300), 1e-3);
    EXPECT_FLOAT_EQ(1.0f, depthAt(5, 5));

    const std::unique_ptr<TAV_Material> seeThrough(newColour(0, 1, 0));
    seeThrough->enableBlending(true);
    for (const bool blended : {false, true}) {
        for (const int passCount : {1, 2}) {
            NearAndFar scene;
            if (blended) {
                scene.nearSquare->setMaterial(seeThrough.get());
                scene.container.removeObject(scene.nearSquare);
                scene.container.addObject(scene.nearSquare);  // now drawn first
            }
            clear();
            TAV_Renderer renderer(passCount);
            renderer.setPass(passCount - 1, TAV_Renderer::PASS_DEFAULT);
            if (passCount == 2)
                renderer.setPass(0, TAV_Renderer::PASS_DEPTH);
            renderer.renderContainer(&scene.container);
            SCOPED_TRACE(::testing::Message() << (blended ? "blended, " : "") << passCount << " passes");
            // The far square shows red around the near one; outside both, the background.
            EXPECT_EQ(blended && passCount == 1 ? 0xff0000ffu : 0x00ff00ffu, gl.pixel(400, 300));
            EXPECT_EQ(0xff0000ffu, gl.pixel(400 + 250, 300));
            EXPECT_EQ(0x000000ffu, gl.pixel(5, 5));
            EXPECT_TRUE(colourWritesOn());
        }
    }
}

TEST_F(RendererFrame, EmptySlotsAndObjectsWithoutAMeshAreSkipped)
{
    NearAndFar scene;
    scene.container.addObject(new TAV_Object());

    TAV_Renderer renderer(3);
    renderer.setPass(1, TAV_Renderer::PASS_DEFAULT);
    renderer.renderContainer(&scene.container);
    EXPECT_EQ(0x00ff00ffu, gl.pixel(400, 300));
    EXPECT_EQ(0xff0000ffu, gl.pixel(650, 300));

    clear();
    TAV_DefaultRenderer::getInstance()->renderContainer(&scene.container);
    EXPECT_EQ(0x00ff00ffu, gl.pixel(400, 300));
    EXPECT_EQ(0xff0000ffu, gl.pixel(650, 300));

    // renderObject() draws the one object through every filled slot.
    clear();
    renderer.getPass(1)->setup();
    renderer.renderObject(scene.farSquare);
    EXPECT_EQ(0xff0000ffu, gl.pixel(400, 300));
}

// The default renderer caches the current texture across a container pass; the default
// pass does not, and activates it for every object.
TEST_F(RendererFrame, SharedTextureIsActivatedOncePerRunByTheRendererAndPerObjectByThePass)
{
    TAV_Container container;
    TAV_ObjectData* square = newSquare();
    container.addObjectData(square);
    auto* shared = new CountingTexture();
    container.addTexture(shared);
    addSquares(container, square, shared, 3);

    TAV_DefaultRenderer* renderer = TAV_DefaultRenderer::getInstance();
    renderer->renderContainer(&container);
    EXPECT_EQ(1, shared->activations);
    renderer->renderContainer(&container);
    EXPECT_EQ(2, shared->activations);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    TAV_Renderer defaultPass;  // one slot, holding the default pass
    defaultPass.renderContainer(&container);
    EXPECT_EQ(5, shared->activations);

    // An untextured object in between breaks the run: the next one activates again.
    addSquares(container, square, nullptr, 1);
    addSquares(container, square, shared, 1);
    renderer->renderContainer(&container);
    EXPECT_EQ(7, shared->activations);
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

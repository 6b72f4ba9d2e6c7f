// Particle swarms: ageing, respawning and the random walk, and how a textured swarm looks
// on screen (pixels read back). The demo makes no untextured swarm.
#include <gtest/gtest.h>

#include <GL/gl.h>  // Required for: projection, clear, blending, state queries

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "DemoTestSupport.h"
#include "Particle.h"
#include "geometry/TAV_ObjectData.h"
#include "image/TAV_Texture.h"
#include "math/TAV_GlibcRandom.h"
#include "math/TAV_MATH_Util.h"
#include "support/TestGLContext.h"

namespace {

const uint32_t BACKGROUND = 0x000000ffu;

// Pixel overlay with the y axis pointing down, as the demo draws its swarms.
void usePixelOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 600.0, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Window pixel of the overlay point (x, y).
uint32_t pixelAt(const TestGLContext& gl, int x, int y)
{
    return gl.pixel(x, gl.height() - 1 - y);
}

int countPixels(const std::vector<uint8_t>& frame, uint32_t rgba)
{
    int n = 0;
    for (size_t i = 0; i < frame.size(); i += 4)
        n += ((uint32_t(frame[i]) << 24) | (uint32_t(frame[i + 1]) << 16) | (uint32_t(frame[i + 2]) << 8) | frame[i + 3]) == rgba;
    return n;
}

TEST(ParticleSwarm, RespawnsPastItsLifetimeButNotAtIt)
{
    Particle swarm(2, 10000, 1.5f, 40.0f, nullptr, 1.0f, 1.0f, 1.0f, 1.0f);
    swarm.m_ages[0] = 9990;
    swarm.m_ages[1] = 9980;
    for (int i = 0; i < 4; ++i)
        swarm.m_positions[i] = 300.0f;
    TAV_MATH_Util::generator().seed(77);
    swarm.update(20);
    TAV_MATH_Util::generator().seed(77);
    // 10010 is past the lifetime: a new place, and the 10 ms overshoot kept as its age.
    EXPECT_EQ(10, swarm.m_ages[0]);
    EXPECT_EQ(TAV_MATH_Util::randomfP(800.0f), swarm.m_positions[0]);
    EXPECT_EQ(TAV_MATH_Util::randomfP(600.0f), swarm.m_positions[1]);
    // Exactly 10000 is not: the particle takes its random step.
    EXPECT_EQ(10000, swarm.m_ages[1]);
    EXPECT_EQ(300.0f + TAV_MATH_Util::randomf(1.5f) * 20.0f, swarm.m_positions[2]);
    EXPECT_EQ(300.0f + TAV_MATH_Util::randomf(1.5f) * 20.0f, swarm.m_positions[3]);
}

class ParticleDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.ok());
        usePixelOverlay();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    TestGLContext gl;
};

TEST_F(ParticleDrawing, TexturedSwarmDrawsUprightSpritesOfItsSize)
{
    // Red over blue, to tell upright from upside down.
    const uint8_t red[4] = {255, 0, 0, 255}, blue[4] = {0, 0, 255, 255};
    const std::unique_ptr<TAV_Texture> picture(demotest::twoBandTexture(red, blue));
    Particle swarm(2, 10000, 1.0f, 40.0f, picture.get(), 1.0f, 1.0f, 1.0f, 1.0f);
    ASSERT_TRUE(swarm.m_textured);
    ASSERT_NE(nullptr, swarm.m_sprite);
    swarm.m_positions[0] = 200.0f;
    swarm.m_positions[1] = 150.0f;
    swarm.m_positions[2] = 600.0f;
    swarm.m_positions[3] = 450.0f;
    swarm.draw();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    // The picture's top half shows above each particle's place, on a y-down overlay.
    EXPECT_EQ(0xff0000ffu, pixelAt(gl, 200, 140));
    EXPECT_EQ(0x0000ffffu, pixelAt(gl, 200, 160));
    EXPECT_EQ(0xff0000ffu, pixelAt(gl, 600, 440));
    EXPECT_EQ(0x0000ffffu, pixelAt(gl, 600, 460));
    // A 40-pixel square around each place.
    EXPECT_EQ(0xff0000ffu, pixelAt(gl, 181, 131));
    EXPECT_EQ(0x0000ffffu, pixelAt(gl, 218, 168));
    EXPECT_EQ(BACKGROUND, pixelAt(gl, 178, 150));
    EXPECT_EQ(BACKGROUND, pixelAt(gl, 222, 150));
    EXPECT_EQ(BACKGROUND, pixelAt(gl, 200, 128));
    EXPECT_EQ(BACKGROUND, pixelAt(gl, 200, 172));
    // Exactly two squares of 40 x 40 pixels are covered.
    EXPECT_EQ(2 * 40 * 40, 800 * 600 - countPixels(gl.readPixels(), BACKGROUND));
}

}  // namespace

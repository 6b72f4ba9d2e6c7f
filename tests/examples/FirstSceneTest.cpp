// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <string>

#include "FirstScene.h"
#include "support/TestGLContext.h"

namespace {

// What the engine's window and root scene set up around a scene's update: the window's
// perspective, then per frame a cleared frame and an identity model-view matrix.
void runFrame(FirstScene& scene, int frameTimeMs)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene.update(frameTimeMs);
}

// Where a point of the world lands in the frame, seen through the scene's camera.
void project(const FirstScene& scene, float x, int& px, int& py)
{
    glPushMatrix();
    glLoadIdentity();
    scene.getCamera().look();
    double modelview[16], projection[16], wx = 0, wy = 0, wz = 0;
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPopMatrix();
    gluProject(x, 0, 0, modelview, projection, viewport, &wx, &wy, &wz);
    px = int(wx);
    py = int(wy);
}

bool isBackground(uint32_t p)
{
    // The scene's clear colour (0.08, 0.09, 0.12).
    return std::abs(tavtest::red(p) - 20) <= 1 && std::abs(tavtest::green(p) - 23) <= 1 &&
           std::abs(tavtest::blue(p) - 31) <= 1;
}

}  // namespace

TEST(FirstScene, OneFrameShowsTheLitOctahedronAndTheTexturedCube)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    FirstScene scene;
    runFrame(scene, 500);
    // Kept in the build folder, for people to look at.
    tavtest::writeFramePNG(std::string(TAVLEN_BINARY_DIR) + "/example-frame.png", gl.width(), gl.height(),
                           gl.readPixels());
    EXPECT_TRUE(isBackground(gl.pixel(2, 2)));
    EXPECT_TRUE(isBackground(gl.pixel(gl.width() - 3, gl.height() - 3)));

    // The octahedron, left: blue and lit, from shadow to a highlight. The cube, right: both
    // colours of the checkerboard.
    int gemX = 0, gemY = 0, cubeX = 0, cubeY = 0;
    project(scene, -1.3f, gemX, gemY);
    project(scene, 1.3f, cubeX, cubeY);
    EXPECT_LT(gemX, gl.width() / 2);
    EXPECT_GT(cubeX, gl.width() / 2);
    EXPECT_GT(tavtest::blue(gl.pixel(gemX, gemY)), tavtest::red(gl.pixel(gemX, gemY)));
    int darkest = 255 * 3, brightest = 0, orange = 0, dark = 0;
    for (int dy = -30; dy <= 30; dy += 2) {
        for (int dx = -30; dx <= 30; dx += 2) {
            const uint32_t gem = gl.pixel(gemX + dx, gemY + dy);
            const int sum = tavtest::red(gem) + tavtest::green(gem) + tavtest::blue(gem);
            darkest = std::min(darkest, sum);
            brightest = std::max(brightest, sum);
            const uint32_t cube = gl.pixel(cubeX + dx, cubeY + dy);
            if (tavtest::red(cube) > 2 * tavtest::blue(cube) + 40)
                ++orange;
            else if (!isBackground(cube) && tavtest::red(cube) < 70)
                ++dark;
        }
    }
    EXPECT_GT(brightest - darkest, 60) << "no shading across the octahedron";
    EXPECT_GT(orange, 20);
    EXPECT_GT(dark, 20);

    // The passes leave colour writes on for whatever the frame draws next.
    GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
}

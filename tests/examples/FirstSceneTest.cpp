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
    const std::vector<uint8_t> frame = gl.readPixels();
    tavtest::writeFramePNG(std::string(TAVLEN_BINARY_DIR) + "/example-frame.png", gl.width(), gl.height(), frame);
    EXPECT_TRUE(isBackground(gl.pixel(2, 2)));
    EXPECT_TRUE(isBackground(gl.pixel(gl.width() - 3, gl.height() - 3)));

    // The octahedron, left: blue and lit, from shadow to a highlight. The cube, right: both
    // colours of the checkerboard.
    int darkest = 255 * 3, brightest = 0, blueish = 0, orange = 0, dark = 0;
    for (int y = 0; y < gl.height(); y += 4) {
        for (int x = 0; x < gl.width(); x += 4) {
            const uint8_t* p = &frame[(size_t(y) * size_t(gl.width()) + size_t(x)) * 4];
            const int r = p[0], g = p[1], b = p[2];
            if (isBackground(uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8))
                continue;
            if (x < gl.width() / 2) {
                blueish += b > r;
                darkest = std::min(darkest, r + g + b);
                brightest = std::max(brightest, r + g + b);
            } else {
                orange += r > 2 * b + 40;
                dark += r < 70 && r <= 2 * b + 40;
            }
        }
    }
    EXPECT_GT(blueish, 100);
    EXPECT_GT(brightest - darkest, 60) << "no shading across the octahedron";
    EXPECT_GT(orange, 20);
    EXPECT_GT(dark, 20);

    // The passes leave colour writes on for whatever the frame draws next.
    GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
}

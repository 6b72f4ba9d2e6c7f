// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>

#include "FirstScene.h"
#include "scene/TAV_Object.h"
#include "support/TestGLContext.h"

namespace {

// What the engine's window and root scene set up around a scene's update: the window's
// perspective, then per frame a cleared frame and an identity model-view matrix.
void setWindowProjection(const TestGLContext& gl)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(gl.width()) / double(gl.height()), 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
}

void runFrame(FirstScene& scene, int frameTimeMs)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene.update(frameTimeMs);
}

// Where a point of the world lands in the frame, seen through the scene's camera.
void project(const FirstScene& scene, float x, float y, float z, int& px, int& py)
{
    glPushMatrix();
    glLoadIdentity();
    scene.getCamera().look();
    double modelview[16], projection[16];
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPopMatrix();
    double wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
    px = int(wx);
    py = int(wy);
}

struct Brightness {
    int darkest = 255 * 3;
    int brightest = 0;
};

// The darkest and brightest pixel (sum of red, green, blue) in a square around (cx, cy).
Brightness brightnessAround(const TestGLContext& gl, int cx, int cy, int radiusPx)
{
    Brightness b;
    for (int y = cy - radiusPx; y <= cy + radiusPx; y += 2) {
        for (int x = cx - radiusPx; x <= cx + radiusPx; x += 2) {
            const uint32_t p = gl.pixel(x, y);
            const int sum = tavtest::red(p) + tavtest::green(p) + tavtest::blue(p);
            b.darkest = std::min(b.darkest, sum);
            b.brightest = std::max(b.brightest, sum);
        }
    }
    return b;
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
    setWindowProjection(gl);
    FirstScene scene;
    runFrame(scene, 500);
    // Kept in the build folder, for people to look at.
    tavtest::writeFramePNG(std::string(TAVLEN_BINARY_DIR) + "/example-frame.png", gl.width(), gl.height(),
                           gl.readPixels());

    EXPECT_TRUE(isBackground(gl.pixel(2, 2)));
    EXPECT_TRUE(isBackground(gl.pixel(gl.width() - 3, gl.height() - 3)));

    // The octahedron, left: blue and lit, from shadow to a highlight.
    int gemX = 0, gemY = 0;
    project(scene, -1.3f, 0.0f, 0.0f, gemX, gemY);
    EXPECT_LT(gemX, gl.width() / 2);
    const uint32_t gemCentre = gl.pixel(gemX, gemY);
    EXPECT_FALSE(isBackground(gemCentre));
    EXPECT_GT(tavtest::blue(gemCentre), tavtest::red(gemCentre));
    const Brightness gem = brightnessAround(gl, gemX, gemY, 30);
    EXPECT_GT(gem.brightest - gem.darkest, 60) << "no shading across the octahedron";

    // The cube, right: both colours of the checkerboard.
    int cubeX = 0, cubeY = 0;
    project(scene, 1.3f, 0.0f, 0.0f, cubeX, cubeY);
    EXPECT_GT(cubeX, gl.width() / 2);
    int orange = 0, dark = 0;
    for (int y = cubeY - 30; y <= cubeY + 30; y += 3) {
        for (int x = cubeX - 30; x <= cubeX + 30; x += 3) {
            const uint32_t p = gl.pixel(x, y);
            if (tavtest::red(p) > 2 * tavtest::blue(p) + 40)
                ++orange;
            else if (!isBackground(p) && tavtest::red(p) < 70)
                ++dark;
        }
    }
    EXPECT_GT(orange, 20);
    EXPECT_GT(dark, 20);

    // The passes leave colour writes on for whatever the frame draws next.
    GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
}

TEST(FirstScene, ArrowKeysMoveTheCameraWhileHeld)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    setWindowProjection(gl);
    FirstScene scene;
    const TAV_Vertex start = scene.getCamera().m_position;

    // Up for one second: two units along the viewing direction.
    scene.keyPressed(XK_Up);
    runFrame(scene, 1000);
    scene.keyReleased(XK_Up);
    runFrame(scene, 1000);
    const TAV_Vertex& direction = scene.getCamera().m_direction;
    const TAV_Vertex& moved = scene.getCamera().m_position;
    EXPECT_NEAR(start.x + 2 * direction.x, moved.x, 1e-4);
    EXPECT_NEAR(start.y + 2 * direction.y, moved.y, 1e-4);
    EXPECT_NEAR(start.z + 2 * direction.z, moved.z, 1e-4);

    // Left for half a second: one unit to the viewer's left, which is -x here.
    const TAV_Vertex before = moved;
    scene.keyPressed(XK_Left);
    runFrame(scene, 500);
    scene.keyReleased(XK_Left);
    EXPECT_NEAR(before.x - 1, scene.getCamera().m_position.x, 1e-4);
    EXPECT_NEAR(before.z, scene.getCamera().m_position.z, 1e-4);
}

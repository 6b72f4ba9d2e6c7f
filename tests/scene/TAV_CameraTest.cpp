// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>

#include "scene/TAV_Camera.h"
#include "support/TestGLContext.h"

namespace {

// Rotations go through single-precision sines and cosines of 3.141593-based radians.
void expectNear(const TAV_Vertex& expected, const TAV_Vertex& actual, const char* what)
{
    EXPECT_NEAR(expected.x, actual.x, 1e-5f) << what;
    EXPECT_NEAR(expected.y, actual.y, 1e-5f) << what;
    EXPECT_NEAR(expected.z, actual.z, 1e-5f) << what;
}

}  // namespace

// A new camera stands at the origin looking down -z with +y up; it moves along its own
// axes and turns about them. The up vector is kept as given, unnormalised.
TEST(Camera, MovesAndTurnsAboutItsOwnAxes)
{
    const struct {
        const char* what;
        std::function<void(TAV_Camera&)> act;
        TAV_Vertex position, direction, up;
    } cases[] = {
        {"new", [](TAV_Camera&) {}, {0, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {"up by the stored vector", [](TAV_Camera& c) { c.setUpVector(0, 3, 0), c.up(1); }, {0, 3, 0}, {0, 0, -1}, {0, 3, 0}},
        // Facing -x with +y up, the viewer's left is +z; the turn is about the unit up vector.
        {"head, move, strafe",
         [](TAV_Camera& c) { c.setPosition(1, 2, 3), c.setUpVector(0, 2, 0), c.head(90), c.move(2), c.strafe(0.5f); },
         {-1, 2, 3.5f}, {-1, 0, 0}, {0, 2, 0}},
        {"pitch", [](TAV_Camera& c) { c.pitch(90); }, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {"bank", [](TAV_Camera& c) { c.bank(90); }, {0, 0, 0}, {0, 0, -1}, {1, 0, 0}},
        // Pitch first, then the world turn: the up vector leaves the vertical plane of -z.
        {"mouse both ways", [](TAV_Camera& c) { c.mouseMove(90, 90); }, {0, 0, 0}, {0, 1, 0}, {1, 0, 0}},
        {"direction normalised", [](TAV_Camera& c) { c.setDirection(0, 0, -5); }, {0, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {"zero direction stays zero", [](TAV_Camera& c) { c.setDirection(0, 0, 0); }, {0, 0, 0}, {0, 0, 0}, {0, 1, 0}},
    };
    for (const auto& c : cases) {
        TAV_Camera camera;
        c.act(camera);
        expectNear(c.position, camera.m_position, c.what);
        expectNear(c.direction, camera.m_direction, c.what);
        expectNear(c.up, camera.m_up, c.what);
    }
}

TEST(CameraLook, MultipliesTheViewThatShiftsTheWorldTheOtherWay)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -1);  // look() multiplies; it does not load
    TAV_Camera camera;
    camera.setPosition(1, 2, 3);
    camera.look();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(i % 5 == 0 ? 1.0f : 0.0f, m[i], 1e-6f) << "element " << i;
    EXPECT_NEAR(-1, m[12], 1e-5f);
    EXPECT_NEAR(-2, m[13], 1e-5f);
    EXPECT_NEAR(-4, m[14], 1e-5f);
}

// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "scene/TAV_Camera.h"
#include "support/TestGLContext.h"

namespace {

// Rotations go through single-precision sines and cosines of 3.141593-based radians.
const float ROUNDING = 1e-5f;

void expectVertex(float x, float y, float z, const TAV_Vertex& v)
{
    EXPECT_NEAR(x, v.x, ROUNDING);
    EXPECT_NEAR(y, v.y, ROUNDING);
    EXPECT_NEAR(z, v.z, ROUNDING);
}

}  // namespace

TEST(Camera, StartsAtTheOriginLookingDownMinusZWithYUp)
{
    TAV_Camera camera;
    expectVertex(0, 0, 0, camera.m_position);
    expectVertex(0, 0, -1, camera.m_direction);
    expectVertex(0, 1, 0, camera.m_up);
}

TEST(Camera, MovesAlongItsOwnAxes)
{
    TAV_Camera strafing;
    strafing.strafe(1);
    expectVertex(-1, 0, 0, strafing.m_position);

    TAV_Camera moving;
    moving.move(1);
    expectVertex(0, 0, -1, moving.m_position);

    TAV_Camera rising;
    rising.up(2);
    expectVertex(0, 2, 0, rising.m_position);

    // Up moves by the up vector as stored, unnormalised.
    rising.setUpVector(0, 3, 0);
    rising.up(1);
    expectVertex(0, 5, 0, rising.m_position);
}

TEST(Camera, MovementFollowsTheTurnedDirection)
{
    TAV_Camera camera;
    camera.setPosition(1, 2, 3);
    camera.head(90);  // turned to face -x
    expectVertex(-1, 0, 0, camera.m_direction);
    camera.move(2);
    expectVertex(-1, 2, 3, camera.m_position);
    camera.strafe(1);  // facing -x with +y up, the viewer's left is +z
    expectVertex(-1, 2, 4, camera.m_position);
}

TEST(Camera, PitchNinetyLooksStraightUp)
{
    TAV_Camera camera;
    camera.pitch(90);
    expectVertex(0, 1, 0, camera.m_direction);
    expectVertex(0, 0, 1, camera.m_up);
}

TEST(Camera, BankRollsTheUpVectorAboutTheDirection)
{
    TAV_Camera camera;
    camera.bank(90);
    expectVertex(0, 0, -1, camera.m_direction);
    expectVertex(1, 0, 0, camera.m_up);
}

TEST(Camera, MouseMoveTurnsAboutTheWorldVertical)
{
    TAV_Camera camera;
    camera.mouseMove(90, 0);
    expectVertex(-1, 0, 0, camera.m_direction);
    expectVertex(0, 1, 0, camera.m_up);

    // Pitch first, then the world turn: the up vector leaves the vertical plane of -z.
    TAV_Camera tilted;
    tilted.mouseMove(90, 90);
    expectVertex(0, 1, 0, tilted.m_direction);
    expectVertex(1, 0, 0, tilted.m_up);
}

TEST(Camera, HeadTurnsAboutTheUpDirectionWhateverItsLength)
{
    TAV_Camera camera;
    camera.setUpVector(0, 2, 0);
    camera.head(90);
    expectVertex(-1, 0, 0, camera.m_direction);
    expectVertex(0, 2, 0, camera.m_up);
}

TEST(Camera, DirectionIsNormalisedButUpIsNot)
{
    TAV_Camera camera;
    camera.setDirection(0, 0, -5);
    expectVertex(0, 0, -1, camera.m_direction);
    camera.setDirection(0, 0, 0);
    expectVertex(0, 0, 0, camera.m_direction);
    EXPECT_FALSE(std::isnan(camera.m_direction.x));
    camera.setUpVector(0, 4, 3);
    expectVertex(0, 4, 3, camera.m_up);
}

TEST(CameraLook, NewCameraGivesTheIdentityAndAMovedOneShiftsTheWorldTheOtherWay)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    TAV_Camera().look();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(i % 5 == 0 ? 1.0f : 0.0f, m[i], 1e-6f) << "element " << i;

    glTranslatef(0, 0, -1);  // look() multiplies; it does not load
    TAV_Camera camera;
    camera.setPosition(1, 2, 3);
    camera.look();
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(-1, m[12], 1e-5f);
    EXPECT_NEAR(-2, m[13], 1e-5f);
    EXPECT_NEAR(-4, m[14], 1e-5f);
}

// The LED figure's sphere-mapped picture (pixels read back, the frame written to PNG). Which
// LEDs each pattern lights, and the figure's breathing, are drawn in the timeline's frames.
#include <gtest/gtest.h>

#include <GL/gl.h>   // Required for: matrices, state queries
#include <GL/glu.h>  // Required for: gluPerspective()
#include <unistd.h>  // Required for: chdir()

#include <vector>

#include "CowQube.h"
#include "image/TAV_Texture.h"
#include "support/TestFiles.h"
#include "support/TestGLContext.h"

namespace {

TEST(CowQube, BreathingFigureReflectsTheCowPicture)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    ASSERT_EQ(0, chdir(TAVLEN_BINARY_DIR)) << "the build folder holds the generated data/";
    CowQube cube;
    // The view the demo shows the figure in: the window's perspective, figure 20 units away.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -20.0f);
    glClearColor(0.15f, 0.15f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    cube.m_zoom = 1.0f;
    cube.m_zoomIn = true;
    cube.draw(0);
    const std::vector<uint8_t> frame = gl.readPixels();
    ASSERT_TRUE(tavtest::writeFramePNG(tavtest::framePath("cowqube.png"), gl.width(), gl.height(), frame));
    // The figure is drawn in white; sphere-mapped, the dusk picture shows on it instead.
    int figure = 0, white = 0;
    for (size_t i = 0; i < frame.size(); i += 4) {
        if (frame[i] == 38 && frame[i + 1] == 38 && frame[i + 2] == 51)
            continue;  // the background
        ++figure;
        white += frame[i] > 230 && frame[i + 1] > 230 && frame[i + 2] > 230;
    }
    EXPECT_GT(figure, 20000);
    EXPECT_LT(white, figure / 4);
    // Sphere mapping is switched off again, texturing stays on for what follows.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_CULL_FACE));
}

}  // namespace

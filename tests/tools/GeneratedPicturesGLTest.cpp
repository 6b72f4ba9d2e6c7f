// The generated pictures through the engine's own PNG loader, under a real OpenGL context:
// the textures the demo gets, the logo's mipmap chain, and the opening frame composed from
// them the way the demo draws it.
#include <gtest/gtest.h>

#include "support/TestFiles.h"
#include "support/TestGLContext.h"

#include <GL/gl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "image/TAV_PNGLoader.h"
#include "image/TAV_Texture.h"
#include "tools/AssetFiles.h"

namespace {

std::unique_ptr<TAV_Texture> load(const std::string& name, bool mipmap)
{
    const std::string path = assets::dataDir() + "/" + name;
    return std::unique_ptr<TAV_Texture>(TAV_PNGLoader::loadPNG(path.c_str(), mipmap));
}

GLint levelParameter(int level, GLenum parameter)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

// A textured rectangle centred on (x, y), the picture upright under a y-down projection.
void quad(float x, float y, float w, float h, float s0 = 0.0f, float s1 = 1.0f)
{
    glBegin(GL_QUADS);
    glTexCoord2f(s0, s0);
    glVertex2f(x - w / 2, y - h / 2);
    glTexCoord2f(s1, s0);
    glVertex2f(x + w / 2, y - h / 2);
    glTexCoord2f(s1, s1);
    glVertex2f(x + w / 2, y + h / 2);
    glTexCoord2f(s0, s1);
    glVertex2f(x - w / 2, y + h / 2);
    glEnd();
}

int brightness(uint32_t pixel) { return (tavtest::red(pixel) + tavtest::green(pixel) + tavtest::blue(pixel)) / 3; }

}  // namespace

TEST(GeneratedPicturesGL, TheLoaderGivesEveryPictureItsSizeAndItsAlpha)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    for (const assets::ExpectedPicture& e : assets::PICTURES) {
        SCOPED_TRACE(e.file);
        const std::unique_ptr<TAV_Texture> texture = load(e.file, false);
        ASSERT_NE(nullptr, texture);
        EXPECT_EQ(e.width, texture->getWidth());
        EXPECT_EQ(e.height, texture->getHeight());
        EXPECT_EQ(e.width, levelParameter(0, GL_TEXTURE_WIDTH));
        EXPECT_EQ(e.height, levelParameter(0, GL_TEXTURE_HEIGHT));
        if (e.channels == 4)
            EXPECT_GT(levelParameter(0, GL_TEXTURE_ALPHA_SIZE), 0);
        else
            EXPECT_EQ(0, levelParameter(0, GL_TEXTURE_ALPHA_SIZE));
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    }
}

TEST(GeneratedPicturesGL, TheLogosMipmapChainKeepsItsShapeDownToLevelSix)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    const std::unique_ptr<TAV_Texture> logo = load("o14_logo.png", true);
    ASSERT_NE(nullptr, logo);
    int levels = 0;
    while (levels < 16 && levelParameter(levels, GL_TEXTURE_WIDTH) > 0)
        ++levels;
    EXPECT_EQ(10, levels);  // 512, 256, ..., 1
    // The opening shows levels 5 and 6 first: an 8 x 8 blot that is dark in the middle
    // and clear at the edges.
    ASSERT_EQ(8, levelParameter(6, GL_TEXTURE_WIDTH));
    std::vector<uint8_t> level6(8 * 8 * 4);
    glGetTexImage(GL_TEXTURE_2D, 6, GL_RGBA, GL_UNSIGNED_BYTE, level6.data());
    int most = 0;
    for (size_t i = 3; i < level6.size(); i += 4)
        most = std::max(most, int(level6[i]));
    EXPECT_GT(most, 128);
    EXPECT_LT(level6[3], 16);                   // top-left texel
    EXPECT_LT(level6[level6.size() - 1], 16);   // bottom-right texel
}

TEST(GeneratedPicturesGL, TheOpeningFrameShowsTheLogoAsABlackSilhouetteOnWhite)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    const std::unique_ptr<TAV_Texture> logo = load("o14_logo.png", true);
    const std::unique_ptr<TAV_Texture> lens = load("lens03.png", false);
    const std::unique_ptr<TAV_Texture> pennant = load("pennant.png", false);
    ASSERT_TRUE(logo && lens && pennant);

    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-400, 400, 300, -300, -1, 1);  // pixels around the centre, y down
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // As at 10.5 s: sixteen layers of the sharp logo, black at 20 %, 640 x 480.
    logo->activate();
    glColor4f(0, 0, 0, 0.2f);
    for (int layer = 0; layer < 16; ++layer)
        quad(0, 0, 640, 480);
    // The lens, clamped, its middle third filling 500 x 500 of a 1500-pixel quad.
    lens->setTexWrapParametri(0x812F, 0x812F);  // GL_CLAMP_TO_EDGE
    lens->activate();
    glColor4f(1, 1, 1, 1);
    quad(0, 0, 1500, 1500, -1.0f, 2.0f);
    pennant->activate();
    quad(-270, 200, 256, 128);
    EXPECT_TRUE(tavtest::writeFramePNG(tavtest::framePath("opening.png"), gl.width(), gl.height(), gl.readPixels()));

    // The head (upper middle) is black, the frame's corners stay white: the lens's
    // clamped edge adds nothing there.
    EXPECT_LT(brightness(gl.pixel(400, 600 - 237)), 40);
    EXPECT_GT(brightness(gl.pixel(5, 595)), 250);
    EXPECT_GT(brightness(gl.pixel(795, 5)), 250);
    // The word under the head reads as letters: the row through it alternates between
    // black strokes and white gaps.
    int changes = 0;
    bool dark = false;
    for (int x = 100; x < 700; ++x) {
        const bool nowDark = brightness(gl.pixel(x, 600 - 420)) < 100;
        if (nowDark != dark)
            ++changes;
        dark = nowDark;
    }
    EXPECT_GE(changes, 8);
}

// HeadsUpLine: the line's text, and drawing it as the root scene's overlay: dark backing and
// light glyphs inside the letterbox band, and every piece of OpenGL state as it was before.
#include <gtest/gtest.h>

#include "support/TestGLContext.h"

#include <GL/gl.h>

#include <string>
#include <vector>

#include "HeadsUpLine.h"

namespace {

struct FixedSource : HeadsUpLine::Source {
    HeadsUpLine::Reading reading;
    void readHeadsUp(HeadsUpLine::Reading& r) const override { r = reading; }
};

// The line, and the typed time's line after a newline when there is one.
std::string textOf(const HeadsUpLine::Reading& reading)
{
    char text[HeadsUpLine::MAX_TEXT];
    char typed[HeadsUpLine::MAX_TEXT];
    HeadsUpLine::format(reading, text);
    HeadsUpLine::formatTyped(reading, typed);
    return typed[0] ? std::string(text) + "\n" + typed : std::string(text);
}

// Everything the demo's effects set and carry from one frame to the next, as numbers.
std::vector<float> stateDump()
{
    std::vector<float> dump;
    for (GLenum capability : {GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND, GL_SCISSOR_TEST, GL_CULL_FACE, GL_LIGHTING,
                              GL_COLOR_MATERIAL, GL_ALPHA_TEST, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_POINT_SMOOTH})
        dump.push_back(glIsEnabled(capability));
    for (GLenum query : {GL_BLEND_SRC, GL_BLEND_DST, GL_CURRENT_COLOR, GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX,
                         GL_TEXTURE_MATRIX, GL_MATRIX_MODE, GL_TEXTURE_BINDING_2D, GL_VIEWPORT, GL_SCISSOR_BOX,
                         GL_POLYGON_MODE, GL_COLOR_WRITEMASK, GL_DEPTH_WRITEMASK, GL_SHADE_MODEL, GL_COLOR_CLEAR_VALUE,
                         GL_POINT_SIZE, GL_MODELVIEW_STACK_DEPTH, GL_PROJECTION_STACK_DEPTH, GL_ATTRIB_STACK_DEPTH}) {
        GLfloat values[16] = {};
        glGetFloatv(query, values);
        dump.insert(dump.end(), values, values + 16);
    }
    GLint envMode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    dump.push_back(float(envMode));
    return dump;
}

}  // namespace

TEST(HeadsUpLine, ShowsTimeSectionSpeedStateFrameTimeAndATypedTime)
{
    HeadsUpLine::Reading preRoll;
    preRoll.loadTimeMs = 3456;
    preRoll.frameTimeMs = 16.66;
    preRoll.framesPerSecond = 60;
    HeadsUpLine::Reading section = preRoll;
    section.inPreRoll = false;
    section.musicTimeMs = 32512;
    section.speedLabel = "0.5x";
    section.paused = true;
    HeadsUpLine::Reading closing = section;
    closing.musicTimeMs = 60000;
    closing.heldAtEnd = true;
    HeadsUpLine::Reading typing = section;
    typing.typed = "41.6";
    const struct {
        HeadsUpLine::Reading reading;
        const char* text;
    } cases[] = {
        {preRoll, "pre-roll 3456 ms  1x  playing  frame 16.7 ms  60 fps"},
        {section, "32512 ms  section 28: 32250-33000  0.5x  paused  frame 16.7 ms  60 fps"},
        {closing, "60000 ms  closing from 52743  0.5x  at end  frame 16.7 ms  60 fps"},
        {typing, "32512 ms  section 28: 32250-33000  0.5x  paused  frame 16.7 ms  60 fps\ngo to 41.6_"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, textOf(c.reading));
    EXPECT_EQ(1, HeadsUpLine::scaleFor(800));
    EXPECT_EQ(2, HeadsUpLine::scaleFor(960));
    EXPECT_EQ(3, HeadsUpLine::scaleFor(1440));
    // The longest line there is fits the band at its scale.
    HeadsUpLine::Reading longest = closing;
    longest.musicTimeMs = 44000;
    longest.speedLabel = "0.25x";
    longest.frameTimeMs = 1234.5;
    longest.framesPerSecond = 999;
    EXPECT_EQ("44000 ms  section 42: 42743-44743  0.25x  at end  frame 1234.5 ms  999 fps", textOf(longest));
    EXPECT_LE(int(textOf(longest).size()), 76);
    EXPECT_EQ(3, HeadsUpLine::scaleFor(4000));
}

TEST(HeadsUpLine, DrawsInTheBandOnADarkBackingAndLeavesTheGLStateAsItFoundIt)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    FixedSource source;
    source.reading.inPreRoll = false;
    source.reading.musicTimeMs = 32512;
    HeadsUpLine line(source);

    // A state as a frame of the demo leaves it: all of it unlike the line's own.
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 44, 800, 512);
    glViewport(10, 20, 300, 200);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glPointSize(7.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1, 2, -3, 4, -5, 6);
    glMatrixMode(GL_TEXTURE);
    glScalef(2.0f, 3.0f, 1.0f);
    const std::vector<float> before = stateDump();
    const uint32_t grey = gl.pixel(5, 52);

    line.update(16);
    EXPECT_EQ(grey, gl.pixel(5, 52)) << "hidden: nothing drawn";
    line.setVisible(true);
    line.update(16);
    EXPECT_EQ(before, stateDump());

    // The backing's corner, a light glyph pixel in the first glyph's row, and the bar below
    // the band untouched.
    const uint32_t backing = gl.pixel(5, 52);
    EXPECT_LT(backing >> 24, 0x30u) << std::hex << backing;
    int lightPixels = 0;
    for (int x = 0; x < 400; ++x)
        lightPixels += (gl.pixel(x, 54) >> 24) > 0xc0;
    EXPECT_GT(lightPixels, 10);
    EXPECT_EQ(grey, gl.pixel(5, 40));
    glDeleteTextures(1, &texture);
}

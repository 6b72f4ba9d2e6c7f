// GLTextureState: reads back what OpenGL holds for the bound 2D texture, for the texture
// and PNG loader tests, and draws the bound texture on a screen rectangle to look at.
// Needs a current context (TestGLContext); the readers only read, so the state a test
// checks is the state the engine left.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <vector>

namespace imagetest {

inline GLuint boundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return GLuint(name);
}

inline GLint texParameter(GLenum parameter)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

inline GLfloat texParameterf(GLenum parameter)
{
    GLfloat value = 0;
    glGetTexParameterfv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

inline GLint levelParameter(int level, GLenum parameter)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

inline GLint matrixMode()
{
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    return mode;
}

inline std::array<GLfloat, 16> textureMatrix()
{
    std::array<GLfloat, 16> matrix{};
    glGetFloatv(GL_TEXTURE_MATRIX, matrix.data());
    return matrix;
}

inline std::array<GLfloat, 16> scaleMatrix(float s, float t)
{
    return {s, 0, 0, 0, 0, t, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

// The bytes of one level of the bound texture, rows packed, row t = 0 first.
inline std::vector<uint8_t> texImage(int level, GLenum format)
{
    const int channels = format == GL_RGBA ? 4 : 3;
    std::vector<uint8_t> bytes(size_t(levelParameter(level, GL_TEXTURE_WIDTH)) *
                               size_t(levelParameter(level, GL_TEXTURE_HEIGHT)) * size_t(channels));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

// Number of mipmap levels that hold an image, counted from level 0.
inline int levelCount()
{
    int levels = 0;
    while (levels < 32 && levelParameter(levels, GL_TEXTURE_WIDTH) > 0)
        ++levels;
    return levels;
}

// Texture names generated after `probe` that are texture objects: a texture object left
// behind by a failed load would be among the next few names.
inline int textureObjectsAfter(GLuint probe)
{
    int objects = 0;
    for (GLuint name = probe + 1; name <= probe + 8; ++name)
        objects += glIsTexture(name) ? 1 : 0;
    return objects;
}

// Draws the bound texture (replacing the colour) on the rectangle from (x0, y0) to (x1, y1)
// in window pixels, texture coordinate (0, 0) at (x0, y0) and (1, 1) at (x1, y1). With
// `yDown`, y grows down the window, as in the demo's overlay projection.
inline void drawTexturedRect(int windowWidth, int windowHeight, bool yDown, float x0, float y0, float x1, float y1)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (yDown)
        glOrtho(0, windowWidth, windowHeight, 0, -1, 1);
    else
        glOrtho(0, windowWidth, 0, windowHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(x0, y0);
    glTexCoord2f(1, 0); glVertex2f(x1, y0);
    glTexCoord2f(1, 1); glVertex2f(x1, y1);
    glTexCoord2f(0, 1); glVertex2f(x0, y1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

}  // namespace imagetest

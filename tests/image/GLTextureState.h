// GLTextureState: reads back what OpenGL holds for the bound 2D texture, for the texture
// and PNG loader tests. Needs a current context; the readers only read, so the state a test
// checks is the state the engine left.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <vector>

namespace imagetest {

inline GLint intState(GLenum name) { GLint v = 0; glGetIntegerv(name, &v); return v; }
inline GLint texParameter(GLenum parameter) { GLint v = 0; glGetTexParameteriv(GL_TEXTURE_2D, parameter, &v); return v; }
inline GLfloat texParameterf(GLenum parameter) { GLfloat v = 0; glGetTexParameterfv(GL_TEXTURE_2D, parameter, &v); return v; }
inline GLint levelParameter(int level, GLenum parameter)
{
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &v);
    return v;
}

// The texture matrix, and the one a texture scaled by (s, t) loads.
inline std::array<GLfloat, 16> textureMatrix()
{
    std::array<GLfloat, 16> matrix{};
    glGetFloatv(GL_TEXTURE_MATRIX, matrix.data());
    return matrix;
}
inline std::array<GLfloat, 16> scaleMatrix(float s, float t) { return {s, 0, 0, 0, 0, t, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

// The bytes of one level of the bound texture, rows packed, row t = 0 first.
inline std::vector<uint8_t> texImage(int level, GLenum format)
{
    std::vector<uint8_t> bytes(size_t(levelParameter(level, GL_TEXTURE_WIDTH)) *
                               size_t(levelParameter(level, GL_TEXTURE_HEIGHT)) * (format == GL_RGBA ? 4u : 3u));
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

// Runs `load`, which must be refused, and checks that it left no texture object behind
// among the names OpenGL would have handed out next.
template <class Load>
inline int textureObjectsLeftBy(Load load)
{
    GLuint probe = 0;
    glGenTextures(1, &probe);
    load();
    int objects = 0;
    for (GLuint name = probe + 1; name <= probe + 8; ++name)
        objects += glIsTexture(name) ? 1 : 0;
    glDeleteTextures(1, &probe);
    return objects;
}

}  // namespace imagetest

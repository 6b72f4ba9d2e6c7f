// TAV_GLLimits: the sizes the OpenGL driver accepts, and textures defined with a check.
//
// read() takes GL_MAX_TEXTURE_SIZE and GL_MAX_VIEWPORT_DIMS once a context is current
// (TAV_Window::createWin does it). The picture is never rendered larger than
// largestPictureWidthPx() x largestPictureHeightPx() (TAV_FrameMapping), so every texture
// that holds a copy of it can exist and every viewport on it is honoured as asked.
// defineTexture2D says whether the driver really gave a texture its storage: a size is only
// recorded for a texture that exists, and copies never reach past what was recorded.
// Static members only; main thread, with the context current.
#pragma once

#include <GL/gl.h>  // Required for: GLenum, GLint

class TAV_GLLimits {
public:
    // Reads the limits of the current context (and applies m_testLimitPx).
    static void read();
    // Largest texture side, in pixels; 0 before read().
    static int maxTextureSizePx() { return m_maxTextureSizePx; }
    // Largest viewport, in pixels; 0 before read().
    static int maxViewportWidthPx() { return m_maxViewportWidthPx; }
    static int maxViewportHeightPx() { return m_maxViewportHeightPx; }
    // The largest picture that can be rendered, copied into a texture and drawn through one
    // viewport; 0 (no limit known) before read().
    static int largestPictureWidthPx();
    static int largestPictureHeightPx();
    // Whether textures of any size exist (OpenGL 2.0, or the ARB extension before it).
    static bool hasNonPowerOfTwoTextures();

    // Defines level 0 of the texture bound to GL_TEXTURE_2D as widthPx x heightPx with
    // undefined contents (GL_UNSIGNED_BYTE texels of `format`). True when the driver accepts
    // the size (a proxy texture asks first) and gave it storage (no GL error). On false the
    // caller records no size. GL errors raised before the call are logged, not lost.
    static bool defineTexture2D(GLint internalFormat, int widthPx, int heightPx, GLenum format);
    // Sets the widthPx x heightPx corner of the bound GL_TEXTURE_2D's level 0 to zero, RGBA
    // bytes, in strips from a small static block: no memory the size of the texture is
    // needed, so it may also run in a frame.
    static void clearTexture2D(int widthPx, int heightPx);

    // Tests only: pretends the driver allows no more than this many pixels per side, for
    // textures and viewports alike; 0, the default, keeps the driver's own limits. Takes
    // effect at the next read().
    static int m_testLimitPx;

private:
    static int m_maxTextureSizePx;
    static int m_maxViewportWidthPx;
    static int m_maxViewportHeightPx;
};

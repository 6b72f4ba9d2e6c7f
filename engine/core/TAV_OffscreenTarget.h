// TAV_OffscreenTarget: an off-screen framebuffer that frames are drawn into instead of the
// window, for drivers that read their frames back (the deterministic player, the capture).
//
// Its size is fixed at creation and nothing on the display can change what it holds: not the
// window's size, not a window manager, not windows on top. Its colour and depth formats copy
// the window's (alpha and depth bits), so a frame drawn here is bit for bit the frame the
// window would have shown. Needs OpenGL 3.0 or GL_ARB_framebuffer_object / GL_EXT_
// framebuffer_object; create() says false where the context has none of them.
// Owned by TAV_Window; the GL context must be current for every call. Main thread only.
#pragma once

#include <GL/gl.h>  // Required for: GLuint, GLenum

class TAV_OffscreenTarget {
public:
    // Builds a widthPx x heightPx framebuffer and binds it for drawing and reading. Returns
    // false, with nothing left behind, when the context offers no framebuffer objects or the
    // driver refuses the size.
    bool create(int widthPx, int heightPx);
    // Deletes the framebuffer and binds the window's own again. Safe without create().
    void destroy();
    bool isActive() const { return m_framebuffer != 0; }
    int width() const { return m_widthPx; }
    int height() const { return m_heightPx; }
    // The buffer glReadPixels reads the frame from while this target is bound.
    static const GLenum READ_BUFFER;

private:
    GLuint m_framebuffer = 0;
    GLuint m_colour = 0;  // renderbuffers
    GLuint m_depth = 0;
    int m_widthPx = 0;
    int m_heightPx = 0;
};

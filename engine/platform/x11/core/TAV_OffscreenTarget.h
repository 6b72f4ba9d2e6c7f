// TAV_OffscreenTarget: an off-screen drawable that frames are drawn into instead of the
// window, for drivers that read their frames back (the deterministic player, the capture).
//
// Its size is fixed at creation and nothing on the display can change what it holds: not the
// window's size, not a window manager, not windows on top. Two kinds, tried in this order:
// - a GLX pbuffer of the window's own configuration: drawn exactly as the window is, bit for
//   bit (drivers such as Mesa rasterise window-system drawables upside down relative to
//   framebuffer objects, which moves a few edge pixels and roundings by one level);
// - a framebuffer object (OpenGL 3.0, GL_ARB_ or GL_EXT_framebuffer_object) with the
//   window's colour and depth precision, where the server offers no pbuffer.
// Owned by TAV_Window; create() and destroy() need the window's context. Main thread only.
#pragma once

#include <GL/glx.h>  // Required for: GLXPbuffer, GLXContext (brings Xlib and GL)

class TAV_OffscreenTarget {
public:
    // Builds a widthPx x heightPx drawable for `ctx` (made from `visual`, current on `win`)
    // and makes it the one drawn and read. Returns false, with nothing left behind and the
    // window still current, when neither kind can be had at that size.
    bool create(Display* dpy, XVisualInfo* visual, GLXContext ctx, int widthPx, int heightPx);
    // Deletes the drawable; the window's context is then current on no drawable. Safe without
    // create().
    void destroy();
    bool isActive() const { return m_pbuffer != 0 || m_framebuffer != 0; }
    // "pbuffer" or "framebuffer object", for the log.
    const char* kind() const { return m_pbuffer ? "pbuffer" : "framebuffer object"; }
    // The buffer glReadPixels reads the frame from while this target is current.
    GLenum readBuffer() const;

private:
    bool createPbuffer(XVisualInfo* visual, int widthPx, int heightPx);
    bool createFramebuffer(int widthPx, int heightPx);

    Display* m_dpy = nullptr;
    GLXContext m_ctx = nullptr;
    GLXPbuffer m_pbuffer = 0;
    bool m_doubleBuffered = false;  // of the pbuffer
    GLuint m_framebuffer = 0;
    GLuint m_colour = 0;  // texture
    GLuint m_depth = 0;   // renderbuffer
};

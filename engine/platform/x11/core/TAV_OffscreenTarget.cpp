#include "core/TAV_OffscreenTarget.h"

#include <GL/glext.h>  // Required for: the framebuffer object enums and function types
#include <GL/glx.h>    // Required for: glXGetProcAddressARB()

#include <cstdio>   // Required for: sscanf()
#include <cstring>  // Required for: strstr()

namespace {

// Framebuffer objects are OpenGL 3.0 (or an extension before it): libGL need not export
// them, so they are fetched from the driver, under the core names or the EXT ones.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
};
FramebufferCalls gl;

template <class Function>
bool lookUp(Function& function, const char* name, const char* suffix)
{
    char full[64];
    std::snprintf(full, sizeof(full), "%s%s", name, suffix);
    function = reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(full)));
    return function != nullptr;
}

bool hasExtension(const char* name)
{
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!list)
        return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + length, name)) {
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    }
    return false;
}

bool loadCalls()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    const bool core = (version && std::sscanf(version, "%d", &major) == 1 && major >= 3)
        || hasExtension("GL_ARB_framebuffer_object");
    const char* suffix = core ? "" : "EXT";
    if (!core && !hasExtension("GL_EXT_framebuffer_object"))
        return false;
    return lookUp(gl.genFramebuffers, "glGenFramebuffers", suffix)
        && lookUp(gl.deleteFramebuffers, "glDeleteFramebuffers", suffix)
        && lookUp(gl.bindFramebuffer, "glBindFramebuffer", suffix)
        && lookUp(gl.genRenderbuffers, "glGenRenderbuffers", suffix)
        && lookUp(gl.deleteRenderbuffers, "glDeleteRenderbuffers", suffix)
        && lookUp(gl.bindRenderbuffer, "glBindRenderbuffer", suffix)
        && lookUp(gl.renderbufferStorage, "glRenderbufferStorage", suffix)
        && lookUp(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer", suffix)
        && lookUp(gl.framebufferTexture2D, "glFramebufferTexture2D", suffix)
        && lookUp(gl.checkFramebufferStatus, "glCheckFramebufferStatus", suffix);
}

}  // namespace

bool TAV_OffscreenTarget::create(Display* dpy, XVisualInfo* visual, GLXContext ctx, int widthPx, int heightPx)
{
    destroy();
    if (widthPx <= 0 || heightPx <= 0)
        return false;
    m_dpy = dpy;
    m_ctx = ctx;
    return createPbuffer(visual, widthPx, heightPx) || createFramebuffer(widthPx, heightPx);
}

void TAV_OffscreenTarget::destroy()
{
    if (m_pbuffer) {
        glXMakeContextCurrent(m_dpy, None, None, nullptr);
        glXDestroyPbuffer(m_dpy, m_pbuffer);
    }
    if (m_framebuffer) {
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteFramebuffers(1, &m_framebuffer);
    }
    if (m_colour)
        glDeleteTextures(1, &m_colour);
    if (m_depth)
        gl.deleteRenderbuffers(1, &m_depth);
    m_pbuffer = 0;
    m_framebuffer = m_colour = m_depth = 0;
}

GLenum TAV_OffscreenTarget::readBuffer() const
{
    if (m_framebuffer)
        return GL_COLOR_ATTACHMENT0;
    return m_doubleBuffered ? GL_BACK : GL_FRONT;
}

bool TAV_OffscreenTarget::createPbuffer(XVisualInfo* visual, int widthPx, int heightPx)
{
    int major = 0, minor = 0;
    if (!glXQueryVersion(m_dpy, &major, &minor) || (major == 1 && minor < 3))
        return false;
    // The configuration the window's visual stands for, so the context can draw into both.
    int count = 0;
    GLXFBConfig* configs = glXGetFBConfigs(m_dpy, visual->screen, &count);
    GLXFBConfig match = nullptr;
    for (int i = 0; i < count && !match; ++i) {
        int visualId = 0, drawableTypes = 0;
        glXGetFBConfigAttrib(m_dpy, configs[i], GLX_VISUAL_ID, &visualId);
        glXGetFBConfigAttrib(m_dpy, configs[i], GLX_DRAWABLE_TYPE, &drawableTypes);
        if (VisualID(visualId) == visual->visualid && (drawableTypes & GLX_PBUFFER_BIT))
            match = configs[i];
    }
    int doubleBuffered = 0;
    if (match)
        glXGetFBConfigAttrib(m_dpy, match, GLX_DOUBLEBUFFER, &doubleBuffered);
    const int attributes[] = {GLX_PBUFFER_WIDTH, widthPx, GLX_PBUFFER_HEIGHT, heightPx,
                              GLX_PRESERVED_CONTENTS, True, GLX_LARGEST_PBUFFER, False, None};
    m_pbuffer = match ? glXCreatePbuffer(m_dpy, match, attributes) : 0;
    if (configs)
        XFree(configs);
    if (!m_pbuffer)
        return false;
    unsigned int actualWidth = 0, actualHeight = 0;
    glXQueryDrawable(m_dpy, m_pbuffer, GLX_WIDTH, &actualWidth);
    glXQueryDrawable(m_dpy, m_pbuffer, GLX_HEIGHT, &actualHeight);
    if (actualWidth != unsigned(widthPx) || actualHeight != unsigned(heightPx)
        || !glXMakeContextCurrent(m_dpy, m_pbuffer, m_pbuffer, m_ctx)) {
        glXDestroyPbuffer(m_dpy, m_pbuffer);
        m_pbuffer = 0;
        return false;
    }
    m_doubleBuffered = doubleBuffered != 0;
    return true;
}

bool TAV_OffscreenTarget::createFramebuffer(int widthPx, int heightPx)
{
    if (!loadCalls())
        return false;
    // The window's formats, read while its framebuffer is still the one bound: a window
    // without alpha reads back alpha 1 after every clear, and copies of the frame carry it.
    GLint alphaBits = 0, depthBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    const GLenum colourFormat = alphaBits > 0 ? GL_RGBA8 : GL_RGB8;
    const GLenum depthFormat =
        depthBits > 24 ? GL_DEPTH_COMPONENT32 : (depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16);

    while (glGetError() != GL_NO_ERROR) {
    }
    gl.genFramebuffers(1, &m_framebuffer);
    gl.genRenderbuffers(1, &m_depth);
    gl.bindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    // A texture rather than a renderbuffer, so the layout can be asked for: drivers store a
    // texture the way it is uploaded, and windows are BGRA. Software rasterisers (llvmpipe)
    // take faster paths with their own rounding for that layout alone, and a frame must
    // come out exactly as the window would have it.
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGenTextures(1, &m_colour);
    glBindTexture(GL_TEXTURE_2D, m_colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, colourFormat, widthPx, heightPx, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));
    gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colour, 0);
    gl.bindRenderbuffer(GL_RENDERBUFFER, m_depth);
    gl.renderbufferStorage(GL_RENDERBUFFER, depthFormat, widthPx, heightPx);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depth);
    gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
    const bool complete = glGetError() == GL_NO_ERROR
        && gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
        destroy();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return true;
}

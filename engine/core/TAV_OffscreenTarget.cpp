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
        && lookUp(gl.checkFramebufferStatus, "glCheckFramebufferStatus", suffix);
}

}  // namespace

const GLenum TAV_OffscreenTarget::READ_BUFFER = GL_COLOR_ATTACHMENT0;

bool TAV_OffscreenTarget::create(int widthPx, int heightPx)
{
    destroy();
    if (widthPx <= 0 || heightPx <= 0 || !loadCalls())
        return false;
    // The window's formats, read while its framebuffer is still the one bound: a window
    // without alpha reads back alpha 1 after every clear, and copies of the frame carry it.
    GLint alphaBits = 0, depthBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    const GLenum colourFormat = alphaBits > 0 ? GL_RGBA8 : GL_RGB8;
    const GLenum depthFormat = depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;

    while (glGetError() != GL_NO_ERROR) {
    }
    gl.genFramebuffers(1, &m_framebuffer);
    gl.genRenderbuffers(1, &m_colour);
    gl.genRenderbuffers(1, &m_depth);
    gl.bindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    gl.bindRenderbuffer(GL_RENDERBUFFER, m_colour);
    gl.renderbufferStorage(GL_RENDERBUFFER, colourFormat, widthPx, heightPx);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colour);
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
    m_widthPx = widthPx;
    m_heightPx = heightPx;
    return true;
}

void TAV_OffscreenTarget::destroy()
{
    if (m_framebuffer) {
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteFramebuffers(1, &m_framebuffer);
    }
    if (m_colour)
        gl.deleteRenderbuffers(1, &m_colour);
    if (m_depth)
        gl.deleteRenderbuffers(1, &m_depth);
    m_framebuffer = m_colour = m_depth = 0;
    m_widthPx = m_heightPx = 0;
}

#include "FrameReader.h"

#include <GL/glext.h>  // Required for: GL_PIXEL_PACK_BUFFER and the buffer function types
#include <GL/glx.h>    // Required for: glXGetProcAddressARB()

#include <cstdio>   // Required for: sscanf()
#include <cstring>  // Required for: strstr(), memcpy()

#include "core/TAV_Window.h"  // Required for: where the frame was drawn

namespace {

// Buffer objects are OpenGL 1.5 and pixel buffers 2.1: libGL need not export them, so they
// are fetched from the driver.
PFNGLGENBUFFERSPROC genBuffers = nullptr;
PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
PFNGLBINDBUFFERPROC bindBuffer = nullptr;
PFNGLBUFFERDATAPROC bufferData = nullptr;
PFNGLMAPBUFFERPROC mapBuffer = nullptr;
PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;

template <class Function>
bool lookUp(Function& function, const char* name)
{
    function = reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
    return function != nullptr;
}

bool contextHasPixelBuffers()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    int major = 0, minor = 0;
    const bool recent = version && std::sscanf(version, "%d.%d", &major, &minor) == 2
        && (major > 2 || (major == 2 && minor >= 1));
    const bool extension = extensions && std::strstr(extensions, "GL_ARB_pixel_buffer_object");
    return (recent || extension) && lookUp(genBuffers, "glGenBuffers") && lookUp(deleteBuffers, "glDeleteBuffers")
        && lookUp(bindBuffer, "glBindBuffer") && lookUp(bufferData, "glBufferData")
        && lookUp(mapBuffer, "glMapBuffer") && lookUp(unmapBuffer, "glUnmapBuffer");
}

}  // namespace

FrameReader::FrameReader(int widthPx, int heightPx)
    : m_widthPx(widthPx), m_heightPx(heightPx)
{
    if (!contextHasPixelBuffers())
        return;
    genBuffers(2, m_buffers);
    for (GLuint buffer : m_buffers) {
        bindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        bufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(widthPx) * heightPx * 4, nullptr, GL_STREAM_READ);
    }
    bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

FrameReader::~FrameReader()
{
    if (usesPixelBuffers())
        deleteBuffers(2, m_buffers);
}

bool FrameReader::read(uint8_t* out)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(TAV_Window::frameReadBuffer());
    if (!usesPixelBuffers()) {
        glReadPixels(0, 0, m_widthPx, m_heightPx, GL_RGBA, GL_UNSIGNED_BYTE, out);
        return true;
    }
    bindBuffer(GL_PIXEL_PACK_BUFFER, m_buffers[m_next]);
    // Into the bound buffer: the call returns as soon as the read is queued.
    glReadPixels(0, 0, m_widthPx, m_heightPx, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    const bool earlier = m_pending;
    if (earlier)
        copyOut(1 - m_next, out);
    m_pending = true;
    m_next = 1 - m_next;
    return earlier;
}

bool FrameReader::flush(uint8_t* out)
{
    if (!usesPixelBuffers() || !m_pending)
        return false;
    copyOut(1 - m_next, out);
    m_pending = false;
    return true;
}

void FrameReader::copyOut(int buffer, uint8_t* out)
{
    bindBuffer(GL_PIXEL_PACK_BUFFER, m_buffers[buffer]);
    const size_t bytes = size_t(m_widthPx) * size_t(m_heightPx) * 4;
    if (const void* pixels = mapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY)) {
        std::memcpy(out, pixels, bytes);
        unmapBuffer(GL_PIXEL_PACK_BUFFER);
    } else {
        std::memset(out, 0, bytes);  // a lost mapping: a black frame rather than stale memory
    }
    bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

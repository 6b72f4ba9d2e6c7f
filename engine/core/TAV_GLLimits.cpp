#include "core/TAV_GLLimits.h"

#include <GL/glu.h>    // Required for: gluErrorString()

#include <algorithm>   // Required for: std::min()
#include <cstring>     // Required for: strstr() on the extension list

#include "sys/TAV_SYS_Log.h"

namespace {

// Zero texels for clearTexture2D: 16384 RGBA texels, one row of the widest texture most
// drivers offer. Static and zero-initialised, it costs no memory until it is read.
const int kZeroTexels = 16384;
const unsigned char kZeros[kZeroTexels * 4] = {};

// A driver reporting nonsense must not leave a limit of 0, which would read as "none".
int atLeastOne(GLint valuePx)
{
    return valuePx > 0 ? int(valuePx) : 1;
}

int lowered(int limitPx)
{
    const int testLimitPx = TAV_GLLimits::m_testLimitPx;
    return testLimitPx > 0 ? std::min(limitPx, testLimitPx) : limitPx;
}

}  // namespace

int TAV_GLLimits::m_testLimitPx = 0;
int TAV_GLLimits::m_maxTextureSizePx = 0;
int TAV_GLLimits::m_maxViewportWidthPx = 0;
int TAV_GLLimits::m_maxViewportHeightPx = 0;

void TAV_GLLimits::read()
{
    GLint textureSizePx = 0;
    GLint viewportPx[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSizePx);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportPx);
    m_maxTextureSizePx = lowered(atLeastOne(textureSizePx));
    m_maxViewportWidthPx = lowered(atLeastOne(viewportPx[0]));
    m_maxViewportHeightPx = lowered(atLeastOne(viewportPx[1]));
    TAV_SYS_Log::getInstance()->log("/*Limits: textures up to %d, viewports up to %d x %d", m_maxTextureSizePx,
                                    m_maxViewportWidthPx, m_maxViewportHeightPx);
}

int TAV_GLLimits::largestPictureWidthPx()
{
    return std::min(m_maxTextureSizePx, m_maxViewportWidthPx);
}

int TAV_GLLimits::largestPictureHeightPx()
{
    return std::min(m_maxTextureSizePx, m_maxViewportHeightPx);
}

bool TAV_GLLimits::hasNonPowerOfTwoTextures()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return (version && version[0] >= '2' && version[0] <= '9')
        || (extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two"));
}

bool TAV_GLLimits::defineTexture2D(GLint internalFormat, int widthPx, int heightPx, GLenum format)
{
    if (widthPx <= 0 || heightPx <= 0 || (m_maxTextureSizePx > 0 && std::max(widthPx, heightPx) > m_maxTextureSizePx))
        return false;
    // Errors of earlier calls would read as this definition's; the per-frame check would
    // have logged them, so they are logged here. Bounded: a context in a broken state may
    // report errors for ever.
    for (int pending = 0; pending < 8; ++pending) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        TAV_SYS_Log::getInstance()->log("GLerror: %s\n", reinterpret_cast<const char*>(gluErrorString(error)));
    }
#ifdef GL_PROXY_TEXTURE_2D
    // The proxy asks whether the driver takes this size and format at all. (WebGL has no
    // proxies: there the error of the real definition alone tells.)
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, internalFormat, widthPx, heightPx, 0, format, GL_UNSIGNED_BYTE, nullptr);
    GLint proxyWidthPx = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidthPx);
    if (proxyWidthPx == 0)
        return false;
#endif
    // Then the real one: out of memory shows only as an error.
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, widthPx, heightPx, 0, format, GL_UNSIGNED_BYTE, nullptr);
    return glGetError() == GL_NO_ERROR;
}

void TAV_GLLimits::clearTexture2D(int widthPx, int heightPx)
{
    // The unpack state is the caller's: kept and put back (by hand, as WebGL has no
    // client attribute stack).
    const GLenum unpackNames[] = {GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS};
    const GLint unpackPlain[] = {1, 0, 0, 0};
    GLint unpackKept[4];
    for (int i = 0; i < 4; ++i) {
        glGetIntegerv(unpackNames[i], &unpackKept[i]);
        glPixelStorei(unpackNames[i], unpackPlain[i]);
    }
    const int stripWidthPx = std::min(widthPx, kZeroTexels);
    const int stripRows = stripWidthPx > 0 ? kZeroTexels / stripWidthPx : 1;
    for (int yPx = 0; yPx < heightPx; yPx += stripRows) {
        const int rows = std::min(stripRows, heightPx - yPx);
        for (int xPx = 0; xPx < widthPx; xPx += stripWidthPx) {
            const int columns = std::min(stripWidthPx, widthPx - xPx);
            glTexSubImage2D(GL_TEXTURE_2D, 0, xPx, yPx, columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, kZeros);
        }
    }
    for (int i = 0; i < 4; ++i)
        glPixelStorei(unpackNames[i], unpackKept[i]);
}

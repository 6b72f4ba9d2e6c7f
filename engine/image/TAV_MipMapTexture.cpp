#include "image/TAV_MipMapTexture.h"

#include <GL/gl.h>   // Required for: texture parameters, glTexImage2D(), glGetString()
#include <GL/glu.h>  // Required for: gluBuild2DMipmaps()

#include <cassert>  // Required for: assert()
#include <cstring>  // Required for: strcmp()

#include "image/TAV_ImageData.h"
#include "image/TAV_UnpackAlignment.h"

namespace {

// The range init() gives: under minification level 0 is not sampled until setLod lowers
// the minimum.
const float DEFAULT_MIN_LOD = 1.0f;
const float DEFAULT_MAX_LOD = 6.0f;

}  // namespace

const char* const TAV_MipMapTexture::ATI_VENDOR = "ATI Technologies Inc.";
bool TAV_MipMapTexture::m_resetLod = true;

TAV_MipMapTexture::TAV_MipMapTexture()
    : m_minFilter(GL_LINEAR_MIPMAP_LINEAR), m_minLod(DEFAULT_MIN_LOD), m_maxLod(DEFAULT_MAX_LOD), m_isATI(false)
{
    checkATI();
}

TAV_MipMapTexture::TAV_MipMapTexture(TAV_ImageData* image)
    : TAV_MipMapTexture()
{
    assert(image);
    init(image);
    delete image;
}

TAV_MipMapTexture::TAV_MipMapTexture(const char* fileName)
    : TAV_MipMapTexture()
{
    TAV_ImageData image(fileName);
    init(&image);
}

TAV_MipMapTexture::~TAV_MipMapTexture()
{
    // The texture object goes with the plain texture's destructor.
}

void TAV_MipMapTexture::checkATI()
{
    const GLubyte* vendor = glGetString(GL_VENDOR);
    m_isATI = vendor && strcmp(reinterpret_cast<const char*>(vendor), ATI_VENDOR) == 0;
}

void TAV_MipMapTexture::init(TAV_ImageData* image)
{
    assert(image);
    m_maxLod = DEFAULT_MAX_LOD;
    m_minLod = DEFAULT_MIN_LOD;
    m_scaleS = 1.0f;
    m_scaleT = 1.0f;
    m_width = image->m_width;
    m_height = image->m_height;
    createTextureObject();
    {
        const TAV_UnpackAlignment packedRows(long(image->m_width) * image->m_bpp);
        gluBuild2DMipmaps(GL_TEXTURE_2D, image->m_format, image->m_width, image->m_height, GLenum(image->m_format),
                          GL_UNSIGNED_BYTE, image->m_data);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // The minification filter is left to activate(), which applies m_minFilter every time.
    m_minFilter = GL_LINEAR_MIPMAP_LINEAR;
    m_wrapS = GL_REPEAT;
    m_wrapT = GL_REPEAT;
}

void TAV_MipMapTexture::activate()
{
    glBindTexture(GL_TEXTURE_2D, m_texId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, m_minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, m_wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, m_wrapT);
    // On ATI's drivers the range is never set, whatever resetLod says.
    if (!m_isATI && m_resetLod) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, m_minLod);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_LOD, m_maxLod);
    }
    loadTextureMatrix();
}

void TAV_MipMapTexture::setLod(float minLod, float maxLod)
{
    m_minLod = minLod;
    m_maxLod = maxLod;
}

void TAV_MipMapTexture::resetLod(bool reset)
{
    m_resetLod = reset;
}

void TAV_MipMapTexture::setMinification(int filter)
{
    m_minFilter = filter;
}

void TAV_MipMapTexture::setMipMapTexture(TAV_ImageData* image, int level)
{
    assert(image);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, level);
    const TAV_UnpackAlignment packedRows(long(image->m_width) * image->m_bpp);
    glTexImage2D(GL_TEXTURE_2D, level, image->m_format, image->m_width, image->m_height, 0, GLenum(image->m_format),
                 GL_UNSIGNED_BYTE, image->m_data);
}

void TAV_MipMapTexture::setMipMapTexture(const char* fileName, int level)
{
    TAV_ImageData image(fileName);
    setMipMapTexture(&image, level);
}

int TAV_MipMapTexture::getType() const
{
    return TYPE;
}

#include "image/TAV_Texture.h"

#include <GL/gl.h>  // Required for: texture objects, glTexImage2D(), the texture matrix

#include <cassert>  // Required for: assert()

#include "image/TAV_ImageData.h"
#include "image/TAV_PNGLoader.h"  // Required for: forget(), the loader's record of this texture
#include "image/TAV_UnpackAlignment.h"

TAV_Texture::TAV_Texture()
    : m_width(0), m_height(0), m_texId(0), m_scaleS(1.0f), m_scaleT(1.0f), m_wrapS(GL_REPEAT), m_wrapT(GL_REPEAT)
{
}

TAV_Texture::TAV_Texture(TAV_ImageData* image)
    : TAV_Texture()
{
    assert(image);
    init(image);
    delete image;
}

TAV_Texture::TAV_Texture(const char* fileName)
    : TAV_Texture()
{
    // Read before any OpenGL object exists, so a bad file leaves nothing behind.
    TAV_ImageData image(fileName);
    init(&image);
}

TAV_Texture::~TAV_Texture()
{
    TAV_PNGLoader::forget(this);
    if (m_texId != 0)
        glDeleteTextures(1, &m_texId);
}

void TAV_Texture::activate()
{
    glBindTexture(GL_TEXTURE_2D, m_texId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, m_wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, m_wrapT);
    loadTextureMatrix();
}

void TAV_Texture::scale(float s, float t)
{
    m_scaleS = s;
    m_scaleT = t;
}

int TAV_Texture::getType() const
{
    return TYPE;
}

int TAV_Texture::getWidth() const
{
    return m_width;
}

int TAV_Texture::getHeight() const
{
    return m_height;
}

void TAV_Texture::setTexWrapParametri(unsigned int wrapS, unsigned int wrapT)
{
    m_wrapS = int(wrapS);
    m_wrapT = int(wrapT);
}

void TAV_Texture::init(TAV_ImageData* image)
{
    assert(image);
    m_width = image->m_width;
    m_scaleS = 1.0f;
    m_scaleT = 1.0f;
    m_height = image->m_height;
    m_wrapS = GL_REPEAT;
    m_wrapT = GL_REPEAT;
    createTextureObject();
    {
        const TAV_UnpackAlignment packedRows(long(image->m_width) * image->m_bpp);
        // The image's format doubles as the internal format: GL_RGB or GL_RGBA, 8 bits each.
        glTexImage2D(GL_TEXTURE_2D, 0, image->m_format, image->m_width, image->m_height, 0, GLenum(image->m_format),
                     GL_UNSIGNED_BYTE, image->m_data);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void TAV_Texture::createTextureObject()
{
    // A second init must not strand the first upload's texture object.
    if (m_texId != 0)
        glDeleteTextures(1, &m_texId);
    glGenTextures(1, &m_texId);
    glBindTexture(GL_TEXTURE_2D, m_texId);
}

void TAV_Texture::loadTextureMatrix() const
{
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(m_scaleS, m_scaleT, 1.0f);
    glMatrixMode(GL_MODELVIEW);
}

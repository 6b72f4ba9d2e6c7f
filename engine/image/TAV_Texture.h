// TAV_Texture: a plain, single-level OpenGL 2D texture (type code 22).
//
// The texture owns its OpenGL texture object and deletes it when destroyed; it is created
// and destroyed only while a GL context is current. Constructors that take an image take
// the image over and delete it; those that take a file name read a TGA or BMP and let the
// file's TAV_Exception pass, leaving no texture object behind. TAV_PNGLoader fills width,
// height and texture object of a default-constructed texture itself.
#pragma once

#include "image/TAV_ITexture.h"  // Required for: TAV_ITexture, the interface implemented here

class TAV_Texture : public TAV_ITexture {
public:
    static const int TYPE = 22;

    // No OpenGL object yet; scales 1, wrap GL_REPEAT.
    TAV_Texture();
    // Uploads the image and deletes it.
    explicit TAV_Texture(TAV_ImageData* image);
    // Reads a TGA or BMP file and uploads it.
    explicit TAV_Texture(const char* fileName);
    ~TAV_Texture() override;
    TAV_Texture(const TAV_Texture&) = delete;
    TAV_Texture& operator=(const TAV_Texture&) = delete;

    // Binds the texture, sets its two wrap modes and replaces the texture matrix by the
    // scale; ends in GL_MODELVIEW matrix mode.
    void activate() override;
    void scale(float s, float t) override;
    int getType() const override;
    int getWidth() const override;
    int getHeight() const override;
    void setTexWrapParametri(unsigned int wrapS, unsigned int wrapT) override;
    // Level 0 from the image with linear filtering, scales and wraps back to their defaults;
    // the texture stays bound.
    void init(TAV_ImageData* image) override;

protected:
    // Gives the texture a fresh OpenGL texture object (dropping any earlier one) and binds it.
    void createTextureObject();
    // Replaces the texture matrix with the scale and returns to the model-view matrix.
    void loadTextureMatrix() const;

    int m_width;           // pixels, level 0
    int m_height;          // pixels, level 0
    unsigned int m_texId;  // OpenGL texture name; 0 until one is created
    float m_scaleS;
    float m_scaleT;
    int m_wrapS;           // GL wrap mode
    int m_wrapT;

    friend class TAV_PNGLoader;
};

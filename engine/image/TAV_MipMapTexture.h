// TAV_MipMapTexture: an OpenGL 2D texture with a full mipmap chain (type code 23).
//
// Besides the plain texture's wrap modes and scale, activation applies the minification
// filter and, while the class-wide resetLod switch is on and the driver is not ATI's, the
// level-of-detail range. The ATI check reads the GL vendor string, so every constructor
// needs a current GL context. Ownership as for TAV_Texture: the texture owns its OpenGL
// object, and constructors that take an image delete it.
#pragma once

#include "image/TAV_Texture.h"  // Required for: TAV_Texture, the plain texture extended here

class TAV_MipMapTexture : public TAV_Texture {
public:
    static const int TYPE = 23;
    // The one vendor whose drivers are never given a level-of-detail range, matched exactly.
    static const char* const ATI_VENDOR;

    // No OpenGL object yet; filter and LOD range already at the values init() gives.
    TAV_MipMapTexture();
    // Builds the mipmap chain from the image and deletes it.
    explicit TAV_MipMapTexture(TAV_ImageData* image);
    // Reads a TGA or BMP file and builds the mipmap chain from it.
    explicit TAV_MipMapTexture(const char* fileName);
    ~TAV_MipMapTexture() override;

    // Sets m_isATI from the GL vendor string of the current context.
    void checkATI();
    // Builds the chain with gluBuild2DMipmaps; minification GL_LINEAR_MIPMAP_LINEAR and the
    // LOD range 1..6 take effect at the next activate(). The texture stays bound.
    void init(TAV_ImageData* image) override;
    // Binds; sets the minification filter, the wrap modes, the LOD range (see above) and the
    // texture matrix; ends in GL_MODELVIEW matrix mode.
    void activate() override;
    // Applied at the next activate().
    void setLod(float minLod, float maxLod);
    // Whether activate() applies the LOD range at all, for every mipmapped texture.
    static void resetLod(bool reset);
    // Applied at the next activate().
    void setMinification(int filter);
    // Replaces mipmap level `level` of the texture that is bound now (activate() first; this
    // does not bind) and makes it the highest level used. Does not take the image over.
    void setMipMapTexture(TAV_ImageData* image, int level);
    void setMipMapTexture(const char* fileName, int level);
    int getType() const override;

protected:
    int m_minFilter;  // GL minification filter
    float m_minLod;
    float m_maxLod;
    bool m_isATI;

    static bool m_resetLod;
};

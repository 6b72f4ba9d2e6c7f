// TAV_ITexture: what every user of a texture holds: a named OpenGL 2D texture that can be
// made current with its own parameters.
//
// activate() binds the texture, applies its wrap modes (and, for the mipmapped kind, its
// minification filter and level-of-detail range), replaces the texture matrix with the
// texture's scale and leaves the matrix mode at GL_MODELVIEW. It does not enable texturing.
// Implementations own their OpenGL texture object; all calls need the current GL context.
#pragma once

#include "scene/TAV_Named.h"  // Required for: TAV_Named, the base of every named resource

class TAV_ImageData;

class TAV_ITexture : public TAV_Named {
public:
    virtual ~TAV_ITexture() {}
    virtual void activate() = 0;
    // Texture-matrix scale along s and t, applied at the next activate().
    virtual void scale(float s, float t) = 0;
    virtual int getType() const = 0;
    virtual int getWidth() const = 0;
    virtual int getHeight() const = 0;
    // GL wrap modes (GL_REPEAT, GL_CLAMP, ...), applied at the next activate().
    virtual void setTexWrapParametri(unsigned int wrapS, unsigned int wrapT) = 0;
    // Uploads the image into a new texture object; does not take ownership of it.
    virtual void init(TAV_ImageData* image) = 0;
};

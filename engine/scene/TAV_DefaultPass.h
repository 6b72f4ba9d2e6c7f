// TAV_DefaultPass: the shading pass, drawing each object with its material and texture.
//
// Smooth shading, culling on, depth test GL_LEQUAL, so that after a depth pass exactly the
// nearest surface of each pixel is shaded. Unlike the default renderer it applies material
// and texture for every object, without caching. A reference-counted singleton: see
// TAV_SharedPass.
#pragma once

#include "scene/TAV_SharedPass.h"

class TAV_DefaultPass : public TAV_SharedPass<TAV_DefaultPass> {
public:
    void renderObject(TAV_Object* object) override;
    void setup() override;
    // Nothing to undo.
    void shutdown() override;

private:
    friend class TAV_SharedPass<TAV_DefaultPass>;

    TAV_DefaultPass() {}
    ~TAV_DefaultPass() override {}
};

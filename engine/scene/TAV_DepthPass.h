// TAV_DepthPass: fills the depth buffer and nothing else.
//
// Colour writes off, lighting and blending off, flat shading, depth test GL_LESS; objects
// are drawn with their transform only. shutdown() turns colour writes back on, so a
// shading pass after it sees only the nearest surfaces. A reference-counted singleton: see
// TAV_SharedPass.
#pragma once

#include "scene/TAV_SharedPass.h"

class TAV_DepthPass : public TAV_SharedPass<TAV_DepthPass> {
public:
    void renderObject(TAV_Object* object) override;
    void setup() override;
    void shutdown() override;

private:
    friend class TAV_SharedPass<TAV_DepthPass>;

    TAV_DepthPass() {}
    ~TAV_DepthPass() override {}
};

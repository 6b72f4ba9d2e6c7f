// TAV_DepthPass: fills the depth buffer and nothing else.
//
// Colour writes off, lighting and blending off, flat shading, depth test GL_LESS; objects
// are drawn with their transform only. shutdown() turns colour writes back on, so a
// shading pass after it sees only the nearest surfaces. A reference-counted singleton: see
// TAV_IRenderPass.
#pragma once

#include "scene/TAV_IRenderPass.h"

class TAV_DepthPass : public TAV_IRenderPass {
public:
    // The instance (created when there is none) with one more reference.
    static TAV_DepthPass* getInstance();
    // References outstanding; 0 when no instance exists.
    static int getInstanceCount() { return m_instanceCount; }

    void deleteInstance() override;
    void renderObject(TAV_Object* object) override;
    void setup() override;
    void shutdown() override;

private:
    TAV_DepthPass() {}
    ~TAV_DepthPass() override {}

    static TAV_DepthPass* m_instance;
    static int m_instanceCount;
};

// TAV_DefaultPass: the shading pass, drawing each object with its material and texture.
//
// Smooth shading, culling on, depth test GL_LEQUAL, so that after a depth pass exactly the
// nearest surface of each pixel is shaded. Unlike the default renderer it applies material
// and texture for every object, without caching. A reference-counted singleton: see
// TAV_IRenderPass.
#pragma once

#include "scene/TAV_IRenderPass.h"

class TAV_DefaultPass : public TAV_IRenderPass {
public:
    // The instance (created when there is none) with one more reference.
    static TAV_DefaultPass* getInstance();
    // References outstanding; 0 when no instance exists.
    static int getInstanceCount() { return m_instanceCount; }

    void deleteInstance() override;
    void renderObject(TAV_Object* object) override;
    void setup() override;
    // Nothing to undo.
    void shutdown() override;

private:
    TAV_DefaultPass() {}
    ~TAV_DefaultPass() override {}

    static TAV_DefaultPass* m_instance;
    static int m_instanceCount;
};

// TAV_DefaultRenderer: draws each object of a container once, with its material and texture.
//
// One process-wide instance (getInstance), never destroyed. Within one renderContainer()
// call it remembers the last material and texture and skips applying them again for the
// next object that shares them; setup() forgets both, so changes made by other code between
// frames are picked up at the next container pass. An object without a mesh draws nothing.
#pragma once

#include "scene/TAV_IRenderer.h"

class TAV_ITexture;
class TAV_Material;
class TAV_Object;

class TAV_DefaultRenderer : public TAV_IRenderer {
public:
    // The instance, created on the first call.
    static TAV_DefaultRenderer* getInstance();

    ~TAV_DefaultRenderer() override;

    // setup(), then every object of the container, newest first.
    void renderContainer(TAV_Container* container) override;
    // Material and texture when they differ from the last ones, then the object.
    // NOTE: without a preceding setup() it relies on whatever the caches hold.
    virtual void renderObject(TAV_Object* object);

    // The common pass state, empty caches, and the no-material state.
    void setup();
    // Applies `material` (null: the unlit white state) unconditionally.
    void setupMaterial(TAV_Material* material);

private:
    TAV_DefaultRenderer();

    TAV_ITexture* m_lastTexture;
    TAV_Material* m_lastMaterial;

    static TAV_DefaultRenderer* m_renderer;
};

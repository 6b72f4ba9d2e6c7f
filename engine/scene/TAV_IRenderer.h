// TAV_IRenderer: something that draws every object of a container.
//
// Implementations set the OpenGL state they need and draw each registered object, in the
// container's order (newest first). The container and its objects stay owned by the
// caller; a renderer keeps no pointer to them beyond one renderContainer() call.
#pragma once

class TAV_Container;

class TAV_IRenderer {
public:
    virtual ~TAV_IRenderer() {}
    virtual void renderContainer(TAV_Container* container) = 0;
};

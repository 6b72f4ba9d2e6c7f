// TAV_RenderState: the OpenGL steps that every renderer and render pass shares.
//
// The common state set-up at the start of a pass, the application of a material (or of the
// no-material state), and the drawing of one object under its own transform. Static only;
// every call needs the current OpenGL context and changes its state as documented, leaving
// it so for the next object. Nothing here allocates, so it may run every frame.
#pragma once

class TAV_Material;
class TAV_Object;

class TAV_RenderState {
public:
    // Nicest perspective correction, filled front faces, smooth shading, back-face culling
    // on, depth test GL_LEQUAL (so a pass may redraw what an earlier pass laid down).
    static void applyCommonState();

    // Colour, lighting and blending of `material`; null gives the unlit white opaque state.
    // NOTE: a non-blending material does not switch culling back on after a blending one
    // turned it off; the next applyCommonState() does.
    static void applyMaterial(const TAV_Material* material);

    // Pushes the model-view matrix, applies the object's transform, draws its mesh and pops.
    // An object without a mesh draws nothing.
    static void drawObject(TAV_Object* object);
};

// FirstScene: the smallest complete scene built on the Tavlen engine.
//
// A lit octahedron, subdivided and smoothly shaded, and a textured cube that turns, drawn
// through a two-pass renderer (depth first, then shading) and seen through a camera that
// the arrow keys move; Escape ends the program. The scene is a container: it owns every
// mesh, texture, material and object it registers. It needs the OpenGL context from its
// construction to its destruction; the engine's root scene drives it once per frame.
#pragma once

#include "core/TAV_Scene.h"            // Required for: the per-frame scene interface
#include "io/TAV_IO_KeyboardAdapter.h" // Required for: the arrow keys and Escape
#include "scene/TAV_Camera.h"
#include "scene/TAV_Container.h"
#include "scene/TAV_Renderer.h"

class TAV_Object;

class FirstScene : public TAV_Scene, public TAV_Container, public TAV_IO_KeyboardAdapter {
public:
    // Builds the meshes, texture, materials and objects; needs the OpenGL context.
    FirstScene();

    // One frame: move the camera and the cube by the time passed, then draw.
    void update(int frameTimeMs) override;

    void keyPressed(int code) override;
    void keyReleased(int code) override;

    const TAV_Camera& getCamera() const { return m_camera; }

    ~FirstScene() override;

private:
    void animate(int frameTimeMs);
    void draw();

    TAV_Camera m_camera;
    TAV_Renderer m_renderer;
    TAV_Object* m_cube;  // registered in the container, which deletes it
    bool m_forwardHeld = false;
    bool m_backHeld = false;
    bool m_leftHeld = false;
    bool m_rightHeld = false;
};

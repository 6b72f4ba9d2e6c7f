// TAV_WebGL: the fixed-function layer of the browser build: the OpenGL 1.x calls declared in
// this folder's GL/gl.h and GL/glu.h, drawn with one shader program on WebGL 2.
//
// It keeps what WebGL does not: the three matrix stacks, the current colour, texture
// coordinate and normal, glBegin/glEnd, client vertex arrays (glInterleavedArrays), one-light
// lighting with materials, sphere-map texture generation, the GL_TEXTURE_2D enable and smooth
// points. Vertex data goes through one streaming buffer, allocated once at start.
// The window (TAV_Window) calls start() once the canvas's context is current and endFrame()
// after each frame. Main thread only.
//
// Why a layer of its own rather than Emscripten's legacy GL emulation (LEGACY_GL_EMULATION):
// measured on Debian's Emscripten 3.1.6, the emulation lacks glInterleavedArrays, glMaterialf
// and the GLU calls, throws on glTexGeni and GL_EMISSION, leaves gluLookAt's matrix alone,
// draws nothing for GL_UNSIGNED_INT indices and black for lit glBegin, and is bound to
// WebGL 1, which has no GL_TEXTURE_BASE_LEVEL (the logo's blur); its JavaScript alone is
// 118 KB for a program of ten calls. This layer draws the demo's frames within 37 to 55 dB
// of the desktop's (most above 45) and first_scene's within 58 dB, in about 1200 lines.
#pragma once

class TAV_WebGL {
public:
    // Compiles the program and allocates the buffers (once per page), and sets the state to
    // GL's initial one (at every call). Returns false (with the reason in failure()) when
    // WebGL refuses the program.
    static bool start();
    // Marks the end of a frame. The canvas has an alpha channel (WebGL copies frames into
    // RGBA textures only from one), which the layer keeps at 1 as on the desktop's alpha-less
    // visual: alpha writes are always masked, and the browser's clear after presenting is
    // answered by one alpha fill before the next frame's first clear or draw.
    static void endFrame();
    static const char* failure();
};

// TAV_GLState: the OpenGL state one frame leaves for the next, read from the context and put
// back, so that a driver can rewind a scene that relies on that carry-over (the demo sets its
// enables, blend function and colours and leaves them so; see LoadObjectTimeline.cpp).
//
// What it holds is what the engine and the demo change while frames run: the enables, blend
// function, clear colour and depth, current colour, normal and texture coordinate, the three
// matrices (top of stack) and the matrix mode, the 2D texture binding, depth and colour masks,
// depth function, face culling, polygon mode, shade model, hints, point size, alpha function,
// scissor box and viewport. Not held: the texture environment, texture generation modes and
// materials, which no frame changes (the LED figure sets its generation mode before each use;
// only the engine's renderers, which the demo does not use, set materials), the state of
// texture objects (their owners keep that; LoadObject::saveState), and client arrays, which
// every draw sets anew. Between frames the matrix stacks hold one matrix each.
// Plain values, nothing allocated: copies are snapshots. Main thread, context current.
// Platforms: the desktop's (platform/x11/core) reads and sets all of it. The browser's
// fixed-function layer answers only part of these queries, and the browser never rewinds the
// demo: there save() and restore() say once in the log that they are not available.
#pragma once

#include <GL/gl.h>  // Required for: GLfloat, GLint, GLboolean

class TAV_GLState {
public:
    // Reads the state from the current context.
    void save();
    // Makes the current context's state what save() read.
    void restore() const;

private:
    static const int kCapabilityCount = 14;
    static const int kHintCount = 4;

    // What save() read; one plain block, so that a copy of the object is a snapshot.
    struct Values {
        GLboolean m_enabled[kCapabilityCount] = {};
        GLint m_blendSrc = 0;
        GLint m_blendDst = 0;
        GLfloat m_clearColour[4] = {};
        GLfloat m_clearDepth = 1.0f;
        GLfloat m_colour[4] = {};
        GLfloat m_normal[3] = {};
        GLfloat m_texCoord[4] = {};
        GLfloat m_modelview[16] = {};
        GLfloat m_projection[16] = {};
        GLfloat m_texture[16] = {};
        GLint m_matrixMode = 0;
        GLint m_textureBinding = 0;
        GLboolean m_depthMask = GL_TRUE;
        GLboolean m_colourMask[4] = {};
        GLint m_depthFunc = 0;
        GLint m_cullFace = 0;
        GLint m_frontFace = 0;
        GLint m_polygonMode[2] = {};
        GLint m_shadeModel = 0;
        GLint m_hints[kHintCount] = {};
        GLfloat m_pointSize = 1.0f;
        GLint m_alphaFunc = 0;
        GLfloat m_alphaRef = 0.0f;
        GLint m_scissorBox[4] = {};
        GLint m_viewport[4] = {};
    };
    Values m_values;
};

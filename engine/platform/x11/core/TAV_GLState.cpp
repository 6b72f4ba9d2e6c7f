// TAV_GLState on the desktop: every query of the snapshot answered by the GL itself.
#include "core/TAV_GLState.h"

namespace {

// The capabilities a frame of the engine or the demo may leave switched either way.
const GLenum kCapabilities[] = {GL_BLEND,          GL_DEPTH_TEST,       GL_CULL_FACE,      GL_SCISSOR_TEST,
                                GL_TEXTURE_2D,     GL_TEXTURE_GEN_S,    GL_TEXTURE_GEN_T,  GL_POINT_SMOOTH,
                                GL_LIGHTING,       GL_LIGHT0,           GL_ALPHA_TEST,     GL_FOG,
                                GL_COLOR_MATERIAL, GL_NORMALIZE};
const GLenum kHints[] = {GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT,
                         GL_POLYGON_SMOOTH_HINT};

void loadMatrix(GLenum mode, const GLfloat* matrix)
{
    glMatrixMode(mode);
    glLoadMatrixf(matrix);
}

}  // namespace

void TAV_GLState::save()
{
    static_assert(sizeof(kCapabilities) / sizeof(kCapabilities[0]) == kCapabilityCount, "one flag per capability");
    static_assert(sizeof(kHints) / sizeof(kHints[0]) == kHintCount, "one value per hint");
    for (int i = 0; i < kCapabilityCount; ++i)
        m_values.m_enabled[i] = glIsEnabled(kCapabilities[i]);
    glGetIntegerv(GL_BLEND_SRC, &m_values.m_blendSrc);
    glGetIntegerv(GL_BLEND_DST, &m_values.m_blendDst);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, m_values.m_clearColour);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &m_values.m_clearDepth);
    glGetFloatv(GL_CURRENT_COLOR, m_values.m_colour);
    glGetFloatv(GL_CURRENT_NORMAL, m_values.m_normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, m_values.m_texCoord);
    glGetFloatv(GL_MODELVIEW_MATRIX, m_values.m_modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, m_values.m_projection);
    glGetFloatv(GL_TEXTURE_MATRIX, m_values.m_texture);
    glGetIntegerv(GL_MATRIX_MODE, &m_values.m_matrixMode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &m_values.m_textureBinding);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &m_values.m_depthMask);
    glGetBooleanv(GL_COLOR_WRITEMASK, m_values.m_colourMask);
    glGetIntegerv(GL_DEPTH_FUNC, &m_values.m_depthFunc);
    glGetIntegerv(GL_CULL_FACE_MODE, &m_values.m_cullFace);
    glGetIntegerv(GL_FRONT_FACE, &m_values.m_frontFace);
    glGetIntegerv(GL_POLYGON_MODE, m_values.m_polygonMode);
    glGetIntegerv(GL_SHADE_MODEL, &m_values.m_shadeModel);
    for (int i = 0; i < kHintCount; ++i)
        glGetIntegerv(kHints[i], &m_values.m_hints[i]);
    glGetFloatv(GL_POINT_SIZE, &m_values.m_pointSize);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &m_values.m_alphaFunc);
    glGetFloatv(GL_ALPHA_TEST_REF, &m_values.m_alphaRef);
    glGetIntegerv(GL_SCISSOR_BOX, m_values.m_scissorBox);
    glGetIntegerv(GL_VIEWPORT, m_values.m_viewport);
}

void TAV_GLState::restore() const
{
    for (int i = 0; i < kCapabilityCount; ++i) {
        if (m_values.m_enabled[i])
            glEnable(kCapabilities[i]);
        else
            glDisable(kCapabilities[i]);
    }
    glBlendFunc(GLenum(m_values.m_blendSrc), GLenum(m_values.m_blendDst));
    glClearColor(m_values.m_clearColour[0], m_values.m_clearColour[1], m_values.m_clearColour[2], m_values.m_clearColour[3]);
    glClearDepth(m_values.m_clearDepth);
    glColor4fv(m_values.m_colour);
    glNormal3fv(m_values.m_normal);
    glTexCoord4fv(m_values.m_texCoord);
    loadMatrix(GL_TEXTURE, m_values.m_texture);
    loadMatrix(GL_PROJECTION, m_values.m_projection);
    loadMatrix(GL_MODELVIEW, m_values.m_modelview);
    glMatrixMode(GLenum(m_values.m_matrixMode));
    glBindTexture(GL_TEXTURE_2D, GLuint(m_values.m_textureBinding));
    glDepthMask(m_values.m_depthMask);
    glColorMask(m_values.m_colourMask[0], m_values.m_colourMask[1], m_values.m_colourMask[2], m_values.m_colourMask[3]);
    glDepthFunc(GLenum(m_values.m_depthFunc));
    glCullFace(GLenum(m_values.m_cullFace));
    glFrontFace(GLenum(m_values.m_frontFace));
    // Front and back separately: the engine's passes set the front face alone.
    glPolygonMode(GL_FRONT, GLenum(m_values.m_polygonMode[0]));
    glPolygonMode(GL_BACK, GLenum(m_values.m_polygonMode[1]));
    glShadeModel(GLenum(m_values.m_shadeModel));
    for (int i = 0; i < kHintCount; ++i)
        glHint(kHints[i], GLenum(m_values.m_hints[i]));
    glPointSize(m_values.m_pointSize);
    glAlphaFunc(GLenum(m_values.m_alphaFunc), m_values.m_alphaRef);
    glScissor(m_values.m_scissorBox[0], m_values.m_scissorBox[1], m_values.m_scissorBox[2], m_values.m_scissorBox[3]);
    glViewport(m_values.m_viewport[0], m_values.m_viewport[1], m_values.m_viewport[2], m_values.m_viewport[3]);
}

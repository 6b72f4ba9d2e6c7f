// GL/gl.h of the browser build: the OpenGL 1.x calls the engine, the demo and the examples
// make, on WebGL 2.
//
// WebGL 2 is OpenGL ES 3.0: it has no matrix stacks, no glBegin, no client vertex arrays, no
// lighting, no texture-coordinate generation and no GL_TEXTURE_2D enable. Those calls are
// answered by the fixed-function layer (TAV_WebGL.cpp) with one shader program; everything
// ES 3.0 has (textures, blending, depth, scissor, frame copies, read-back) goes straight
// through. What the layer does not do is listed at the top of TAV_WebGL.cpp.
// Main thread only, with the canvas's context current (TAV_Window makes it).
#pragma once

#include <GLES3/gl3.h>  // Required for: the types and every call WebGL 2 has

#ifdef __cplusplus
extern "C" {
#endif

typedef double GLdouble;
typedef double GLclampd;

// Primitives WebGL lacks.
#define GL_QUADS                        0x0007
// Matrix stacks.
#define GL_MODELVIEW                    0x1700
#define GL_PROJECTION                   0x1701
#define GL_TEXTURE                      0x1702
#define GL_MODELVIEW_MATRIX             0x0BA6
#define GL_PROJECTION_MATRIX            0x0BA7
#define GL_TEXTURE_MATRIX               0x0BA8
#define GL_CURRENT_COLOR                0x0B00
// Enables the layer keeps itself.
#define GL_LIGHTING                     0x0B50
#define GL_LIGHT0                       0x4000
#define GL_LIGHT1                       0x4001
#define GL_TEXTURE_GEN_S                0x0C60
#define GL_TEXTURE_GEN_T                0x0C61
#define GL_POINT_SMOOTH                 0x0B10
#define GL_COLOR_MATERIAL               0x0B57
#define GL_NORMALIZE                    0x0BA1
#define GL_ALPHA_TEST                   0x0BC0
// Hints, shading and polygon modes (accepted, nothing to do on WebGL).
#define GL_PERSPECTIVE_CORRECTION_HINT  0x0C50
#define GL_POINT_SMOOTH_HINT            0x0C51
#define GL_FLAT                         0x1D00
#define GL_SMOOTH                       0x1D01
#define GL_FILL                         0x1B02
#define GL_LINE                         0x1B01
// Lighting and materials.
#define GL_AMBIENT                      0x1200
#define GL_DIFFUSE                      0x1201
#define GL_SPECULAR                     0x1202
#define GL_POSITION                     0x1203
#define GL_EMISSION                     0x1600
#define GL_SHININESS                    0x1601
#define GL_AMBIENT_AND_DIFFUSE          0x1602
// Texture-coordinate generation.
#define GL_S                            0x2000
#define GL_T                            0x2001
#define GL_TEXTURE_GEN_MODE             0x2500
#define GL_SPHERE_MAP                   0x2402
// Interleaved array formats.
#define GL_V2F                          0x2A20
#define GL_V3F                          0x2A21
#define GL_N3F_V3F                      0x2A25
#define GL_T2F_V3F                      0x2A27
#define GL_T2F_N3F_V3F                  0x2A2B
// Texture parameters of desktop GL.
#define GL_CLAMP                        0x2900
// The attribute stack and texture environment, used only by the root scene's stretch of a
// picture beyond the driver's limits (never reached in a canvas, which browsers keep within
// WebGL's limits): the layer says once that it has neither.
#define GL_ALL_ATTRIB_BITS              0x000FFFFF
#define GL_FOG                          0x0B60
#define GL_POLYGON_STIPPLE              0x0B42
#define GL_TEXTURE_ENV                  0x2300
#define GL_TEXTURE_ENV_MODE             0x2200
#define GL_MODULATE                     0x2100
#define GL_POINT_SIZE                   0x0B11

void glBegin(GLenum mode);
void glEnd(void);
void glVertex2f(GLfloat x, GLfloat y);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glTexCoord2f(GLfloat s, GLfloat t);
void glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void glColor3f(GLfloat r, GLfloat g, GLfloat b);
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void glColor4fv(const GLfloat* rgba);

void glMatrixMode(GLenum mode);
void glLoadIdentity(void);
void glLoadMatrixf(const GLfloat* m);
void glMultMatrixf(const GLfloat* m);
void glPushMatrix(void);
void glPopMatrix(void);
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glScalef(GLfloat x, GLfloat y, GLfloat z);
void glRotatef(GLfloat angleDeg, GLfloat x, GLfloat y, GLfloat z);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);

void glInterleavedArrays(GLenum format, GLsizei stride, const void* pointer);

void glMaterialf(GLenum face, GLenum pname, GLfloat param);
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
void glLightfv(GLenum light, GLenum pname, const GLfloat* params);
void glTexGeni(GLenum coord, GLenum pname, GLint param);

void glPointSize(GLfloat size);
void glShadeModel(GLenum mode);
void glPolygonMode(GLenum face, GLenum mode);
void glClearDepth(GLclampd depth);
void glPushAttrib(GLbitfield mask);
void glPopAttrib(void);
void glTexEnvi(GLenum target, GLenum pname, GLint param);

#ifdef __cplusplus
}
#endif

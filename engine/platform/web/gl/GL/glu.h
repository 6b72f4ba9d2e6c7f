// GL/glu.h of the browser build: the four GLU calls the engine makes, answered by the
// fixed-function layer (TAV_WebGL.cpp). There is no GLU library in a browser.
#pragma once

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

void gluPerspective(GLdouble fovyDeg, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ);
// Box-filtered mipmaps down to 1 x 1, as desktop GLU makes them, from a power-of-two image.
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data);
const GLubyte* gluErrorString(GLenum error);

#ifdef __cplusplus
}
#endif

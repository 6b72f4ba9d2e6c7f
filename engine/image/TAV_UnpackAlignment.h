// TAV_UnpackAlignment: lets OpenGL read packed pixel rows for the duration of one upload.
//
// OpenGL expects every source row to start on a GL_UNPACK_ALIGNMENT boundary (4 bytes by
// default); our images and decoded PNGs keep their rows packed, so a row of, say, 3 RGB
// pixels (9 bytes) would be read with a 3-byte shift per row and the picture would come
// out sheared. For such rows the alignment is 1 while this object lives; the previous value
// is restored at the end of the scope, so code that relies on the default is not disturbed.
#pragma once

#include <GL/gl.h>  // Required for: glPixelStorei(), glGetIntegerv(), GL_UNPACK_ALIGNMENT

class TAV_UnpackAlignment {
public:
    explicit TAV_UnpackAlignment(long rowBytes)
    {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
        if (rowBytes % previousAlignment != 0)
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~TAV_UnpackAlignment() { glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment); }
    TAV_UnpackAlignment(const TAV_UnpackAlignment&) = delete;
    TAV_UnpackAlignment& operator=(const TAV_UnpackAlignment&) = delete;

private:
    GLint previousAlignment = 4;
};

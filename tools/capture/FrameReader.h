// FrameReader: reads rendered frames back from OpenGL without waiting for each one.
//
// Where the context has pixel buffer objects (OpenGL 2.1 or ARB_pixel_buffer_object), the
// read of frame k is only started into one of two buffers, and frame k - 1, whose read has
// had a whole frame to complete, is copied out of the other: the renderer never stalls on
// its own last frame. Without them each frame is read at once. Frames come out as
// width x height RGBA rows, bottom row first. Main thread, with the context current; the
// buffers are made up front and freed by the destructor.
#pragma once

#include <GL/gl.h>  // Required for: GLuint

#include <cstdint>  // Required for: uint8_t

class FrameReader {
public:
    FrameReader(int widthPx, int heightPx);
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    bool usesPixelBuffers() const { return m_buffers[0] != 0; }

    // Starts reading the frame just drawn (the back buffer, before the swap). When an
    // earlier frame is ready it is copied to `out` (width x height x 4 bytes) and true is
    // returned; without pixel buffers the frame just drawn itself is.
    bool read(uint8_t* out);
    // Copies the last frame whose read was started to `out`; false when there is none.
    bool flush(uint8_t* out);

private:
    void copyOut(int buffer, uint8_t* out);

    int m_widthPx;
    int m_heightPx;
    GLuint m_buffers[2] = {0, 0};
    int m_next = 0;           // buffer the next read goes into
    bool m_pending = false;   // the other buffer holds a read not copied out yet
};

// TestGLContext: an OpenGL context on the test process's private Xvfb, for tests that
// render without going through the engine's window.
//
// The window is 800x600 (the frame the demo is laid out for) and mapped, with a
// double-buffered RGBA visual, 8 bits per channel and a depth buffer. The context is current
// from construction to destruction. Pixels read back are RGBA rows from the bottom up, as
// glReadPixels gives them.
//
// Include <gtest/gtest.h> before this header: Xlib's macros (None, Bool) break GoogleTest.
#pragma once

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

class TestGLContext {
public:
    explicit TestGLContext(int width = 800, int height = 600);
    ~TestGLContext();
    TestGLContext(const TestGLContext&) = delete;
    TestGLContext& operator=(const TestGLContext&) = delete;

    // False when no display or no context could be had; the constructor has then already
    // failed the test.
    bool ok() const { return context != nullptr; }

    int width() const { return widthPx; }
    int height() const { return heightPx; }

    // The back buffer, read with glReadPixels (call before swapping).
    std::vector<uint8_t> readPixels() const;
    // One pixel of the back buffer; (0, 0) is the bottom left.
    uint32_t pixel(int x, int y) const;  // 0xRRGGBBAA

private:
    Display* dpy = nullptr;
    Window win = 0;
    Colormap colormap = 0;
    GLXContext context = nullptr;
    int widthPx;
    int heightPx;
};

namespace tavtest {

// Keeps the Mesa GL libraries loaded for the rest of the process, so that LeakSanitizer can
// still name (and lsan.supp suppress) their caches after a display is closed. Call it while
// a GL context is current.
void pinGLDriverLibraries();

// Writes RGBA rows (bottom-up, as read from GL) to an RGB PNG with the top row first, so the
// file looks like the screen. Returns false when the file cannot be written.
bool writeFramePNG(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbaBottomUp);

// The current context's back buffer as RGBA rows from the bottom up, and one pixel of it as
// 0xRRGGBBAA; for any current context, the engine's window included.
std::vector<uint8_t> readBackFrame(int width, int height);
uint32_t readBackPixel(int x, int y);

// Red, green, blue and alpha of a packed 0xRRGGBBAA pixel.
inline int red(uint32_t p) { return int(p >> 24); }
inline int green(uint32_t p) { return int((p >> 16) & 0xff); }
inline int blue(uint32_t p) { return int((p >> 8) & 0xff); }
inline int alpha(uint32_t p) { return int(p & 0xff); }

// A folder for this test process's scratch files, removed at exit.
std::string scratchDir();

}  // namespace tavtest

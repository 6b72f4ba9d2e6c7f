// TAV_Window of the browser build: the page's canvas and its WebGL 2 context.
//
// PLATFORM: browsers (Emscripten). The canvas is the page's <canvas id="canvas">; the page
// sizes it on the screen and tells the engine its drawing-buffer size in device pixels
// (resize), which takes effect at the next event pump, as a ConfigureNotify does on X.
// LIMITATIONS: no video modes, no full-screen switch of its own (the page asks the browser),
// no pointer warp (setCursorPos says so once), no swap interval (the browser presents the
// canvas when the animation callback returns, in step with the display), no X display:
// dpy stays null, so code that would ask the display for its size never does.
// The same names as the X11 window, so the engine's frame step and the demo compile
// unchanged. Static members only; main thread only.
#pragma once

#include <GL/gl.h>                   // Required for: GLenum, GL_BACK
#include <emscripten/html5_webgl.h>  // Required for: EMSCRIPTEN_WEBGL_CONTEXT_HANDLE

#include "core/TAV_FrameMapping.h"   // Required for: the design frame on the canvas

// The X display the desktop build asks for its screen size. There is none in a browser.
struct TAV_NoDisplay;
typedef TAV_NoDisplay Display;
inline int DisplayWidth(Display*, int) { return 0; }
inline int DisplayHeight(Display*, int) { return 0; }
typedef unsigned long Window;

class TAV_Window {
public:
    // Creates the WebGL 2 context on the canvas, with a drawing buffer of width x height
    // (unless the page set another with resize first), and the fixed-function layer on it.
    // `title` and `bits` are unused (the page has its own title). Returns true; throws
    // TAV_Exception* (DISPLAY_UNAVAILABLE) when the browser gives no WebGL 2.
    static bool createWin(const char* title, int width, int height, int bits);
    // Refits m_frame to m_width x m_height (a height of 0 counts as 1), sets the viewport to
    // its picture and a 45-degree perspective of the design frame's 4:3 aspect.
    static void resizeWin();
    // The page's new drawing-buffer size, applied by the next event pump.
    static void resize(int widthPx, int heightPx);
    // Applies a size given to resize(): the pump calls it between a frame's update and the
    // presentation, where X delivers ConfigureNotify.
    static void applyPendingResize();
    // The canvas shows the page's pointer, or none.
    static void showCursor(bool show);
    // Not available in a browser (pages cannot move the pointer); logged once.
    static void setCursorPos(int x, int y);
    // Tells the window that a new task of the page begins (its animation callback): the
    // browser may have presented the canvas since the last frame, which clears it.
    static void beginBrowserTask();
    // Drops the context. Safe to call without one; createWin may follow.
    static void killWindow();

    static bool m_fullscreen;           // unused in the browser: the page owns full screen
    static bool m_leaveDisplaySettings; // unused in the browser: nothing to leave alone
    // Set by drivers that read every frame back (the deterministic player). In a browser the
    // frame stays in the drawing buffer until the animation callback returns anyway, so
    // frames are always drawn on the canvas and read from there.
    static bool m_readBack;
    static bool m_offscreen;
    static GLenum frameReadBuffer() { return GL_BACK; }
    static Display* dpy;                // always null
    static int screen;
    static Window win;                  // always 0: the canvas is the window
    static unsigned int m_width;        // drawing-buffer size in device pixels
    static unsigned int m_height;
    static bool m_showCursor;
    static TAV_FrameMapping m_frame;    // the design frame on the canvas, refitted by resizeWin
    static const char* m_swapControl;   // "browser": presentation follows the display
    static bool m_swapSynchronised;
    static EMSCRIPTEN_WEBGL_CONTEXT_HANDLE m_context;

private:
    static int m_pendingWidthPx;        // from resize(), 0 when none waits
    static int m_pendingHeightPx;
};

// The desktop build swaps buffers through GLX; in a browser the canvas is presented when the
// animation callback returns, so there is nothing to do but make the frame opaque.
void glXSwapBuffers(Display* display, Window window);

// The browser's window: the page's canvas and its WebGL 2 context (see TAV_Window.h).
//
// PLATFORM: browsers through Emscripten's html5 API.
// LIMITATIONS: no video modes, no swap interval, no pointer warp, no X display.
// DEPENDENCIES: emscripten/html5.h (canvas size, WebGL context), the fixed-function layer.
#include "core/TAV_Window.h"

#include <GL/gl.h>
#include <GL/glu.h>            // Required for: gluPerspective()
#include <emscripten/html5.h>  // Required for: emscripten_set_canvas_element_size()

#include <cstdio>  // Required for: printf()

#include "gl/TAV_WebGL.h"
#include "io/TAV_IO_LNX_XEvent.h"  // Required for: listening from the first frame on
#include "sys/TAV_Exception.h"

namespace {

// The projection the scenes were tuned with (the same as the desktop window's).
const double FIELD_OF_VIEW_DEG = 45.0;
const double Z_NEAR = double(0.1f);
const double Z_FAR = 10000.0;
const double DESIGN_ASPECT = double(TAV_FrameMapping::DESIGN_WIDTH_PX) / double(TAV_FrameMapping::DESIGN_HEIGHT_PX);

const char* CANVAS = "#canvas";

}  // namespace

bool TAV_Window::m_fullscreen = false;
bool TAV_Window::m_leaveDisplaySettings = false;
bool TAV_Window::m_readBack = false;
bool TAV_Window::m_offscreen = false;
Display* TAV_Window::dpy = nullptr;
int TAV_Window::screen = 0;
Window TAV_Window::win = 0;
unsigned int TAV_Window::m_width = 0;
unsigned int TAV_Window::m_height = 0;
bool TAV_Window::m_showCursor = true;
TAV_FrameMapping TAV_Window::m_frame;
const char* TAV_Window::m_swapControl = "browser";
bool TAV_Window::m_swapSynchronised = true;
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE TAV_Window::m_context = 0;
int TAV_Window::m_pendingWidthPx = 0;
int TAV_Window::m_pendingHeightPx = 0;

bool TAV_Window::createWin(const char*, int width, int height, int)
{
    if (m_pendingWidthPx > 0) {
        width = m_pendingWidthPx;
        height = m_pendingHeightPx;
        m_pendingWidthPx = m_pendingHeightPx = 0;
    }
    if (m_context == 0) {
        EmscriptenWebGLContextAttributes attributes;
        emscripten_webgl_init_context_attributes(&attributes);
        attributes.majorVersion = 2;
        attributes.minorVersion = 0;
        // An alpha channel, because the demo copies frames into RGBA textures, which WebGL
        // allows only from a framebuffer that has one; endFrame keeps the canvas opaque.
        attributes.alpha = EM_TRUE;
        attributes.depth = EM_TRUE;
        attributes.stencil = EM_FALSE;
        attributes.antialias = EM_FALSE;
        attributes.premultipliedAlpha = EM_TRUE;
        attributes.preserveDrawingBuffer = EM_FALSE;
        attributes.enableExtensionsByDefault = EM_FALSE;
        m_context = emscripten_webgl_create_context(CANVAS, &attributes);
        if (m_context <= 0) {
            m_context = 0;
            throw new TAV_Exception(TAV_Exception::DISPLAY_UNAVAILABLE, "This browser offers no WebGL 2.");
        }
        emscripten_webgl_make_context_current(m_context);
    }
    // Also on a context kept from the last run: it starts from GL's initial state again.
    if (!TAV_WebGL::start())
        throw new TAV_Exception(TAV_Exception::DISPLAY_UNAVAILABLE, "%s", TAV_WebGL::failure());
    TAV_IO_LNX_XEvent::listen();
    emscripten_set_canvas_element_size(CANVAS, width, height);
    TAV_WebGL::endFrame();  // a new size clears the drawing buffer, as presenting does
    m_width = unsigned(width);
    m_height = unsigned(height);
    resizeWin();
    return true;
}

void TAV_Window::resizeWin()
{
    if (m_height == 0)
        m_height = 1;
    m_frame.fit(int(m_width), int(m_height));
    m_frame.applyViewport();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEG, DESIGN_ASPECT, Z_NEAR, Z_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void TAV_Window::resize(int widthPx, int heightPx)
{
    m_pendingWidthPx = widthPx > 0 ? widthPx : 1;
    m_pendingHeightPx = heightPx > 0 ? heightPx : 1;
}

void TAV_Window::applyPendingResize()
{
    if (m_pendingWidthPx == 0 || m_context == 0)
        return;
    if (unsigned(m_pendingWidthPx) != m_width || unsigned(m_pendingHeightPx) != m_height) {
        emscripten_set_canvas_element_size(CANVAS, m_pendingWidthPx, m_pendingHeightPx);
        TAV_WebGL::endFrame();
        m_width = unsigned(m_pendingWidthPx);
        m_height = unsigned(m_pendingHeightPx);
        resizeWin();
    }
    m_pendingWidthPx = m_pendingHeightPx = 0;
}

void TAV_Window::showCursor(bool show)
{
    if (show == m_showCursor)
        return;
    m_showCursor = show;
    emscripten_run_script(show ? "Module.canvas && (Module.canvas.style.cursor = '')"
                               : "Module.canvas && (Module.canvas.style.cursor = 'none')");
}

void TAV_Window::setCursorPos(int, int)
{
    static bool reported = false;
    if (!reported)
        printf("window: moving the pointer is not available in a browser\n");
    reported = true;
}

void TAV_Window::beginBrowserTask()
{
    TAV_WebGL::endFrame();
}

void TAV_Window::killWindow()
{
    // The context lives as long as the page: a second run draws on it again, and WebGL
    // contexts are too few per page to make a new one each time.
    m_fullscreen = true;
    m_width = m_height = 0;
    m_showCursor = true;
    emscripten_run_script("Module.canvas && (Module.canvas.style.cursor = '')");
}

void glXSwapBuffers(Display*, Window)
{
    TAV_WebGL::endFrame();
}

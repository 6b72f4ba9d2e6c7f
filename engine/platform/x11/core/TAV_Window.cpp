#include "core/TAV_Window.h"

#include <GL/glu.h>  // Required for: gluPerspective()
#include <X11/extensions/Xrandr.h>  // Required for: XRRGetMonitors(), the monitors of the screen

#include <cstdio>    // Required for: fprintf() of X protocol errors
#include <cstring>   // Required for: strstr() on the GLX extension list
#include <string>    // Required for: the display name kept across XCloseDisplay
#include <memory>    // Required for: std::unique_ptr of Xlib allocations

#include "core/TAV_DesktopState.h"  // Required for: the desktop as found, given back at the end
#include "core/TAV_GLLimits.h"      // Required for: the largest picture the driver renders
#include "sys/TAV_Exception.h"
#include "sys/TAV_SYS_Config.h"  // Required for: FULLSCREEN, DESKTOP_RESOLUTION, VSYNC
#include "sys/TAV_SYS_Log.h"

namespace {

// Field of view and clip planes of the projection every scene starts from.
const double FIELD_OF_VIEW_DEG = 45.0;
const double Z_NEAR = double(0.1f);  // the single-precision 0.1, as the scenes were tuned with
const double Z_FAR = 10000.0;
// Scenes are composed for the design frame, whatever the window's shape.
const double DESIGN_ASPECT = double(TAV_FrameMapping::DESIGN_WIDTH_PX) / double(TAV_FrameMapping::DESIGN_HEIGHT_PX);

// The swap-interval entry points of the three GLX swap-control extensions.
typedef void (*SwapIntervalExtFn)(Display*, GLXDrawable, int);
typedef int (*SwapIntervalMesaFn)(unsigned int);
typedef int (*SwapIntervalSgiFn)(int);

// Whether the space-separated extension list names `extension` exactly.
bool hasExtension(const char* list, const char* extension)
{
    const size_t length = std::strlen(extension);
    for (const char* at = list ? std::strstr(list, extension) : nullptr; at; at = std::strstr(at + length, extension)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

void* glxProc(const char* name)
{
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

struct XFreeDeleter {
    void operator()(void* data) const { XFree(data); }
};

// Xlib's default handler exits the process on any protocol error, which would leave a
// switched video mode and auto-repeat off behind. Errors are reported and the run goes on.
int reportXError(Display* dpy, XErrorEvent* error)
{
    char text[256];
    XGetErrorText(dpy, error->error_code, text, sizeof(text));
    std::fprintf(stderr, "Tavlen: X error: %s (request %d.%d)\n", text, int(error->request_code),
                 int(error->minor_code));
    return 0;
}

XErrorHandler previousErrorHandler = nullptr;

// A rectangle of the X screen, in pixels from its top-left corner.
struct ScreenBox {
    int xPx = 0;
    int yPx = 0;
    int widthPx = 0;
    int heightPx = 0;
};

// Where the desktop has several monitors (RandR 1.5 reports them), a full-screen window
// across all of them would sit on the bezels: it covers one, the primary, else the one that
// holds the pointer, else the first. False with one monitor, or without RandR 1.5.
bool findFullScreenMonitor(Display* dpy, Window root, ScreenBox& monitor)
{
    int firstEvent, firstError;
    int major = 0, minor = 0;
    if (!XRRQueryExtension(dpy, &firstEvent, &firstError) || !XRRQueryVersion(dpy, &major, &minor)
        || (major == 1 && minor < 5) || major < 1)
        return false;
    int count = 0;
    std::unique_ptr<XRRMonitorInfo, decltype(&XRRFreeMonitors)> monitors(XRRGetMonitors(dpy, root, True, &count),
                                                                         &XRRFreeMonitors);
    if (!monitors || count < 2)
        return false;
    Window pointerRoot, pointerChild;
    int pointerX = 0, pointerY = 0, childX, childY;
    unsigned int buttons;
    const bool pointerOnScreen =
        XQueryPointer(dpy, root, &pointerRoot, &pointerChild, &pointerX, &pointerY, &childX, &childY, &buttons);
    const XRRMonitorInfo* primary = nullptr;
    const XRRMonitorInfo* underPointer = nullptr;
    const XRRMonitorInfo* first = nullptr;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& candidate = monitors.get()[i];
        if (candidate.width <= 0 || candidate.height <= 0)
            continue;
        const bool holdsPointer = pointerOnScreen && pointerX >= candidate.x && pointerX < candidate.x + candidate.width
            && pointerY >= candidate.y && pointerY < candidate.y + candidate.height;
        if (!primary && candidate.primary)
            primary = &candidate;
        if (!underPointer && holdsPointer)
            underPointer = &candidate;
        if (!first)
            first = &candidate;
    }
    const XRRMonitorInfo* chosen = primary ? primary : underPointer ? underPointer : first;
    if (!chosen)
        return false;
    monitor.xPx = chosen->x;
    monitor.yPx = chosen->y;
    monitor.widthPx = chosen->width;
    monitor.heightPx = chosen->height;
    TAV_SYS_Log::getInstance()->log("/*Monitor %d of %d: %dx%d+%d+%d", int(chosen - monitors.get()) + 1, count,
                                    monitor.widthPx, monitor.heightPx, monitor.xPx, monitor.yPx);
    return true;
}

// The name the display was opened with, for messages.
const char* displayName()
{
    const char* name = XDisplayName(nullptr);
    return (name && name[0]) ? name : "(DISPLAY is not set)";
}

// Creation failed before anything on the server was changed: close the connection, which
// frees what was created on it, and report.
[[noreturn]] void giveUp(const char* what)
{
    const std::string name = displayName();
    XCloseDisplay(TAV_Window::dpy);
    TAV_Window::dpy = nullptr;
    XSetErrorHandler(previousErrorHandler);
    throw new TAV_Exception(TAV_Exception::DISPLAY_UNAVAILABLE, "%s on display %s", what, name.c_str());
}

}  // namespace

bool TAV_Window::m_fullscreen = true;
bool TAV_Window::m_leaveDisplaySettings = false;
bool TAV_Window::m_readBack = false;
bool TAV_Window::m_offscreen = false;
TAV_OffscreenTarget TAV_Window::m_target;
Display* TAV_Window::dpy = nullptr;
int TAV_Window::screen = 0;
Window TAV_Window::win = 0;
GLXContext TAV_Window::ctx = nullptr;
XSetWindowAttributes TAV_Window::attr;
int TAV_Window::doubleBuffered = 0;
XF86VidModeModeInfo TAV_Window::deskMode;
int TAV_Window::x = 0;
int TAV_Window::y = 0;
unsigned int TAV_Window::m_width = 0;
unsigned int TAV_Window::m_height = 0;
unsigned int TAV_Window::depth = 0;
Cursor TAV_Window::m_cursorOff = 0;
Atom TAV_Window::m_wmDeleteWindow = None;
bool TAV_Window::m_showCursor = true;
bool TAV_Window::m_hasDeskMode = false;
TAV_FrameMapping TAV_Window::m_frame;
const char* TAV_Window::m_swapControl = "none";
bool TAV_Window::m_swapSynchronised = false;

int TAV_Window::attrListDbl[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 4, GLX_GREEN_SIZE, 4,
                                 GLX_BLUE_SIZE, 4, GLX_DEPTH_SIZE, 16, None};
int TAV_Window::attrListSgl[] = {GLX_RGBA, GLX_RED_SIZE, 4, GLX_GREEN_SIZE, 4, GLX_BLUE_SIZE, 4,
                                 GLX_DEPTH_SIZE, 16, None};

bool TAV_Window::createWin(const char* title, int width, int height, int /*bits*/)
{
    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    m_showCursor = true;
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
    m_fullscreen = config->getInt("FULLSCREEN", 1) == 1;
    // Full screen at the desktop's own resolution: the mode list is not even asked for, so
    // neither a switch now nor a restore at the end can touch the display's mode.
    const bool desktopResolution = m_fullscreen && config->getInt("DESKTOP_RESOLUTION", 0) == 1;
    // Only the value 0 turns it off: a value that is not a number is not a request for it.
    const bool synchronised = std::strcmp(config->getString("VSYNC", "1"), "0") != 0;

    dpy = XOpenDisplay(nullptr);
    if (!dpy)
        throw new TAV_Exception(TAV_Exception::DISPLAY_UNAVAILABLE, "unable to open X display %s", displayName());
    screen = DefaultScreen(dpy);
    previousErrorHandler = XSetErrorHandler(reportXError);

    // The video modes. Asked only when the server has the extension: Xlib would otherwise
    // print a warning for every call.
    std::unique_ptr<XF86VidModeModeInfo*, XFreeDeleter> modes;
    int modeCount = 0;
    int opcode, firstEvent, firstError;
    int vmMajor = 0, vmMinor = 0;
    m_hasDeskMode = false;
    // On a desktop of several monitors full screen covers one, as it is: a video mode switch
    // would reach across all of them.
    ScreenBox monitor;
    const bool oneOfSeveralMonitors = m_fullscreen && findFullScreenMonitor(dpy, RootWindow(dpy, screen), monitor);
    if (desktopResolution || oneOfSeveralMonitors) {
        log->log("/*Desktop resolution: the video mode stays as it is");
    } else if (XQueryExtension(dpy, "XFree86-VidModeExtension", &opcode, &firstEvent, &firstError)
               && XF86VidModeQueryVersion(dpy, &vmMajor, &vmMinor)) {
        log->log("/*XF86VidModeExtension-Version %d.%d", vmMajor, vmMinor);
        XF86VidModeModeInfo** list = nullptr;
        if (XF86VidModeGetAllModeLines(dpy, screen, &modeCount, &list)) {
            modes.reset(list);
            m_hasDeskMode = modeCount > 0;
        }
    } else {
        log->log("/*XF86VidModeExtension missing: the video mode stays as it is");
    }

    // The first mode is the current one. Its driver-private data lives in the list, which is
    // freed below, and is not needed to switch back.
    int best = -1;
    if (m_hasDeskMode) {
        deskMode = *modes.get()[0];
        deskMode.privsize = 0;
        deskMode.c_private = nullptr;
        for (int i = 0; i < modeCount; ++i) {
            if (modes.get()[i]->hdisplay == width && modes.get()[i]->vdisplay == height)
                best = i;  // the last match wins
        }
    }

    // Asked first, so the user reads one line about it rather than Xlib's warnings.
    if (!XQueryExtension(dpy, "GLX", &opcode, &firstEvent, &firstError))
        giveUp("no OpenGL: the GLX extension is missing");
    std::unique_ptr<XVisualInfo, XFreeDeleter> visual(glXChooseVisual(dpy, screen, attrListDbl));
    if (visual) {
        doubleBuffered = True;
        log->log("/*Doublebuffered Visual");
    } else {
        visual.reset(glXChooseVisual(dpy, screen, attrListSgl));
        doubleBuffered = False;
        log->log("/*Singlebuffered Visual");
    }
    if (!visual)
        giveUp("no OpenGL visual (is GLX available?)");

    int glxMajor = 0, glxMinor = 0;
    glXQueryVersion(dpy, &glxMajor, &glxMinor);
    log->log("/*GLX_VERSION: %d.%d", glxMajor, glxMinor);

    ctx = glXCreateContext(dpy, visual.get(), nullptr, True);
    if (!ctx)
        giveUp("unable to create an OpenGL context");

    // From here on nothing fails: the display's state may be changed, once it is noted (the
    // guardian has noted it already, before this process existed).
    if (!m_leaveDisplaySettings)
        TAV_DesktopState::note(dpy, switchesVideoMode() && !oneOfSeveralMonitors);
    const Window root = RootWindow(dpy, visual->screen);
    attr.colormap = XCreateColormap(dpy, root, visual->visual, AllocNone);
    attr.border_pixel = 0;
    attr.event_mask = EVENT_MASK;

    if (m_fullscreen) {
        int leftPx = 0, topPx = 0;
        unsigned int widthPx, heightPx;
        if (oneOfSeveralMonitors) {
            leftPx = monitor.xPx;
            topPx = monitor.yPx;
            widthPx = unsigned(monitor.widthPx);
            heightPx = unsigned(monitor.heightPx);
        } else if (best >= 0 && !m_leaveDisplaySettings) {
            XF86VidModeModeInfo* mode = modes.get()[best];
            XF86VidModeSwitchToMode(dpy, screen, mode);
            XF86VidModeSetViewPort(dpy, screen, 0, 0);
            widthPx = mode->hdisplay;
            heightPx = mode->vdisplay;
        } else if (m_hasDeskMode) {
            // No mode of that size: stay in the desktop mode and cover it.
            XF86VidModeSetViewPort(dpy, screen, 0, 0);
            widthPx = deskMode.hdisplay;
            heightPx = deskMode.vdisplay;
        } else {
            widthPx = unsigned(DisplayWidth(dpy, screen));
            heightPx = unsigned(DisplayHeight(dpy, screen));
        }
        log->log("/*Resolution %dx%d", int(widthPx), int(heightPx));
        modes.reset();

        attr.override_redirect = True;
        win = XCreateWindow(dpy, root, leftPx, topPx, widthPx, heightPx, 0, visual->depth, InputOutput,
                            visual->visual, CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect, &attr);
        XWarpPointer(dpy, None, win, 0, 0, 0, 0, 0, 0);
        XMapRaised(dpy, win);
        XGrabKeyboard(dpy, win, True, GrabModeAsync, GrabModeAsync, CurrentTime);
        // Confines the pointer to the window.
        XGrabPointer(dpy, win, True, ButtonPressMask, GrabModeAsync, GrabModeAsync, win, None, CurrentTime);
    } else {
        modes.reset();
        attr.override_redirect = False;
        win = XCreateWindow(dpy, root, 0, 0, unsigned(width), unsigned(height), 0, visual->depth, InputOutput,
                            visual->visual, CWBorderPixel | CWColormap | CWEventMask, &attr);
        // Registered so a window manager asks rather than killing the connection on close;
        // the pump answers the request with the orderly end.
        // Made if no client has made it yet: a window manager started later still asks.
        m_wmDeleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
        if (m_wmDeleteWindow != None)
            XSetWMProtocols(dpy, win, &m_wmDeleteWindow, 1);
        XSetStandardProperties(dpy, win, title, title, None, nullptr, 0, nullptr);
        XMapRaised(dpy, win);
    }

    glXMakeCurrent(dpy, win, ctx);
    TAV_GLLimits::read();
    setSwapInterval(synchronised);

    Window geometryRoot;
    unsigned int border;
    XGetGeometry(dpy, win, &geometryRoot, &x, &y, &m_width, &m_height, &border, &depth);
    log->log("/*Color Depth %d", int(depth));
    log->log(glXIsDirect(dpy, ctx) ? "/*Directrendering enabled" : "/*No Direct Rendering");
    if (m_offscreen) {
        if (m_target.create(dpy, visual.get(), ctx, width, height)) {
            m_width = unsigned(width);
            m_height = unsigned(height);
            log->log("/*Off-screen %s %dx%d", m_target.kind(), width, height);
        } else {
            std::fprintf(stderr, "Tavlen: no off-screen drawable of %dx%d on this driver: frames are read from the window\n",
                         width, height);
        }
    }

    resizeWin();

    // An empty 1x1 mask makes the cursor fully transparent.
    const Pixmap blank = XCreatePixmap(dpy, win, 1, 1, 1);
    XGCValues clearValues;
    clearValues.function = GXclear;
    const GC gc = XCreateGC(dpy, blank, GCFunction, &clearValues);
    XFillRectangle(dpy, blank, gc, 0, 0, 1, 1);
    XColor black = {};
    m_cursorOff = XCreatePixmapCursor(dpy, blank, blank, &black, &black, 0, 0);
    XFreePixmap(dpy, blank);
    XFreeGC(dpy, gc);

    // Held keys give one press and one release: scenes see keys, not typing.
    if (!m_leaveDisplaySettings)
        XAutoRepeatOff(dpy);
    // The server's state now matches what this function promised.
    XSync(dpy, False);
    return true;
}

bool TAV_Window::switchesVideoMode()
{
    TAV_SYS_Config* config = TAV_SYS_Config::getInstance();
    return !m_leaveDisplaySettings && config->getInt("FULLSCREEN", 1) == 1 && config->getInt("DESKTOP_RESOLUTION", 0) != 1;
}

void TAV_Window::resizeWin()
{
    if (m_height == 0)
        m_height = 1;
    const TAV_FrameMapping previous = m_frame;
    m_frame.fit(int(m_width), int(m_height), TAV_GLLimits::largestPictureWidthPx(),
                TAV_GLLimits::largestPictureHeightPx());
    // Said once per size: a driver that cannot render the picture at the screen's own
    // resolution gives a softer picture, and whoever wonders why should find out.
    if (m_frame.isStretched() && m_frame != previous) {
        const TAV_FrameMapping::Rect& shown = m_frame.shownPicture();
        const TAV_FrameMapping::Rect& rendered = m_frame.picture();
        std::fprintf(stderr,
                     "Tavlen: a %d x %d picture is beyond this OpenGL driver's limits (textures %d, viewports "
                     "%d x %d); it is rendered at %d x %d and scaled up\n",
                     shown.widthPx, shown.heightPx, TAV_GLLimits::maxTextureSizePx(),
                     TAV_GLLimits::maxViewportWidthPx(), TAV_GLLimits::maxViewportHeightPx(), rendered.widthPx,
                     rendered.heightPx);
    }
    m_frame.applyViewport();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEG, DESIGN_ASPECT, Z_NEAR, Z_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void TAV_Window::showCursor(bool show)
{
    if (show == m_showCursor)
        return;
    m_showCursor = show;
    if (show)
        XUndefineCursor(dpy, win);
    else
        XDefineCursor(dpy, win, m_cursorOff);
}

void TAV_Window::setCursorPos(int x, int y)
{
    XWarpPointer(dpy, win, win, 0, 0, m_width, m_height, x, y);
}

void TAV_Window::setSwapInterval(bool synchronised)
{
    TAV_SYS_Log* log = TAV_SYS_Log::getInstance();
    const char* extensions = glXQueryExtensionsString(dpy, screen);
    const int interval = synchronised ? 1 : 0;
    m_swapControl = "none";
    m_swapSynchronised = false;
    if (hasExtension(extensions, "GLX_EXT_swap_control")) {
        if (auto swapInterval = reinterpret_cast<SwapIntervalExtFn>(glxProc("glXSwapIntervalEXT"))) {
            swapInterval(dpy, win, interval);
            m_swapControl = "GLX_EXT_swap_control";
            m_swapSynchronised = synchronised;
        }
    } else if (hasExtension(extensions, "GLX_MESA_swap_control")) {
        if (auto swapInterval = reinterpret_cast<SwapIntervalMesaFn>(glxProc("glXSwapIntervalMESA"))) {
            swapInterval(unsigned(interval));
            m_swapControl = "GLX_MESA_swap_control";
            m_swapSynchronised = synchronised;
        }
    } else if (hasExtension(extensions, "GLX_SGI_swap_control")) {
        // It refuses an interval of 0: unsynchronised swaps cannot be asked for through it,
        // and the driver's default (usually synchronised) stays.
        if (auto swapInterval = reinterpret_cast<SwapIntervalSgiFn>(glxProc("glXSwapIntervalSGI"))) {
            if (synchronised) {
                m_swapControl = "GLX_SGI_swap_control";
                m_swapSynchronised = swapInterval(1) == 0;
            } else {
                m_swapControl = "GLX_SGI_swap_control (cannot turn it off)";
                m_swapSynchronised = true;
            }
        }
    }
    // What was asked as well as what was had: many drivers offer no swap control at all.
    log->log("/*Swap control: %s, swaps %s (VSYNC %s)", m_swapControl,
             m_swapSynchronised ? "wait for the display's refresh" : "not synchronised", synchronised ? "on" : "off");
}

void TAV_Window::killWindow()
{
    if (dpy) {
        if (ctx) {
            m_target.destroy();
            glXMakeCurrent(dpy, None, nullptr);
            glXDestroyContext(dpy, ctx);
        }
        if (m_cursorOff)
            XFreeCursor(dpy, m_cursorOff);
        if (win)
            XDestroyWindow(dpy, win);
        if (attr.colormap)
            XFreeColormap(dpy, attr.colormap);
        // The mode, the viewport and key repeat as the desktop had them; a run that left the
        // display alone holds no note, and nothing is touched.
        TAV_DesktopState::giveBack(dpy);
        XCloseDisplay(dpy);  // flushes the requests above and releases the grabs
        XSetErrorHandler(previousErrorHandler);
    }
    dpy = nullptr;
    win = 0;
    ctx = nullptr;
    attr.colormap = 0;
    m_cursorOff = 0;
    m_wmDeleteWindow = None;
    m_hasDeskMode = false;
    m_showCursor = true;
    m_fullscreen = true;
    m_frame = TAV_FrameMapping();
    m_swapControl = "none";
    m_swapSynchronised = false;
    m_width = 0;
    m_height = 0;
}

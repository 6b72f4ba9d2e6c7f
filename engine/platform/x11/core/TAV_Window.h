// TAV_Window: everything that touches the X display: the video mode, the GLX visual and
// context, the output window, the invisible cursor, keyboard auto-repeat and the projection.
//
// Static members only; there is one window per process. createWin takes the display and
// changes its state (full-screen video mode, grabs, auto-repeat off) after noting it
// (TAV_DesktopState); killWindow gives back what the note holds (the mode, key repeat as the
// user had it) and closes the display. When createWin fails it throws TAV_Exception* before
// it has changed anything on the X server.
// Displays without the XFree86 video-mode extension (Xvfb, many nested or remote servers)
// get no mode switch and no mode restore: full screen then covers the screen as it is.
// DESKTOP_RESOLUTION=1 asks for that on every display: full screen at the desktop's own size,
// without any video-mode change. On a desktop of several monitors (RandR 1.5) full screen
// covers one, the primary or else the pointer's, at its own position and size, and the video
// mode is never switched. At any window size scenes see their 800 x 600 design frame
// through m_frame (TAV_FrameMapping): the largest centred 4:3 picture, black bars around it,
// rendered no larger than the driver's limits allow (TAV_GLLimits, read here).
// Buffer swaps wait for the display's refresh (GLX swap control) unless VSYNC is exactly 0.
// Main thread only.
//
// Xlib defines macros (None, Bool, Status): in tests include <gtest/gtest.h> first.
#pragma once

#include <GL/glx.h>                   // Required for: GLXContext (brings Xlib and GL)
#include <X11/Xlib.h>                 // Required for: Display, Window, Cursor
#include <X11/extensions/xf86vmode.h> // Required for: XF86VidModeModeInfo

#include "core/TAV_FrameMapping.h"    // Required for: the design frame on the window
#include "core/TAV_OffscreenTarget.h"  // Required for: frames drawn off the screen

class TAV_Window {
public:
    // Opens the display and the window; `bits` is unused (the visual decides the depth).
    // FULLSCREEN=1 (the default) in app.cfg asks for full screen: the video mode of exactly
    // width x height if the display offers it, else the desktop mode, with override-redirect
    // and both grabs; on several monitors, one monitor as it is. Anything else gives a normal window of width x height named `title`.
    // Returns true; throws TAV_Exception* (DISPLAY_UNAVAILABLE) when the display, a visual or
    // the context cannot be had.
    static bool createWin(const char* title, int width, int height, int bits);
    // Refits m_frame to m_width x m_height (a height of 0 counts as 1) within the driver's
    // limits, sets the viewport to its picture and a 45-degree perspective of the design
    // frame's 4:3 aspect. A picture over the limits is said once on stderr.
    static void resizeWin();
    // Shows the normal pointer or the invisible one.
    static void showCursor(bool show);
    // Moves the pointer to window pixel (x, y); only while it is inside the window.
    static void setCursorPos(int x, int y);
    // Gives the display back as it was found and closes it. Safe to call without a window.
    static void killWindow();
    // Whether the settings let createWin switch the video mode: full screen (FULLSCREEN=1),
    // not at the desktop's own resolution (DESKTOP_RESOLUTION=1), display not left alone.
    // Whether a mode of the asked size exists is not asked: the display is not opened.
    static bool switchesVideoMode();

    static bool m_fullscreen;           // full screen requested; true again after killWindow
    // Off by default. Set before createWin by tools that render on someone's display (the
    // capture): then the video mode is never switched nor re-selected (full screen covers the
    // screen as it is) and keyboard auto-repeat stays as it was. killWindow keeps the switch.
    static bool m_leaveDisplaySettings;
    // Off by default. Set before createWin by drivers that read every frame back after the
    // engine's step (the deterministic player, and so the capture and the tools): buffer
    // swaps then leave the frame where it was drawn, and the window shows nothing of it.
    static bool m_readBack;
    // Off by default. Set before createWin (with m_readBack) where the frame's size must be
    // exactly the configured one: frames are then drawn into m_target, an off-screen drawable
    // of exactly width x height, and the window's size (a small screen, a window manager)
    // no longer changes them; the window only takes keys and close requests. Where the driver
    // offers no off-screen drawable, frames stay in the window's back buffer.
    // killWindow keeps both switches.
    static bool m_offscreen;
    static TAV_OffscreenTarget m_target;
    // The buffer that holds the frame last drawn, for glReadBuffer after the engine's step:
    // the off-screen target's, else the window's back buffer (kept there by m_readBack; after
    // a swap, what most drivers and llvmpipe keep, though GLX leaves it undefined).
    static GLenum frameReadBuffer() { return m_target.isActive() ? m_target.readBuffer() : GL_BACK; }
    static Display* dpy;
    static int screen;
    static Window win;
    static GLXContext ctx;
    static XSetWindowAttributes attr;
    static int doubleBuffered;          // whether the double-buffered visual was obtained
    static XF86VidModeModeInfo deskMode;// the video mode at start-up: full screen's size without a match
    static int x;
    static int y;
    static unsigned int m_width;        // client size in pixels, kept up to date by the pump
    static unsigned int m_height;
    static unsigned int depth;
    static Cursor m_cursorOff;          // fully transparent cursor
    static Atom m_wmDeleteWindow;       // WM_DELETE_WINDOW of a managed window, else None
    static bool m_showCursor;
    static TAV_FrameMapping m_frame;    // the design frame on the window, refitted by resizeWin
    // The GLX extension that sets the swap interval ("GLX_EXT_swap_control", ...), or "none".
    static const char* m_swapControl;
    static bool m_swapSynchronised;     // whether swaps wait for the display's refresh

    // GLX visual requests, tried in this order.
    static int attrListDbl[];
    static int attrListSgl[];
    // Keys, buttons, motion, exposure and structure changes (0x2804F).
    static constexpr long EVENT_MASK = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask
        | PointerMotionMask | ExposureMask | StructureNotifyMask;

private:
    // Swaps wait for the refresh (VSYNC other than 0) or not, through the first swap-control
    // extension the context offers. Needs the context current.
    static void setSwapInterval(bool synchronised);

    // True when the video-mode extension gave the desktop mode.
    static bool m_hasDeskMode;
};

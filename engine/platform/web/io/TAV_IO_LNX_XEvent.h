// The browser's event pump, run once per frame by the engine's step. It keeps the X pump's
// name so that the engine's frame step compiles unchanged on both platforms.
//
// PLATFORM: browsers. DOM key events on the document and mouse events on the canvas are
// queued as they arrive (between frames) and dispatched here, in arrival order, to
// TAV_IO_Keyboard and TAV_IO_Mouse, like X's KeyPress and ButtonPress; a new drawing-buffer
// size from the page is applied here too, like ConfigureNotify. Motion is coalesced to one
// call per pass with the last position.
// LIMITATIONS: keys that the browser keeps for itself (Escape leaving full screen, F11, the
// tab keys of the browser) reach the page only when the browser passes them on; there is no
// close request (a page is closed with its tab). Main thread only.
#pragma once

class TAV_IO_LNX_XEvent {
public:
    // Starts listening to the page's events, dropping any queued so far; the window calls it
    // at each start.
    static void listen();
    // Dispatches every queued event, then the coalesced motion, then a pending resize.
    static void processEvents();
};

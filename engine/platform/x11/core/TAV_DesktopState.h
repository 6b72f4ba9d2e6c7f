// TAV_DesktopState: what the desktop was before a run changed it, and how to give it back.
//
// A run changes up to three things on the X server: the video mode and the viewport (full
// screen at a configured size) and keyboard auto-repeat (for the whole server). note() takes
// them down as the desktop has them, before anything is changed; giveBack() puts back what
// differs from the note and forgets it. The orderly end (TAV_Window::killWindow) and the
// guardian (TAV_Guardian) both give back this one note, so both follow one policy: key repeat
// comes back as the user had it (on or off), and a mode the run was never going to switch (a
// window, DESKTOP_RESOLUTION=1) is neither noted nor switched at the end.
//
// The note outlives every process of the run: it is also a small file per display,
// $XDG_RUNTIME_DIR/tavlen-desktop-HOST:N.S (in /tmp/tavlen-UID when that variable is unset),
// naming its writer by pid, process start time and boot. It is written before the display
// changes and removed once the desktop is given back. A start that finds one whose writer is
// gone (both processes killed at once) first gives that desktop back and says so in one line
// on stderr, instead of taking the changed desktop for the desktop's own; one whose writer
// still runs (a second run on the same display) is taken over as it is, and left to it.
//
// One note per process, static members only. The guardian notes before it forks, so the
// demo inherits the note and does not take it again. Main thread only.
#pragma once

#include <X11/Xlib.h>  // Required for: Display

class TAV_DesktopState {
public:
    // Notes the desktop on `dpy` as it is now, unless this process holds a note already,
    // after giving back a stale note of the same display. With `guardsMode` false the video
    // mode and viewport are left out: the run will not switch them, so nothing will switch
    // them back. Writes the note's file; a run goes on without one when it cannot be written.
    static void note(Display* dpy, bool guardsMode);
    // Puts back on `dpy` what differs from the note (only what was noted), waits until the
    // server has done it, then removes the note's file and forgets the note. Does nothing
    // without a note.
    static void giveBack(Display* dpy);
    // Forgets the note without touching the display (the desktop was given back elsewhere, or
    // never changed), removing the note's file if this run wrote it.
    static void forget();

    // Whether this process holds a note, and whether it covers the video mode.
    static bool isNoted();
    static bool guardsMode();
};

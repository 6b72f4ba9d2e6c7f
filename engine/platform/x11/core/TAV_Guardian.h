// TAV_Guardian: keeps the desktop safe from a demo that dies without giving it back.
//
// The program entry calls guard() first of all, before the engine exists. guard() opens its
// own connection to the display, notes what the demo is going to change (TAV_DesktopState:
// the video mode, the viewport, keyboard auto-repeat; also in a file that outlives both
// processes) and forks. The two processes then run:
//   - the guardian (the parent: it keeps the pid the shell waits on) renames itself
//     "tavlen-guard", so `pkill -x tavlen` and `killall tavlen` do not reach it, forwards
//     the signals the engine handles (SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGABRT) to the demo,
//     and sleeps in waitpid. When the demo ends without having reported its orderly end
//     (SIGKILL, a crash, its X connection closed from outside), it gives the noted desktop
//     back and says so in one line on stderr. It exits with what a shell expects: 128 + the signal
//     number after a signal death, the demo's own status otherwise. It never returns from
//     guard(), uses no OpenGL and no sound.
//   - the demo (the child) returns from guard() with the forwarded signals blocked: the
//     engine unblocks them once its handlers are in place, so none is lost at start-up. It
//     receives SIGTERM when the guardian dies, which ends it in order, and calls
//     reportOrderlyEnd() once the engine is deleted and the display given back.
// TAVLEN_GUARDIAN=0 in the environment asks for no guardian (so that a debugger or profiler
// started on tavlen lands in the demo): guard() then returns at once and the demo notes the
// desktop itself. When the display cannot be opened or fork fails, guard() returns without
// guarding and the demo runs (or reports the display) on its own. Only the program entry calls guard(): tests,
// the deterministic player and the tools build the engine in their own process and must not
// fork. Main thread, before any other thread exists.
#pragma once

class TAV_Guardian {
public:
    // Forks the guardian off; returns in the demo process only.
    static void guard();
    // Tells the guardian that the demo gave the display back itself, so it restores nothing.
    // Does nothing in a process that is not guarded.
    static void reportOrderlyEnd();
};

// TAV_Engine: the engine singleton: start-up, the frame loop and the orderly stop.
//
// The constructor routes the termination signals to signalHandler, opens the window
// (TAV_Window) and prepares the root scene; step() is one frame and run() repeats it until
// exit() is asked for (by a key handler, the demo's timeline or a signal); the destructor
// deletes every engine service and gives the display back as it was found.
// The frame's order lives in step() alone. Every driver steps it: run() for the program, the
// deterministic player for tests and tools, the browser's animation callback. A driver that
// needs other time replaces the clocks (TAV_SYS_Util::setClock for frame time, the sound
// layer's manual clock for the music), never the loop.
// Signals: the handler only stores a flag of type volatile sig_atomic_t. The loop turns it
// into exit() after the frame's events, so a signal at any moment, also during start-up
// before the loop runs, ends the program like the exit key does.
// Ownership: the program entry deletes the engine through m_instance and sets it to null.
// Main thread only.
#pragma once

#include <csignal>  // Required for: sig_atomic_t

class TAV_Engine {
public:
    // The engine, built on first call (window, GL context, root scene). m_instance is set
    // only once the constructor has finished. Throws TAV_Exception* when the display, a
    // visual or the context cannot be had, after undoing what it had done.
    static TAV_Engine* getInstance();
    virtual ~TAV_Engine();

    // One frame: root-scene update, event pump (key handlers run here), a signalled exit
    // taken up, buffer swap, scene switch. Returns false once the frame has honoured an exit
    // (the scene is deleted by then), true while the engine goes on.
    bool step();
    // Steps frames until exit(). Returns 0.
    int run();
    // Asks for the orderly end: the current scene is dropped at the end of this frame (hidden
    // and deleted) and the loop stops after it.
    void exit();
    // True from construction until a frame has honoured exit().
    bool isRunning() const { return running; }

    // The signal whose exit request a frame took up, or 0: drivers that report how a run
    // ended (the capture's 130 after Ctrl-C) read it, also when it arrived during start-up.
    int endingSignal() const { return m_endingSignal; }

    // Handler of SIGTERM, SIGHUP, SIGQUIT, SIGABRT and SIGINT: marks the exit request.
    static void signalHandler(int signal);

    // Rehearsal: while set, step() runs frames in full (clocks, timelines, random draws,
    // every OpenGL state change) but draws nothing, so that a driver can bring a scene to a
    // later moment quickly (the deterministic player's jump). The few drawing sites check it:
    // the meshes' draw calls, the root scene's clears, the demo's frame copy and shake's
    // clear, and the buffer swap. Off by default; set and cleared between frames.
    static bool m_drawingSkipped;

    static TAV_Engine* m_instance;

private:
    TAV_Engine();
    TAV_Engine(const TAV_Engine&) = delete;
    TAV_Engine& operator=(const TAV_Engine&) = delete;

    // Window size from app.cfg, the window, and the GL facts for the log.
    void createWin();
    void msgHandling();
    void swapBuffers();
    // Deletes the services in their order and closes the window; also when start-up failed.
    static void releaseServices();

    bool running;  // no exit honoured yet
    int m_endingSignal = 0;
    // The signal number, set by signalHandler, read and cleared by the loop.
    static volatile sig_atomic_t m_exitSignalled;
};

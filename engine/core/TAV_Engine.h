// TAV_Engine: the engine singleton: start-up, the frame loop and the orderly stop.
//
// The constructor routes the termination signals to signalHandler, opens the window
// (TAV_Window) and prepares the root scene; run() drives frames until exit() is asked for
// (by a key handler, the demo's timeline or a signal); the destructor deletes every engine
// service and gives the display back as it was found (desktop mode, auto-repeat).
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

    // Frames until exit(): root update, events, buffer swap, scene switch. Returns 0.
    int run();
    // Asks for the orderly end: the current scene is dropped at the end of this frame (hidden
    // and deleted) and the loop stops after it.
    void exit();
    bool isRunning() const { return running; }

    // Handler of SIGTERM, SIGHUP, SIGQUIT, SIGABRT and SIGINT: marks the exit request.
    static void signalHandler(int signal);

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

    bool running;
    // Set by signalHandler, read and cleared by the loop.
    static volatile sig_atomic_t m_exitSignalled;
};

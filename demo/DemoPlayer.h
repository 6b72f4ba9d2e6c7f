// DemoPlayer: the whole demo without real time, for tests and developer tools.
//
// It builds the engine (with unsynchronised swaps) and the demo scene exactly as the program
// does, and drives the engine's own one-frame step, TAV_Engine::step(). Only the two clocks
// are replaced, through the engine's clock and the sound layer's manual clock: every frame
// lasts a fixed frame time (fractions carry over, so 1000/60 gives 16, 17, 17, ...), and the
// music position starts at 0 on the frame that starts the music and advances by the same
// frame time. Frames are drawn off the screen, into a framebuffer of exactly the size asked
// for (800x600 unless asked otherwise), so a frame can be read back after step() whatever
// the display, its window manager or other windows do.
//
// One player at a time per process; it owns the engine while it lives and deletes it in the
// orderly way the program entry does. Run it in the folder that holds data/.
#pragma once

#include <cstdint>  // Required for: uint8_t, uint32_t
#include <vector>

class LoadObject;

class DemoPlayer {
public:
    // Creates the engine drawing widthPx x heightPx frames and the scene, and runs the
    // engine's first frame, after which the scene is current. Throws TAV_Exception* when the
    // scene cannot be built.
    // IN_WINDOW draws and swaps frames in the window as the program does, and reads them back
    // from the back buffer after the swap, which llvmpipe keeps (GLX does not promise it): for
    // tests of the window's own behaviour, such as a resize while the demo plays.
    enum Target { OFF_SCREEN, IN_WINDOW };
    explicit DemoPlayer(double frameTimeMs = 20.0, int widthPx = WIDTH, int heightPx = HEIGHT,
                        Target target = OFF_SCREEN);
    ~DemoPlayer();
    DemoPlayer(const DemoPlayer&) = delete;
    DemoPlayer& operator=(const DemoPlayer&) = delete;

    // Draws one frame of the demo: one engine step. Returns false when the demo has exited:
    // during this frame (which was still drawn and can be read) or before (then nothing is
    // drawn). An exit asked for between two frames is honoured by the next one, as in the
    // engine's loop.
    bool step();
    // Plays frames until one whose music time is exactly musicTimeMs has been drawn; that
    // frame still lasts the fixed frame time (music and frame clocks are never in lockstep
    // in a real run either). Returns false when the demo exits first or the time has passed.
    bool playToMusicTime(int musicTimeMs);
    // Makes the next frame read this music time, as after a stall or a seek; the music
    // clock goes on from there. Only frames after the music has started read it.
    void setNextMusicTimeMs(int musicTimeMs) { forcedMusicMs = musicTimeMs; }
    // Plays frames until the pre-roll clock has reached loadTimeMs (the frame that reaches
    // it is drawn). Returns false when that is past already.
    bool playToLoadTime(int loadTimeMs);

    // The scene, or null once the demo has exited and the engine has deleted it.
    LoadObject* scene() const { return sceneCurrent; }
    bool exited() const { return exitRequested; }
    // Music time of the frame drawn last, or -1 while the music has not started.
    int musicTimeMs() const { return musicMs; }
    // Frame time that the next frame will last.
    int nextFrameTimeMs() const;
    // Changes the fixed frame time from the next frame on.
    void setFrameTimeMs(double frameTimeMs);
    // Frames drawn since the scene became current.
    int frameCount() const { return frames; }

    // Size of every frame read back.
    int width() const { return widthPx; }
    int height() const { return heightPx; }

    // The frame drawn last: width x height RGBA rows, bottom row first, as glReadPixels
    // gives them.
    const std::vector<uint8_t>& readFrame();
    // One pixel of the frame drawn last; (0, 0) is the bottom left. 0xRRGGBBAA.
    uint32_t pixel(int x, int y) const;

    static constexpr int WIDTH = 800;
    static constexpr int HEIGHT = 600;

private:
    LoadObject* sceneCurrent = nullptr;
    double frameStepMs;
    int widthPx;
    int heightPx;
    int musicMs = -1;
    int forcedMusicMs = -1;     // music time of the next frame, when set
    int frames = 0;
    bool exitRequested = false;
    std::vector<uint8_t> frameBuffer;
};

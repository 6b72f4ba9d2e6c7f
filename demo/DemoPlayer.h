// DemoPlayer: the whole demo without real time, for tests and developer tools.
//
// It builds the engine (in a window of the given size, 800x600 unless asked otherwise, with
// unsynchronised swaps) and the demo scene exactly as the program does, and runs the
// engine's frame loop one pass at a time: root-scene update, event pump,
// buffer swap, scene switch. Only the two clocks are replaced: every frame lasts a fixed
// frame time (fractions carry over, so 1000/60 gives 16, 17, 17, ...), and the music
// position starts at 0 on the frame that starts the music and advances by the same frame
// time. A frame can be read back after step() and before the next one.
//
// One player at a time per process; it owns the engine while it lives and deletes it in the
// orderly way the program entry does. Run it in the folder that holds data/.
#pragma once

#include <cstdint>  // Required for: uint8_t, uint32_t
#include <vector>

class LoadObject;

class DemoPlayer {
public:
    // Creates the engine in a window of widthPx x heightPx and the scene, and runs the
    // engine's first frame, after which the scene is current. Throws TAV_Exception* when the
    // scene cannot be built.
    explicit DemoPlayer(double frameTimeMs = 20.0, int widthPx = WIDTH, int heightPx = HEIGHT);
    ~DemoPlayer();
    DemoPlayer(const DemoPlayer&) = delete;
    DemoPlayer& operator=(const DemoPlayer&) = delete;

    // Draws one frame of the demo. Returns false when the demo has asked to exit, during
    // this frame or before (then nothing is drawn).
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

    // Size of the window, and so of every frame read back.
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
    // Completes the frame drawn last: event pump, buffer swap, scene switch.
    void finishFrame();

    LoadObject* sceneCurrent = nullptr;
    double frameStepMs;
    int widthPx;
    int heightPx;
    int musicMs = -1;
    int forcedMusicMs = -1;     // music time of the next frame, when set
    int frames = 0;
    bool framePending = false;
    bool exitRequested = false;
    std::vector<uint8_t> frameBuffer;
};

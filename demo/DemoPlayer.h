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
// The jump. A run in fixed frames from the start is the timeline: frame n shows what a
// capture at that frame rate shows. The player keeps a snapshot (DemoSnapshot) every second
// of the timeline as frames pass, drawn or not, in room made up front; a seek takes back the
// latest one before its goal (or goes on from where it stands, when that is nearer), runs the
// frames up to the goal through the engine's own step with drawing skipped (rehearsal,
// TAV_Engine::m_drawingSkipped), and draws the goal frame in full, identical to the same
// frame of a run from the start. Everything a frame depends on is in a snapshot; the picture
// is not, since frames clear what they show and take the frame copy anew before showing it,
// and the one thing they never clear, the letterbox bars, is cleared as a run leaves it
// before the first frames drawn after a jump (LoadObject::clearBars).
// The random generator is seeded as in a fresh process when the player starts, so a player's
// run is the program's, however many players came before it in the process.
//
// One player at a time per process; it owns the engine while it lives and deletes it in the
// orderly way the program entry does. Run it in the folder that holds data/.
#pragma once

#include <cstdint>  // Required for: uint8_t, uint32_t
#include <vector>

#include "DemoSnapshot.h"  // Required for: the checkpoints and the frame before the last, by value

class LoadObject;

class DemoPlayer {
public:
    // Creates the engine drawing widthPx x heightPx frames and the scene, and runs the
    // engine's first frame, after which the scene is current. Throws TAV_Exception* when the
    // scene cannot be built.
    // IN_WINDOW draws and swaps frames in the window as the program does, and reads them back
    // from the back buffer after the swap, which llvmpipe keeps (GLX does not promise it): for
    // tests of the window's own behaviour, such as a resize while the demo plays.
    // LIVE_WINDOW: the studio's window: app.cfg's XRES/YRES and VSYNC as tavlen reads them
    // (widthPx and heightPx are not used), always a window (FULLSCREEN ignored), frames
    // swapped to the screen, nothing read back unless asked (readFrame still works from the
    // back buffer before the next frame).
    enum Target { OFF_SCREEN, IN_WINDOW, LIVE_WINDOW };
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

    // The exact jump. Afterwards the frame drawn last is the frame of a run played from the
    // start in frames of the player's fixed frame time, namely the first such frame whose
    // music time is >= musicTimeMs (a time at or before 0: the frame that starts the music);
    // identical to that frame of tavlen_capture at the same frame rate. Works forwards and
    // backwards, from any state (also after live frames or a forced music time); step()
    // continues the run exactly. Returns false when the demo ends before it: then the last
    // frame before the end is the one drawn.
    bool seekToMusicTime(int musicTimeMs);
    // The same for the pre-roll, in demo (load) time: the first frame whose pre-roll clock
    // reaches loadTimeMs (seekToLoadTime(0) is the very start, the first frame of the run); a
    // time past the pre-roll lands on the frame that starts the music.
    bool seekToLoadTime(int loadTimeMs);
    // The same for frame number `frame` (>= 1) of the run: frameCount() is `frame` afterwards.
    bool seekToFrame(int frame);
    // Draws the frame drawn last once more, identical (state restored to before it, same frame
    // time and music time): a paused view redrawn, with no smear from effects that read the
    // previous frame. Valid after any step (fixed, live or a seek); nothing once exited.
    void redraw();
    // One frame in real time, for the studio: the engine clock advances by frameTimeMs (wall
    // time x speed; a paused studio calls redraw() instead), and the music time is the
    // stream's own clock, read once for the frame. Returns false once the demo has exited.
    bool stepLive(double frameTimeMs);
    // Whether the next frame would end the demo (the closing has run its course, or the demo
    // has exited): the studio holds the last frame instead of stepping into the exit.
    bool atEnd() const;
    // Frame number of the frame that started the music, or -1 while it has not started.
    int musicStartFrame() const { return musicStartFrameNumber; }

    // The scene, or null once the demo has exited and the engine has deleted it.
    LoadObject* scene() const { return sceneCurrent; }
    bool exited() const { return exitRequested; }
    // Music time of the frame drawn last, or -1 while the music has not started.
    int musicTimeMs() const { return musicMs; }
    // Frame time that the next frame will last.
    int nextFrameTimeMs() const;
    // Changes the fixed frame time from the next frame on.
    void setFrameTimeMs(double frameTimeMs);
    // Frames of the run since the scene became current, rehearsed ones included: after a
    // seek, the number of the frame it landed on.
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

    // Makes the current folder one that holds the demo's data/: this one if it does, else
    // buildFolder (the tools pass the build folder that generates it). False when neither does.
    static bool enterDataFolder(const char* buildFolder);

private:
    // What a seek is after; see seekToMusicTime, seekToLoadTime and seekToFrame.
    enum GoalKind { MUSIC_TIME, LOAD_TIME, FRAME };
    struct Goal {
        GoalKind kind;
        int value;
    };
    // Where a run stands after a frame, as far as goals are concerned.
    struct Position {
        int frames;
        bool musicStarted;
        int musicMs;
        int loadTimeMs;
    };

    bool seek(Goal goal);
    // Whether the goal's frame comes after the frame that left the run at `at`.
    static bool isBefore(const Goal& goal, const Position& at);
    // Where the next fixed frame of the timeline will leave the run.
    Position nextPosition() const;
    // One frame with the clock and the music time already set: drawn, or rehearsed. The
    // player's values after it are kept for redraw() when beforeLast was kept for it.
    void runFrame(bool drawn, bool keepAfter);
    // One fixed frame of frameStepMs, drawn or rehearsed.
    bool fixedFrame(bool drawn);
    DemoSnapshot::PlayerValues values() const;
    void keep(DemoSnapshot& snapshot) const;
    void takeBack(const DemoSnapshot& snapshot);
    // Keeps a checkpoint when the timeline passes one that is not kept yet.
    void noteCheckpoint();

    LoadObject* sceneCurrent = nullptr;
    double frameStepMs;
    int widthPx;
    int heightPx;
    int musicMs = -1;
    int forcedMusicMs = -1;     // music time of the next frame, when set
    int frames = 0;
    int musicStartFrameNumber = -1;
    bool exitRequested = false;
    // The state is that of frame `frames` of the timeline (fixed frames from the start).
    bool onTimeline = true;
    int framesPerCheckpoint = 1;
    std::vector<DemoSnapshot> checkpoints;  // checkpoint k: after frame k x framesPerCheckpoint
    DemoSnapshot beforeLast;                // before the frame drawn last, for redraw()
    DemoSnapshot::PlayerValues afterLast;   // the player's values after it
    int barsToClear = 0;                    // drawn frames still to clear the bars first
    std::vector<uint8_t> frameBuffer;
};

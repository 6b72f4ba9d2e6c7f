// Studio: the demo maker's session: the demo playing in a window with its music, and the keys
// that pause, jump, step, change the speed, show the numbers and reload the pictures.
//
// It drives the deterministic player's live mode, one call per pass of its loop: a live frame
// of wall time x speed while playing, a redraw of the same frame while paused (or held at the
// demo's end), an exact jump for every move. Keys arrive through its own listener (the demo's
// own is taken off the keyboard, so Escape is the studio's: it cancels a typed time, else it
// ends the session) and are handled between frames. Pause and speed go to the music stream
// too, so picture and sound stop, go on and change pace together. Pictures changed in data/
// are reloaded between frames, in place.
// The player must outlive the studio. Main thread only.
#pragma once

#include "DemoPlayer.h"
#include "HeadsUpLine.h"
#include "PictureWatch.h"
#include "SpeedSteps.h"
#include "StudioKeys.h"
#include "TypedTime.h"

class Studio : public HeadsUpLine::Source {
public:
    // Takes the keyboard from the demo and puts the heads-up line over the root scene.
    explicit Studio(DemoPlayer& player);
    // Gives the keyboard and the overlay back.
    ~Studio();
    Studio(const Studio&) = delete;
    Studio& operator=(const Studio&) = delete;

    // Plays from `startDemoMs` (demo time, see SectionNavigation; 0 is the very start) until
    // Escape, the window's close button or a termination signal. Returns the demo time of the
    // frame shown last: where the session was.
    int run(int startDemoMs);

    void readHeadsUp(HeadsUpLine::Reading& reading) const override;

private:
    void handle(const StudioKeys::Press& press);
    void jumpTo(int demoMs);
    // Paused by the user or held at the end: the frame is redrawn and the music is still.
    bool isPaused() const { return pausedByUser || heldAtEnd; }
    // Tells the music what the studio is doing (pause and speed); after jumps, and when the
    // music starts, since the scene starts it from its own timeline.
    void tellMusic();
    void reloadChangedPictures();
    // Demo time of the frame drawn last.
    int positionMs() const;
    void countFrame(double nowMs, double frameTimeMs);

    DemoPlayer& player;
    StudioKeys keys;
    TypedTime typed;
    SpeedSteps speed;
    HeadsUpLine headsUp;
    PictureWatch watch;
    bool pausedByUser = false;
    bool heldAtEnd = false;
    bool quitAsked = false;
    bool jumped = false;        // a key jumped since the last frame: the wall clock starts anew
    bool musicWasStarted = false;
    int lastPositionMs = 0;
    double lastFrameTimeMs = 0.0;
    int framesPerSecond = 0;
    double fpsWindowStartMs = 0.0;
    int fpsWindowFrames = 0;
};

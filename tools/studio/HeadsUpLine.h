// HeadsUpLine: the studio's one line of numbers over the picture, on a dark backing.
//
// It shows the music time in ms (or the pre-roll's clock), the section with its span, the
// speed, whether the run plays, is paused or held at its end, the frame time and the frames
// per second; a time being typed shows on a line of its own above it. It is the root scene's overlay (TAV_RootScene::
// setOverlay): drawn last in each frame, from what its Source reads at that moment, so the
// numbers are those of the frame under them. It draws inside the picture's letterbox band,
// which the scene clears every frame, so nothing of it stays in a later frame, and it leaves
// every bit of OpenGL state as it found it (attributes pushed, matrices pushed and popped).
// Hidden at first; shown while hidden only when a time is being typed. Formatting and drawing
// allocate nothing. Main thread, GL context current.
#pragma once

#include "core/TAV_IUpdateable.h"  // Required for: TAV_IUpdateable, the root scene's overlay

class HeadsUpLine : public TAV_IUpdateable {
public:
    // What the line shows, read once per frame.
    struct Reading {
        bool inPreRoll = true;
        int loadTimeMs = 0;        // the pre-roll's clock
        int musicTimeMs = 0;       // from the music's start, once it has started
        const char* speedLabel = "1x";
        bool paused = false;
        bool heldAtEnd = false;    // paused because the demo has run its course
        double frameTimeMs = 0.0;  // wall time of the last frame
        int framesPerSecond = 0;
        const char* typed = "";    // a time being typed, "" when none
    };
    // Whoever knows the numbers (the studio).
    class Source {
    public:
        virtual void readHeadsUp(Reading& reading) const = 0;

    protected:
        ~Source() = default;
    };

    static constexpr int MAX_TEXT = 128;

    explicit HeadsUpLine(const Source& source) : source(source) {}

    void setVisible(bool visible) { shown = visible; }
    bool isVisible() const { return shown; }

    // Draws the line when visible, and the typed time while there is one; the frame time is
    // not used.
    void update(int frameTime) override;

    // The line's text for a reading, at most MAX_TEXT - 1 characters.
    static void format(const Reading& reading, char (&text)[MAX_TEXT]);
    // The typed time's line ("go to 41.6_"), "" when nothing is typed.
    static void formatTyped(const Reading& reading, char (&text)[MAX_TEXT]);
    // Glyph pixels per font pixel for a picture of this width: as large as keeps a full line
    // within it, 1 to 3.
    static int scaleFor(int pictureWidthPx);

private:
    // Draws the lines given (null for none), the first at the bottom of the band.
    void draw(const char* bottomLine, const char* upperLine) const;

    const Source& source;
    bool shown = false;
};

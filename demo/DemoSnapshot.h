// DemoSnapshot: one moment of a deterministic run, between two frames, kept so that the run
// can be taken back to it: the demo scene's own state (LoadObject::saveState), the engine's
// random generator, the OpenGL state the frames carry over (TAV_GLState), and the player's
// clocks and counters, which DemoPlayer writes and reads in `player`.
//
// The room for the scene is made once (makeRoom); save() and restore() allocate nothing,
// so a player can keep one every second of the run and one before every frame. The picture
// itself is not kept: every frame clears what it shows, and the frame copy is taken anew by
// every frame that shows it. Main thread, with the scene's OpenGL context current.
#pragma once

#include <vector>

#include "core/TAV_GLState.h"      // Required for: the OpenGL state, by value
#include "math/TAV_GlibcRandom.h"  // Required for: the generator's state, by value

class LoadObject;

class DemoSnapshot {
public:
    // The player's values at that moment (see DemoPlayer for their meaning).
    struct PlayerValues {
        double clockMs = 0.0;
        double clockBaseMs = 0.0;
        long framesSinceBase = 0;
        int musicMs = -1;
        int frames = 0;
        int musicStartFrame = -1;
        bool onTimeline = true;
    };

    // Makes room for the state of `scene`; a snapshot holds the states of that scene only.
    void makeRoom(const LoadObject& scene);

    // Keeps the scene's, the generator's and the OpenGL state, and `values`.
    void save(const LoadObject& scene, const PlayerValues& values);
    // Puts the scene, the generator and the OpenGL state back as save() found them.
    void restore(LoadObject& scene) const;

    bool valid() const { return isValid; }
    void invalidate() { isValid = false; }

    PlayerValues player;
    // Read from the scene by save(), so that a player can choose among snapshots.
    int loadTimeMs = 0;
    bool musicStarted = false;
    int endTimeMs = 0;

private:
    std::vector<unsigned char> sceneState;
    TAV_GlibcRandom random;
    TAV_GLState glState;
    bool isValid = false;
};

// SectionNavigation: where the studio's moving keys go, on one line of demo time.
//
// Demo time runs through the whole run: the pre-roll's own clock from 0 to
// LoadObject::PRE_ROLL_MS, then PRE_ROLL_MS + the music time (the closing included, whose
// clock follows the music's). Left and Right go to the previous or next section start (the
// pre-roll counts as one section before the first, its start the very start); Left a little
// into a section goes back to that section's own start, as a player's "previous" does.
// Shift moves by a second, comma and period by a frame of 1/60 s. Every result lies within
// the run. Stateless.
#pragma once

class SectionNavigation {
public:
    // Left within this much of a section's start goes to the section before it.
    static constexpr int RESTART_SLACK_MS = 250;
    // One frame of the studio's fixed frame time, rounded up (1000 / 60).
    static constexpr int FRAME_MS = 17;
    // The latest moment a jump goes to: two frames before the demo ends itself.
    static int lastMs();

    static int demoTimeOfMusic(int musicTimeMs);
    // Whether demoMs lies in the pre-roll (else it is PRE_ROLL_MS + a music time).
    static bool inPreRoll(int demoMs);

    static int previousSection(int demoMs);
    // demoMs itself (clamped) when there is no next one: in the closing.
    static int nextSection(int demoMs);
    static int secondBack(int demoMs);
    static int secondForward(int demoMs);
    // A jump lands on the first frame at or after its target: one frame back is the first
    // frame at or after one frame time ago, one forward the first after now.
    static int frameBack(int demoMs);
    static int frameForward(int demoMs);
    static int clamp(int demoMs);
};

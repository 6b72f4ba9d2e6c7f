// Score: the composition of "ormund_france.ogg", written against the demo's timeline, and
// its mix. Renders the whole 67-second track into a stereo buffer, before mastering.
//
// The timeline the music follows (seconds of playback):
//    0.000  intro under the condensing logo, building up (160 BPM grid from 0)
//   10.500  the logo pulses: hits at 10.500, 10.675, 10.850, 11.233 and 11.617
//   12.000  downbeat; 160 BPM groove, an accent at every two-beat section start
//   41.250  break; hits at 41.618, 41.993 and 42.368
//   42.743  near silence
//   44.743  calm outro at 120 BPM under the credits, the emblem and the closing cards
//           (a chime at each card, 52.743 + 1.5 k), ending by 67.000
#pragma once

#include "Dsp.h"

namespace score {

const double TRACK_SECONDS = 67.0;
const double DOWNBEAT = 12.0;
const double BEAT = 0.375;  // 160 BPM
const double BREAK = 41.25;
const double BREAK_HITS[3] = {41.618, 41.993, 42.368};
const double SILENCE_START = 42.743;
const double OUTRO = 44.743;
const double OUTRO_BEAT = 0.5;  // 120 BPM
const double CLOSING = 52.743;

// The mixed track, not yet mastered.
dsp::Stereo render();

}  // namespace score

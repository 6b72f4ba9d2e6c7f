// What the browser build's music calls tell the page beyond fsound.h: the last reading of
// the music clock, for the demo-time display and the sync measurement. Main thread only.
#pragma once

// The value FSOUND_Stream_GetTime returned last (0 before any reading).
int FSOUND_Web_LastTimeMs();
// The same reading before it was rounded down to whole milliseconds.
double FSOUND_Web_LastClockMs();
// When that reading was taken, in the page's performance.now() milliseconds (0 before any).
double FSOUND_Web_LastReadingAtMs();

// TestOggTone: short Ogg Vorbis files of known tones, made with libvorbisenc, for tests that
// need music without the demo's track.
//
// The track is stereo: in each half second the left channel plays one tone of a fixed
// sequence and the right channel the fifth above it, both at half amplitude, starting at
// full level from the first sample so that the start of the music is easy to find.
#pragma once

#include <string>

namespace tavtest {

// Writes `seconds` of tones at `rateHz` to `path`. Fails the calling test (and returns
// false) when the file cannot be written.
bool writeToneOgg(const std::string& path, double seconds, int rateHz = 44100);

// The frequency of the left channel's tone at `timeSec`; the right one is 1.5 times higher.
double toneFrequencyHz(double timeSec);

} // namespace tavtest

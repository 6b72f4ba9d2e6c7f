// Music: composes, mixes and encodes the demo's track "ormund_france.ogg".
//
// One call does everything: the score is rendered to a stereo float buffer at 44.1 kHz,
// mastered to about -14 LUFS with peaks kept under -1 dBFS, and written as Ogg Vorbis
// with a fixed stream serial, so the file is the same bytes on every run.
#pragma once

#include <string>

// Writes the track to `path`; throws std::runtime_error when the file cannot be written.
void writeMusic(const std::string& path);

// VorbisWriter: encodes a stereo float signal as an Ogg Vorbis file with libvorbisenc.
//
// The stream serial number is a parameter, not a random number, and libvorbis itself is
// deterministic, so the same signal gives the same bytes. Samples are clamped to -1..1.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Dsp.h"

struct VorbisSettings {
    float quality = 0.5f;                    // libvorbis VBR quality, -0.1 to 1
    int serial = 0x54415631;                 // Ogg stream serial number ("TAV1")
    std::vector<std::pair<std::string, std::string>> comments;  // TITLE, ARTIST, ...
};

// Writes `signal` (44.1 kHz stereo) to `path`; throws std::runtime_error on failure.
void writeVorbis(const std::string& path, const dsp::Stereo& signal, const VorbisSettings& settings);

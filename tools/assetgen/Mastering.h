// Mastering: the last steps before encoding: DC and rumble removal, loudness measurement
// after ITU-R BS.1770 (the LUFS that players and ffmpeg's ebur128 filter report), and a
// look-ahead peak limiter.
//
// master() brings a mix to a target integrated loudness with its sample peaks kept under a
// ceiling. It works in place on whole buffers and is deterministic.
#pragma once

#include "Dsp.h"

namespace mastering {

// Integrated loudness in LUFS (K-weighted, gated); -70 or below for silence.
double integratedLoudness(const dsp::Stereo& signal);

// Largest absolute sample of either channel.
float peak(const dsp::Stereo& signal);

// High-pass at 20 Hz, then gain and limiting until the loudness is within 0.1 LU of
// targetLufs with peaks at most ceilingDb (dBFS). Returns the loudness reached.
double master(dsp::Stereo& signal, double targetLufs, float ceilingDb);

}  // namespace mastering

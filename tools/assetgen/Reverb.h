// Reverb: a stereo room after the Schroeder-Moorer design popularised by Freeverb: eight
// damped comb filters in parallel and four all-pass filters in series per channel, the right
// channel's delays a little longer for width.
//
// Works on whole buffers: process() reads a send bus and adds the wet signal to an output.
// The delay lengths are the classic ones tuned for 44.1 kHz.
#pragma once

#include <vector>

#include "Dsp.h"

class Reverb {
public:
    // roomSize 0..1 (decay), damping 0..1 (how fast highs die).
    Reverb(float roomSize, float damping);

    // Adds the reverberated `send` to `out` at `wetGain`.
    void process(const dsp::Stereo& send, dsp::Stereo& out, float wetGain);

private:
    struct Comb {
        std::vector<float> buffer;
        size_t index = 0;
        float store = 0.0f;
    };
    struct AllPass {
        std::vector<float> buffer;
        size_t index = 0;
    };
    struct Channel {
        std::vector<Comb> combs;
        std::vector<AllPass> allPasses;
    };
    float runChannel(Channel& channel, float input);

    float feedback;
    float damp;
    Channel left;
    Channel right;
};

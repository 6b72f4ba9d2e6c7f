// EchoDelay: a ping-pong echo in time with the music: each repeat crosses to the other
// side, a little darker and softer than the last.
//
// Works on whole buffers: process() reads a send bus and adds the echoes to an output.
#pragma once

#include "Dsp.h"

class EchoDelay {
public:
    // delaySeconds between repeats; feedback 0..1 (level of each repeat); toneHz the
    // low-pass in the loop that darkens the repeats.
    EchoDelay(float delaySeconds, float feedback, float toneHz);

    // Adds the echoes of `send` to `out` at `wetGain`.
    void process(const dsp::Stereo& send, dsp::Stereo& out, float wetGain);

private:
    long delayFrames;
    float feedback;
    float toneHz;
};

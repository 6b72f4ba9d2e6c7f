#include "EchoDelay.h"

#include <vector>

EchoDelay::EchoDelay(float delaySeconds, float feedbackAmount, float tone)
    : delayFrames(dsp::sampleAt(delaySeconds)), feedback(feedbackAmount), toneHz(tone)
{
}

void EchoDelay::process(const dsp::Stereo& send, dsp::Stereo& out, float wetGain)
{
    std::vector<float> lineLeft(size_t(delayFrames), 0.0f), lineRight(size_t(delayFrames), 0.0f);
    dsp::Filter toneLeft, toneRight;
    size_t at = 0;
    for (size_t i = 0; i < send.frames(); ++i) {
        const float echoLeft = lineLeft[at], echoRight = lineRight[at];
        // The mono input enters on the left; each side feeds the other, so repeats alternate.
        const float mono = 0.5f * (send.left[i] + send.right[i]);
        lineLeft[at] = toneLeft.low(mono + echoRight * feedback, toneHz);
        lineRight[at] = toneRight.low(echoLeft * feedback, toneHz);
        at = (at + 1) % lineLeft.size();
        out.left[i] += echoLeft * wetGain;
        out.right[i] += echoRight * wetGain;
    }
}

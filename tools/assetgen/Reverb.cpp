#include "Reverb.h"

namespace {

const int COMB_LENGTHS[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int ALLPASS_LENGTHS[4] = {556, 441, 341, 225};
// The right channel's extra delay, which decorrelates the two sides.
const int STEREO_SPREAD = 23;
// Freeverb's input scaling, keeping the parallel combs' sum in range.
const float INPUT_GAIN = 0.015f;

}  // namespace

Reverb::Reverb(float roomSize, float damping)
    : feedback(0.7f + 0.28f * roomSize), damp(0.4f * damping)
{
    for (int spread : {0, STEREO_SPREAD}) {
        Channel& channel = spread == 0 ? left : right;
        for (int length : COMB_LENGTHS) {
            Comb comb;
            comb.buffer.assign(size_t(length + spread), 0.0f);
            channel.combs.push_back(comb);
        }
        for (int length : ALLPASS_LENGTHS) {
            AllPass allPass;
            allPass.buffer.assign(size_t(length + spread), 0.0f);
            channel.allPasses.push_back(allPass);
        }
    }
}

void Reverb::process(const dsp::Stereo& send, dsp::Stereo& out, float wetGain)
{
    for (size_t i = 0; i < send.frames(); ++i) {
        const float input = (send.left[i] + send.right[i]) * INPUT_GAIN;
        out.left[i] += runChannel(left, input) * wetGain;
        out.right[i] += runChannel(right, input) * wetGain;
    }
}

float Reverb::runChannel(Channel& channel, float input)
{
    float sum = 0.0f;
    for (Comb& comb : channel.combs) {
        const float delayed = comb.buffer[comb.index];
        comb.store = delayed * (1.0f - damp) + comb.store * damp;
        comb.buffer[comb.index] = input + comb.store * feedback;
        comb.index = (comb.index + 1) % comb.buffer.size();
        sum += delayed;
    }
    for (AllPass& allPass : channel.allPasses) {
        const float delayed = allPass.buffer[allPass.index];
        allPass.buffer[allPass.index] = sum + delayed * 0.5f;
        allPass.index = (allPass.index + 1) % allPass.buffer.size();
        sum = delayed - sum;
    }
    return sum;
}

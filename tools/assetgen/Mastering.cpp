#include "Mastering.h"

#include <algorithm>  // Required for: std::min, std::max
#include <cmath>      // Required for: std::fabs, std::sqrt, M_PI
#include <deque>
#include <vector>

#include "PortableMath.h"

namespace {

// A biquad section in direct form I, coefficients normalised by a0.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double run(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The two K-weighting stages of BS.1770 at any sample rate: a high shelf of about +4 dB
// (the head's acoustic effect) and a high-pass near 38 Hz (the RLB curve). The analogue
// prototypes are those behind the 48 kHz coefficients printed in the standard.
Biquad shelfStage(double rate)
{
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = pm::tan(M_PI * f0 / rate);
    const double vh = pm::pow(10.0, gainDb / 20.0), vb = pm::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPassStage(double rate)
{
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = pm::tan(M_PI * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// Butterworth high-pass for removing DC and sub-sonic rumble.
Biquad rumbleFilter(double rate, double hz)
{
    const double k = pm::tan(M_PI * hz / rate);
    const double q = 0.7071067811865476;
    const double a0 = 1.0 + k / q + k * k;
    return {1.0 / a0, -2.0 / a0, 1.0 / a0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// A high shelf of +3 dB from about 8 kHz up (RBJ cookbook): the "air" a master gets.
Biquad airShelf(double rate)
{
    const double a = pm::pow(10.0, 3.0 / 40.0), w0 = 2.0 * M_PI * 8000.0 / rate;
    const double cw = pm::cos(w0), alpha = pm::sin(w0) / 2.0 * 1.4142135623730951;  // slope 1
    const double sa = 2.0 * std::sqrt(a) * alpha;
    const double a0 = (a + 1.0) - (a - 1.0) * cw + sa;
    return {a * ((a + 1.0) + (a - 1.0) * cw + sa) / a0, -2.0 * a * ((a - 1.0) + (a + 1.0) * cw) / a0,
            a * ((a + 1.0) + (a - 1.0) * cw - sa) / a0, 2.0 * ((a - 1.0) - (a + 1.0) * cw) / a0,
            ((a + 1.0) - (a - 1.0) * cw - sa) / a0};
}

// Estimates the peaks between samples: the signal at i + 1/4, i + 1/2 and i + 3/4 by
// windowed-sinc interpolation over 16 neighbours. A DAC (and a lossy decoder's
// reconstruction) produces such peaks, which the plain sample peak misses.
class TruePeak {
public:
    TruePeak()
    {
        for (int phase = 0; phase < 3; ++phase) {
            const double frac = double(phase + 1) / 4.0;
            for (int k = 0; k < 2 * HALF; ++k) {
                const double t = double(k - HALF + 1) - frac;  // distance from the point
                const double sinc = pm::sin(M_PI * t) / (M_PI * t);
                const double window = 0.5 + 0.5 * pm::cos(M_PI * t / double(HALF));
                taps[phase][k] = float(sinc * window);
            }
        }
    }
    // The largest of |x[i]| and the three values between x[i] and x[i + 1].
    float near(const std::vector<float>& x, size_t i) const
    {
        float peakValue = std::fabs(x[i]);
        if (i + HALF >= x.size() || i + 1 < size_t(HALF))
            return peakValue;
        for (int phase = 0; phase < 3; ++phase) {
            float v = 0.0f;
            for (int k = 0; k < 2 * HALF; ++k)
                v += taps[phase][k] * x[i + size_t(k) + 1 - size_t(HALF)];
            peakValue = std::max(peakValue, std::fabs(v));
        }
        return peakValue;
    }

private:
    static const int HALF = 8;
    float taps[3][2 * HALF];
};

// Look-ahead limiter: the gain at each sample is the smallest any peak (between samples
// included) in the next `lookahead` samples needs, eased in over that window so that no step is audible, and
// released exponentially.
void limit(dsp::Stereo& s, float ceiling)
{
    const size_t n = s.frames();
    const size_t lookahead = size_t(0.005 * dsp::SAMPLE_RATE);
    const TruePeak truePeak;
    std::vector<float> needed(n);
    for (size_t i = 0; i < n; ++i) {
        const float p = std::max(truePeak.near(s.left, i), truePeak.near(s.right, i));
        needed[i] = p > ceiling ? ceiling / p : 1.0f;
    }
    // Minimum over [i, i + lookahead] with a monotonic queue.
    std::vector<float> ahead(n);
    std::deque<size_t> window;
    for (size_t j = 0; j < n + lookahead; ++j) {
        if (j < n) {
            while (!window.empty() && needed[window.back()] >= needed[j])
                window.pop_back();
            window.push_back(j);
        }
        if (j >= lookahead) {
            const size_t i = j - lookahead;
            while (window.front() < i)
                window.pop_front();
            ahead[i] = needed[window.front()];
        }
    }
    // Release: recover towards 1 with a 60 ms time constant, never above what is needed.
    const float release = 1.0f - pm::exp(-1.0f / (0.06f * float(dsp::SAMPLE_RATE)));
    float g = 1.0f;
    for (size_t i = 0; i < n; ++i) {
        g = std::min(ahead[i], g + (1.0f - g) * release);
        ahead[i] = g;
    }
    // Ease: the mean of the last `lookahead` + 1 gains. Each of them already allows for
    // every peak up to `lookahead` samples after it, so the mean still meets each peak.
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sum += ahead[i];
        if (i > lookahead)
            sum -= ahead[i - lookahead - 1];
        const float gain = float(sum / double(std::min(i + 1, lookahead + 1)));
        s.left[i] = std::max(-ceiling, std::min(ceiling, s.left[i] * gain));
        s.right[i] = std::max(-ceiling, std::min(ceiling, s.right[i] * gain));
    }
}

void scale(dsp::Stereo& s, float gain)
{
    for (size_t i = 0; i < s.frames(); ++i) {
        s.left[i] *= gain;
        s.right[i] *= gain;
    }
}

}  // namespace

namespace mastering {

double integratedLoudness(const dsp::Stereo& signal)
{
    const double rate = dsp::SAMPLE_RATE;
    Biquad shelfL = shelfStage(rate), shelfR = shelfStage(rate);
    Biquad hpL = highPassStage(rate), hpR = highPassStage(rate);
    // Mean squares over 100 ms quarters; blocks of 400 ms overlap by 75 %.
    const size_t quarter = size_t(0.1 * rate);
    std::vector<double> quarters;
    double acc = 0.0;
    for (size_t i = 0; i < signal.frames(); ++i) {
        const double l = hpL.run(shelfL.run(signal.left[i]));
        const double r = hpR.run(shelfR.run(signal.right[i]));
        acc += l * l + r * r;
        if ((i + 1) % quarter == 0) {
            quarters.push_back(acc / double(quarter));
            acc = 0.0;
        }
    }
    std::vector<double> blocks;
    for (size_t q = 3; q < quarters.size(); ++q)
        blocks.push_back((quarters[q - 3] + quarters[q - 2] + quarters[q - 1] + quarters[q]) / 4.0);
    auto lufs = [](double meanSquare) { return -0.691 + 10.0 * pm::log10(std::max(meanSquare, 1e-20)); };
    // Absolute gate at -70 LUFS, then a relative gate 10 LU under the gated mean.
    double sum = 0.0;
    size_t count = 0;
    for (double b : blocks)
        if (lufs(b) > -70.0) {
            sum += b;
            ++count;
        }
    if (count == 0)
        return -70.0;
    const double relativeGate = lufs(sum / double(count)) - 10.0;
    sum = 0.0;
    count = 0;
    for (double b : blocks)
        if (lufs(b) > -70.0 && lufs(b) > relativeGate) {
            sum += b;
            ++count;
        }
    return count ? lufs(sum / double(count)) : -70.0;
}

float peak(const dsp::Stereo& signal)
{
    float p = 0.0f;
    for (size_t i = 0; i < signal.frames(); ++i)
        p = std::max(p, std::max(std::fabs(signal.left[i]), std::fabs(signal.right[i])));
    return p;
}

double master(dsp::Stereo& signal, double targetLufs, float ceilingDb)
{
    Biquad dcL = rumbleFilter(dsp::SAMPLE_RATE, 20.0), dcR = rumbleFilter(dsp::SAMPLE_RATE, 20.0);
    Biquad airL = airShelf(dsp::SAMPLE_RATE), airR = airShelf(dsp::SAMPLE_RATE);
    for (size_t i = 0; i < signal.frames(); ++i) {
        signal.left[i] = float(airL.run(dcL.run(signal.left[i])));
        signal.right[i] = float(airR.run(dcR.run(signal.right[i])));
    }
    const float ceiling = dsp::dbToGain(ceilingDb);
    // Limiting takes loudness away, so the gain is corrected a few times from the
    // unlimited mix until the limited result lands on the target.
    double gainDb = targetLufs - integratedLoudness(signal);
    double reached = 0.0;
    dsp::Stereo limited(0);
    for (int pass = 0; pass < 4; ++pass) {
        limited = signal;
        scale(limited, dsp::dbToGain(float(gainDb)));
        limit(limited, ceiling);
        reached = integratedLoudness(limited);
        if (std::fabs(reached - targetLufs) < 0.1)
            break;
        gainDb += targetLufs - reached;
    }
    signal = limited;
    return reached;
}

}  // namespace mastering

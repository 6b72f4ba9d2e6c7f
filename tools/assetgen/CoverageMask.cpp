#include "CoverageMask.h"

#include <algorithm>  // Required for: std::max, std::min
#include <cmath>      // Required for: std::floor, std::ceil, std::sqrt

namespace {

// One horizontal box pass of half-width r, written transposed so that two calls blur
// both directions with the same code.
void boxPassTransposed(const std::vector<float>& in, int width, int height, int r, std::vector<float>& out)
{
    out.assign(in.size(), 0.0f);
    const float norm = 1.0f / float(2 * r + 1);
    for (int y = 0; y < height; ++y) {
        const float* row = &in[size_t(y) * size_t(width)];
        float sum = 0.0f;
        for (int x = -r; x <= r; ++x)
            sum += (x >= 0 && x < width) ? row[x] : 0.0f;
        for (int x = 0; x < width; ++x) {
            out[size_t(x) * size_t(height) + size_t(y)] = sum * norm;
            const int leaving = x - r, entering = x + r + 1;
            if (leaving >= 0)
                sum -= row[leaving];
            if (entering < width)
                sum += row[entering];
        }
    }
}

}  // namespace

CoverageMask::CoverageMask(int width, int height)
    : widthPx(width), heightPx(height), samples(size_t(width) * size_t(height), 0.0f)
{
}

float CoverageMask::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= widthPx || y >= heightPx)
        return 0.0f;
    return samples[size_t(y) * size_t(widthPx) + size_t(x)];
}

void CoverageMask::set(int x, int y, float value)
{
    if (x < 0 || y < 0 || x >= widthPx || y >= heightPx)
        return;
    samples[size_t(y) * size_t(widthPx) + size_t(x)] = value;
}

void CoverageMask::add(int x, int y, float value)
{
    if (x < 0 || y < 0 || x >= widthPx || y >= heightPx)
        return;
    float& s = samples[size_t(y) * size_t(widthPx) + size_t(x)];
    s = std::min(1.0f, s + value);
}

float CoverageMask::sample(float x, float y) const
{
    const float fx = x - 0.5f, fy = y - 0.5f;
    const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    const float tx = fx - float(x0), ty = fy - float(y0);
    const float top = at(x0, y0) * (1.0f - tx) + at(x0 + 1, y0) * tx;
    const float bottom = at(x0, y0 + 1) * (1.0f - tx) + at(x0 + 1, y0 + 1) * tx;
    return top * (1.0f - ty) + bottom * ty;
}

CoverageMask CoverageMask::dilated(float radiusPx) const
{
    // Distance from every pixel centre to the nearest pixel that is at least half
    // covered (exact Euclidean distance transform), then a one-pixel soft edge at the
    // grown radius. The original coverage is kept where it is larger, so thin or faint
    // parts do not vanish.
    const std::vector<float> distance = distanceToCovered();
    CoverageMask out(widthPx, heightPx);
    for (size_t i = 0; i < samples.size(); ++i) {
        const float grown = std::min(1.0f, std::max(0.0f, radiusPx + 1.0f - distance[i]));
        out.samples[i] = std::max(samples[i], grown);
    }
    return out;
}

std::vector<float> CoverageMask::distanceToCovered() const
{
    const float INF = 1e20f;
    const int n = std::max(widthPx, heightPx);
    const size_t count = static_cast<size_t>(n);
    std::vector<float> f(count), d(count), z(count + 1);
    std::vector<int> v(count);
    // One dimension of the squared distance transform (Felzenszwalb and Huttenlocher):
    // the lower envelope of the parabolas rooted at every sample.
    auto transform1D = [&](int length) {
        int k = 0;
        v[0] = 0;
        z[0] = -INF;
        z[1] = INF;
        for (int q = 1; q < length; ++q) {
            float s;
            while (true) {
                const int r = v[size_t(k)];
                s = ((f[size_t(q)] + float(q) * float(q)) - (f[size_t(r)] + float(r) * float(r))) / (2.0f * float(q - r));
                if (s <= z[size_t(k)] && k > 0)
                    --k;
                else
                    break;
            }
            if (s <= z[size_t(k)]) {
                v[0] = q;
                z[0] = -INF;
                z[1] = INF;
                k = 0;
                continue;
            }
            ++k;
            v[size_t(k)] = q;
            z[size_t(k)] = s;
            z[size_t(k) + 1] = INF;
        }
        k = 0;
        for (int q = 0; q < length; ++q) {
            while (z[size_t(k) + 1] < float(q))
                ++k;
            const int r = v[size_t(k)];
            d[size_t(q)] = float(q - r) * float(q - r) + f[size_t(r)];
        }
    };
    std::vector<float> squared(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        squared[i] = samples[i] >= 0.5f ? 0.0f : INF;
    for (int x = 0; x < widthPx; ++x) {
        for (int y = 0; y < heightPx; ++y)
            f[size_t(y)] = squared[size_t(y) * size_t(widthPx) + size_t(x)];
        transform1D(heightPx);
        for (int y = 0; y < heightPx; ++y)
            squared[size_t(y) * size_t(widthPx) + size_t(x)] = d[size_t(y)];
    }
    for (int y = 0; y < heightPx; ++y) {
        for (int x = 0; x < widthPx; ++x)
            f[size_t(x)] = squared[size_t(y) * size_t(widthPx) + size_t(x)];
        transform1D(widthPx);
        for (int x = 0; x < widthPx; ++x)
            squared[size_t(y) * size_t(widthPx) + size_t(x)] = std::sqrt(d[size_t(x)]);
    }
    return squared;
}

CoverageMask CoverageMask::blurred(int radiusPx) const
{
    CoverageMask out(widthPx, heightPx);
    if (radiusPx <= 0) {
        out.samples = samples;
        return out;
    }
    std::vector<float> a = samples, b;
    for (int pass = 0; pass < 3; ++pass) {
        boxPassTransposed(a, widthPx, heightPx, radiusPx, b);   // now height x width
        boxPassTransposed(b, heightPx, widthPx, radiusPx, a);   // back to width x height
    }
    out.samples = a;
    return out;
}

// CoverageMask: a grey coverage raster (0 = empty, 1 = covered), the form text and soft
// shapes take before they are coloured into an Image.
//
// Owns its samples. Coordinates are pixels, (0, 0) the top-left pixel; reads outside the
// raster give 0, so shapes may run off the edge.
#pragma once

#include <vector>

class CoverageMask {
public:
    CoverageMask(int width, int height);

    int width() const { return widthPx; }
    int height() const { return heightPx; }

    float at(int x, int y) const;
    void set(int x, int y, float value);
    // Adds value, keeping the sample at most 1.
    void add(int x, int y, float value);
    // Bilinear read at a pixel position (pixel centres at integer + 0.5).
    float sample(float x, float y) const;

    // Grown by radiusPx in every direction (a round maximum filter): outlines for text.
    CoverageMask dilated(float radiusPx) const;
    // Distance in pixels from each pixel centre to the nearest at least half-covered one.
    std::vector<float> distanceToCovered() const;
    // Softened by three box passes of radiusPx (close to a Gaussian): glows and shadows.
    CoverageMask blurred(int radiusPx) const;

private:
    int widthPx;
    int heightPx;
    std::vector<float> samples;
};

// Image: an RGBA picture in floating point, painted by the picture functions and written
// as the PNG files the demo loads.
//
// Pixels are stored premultiplied (colour already multiplied by alpha), which makes
// layering exact; the PNG gets straight alpha, as OpenGL's GL_SRC_ALPHA blending expects.
// Fully transparent pixels are written with the colour of the nearest visible pixel, so
// linear filtering and mipmaps never pull a dark fringe into an edge. Coordinates are
// pixels, (0, 0) the top-left pixel, pixel centres at integer + 0.5.
#pragma once

#include <algorithm>  // Required for: std::min, std::max in fillNear
#include <cstdint>
#include <string>
#include <vector>

#include "CoverageMask.h"
#include "Shapes.h"

// A straight (not premultiplied) colour, components 0 to 1.
struct Colour {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;

    Colour() = default;
    Colour(float red, float green, float blue, float alpha = 1.0f) : r(red), g(green), b(blue), a(alpha) {}

    // From 0xRRGGBB.
    static Colour hex(uint32_t rgb, float alpha = 1.0f)
    {
        return {float((rgb >> 16) & 0xFF) / 255.0f, float((rgb >> 8) & 0xFF) / 255.0f,
                float(rgb & 0xFF) / 255.0f, alpha};
    }
    Colour withAlpha(float alpha) const { return {r, g, b, alpha}; }
    // Linear mix towards o by t.
    Colour mixed(Colour o, float t) const
    {
        return {r + (o.r - r) * t, g + (o.g - g) * t, b + (o.b - b) * t, a + (o.a - a) * t};
    }
};

class Image {
public:
    Image(int width, int height);

    int width() const { return widthPx; }
    int height() const { return heightPx; }

    // The straight colour of a pixel.
    Colour at(int x, int y) const;
    // Lays colour c over pixel (x, y) with the given coverage (source over).
    void blend(int x, int y, Colour c, float coverage);
    // Adds light: colour times coverage, alpha kept (for glows on opaque pictures).
    void addLight(int x, int y, Colour c, float coverage);
    // Replaces the pixel.
    void set(int x, int y, Colour c);

    // Paints every pixel whose centre is inside `shape` (distance in pixels, negative
    // inside) with `paint(point)`, anti-aliased over one pixel at the edge.
    template <class Shape, class Paint>
    void paint(const Shape& shape, const Paint& paint)
    {
        for (int y = 0; y < heightPx; ++y)
            for (int x = 0; x < widthPx; ++x) {
                const Vec2 p{float(x) + 0.5f, float(y) + 0.5f};
                const float coverage = shapes::clamp(0.5f - shape(p), 0.0f, 1.0f);
                if (coverage > 0.0f)
                    blend(x, y, paint(p), coverage);
            }
    }
    template <class Shape>
    void fill(const Shape& shape, Colour c)
    {
        paint(shape, [c](Vec2) { return c; });
    }
    // The same, looking only at pixels within `reachPx` of `centre`: for the many small
    // shapes of a picture (specks, ticks, LEDs), where a whole-image pass would be waste.
    template <class Shape>
    void fillNear(Vec2 centre, float reachPx, const Shape& shape, Colour c)
    {
        const int x0 = std::max(0, int(centre.x - reachPx) - 1), x1 = std::min(widthPx, int(centre.x + reachPx) + 2);
        const int y0 = std::max(0, int(centre.y - reachPx) - 1), y1 = std::min(heightPx, int(centre.y + reachPx) + 2);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const float coverage = shapes::clamp(0.5f - shape(Vec2{float(x) + 0.5f, float(y) + 0.5f}), 0.0f, 1.0f);
                if (coverage > 0.0f)
                    blend(x, y, c, coverage);
            }
    }
    // Every pixel painted with paint(point), fully covered.
    template <class Paint>
    void paintAll(const Paint& paint)
    {
        for (int y = 0; y < heightPx; ++y)
            for (int x = 0; x < widthPx; ++x)
                set(x, y, paint(Vec2{float(x) + 0.5f, float(y) + 0.5f}));
    }

    // Lays colour c over the image through a mask placed with its top-left at (x, y).
    void fillMask(const CoverageMask& mask, int x, int y, Colour c);
    // The same, taking the colour per pixel from paint(point).
    template <class Paint>
    void paintMask(const CoverageMask& mask, int ox, int oy, const Paint& paint)
    {
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x) {
                const float m = mask.at(x, y);
                if (m > 0.0f)
                    blend(ox + x, oy + y, paint(Vec2{float(ox + x) + 0.5f, float(oy + y) + 0.5f}), m);
            }
    }

    // Bilinear read at texture coordinates (u, v in 0..1, v down), clamped to the edge.
    Colour sample(float u, float v) const;
    // Draws `source` scaled into the rectangle (x, y, w, h) with its alpha, tinted by
    // `tint` (multiplied, as OpenGL's modulate does); a negative w or h mirrors it. Used
    // for previews and contact sheets.
    void drawImage(const Image& source, float x, float y, float w, float h, Colour tint = Colour(1, 1, 1, 1));

    // 8-bit rows, top row first, `channels` 3 (RGB) or 4 (RGBA), straight alpha,
    // with a fixed ±half-step dither against banding in soft gradients.
    std::vector<uint8_t> bytes(int channels) const;
    // Writes the picture as a PNG with 3 or 4 channels; throws std::runtime_error.
    void writePNG(const std::string& path, int channels) const;

private:
    int widthPx;
    int heightPx;
    std::vector<float> premultiplied;  // RGBA per pixel
};

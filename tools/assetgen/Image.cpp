#include "Image.h"

#include <png.h>  // Required for: the PNG writer

#include <algorithm>  // Required for: std::min, std::max
#include <cmath>      // Required for: std::floor, std::lround
#include <cstdio>     // Required for: std::fopen, std::fclose
#include <deque>
#include <memory>
#include <stdexcept>

#include "Random.h"

namespace {

uint8_t toByte(float v, float dither)
{
    const long q = std::lround(v * 255.0f + dither);
    return uint8_t(std::min(255L, std::max(0L, q)));
}

// libpng reports errors by longjmp; this keeps the jump inside a function that holds no
// C++ objects, so nothing is skipped on the way out.
bool writeRows(FILE* file, int width, int height, int channels, png_bytep* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

Image::Image(int width, int height)
    : widthPx(width), heightPx(height), premultiplied(size_t(width) * size_t(height) * 4, 0.0f)
{
}

Colour Image::at(int x, int y) const
{
    const float* p = &premultiplied[(size_t(y) * size_t(widthPx) + size_t(x)) * 4];
    if (p[3] <= 0.0f)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void Image::blend(int x, int y, Colour c, float coverage)
{
    if (x < 0 || y < 0 || x >= widthPx || y >= heightPx)
        return;
    float* p = &premultiplied[(size_t(y) * size_t(widthPx) + size_t(x)) * 4];
    const float a = shapes::clamp(c.a * coverage, 0.0f, 1.0f);
    const float keep = 1.0f - a;
    p[0] = c.r * a + p[0] * keep;
    p[1] = c.g * a + p[1] * keep;
    p[2] = c.b * a + p[2] * keep;
    p[3] = a + p[3] * keep;
}

void Image::addLight(int x, int y, Colour c, float coverage)
{
    if (x < 0 || y < 0 || x >= widthPx || y >= heightPx)
        return;
    float* p = &premultiplied[(size_t(y) * size_t(widthPx) + size_t(x)) * 4];
    const float a = c.a * coverage;
    p[0] = std::min(p[3], p[0] + c.r * a * p[3]);
    p[1] = std::min(p[3], p[1] + c.g * a * p[3]);
    p[2] = std::min(p[3], p[2] + c.b * a * p[3]);
}

void Image::set(int x, int y, Colour c)
{
    if (x < 0 || y < 0 || x >= widthPx || y >= heightPx)
        return;
    float* p = &premultiplied[(size_t(y) * size_t(widthPx) + size_t(x)) * 4];
    const float a = shapes::clamp(c.a, 0.0f, 1.0f);
    p[0] = c.r * a;
    p[1] = c.g * a;
    p[2] = c.b * a;
    p[3] = a;
}

void Image::fillMask(const CoverageMask& mask, int x, int y, Colour c)
{
    paintMask(mask, x, y, [c](Vec2) { return c; });
}

Colour Image::sample(float u, float v) const
{
    const float fx = shapes::clamp(u * float(widthPx) - 0.5f, 0.0f, float(widthPx - 1));
    const float fy = shapes::clamp(v * float(heightPx) - 0.5f, 0.0f, float(heightPx - 1));
    const int x0 = int(fx), y0 = int(fy);
    const int x1 = std::min(x0 + 1, widthPx - 1), y1 = std::min(y0 + 1, heightPx - 1);
    const float tx = fx - float(x0), ty = fy - float(y0);
    float out[4];
    for (int c = 0; c < 4; ++c) {
        auto px = [&](int x, int y) { return premultiplied[(size_t(y) * size_t(widthPx) + size_t(x)) * 4 + size_t(c)]; };
        const float top = px(x0, y0) * (1.0f - tx) + px(x1, y0) * tx;
        const float bottom = px(x0, y1) * (1.0f - tx) + px(x1, y1) * tx;
        out[c] = top * (1.0f - ty) + bottom * ty;
    }
    if (out[3] <= 0.0f)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    return {out[0] / out[3], out[1] / out[3], out[2] / out[3], out[3]};
}

void Image::drawImage(const Image& source, float x, float y, float w, float h, Colour tint)
{
    // A negative size mirrors the picture, as a negative scale does in the demo.
    const bool flipX = w < 0.0f, flipY = h < 0.0f;
    if (flipX) {
        x += w;
        w = -w;
    }
    if (flipY) {
        y += h;
        h = -h;
    }
    const int x0 = std::max(0, int(std::floor(x))), x1 = std::min(widthPx, int(std::ceil(x + w)));
    const int y0 = std::max(0, int(std::floor(y))), y1 = std::min(heightPx, int(std::ceil(y + h)));
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) {
            float u = (float(px) + 0.5f - x) / w, v = (float(py) + 0.5f - y) / h;
            if (flipX)
                u = 1.0f - u;
            if (flipY)
                v = 1.0f - v;
            if (u < 0.0f || v < 0.0f || u > 1.0f || v > 1.0f)
                continue;
            const Colour s = source.sample(u, v);
            blend(px, py, Colour(s.r * tint.r, s.g * tint.g, s.b * tint.b, s.a * tint.a), 1.0f);
        }
}

std::vector<uint8_t> Image::bytes(int channels) const
{
    const size_t count = size_t(widthPx) * size_t(heightPx);
    // Straight colours; fully transparent pixels take the colour of the nearest pixel
    // that shows, found breadth-first from every visible pixel at once.
    std::vector<float> straight(count * 3, 0.0f);
    std::vector<uint8_t> alphaByte(count);
    std::vector<bool> known(count, false);
    std::deque<size_t> frontier;
    for (size_t i = 0; i < count; ++i) {
        const float a = premultiplied[i * 4 + 3];
        const int x = int(i % size_t(widthPx)), y = int(i / size_t(widthPx));
        alphaByte[i] = toByte(a, float(hashCoords(x, y, 11u) >> 8) * (1.0f / 16777216.0f) - 0.5f);
        if (alphaByte[i] > 0 || channels == 3) {
            for (int c = 0; c < 3; ++c)
                straight[i * 3 + size_t(c)] = a > 0.0f ? premultiplied[i * 4 + size_t(c)] / a : 0.0f;
            known[i] = true;
            frontier.push_back(i);
        }
    }
    while (!frontier.empty()) {
        const size_t i = frontier.front();
        frontier.pop_front();
        const int x = int(i % size_t(widthPx)), y = int(i / size_t(widthPx));
        const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
        for (int k = 0; k < 4; ++k) {
            if (nx[k] < 0 || ny[k] < 0 || nx[k] >= widthPx || ny[k] >= heightPx)
                continue;
            const size_t j = size_t(ny[k]) * size_t(widthPx) + size_t(nx[k]);
            if (known[j])
                continue;
            known[j] = true;
            for (int c = 0; c < 3; ++c)
                straight[j * 3 + size_t(c)] = straight[i * 3 + size_t(c)];
            frontier.push_back(j);
        }
    }

    std::vector<uint8_t> out(count * size_t(channels));
    for (size_t i = 0; i < count; ++i) {
        const int x = int(i % size_t(widthPx)), y = int(i / size_t(widthPx));
        const float dither = float(hashCoords(x, y, 7u) >> 8) * (1.0f / 16777216.0f) - 0.5f;
        for (int c = 0; c < 3; ++c)
            out[i * size_t(channels) + size_t(c)] = toByte(straight[i * 3 + size_t(c)], dither);
        if (channels == 4)
            out[i * 4 + 3] = alphaByte[i];
    }
    return out;
}

void Image::writePNG(const std::string& path, int channels) const
{
    if (channels != 3 && channels != 4)
        throw std::runtime_error("pictures are written with 3 or 4 channels: " + path);
    std::vector<uint8_t> data = bytes(channels);
    std::vector<png_bytep> rows(static_cast<size_t>(heightPx));
    for (int y = 0; y < heightPx; ++y)
        rows[size_t(y)] = &data[size_t(y) * size_t(widthPx) * size_t(channels)];
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        throw std::runtime_error("cannot create " + path);
    if (!writeRows(file.get(), widthPx, heightPx, channels, rows.data()))
        throw std::runtime_error("cannot write PNG " + path);
    if (std::fclose(file.release()) != 0)
        throw std::runtime_error("cannot finish writing " + path);
}

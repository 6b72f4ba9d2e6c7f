// The screen layers: film grain, the frame mask, dust and scratches, the background, and
// the dot. The three full-band layers are 1024 x 512 textures shown over the 800 x 512 band,
// so they are designed in band pixels and mapped with BAND_SQUEEZE.
#include <algorithm>  // Required for: std::max
#include <cmath>      // Required for: std::fabs, std::fmod

#include "Noise.h"
#include "Painters.h"
#include "Palette.h"
#include "Random.h"
#include "PortableMath.h"

using namespace shapes;

namespace {

const float BAND_WIDTH = 800.0f;
const float BAND_HEIGHT = 512.0f;

// A texture pixel of a full-band layer in band pixels.
Vec2 toBand(const Image& image, Vec2 p)
{
    return Vec2(p.x * BAND_WIDTH / float(image.width()), p.y * BAND_HEIGHT / float(image.height()));
}

// A random point in the box from lo to hi. The two draws are separate statements: within
// one expression their order is unspecified, and gcc and clang do pick different orders.
Vec2 randomIn(Random& random, Vec2 lo, Vec2 hi)
{
    const float x = random.range(lo.x, hi.x);
    const float y = random.range(lo.y, hi.y);
    return Vec2(x, y);
}

// A band pixel in texture pixels.
Vec2 texel(const Image& image, Vec2 b)
{
    return Vec2(b.x * float(image.width()) / BAND_WIDTH, b.y * float(image.height()) / BAND_HEIGHT);
}

// A band-space shape as a texture-space distance; the band is narrower than the texture
// in x, so distances are scaled by the larger factor (edges stay at most one texel soft).
template <class Shape>
auto inBand(const Image& image, const Shape& shape)
{
    const float toTexels = float(image.width()) / BAND_WIDTH;
    return [&image, shape, toTexels](Vec2 p) { return shape(toBand(image, p)) * toTexels; };
}

}  // namespace

namespace painters {

// "data/noise.png": film grain, tiled twice across the screen (one tile covers about
// 400 x 300 pixels) and laid over at 20 % with a random shift every frame; one section shows
// it at full strength. Grey, opaque, and seamless at its edges in both directions.
void grain(Image& image, const PictureContext&)
{
    Random random(1401u);
    const int w = image.width();
    // Coarse clumps (tiling noise) under fine per-pixel grain, plus rare specks.
    std::vector<float> fine(size_t(w) * size_t(image.height()));
    for (float& v : fine)
        v = random.gauss();
    image.paintAll([&](Vec2 p) {
        const int x = int(p.x), y = int(p.y);
        const float clump = noise::fractal(p.x / 16.0f, p.y / 16.0f, 3, 5u, w / 16);
        float v = 0.5f + 0.13f * fine[size_t(y) * size_t(w) + size_t(x)] + 0.12f * clump;
        const uint32_t speck = hashCoords(x, y, 99u);
        if (speck % 1500u == 0)
            v = 0.95f;
        else if (speck % 1500u == 1)
            v = 0.08f;
        v = clamp(v, 0.0f, 1.0f);
        return Colour(v, v, v, 1.0f);
    });
}

// "data/mask01.png": the frame laid over the whole band in many sections: a darkening
// vignette and a rounded film gate in black, orange corner marks and a little running
// light, all around a transparent centre.
void frameMask(Image& image, const PictureContext& context)
{
    const Vec2 centre(BAND_WIDTH * 0.5f, BAND_HEIGHT * 0.5f);
    // Vignette: an elliptical falloff of black towards the edges.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Vec2 b = toBand(image, Vec2(float(x) + 0.5f, float(y) + 0.5f));
            const Vec2 n((b.x - centre.x) / (BAND_WIDTH * 0.5f), (b.y - centre.y) / (BAND_HEIGHT * 0.5f));
            const float r = length(n * Vec2(0.9f, 1.0f));
            image.blend(x, y, palette::ink(), 0.78f * smoothstep(0.55f, 1.25f, r));
        }
    // The gate: black outside a rounded rectangle inset from the band's edge.
    image.fill(inBand(image, [&](Vec2 b) {
        return -box(b, centre, Vec2(BAND_WIDTH * 0.5f - 14.0f, BAND_HEIGHT * 0.5f - 12.0f), 34.0f);
    }), palette::ink());
    // Corner marks.
    for (int k = 0; k < 4; ++k) {
        const float sx = (k & 1) ? -1.0f : 1.0f, sy = (k & 2) ? -1.0f : 1.0f;
        const Vec2 corner = centre + Vec2(sx * (BAND_WIDTH * 0.5f - 40.0f), sy * (BAND_HEIGHT * 0.5f - 36.0f));
        image.fill(inBand(image, [=](Vec2 b) {
            return unite(capsule(b, corner, corner - Vec2(sx * 34.0f, 0.0f), 1.6f),
                         capsule(b, corner, corner - Vec2(0.0f, sy * 34.0f), 1.6f));
        }), palette::orange());
    }
    // A row of LEDs at the bottom right and the name at the bottom left, in the gate's
    // shadow where they do not cover the picture.
    for (int i = 0; i < 6; ++i) {
        const Vec2 at(BAND_WIDTH - 62.0f - float(i) * 11.0f, BAND_HEIGHT - 26.0f);
        image.fill(inBand(image, [=](Vec2 b) { return box(b, at, Vec2(3.0f, 3.0f), 0.8f); }),
                   i < 4 ? palette::orange() : palette::smoke());
    }
    const TextSetter font = context.font("DejaVuSans-Bold.ttf");
    TextSetter::Style style;
    style.sizePx = 11.0f;
    style.trackingPx = 3.0f;
    style.squeeze = float(image.width()) / BAND_WIDTH;
    CoverageMask text(image.width(), image.height());
    font.draw(text, "TAVLEN", 56.0f * style.squeeze, float(image.height()) * (BAND_HEIGHT - 22.0f) / BAND_HEIGHT, style);
    image.fillMask(text, 0, 0, palette::paper(0.8f));
}

// "data/noise1.png": dust and scratches over the whole band, mostly transparent: dark specks
// and hairs that show on white, light flecks and scratches that show on black.
void dustAndScratches(Image& image, const PictureContext&)
{
    Random random(2024u);
    // Specks: small ragged blobs, most dark, some light.
    for (int i = 0; i < 140; ++i) {
        const Vec2 at = randomIn(random, Vec2(0.0f, 0.0f), Vec2(BAND_WIDTH, BAND_HEIGHT));
        const float smallness = random.uniform();
        const float size = 0.6f + 2.6f * smallness * random.uniform();
        const Vec2 radii = randomIn(random, Vec2(0.7f, 0.7f), Vec2(1.4f, 1.4f)) * size;
        const float angle = random.range(0.0f, PI);
        const bool light = random.uniform() < 0.35f;
        const float alpha = light ? random.range(0.5f, 0.9f) : random.range(0.55f, 0.95f);
        image.fillNear(texel(image, at), 12.0f, inBand(image, [=](Vec2 b) { return ellipse(b, at, radii, angle); }),
                       light ? palette::paper(alpha) : palette::ink(alpha));
    }
    // Hairs: thin curls.
    for (int i = 0; i < 7; ++i) {
        const Vec2 a = randomIn(random, Vec2(0.0f, 0.0f), Vec2(BAND_WIDTH, BAND_HEIGHT));
        const Vec2 b = a + randomIn(random, Vec2(-60.0f, -40.0f), Vec2(60.0f, 40.0f));
        const Vec2 control = (a + b) * 0.5f + randomIn(random, Vec2(-40.0f, -40.0f), Vec2(40.0f, 40.0f));
        const std::vector<Vec2> curl = bezier(a, control, b, 24);
        const float alpha = random.range(0.4f, 0.75f);
        image.fillNear(texel(image, control), 150.0f, inBand(image, [curl](Vec2 p) { return polyline(p, curl, 0.55f); }),
                       palette::ink(alpha));
    }
    // Scratches: long vertical lines that wander a little, light or dark, fading at the ends.
    for (int i = 0; i < 5; ++i) {
        const float x = random.range(40.0f, BAND_WIDTH - 40.0f);
        const float top = random.range(-50.0f, 200.0f), bottom = random.range(300.0f, BAND_HEIGHT + 50.0f);
        const float wander = random.range(2.0f, 6.0f), phase = random.range(0.0f, 6.0f);
        const bool light = i % 2 == 0;
        const float alpha = random.range(0.35f, 0.6f);
        for (int y = 0; y < image.height(); ++y) {
            const float by = (float(y) + 0.5f) * BAND_HEIGHT / float(image.height());
            if (by < top || by > bottom)
                continue;
            const float along = (by - top) / (bottom - top);
            const float fade = smoothstep(0.0f, 0.15f, along) * smoothstep(1.0f, 0.85f, along);
            const float sx = x + wander * pm::sin(by * 0.013f + phase);
            for (int xx = 0; xx < image.width(); ++xx) {
                const float bx = (float(xx) + 0.5f) * BAND_WIDTH / float(image.width());
                const float d = std::fabs(bx - sx) * float(image.width()) / BAND_WIDTH - 0.6f;
                const float coverage = clamp(0.5f - d, 0.0f, 1.0f);
                if (coverage > 0.0f)
                    image.blend(xx, y, light ? palette::paper(alpha * fade) : palette::ink(alpha * fade), coverage);
            }
        }
    }
    // A few soft water marks.
    for (int i = 0; i < 3; ++i) {
        const Vec2 at = randomIn(random, Vec2(0.0f, 0.0f), Vec2(BAND_WIDTH, BAND_HEIGHT));
        const float r = random.range(14.0f, 30.0f);
        image.fillNear(texel(image, at), r * 1.4f + 4.0f, inBand(image, [=](Vec2 b) { return ring(b, at, r, 0.8f); }),
                       palette::ink(0.18f));
    }
}

// "data/background1.png": the ground the LED figure, the logo and the word cards are drawn
// on: a dark warm charcoal with a soft orange glow in the middle, a fine LED grid and large
// faint cow patches, darker at the edges. Opaque.
void background(Image& image, const PictureContext&)
{
    const Vec2 centre(BAND_WIDTH * 0.5f, BAND_HEIGHT * 0.52f);
    image.paintAll([&](Vec2 p) {
        const Vec2 b = toBand(image, p);
        const float t = b.y / BAND_HEIGHT;
        Colour c = Colour::hex(0x1C1A20).mixed(Colour::hex(0x0D0C10), t);
        // Patches: a slow noise field cut softly, a shade lighter than the ground.
        const float field = noise::fractal(b.x / 170.0f + 4.0f, b.y / 170.0f, 4, 88u);
        c = c.mixed(Colour::hex(0x2E2A31), smoothstep(0.12f, 0.2f, field) * 0.8f);
        // The glow.
        const float r = length((b - centre) * Vec2(1.0f, 1.5f)) / BAND_WIDTH;
        c = c.mixed(Colour::hex(0xB8461A), 0.55f * pm::exp(-r * r * 14.0f));
        // The LED grid: a small square every 16 pixels, lit a little near the glow.
        const float gx = std::fmod(b.x, 16.0f) - 8.0f, gy = std::fmod(b.y, 16.0f) - 8.0f;
        const float led = clamp(0.5f - (box(Vec2(gx, gy), Vec2(0, 0), Vec2(2.0f, 2.0f), 0.6f)) * 1.28f, 0.0f, 1.0f);
        c = c.mixed(Colour::hex(0xFF7A33), led * (0.08f + 0.35f * pm::exp(-r * r * 10.0f)));
        // Vignette.
        const Vec2 n((b.x - BAND_WIDTH * 0.5f) / (BAND_WIDTH * 0.5f), (b.y - BAND_HEIGHT * 0.5f) / (BAND_HEIGHT * 0.5f));
        c = c.mixed(Colour(0, 0, 0), 0.6f * smoothstep(0.6f, 1.5f, length(n)));
        return c;
    });
}

// "data/dot.png": a round light, tinted white or orange by the demo and drawn 30 to 80
// pixels wide in rows that slide across the screen: a bright disc with a soft rim and a
// faint halo, white so that the tint decides its colour; a small highlight gives it the
// look of a lens-capped LED.
void dot(Image& image, const PictureContext&)
{
    const float w = float(image.width());
    const Vec2 c(w * 0.5f, w * 0.5f);
    image.paintAll([&](Vec2 p) {
        const float r = length(p - c) / (w * 0.5f);
        const float halo = 0.35f * pm::exp(-pm::pow(std::max(0.0f, r - 0.55f) * 6.0f, 2.0f)) * smoothstep(1.0f, 0.8f, r);
        const float disc = clamp((0.62f - r) * w * 0.5f + 0.5f, 0.0f, 1.0f);
        const float shade = 0.82f + 0.18f * smoothstep(0.62f, 0.0f, r);
        const float a = std::max(halo, disc);
        const float v = disc > 0.0f ? mix(1.0f, shade, disc) : 1.0f;
        return Colour(v, v, v, a);
    });
    image.fill([&](Vec2 p) { return ellipse(p, c + Vec2(-0.2f, -0.22f) * w * 0.5f, Vec2(0.14f, 0.09f) * w * 0.5f, -0.6f); },
               palette::paper(0.9f));
}

}  // namespace painters

// The cow pictures: the white sprite, the portrait, and the chrome environment map.
#include <cmath>  // Required for: std::sqrt, std::fabs

#include "CowDrawing.h"
#include "Noise.h"
#include "Painters.h"
#include "Palette.h"
#include "PortableMath.h"

using namespace shapes;

namespace painters {

// "data/cow_white.png": a white cow in profile on transparency. The demo tints it (black at
// half opacity and orange particles of 40 and 50 pixels, orange pieces on the chessboards),
// so only its alpha carries the drawing and every pixel's colour is white.
void cowSprite(Image& image, const PictureContext&)
{
    const float scale = float(image.width()) * 0.47f;
    const Vec2 centre(float(image.width()) * 0.5f, float(image.height()) * 0.5f);
    const Vec2 designCentre(0.02f, 0.165f);
    image.fill([&](Vec2 p) { return cow::side((p - centre) / scale + designCentre) * scale; }, palette::paper());
}

}  // namespace painters

namespace {

// Distance (in pixels, approximately) to Holstein patches: a noise field cut at a level,
// divided by its slope so that the cut edge is one pixel soft at any scale.
float patches(Vec2 p, float featurePx, uint32_t seed, float level)
{
    const float s = 1.0f / featurePx;
    const float n = noise::fractal(p.x * s, p.y * s, 3, seed);
    const float nx = noise::fractal((p.x + 1.0f) * s, p.y * s, 3, seed);
    const float ny = noise::fractal(p.x * s, (p.y + 1.0f) * s, 3, seed);
    const float slope = std::sqrt((nx - n) * (nx - n) + (ny - n) * (ny - n)) + 1e-5f;
    return (level - n) / slope;
}

}  // namespace

namespace painters {

// "data/demopeople1.png": one of the demo people, a cow in a T-shirt with headphones,
// standing. The demo shows it 512 tall at the right edge and stretches it between
// 256 and 512 wide in time with the music, sometimes upside down, over white with
// particles; so the figure fills the height, reads at any width and has a dark outline.
void portrait(Image& image, const PictureContext&)
{
    // Designed on a 256 x 512 grid: x from the middle, y from the top.
    const float u = float(image.width()) / 256.0f;
    const float cx = float(image.width()) * 0.5f;
    auto P = [&](float x, float y) { return Vec2(cx + x * u, y * u); };
    const float R = u;

    // Limbs and body as distances in pixels.
    auto arm = [&](Vec2 p, float s) {
        return taperedCapsule(p, P(s * 68.0f, 226.0f), P(s * 84.0f, 338.0f), 17.0f * R, 14.0f * R);
    };
    auto leg = [&](Vec2 p, float s) {
        return taperedCapsule(p, P(s * 30.0f, 360.0f), P(s * 33.0f, 470.0f), 25.0f * R, 19.0f * R);
    };
    auto hoof = [&](Vec2 p, float s) {
        return box(p, P(s * 34.0f, 482.0f), Vec2(23.0f * R, 14.0f * R), 8.0f * R);
    };
    auto hand = [&](Vec2 p, float s) { return circle(p, P(s * 85.0f, 348.0f), 15.0f * R); };
    auto torsoShape = [&](Vec2 p) {
        const std::vector<Vec2> shirt = {P(-50.0f, 210.0f), P(50.0f, 210.0f), P(44.0f, 368.0f), P(-44.0f, 368.0f)};
        return polygon(p, shirt) - 10.0f * R;
    };
    auto sleeve = [&](Vec2 p, float s) {
        return taperedCapsule(p, P(s * 60.0f, 220.0f), P(s * 72.0f, 262.0f), 22.0f * R, 19.0f * R);
    };
    auto neck = [&](Vec2 p) { return box(p, P(0.0f, 196.0f), Vec2(30.0f * R, 26.0f * R), 10.0f * R); };
    auto hide = [&](Vec2 p) {
        float d = neck(p);
        for (float s : {-1.0f, 1.0f})
            d = unite(d, unite(arm(p, s), leg(p, s)));
        return d;
    };
    const Vec2 headCentre = P(0.0f, 112.0f);
    const float headScale = 60.0f * u;
    auto headShape = [&](Vec2 p) { return cow::head((p - headCentre) / headScale) * headScale; };
    auto figure = [&](Vec2 p) {
        float d = unite(unite(hide(p), torsoShape(p)), headShape(p));
        for (float s : {-1.0f, 1.0f})
            d = unite(d, unite(unite(hoof(p, s), hand(p, s)), sleeve(p, s)));
        return d;
    };

    // A soft orange aura so the figure stands out of the particle swarm, then the outline.
    CoverageMask aura(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            aura.set(x, y, clamp(0.5f - figure(Vec2(float(x) + 0.5f, float(y) + 0.5f)), 0.0f, 1.0f));
    image.fillMask(aura.dilated(6.0f * u).blurred(int(5.0f * u)), 0, 0, palette::orange(0.55f));
    image.fill([&](Vec2 p) { return figure(p) - 3.5f * u; }, palette::ink());

    // Hide with patches, then the clothes over it.
    image.fill(hide, palette::paper());
    image.fill([&](Vec2 p) { return intersect(hide(p), patches(p, 38.0f * u, 77u, 0.18f)); }, palette::ink());
    for (float s : {-1.0f, 1.0f}) {
        image.fill([&](Vec2 p) { return hoof(p, s); }, palette::smoke());
        image.fill([&](Vec2 p) { return hand(p, s); }, palette::smoke());
    }
    // Shorts: the top of the legs in dark grey.
    image.fill([&](Vec2 p) {
        return intersect(unite(leg(p, 1.0f), leg(p, -1.0f)) - 1.0f * u, p.y - P(0.0f, 404.0f).y);
    }, palette::smoke());
    image.fill([&](Vec2 p) { return unite(sleeve(p, 1.0f), sleeve(p, -1.0f)) + 2.0f * u; }, palette::ink());
    image.fill(torsoShape, palette::orange());
    image.fill([&](Vec2 p) { return unite(sleeve(p, 1.0f), sleeve(p, -1.0f)); }, palette::orange());
    image.fill([&](Vec2 p) { return intersect(torsoShape(p), std::fabs(p.y - P(0.0f, 372.0f).y) - 2.0f * u); },
               palette::ink(0.5f));
    // A round collar showing the neck.
    image.fill([&](Vec2 p) { return intersect(circle(p, P(0.0f, 206.0f), 21.0f * R), torsoShape(p)) - 2.5f * u; },
               palette::ink());
    image.fill([&](Vec2 p) { return intersect(circle(p, P(0.0f, 206.0f), 21.0f * R), torsoShape(p)); },
               palette::paper());
    // The print on the shirt: a little LED cube.
    ledCubeIcon(image, P(0.0f, 300.0f), 58.0f * u, palette::paper(), Colour::hex(0xD8D8D8), Colour::hex(0xA8A8A8));
    // Headphones: the band behind the head, the cups over it, horns poking past the band.
    image.fill([&](Vec2 p) {
        const Vec2 q = (p - headCentre) / headScale;
        return intersect(ring(q, Vec2(0.0f, 0.1f), 1.0f, 0.08f), q.y - 0.1f) * headScale;
    }, palette::ink());
    image.fill([&](Vec2 p) {
        const Vec2 q = (p - headCentre) / headScale;
        return intersect(ring(q, Vec2(0.0f, 0.1f), 1.0f, 0.04f), q.y - 0.1f) * headScale;
    }, palette::smoke());
    cow::HeadStyle headStyle;
    headStyle.outlineWidth = 0.06f;
    cow::paintHead(image, headCentre, headScale, 1.0f, headStyle);
    for (float s : {-1.0f, 1.0f}) {
        const Vec2 cup = headCentre + Vec2(s * 0.9f, 0.12f) * headScale;
        image.fill([&](Vec2 p) { return box(p, cup, Vec2(0.2f, 0.3f) * headScale, 0.12f * headScale) - 3.0f * u; },
                   palette::ink());
        image.fill([&](Vec2 p) { return box(p, cup, Vec2(0.2f, 0.3f) * headScale, 0.12f * headScale); },
                   palette::smoke());
        image.fill([&](Vec2 p) { return box(p, cup, Vec2(0.08f, 0.18f) * headScale, 0.06f * headScale); },
                   palette::orange());
    }
}

// "data/cow_cube.png": the picture reflected on the LED cubes through sphere mapping, and
// shown over the whole band as a background. A pasture at dusk in chrome tones: a steel sky
// with bright cloud bands, an orange sun on the horizon, a dark ridge with grazing cows and
// a glossy dark field with streaks of light: the hard light-dark contrast is what reads as
// chrome on a small spinning cube.
void chromeMap(Image& image, const PictureContext&)
{
    const float w = float(image.width()), h = float(image.height());
    const float horizon = h * 0.56f;
    const Vec2 sun(w * 0.38f, horizon - h * 0.05f);
    auto ridge = [&](float x) {
        return horizon - h * (0.035f + 0.03f * noise::fractal(x / w * 3.0f, 0.5f, 3, 9u));
    };

    image.paintAll([&](Vec2 p) {
        const float y = p.y / h, x = p.x / w;
        Colour c;
        if (p.y < horizon) {
            // Sky: steel at the top to a pale warm haze at the horizon, with cloud bands.
            const float t = smoothstep(0.0f, horizon / h, y);
            c = Colour::hex(0x1E2430).mixed(Colour::hex(0x6F7C8E), smoothstep(0.0f, 0.55f, t));
            c = c.mixed(Colour::hex(0xF6E3CC), smoothstep(0.55f, 1.0f, t));
            const float clouds = noise::fractal(x * 3.0f, y * 14.0f, 4, 31u);
            const float band = smoothstep(0.05f, 0.45f, clouds) * (0.35f + 0.65f * smoothstep(0.1f, 0.5f, y));
            c = c.mixed(Colour::hex(0xFFF8EE), band * 0.8f);
            // A bright soft band high up: the chrome's highlight.
            const float streak = smoothstep(0.06f, 0.0f, std::fabs(y - 0.2f - 0.03f * pm::sin(x * 5.0f)));
            c = c.mixed(Colour(1, 1, 1), 0.55f * streak);
        } else {
            // The field: nearly black, with glossy streaks that mirror the sky.
            const float t = (p.y - horizon) / (h - horizon);
            c = Colour::hex(0x2A2226).mixed(Colour::hex(0x0B0B0E), smoothstep(0.0f, 0.6f, t));
            const float gloss = noise::fractal(x * 2.0f, t * 10.0f, 3, 57u);
            c = c.mixed(Colour::hex(0xC9C4C0), smoothstep(0.25f, 0.6f, gloss) * (1.0f - t) * 0.7f);
            c = c.mixed(Colour::hex(0xFF8A3C), smoothstep(0.3f, 0.0f, std::fabs(x - sun.x / w)) * (1.0f - t) * 0.35f);
        }
        // The sun and its glow.
        const float sunDistance = length((p - sun) * Vec2(1.0f, 1.6f)) / h;
        c = c.mixed(Colour::hex(0xFF6A1A), smoothstep(0.45f, 0.0f, sunDistance) * 0.75f);
        c = c.mixed(Colour::hex(0xFFD9A0), smoothstep(0.07f, 0.05f, sunDistance));
        return c;
    });
    // The ridge and, on it, a herd against the sky.
    image.fill([&](Vec2 p) { return intersect(ridge(p.x) - p.y, p.y - horizon - 2.0f); }, Colour::hex(0x141216));
    const float cowX[5] = {0.1f, 0.22f, 0.61f, 0.74f, 0.9f};
    const float cowSize[5] = {0.045f, 0.035f, 0.05f, 0.03f, 0.04f};
    for (int i = 0; i < 5; ++i) {
        const float scale = cowSize[i] * w;
        const float facing = (i % 2) ? -1.0f : 1.0f;
        const Vec2 at(cowX[i] * w, ridge(cowX[i] * w) - 0.6f * scale);
        image.fill([&](Vec2 p) {
            const Vec2 q = (p - at) / scale;
            return cow::side(Vec2(q.x * facing, q.y)) * scale;
        }, Colour::hex(0x141216));
    }
}

}  // namespace painters

// The title pictures: the logo, the lens overlay and the pennant of the opening, and the
// closing emblem.
#include <cmath>  // Required for: std::fabs

#include "CowDrawing.h"
#include "Noise.h"
#include "Painters.h"
#include "Palette.h"
#include "PortableMath.h"

using namespace shapes;

namespace {

// The logo is shown 640 x 480 in the opening and 500 x 500 later; drawn squeezed by the
// square root of 3/4, it is off by the same small factor (about 15 %) either way.
const float LOGO_SQUEEZE = 0.866f;

}  // namespace

namespace painters {

// "data/o14_logo.png": the title. In the opening the demo draws it as a black silhouette
// from 16 layers at 20 % (so its alpha is the drawing), blurred through its mipmap levels
// up to level 6, growing to 640 x 480 over white; later it trembles at 500 x 500 over the
// background in its own colours. Hence: a bold, compact shape with a clear outline, a
// transparent margin wide enough for the blur, and colours that hold on a dark ground.
void logo(Image& image, const PictureContext& context)
{
    const float w = float(image.width()), h = float(image.height());
    const TextSetter font = context.font("DejaVuSans-Bold.ttf");
    TextSetter::Style style;
    style.squeeze = LOGO_SQUEEZE;
    style.trackingPx = w * 0.012f;
    style.sizePx = sizeForWidth(font, "TAVLEN", w * 0.8f, style);
    const CoverageMask word = textLine(image, font, "TAVLEN", w * 0.5f, h * 0.82f, style);

    const Vec2 headCentre(w * 0.5f, h * 0.37f);
    const float headScale = h * 0.17f;
    auto headShape = [&](Vec2 p) {
        const Vec2 q((p.x - headCentre.x) / (headScale * LOGO_SQUEEZE), (p.y - headCentre.y) / headScale);
        return cow::head(q) * headScale * LOGO_SQUEEZE;
    };

    // A white rim with a dark edge around the head, like a sticker; the word gets only its
    // dark outline, so that its letters stay apart in the silhouette.
    CoverageMask headMask(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            headMask.set(x, y, clamp(0.5f - headShape(Vec2(float(x) + 0.5f, float(y) + 0.5f)), 0.0f, 1.0f));
    // Thin enough that the horns keep their shape in the silhouette.
    const float rimPx = w * 0.012f, edgePx = w * 0.007f;
    image.fillMask(headMask.dilated(rimPx + edgePx), 0, 0, palette::ink());
    image.fillMask(headMask.dilated(rimPx), 0, 0, palette::paper());

    cow::HeadStyle headStyle;
    headStyle.outlineWidth = 0.075f;
    cow::paintHead(image, headCentre, headScale, LOGO_SQUEEZE, headStyle);
    outlinedText(image, word, palette::orange(), palette::ink(), w * 0.012f);
}

}  // namespace painters

namespace painters {

// "data/lens03.png": a viewfinder turning over the forming logo. The demo clamps it and
// stretches the edge texels over a 1500-pixel quad, so the outermost texels are fully
// transparent; the centre stays clear for the logo. Drawn in its own colours over white.
void lens(Image& image, const PictureContext& context)
{
    const float w = float(image.width());
    const float u = w / 512.0f;  // the design is in 512ths of the picture
    const Vec2 c(w * 0.5f, w * 0.5f);
    const Colour line = palette::ink(0.85f);

    // The barrel: a faint band with a strong outer ring and a fine inner one.
    image.fill([&](Vec2 p) { return ring(p, c, 212.0f * u, 16.0f * u); }, palette::ink(0.10f));
    image.fill([&](Vec2 p) { return ring(p, c, 230.0f * u, 3.0f * u); }, line);
    image.fill([&](Vec2 p) { return ring(p, c, 194.0f * u, 1.0f * u); }, palette::ink(0.6f));
    // Graduation: a tick every 5 degrees, long ones every 30.
    for (int deg = 0; deg < 360; deg += 5) {
        const float a = radians(float(deg));
        const Vec2 dir(pm::cos(a), pm::sin(a));
        const bool major = deg % 30 == 0;
        const float inner = (major ? 200.0f : 214.0f) * u, outer = 226.0f * u;
        image.fill([&](Vec2 p) { return capsule(p, c + dir * inner, c + dir * outer, (major ? 1.6f : 0.9f) * u); },
                   line);
    }
    // The focus scale along the upper arc and the maker's line along the lower one.
    const TextSetter font = context.font("DejaVuSans-Bold.ttf");
    CoverageMask text(image.width(), image.height());
    TextSetter::Style style;
    style.sizePx = 15.0f * u;
    const char* const marks[] = {"∞", "10", "5", "3", "2", "1.5"};
    for (int i = 0; i < 6; ++i) {
        const float a = radians(-150.0f + 24.0f * float(i));
        const std::u32string glyphs = TextSetter::decode(marks[i]);
        // Centre each mark on its angle: start half its width back along the arc.
        const float width = font.measure(marks[i], style);
        float angle = a - 0.5f * width / (178.0f * u);
        for (char32_t g : glyphs) {
            const Vec2 pen = c + Vec2(pm::cos(angle), pm::sin(angle)) * (178.0f * u);
            const float advance = font.drawTurnedGlyph(text, g, pen.x, pen.y, angle + PI * 0.5f, style);
            angle += advance / (178.0f * u);
        }
    }
    style.sizePx = 12.0f * u;
    style.trackingPx = 2.0f * u;
    const std::string maker = "TAVLEN OPTIC  1:1.4  f=14";
    const float makerWidth = font.measure(maker, style);
    // Lower arc, read left to right: the glyphs run anticlockwise with their tops inward.
    float angle = radians(90.0f) + 0.5f * makerWidth / (182.0f * u);
    for (char32_t g : TextSetter::decode(maker)) {
        const Vec2 pen = c + Vec2(pm::cos(angle), pm::sin(angle)) * (182.0f * u);
        const float advance = font.drawTurnedGlyph(text, g, pen.x, pen.y, angle - PI * 0.5f, style);
        angle -= (advance + style.trackingPx) / (182.0f * u);
    }
    image.fillMask(text, 0, 0, line);
    // The index mark and the focus points in orange.
    const std::vector<Vec2> index = {c + Vec2(0.0f, -236.0f * u), c + Vec2(-9.0f * u, -252.0f * u),
                                     c + Vec2(9.0f * u, -252.0f * u)};
    image.fill([&](Vec2 p) { return polygon(p, index); }, palette::orange());
    for (int k = 0; k < 4; ++k) {
        const Vec2 dir = rotate(Vec2(0.0f, -1.0f), radians(45.0f + 90.0f * float(k)));
        image.fill([&](Vec2 p) {
            return outline(box(p, c + dir * (120.0f * u), Vec2(6.0f * u, 6.0f * u), 1.0f * u, radians(45.0f)), 1.2f * u);
        }, palette::orange(0.9f));
    }
    // The crosshair, open in the middle.
    for (int k = 0; k < 4; ++k) {
        const Vec2 dir = rotate(Vec2(1.0f, 0.0f), radians(90.0f * float(k)));
        image.fill([&](Vec2 p) { return capsule(p, c + dir * (70.0f * u), c + dir * (150.0f * u), 1.2f * u); },
                   palette::ink(0.7f));
    }
    // Corner brackets: the frame of the viewfinder, turning with it.
    for (int k = 0; k < 4; ++k) {
        const float sx = (k & 1) ? -1.0f : 1.0f, sy = (k & 2) ? -1.0f : 1.0f;
        const Vec2 corner = c + Vec2(sx * 226.0f * u, sy * 226.0f * u);
        image.fill([&](Vec2 p) {
            return unite(capsule(p, corner, corner - Vec2(sx * 48.0f * u, 0.0f), 3.0f * u),
                         capsule(p, corner, corner - Vec2(0.0f, sy * 48.0f * u), 3.0f * u));
        }, line);
    }
}

// "data/pennant.png": a small pennant trembling at the lower left of the opening, drawn in
// its own colours over white: an orange flag on a dark pole with the name in white.
void pennant(Image& image, const PictureContext& context)
{
    const float w = float(image.width()), h = float(image.height());
    const float u = w / 256.0f;
    // The flag waves gently: its edges are bent by a sine along the length.
    auto wave = [&](float x) { return pm::sin(x / w * 2.0f * PI * 1.2f) * 4.0f * u; };
    std::vector<Vec2> flag;
    const int steps = 24;
    const float left = 18.0f * u, right = w - 8.0f * u, top = 12.0f * u, bottom = h - 12.0f * u, mid = h * 0.5f;
    for (int i = 0; i <= steps; ++i) {
        const float t = float(i) / float(steps), x = mix(left, right, t);
        flag.push_back(Vec2(x, mix(top, mid, t) + wave(x)));
    }
    for (int i = steps; i >= 0; --i) {
        const float t = float(i) / float(steps), x = mix(left, right, t);
        flag.push_back(Vec2(x, mix(bottom, mid, t) + wave(x)));
    }
    image.fill([&](Vec2 p) { return polygon(p, flag) - 2.5f * u; }, palette::ink());
    image.fill([&](Vec2 p) { return polygon(p, flag); }, palette::orange());
    // A white band at the hoist with a small cow in it.
    image.fill([&](Vec2 p) { return intersect(polygon(p, flag), p.x - 60.0f * u); }, palette::paper());
    image.fill([&](Vec2 p) { return intersect(polygon(p, flag), std::fabs(p.x - 60.0f * u) - 2.0f * u); },
               palette::ink());
    const float cowScale = 20.0f * u;
    const Vec2 cowCentre(39.0f * u, mid + wave(39.0f * u) + 1.0f * u);
    image.fill([&](Vec2 p) { return cow::side((p - cowCentre) / cowScale + Vec2(0.0f, 0.1f)) * cowScale; },
               palette::ink());
    // The pole.
    image.fill([&](Vec2 p) { return box(p, Vec2(11.0f * u, h * 0.5f), Vec2(5.0f * u, h * 0.5f - 2.0f * u), 3.0f * u); },
               palette::ink());
    image.fill([&](Vec2 p) { return circle(p, Vec2(11.0f * u, 6.0f * u), 5.0f * u); }, palette::orange());

    const TextSetter font = context.font("DejaVuSans-Bold.ttf");
    TextSetter::Style style;
    style.trackingPx = 1.0f * u;
    style.sizePx = sizeForWidth(font, "TAVLEN", 110.0f * u, style);
    const float baseline = mid + 0.36f * font.capHeight(style) + wave(128.0f * u);
    CoverageMask word = textLine(image, font, "TAVLEN", 128.0f * u, baseline, style);
    outlinedText(image, word, palette::paper(), palette::ink(), 2.0f * u);
}

// "data/orm14.png": the closing emblem, shown 512 x 512 on black for six seconds: a round
// badge with the cow's head, a ring of LEDs and the name around the rim.
void emblem(Image& image, const PictureContext& context)
{
    const float w = float(image.width());
    const float u = w / 512.0f;
    const Vec2 c(w * 0.5f, w * 0.5f);

    image.fill([&](Vec2 p) { return circle(p, c, 250.0f * u); }, palette::ink());
    image.fill([&](Vec2 p) { return circle(p, c, 244.0f * u); }, palette::orange());
    image.fill([&](Vec2 p) { return circle(p, c, 196.0f * u); }, palette::ink());
    // Brushed rings in the orange band for depth.
    image.fill([&](Vec2 p) { return ring(p, c, 240.0f * u, 1.0f * u); }, palette::paper(0.5f));
    image.fill([&](Vec2 p) { return ring(p, c, 200.0f * u, 1.0f * u); }, palette::paper(0.35f));
    // The lettering around the rim, tops outward, starting at the top.
    const TextSetter font = context.font("DejaVuSans-Bold.ttf");
    TextSetter::Style style;
    style.sizePx = 28.0f * u;
    const std::string rim = "TAVLEN  ✦  REAL-TIME  ✦  MADE BY CODE  ✦  ";
    const float radius = 211.0f * u;
    const float circumference = 2.0f * PI * radius;
    // Spread the tracking so the text closes exactly around the circle.
    style.trackingPx = 0.0f;
    const float natural = font.measure(rim, style);
    style.trackingPx = (circumference - natural) / float(TextSetter::decode(rim).size());
    CoverageMask text(image.width(), image.height());
    float angle = radians(-90.0f) - 0.5f * font.measure("TAVLEN", style) / radius;
    for (char32_t g : TextSetter::decode(rim)) {
        const Vec2 pen = c + Vec2(pm::cos(angle), pm::sin(angle)) * radius;
        const float advance = font.drawTurnedGlyph(text, g, pen.x, pen.y, angle + PI * 0.5f, style);
        angle += (advance + style.trackingPx) / radius;
    }
    image.fillMask(text, 0, 0, palette::ink());
    // The LED ring inside the band.
    for (int k = 0; k < 60; ++k) {
        const float a = radians(6.0f * float(k));
        const Vec2 at = c + Vec2(pm::cos(a), pm::sin(a)) * (182.0f * u);
        const bool lit = k % 3 != 0;
        image.fill([&](Vec2 p) { return box(p, at, Vec2(3.5f * u, 3.5f * u), 1.0f * u, a); },
                   lit ? palette::orange() : palette::smoke());
    }
    // The head, a soft glow behind it, and the name under it.
    CoverageMask halo(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const float d = circle(Vec2(float(x) + 0.5f, float(y) + 0.5f), c + Vec2(0, -20.0f * u), 110.0f * u);
            halo.set(x, y, clamp(0.5f - d / (60.0f * u), 0.0f, 1.0f));
        }
    image.fillMask(halo, 0, 0, palette::orange(0.35f));
    cow::HeadStyle headStyle;
    cow::paintHead(image, c + Vec2(0.0f, -28.0f * u), 78.0f * u, 1.0f, headStyle);
    TextSetter::Style nameStyle;
    nameStyle.trackingPx = 6.0f * u;
    nameStyle.sizePx = sizeForWidth(font, "TAVLEN", 200.0f * u, nameStyle);
    const CoverageMask name = textLine(image, font, "TAVLEN", c.x, c.y + 140.0f * u, nameStyle);
    image.fillMask(name, 0, 0, palette::paper());
}

}  // namespace painters

// The word cards shown during the music, and the credits and closing cards at the end.
#include <algorithm>  // Required for: std::min

#include "CowDrawing.h"
#include "Painters.h"
#include "Palette.h"
#include "PortableMath.h"

using namespace shapes;
using namespace painters;

namespace {

// Sets a line turned by angleRad about its centre.
void turnedLine(CoverageMask& mask, const TextSetter& font, const std::string& text, Vec2 centre, float angleRad,
                const TextSetter::Style& style)
{
    const float width = font.measure(text, style);
    const float capHeight = font.capHeight(style);
    const Vec2 along(pm::cos(angleRad), pm::sin(angleRad)), down(-along.y, along.x);
    Vec2 pen = centre - along * (0.5f * width) + down * (0.5f * capHeight);
    for (char32_t g : TextSetter::decode(text)) {
        const float advance = font.drawTurnedGlyph(mask, g, pen.x, pen.y, angleRad, style);
        pen = pen + along * (advance + style.trackingPx);
    }
}

// A word card: a dark plate, tilted a little, with an orange inner line, the word in
// white and a short row of LEDs. It must read over white (normal blending) and over the
// dark background, where the demo may draw it additively and the plate then vanishes,
// leaving the bright word.
void wordCard(Image& image, const PictureContext& context, const std::string& word, float tiltDeg)
{
    const float w = float(image.width()), h = float(image.height());
    const float u = h / 128.0f;
    const Vec2 c(w * 0.5f, h * 0.5f);
    const float tilt = radians(tiltDeg);
    const Vec2 half(w * 0.5f - 12.0f * u, h * 0.5f - 14.0f * u);
    image.fill([&](Vec2 p) { return box(p, c, half, 16.0f * u, tilt); }, palette::ink(0.94f));
    image.fill([&](Vec2 p) { return outline(box(p, c, half - Vec2(7.0f, 7.0f) * u, 11.0f * u, tilt), 1.3f * u); },
               palette::orange());

    const TextSetter font = context.font("DejaVuSans-Bold.ttf");
    TextSetter::Style style;
    style.trackingPx = 2.0f * u;
    style.sizePx = std::min(sizeForWidth(font, word, half.x * 1.5f, style), 62.0f * u);
    CoverageMask text(image.width(), image.height());
    turnedLine(text, font, word, c + rotate(Vec2(0.0f, -5.0f * u), tilt), tilt, style);
    image.fillMask(text, 0, 0, palette::paper());
    for (int i = 0; i < 5; ++i) {
        const Vec2 at = c + rotate(Vec2((float(i) - 2.0f) * 11.0f * u, 33.0f * u), tilt);
        image.fillNear(at, 8.0f * u, [&](Vec2 p) { return box(p, at, Vec2(3.2f, 3.2f) * u, 0.8f * u, tilt); },
                       i == 2 ? palette::paper() : palette::orange());
    }
}

// Centred lines of text, each with its own font and colour.
struct TextLine {
    const char* text;
    const char* fontFile;
    float sizePx;
    float baselineY;
    Colour colour;
    float trackingPx = 0.0f;
};

void textLines(Image& image, const PictureContext& context, const std::vector<TextLine>& lines)
{
    for (const TextLine& line : lines) {
        const TextSetter font = context.font(line.fontFile);
        TextSetter::Style style;
        style.sizePx = line.sizePx;
        style.trackingPx = line.trackingPx;
        style.hinted = line.sizePx < 20.0f;
        const CoverageMask mask = textLine(image, font, line.text, float(image.width()) * 0.5f, line.baselineY, style);
        image.fillMask(mask, 0, 0, line.colour);
    }
}

// The orange rule under a title.
void rule(Image& image, float y, float halfWidth)
{
    const float cx = float(image.width()) * 0.5f;
    image.fill([&](Vec2 p) { return capsule(p, Vec2(cx - halfWidth, y), Vec2(cx + halfWidth, y), 1.5f); },
               palette::orange());
}

const char* const BOLD = "DejaVuSans-Bold.ttf";
const char* const BOOK = "DejaVuSans.ttf";

// A closing card of 256 x 256: an icon above, a word, the rule and a two-line caption.
void closingSquare(Image& image, const PictureContext& context, const char* word, const char* caption1,
                   const char* caption2)
{
    const float size = sizeForWidth(context.font(BOLD), word, 190.0f, TextSetter::Style());
    textLines(image, context,
              {{word, BOLD, std::min(size, 40.0f), 168.0f, palette::paper(), 0.0f},
               {caption1, BOOK, 13.0f, 206.0f, palette::paper(0.8f)},
               {caption2, BOOK, 13.0f, 224.0f, palette::paper(0.8f)}});
    rule(image, 182.0f, 28.0f);
}

}  // namespace

namespace painters {

// "data/act.png": shown 256 x 128 over the portrait scenes and the background.
void wordMoo(Image& image, const PictureContext& context)
{
    wordCard(image, context, "MOO!", -4.0f);
}

// "data/nob.png": shown 256 x 128 at the lower left, and 700 x 350 over the orange screen.
void wordTavlen(Image& image, const PictureContext& context)
{
    wordCard(image, context, "TAVLEN", 3.0f);
}

// "data/sympa.png": shown about 265 x 128 at the right, over the background.
void wordHello(Image& image, const PictureContext& context)
{
    wordCard(image, context, "HELLO", -3.0f);
}

// "data/idee.png": shown 700 x 350 over an orange screen with the chrome LED figure in
// front: the words set as a matrix of black LEDs, unlit LEDs faintly visible, so the
// orange screen itself becomes the display.
void brightIdea(Image& image, const PictureContext& context)
{
    const float w = float(image.width()), h = float(image.height());
    const TextSetter font = context.font(BOLD);
    TextSetter::Style style;
    style.trackingPx = 4.0f;
    style.sizePx = sizeForWidth(font, "BRIGHT", w * 0.86f, style);
    CoverageMask text(image.width(), image.height());
    font.drawCentred(text, "BRIGHT", w * 0.5f, h * 0.44f, style);
    TextSetter::Style second = style;
    second.sizePx = sizeForWidth(font, "IDEA!", w * 0.72f, style);
    font.drawCentred(text, "IDEA!", w * 0.5f, h * 0.9f, second);

    const float pitch = w / 64.0f;  // 64 LEDs across
    for (float y = pitch * 0.5f; y < h; y += pitch)
        for (float x = pitch * 0.5f; x < w; x += pitch) {
            // Lit where the letter covers most of the cell.
            float covered = 0.0f;
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx)
                    covered += text.sample(x + (float(sx) - 1.0f) * pitch * 0.3f, y + (float(sy) - 1.0f) * pitch * 0.3f);
            const bool lit = covered / 9.0f > 0.45f;
            const Vec2 at(x, y);
            image.fillNear(at, pitch, [&](Vec2 p) { return box(p, at, Vec2(pitch * 0.36f, pitch * 0.36f), pitch * 0.12f); },
                           lit ? palette::ink() : palette::ink(0.1f));
            const Vec2 glint = at + Vec2(-0.14f, -0.14f) * pitch;
            if (lit)
                image.fillNear(at, pitch, [&](Vec2 p) { return circle(p, glint, pitch * 0.07f); }, palette::paper(0.35f));
        }
}

// "data/credits.png": 256 x 256, centred on black after the music's break.
void credits(Image& image, const PictureContext& context)
{
    cow::HeadStyle style;
    style.outlineWidth = 0.09f;
    cow::paintHead(image, Vec2(128.0f, 46.0f), 27.0f, 1.0f, style);
    textLines(image, context,
              {{"TAVLEN", BOLD, 34.0f, 121.0f, palette::paper(), 3.0f},
               {"a real-time demo for Linux", BOOK, 12.5f, 150.0f, palette::paper(0.85f)},
               {"engine, demo, pictures and music", BOOK, 12.5f, 182.0f, palette::paper(0.85f)},
               {"made by", BOOK, 12.5f, 200.0f, palette::paper(0.85f)},
               {"the Tavlen project", BOLD, 16.0f, 226.0f, palette::orange()}});
    rule(image, 133.0f, 40.0f);
}

// "data/datum1.png" to "data/datum3.png": the first closing cards, 256 x 256 on black.
void closingCard1(Image& image, const PictureContext& context)
{
    ledCubeIcon(image, Vec2(128.0f, 78.0f), 84.0f, palette::orange(), Colour::hex(0xC24A12), Colour::hex(0x7A2E0B));
    closingSquare(image, context, "CODE", "an engine and a demo", "in plain C++ and OpenGL");
}

void closingCard2(Image& image, const PictureContext& context)
{
    cow::HeadStyle style;
    style.outlineWidth = 0.08f;
    cow::paintHead(image, Vec2(128.0f, 82.0f), 40.0f, 1.0f, style);
    closingSquare(image, context, "PICTURES", "drawn by the build", "with shapes and FreeType");
}

void closingCard3(Image& image, const PictureContext& context)
{
    // An equaliser of LEDs: columns of lit squares of different heights.
    const int heights[9] = {3, 5, 7, 6, 8, 5, 6, 4, 2};
    for (int col = 0; col < 9; ++col)
        for (int row = 0; row < 8; ++row) {
            const Vec2 at(128.0f + (float(col) - 4.0f) * 15.0f, 118.0f - float(row) * 11.0f);
            const bool lit = row < heights[col];
            const Colour colour = !lit ? palette::smoke() : (row >= 6 ? palette::paper() : palette::orange());
            image.fillNear(at, 9.0f, [&](Vec2 p) { return box(p, at, Vec2(5.5f, 4.0f), 1.0f); }, colour);
        }
    closingSquare(image, context, "MUSIC", "synthesised note by note", "and mixed in code");
}

// "data/datum4.png" and "data/datum5.png": the last closing cards, 512 x 256 on black.
void closingCard4(Image& image, const PictureContext& context)
{
    textLines(image, context,
              {{"EVERY PIXEL,", BOLD, 50.0f, 100.0f, palette::paper(), 2.0f},
               {"EVERY NOTE", BOLD, 50.0f, 160.0f, palette::paper(), 2.0f},
               {"made by the build, from code alone", BOOK, 17.0f, 214.0f, palette::orange()}});
    rule(image, 184.0f, 40.0f);
}

void closingCard5(Image& image, const PictureContext& context)
{
    // A little herd, one of them orange.
    for (int i = 0; i < 5; ++i) {
        const Vec2 at(256.0f + (float(i) - 2.0f) * 64.0f, 62.0f);
        const float scale = 26.0f;
        image.fillNear(at, 40.0f, [&](Vec2 p) { return cow::side((p - at) / scale) * scale; },
                       i == 3 ? palette::orange() : palette::paper());
    }
    TextSetter::Style fit;
    fit.trackingPx = 1.0f;
    const float titleSize = sizeForWidth(context.font(BOLD), "NO COWS WERE HARMED", 460.0f, fit);
    textLines(image, context,
              {{"NO COWS WERE HARMED", BOLD, titleSize, 150.0f, palette::paper(), 1.0f},
               {"in the making of this demo", BOOK, 18.0f, 212.0f, palette::paper(0.8f)}});
    rule(image, 178.0f, 40.0f);
}

// "data/url.png": the very last card, 512 x 256, which stays until the program ends.
void finalCard(Image& image, const PictureContext& context)
{
    const TextSetter font = context.font(BOLD);
    TextSetter::Style style;
    style.trackingPx = 8.0f;
    style.sizePx = sizeForWidth(font, "TAVLEN", 380.0f, style);
    const CoverageMask word = textLine(image, font, "TAVLEN", 256.0f, 128.0f, style);
    glow(image, word, palette::orange(0.7f), 7);
    outlinedText(image, word, palette::paper(), palette::orange(), 2.0f);
    for (int i = 0; i < 15; ++i) {
        const Vec2 at(256.0f + (float(i) - 7.0f) * 18.0f, 160.0f);
        image.fillNear(at, 8.0f, [&](Vec2 p) { return box(p, at, Vec2(4.5f, 4.5f), 1.2f); },
                       i % 2 ? palette::smoke() : palette::orange());
    }
    textLines(image, context, {{"thanks for watching", BOOK, 22.0f, 214.0f, palette::paper(0.9f), 1.0f}});
}

}  // namespace painters

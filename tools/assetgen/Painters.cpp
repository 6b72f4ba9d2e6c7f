#include "Painters.h"

#include <vector>

using namespace shapes;

namespace painters {

CoverageMask textLine(const Image& image, const TextSetter& font, const std::string& text, float centreX, float baselineY,
              const TextSetter::Style& style)
{
    CoverageMask mask(image.width(), image.height());
    font.drawCentred(mask, text, centreX, baselineY, style);
    return mask;
}

float sizeForWidth(const TextSetter& font, const std::string& text, float widthPx, TextSetter::Style style)
{
    // Width grows with size apart from the tracking, so one correction step is exact
    // up to FreeType's rounding of the size to 1/64 pixel.
    style.sizePx = 100.0f;
    const float glyphCount = float(TextSetter::decode(text).size());
    const float tracking = style.trackingPx * (glyphCount - 1.0f);
    const float width100 = font.measure(text, style) - tracking;
    return 100.0f * (widthPx - tracking) / width100;
}

void outlinedText(Image& image, const CoverageMask& text, Colour fill, Colour outlineColour, float outlineWidthPx)
{
    if (outlineWidthPx > 0.0f)
        image.fillMask(text.dilated(outlineWidthPx), 0, 0, outlineColour);
    image.fillMask(text, 0, 0, fill);
}

void glow(Image& image, const CoverageMask& mask, Colour colour, int radiusPx, int dx, int dy)
{
    image.fillMask(mask.blurred(radiusPx), dx, dy, colour);
}

void ledCubeIcon(Image& image, Vec2 c, float size, Colour top, Colour left, Colour right)
{
    // Isometric cube: the top is a rhombus, the two visible sides parallelograms.
    const float w = size * 0.5f * 0.866f, h = size * 0.25f;
    const Vec2 up = c + Vec2(0, -2.0f * h), down = c + Vec2(0, 2.0f * h);
    const Vec2 l = c + Vec2(-w, -h), r = c + Vec2(w, -h), lb = c + Vec2(-w, h), rb = c + Vec2(w, h);
    const std::vector<Vec2> topFace = {up, r, c, l};
    const std::vector<Vec2> leftFace = {l, c, down, lb};
    const std::vector<Vec2> rightFace = {c, r, rb, down};
    image.fill([&](Vec2 p) { return polygon(p, topFace); }, top);
    image.fill([&](Vec2 p) { return polygon(p, leftFace); }, left);
    image.fill([&](Vec2 p) { return polygon(p, rightFace); }, right);
}

}  // namespace painters

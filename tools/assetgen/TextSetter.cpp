#include "TextSetter.h"

#include <ft2build.h>  // Required for: FreeType's configuration macros
#include FT_FREETYPE_H  // Required for: FT_Load_Glyph, FT_Render_Glyph, FT_Set_Transform

#include <cmath>      // Required for: std::floor, std::lround, std::sqrt
#include <stdexcept>

#include "PortableMath.h"

namespace {

FT_Fixed toFixed16(float v) { return FT_Fixed(std::lround(double(v) * 65536.0)); }

}  // namespace

TextSetter::TextSetter(const std::string& fontFile)
{
    if (FT_Init_FreeType(&library) != 0)
        throw std::runtime_error("FreeType cannot start");
    if (FT_New_Face(library, fontFile.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        throw std::runtime_error("cannot read font " + fontFile);
    }
}

TextSetter::~TextSetter()
{
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

float TextSetter::measure(const std::string& text, const Style& style) const
{
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(style.sizePx * 64.0f)), 72, 72);
    FT_Set_Transform(face, nullptr, nullptr);
    const std::u32string chars = decode(text);
    float width = 0.0f;
    unsigned previous = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        const unsigned index = FT_Get_Char_Index(face, chars[i]);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern);
            width += float(kern.x) / 64.0f * style.squeeze;
        }
        FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING);
        width += float(face->glyph->linearHoriAdvance) / 65536.0f * style.squeeze;
        if (i + 1 < chars.size())
            width += style.trackingPx;
        previous = index;
    }
    return width;
}

float TextSetter::capHeight(const Style& style) const
{
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(style.sizePx * 64.0f)), 72, 72);
    FT_Set_Transform(face, nullptr, nullptr);
    FT_Load_Glyph(face, FT_Get_Char_Index(face, 'H'), FT_LOAD_NO_HINTING);
    return float(face->glyph->metrics.height) / 64.0f;
}

void TextSetter::draw(CoverageMask& target, const std::string& text, float penX, float baselineY, const Style& style) const
{
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(style.sizePx * 64.0f)), 72, 72);
    const float matrix[4] = {style.squeeze, 0.0f, 0.0f, 1.0f};
    const std::u32string chars = decode(text);
    unsigned previous = 0;
    for (char32_t c : chars) {
        const unsigned index = FT_Get_Char_Index(face, c);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern);
            penX += float(kern.x) / 64.0f * style.squeeze;
        }
        penX += renderGlyph(target, index, penX, baselineY, matrix, style.hinted) + style.trackingPx;
        previous = index;
    }
}

void TextSetter::drawCentred(CoverageMask& target, const std::string& text, float centreX, float baselineY,
                     const Style& style) const
{
    draw(target, text, centreX - 0.5f * measure(text, style), baselineY, style);
}

float TextSetter::drawTurnedGlyph(CoverageMask& target, char32_t codepoint, float penX, float penY, float angleRad,
                          const Style& style) const
{
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(style.sizePx * 64.0f)), 72, 72);
    const float c = pm::cos(angleRad), s = pm::sin(angleRad);
    // Column-major 2x2 in FreeType's y-up space, where a clockwise turn on our y-down
    // screen is a clockwise turn there too: x' = c x + s y, y' = -s x + c y.
    const float matrix[4] = {c * style.squeeze, -s * style.squeeze, s, c};
    return renderGlyph(target, FT_Get_Char_Index(face, codepoint), penX, penY, matrix, false);
}

std::u32string TextSetter::decode(const std::string& utf8)
{
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t c = b;
        if (b >= 0xF0) {
            c = b & 0x07u;
            extra = 3;
        } else if (b >= 0xE0) {
            c = b & 0x0Fu;
            extra = 2;
        } else if (b >= 0xC0) {
            c = b & 0x1Fu;
            extra = 1;
        }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3Fu);
        out.push_back(c);
    }
    return out;
}

float TextSetter::renderGlyph(CoverageMask& target, unsigned glyphIndex, float penX, float penY, const float m[4],
                              bool hinted) const
{
    // m is column-major: {xx, yx, xy, yy}.
    // The whole-pixel part of the pen goes to the bitmap's placement, the fraction to
    // FreeType's delta, so glyphs sit at sub-pixel positions.
    const float baseX = std::floor(penX), baseY = std::floor(penY);
    FT_Matrix matrix;
    matrix.xx = toFixed16(m[0]);
    matrix.xy = toFixed16(m[2]);
    matrix.yx = toFixed16(m[1]);
    matrix.yy = toFixed16(m[3]);
    FT_Vector delta;
    delta.x = FT_Pos(std::lround((penX - baseX) * 64.0f));
    delta.y = FT_Pos(-std::lround((penY - baseY) * 64.0f));
    FT_Set_Transform(face, &matrix, &delta);
    if (FT_Load_Glyph(face, glyphIndex, hinted ? FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING) != 0)
        return 0.0f;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return 0.0f;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int left = int(baseX) + face->glyph->bitmap_left;
    const int top = int(baseY) - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row)
        for (unsigned col = 0; col < bitmap.width; ++col) {
            const unsigned char v = bitmap.buffer[int(row) * bitmap.pitch + int(col)];
            if (v)
                target.add(left + int(col), top + int(row), float(v) / 255.0f);
        }
    // The unhinted advance, stretched like the glyph, so that measure() agrees with draw().
    const float linear = float(face->glyph->linearHoriAdvance) / 65536.0f;
    return linear * std::sqrt(m[0] * m[0] + m[1] * m[1]);
}

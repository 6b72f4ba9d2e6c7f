// TextSetter: sets lines of text with FreeType from one of Debian's DejaVu fonts, as
// coverage masks the picture functions colour, outline and light.
//
// Owns its FreeType library and face; not shared between threads (each picture task
// makes its own). Sizes are in pixels (the em size); positions are pen positions on the
// baseline, y down. Text is UTF-8. Glyphs are placed at sub-pixel positions and may be
// squeezed horizontally or turned, which is how the logo and the emblem's ring are set.
#pragma once

#include <string>

#include "CoverageMask.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

class TextSetter {
public:
    // fontFile is a path to a TrueType font; throws std::runtime_error when it cannot be read.
    explicit TextSetter(const std::string& fontFile);
    ~TextSetter();
    TextSetter(const TextSetter&) = delete;
    TextSetter& operator=(const TextSetter&) = delete;

    struct Style {
        float sizePx = 32.0f;
        float trackingPx = 0.0f;  // extra space after every glyph
        float squeeze = 1.0f;     // horizontal scale of the glyphs
        bool hinted = false;      // light vertical hinting, for small text shown 1:1
    };

    // Advance width of the line, tracking included (none after the last glyph).
    float measure(const std::string& text, const Style& style) const;
    // Cap height (height of "H") at the style's size.
    float capHeight(const Style& style) const;

    // Sets a line with its pen starting at (penX, baselineY) into `target`.
    void draw(CoverageMask& target, const std::string& text, float penX, float baselineY, const Style& style) const;
    // The same, centred on centreX.
    void drawCentred(CoverageMask& target, const std::string& text, float centreX, float baselineY,
                     const Style& style) const;
    // One glyph turned by angleRad (clockwise on screen, since y points down) about its
    // pen position; returns its advance along the turned baseline.
    float drawTurnedGlyph(CoverageMask& target, char32_t codepoint, float penX, float penY, float angleRad,
                          const Style& style) const;

    // The characters of a UTF-8 string.
    static std::u32string decode(const std::string& utf8);

private:
    // Renders one glyph at a fractional pen position with a 2x2 transform.
    float renderGlyph(CoverageMask& target, unsigned glyphIndex, float penX, float penY, const float matrix[4],
                      bool hinted) const;

    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_* face = nullptr;
};

// BitmapFont: the studio's own small lettering, 5 x 7 pixel glyphs (and descenders below)
// drawn in code.
//
// Digits, lower-case letters and the few signs the heads-up line needs (. , : - _ / [ ] ( )
// = % | x); upper-case letters are drawn as their lower-case ones, anything else as a blank.
// Each glyph is GLYPH_WIDTH x GLYPH_HEIGHT pixels, descenders included, GLYPH_ADVANCE apart.
// Drawing emits one quad per lit pixel inside a glBegin(GL_QUADS)/glEnd() the caller opens,
// in a projection of device pixels (y up). Stateless.
#pragma once

class BitmapFont {
public:
    static constexpr int GLYPH_WIDTH = 5;
    static constexpr int GLYPH_HEIGHT = 9;
    static constexpr int GLYPH_ADVANCE = 6;

    // The GLYPH_HEIGHT rows of a character, top row first; bit 4 is the leftmost pixel. Null for a blank.
    static const unsigned char* glyph(char c);
    // Width in pixels of `text` at `scale` device pixels per glyph pixel.
    static int textWidthPx(const char* text, int scale);
    // Quads for `text` with its top-left corner at (leftPx, topPx); each glyph pixel a
    // scale x scale square.
    static void drawQuads(const char* text, int leftPx, int topPx, int scale);
};

// Painters: one function per picture of the demo, grouped in files by kind (title pictures,
// cow pictures, screen layers, word cards), and the helpers they share.
//
// Each painter fills an Image of the size the catalogue gives (Pictures.cpp) and reads
// nothing but its context's fonts. The comment above each painter says where the demo
// shows the picture and what follows from that for the design.
#pragma once

#include <string>

#include "Image.h"
#include "CoverageMask.h"
#include "Pictures.h"
#include "TextSetter.h"

namespace painters {

// Title pictures (PicturesTitle.cpp).
void logo(Image& image, const PictureContext& context);
void lens(Image& image, const PictureContext& context);
void pennant(Image& image, const PictureContext& context);
void emblem(Image& image, const PictureContext& context);

// Cow pictures (PicturesCow.cpp).
void cowSprite(Image& image, const PictureContext& context);
void portrait(Image& image, const PictureContext& context);
void chromeMap(Image& image, const PictureContext& context);

// Screen layers (PicturesScreen.cpp).
void grain(Image& image, const PictureContext& context);
void frameMask(Image& image, const PictureContext& context);
void dustAndScratches(Image& image, const PictureContext& context);
void background(Image& image, const PictureContext& context);
void dot(Image& image, const PictureContext& context);

// Word and title cards (PicturesCards.cpp).
void wordMoo(Image& image, const PictureContext& context);
void wordTavlen(Image& image, const PictureContext& context);
void wordHello(Image& image, const PictureContext& context);
void brightIdea(Image& image, const PictureContext& context);
void credits(Image& image, const PictureContext& context);
void closingCard1(Image& image, const PictureContext& context);
void closingCard2(Image& image, const PictureContext& context);
void closingCard3(Image& image, const PictureContext& context);
void closingCard4(Image& image, const PictureContext& context);
void closingCard5(Image& image, const PictureContext& context);
void finalCard(Image& image, const PictureContext& context);

// Shared helpers (Painters.cpp).

// A line of text as a mask the size of the image, centred on centreX.
CoverageMask textLine(const Image& image, const TextSetter& font, const std::string& text, float centreX, float baselineY,
              const TextSetter::Style& style);
// Text size that makes `text` exactly widthPx wide (for a given squeeze and tracking).
float sizeForWidth(const TextSetter& font, const std::string& text, float widthPx, TextSetter::Style style);
// Paints text with an outline of outlineWidthPx in outlineColour under it.
void outlinedText(Image& image, const CoverageMask& text, Colour fill, Colour outlineColour, float outlineWidthPx);
// A soft drop shadow or glow of a mask, blurred by radiusPx and shifted by (dx, dy).
void glow(Image& image, const CoverageMask& mask, Colour colour, int radiusPx, int dx = 0, int dy = 0);
// A small isometric LED cube icon (three faces), the demo's figure in miniature.
void ledCubeIcon(Image& image, Vec2 centrePx, float sizePx, Colour top, Colour left, Colour right);

}  // namespace painters

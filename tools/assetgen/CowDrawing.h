// CowDrawing: the demo's cow, as shapes the pictures share: a side-view silhouette (the
// particle sprite, the chessboard pieces, small icons) and a front-view head with horns,
// ears, spots and muzzle (the logo, the portrait, the emblem).
//
// Shapes are in design units around the cow's own origin, y down, and return signed
// distances in those units; callers scale to pixels. The side view faces right and spans
// about x -1..1, y -0.75..0.75; the head spans about x -1.4..1.4 (ears) and y -1.2..1.15.
#pragma once

#include "Image.h"
#include "Shapes.h"

namespace cow {

// Distance to the side-view silhouette.
float side(Vec2 q);

// Distance to the whole head, horns and ears included: the silhouette of the head.
float head(Vec2 q);

// How the head is coloured.
struct HeadStyle {
    Colour hide = Colour(1, 1, 1, 1);     // the head's base colour
    Colour spots = Colour(0.07f, 0.07f, 0.08f, 1);
    Colour muzzle = Colour(0.96f, 0.66f, 0.55f, 1);
    Colour horns = Colour(0.95f, 0.89f, 0.80f, 1);
    Colour innerEar = Colour(0.96f, 0.66f, 0.55f, 1);
    Colour line = Colour(0.07f, 0.07f, 0.08f, 1);  // outline and features
    float outlineWidth = 0.07f;  // design units
};

// Paints the head in colour into image: design point q maps to pixel centre + q * scalePx,
// with x squeezed by `squeeze` (the logo is shown both 4:3 and square).
void paintHead(Image& image, Vec2 centrePx, float scalePx, float squeeze, const HeadStyle& style);

}  // namespace cow

// Icons: the program's desktop icon, the demo's emblem (orm14.png) scaled to the sizes of the
// freedesktop "hicolor" theme.
//
// The icon is no picture of its own: it is the emblem as the demo paints it, averaged down
// over the exact area each icon pixel covers, so the small sizes keep the emblem's colours
// instead of the aliasing a bilinear read would give. Written as RGBA PNG files
// <folder>/<N>x<N>/apps/tavlen.png, the layout installed under share/icons/hicolor.
#pragma once

#include <string>

#include "Image.h"

class PictureContext;

// `picture` averaged down (premultiplied, so transparent pixels add no colour) to a square of
// `sizePx`; the picture's aspect is not kept. Asserts sizePx <= the picture's sides.
Image scaledDown(const Image& picture, int sizePx);

// Every icon size, under `folder`; throws std::runtime_error when a file cannot be written.
void writeIcons(const std::string& folder, const PictureContext& context);

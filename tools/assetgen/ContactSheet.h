// ContactSheet: all pictures on one page for looking at them, and previews of the pictures
// composed the way the demo shows them (sizes, backgrounds, tints).
//
// The contact sheet lays every picture out at its own size (large ones halved) on a grey
// checkerboard, so alpha shows, each labelled with its file name, size and channels.
#pragma once

#include <vector>

#include "Image.h"
#include "Pictures.h"

Image contactSheet(const std::vector<PictureRecipe>& catalogue, const std::vector<Image>& images,
                   const PictureContext& context);

Image previews(const std::vector<PictureRecipe>& catalogue, const std::vector<Image>& images);

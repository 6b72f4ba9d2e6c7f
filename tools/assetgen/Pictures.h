// Pictures: the catalogue of the demo's 23 pictures and the function that paints each.
//
// Every entry names the file the demo opens (relative to the build folder), the texture
// size and channel count chosen for how the demo shows it, and its painter. Painting is
// pure: the same entry gives the same Image every time, on any thread (each call makes
// its own font faces).
#pragma once

#include <string>
#include <vector>

#include "Image.h"

class TextSetter;

// What a painter may use besides its image: the fonts.
class PictureContext {
public:
    explicit PictureContext(std::string fontDirectory) : fontDir(std::move(fontDirectory)) {}
    // A text setter for a DejaVu face, e.g. "DejaVuSans-Bold.ttf".
    TextSetter font(const std::string& fileName) const;
    const std::string& fontDirectory() const { return fontDir; }

private:
    std::string fontDir;
};

struct PictureRecipe {
    const char* file;  // "data/xyz.png"
    int width;
    int height;
    int channels;      // 3 for opaque pictures, 4 where the demo needs alpha
    void (*paint)(Image& image, const PictureContext& context);
};

// The 23 pictures, in the order the demo loads them (the LED cube's picture last).
const std::vector<PictureRecipe>& pictureCatalogue();

// Paints one picture.
Image renderPicture(const PictureRecipe& recipe, const PictureContext& context);

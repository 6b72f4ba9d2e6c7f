// TestFiles: pictures made in code for tests that need files of their own (one libpng
// writer serves every kind of PNG the tests make), and the place where rendered frames are
// left for people to look at.
//
// Frames go to $TAVLEN_TEST_FRAMES when it is set (so a developer can keep them), else to
// the process's scratch folder, which is removed at exit.
#pragma once

#include <png.h>  // Required for: png_color and the colour-type constants of PNGRecipe

#include <cstdint>
#include <string>
#include <vector>

namespace tavtest {

// A PNG to write with libpng: `rows` top row first, each row already in the file's sample
// layout for the colour type and bit depth. Optional palette and tRNS chunk.
struct PNGRecipe {
    int width = 0;
    int height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::vector<uint8_t>> rows;
    std::vector<png_color> palette;
    std::vector<uint8_t> transparency;  // tRNS entries for a palette
};

// Writes `recipe` to `path`; false when the file cannot be written.
bool writePNG(const std::string& path, const PNGRecipe& recipe);

// Full path for a rendered frame called `name` ("cowqube.png").
std::string framePath(const std::string& name);

}  // namespace tavtest

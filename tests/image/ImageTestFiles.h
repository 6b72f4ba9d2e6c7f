// ImageTestFiles: the scratch files of the image tests. Every file a test reads is written
// by the test itself, in the test process's scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ImageFileBytes.h"
#include "support/TestFiles.h"      // Required for: PNGRecipe, writePNG()
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestThrows.h"     // Required for: tavtest::expectThrown()

namespace imagetest {

using tavtest::expectThrown;
using tavtest::PNGRecipe;
using tavtest::writePNG;

inline std::string scratchPath(const std::string& name)
{
    return tavtest::scratchDir() + "/" + name;
}

inline void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Swaps bytes 0 and 2 of every pixel: RGB <-> BGR.
inline Bytes swapRedBlue(Bytes pixels, int bytesPerPixel)
{
    for (size_t i = 0; i + 2 < pixels.size(); i += size_t(bytesPerPixel))
        std::swap(pixels[i], pixels[i + 2]);
    return pixels;
}

// An 8-bit RGB PNG whose rows (top first) have the given colours, each row one colour.
inline PNGRecipe stripesPNG(int width, const std::vector<uint32_t>& rowColoursRGB)
{
    PNGRecipe recipe;
    recipe.width = width;
    recipe.height = int(rowColoursRGB.size());
    for (uint32_t colour : rowColoursRGB) {
        Bytes row;
        for (int x = 0; x < width; ++x)
            row.insert(row.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
        recipe.rows.push_back(row);
    }
    return recipe;
}

}  // namespace imagetest

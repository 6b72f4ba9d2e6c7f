// ImageTestFiles: picture files made byte by byte for the image tests. Every file a test
// reads is written here or by the test itself, in the test process's scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/TestFiles.h"      // Required for: PNGRecipe, writePNG()
#include "support/TestGLContext.h"  // Required for: tavtest::scratchDir()
#include "support/TestThrows.h"     // Required for: tavtest::expectThrown()

namespace imagetest {

using Bytes = std::vector<uint8_t>;
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

// Distinct, non-symmetric bytes, so that swapped channels or shifted rows show.
inline Bytes pattern(size_t count, int seed = 1)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t((i * 37 + size_t(seed) * 11 + i / 7) & 0xff);
    return bytes;
}

inline void putLE32(Bytes& bytes, size_t offset, uint32_t value, int size = 4)
{
    for (size_t i = 0; i < size_t(size); ++i)
        bytes[offset + i] = uint8_t(value >> (8 * i));
}

// Swaps bytes 0 and 2 of every pixel: RGB <-> BGR.
inline Bytes swapRedBlue(Bytes pixels, int bytesPerPixel)
{
    for (size_t i = 0; i + 2 < pixels.size(); i += size_t(bytesPerPixel))
        std::swap(pixels[i], pixels[i + 2]);
    return pixels;
}

// An uncompressed true-colour TGA; `filePixels` in file order (B, G, R (, A)).
inline Bytes tgaFile(int width, int height, int depthBits, const Bytes& filePixels)
{
    Bytes file(18, 0);
    file[2] = 2;
    putLE32(file, 12, uint32_t(width), 2);
    putLE32(file, 14, uint32_t(height), 2);
    file[16] = uint8_t(depthBits);
    file.insert(file.end(), filePixels.begin(), filePixels.end());
    return file;
}

// A classic BMP (40-byte information header, pixels at 54); `filePixels` are packed rows
// in file order (B, G, R (, A)) that get the usual padding to 4 bytes.
inline Bytes bmpFile(int width, int height, int bitCount, const Bytes& filePixels)
{
    const size_t rowBytes = size_t(width) * size_t(bitCount / 8);
    const size_t paddedRowBytes = (rowBytes + 3) & ~size_t(3);
    Bytes file(54, 0);
    file[0] = 'B';
    file[1] = 'M';
    putLE32(file, 2, uint32_t(54 + paddedRowBytes * size_t(height)));
    putLE32(file, 10, 54);
    putLE32(file, 14, 40);
    putLE32(file, 18, uint32_t(width));
    putLE32(file, 22, uint32_t(height));
    putLE32(file, 26, 1, 2);
    putLE32(file, 28, uint32_t(bitCount), 2);
    putLE32(file, 34, uint32_t(paddedRowBytes * size_t(height)));
    for (int row = 0; row < height; ++row) {
        const auto start = filePixels.begin() + long(size_t(row) * rowBytes);
        file.insert(file.end(), start, start + long(rowBytes));
        file.insert(file.end(), paddedRowBytes - rowBytes, 0);
    }
    return file;
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

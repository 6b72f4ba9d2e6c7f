// ImageFileBytes: TGA and BMP files built byte by byte, for the image tests and the seeds of
// the image fuzzers. No test framework here, so the fuzz targets can use it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imagetest {

using Bytes = std::vector<uint8_t>;

inline void putLE32(Bytes& bytes, size_t offset, uint32_t value, int size = 4)
{
    for (size_t i = 0; i < size_t(size); ++i)
        bytes[offset + i] = uint8_t(value >> (8 * i));
}

// Distinct, non-symmetric bytes, so that swapped channels or shifted rows show.
inline Bytes pattern(size_t count, int seed = 1)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t((i * 37 + size_t(seed) * 11 + i / 7) & 0xff);
    return bytes;
}

// An uncompressed true-colour TGA; `filePixels` in file order (B, G, R (, A)).
inline Bytes tgaFile(int width, int height, int depthBits, const Bytes& filePixels, uint8_t descriptor = 0)
{
    Bytes file(18, 0);
    file[2] = 2;
    putLE32(file, 12, uint32_t(width), 2);
    putLE32(file, 14, uint32_t(height), 2);
    file[16] = uint8_t(depthBits);
    file[17] = descriptor;
    file.insert(file.end(), filePixels.begin(), filePixels.end());
    return file;
}

// A BMP with `infoBytes` of information header (40 classic, 124 version 5); compression 3
// gives bit fields with the usual masks. `filePixels` are packed rows in file order
// (B, G, R (, A)) that get the usual padding to 4 bytes.
inline Bytes bmpFile(int width, int height, int bitCount, const Bytes& filePixels, uint32_t infoBytes = 40,
                     uint32_t compression = 0)
{
    const size_t offset = 14 + infoBytes + (compression == 3 && infoBytes == 40 ? 12 : 0);
    const size_t rowBytes = size_t(width) * size_t(bitCount / 8);
    const size_t paddedRowBytes = (rowBytes + 3) & ~size_t(3);
    Bytes file(offset, 0);
    file[0] = 'B';
    file[1] = 'M';
    putLE32(file, 2, uint32_t(offset + paddedRowBytes * size_t(height)));
    putLE32(file, 10, uint32_t(offset));
    putLE32(file, 14, infoBytes);
    putLE32(file, 18, uint32_t(width));
    putLE32(file, 22, uint32_t(height));
    putLE32(file, 26, 1, 2);
    putLE32(file, 28, uint32_t(bitCount), 2);
    putLE32(file, 30, compression);
    putLE32(file, 34, uint32_t(paddedRowBytes * size_t(height)));
    if (compression == 3) {
        putLE32(file, 54, 0x00ff0000);
        putLE32(file, 58, 0x0000ff00);
        putLE32(file, 62, 0x000000ff);
    }
    for (int row = 0; row < height; ++row) {
        const auto start = filePixels.begin() + long(size_t(row) * rowBytes);
        file.insert(file.end(), start, start + long(rowBytes));
        file.insert(file.end(), paddedRowBytes - rowBytes, 0);
    }
    return file;
}

}  // namespace imagetest

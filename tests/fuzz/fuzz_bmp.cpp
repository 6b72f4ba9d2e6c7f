// Fuzzes the BMP reader through its file-name constructor, seeded with small valid
// files; the checks on what it accepts and refuses are fuzzImageReader's.
#include "FuzzSupport.h"

using namespace fuzzsupport;

namespace {

// A BMP with `infoBytes` of information header; bit fields get the usual masks.
Bytes bmp(int width, int height, int bitCount, uint32_t infoBytes, uint32_t compression)
{
    const size_t masksBytes = compression == 3 && infoBytes == 40 ? 12 : 0;
    const size_t offset = 14 + infoBytes + masksBytes;
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
        const Bytes pixels = pattern(rowBytes);
        file.insert(file.end(), pixels.begin(), pixels.end());
        file.insert(file.end(), paddedRowBytes - rowBytes, 0);
    }
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    writeSeeds(*argc, *argv,
               {{"rgb-3x2", bmp(3, 2, 24, 40, 0)}, {"rgba-2x2", bmp(2, 2, 32, 40, 0)}, {"rgb-1x3", bmp(1, 3, 24, 40, 0)},
                {"fields-2x1", bmp(2, 1, 32, 40, 3)}, {"v5-fields-1x2", bmp(1, 2, 32, 124, 3)},
                {"v5-rgb-5x1", bmp(5, 1, 24, 124, 0)}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzImageReader("bmp", data, size);
    return 0;
}

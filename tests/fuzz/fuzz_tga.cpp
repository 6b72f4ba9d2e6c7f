// Fuzzes the TGA reader through its file-name constructor, seeded with small valid
// files; the checks on what it accepts and refuses are fuzzImageReader's.
#include "FuzzSupport.h"

using namespace fuzzsupport;

namespace {

Bytes tga(int width, int height, int depthBits, uint8_t descriptor)
{
    Bytes file(18, 0);
    file[2] = 2;
    putLE32(file, 12, uint32_t(width), 2);
    putLE32(file, 14, uint32_t(height), 2);
    file[16] = uint8_t(depthBits);
    file[17] = descriptor;
    const Bytes pixels = pattern(size_t(width * height * depthBits / 8));
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    writeSeeds(*argc, *argv, {{"rgb-3x2", tga(3, 2, 24, 0)}, {"rgba-2x3", tga(2, 3, 32, 8)},
                              {"rgba-1x1-top", tga(1, 1, 32, 0x28)}, {"rgb-5x1", tga(5, 1, 24, 0)}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzImageReader("tga", data, size);
    return 0;
}

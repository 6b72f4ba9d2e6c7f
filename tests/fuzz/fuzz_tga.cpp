// Fuzzes the TGA reader through its file-name constructor, seeded with small valid
// files; the checks on what it accepts and refuses are fuzzImageReader's.
#include "../image/ImageFileBytes.h"
#include "FuzzSupport.h"

using namespace fuzzsupport;
using imagetest::pattern;
using imagetest::tgaFile;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    writeSeeds(*argc, *argv,
               {{"rgb-3x2", tgaFile(3, 2, 24, pattern(18))}, {"rgba-2x3", tgaFile(2, 3, 32, pattern(24), 8)},
                {"rgba-1x1-top", tgaFile(1, 1, 32, pattern(4), 0x28)}, {"rgb-5x1", tgaFile(5, 1, 24, pattern(15))}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzImageReader("tga", data, size);
    return 0;
}

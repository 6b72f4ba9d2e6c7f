// Fuzzes the BMP reader through its file-name constructor, seeded with small valid
// files; the checks on what it accepts and refuses are fuzzImageReader's.
#include "../image/ImageFileBytes.h"
#include "FuzzSupport.h"

using namespace fuzzsupport;
using imagetest::bmpFile;
using imagetest::pattern;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    writeSeeds(*argc, *argv,
               {{"rgb-3x2", bmpFile(3, 2, 24, pattern(18))}, {"rgba-2x2", bmpFile(2, 2, 32, pattern(16))},
                {"rgb-1x3", bmpFile(1, 3, 24, pattern(9))}, {"fields-2x1", bmpFile(2, 1, 32, pattern(8), 40, 3)},
                {"v5-fields-1x2", bmpFile(1, 2, 32, pattern(8), 124, 3)},
                {"v5-rgb-5x1", bmpFile(5, 1, 24, pattern(15), 124)}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzImageReader("bmp", data, size);
    return 0;
}

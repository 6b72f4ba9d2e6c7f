// Fuzzes the BMP reader through its file-name constructor. Every accepted picture must be
// complete (its last byte readable) and survive a write and a second read unchanged; every
// refusal must be a TAV_Exception with a file (-70) or memory (-55) code.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "image/TAV_ImageData.h"
#include "sys/TAV_Exception.h"

using namespace fuzzsupport;

namespace {

// The files this process reads and writes, removed when it ends.
struct ScratchFiles {
    const std::string input = scratchFile("bmp");
    const std::string output = scratchFile("out.bmp");
    ~ScratchFiles()
    {
        remove(input.c_str());
        remove(output.c_str());
    }
};

const ScratchFiles& scratch()
{
    static const ScratchFiles files;
    return files;
}

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
    putLE16(file, 26, 1);
    putLE16(file, 28, uint32_t(bitCount));
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

void expectSameImage(const TAV_ImageData& a, const TAV_ImageData& b)
{
    const size_t size = size_t(a.m_width) * size_t(a.m_height) * size_t(a.m_bpp);
    if (a.m_width != b.m_width || a.m_height != b.m_height || a.m_bpp != b.m_bpp || a.m_format != b.m_format ||
        memcmp(a.m_data, b.m_data, size) != 0)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    const std::string dir = corpusDir(*argc, *argv);
    writeSeed(dir, "rgb-3x2", bmp(3, 2, 24, 40, 0));
    writeSeed(dir, "rgba-2x2", bmp(2, 2, 32, 40, 0));
    writeSeed(dir, "rgb-1x3", bmp(1, 3, 24, 40, 0));
    writeSeed(dir, "fields-2x1", bmp(2, 1, 32, 40, 3));
    writeSeed(dir, "v5-fields-1x2", bmp(1, 2, 32, 124, 3));
    writeSeed(dir, "v5-rgb-5x1", bmp(5, 1, 24, 124, 0));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeFile(scratch().input, data, size);
    try {
        TAV_ImageData image(scratch().input.c_str());
        if ((image.m_bpp != 3 && image.m_bpp != 4) || image.m_width <= 0 || image.m_height <= 0)
            abort();
        volatile unsigned char last = image.m_data[size_t(image.m_width) * image.m_height * image.m_bpp - 1];
        (void)last;
        image.writeBitmap(scratch().output.c_str());
        TAV_ImageData back(scratch().output.c_str());
        expectSameImage(image, back);
    } catch (TAV_Exception* e) {
        if (e->getCode() != TAV_Exception::BAD_FILE && e->getCode() != TAV_Exception::MEMORY_EXHAUSTED)
            abort();
        delete e;
    }
    return 0;
}

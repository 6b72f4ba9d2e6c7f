// Fuzzes the TGA reader through its file-name constructor. Every accepted picture must be
// complete (its last byte readable) and survive a bitmap round trip unchanged; every
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
    const std::string input = scratchFile("tga");
    const std::string output = scratchFile("bmp");
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

Bytes tga(int width, int height, int depthBits, uint8_t descriptor)
{
    Bytes file(18, 0);
    file[2] = 2;
    putLE16(file, 12, uint32_t(width));
    putLE16(file, 14, uint32_t(height));
    file[16] = uint8_t(depthBits);
    file[17] = descriptor;
    const Bytes pixels = pattern(size_t(width * height * depthBits / 8));
    file.insert(file.end(), pixels.begin(), pixels.end());
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
    writeSeed(dir, "rgb-3x2", tga(3, 2, 24, 0));
    writeSeed(dir, "rgba-2x3", tga(2, 3, 32, 8));
    writeSeed(dir, "rgba-1x1-top", tga(1, 1, 32, 0x28));
    writeSeed(dir, "rgb-5x1", tga(5, 1, 24, 0));
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

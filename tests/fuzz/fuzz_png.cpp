// Fuzzes the PNG loader's decoding step (everything before the OpenGL upload). Chunk
// checksums are recomputed before decoding, so that mutated headers and image data reach
// the decoder instead of stopping at libpng's CRC check. Every decoded picture must be
// RGB or RGBA within the size limit with its last byte readable; every refusal must be a
// TAV_Exception with a file (-70) or memory (-55) code.
#include <png.h>   // Required for: writing the seed pictures
#include <zlib.h>  // Required for: crc32(), the PNG chunk checksum

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../image/ImageFileBytes.h"
#include "FuzzSupport.h"
#include "image/TAV_PNGLoader_local.h"
#include "sys/TAV_Exception.h"

using namespace fuzzsupport;
using imagetest::pattern;

namespace {

uint32_t readBE32(const uint8_t* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

// Rewrites the checksum of every whole chunk after the 8-byte signature.
void fixChunkChecksums(Bytes& file)
{
    size_t position = 8;
    while (position + 12 <= file.size()) {
        const uint32_t length = readBE32(&file[position]);
        if (length > file.size() - position - 12)
            break;
        const uLong crc = crc32(0, &file[position + 4], uInt(length + 4));  // type and data
        for (int i = 0; i < 4; ++i)
            file[position + 8 + length + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
        position += 12 + length;
    }
}

void appendToBytes(png_structp png, png_bytep data, png_size_t length)
{
    Bytes* bytes = static_cast<Bytes*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

// A small PNG of the given kind; pixel bytes follow a pattern.
Bytes png(int width, int height, int colorType, int bitDepth, bool interlaced)
{
    Bytes bytes;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        return Bytes();
    }
    png_set_write_fn(writer, &bytes, appendToBytes, nullptr);
    png_set_IHDR(writer, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    png_byte transparency[2] = {0, 128};
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(writer, info, palette, 4);
        png_set_tRNS(writer, info, transparency, 2, nullptr);
    }
    png_write_info(writer, info);
    const int channels = colorType == PNG_COLOR_TYPE_RGB ? 3 : colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                       : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
    const size_t rowBytes = (size_t(width) * size_t(channels) * size_t(bitDepth) + 7) / 8;
    Bytes row = pattern(rowBytes);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        for (uint8_t& b : row)
            b &= uint8_t(bitDepth == 8 ? 3 : 0x55);  // indices into the 4-entry palette
    const int passes = png_set_interlace_handling(writer);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y)
            png_write_row(writer, row.data());
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    writeSeeds(*argc, *argv,
               {{"grey1", png(9, 2, PNG_COLOR_TYPE_GRAY, 1, false)}, {"grey8", png(3, 2, PNG_COLOR_TYPE_GRAY, 8, false)},
                {"grey16", png(2, 2, PNG_COLOR_TYPE_GRAY, 16, false)},
                {"greyalpha8", png(3, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false)},
                {"rgb8", png(3, 2, PNG_COLOR_TYPE_RGB, 8, false)}, {"rgb16", png(2, 1, PNG_COLOR_TYPE_RGB, 16, false)},
                {"rgba8-interlaced", png(9, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, true)},
                {"palette8", png(3, 2, PNG_COLOR_TYPE_PALETTE, 8, false)},
                {"palette2", png(5, 2, PNG_COLOR_TYPE_PALETTE, 2, false)}});
    // libpng explains every refusal on stderr; thousands of times a second that would drown
    // the log. libFuzzer keeps its own and the sanitizers' reports on a copy of stderr.
    addFlag(argc, argv, "-close_fd_mask=2");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;  // fmemopen refuses an empty buffer; the loader's tests cover empty files
    Bytes file(data, data + size);
    fixChunkChecksums(file);
    FILE* stream = fmemopen(file.data(), file.size(), "rb");
    if (!stream)
        abort();
    try {
        const TAV_PNGLoader_local::DecodedPNG picture = TAV_PNGLoader_local::decode(stream, "fuzz.png");
        const bool sane = (picture.channels == 3 || picture.channels == 4) && picture.widthPx > 0 &&
                          picture.heightPx > 0 && unsigned(picture.widthPx) <= TAV_PNGLoader_local::MAX_SIDE_PX &&
                          unsigned(picture.heightPx) <= TAV_PNGLoader_local::MAX_SIDE_PX;
        if (!sane)
            abort();
        volatile unsigned char last =
            picture.pixels[size_t(picture.widthPx) * size_t(picture.heightPx) * size_t(picture.channels) - 1];
        (void)last;
    } catch (TAV_Exception* e) {
        if (e->getCode() != TAV_Exception::BAD_FILE && e->getCode() != TAV_Exception::MEMORY_EXHAUSTED)
            abort();
        delete e;
    }
    fclose(stream);
    return 0;
}

#include "image/TAV_ImageData.h"

#include <GL/gl.h>  // Required for: GL_RGB, GL_RGBA

#include <cassert>  // Required for: assert()
#include <climits>  // Required for: INT_MAX
#include <cstdint>  // Required for: uint16_t, uint32_t, uint64_t
#include <cstdio>   // Required for: FILE, fopen(), fread(), fwrite(), fseek(), ftell(), fclose()
#include <cstdlib>  // Required for: malloc(), free()
#include <cstring>  // Required for: memcmp(), strlen(), strcmp()
#include <memory>   // Required for: std::unique_ptr
#include <vector>   // Required for: std::vector

#include "sys/TAV_Exception.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

struct FreeDeleter {
    void operator()(unsigned char* bytes) const { free(bytes); }
};
using PixelBuffer = std::unique_ptr<unsigned char, FreeDeleter>;

// The first 12 bytes of every TGA we accept: no image ID, no colour map, image type 2
// (uncompressed true colour), an all-zero colour-map description and origin.
const unsigned char TGA_FIXED_HEADER[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const size_t TGA_HEADER_BYTES = 18;

// The 14-byte file header plus the 40-byte information header of the classic BMP layout.
const size_t BMP_HEADER_BYTES = 54;
const uint32_t BMP_INFO_HEADER_BYTES = 40;
const uint16_t BMP_SIGNATURE = 0x4D42;  // "BM"
const uint32_t BMP_COMPRESSION_NONE = 0;
// Channel masks follow the 40-byte information header. Other programs (ImageMagick among
// them) write 32-bit pictures as "bit fields" with exactly the B, G, R, A byte order of an
// uncompressed file, so those masks read like no compression at all.
const uint32_t BMP_COMPRESSION_BITFIELDS = 3;
const uint32_t BMP_STANDARD_MASKS[3] = {0x00ff0000, 0x0000ff00, 0x000000ff};  // R, G, B
// Written into every file we make; the value is the one this engine has always written.
const uint32_t BMP_RESOLUTION = 256;

uint16_t readLE16(const unsigned char* bytes)
{
    return uint16_t(bytes[0] | (bytes[1] << 8));
}

uint32_t readLE32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}

void writeLE16(unsigned char* bytes, uint16_t value)
{
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
}

void writeLE32(unsigned char* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = uint8_t(value >> (8 * i));
}

int formatFor(int bytesPerPixel)
{
    if (bytesPerPixel == 3)
        return GL_RGB;
    if (bytesPerPixel == 4)
        return GL_RGBA;
    return 0;
}

// Length of the file in bytes, or -1 when it cannot be told (a pipe, say). Leaves the
// file position where it was.
long fileLengthBytes(FILE* file)
{
    const long position = ftell(file);
    if (position < 0 || fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long length = ftell(file);
    fseek(file, position, SEEK_SET);
    return length;
}

// True when the file, of the given length (-1: unknown), ends before `endOffset`. Asked
// before allocating, so that a header claiming a picture larger than its file never gets
// a buffer.
bool endsBefore(long fileLength, uint64_t endOffset)
{
    return fileLength >= 0 && uint64_t(fileLength) < endOffset;
}

}  // namespace

TAV_ImageData::TAV_ImageData(const char* fileName)
    : m_bpp(0), m_height(0), m_width(0), m_format(0), m_data(nullptr)
{
    const size_t length = strlen(fileName);
    const char* extension = length >= 3 ? fileName + length - 3 : "";
    if (strcmp(extension, "bmp") == 0)
        loadBitmap(fileName);
    else if (strcmp(extension, "tga") == 0)
        loadTGA(fileName);
    else
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "filetype not suported %s", fileName);
}

TAV_ImageData::TAV_ImageData(int width, int height, int bytesPerPixel)
    : m_bpp(bytesPerPixel), m_height(height), m_width(width), m_format(formatFor(bytesPerPixel)), m_data(nullptr)
{
    assert(width >= 0 && height >= 0 && (bytesPerPixel == 3 || bytesPerPixel == 4));
    const size_t sizeBytes = size_t(width) * size_t(height) * size_t(bytesPerPixel);
    m_data = static_cast<unsigned char*>(malloc(sizeBytes));
    if (!m_data && sizeBytes > 0)
        throw new TAV_Exception(TAV_Exception::MEMORY_EXHAUSTED, "malloc failed");
}

TAV_ImageData::~TAV_ImageData()
{
    free(m_data);
}

void TAV_ImageData::loadTGA(const char* fileName)
{
    FileHandle file(fopen(fileName, "rb"));
    if (!file)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to open file %s", fileName);
    const long fileLength = fileLengthBytes(file.get());

    unsigned char header[TGA_HEADER_BYTES];
    if (fread(header, 1, sizeof(TGA_FIXED_HEADER), file.get()) != sizeof(TGA_FIXED_HEADER))
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to read header %s", fileName);
    if (memcmp(header, TGA_FIXED_HEADER, sizeof(TGA_FIXED_HEADER)) != 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "tga header invalid %s", fileName);
    const size_t restBytes = TGA_HEADER_BYTES - sizeof(TGA_FIXED_HEADER);
    if (fread(header + sizeof(TGA_FIXED_HEADER), 1, restBytes, file.get()) != restBytes)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "tga header invalid %s", fileName);

    const int widthPx = readLE16(header + 12);
    const int heightPx = readLE16(header + 14);
    const int depthBits = header[16];
    // header[17], the image descriptor, is ignored: rows are kept in file order whatever
    // its origin bit says.
    if (depthBits != 24 && depthBits != 32)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "invalid tga %s", fileName);
    const int bytesPerPixel = depthBits / 8;
    if (widthPx == 0 || heightPx == 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "invalid tga %s", fileName);
    // At most 65535 x 65535 x 4: no overflow in 64 bits, but more than an int can count.
    const uint64_t imageBytes = uint64_t(widthPx) * uint64_t(heightPx) * uint64_t(bytesPerPixel);
    if (imageBytes > uint64_t(INT_MAX))
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "invalid tga %s", fileName);
    if (endsBefore(fileLength, TGA_HEADER_BYTES + imageBytes))
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to read from file %s", fileName);

    PixelBuffer pixels(static_cast<unsigned char*>(malloc(size_t(imageBytes))));
    if (!pixels)
        throw new TAV_Exception(TAV_Exception::MEMORY_EXHAUSTED, "malloc failed");
    if (fread(pixels.get(), 1, size_t(imageBytes), file.get()) != size_t(imageBytes))
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to read from file %s", fileName);

    replacePixels(widthPx, heightPx, bytesPerPixel, pixels.release());
    swapRB();  // the file stores B, G, R (, A)
}

void TAV_ImageData::loadBitmap(const char* fileName)
{
    FileHandle file(fopen(fileName, "rb"));
    if (!file)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to open file %s", fileName);
    const long fileLength = fileLengthBytes(file.get());

    unsigned char header[BMP_HEADER_BYTES];
    if (fread(header, 1, sizeof(header), file.get()) != sizeof(header))
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to read header %s", fileName);
    const uint32_t dataOffset = readLE32(header + 10);
    const uint32_t infoHeaderBytes = readLE32(header + 14);
    // Both fields are signed in the file; a negative height would mean top row first.
    const int32_t widthPx = int32_t(readLE32(header + 18));
    const int32_t heightPx = int32_t(readLE32(header + 22));
    const int bitCount = readLE16(header + 28);
    const uint32_t compression = readLE32(header + 30);

    bool plainBGR = readLE16(header) == BMP_SIGNATURE && infoHeaderBytes >= BMP_INFO_HEADER_BYTES &&
                    (bitCount == 24 || bitCount == 32) && dataOffset >= BMP_HEADER_BYTES;
    if (plainBGR && compression == BMP_COMPRESSION_BITFIELDS && bitCount == 32) {
        unsigned char masks[12];
        plainBGR = fread(masks, 1, sizeof(masks), file.get()) == sizeof(masks) &&
                   readLE32(masks) == BMP_STANDARD_MASKS[0] && readLE32(masks + 4) == BMP_STANDARD_MASKS[1] &&
                   readLE32(masks + 8) == BMP_STANDARD_MASKS[2];
    } else if (compression != BMP_COMPRESSION_NONE) {
        plainBGR = false;
    }
    if (!plainBGR)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "not a 24 or 32bit bmp %s", fileName);
    if (widthPx <= 0 || heightPx <= 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "invalid bmp %s", fileName);

    const int bytesPerPixel = bitCount / 8;
    // Rows in the file are padded to a multiple of 4 bytes; in memory they are packed. The
    // padding after the last row is not needed to read the picture, so it is not required.
    const uint64_t rowBytes = uint64_t(widthPx) * uint64_t(bytesPerPixel);
    const uint64_t fileRowBytes = (rowBytes + 3) & ~uint64_t(3);
    const uint64_t imageBytes = rowBytes * uint64_t(heightPx);
    // Checked first: below INT_MAX the end offset computed next cannot overflow.
    if (imageBytes > uint64_t(INT_MAX))
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "invalid bmp %s", fileName);
    if (endsBefore(fileLength, dataOffset + fileRowBytes * uint64_t(heightPx - 1) + rowBytes))
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to read from file %s", fileName);

    PixelBuffer pixels(static_cast<unsigned char*>(malloc(size_t(imageBytes))));
    if (!pixels)
        throw new TAV_Exception(TAV_Exception::MEMORY_EXHAUSTED, "malloc failed");
    if (fseek(file.get(), long(dataOffset), SEEK_SET) != 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to read from file %s", fileName);
    unsigned char padding[3];
    const size_t paddingBytes = size_t(fileRowBytes - rowBytes);
    for (int32_t row = 0; row < heightPx; ++row) {
        unsigned char* rowStart = pixels.get() + size_t(row) * size_t(rowBytes);
        const bool lastRow = row == heightPx - 1;
        if (fread(rowStart, 1, size_t(rowBytes), file.get()) != size_t(rowBytes) ||
            (!lastRow && fread(padding, 1, paddingBytes, file.get()) != paddingBytes))
            throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to read from file %s", fileName);
    }

    replacePixels(widthPx, heightPx, bytesPerPixel, pixels.release());
    swapRB();  // the file stores B, G, R (, A)
}

void TAV_ImageData::writeBitmap(const char* fileName) const
{
    FileHandle file(fopen(fileName, "wb"));
    if (!file)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to open image <%s> for writing data", fileName);

    // Every row is padded to a multiple of 4 bytes, as readers of the format expect; the
    // size fields count the padded rows.
    const size_t rowBytes = size_t(m_width) * size_t(m_bpp);
    const size_t fileRowBytes = (rowBytes + 3) & ~size_t(3);
    const uint32_t imageBytes = uint32_t(fileRowBytes * size_t(m_height));

    unsigned char header[BMP_HEADER_BYTES] = {};
    writeLE16(header + 0, BMP_SIGNATURE);
    writeLE32(header + 2, imageBytes + uint32_t(BMP_HEADER_BYTES));
    writeLE32(header + 10, uint32_t(BMP_HEADER_BYTES));  // the pixels follow the header
    writeLE32(header + 14, BMP_INFO_HEADER_BYTES);
    writeLE32(header + 18, uint32_t(m_width));
    writeLE32(header + 22, uint32_t(m_height));  // positive: bottom row first, as stored
    writeLE16(header + 26, 1);                   // planes
    writeLE16(header + 28, uint16_t(m_bpp * 8));
    writeLE32(header + 30, BMP_COMPRESSION_NONE);
    writeLE32(header + 34, imageBytes);
    writeLE32(header + 38, BMP_RESOLUTION);
    writeLE32(header + 42, BMP_RESOLUTION);
    // Colours used and important colours stay 0.
    bool written = fwrite(header, 1, sizeof(header), file.get()) == sizeof(header);

    // Each row goes out through a scratch copy in B, G, R (, A) order, so the image itself
    // is never changed, not even for the duration of the write.
    std::vector<unsigned char> fileRow(fileRowBytes, 0);
    for (int row = 0; row < m_height && written; ++row) {
        const unsigned char* source = m_data + size_t(row) * rowBytes;
        for (size_t i = 0; i < rowBytes; i += size_t(m_bpp)) {
            fileRow[i] = source[i + 2];
            fileRow[i + 1] = source[i + 1];
            fileRow[i + 2] = source[i];
            if (m_bpp == 4)
                fileRow[i + 3] = source[i + 3];
        }
        written = fwrite(fileRow.data(), 1, fileRowBytes, file.get()) == fileRowBytes;
    }
    // A full disk often shows only when the buffered bytes are flushed by fclose.
    if (fclose(file.release()) != 0)
        written = false;
    if (!written)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to write image <%s>", fileName);
}

void TAV_ImageData::swapRB()
{
    const size_t sizeBytes = size_t(m_width) * size_t(m_height) * size_t(m_bpp);
    for (size_t i = 0; i + 2 < sizeBytes; i += size_t(m_bpp)) {
        const unsigned char red = m_data[i];
        m_data[i] = m_data[i + 2];
        m_data[i + 2] = red;
    }
}

void TAV_ImageData::mul(const TAV_ImageData* mask)
{
    if (!check(mask))
        throw new TAV_Exception(TAV_Exception::IMPOSSIBLE_OPERATION, "unable to mul TAV_ImageData's");
    const size_t sizeBytes = size_t(m_width) * size_t(m_height) * size_t(m_bpp);
    // A binary mask, not a scaled product: only a mask byte of 255 lets the byte through.
    for (size_t i = 0; i < sizeBytes; ++i)
        if (mask->m_data[i] != 255)
            m_data[i] = 0;
}

void TAV_ImageData::add(const TAV_ImageData* other)
{
    if (!check(other))
        throw new TAV_Exception(TAV_Exception::IMPOSSIBLE_OPERATION, "unable to add TAV_ImageData's");
    const size_t sizeBytes = size_t(m_width) * size_t(m_height) * size_t(m_bpp);
    for (size_t i = 0; i < sizeBytes; ++i)
        m_data[i] = static_cast<unsigned char>(m_data[i] + other->m_data[i]);  // wraps, not clamped
}

void TAV_ImageData::inv()
{
    const size_t sizeBytes = size_t(m_width) * size_t(m_height) * size_t(m_bpp);
    for (size_t i = 0; i < sizeBytes; ++i)
        m_data[i] = static_cast<unsigned char>(255 - m_data[i]);
}

void TAV_ImageData::setWithMask(const TAV_ImageData* mask, const TAV_ImageData* source)
{
    if (!check(mask) || !check(source))
        throw new TAV_Exception(TAV_Exception::IMPOSSIBLE_OPERATION, "unable to setWithMask TAV_ImageData's");
    const size_t sizeBytes = size_t(m_width) * size_t(m_height) * size_t(m_bpp);
    for (size_t i = 0; i < sizeBytes; ++i)
        if (mask->m_data[i] == 255)
            m_data[i] = source->m_data[i];
}

bool TAV_ImageData::check(const TAV_ImageData* other) const
{
    return other && other->m_height == m_height && other->m_width == m_width && other->m_bpp == m_bpp;
}

void TAV_ImageData::replacePixels(int widthPx, int heightPx, int bytesPerPixel, unsigned char* pixels)
{
    free(m_data);
    m_data = pixels;
    m_width = widthPx;
    m_height = heightPx;
    m_bpp = bytesPerPixel;
    m_format = formatFor(bytesPerPixel);
}

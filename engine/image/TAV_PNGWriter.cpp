#include "image/TAV_PNGWriter.h"

#include <png.h>  // Required for: the libpng writer

#include <cerrno>    // Required for: errno, the reason a write failed
#include <csetjmp>   // Required for: setjmp(), libpng's way of reporting errors
#include <cstddef>   // Required for: size_t
#include <cstdio>    // Required for: fopen(), fclose()
#include <cstring>   // Required for: strerror()
#include <memory>    // Required for: std::unique_ptr

#include "sys/TAV_Exception.h"

namespace {

void quietError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void quietWarning(png_structp, png_const_charp) {}

}  // namespace

void TAV_PNGWriter::write(const char* path, const uint8_t* pixels, int widthPx, int heightPx, Layout layout,
                          int compressionLevel, Replace replace)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, replace == NEW_FILE_ONLY ? "wbx" : "wb"),
                                               std::fclose);
    if (!file)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (%s)", path, std::strerror(errno));
    errno = 0;  // what a failed write leaves here is the reason given
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (out of memory)", path);
    }
    if (setjmp(png_jmpbuf(png))) {
        const int error = errno;
        png_destroy_write_struct(&png, &info);
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (%s)", path,
                                error ? std::strerror(error) : "libpng refused it");
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, compressionLevel);
    png_set_IHDR(png, info, png_uint_32(widthPx), png_uint_32(heightPx), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (layout == RGBA_BOTTOM_UP)
        png_set_filler(png, 0, PNG_FILLER_AFTER);  // the fourth byte of each pixel is skipped
    const size_t rowBytes = size_t(widthPx) * (layout == RGBA_BOTTOM_UP ? 4 : 3);
    for (int y = 0; y < heightPx; ++y) {
        const int row = layout == RGBA_BOTTOM_UP ? heightPx - 1 - y : y;
        png_write_row(png, const_cast<png_bytep>(pixels + size_t(row) * rowBytes));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    // The last of the file reaches the disk only as it is closed: a full disk shows there.
    if (std::fclose(file.release()) != 0)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "cannot write %s (%s)", path, std::strerror(errno));
}

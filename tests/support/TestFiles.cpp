// GoogleTest first: TestGLContext.h pulls in Xlib, whose macros break GoogleTest's headers.
#include <gtest/gtest.h>

#include "support/TestFiles.h"

#include <csetjmp>  // Required for: setjmp(), libpng's error return
#include <cstdio>
#include <cstdlib>  // Required for: getenv()
#include <filesystem>
#include <memory>

// Required for: writeFramePNG(), scratchDir()
#include "support/TestGLContext.h"

#include "image/TAV_PNGWriter.h"
#include "sys/TAV_Exception.h"

namespace tavtest {

bool writePNG(const std::string& path, const PNGRecipe& recipe)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "wb"), fclose);
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_bytep> rowPointers;
    for (const std::vector<uint8_t>& row : recipe.rows)
        rowPointers.push_back(const_cast<png_bytep>(row.data()));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, png_uint_32(recipe.width), png_uint_32(recipe.height), recipe.bitDepth, recipe.colorType,
                 recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!recipe.palette.empty())
        png_set_PLTE(png, info, recipe.palette.data(), int(recipe.palette.size()));
    if (!recipe.transparency.empty())
        png_set_tRNS(png, info, recipe.transparency.data(), int(recipe.transparency.size()), nullptr);
    png_set_rows(png, info, rowPointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writeFramePNG(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbaBottomUp)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    try {
        TAV_PNGWriter::write(path.c_str(), rgbaBottomUp.data(), width, height, TAV_PNGWriter::RGBA_BOTTOM_UP, -1);
    } catch (TAV_Exception* e) {
        delete e;
        return false;
    }
    return true;
}

std::string framePath(const std::string& name)
{
    const char* kept = std::getenv("TAVLEN_TEST_FRAMES");
    const std::string dir = kept && *kept ? std::string(kept) : scratchDir();
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return dir + "/" + name;
}

}  // namespace tavtest

// TAV_ImageData: TGA and BMP reading, BMP writing, the refusals and the byte operations.
#include <gtest/gtest.h>

#include <GL/gl.h>  // Required for: GL_RGB, GL_RGBA

#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "ImageTestFiles.h"
#include "image/TAV_ImageData.h"

using namespace imagetest;

namespace {

Bytes pixelsOf(const TAV_ImageData& image)
{
    return Bytes(image.m_data, image.m_data + size_t(image.m_width) * size_t(image.m_height) * size_t(image.m_bpp));
}

std::unique_ptr<TAV_ImageData> imageWith(int width, int height, int bytesPerPixel, const Bytes& pixels)
{
    std::unique_ptr<TAV_ImageData> image(new TAV_ImageData(width, height, bytesPerPixel));
    std::memcpy(image->m_data, pixels.data(), pixels.size());
    return image;
}

Bytes withLE32(Bytes bytes, size_t offset, uint32_t value, int size = 4)
{
    putLE32(bytes, offset, value, size);
    return bytes;
}

}  // namespace

// Pixels keep the file's row order (bottom row first) with red and blue swapped into
// place; BMP rows lose their padding.
TEST(ImageData, ReadsTGAAndBMPPixelsInFileRowOrderAsRGB)
{
    const Bytes twoRows = pattern(3 * 2 * 3);
    const Bytes fourBytePixels = pattern(2 * 2 * 4);
    Bytes noLastPadding = bmpFile(3, 2, 24, twoRows);  // some writers stop after the pixels
    noLastPadding.resize(noLastPadding.size() - 3);

    struct Case {
        std::string name;
        Bytes file;
        int width, height, bpp;
        Bytes filePixels;
    };
    std::vector<Case> cases = {
        {"rgb.tga", tgaFile(3, 2, 24, twoRows), 3, 2, 3, twoRows},
        {"rgba.tga", tgaFile(2, 2, 32, fourBytePixels), 2, 2, 4, fourBytePixels},
        {"v5.bmp", bmpFile(3, 2, 24, twoRows, 124), 3, 2, 3, twoRows},  // pixels at 138
        {"v5fields.bmp", bmpFile(2, 2, 32, fourBytePixels, 124, 3), 2, 2, 4, fourBytePixels},
        {"fields.bmp", bmpFile(2, 2, 32, fourBytePixels, 40, 3), 2, 2, 4, fourBytePixels},
        {"short.bmp", noLastPadding, 3, 2, 3, twoRows},
    };
    // Widths 1, 3 and 5 at 24 bits give rows of 3, 9 and 15 bytes, padded in the file.
    for (int width : {1, 2, 3, 5}) {
        for (int bpp : {3, 4}) {
            const Bytes filePixels = pattern(size_t(width * 3 * bpp), width);
            cases.push_back({"padded.bmp", bmpFile(width, 3, bpp * 8, filePixels), width, 3, bpp, filePixels});
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " " << c.width << " x " << c.height << " x " << c.bpp);
        writeFile(scratchPath(c.name), c.file);
        TAV_ImageData image(scratchPath(c.name).c_str());
        ASSERT_EQ(c.width, image.m_width);
        ASSERT_EQ(c.height, image.m_height);
        ASSERT_EQ(c.bpp, image.m_bpp);
        EXPECT_EQ(c.bpp == 3 ? GL_RGB : GL_RGBA, image.m_format);
        EXPECT_EQ(swapRedBlue(c.filePixels, c.bpp), pixelsOf(image));
    }
}

TEST(ImageData, RefusesNamesFilesAndLayoutsItDoesNotRead)
{
    const Bytes tga = tgaFile(2, 2, 24, pattern(12));
    const Bytes bmp = bmpFile(2, 2, 24, pattern(12));
    Bytes notBmp = bmp;
    notBmp[0] = 'P';
    Bytes tgaWithId = tga;
    tgaWithId[0] = 4;
    Bytes tgaWithOrigin = tga;
    tgaWithOrigin[8] = 1;
    // Bit fields with red and blue exchanged: refused rather than misread.
    const Bytes swappedFields = withLE32(withLE32(bmpFile(2, 2, 32, pattern(16), 40, 3), 54, 0xff), 62, 0xff0000);
    const Bytes bigBmp = bmpFile(2, 2, 32, pattern(16));
    const struct {
        const char* name;
        Bytes bytes;
        const char* message;  // followed by the path
    } cases[] = {
        {"empty.tga", {}, "unable to read header "},
        {"eleven.tga", Bytes(11, 0), "unable to read header "},
        {"seventeen.tga", Bytes(tga.begin(), tga.begin() + 17), "tga header invalid "},
        {"rle.tga", withLE32(tga, 2, 10, 1), "tga header invalid "},
        {"id.tga", tgaWithId, "tga header invalid "},
        {"origin.tga", tgaWithOrigin, "tga header invalid "},
        {"16bit.tga", tgaFile(2, 2, 16, pattern(8)), "invalid tga "},
        {"zerowide.tga", tgaFile(0, 5, 24, {}), "invalid tga "},
        {"zerohigh.tga", tgaFile(5, 0, 32, {}), "invalid tga "},
        // 65535 x 65535 x 4 bytes is more than an int counts.
        {"huge.tga", tgaFile(65535, 65535, 32, pattern(64)), "invalid tga "},
        {"truncated.tga", tgaFile(2, 2, 24, pattern(11)), "unable to read from file "},
        // 4000 x 4000 x 3 fits an int but not this 82-byte file: refused before allocating.
        {"claims.tga", tgaFile(4000, 4000, 24, pattern(64)), "unable to read from file "},
        {"empty.bmp", {}, "unable to read header "},
        {"header.bmp", Bytes(bmp.begin(), bmp.begin() + 53), "unable to read header "},
        {"8bit.bmp", bmpFile(4, 2, 8, pattern(8)), "not a 24 or 32bit bmp "},
        {"16bit.bmp", bmpFile(2, 2, 16, pattern(8)), "not a 24 or 32bit bmp "},
        {"signature.bmp", notBmp, "not a 24 or 32bit bmp "},
        {"rle.bmp", withLE32(bmp, 30, 1), "not a 24 or 32bit bmp "},
        {"core.bmp", withLE32(bmp, 14, 12), "not a 24 or 32bit bmp "},  // OS/2: 16-bit sizes
        {"early.bmp", withLE32(bmp, 10, 20), "not a 24 or 32bit bmp "},  // pixels inside the header
        {"rgbfields.bmp", swappedFields, "not a 24 or 32bit bmp "},
        {"zerowide.bmp", bmpFile(0, 2, 24, {}), "invalid bmp "},
        {"topdown.bmp", withLE32(bmp, 22, uint32_t(-2)), "invalid bmp "},
        {"negwide.bmp", withLE32(bmp, 18, 0x80000000u), "invalid bmp "},
        // 2^31 - 1 squared wraps in 32 bits and exceeds an int in 64; 65536^2 x 4 wraps to 0.
        {"huge.bmp", withLE32(withLE32(bigBmp, 18, INT_MAX), 22, INT_MAX), "invalid bmp "},
        {"wraps.bmp", withLE32(withLE32(bigBmp, 18, 65536), 22, 65536), "invalid bmp "},
        {"claims.bmp", withLE32(withLE32(bmp, 18, 10000), 22, 10000), "unable to read from file "},
        {"truncated.bmp", Bytes(bmp.begin(), bmp.end() - 3), "unable to read from file "},
    };
    for (const auto& c : cases) {
        const std::string path = scratchPath(c.name);
        writeFile(path, c.bytes);
        expectThrown(-70, c.message + path, [&] { TAV_ImageData image(path.c_str()); });
    }
    for (const char* name : {"picture.png", "picture.TGA", "picture.BMP", "ga", ""})
        expectThrown(-70, std::string("filetype not suported ") + name, [&] { TAV_ImageData image(name); });
    expectThrown(-70, "unable to open file /nonexistent/a.bmp", [&] { TAV_ImageData image("/nonexistent/a.bmp"); });

    // A failed load leaves the image as it was.
    writeFile(scratchPath("good.tga"), tgaFile(2, 1, 24, pattern(6)));
    TAV_ImageData image(scratchPath("good.tga").c_str());
    const Bytes before = pixelsOf(image);
    expectThrown(-70, "unable to read from file " + scratchPath("truncated.tga"),
                 [&] { image.loadTGA(scratchPath("truncated.tga").c_str()); });
    EXPECT_EQ(2, image.m_width);
    EXPECT_EQ(1, image.m_height);
    EXPECT_EQ(before, pixelsOf(image));
}

TEST(ImageData, WritesClassicBitmapsThatReadBackByteForByte)
{
    // The header is the classic 40-byte one at 256 pixels per metre; rows padded to 4 bytes.
    const Bytes pixels = pattern(12);
    const std::string path = scratchPath("header.bmp");
    imageWith(2, 2, 3, pixels)->writeBitmap(path.c_str());
    EXPECT_EQ(withLE32(withLE32(bmpFile(2, 2, 24, swapRedBlue(pixels, 3)), 38, 256), 42, 256), readFile(path));

    for (int bpp : {3, 4}) {
        for (int width : {1, 2, 3, 5, 7}) {
            const Bytes some = pattern(size_t(width * 3 * bpp), width + bpp);
            const auto image = imageWith(width, 3, bpp, some);
            image->writeBitmap(path.c_str());
            TAV_ImageData back(path.c_str());
            EXPECT_EQ(width, back.m_width);
            EXPECT_EQ(bpp, back.m_bpp);
            EXPECT_EQ(some, pixelsOf(back)) << width << " x 3 x " << bpp;
            EXPECT_EQ(some, pixelsOf(*image)) << "the image itself is unchanged";
        }
    }

    const auto image = imageWith(64, 64, 4, Bytes(64 * 64 * 4, 7));
    expectThrown(-70, "unable to open image </nonexistent/out.bmp> for writing data",
                 [&] { image->writeBitmap("/nonexistent/out.bmp"); });
    // A full disk: the 16 KiB of pixels cannot all be written.
    expectThrown(-70, "unable to write image </dev/full>", [&] { image->writeBitmap("/dev/full"); });
}

TEST(ImageData, ByteOperationsGiveExactResultsOnEveryChannel)
{
    auto rgb = imageWith(2, 1, 3, {1, 2, 3, 4, 5, 6});
    rgb->swapRB();
    EXPECT_EQ(Bytes({3, 2, 1, 6, 5, 4}), pixelsOf(*rgb));
    auto rgba = imageWith(2, 1, 4, {1, 2, 3, 4, 5, 6, 7, 8});
    rgba->swapRB();
    EXPECT_EQ(Bytes({3, 2, 1, 4, 7, 6, 5, 8}), pixelsOf(*rgba));

    auto sum = imageWith(1, 1, 4, {200, 0, 255, 128});
    sum->add(imageWith(1, 1, 4, {100, 0, 1, 128}).get());
    EXPECT_EQ(Bytes({44, 0, 0, 0}), pixelsOf(*sum)) << "sums wrap modulo 256";
    auto masked = imageWith(1, 1, 4, {10, 20, 30, 40});
    masked->mul(imageWith(1, 1, 4, {254, 255, 0, 128}).get());
    EXPECT_EQ(Bytes({0, 20, 0, 0}), pixelsOf(*masked)) << "only a mask byte of 255 keeps a byte";
    auto inverted = imageWith(1, 1, 4, {0, 255, 100, 1});
    inverted->inv();
    EXPECT_EQ(Bytes({255, 0, 155, 254}), pixelsOf(*inverted));
    auto target = imageWith(1, 1, 4, {1, 2, 3, 4});
    target->setWithMask(imageWith(1, 1, 4, {255, 254, 0, 255}).get(), imageWith(1, 1, 4, {9, 8, 7, 6}).get());
    EXPECT_EQ(Bytes({9, 2, 3, 6}), pixelsOf(*target));
}

TEST(ImageData, ByteOperationsRefuseImagesOfAnotherShapeAndChangeNothing)
{
    const auto rgba = imageWith(64, 64, 4, Bytes(64 * 64 * 4, 255));
    const auto rgb = imageWith(64, 64, 3, Bytes(64 * 64 * 3, 255));
    const auto narrower = imageWith(63, 64, 4, Bytes(63 * 64 * 4, 255));
    const auto lower = imageWith(64, 63, 4, Bytes(64 * 63 * 4, 255));
    auto image = imageWith(64, 64, 4, pattern(64 * 64 * 4));
    const Bytes before = pixelsOf(*image);
    for (const TAV_ImageData* other : {rgb.get(), narrower.get(), lower.get()}) {
        expectThrown(-80, "unable to mul TAV_ImageData's", [&] { image->mul(other); });
        expectThrown(-80, "unable to add TAV_ImageData's", [&] { image->add(other); });
        expectThrown(-80, "unable to setWithMask TAV_ImageData's", [&] { image->setWithMask(other, rgba.get()); });
        expectThrown(-80, "unable to setWithMask TAV_ImageData's", [&] { image->setWithMask(rgba.get(), other); });
    }
    EXPECT_EQ(before, pixelsOf(*image));
    EXPECT_TRUE(image->check(rgba.get()));
    EXPECT_FALSE(image->check(nullptr));
}

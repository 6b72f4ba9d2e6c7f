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

std::unique_ptr<TAV_ImageData> filledImage(int width, int height, int bytesPerPixel, uint8_t value)
{
    return imageWith(width, height, bytesPerPixel, Bytes(size_t(width * height * bytesPerPixel), value));
}

// Writes `bytes` to a scratch file and expects reading it to be refused.
void expectFileRefused(const std::string& name, const Bytes& bytes, int code, const std::string& messageStart)
{
    const std::string path = scratchPath(name);
    writeFile(path, bytes);
    expectThrown(code, messageStart + path, [&] { TAV_ImageData image(path.c_str()); });
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Reading

TEST(ImageData, ReadsTGAPixelsInFileRowOrderWithRedAndBlueSwapped)
{
    for (int depth : {24, 32}) {
        const int bpp = depth / 8;
        const Bytes filePixels = pattern(size_t(3 * 2 * bpp));
        const std::string path = scratchPath("rows" + std::to_string(depth) + ".tga");
        writeFile(path, tgaFile(3, 2, depth, filePixels));

        TAV_ImageData image(path.c_str());
        EXPECT_EQ(3, image.m_width);
        EXPECT_EQ(2, image.m_height);
        EXPECT_EQ(bpp, image.m_bpp);
        EXPECT_EQ(depth == 24 ? GL_RGB : GL_RGBA, image.m_format);
        EXPECT_EQ(swapRedBlue(filePixels, bpp), pixelsOf(image)) << depth << " bits";
    }
}

TEST(ImageData, ReadsBMPRowsWithoutTheirPaddingIntoPackedMemory)
{
    // Widths 1, 3 and 5 at 24 bits give rows of 3, 9 and 15 bytes, padded in the file.
    for (int width : {1, 2, 3, 5}) {
        for (int bitCount : {24, 32}) {
            const int bpp = bitCount / 8;
            const Bytes filePixels = pattern(size_t(width * 3 * bpp), width);
            const std::string path = scratchPath("padded.bmp");
            writeFile(path, bmpFile(width, 3, bitCount, filePixels));

            TAV_ImageData image(path.c_str());
            ASSERT_EQ(width, image.m_width);
            ASSERT_EQ(3, image.m_height);
            EXPECT_EQ(bitCount == 24 ? GL_RGB : GL_RGBA, image.m_format);
            EXPECT_EQ(swapRedBlue(filePixels, bpp), pixelsOf(image)) << width << " x 3 at " << bitCount;
        }
    }
}

TEST(ImageData, ReadsBMPWithoutPaddingAfterTheLastRowAndWithPixelsAfterALongerHeader)
{
    // Some writers stop after the last row's pixels.
    const Bytes filePixels = pattern(size_t(3 * 2 * 3));
    Bytes file = bmpFile(3, 2, 24, filePixels);
    file.resize(file.size() - 3);
    writeFile(scratchPath("short.bmp"), file);
    EXPECT_EQ(swapRedBlue(filePixels, 3), pixelsOf(TAV_ImageData(scratchPath("short.bmp").c_str())));

    // A version 5 header (124 bytes) puts the pixels at 138; the offset field says so.
    Bytes v5 = bmpFile(3, 2, 24, filePixels);
    putLE32(v5, 10, 138);
    putLE32(v5, 14, 124);
    v5.insert(v5.begin() + 54, 84, 0xEE);
    writeFile(scratchPath("v5.bmp"), v5);
    EXPECT_EQ(swapRedBlue(filePixels, 3), pixelsOf(TAV_ImageData(scratchPath("v5.bmp").c_str())));
}

TEST(ImageData, Reads32BitBMPBitFieldsOnlyInTheUsualByteOrder)
{
    const Bytes filePixels = pattern(size_t(2 * 2 * 4));
    Bytes file = bmpFile(2, 2, 32, filePixels);
    putLE32(file, 10, 66);
    putLE32(file, 30, 3);  // bit fields: red, green, blue masks follow the header
    Bytes masks(12, 0);
    putLE32(masks, 0, 0x00ff0000);
    putLE32(masks, 4, 0x0000ff00);
    putLE32(masks, 8, 0x000000ff);
    file.insert(file.begin() + 54, masks.begin(), masks.end());
    writeFile(scratchPath("fields.bmp"), file);
    EXPECT_EQ(swapRedBlue(filePixels, 4), pixelsOf(TAV_ImageData(scratchPath("fields.bmp").c_str())));

    // Red and blue masks exchanged: a layout we do not read, refused rather than misread.
    putLE32(file, 54, 0x000000ff);
    putLE32(file, 62, 0x00ff0000);
    expectFileRefused("rgbfields.bmp", file, -70, "not a 24 or 32bit bmp ");
}

TEST(ImageData, FailedLoadLeavesTheImageAsItWas)
{
    writeFile(scratchPath("good.tga"), tgaFile(2, 1, 24, pattern(6)));
    TAV_ImageData image(scratchPath("good.tga").c_str());
    const Bytes before = pixelsOf(image);

    writeFile(scratchPath("cut.tga"), tgaFile(4, 4, 32, pattern(20)));
    expectThrown(-70, "unable to read from file " + scratchPath("cut.tga"),
                  [&] { image.loadTGA(scratchPath("cut.tga").c_str()); });
    EXPECT_EQ(2, image.m_width);
    EXPECT_EQ(1, image.m_height);
    EXPECT_EQ(3, image.m_bpp);
    EXPECT_EQ(before, pixelsOf(image));
}

// ---------------------------------------------------------------------------------------
// Refusals

TEST(ImageData, RefusesNamesWithoutALowerCaseTgaOrBmpEnding)
{
    for (const char* name : {"picture.png", "picture.TGA", "picture.BMP", "ga", ""})
        expectThrown(-70, std::string("filetype not suported ") + name, [&] { TAV_ImageData image(name); });
}

TEST(ImageData, RefusesMissingFiles)
{
    for (const char* name : {"/nonexistent/a.tga", "/nonexistent/a.bmp"})
        expectThrown(-70, std::string("unable to open file ") + name, [&] { TAV_ImageData image(name); });
}

TEST(ImageData, RefusesTGAsItDoesNotRead)
{
    Bytes rle = tgaFile(2, 2, 24, pattern(12));
    rle[2] = 10;
    expectFileRefused("rle.tga", rle, -70, "tga header invalid ");

    Bytes withId = tgaFile(2, 2, 24, pattern(12));
    withId[0] = 4;
    expectFileRefused("id.tga", withId, -70, "tga header invalid ");

    Bytes withOrigin = tgaFile(2, 2, 24, pattern(12));
    withOrigin[8] = 1;
    expectFileRefused("origin.tga", withOrigin, -70, "tga header invalid ");

    expectFileRefused("16bit.tga", tgaFile(2, 2, 16, pattern(8)), -70, "invalid tga ");
    expectFileRefused("8bit.tga", tgaFile(2, 2, 8, pattern(4)), -70, "invalid tga ");
}

TEST(ImageData, RefusesTGAsWithShortHeadersOrPixelData)
{
    expectFileRefused("empty.tga", Bytes(), -70, "unable to read header ");
    expectFileRefused("eleven.tga", Bytes(11, 0), -70, "unable to read header ");
    const Bytes header = tgaFile(2, 2, 24, {});
    expectFileRefused("seventeen.tga", Bytes(header.begin(), header.begin() + 17), -70, "tga header invalid ");
    // One byte short of 2 x 2 x 3.
    expectFileRefused("truncated.tga", tgaFile(2, 2, 24, pattern(11)), -70, "unable to read from file ");
}

TEST(ImageData, RefusesTGASizesThatAreZeroOrMoreThanTheFileHolds)
{
    expectFileRefused("zerowide.tga", tgaFile(0, 5, 24, {}), -70, "invalid tga ");
    expectFileRefused("zerohigh.tga", tgaFile(5, 0, 32, {}), -70, "invalid tga ");
    // 65535 x 65535 x 4 bytes is more than an int counts.
    expectFileRefused("huge.tga", tgaFile(65535, 65535, 32, pattern(64)), -70, "invalid tga ");
    // 4000 x 4000 x 3 fits an int but not this 82-byte file: refused before allocating.
    expectFileRefused("claims.tga", tgaFile(4000, 4000, 24, pattern(64)), -70, "unable to read from file ");
}

TEST(ImageData, RefusesBMPsItDoesNotRead)
{
    expectFileRefused("8bit.bmp", bmpFile(4, 2, 8, pattern(8)), -70, "not a 24 or 32bit bmp ");
    expectFileRefused("16bit.bmp", bmpFile(2, 2, 16, pattern(8)), -70, "not a 24 or 32bit bmp ");

    Bytes notBmp = bmpFile(2, 2, 24, pattern(12));
    notBmp[0] = 'P';
    expectFileRefused("signature.bmp", notBmp, -70, "not a 24 or 32bit bmp ");

    Bytes rle = bmpFile(2, 2, 24, pattern(12));
    putLE32(rle, 30, 1);
    expectFileRefused("rle.bmp", rle, -70, "not a 24 or 32bit bmp ");

    Bytes coreHeader = bmpFile(2, 2, 24, pattern(12));
    putLE32(coreHeader, 14, 12);  // the old OS/2 header has 16-bit sizes elsewhere
    expectFileRefused("core.bmp", coreHeader, -70, "not a 24 or 32bit bmp ");

    Bytes early = bmpFile(2, 2, 24, pattern(12));
    putLE32(early, 10, 20);  // pixels inside the header
    expectFileRefused("early.bmp", early, -70, "not a 24 or 32bit bmp ");
}

TEST(ImageData, RefusesBMPsWithShortHeadersOrPixelData)
{
    expectFileRefused("empty.bmp", Bytes(), -70, "unable to read header ");
    const Bytes whole = bmpFile(2, 2, 24, pattern(12));
    expectFileRefused("header.bmp", Bytes(whole.begin(), whole.begin() + 53), -70, "unable to read header ");
    // The last row's pixels cut short by one byte.
    expectFileRefused("truncated.bmp", Bytes(whole.begin(), whole.end() - 3), -70, "unable to read from file ");
}

TEST(ImageData, RefusesBMPSizesThatAreZeroNegativeOrMoreThanTheFileHolds)
{
    expectFileRefused("zerowide.bmp", bmpFile(0, 2, 24, {}), -70, "invalid bmp ");
    Bytes topDown = bmpFile(2, 2, 24, pattern(12));
    putLE32(topDown, 22, uint32_t(-2));
    expectFileRefused("topdown.bmp", topDown, -70, "invalid bmp ");
    Bytes negativeWidth = bmpFile(2, 2, 24, pattern(12));
    putLE32(negativeWidth, 18, 0x80000000u);
    expectFileRefused("negwide.bmp", negativeWidth, -70, "invalid bmp ");

    // 2^31 - 1 squared: the product wraps in 32 bits and exceeds an int in 64.
    Bytes huge = bmpFile(2, 2, 32, pattern(16));
    putLE32(huge, 18, INT_MAX);
    putLE32(huge, 22, INT_MAX);
    expectFileRefused("huge.bmp", huge, -70, "invalid bmp ");
    // 65536 x 65536 x 4 wraps a 32-bit product to exactly 0.
    putLE32(huge, 18, 65536);
    putLE32(huge, 22, 65536);
    expectFileRefused("wraps.bmp", huge, -70, "invalid bmp ");
    // 10000 x 10000 x 3 fits an int but not this file.
    putLE32(huge, 18, 10000);
    putLE32(huge, 22, 10000);
    putLE16(huge, 28, 24);
    expectFileRefused("claims.bmp", huge, -70, "unable to read from file ");
}

// ---------------------------------------------------------------------------------------
// Writing

TEST(ImageData, WritesA2x2RGBBitmapHeaderCountingPaddedRows)
{
    const Bytes pixels = pattern(12);
    const auto image = imageWith(2, 2, 3, pixels);
    const std::string path = scratchPath("header.bmp");
    image->writeBitmap(path.c_str());

    const Bytes file = readFile(path);
    // Two rows of 6 pixel bytes, each padded to 8.
    ASSERT_EQ(70u, file.size());
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(70u, getLE32(file, 2));   // file size
    EXPECT_EQ(0u, getLE32(file, 6));    // two reserved words
    EXPECT_EQ(54u, getLE32(file, 10));  // pixel data offset
    EXPECT_EQ(40u, getLE32(file, 14));  // information header size
    EXPECT_EQ(2u, getLE32(file, 18));   // width
    EXPECT_EQ(2u, getLE32(file, 22));   // height
    EXPECT_EQ(1u, getLE16(file, 26));   // planes
    EXPECT_EQ(24u, getLE16(file, 28));  // bits per pixel
    EXPECT_EQ(0u, getLE32(file, 30));   // compression
    EXPECT_EQ(16u, getLE32(file, 34));  // image size
    EXPECT_EQ(256u, getLE32(file, 38)); // horizontal resolution
    EXPECT_EQ(256u, getLE32(file, 42)); // vertical resolution
    EXPECT_EQ(0u, getLE32(file, 46));   // colours used
    EXPECT_EQ(0u, getLE32(file, 50));   // important colours

    const Bytes bgr = swapRedBlue(pixels, 3);
    const Bytes expectedData = {bgr[0], bgr[1], bgr[2], bgr[3], bgr[4],  bgr[5],  0, 0,
                                bgr[6], bgr[7], bgr[8], bgr[9], bgr[10], bgr[11], 0, 0};
    EXPECT_EQ(expectedData, Bytes(file.begin() + 54, file.end()));
    EXPECT_EQ(pixels, pixelsOf(*image)) << "the image itself is unchanged";
}

TEST(ImageData, BitmapRoundTripKeepsEveryByteForOddAndEvenWidths)
{
    for (int bpp : {3, 4}) {
        for (int width : {1, 2, 3, 4, 5, 7}) {
            const int height = 3;
            const Bytes pixels = pattern(size_t(width * height * bpp), width + bpp);
            const auto image = imageWith(width, height, bpp, pixels);
            const std::string path = scratchPath("round.bmp");
            image->writeBitmap(path.c_str());

            const size_t paddedRow = (size_t(width * bpp) + 3) & ~size_t(3);
            EXPECT_EQ(54 + paddedRow * height, readFile(path).size());
            TAV_ImageData back(path.c_str());
            EXPECT_EQ(width, back.m_width);
            EXPECT_EQ(height, back.m_height);
            EXPECT_EQ(bpp, back.m_bpp);
            EXPECT_EQ(image->m_format, back.m_format);
            EXPECT_EQ(pixels, pixelsOf(back)) << width << " x " << height << " x " << bpp;
        }
    }
}

TEST(ImageData, ReportsBitmapsItCannotWrite)
{
    const auto image = filledImage(64, 64, 4, 7);
    expectThrown(-70, "unable to open image </nonexistent/out.bmp> for writing data",
                  [&] { image->writeBitmap("/nonexistent/out.bmp"); });
    // A full disk: the 16 KiB of pixels cannot all be written.
    expectThrown(-70, "unable to write image </dev/full>", [&] { image->writeBitmap("/dev/full"); });
    EXPECT_EQ(Bytes(64 * 64 * 4, 7), pixelsOf(*image));
}

// ---------------------------------------------------------------------------------------
// Byte operations

TEST(ImageData, BlankImagesTakeTheirFormatFromTheDepthAndSwapRBExchangesRedAndBlue)
{
    auto rgb = imageWith(2, 1, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(GL_RGB, rgb->m_format);
    rgb->swapRB();
    EXPECT_EQ(Bytes({3, 2, 1, 6, 5, 4}), pixelsOf(*rgb));
    auto rgba = imageWith(2, 1, 4, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(GL_RGBA, rgba->m_format);
    rgba->swapRB();
    EXPECT_EQ(Bytes({3, 2, 1, 4, 7, 6, 5, 8}), pixelsOf(*rgba));
}

TEST(ImageData, ByteOperationsGiveExactResultsOnEveryChannel)
{
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
    const auto rgba = filledImage(64, 64, 4, 255);
    const auto rgb = filledImage(64, 64, 3, 255);
    const auto narrower = filledImage(63, 64, 4, 255);
    const auto lower = filledImage(64, 63, 4, 255);
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
    EXPECT_FALSE(image->check(rgb.get()));
    EXPECT_FALSE(image->check(nullptr));
}

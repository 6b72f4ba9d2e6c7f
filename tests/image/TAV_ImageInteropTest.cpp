// TAV_ImageData against an independent implementation: ImageMagick (Debian's
// /usr/bin/convert) reads the bitmaps we write and writes bitmaps and TGAs that we read.
// Pixels are compared exactly through ImageMagick's raw RGBA output, which lists rows top
// first; our images keep the files' bottom-first order.
#include <gtest/gtest.h>

#include <unistd.h>  // Required for: access()

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ImageTestFiles.h"
#include "image/TAV_ImageData.h"

using namespace imagetest;

namespace {

// The real ImageMagick; another "convert" may come first on the PATH.
const char* const CONVERT = "/usr/bin/convert";

// Runs convert with the given arguments (already quoted where needed).
bool convert(const std::string& arguments)
{
    const std::string command = std::string(CONVERT) + " " + arguments + " 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(0, status) << command;
    return status == 0;
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// RGBA rows, top first, as ImageMagick lists them, from packed RGB or RGBA rows bottom first.
Bytes topFirstRGBA(const Bytes& pixels, int width, int bytesPerPixel)
{
    Bytes rgba;
    for (size_t i = 0; i < pixels.size(); i += size_t(bytesPerPixel)) {
        rgba.insert(rgba.end(), pixels.begin() + long(i), pixels.begin() + long(i) + 3);
        rgba.push_back(bytesPerPixel == 4 ? pixels[i + 3] : 255);
    }
    return flipRows(rgba, size_t(width) * 4);
}

class ImageMagick : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (access(CONVERT, X_OK) != 0)
            FAIL() << CONVERT << " is missing: install imagemagick (scripts/deps.sh)";
    }
};

}  // namespace

TEST_F(ImageMagick, ReadsOurBitmapsOfOddAndEvenWidths)
{
    for (int bpp : {3, 4}) {
        for (int width : {1, 2, 3, 5, 6}) {
            const int height = 3;
            const Bytes pixels = pattern(size_t(width * height * bpp), width * bpp);
            TAV_ImageData image(width, height, bpp);
            std::memcpy(image.m_data, pixels.data(), pixels.size());
            const std::string ours = scratchPath("ours.bmp");
            const std::string raw = scratchPath("theirs.rgba");
            image.writeBitmap(ours.c_str());

            ASSERT_TRUE(convert(quoted(ours) + " -depth 8 rgba:" + quoted(raw)));
            EXPECT_EQ(topFirstRGBA(pixels, width, bpp), readFile(raw)) << width << " x " << height << " x " << bpp;
        }
    }
}

TEST_F(ImageMagick, WritesBitmapsAndTGAsWeRead)
{
    struct Case {
        const char* output;   // ImageMagick's format prefix and our file's ending
        const char* options;  // what makes ImageMagick write 24 or 32 bits
        int bpp;
    };
    // "bmp" is ImageMagick's current layout (124-byte header; 32 bits as bit fields), "BMP3"
    // the classic 40-byte one; TGAs come uncompressed with the origin at the bottom left.
    const Case cases[] = {
        {"bmp", "-alpha off -type TrueColor", 3},
        {"bmp", "-type TrueColorAlpha", 4},
        {"BMP3", "-alpha off -type TrueColor", 3},
        {"tga", "-alpha off -type TrueColor", 3},
        {"tga", "-type TrueColorAlpha", 4},
    };
    for (const Case& c : cases) {
        for (int width : {1, 3, 4, 5}) {
            const int height = 2;
            // Top-first RGBA input; every alpha below 255, so ImageMagick keeps the channel.
            Bytes input = pattern(size_t(width * height * 4), width);
            for (size_t i = 3; i < input.size(); i += 4)
                input[i] = uint8_t(input[i] % 250);
            const std::string raw = scratchPath("input.rgba");
            writeFile(raw, input);
            const std::string ending = std::string(c.output) == "tga" ? "tga" : "bmp";
            const std::string theirs = scratchPath("theirs." + ending);
            const std::string size = std::to_string(width) + "x" + std::to_string(height);
            ASSERT_TRUE(convert("-size " + size + " -depth 8 rgba:" + quoted(raw) + " " + c.options + " " + c.output +
                                ":" + quoted(theirs)));

            TAV_ImageData image(theirs.c_str());
            ASSERT_EQ(width, image.m_width);
            ASSERT_EQ(height, image.m_height);
            ASSERT_EQ(c.bpp, image.m_bpp) << c.output << " " << c.options;
            const Bytes ours(image.m_data, image.m_data + size_t(width * height * c.bpp));
            Bytes expected = input;
            if (c.bpp == 3)
                for (size_t i = 3; i < expected.size(); i += 4)
                    expected[i] = 255;
            // ImageMagick keeps a TGA's rows in file order as well (the origin becomes a
            // note it applies only on -auto-orient), so its raw rows are our rows unflipped.
            if (ending == "tga")
                expected = flipRows(expected, size_t(width) * 4);
            EXPECT_EQ(expected, topFirstRGBA(ours, width, c.bpp)) << c.output << " " << c.options << ", width " << width;
        }
    }
}

// TAV_PNGLoader: decoding every kind of PNG to RGB or RGBA (no OpenGL needed), refusing
// broken files, and the textures it makes under a real OpenGL context.
#include <gtest/gtest.h>

#include "support/TestGLContext.h"

#include <cstdio>
#include <memory>
#include <string>

#include "GLTextureState.h"
#include "ImageTestFiles.h"
#include "image/TAV_PNGLoader.h"
#include "image/TAV_PNGLoader_local.h"
#include "image/TAV_Texture.h"

using namespace imagetest;

namespace {

const uint32_t RED = 0xff0000;
const uint32_t GREEN = 0x00ff00;
const uint32_t BLUE = 0x0000ff;

struct Decoded {
    int width = 0;
    int height = 0;
    int channels = 0;
    Bytes pixels;
};

// Writes the PNG and decodes it without OpenGL.
Decoded decodeRecipe(const PNGRecipe& recipe)
{
    const std::string path = scratchPath("decode.png");
    EXPECT_TRUE(writePNG(path, recipe));
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
    const TAV_PNGLoader_local::DecodedPNG picture = TAV_PNGLoader_local::decode(file.get(), path.c_str());
    Decoded result;
    result.width = picture.widthPx;
    result.height = picture.heightPx;
    result.channels = picture.channels;
    result.pixels.assign(picture.pixels.get(),
                         picture.pixels.get() + size_t(picture.widthPx * picture.heightPx * picture.channels));
    return result;
}

PNGRecipe recipeOf(int width, int colorType, int bitDepth, std::vector<Bytes> rows)
{
    PNGRecipe recipe;
    recipe.width = width;
    recipe.height = int(rows.size());
    recipe.colorType = colorType;
    recipe.bitDepth = bitDepth;
    recipe.rows = std::move(rows);
    return recipe;
}

// Writes a valid 4 x 2 RGB PNG and returns its bytes, for tests that break it.
Bytes validPNGBytes()
{
    const std::string path = scratchPath("valid.png");
    EXPECT_TRUE(writePNG(path, stripesPNG(4, {RED, BLUE})));
    return readFile(path);
}

class PNGTextures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl.ok()); }

    // Writes `recipe` and loads it.
    std::unique_ptr<TAV_Texture> load(const PNGRecipe& recipe, bool mipmap)
    {
        const std::string path = scratchPath("load.png");
        EXPECT_TRUE(writePNG(path, recipe));
        return std::unique_ptr<TAV_Texture>(TAV_PNGLoader::loadPNG(path.c_str(), mipmap));
    }

    TestGLContext gl;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Decoding

TEST(PNGDecode, ExpandsGreyPaletteAndLowAndHighBitDepthsTo8BitRGB)
{
    const Decoded grey = decodeRecipe(recipeOf(2, PNG_COLOR_TYPE_GRAY, 8, {{0, 200}}));
    EXPECT_EQ(3, grey.channels);
    EXPECT_EQ(Bytes({0, 0, 0, 200, 200, 200}), grey.pixels);

    // Four 1-bit samples 1, 0, 1, 1 in one byte: black and white, full range.
    const Decoded bits = decodeRecipe(recipeOf(4, PNG_COLOR_TYPE_GRAY, 1, {{0xB0}}));
    EXPECT_EQ(Bytes({255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255}), bits.pixels);

    // 16-bit samples keep their high byte.
    const Decoded deep = decodeRecipe(recipeOf(1, PNG_COLOR_TYPE_RGB, 16, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}));
    EXPECT_EQ(3, deep.channels);
    EXPECT_EQ(Bytes({0x12, 0x56, 0x9A}), deep.pixels);

    PNGRecipe palette = recipeOf(3, PNG_COLOR_TYPE_PALETTE, 8, {{2, 0, 1}});
    palette.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    const Decoded indexed = decodeRecipe(palette);
    EXPECT_EQ(3, indexed.channels);
    EXPECT_EQ(Bytes({70, 80, 90, 10, 20, 30, 40, 50, 60}), indexed.pixels);
}

TEST(PNGDecode, GivesAlphaForGreyAlphaRGBAAndTransparencyChunks)
{
    const Decoded greyAlpha = decodeRecipe(recipeOf(2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{50, 128, 250, 0}}));
    EXPECT_EQ(4, greyAlpha.channels);
    EXPECT_EQ(Bytes({50, 50, 50, 128, 250, 250, 250, 0}), greyAlpha.pixels);

    const Decoded rgba = decodeRecipe(recipeOf(1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{1, 2, 3, 4}}));
    EXPECT_EQ(4, rgba.channels);
    EXPECT_EQ(Bytes({1, 2, 3, 4}), rgba.pixels);

    PNGRecipe palette = recipeOf(2, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1}});
    palette.palette = {{10, 20, 30}, {40, 50, 60}};
    palette.transparency = {77};  // entry 0 partly transparent, entry 1 opaque
    const Decoded indexed = decodeRecipe(palette);
    EXPECT_EQ(4, indexed.channels);
    EXPECT_EQ(Bytes({10, 20, 30, 77, 40, 50, 60, 255}), indexed.pixels);
}

TEST(PNGDecode, KeepsTheTopRowFirstAlsoForInterlacedFiles)
{
    for (bool interlaced : {false, true}) {
        PNGRecipe recipe = stripesPNG(9, {RED, GREEN, GREEN, GREEN, GREEN, GREEN, GREEN, BLUE, BLUE});
        recipe.interlaced = interlaced;
        const Decoded picture = decodeRecipe(recipe);
        ASSERT_EQ(9, picture.width);
        ASSERT_EQ(9, picture.height);
        EXPECT_EQ(Bytes({255, 0, 0}), Bytes(picture.pixels.begin(), picture.pixels.begin() + 3)) << interlaced;
        EXPECT_EQ(Bytes({0, 0, 255}), Bytes(picture.pixels.end() - 3, picture.pixels.end())) << interlaced;
    }
}

TEST(PNGDecode, RefusesBrokenTruncatedAndOversizedFiles)
{
    const Bytes valid = validPNGBytes();
    Bytes badCRC = valid;
    badCRC[29] ^= 0x01;  // the IHDR chunk's checksum
    Bytes notPNG = valid;
    notPNG[1] = 'Q';
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty.png", {}},
        {"signature.png", Bytes(valid.begin(), valid.begin() + 8)},
        {"not.png", notPNG},
        {"crc.png", badCRC},
        {"noend.png", Bytes(valid.begin(), valid.end() - 12)},  // IEND missing
        {"cut.png", Bytes(valid.begin(), valid.begin() + long(valid.size() / 2))},
    };
    for (const auto& c : cases) {
        const std::string path = scratchPath(c.name);
        writeFile(path, c.bytes);
        std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
        expectThrown(-70, "invalid png " + path, [&] { TAV_PNGLoader_local::decode(file.get(), path.c_str()); });
    }

    // Wider than any texture: refused from the header, before the pixels are allocated.
    const uint32_t tooWide = TAV_PNGLoader_local::MAX_SIDE_PX + 1;
    const std::string path = scratchPath("wide.png");
    ASSERT_TRUE(writePNG(path, recipeOf(int(tooWide), PNG_COLOR_TYPE_GRAY, 1, {Bytes(tooWide / 8 + 1, 0)})));
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
    expectThrown(-70, "invalid png " + path, [&] { TAV_PNGLoader_local::decode(file.get(), path.c_str()); });
}

// ---------------------------------------------------------------------------------------
// Loading into textures

TEST_F(PNGTextures, TopRowOfThePictureLiesAtTZero)
{
    // 5 RGB pixels make 15-byte rows, which OpenGL's default alignment would shear.
    for (bool mipmap : {false, true}) {
        const auto texture = load(stripesPNG(5, {RED, GREEN, BLUE}), mipmap);
        EXPECT_EQ(22, texture->getType());
        EXPECT_EQ(5, texture->getWidth());
        EXPECT_EQ(3, texture->getHeight());
        EXPECT_NE(0u, boundTexture()) << "the texture is left bound";
        EXPECT_EQ(GL_RGB, levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT));
        EXPECT_EQ(GL_LINEAR, texParameter(GL_TEXTURE_MIN_FILTER));
        EXPECT_EQ(GL_LINEAR, texParameter(GL_TEXTURE_MAG_FILTER));
        if (!mipmap) {
            Bytes expected;
            for (uint32_t colour : {RED, GREEN, BLUE})
                for (int x = 0; x < 5; ++x)
                    expected.insert(expected.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
            EXPECT_EQ(expected, texImage(0, GL_RGB));
            EXPECT_EQ(1, levelCount());
        } else {
            // Mipmaps are built from the picture scaled to the nearest powers of two, 4 x 4.
            const Bytes level0 = texImage(0, GL_RGB);
            ASSERT_EQ(4u * 4u * 3u, level0.size());
            EXPECT_EQ(Bytes({255, 0, 0}), Bytes(level0.begin(), level0.begin() + 3)) << "t = 0 is red";
            EXPECT_EQ(Bytes({0, 0, 255}), Bytes(level0.end() - 3, level0.end())) << "t = 1 is blue";
        }
    }
}

TEST_F(PNGTextures, MipmappedPNGHasTheFullChainDownToOnePixel)
{
    const auto texture = load(stripesPNG(16, std::vector<uint32_t>(8, GREEN)), true);
    ASSERT_EQ(5, levelCount()) << "16x8, 8x4, 4x2, 2x1, 1x1";
    EXPECT_EQ(1, levelParameter(4, GL_TEXTURE_WIDTH));
    EXPECT_EQ(1, levelParameter(4, GL_TEXTURE_HEIGHT));
    EXPECT_EQ(Bytes({0, 255, 0}), texImage(4, GL_RGB));
    EXPECT_EQ(GL_LINEAR, texParameter(GL_TEXTURE_MIN_FILTER)) << "the base level only, until changed";
}

TEST_F(PNGTextures, GreyPicturesBecomeRGBAndGreyAlphaRGBATextures)
{
    const auto grey = load(recipeOf(3, PNG_COLOR_TYPE_GRAY, 8, {{0, 128, 255}}), false);
    EXPECT_EQ(GL_RGB, levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT));
    EXPECT_EQ(Bytes({0, 0, 0, 128, 128, 128, 255, 255, 255}), texImage(0, GL_RGB));

    const auto greyAlpha = load(recipeOf(1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{90, 30}}), false);
    EXPECT_EQ(GL_RGBA, levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT));
    EXPECT_EQ(Bytes({90, 90, 90, 30}), texImage(0, GL_RGBA));
}

TEST_F(PNGTextures, DrawnWithADownwardYAxisTheFirstRowIsAtTheTop)
{
    const auto texture = load(stripesPNG(4, {RED, RED, GREEN, GREEN, BLUE, BLUE}), false);
    texture->activate();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // The overlay projection of the demo: y grows down the screen, so t = 0 is drawn on top.
    drawTexturedRect(gl.width(), gl.height(), true, 200, 150, 600, 450);
    tavtest::writeFramePNG(scratchPath("stripes.png"), gl.width(), gl.height(), gl.readPixels());

    // Each texel row covers 50 pixels; sampled between two texel rows of one colour, so
    // that linear filtering (which wraps at the quad's edges) mixes in nothing else.
    // Read-back rows count from the bottom of the window.
    EXPECT_EQ(0xff0000ffu, gl.pixel(400, gl.height() - 200)) << "top of the quad: red";
    EXPECT_EQ(0x00ff00ffu, gl.pixel(400, gl.height() - 300)) << "middle: green";
    EXPECT_EQ(0x0000ffffu, gl.pixel(400, gl.height() - 400)) << "bottom of the quad: blue";
}

TEST_F(PNGTextures, RefusesMissingTruncatedAndCorruptFilesLeavingNoTexture)
{
    const Bytes valid = validPNGBytes();
    const std::string truncated = scratchPath("truncated.png");
    writeFile(truncated, Bytes(valid.begin(), valid.begin() + long(valid.size()) - 20));
    const std::string corrupt = scratchPath("corrupt.png");
    writeFile(corrupt, pattern(200));

    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {"/nonexistent/data/dot.png", "unable to open file /nonexistent/data/dot.png"},
        {truncated, "invalid png " + truncated},
        {corrupt, "invalid png " + corrupt},
    };
    for (const auto& c : cases) {
        for (bool mipmap : {false, true}) {
            GLuint probe = 0;
            glGenTextures(1, &probe);
            expectThrown(-70, c.message, [&] { delete TAV_PNGLoader::loadPNG(c.path.c_str(), mipmap); });
            EXPECT_EQ(0, textureObjectsAfter(probe)) << c.path;
            glDeleteTextures(1, &probe);
        }
    }
}

TEST_F(PNGTextures, PendingOpenGLErrorIsReportedOnStandardOutputAndLoadingGoesOn)
{
    glEnable(0x7fff);  // not a capability: GL_INVALID_ENUM
    testing::internal::CaptureStdout();
    const auto texture = load(stripesPNG(2, {RED, BLUE}), false);
    EXPECT_EQ("ERROR glgen: invalid enumerant\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(2, levelParameter(0, GL_TEXTURE_WIDTH));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

// TAV_PNGLoader: decoding every kind of PNG to RGB or RGBA (no OpenGL needed), refusing
// broken files, and the textures it makes under a real OpenGL context.
#include <gtest/gtest.h>

#include "support/TestGLContext.h"

#include <algorithm>
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

// Writes the PNG and decodes it without OpenGL: channels, then the pixels top row first.
std::pair<int, Bytes> decodeRecipe(const PNGRecipe& recipe)
{
    const std::string path = scratchPath("decode.png");
    EXPECT_TRUE(writePNG(path, recipe));
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
    const TAV_PNGLoader_local::DecodedPNG picture = TAV_PNGLoader_local::decode(file.get(), path.c_str());
    EXPECT_EQ(recipe.width, picture.widthPx);
    EXPECT_EQ(recipe.height, picture.heightPx);
    return {picture.channels, Bytes(picture.pixels.get(), picture.pixels.get() + size_t(picture.widthPx *
                                                                                         picture.heightPx * picture.channels))};
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

// The RGB bytes of a stripes picture, top row first.
Bytes stripes(int width, const std::vector<uint32_t>& rowColoursRGB)
{
    Bytes bytes;
    for (uint32_t colour : rowColoursRGB)
        for (int x = 0; x < width; ++x)
            bytes.insert(bytes.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
    return bytes;
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

// Every kind of PNG becomes 8-bit RGB, or RGBA when it has alpha of any kind, top row first
// also when interlaced.
TEST(PNGDecode, ExpandsEveryColourTypeAndBitDepthTo8BitRGBOrRGBA)
{
    PNGRecipe palette = recipeOf(3, PNG_COLOR_TYPE_PALETTE, 8, {{2, 0, 1}});
    palette.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    PNGRecipe translucent = recipeOf(2, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1}});
    translucent.palette = {{10, 20, 30}, {40, 50, 60}};
    translucent.transparency = {77};  // entry 0 partly transparent, entry 1 opaque
    const std::vector<uint32_t> nineRows = {RED, GREEN, GREEN, GREEN, GREEN, GREEN, GREEN, BLUE, BLUE};
    PNGRecipe interlaced = stripesPNG(9, nineRows);
    interlaced.interlaced = true;
    const struct {
        const char* what;
        PNGRecipe recipe;
        int channels;
        Bytes pixels;
    } cases[] = {
        {"grey", recipeOf(2, PNG_COLOR_TYPE_GRAY, 8, {{0, 200}}), 3, {0, 0, 0, 200, 200, 200}},
        // Four 1-bit samples 1, 0, 1, 1 in one byte: black and white, full range.
        {"1-bit grey", recipeOf(4, PNG_COLOR_TYPE_GRAY, 1, {{0xB0}}), 3,
         {255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255}},
        {"16-bit RGB keeps the high bytes", recipeOf(1, PNG_COLOR_TYPE_RGB, 16, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}),
         3, {0x12, 0x56, 0x9A}},
        {"palette", palette, 3, {70, 80, 90, 10, 20, 30, 40, 50, 60}},
        {"grey and alpha", recipeOf(2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{50, 128, 250, 0}}), 4,
         {50, 50, 50, 128, 250, 250, 250, 0}},
        {"RGBA", recipeOf(1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{1, 2, 3, 4}}), 4, {1, 2, 3, 4}},
        {"palette with tRNS", translucent, 4, {10, 20, 30, 77, 40, 50, 60, 255}},
        {"interlaced", interlaced, 3, stripes(9, nineRows)},
    };
    for (const auto& c : cases) {
        const auto picture = decodeRecipe(c.recipe);
        EXPECT_EQ(c.channels, picture.first) << c.what;
        EXPECT_EQ(c.pixels, picture.second) << c.what;
    }
}

// 5 RGB pixels make 15-byte rows, which OpenGL's default alignment would shear. Mipmaps
// are built from the picture scaled to the nearest powers of two, 4 x 4, down to 1 x 1.
TEST_F(PNGTextures, TopRowOfThePictureLiesAtTZero)
{
    for (bool mipmap : {false, true}) {
        const auto texture = load(stripesPNG(5, {RED, GREEN, BLUE}), mipmap);
        EXPECT_EQ(5, texture->getWidth());
        EXPECT_EQ(3, texture->getHeight());
        EXPECT_NE(0, intState(GL_TEXTURE_BINDING_2D)) << "the texture is left bound";
        EXPECT_EQ(GL_LINEAR, texParameter(GL_TEXTURE_MIN_FILTER)) << "the base level only, until changed";
        EXPECT_EQ(GL_LINEAR, texParameter(GL_TEXTURE_MAG_FILTER));
        const Bytes level0 = texImage(0, GL_RGB);
        if (!mipmap) {
            EXPECT_EQ(stripes(5, {RED, GREEN, BLUE}), level0);
        } else {
            EXPECT_EQ(3, levelCount());
            ASSERT_EQ(4u * 4u * 3u, level0.size());
            EXPECT_EQ(Bytes({255, 0, 0}), Bytes(level0.begin(), level0.begin() + 3)) << "t = 0 is red";
            EXPECT_EQ(Bytes({0, 0, 255}), Bytes(level0.end() - 3, level0.end())) << "t = 1 is blue";
        }
    }
    const auto greyAlpha = load(recipeOf(1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{90, 30}}), false);
    EXPECT_EQ(GL_RGBA, levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT));
    EXPECT_EQ(Bytes({90, 90, 90, 30}), texImage(0, GL_RGBA));
}

TEST_F(PNGTextures, RefusesMissingBrokenAndOversizedFilesLeavingNoTexture)
{
    ASSERT_TRUE(writePNG(scratchPath("valid.png"), stripesPNG(4, {RED, BLUE})));
    const Bytes valid = readFile(scratchPath("valid.png"));
    Bytes badCRC = valid;
    badCRC[29] ^= 0x01;  // the IHDR chunk's checksum
    Bytes notPNG = valid;
    notPNG[1] = 'Q';
    const struct {
        const char* name;
        Bytes bytes;
    } broken[] = {
        {"empty.png", {}},
        {"signature.png", Bytes(valid.begin(), valid.begin() + 8)},
        {"not.png", notPNG},
        {"crc.png", badCRC},
        {"noend.png", Bytes(valid.begin(), valid.end() - 12)},  // IEND missing
        {"cut.png", Bytes(valid.begin(), valid.begin() + long(valid.size() / 2))},
        {"noise.png", pattern(200)},
    };
    std::vector<std::pair<std::string, std::string>> cases = {
        {"/nonexistent/data/dot.png", "unable to open file /nonexistent/data/dot.png"}};
    for (const auto& b : broken) {
        writeFile(scratchPath(b.name), b.bytes);
        cases.push_back({scratchPath(b.name), "invalid png " + scratchPath(b.name)});
    }
    // Wider than any texture: refused from the header, before the pixels are allocated.
    const uint32_t tooWide = TAV_PNGLoader_local::MAX_SIDE_PX + 1;
    ASSERT_TRUE(writePNG(scratchPath("wide.png"), recipeOf(int(tooWide), PNG_COLOR_TYPE_GRAY, 1, {Bytes(tooWide / 8 + 1, 0)})));
    cases.push_back({scratchPath("wide.png"), "invalid png " + scratchPath("wide.png")});

    for (const auto& c : cases) {
        for (bool mipmap : {false, true}) {
            EXPECT_EQ(0, textureObjectsLeftBy([&] {
                expectThrown(-70, c.second, [&] { delete TAV_PNGLoader::loadPNG(c.first.c_str(), mipmap); });
            })) << c.first;
        }
    }
}

// The studio's reload: a changed file goes into the same texture object, also where two
// textures came from one file, with the mipmap chain rebuilt and the texture's own parameters
// and the caller's binding kept; a file that cannot be read changes nothing and says so in
// one line; a deleted texture is no longer reloaded.
TEST_F(PNGTextures, ReloadsAChangedPictureInPlaceAndKeepsTheOldOneWhenTheFileIsBroken)
{
    const std::string path = scratchPath("reload.png");
    ASSERT_TRUE(writePNG(path, stripesPNG(5, {RED, GREEN, BLUE})));
    std::unique_ptr<TAV_Texture> plain(TAV_PNGLoader::loadPNG(path.c_str(), false));
    std::unique_ptr<TAV_Texture> mipmapped(TAV_PNGLoader::loadPNG(path.c_str(), true));
    plain->setTexWrapParametri(GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
    plain->activate();
    const GLint plainName = intState(GL_TEXTURE_BINDING_2D);
    mipmapped->activate();
    const GLint mipmappedName = intState(GL_TEXTURE_BINDING_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 1);
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);

    ASSERT_TRUE(writePNG(path, stripesPNG(2, {BLUE, RED})));
    EXPECT_EQ(2, TAV_PNGLoader::reload(path.c_str()));
    EXPECT_EQ(GLint(other), intState(GL_TEXTURE_BINDING_2D)) << "the caller's binding stays";
    EXPECT_EQ(2, plain->getWidth());
    EXPECT_EQ(2, plain->getHeight());
    plain->activate();
    EXPECT_EQ(plainName, intState(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(stripes(2, {BLUE, RED}), texImage(0, GL_RGB));
    EXPECT_EQ(GL_CLAMP_TO_EDGE, texParameter(GL_TEXTURE_WRAP_S));
    mipmapped->activate();
    EXPECT_EQ(mipmappedName, intState(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(2, levelCount());
    const Bytes level0 = texImage(0, GL_RGB);
    EXPECT_EQ(Bytes({0, 0, 255}), Bytes(level0.begin(), level0.begin() + 3)) << "t = 0 is blue now";
    EXPECT_EQ(1, texParameter(GL_TEXTURE_BASE_LEVEL));

    // Half a file, as a paint program caught in the middle of saving leaves it.
    const Bytes whole = readFile(path);
    writeFile(path, Bytes(whole.begin(), whole.begin() + long(whole.size() / 2)));
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, TAV_PNGLoader::reload(path.c_str()));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    EXPECT_NE(std::string::npos, said.find("invalid png " + path + ": ")) << said;
    EXPECT_NE(std::string::npos, said.find("the old picture stays")) << said;
    plain->activate();
    EXPECT_EQ(stripes(2, {BLUE, RED}), texImage(0, GL_RGB));

    writeFile(path, whole);
    EXPECT_EQ(0, TAV_PNGLoader::reloadAll()) << "no file failed";
    std::remove(path.c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(1, TAV_PNGLoader::reloadAll()) << "one file failed";
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("unable to open file " + path));
    plain.reset();
    mipmapped.reset();
    EXPECT_EQ(0, TAV_PNGLoader::reload(path.c_str()));
    EXPECT_EQ(0, TAV_PNGLoader::reloadAll());
    glDeleteTextures(1, &other);
}

// TAV_Texture and TAV_MipMapTexture under a real OpenGL context (Mesa on the test Xvfb):
// uploads, the activation contract, the vendor rule and the class-wide LOD switch.
#include <gtest/gtest.h>

#include "support/TestGLContext.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "GLTextureState.h"
#include "ImageTestFiles.h"
#include "image/TAV_ImageData.h"
#include "image/TAV_MipMapTexture.h"
#include "image/TAV_Texture.h"

using namespace imagetest;

namespace {

TAV_ImageData* newImage(int width, int height, int bytesPerPixel, const Bytes& pixels)
{
    TAV_ImageData* image = new TAV_ImageData(width, height, bytesPerPixel);
    std::memcpy(image->m_data, pixels.data(), pixels.size());
    return image;
}

class Textures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl.ok()); }
    void TearDown() override { TAV_MipMapTexture::resetLod(true); }  // the class-wide switch
    TestGLContext gl;
};

}  // namespace

TEST_F(Textures, PlainTextureUploadsOddRowsUnshearedAndOwnsItsTextureObject)
{
    // Rows of 3 RGB pixels are 9 bytes: read with OpenGL's default 4-byte row alignment
    // every row after the first would be shifted. A bitmap's bottom row is row t = 0.
    const Bytes pixels = pattern(3 * 3 * 3);
    TAV_ImageData image(3, 3, 3);
    std::memcpy(image.m_data, pixels.data(), pixels.size());
    image.writeBitmap(scratchPath("texture.bmp").c_str());
    for (int fromFile = 0; fromFile < 2; ++fromFile) {
        std::unique_ptr<TAV_ITexture> texture(fromFile ? new TAV_Texture(scratchPath("texture.bmp").c_str())
                                                       : new TAV_Texture(newImage(3, 3, 3, pixels)));
        EXPECT_EQ(3, texture->getWidth());
        const GLuint name = GLuint(intState(GL_TEXTURE_BINDING_2D));
        EXPECT_NE(0u, name) << "init leaves the texture bound";
        EXPECT_EQ(pixels, texImage(0, GL_RGB));
        EXPECT_EQ(GL_LINEAR, texParameter(GL_TEXTURE_MIN_FILTER));
        EXPECT_EQ(4, intState(GL_UNPACK_ALIGNMENT)) << "the default is back after the upload";
        TAV_ImageData pixel(1, 1, 3);
        std::memset(pixel.m_data, 0, 3);
        texture->init(&pixel);  // a second upload replaces the first
        EXPECT_FALSE(glIsTexture(name));
        const GLuint second = GLuint(intState(GL_TEXTURE_BINDING_2D));
        texture.reset();
        EXPECT_FALSE(glIsTexture(second)) << "the destructor deletes the texture object";
    }

    for (int mipmapped = 0; mipmapped < 2; ++mipmapped) {
        EXPECT_EQ(0, textureObjectsLeftBy([&] {
            expectThrown(-70, "unable to open file /nonexistent/a.bmp", [&] {
                if (mipmapped)
                    TAV_MipMapTexture refused("/nonexistent/a.bmp");
                else
                    TAV_Texture refused("/nonexistent/a.bmp");
            });
        })) << "a refused file leaves no texture object";
    }
}

TEST_F(Textures, MipMapsBuildTheFullChainAndActivationAppliesFilterAndLodRangeEveryTime)
{
    TAV_MipMapTexture texture(newImage(8, 4, 4, pattern(8 * 4 * 4)));
    ASSERT_EQ(4, levelCount()) << "8x4, 4x2, 2x1, 1x1";
    EXPECT_EQ(1, levelParameter(3, GL_TEXTURE_HEIGHT));
    EXPECT_EQ(GL_NEAREST_MIPMAP_LINEAR, texParameter(GL_TEXTURE_MIN_FILTER)) << "OpenGL's default until activate()";

    for (int round = 0; round < 2; ++round) {
        texture.activate();
        EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, texParameter(GL_TEXTURE_MIN_FILTER));
        EXPECT_EQ(1.0f, texParameterf(GL_TEXTURE_MIN_LOD)) << "level 0 is not sampled under minification";
        EXPECT_EQ(6.0f, texParameterf(GL_TEXTURE_MAX_LOD));
        EXPECT_EQ(scaleMatrix(1.0f, 1.0f), textureMatrix());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, 4.0f);
    }
    texture.setLod(0.0f, 3.0f);
    texture.setMinification(GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(4.0f, texParameterf(GL_TEXTURE_MIN_LOD)) << "stored only, until activate()";
    texture.activate();
    EXPECT_EQ(GL_LINEAR_MIPMAP_NEAREST, texParameter(GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(0.0f, texParameterf(GL_TEXTURE_MIN_LOD));
    EXPECT_EQ(3.0f, texParameterf(GL_TEXTURE_MAX_LOD));

    // With the class-wide switch off the range is left alone; the filter still applies.
    TAV_MipMapTexture::resetLod(false);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, 2.5f);
    texture.setMinification(GL_NEAREST);
    texture.activate();
    EXPECT_EQ(2.5f, texParameterf(GL_TEXTURE_MIN_LOD));
    EXPECT_EQ(GL_NEAREST, texParameter(GL_TEXTURE_MIN_FILTER));
}

TEST_F(Textures, SetMipMapTextureReplacesOneLevelOfTheBoundTexture)
{
    std::unique_ptr<TAV_ImageData>(newImage(6, 2, 3, Bytes(6 * 2 * 3, 0)))->writeBitmap(scratchPath("level0.bmp").c_str());
    TAV_MipMapTexture texture(scratchPath("level0.bmp").c_str());
    texture.activate();
    // Level 1 of a 6 x 2 texture is 3 x 1: a 9-byte row.
    const Bytes level1 = pattern(3 * 1 * 3);
    TAV_ImageData image(3, 1, 3);
    std::memcpy(image.m_data, level1.data(), level1.size());
    texture.setMipMapTexture(&image, 1);
    EXPECT_EQ(0, texParameter(GL_TEXTURE_BASE_LEVEL));
    EXPECT_EQ(1, texParameter(GL_TEXTURE_MAX_LEVEL));
    EXPECT_EQ(level1, texImage(1, GL_RGB));

    const std::string path = scratchPath("level2.bmp");
    TAV_ImageData level2(1, 1, 3);
    std::memcpy(level2.m_data, "\x10\x20\x30", 3);
    level2.writeBitmap(path.c_str());
    texture.setMipMapTexture(path.c_str(), 2);
    EXPECT_EQ(2, texParameter(GL_TEXTURE_MAX_LEVEL));
    EXPECT_EQ(Bytes({0x10, 0x20, 0x30}), texImage(2, GL_RGB));
}

// The demo scene right after construction: OpenGL state, pictures, quads, the escape key,
// the order of the sound calls, and a clean release.
#include <gtest/gtest.h>

#include "DemoTestSupport.h"

#include <AL/alc.h>  // Required for: alcGetCurrentContext(), whether the sound output is open
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "LoadObject.h"
#include "fsound.h"
#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
#include "geometry/TAV_ObjectData.h"
#include "image/TAV_Texture.h"
#include "io/TAV_IO_Keyboard.h"
#include "sys/TAV_Exception.h"

namespace {

// The s, t range and the x, y range of a plane's records.
struct Extent {
    float sMin = 1e9f, sMax = -1e9f, tMin = 1e9f, tMax = -1e9f;
    float xMin = 1e9f, xMax = -1e9f, yMin = 1e9f, yMax = -1e9f;
};
Extent extentOf(const TAV_ObjectData* plane)
{
    Extent e;
    for (int i = 0; i < plane->m_count; ++i) {
        const float* r = plane->m_data + i * plane->m_stride;
        const float s = r[plane->m_texCoordOffset], t = r[plane->m_texCoordOffset + 1];
        const float x = r[plane->m_vertexOffset], y = r[plane->m_vertexOffset + 1];
        e.sMin = std::min(e.sMin, s), e.sMax = std::max(e.sMax, s);
        e.tMin = std::min(e.tMin, t), e.tMax = std::max(e.tMax, t);
        e.xMin = std::min(e.xMin, x), e.xMax = std::max(e.xMax, x);
        e.yMin = std::min(e.yMin, y), e.yMax = std::max(e.yMax, y);
    }
    return e;
}

// The y of the record whose texture coordinate t is 0 (the picture's top row, for PNGs).
float yAtTopOfPicture(const TAV_ObjectData* plane)
{
    const float* r = plane->m_data;
    for (int i = 0; i < plane->m_count; ++i, r += plane->m_stride)
        if (r[plane->m_texCoordOffset + 1] == 0.0f)
            return r[plane->m_vertexOffset + 1];
    return 0.0f;
}

GLint wrapOf(TAV_Texture* texture, GLenum which)
{
    texture->activate();
    GLint mode = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, which, &mode);
    return mode;
}

class LoadObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        player = demotest::startPlayer();
        ASSERT_TRUE(player);
        scene = player->scene();
    }
    std::unique_ptr<DemoPlayer> player;
    LoadObject* scene = nullptr;
};

TEST_F(LoadObjectTest, LetterboxScissorIsOnAndTheCursorHidden)
{
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 0);
    EXPECT_EQ(box[1], 44);
    EXPECT_EQ(box[2], 800);
    EXPECT_EQ(box[3], 512);
    EXPECT_FALSE(TAV_Window::m_showCursor);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
    GLint hint = 0;
    glGetIntegerv(GL_POINT_SMOOTH_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
}

TEST(LoadObjectSoundTest, OpensTheSoundOutputAndTheStreamWithoutStartingIt)
{
    setenv("ALSOFT_DRIVERS", "null", 1);  // an output that opens on any machine
    // OpenAL Soft chooses its output once per process; CTest runs each test in its own.
    ALCdevice* probe = alcOpenDevice(nullptr);
    if (!probe)
        GTEST_SKIP() << "OpenAL chose its output earlier in this process: run this test alone";
    alcCloseDevice(probe);
    std::unique_ptr<DemoPlayer> player = demotest::startPlayer();
    ASSERT_TRUE(player);
    EXPECT_NE(alcGetCurrentContext(), nullptr);
    ASSERT_NE(player->scene()->m_stream, nullptr);
    FSOUND_SetManualClock(false);
    EXPECT_EQ(FSOUND_Stream_GetTime(player->scene()->m_stream), 0);
    FSOUND_SetManualClock(true);
    // The scene closes what it opened.
    player.reset();
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
}

TEST_F(LoadObjectTest, EscapeEndsTheDemoAndOtherKeysDoNothing)
{
    TAV_IO_Keyboard::getInstance()->keyPressedEvent('q');
    TAV_IO_Keyboard::getInstance()->keyReleasedEvent(27);
    EXPECT_EQ(TAV_RootScene::getInstance()->getSubScene(), scene);
    TAV_IO_Keyboard::getInstance()->keyPressedEvent(27);
    EXPECT_EQ(TAV_RootScene::getInstance()->getSubScene(), nullptr);
    EXPECT_FALSE(player->step());  // the scene is deleted at the end of this frame
    EXPECT_EQ(player->scene(), nullptr);
    // The deleted scene took its listener with it: another escape reaches nobody.
    TAV_IO_Keyboard::getInstance()->keyPressedEvent(27);
}

TEST_F(LoadObjectTest, CheckerboardHasTwoOpaqueWhiteSquaresOnTheDiagonal)
{
    scene->m_chessTexture->activate();
    std::vector<uint8_t> pixels(64 * 64 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (int row = 0; row < 64; ++row)
        for (int column = 0; column < 64; ++column) {
            const uint8_t expected = ((row < 32) == (column < 32)) ? 255 : 0;
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(pixels[(row * 64 + column) * 4 + c], expected) << row << "," << column << "," << c;
        }
    EXPECT_EQ(wrapOf(scene->m_chessTexture, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(wrapOf(scene->m_chessTexture, GL_TEXTURE_WRAP_T), GL_REPEAT);
}

TEST_F(LoadObjectTest, PicturesShownWholeAreClampedAndTiledOnesRepeat)
{
    std::vector<TAV_Texture*> clamped = {scene->m_lensTexture, scene->m_demopeopleTexture, scene->m_cowTexture,
                                         scene->m_urlTexture,  scene->m_ormTexture,        scene->m_pennantTexture,
                                         scene->m_dotTexture};
    for (TAV_Texture* card : scene->m_datumTextures)
        clamped.push_back(card);
    for (TAV_Texture* picture : clamped) {
        EXPECT_EQ(wrapOf(picture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(wrapOf(picture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    }
    for (TAV_Texture* picture : {scene->m_logoTexture, scene->m_noiseTexture, scene->m_maskTexture,
                                 scene->m_noise1Texture, scene->m_backgroundTexture, scene->m_actTexture,
                                 scene->m_nobTexture, scene->m_sympaTexture, scene->m_ideeTexture,
                                 scene->m_creditsTexture}) {
        EXPECT_EQ(wrapOf(picture, GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_EQ(wrapOf(picture, GL_TEXTURE_WRAP_T), GL_REPEAT);
    }
}

TEST_F(LoadObjectTest, CopyTextureAndQuadsAreShapedForThe800x600Frame)
{
    glBindTexture(GL_TEXTURE_2D, scene->m_copyTexture);
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size);
    EXPECT_EQ(size, 1024);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size);
    EXPECT_EQ(size, 1024);

    const Extent copy = extentOf(scene->m_copyPlane);
    EXPECT_EQ(copy.sMax, 0.78125f);
    EXPECT_EQ(copy.tMax, 0.5859375f);
    EXPECT_EQ(copy.sMin, 0.0f);
    EXPECT_EQ(copy.tMin, 0.0f);
    EXPECT_EQ(yAtTopOfPicture(scene->m_copyPlane), 0.5f);  // y negated: t = 0 at y = +0.5

    const Extent picture = extentOf(scene->m_picturePlane);
    EXPECT_FLOAT_EQ(picture.sMin, -0.16666669f);
    EXPECT_FLOAT_EQ(picture.sMax, 1.3333334f - 0.16666669f);
    EXPECT_EQ(yAtTopOfPicture(scene->m_picturePlane), 0.5f);

    // The lens's 1500-pixel quad shows texture coordinates -1 to 2 (its middle third is the
    // picture); the screen, unit and tile quads show in the effect tests' pixels.
    const Extent big = extentOf(scene->m_bigPlane);
    EXPECT_EQ(big.sMin, -1.0f);
    EXPECT_EQ(big.tMax, 2.0f);
    EXPECT_EQ(big.xMax, 750.0f);
}

// A demo folder without one picture: the scene throws naming it, releases everything it
// built, and never touches the sound layer.
TEST(LoadObjectMissingPictureTest, ThrowsNamingTheFileAndPreparesNoSound)
{
    // A context of our own first loads and pins the GL driver, which the failed start-up
    // below loads and lets go again.
    TestGLContext pinDriver;
    ASSERT_TRUE(pinDriver.ok());
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(tavtest::scratchDir()) / "missing-picture";
    fs::create_directories(folder / "data");
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(TAVLEN_BINARY_DIR) / "data"))
        if (entry.path().filename() != "credits.png")
            fs::copy_file(entry.path(), folder / "data" / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    ASSERT_EQ(chdir(folder.c_str()), 0);

    setenv("ALSOFT_DRIVERS", "null", 1);  // an output that opens on any machine
    std::string message;
    try {
        DemoPlayer player;
        ADD_FAILURE() << "the scene was built without data/credits.png";
    } catch (TAV_Exception* e) {
        message = e->getMessage();
        delete e;
    }
    EXPECT_NE(message.find("data/credits.png"), std::string::npos) << message;
    EXPECT_EQ(alcGetCurrentContext(), nullptr) << "the sound output was opened for a scene that failed";
    EXPECT_EQ(TAV_IO_Keyboard::m_ioKeyboard, nullptr);
    EXPECT_EQ(TAV_Engine::m_instance, nullptr);
}

}  // namespace

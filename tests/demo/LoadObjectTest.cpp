// The demo scene on the deterministic player: OpenGL state and pictures right after
// construction, the escape key, the order of the sound calls, and a clean refusal when a
// picture is missing.
#include <gtest/gtest.h>

#include "DemoTestSupport.h"

#include <AL/alc.h>  // Required for: alcGetCurrentContext(), whether the sound output is open

#include <filesystem>

#include "LoadObject.h"
#include "core/TAV_Engine.h"
#include "core/TAV_RootScene.h"
#include "core/TAV_Window.h"
#include "fsound.h"
#include "io/TAV_IO_Keyboard.h"
#include "sys/TAV_Exception.h"

namespace {

GLint wrapOf(TAV_Texture* texture)
{
    texture->activate();
    GLint s = 0, t = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &s);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t);
    return s == t ? s : -1;
}

TEST(LoadObjectTest, StartsLetterboxedWithItsPicturesSetUpAndItsMusicOpenButSilent)
{
    setenv("ALSOFT_DRIVERS", "null", 1);  // an output that opens on any machine
    // OpenAL Soft chooses its output once per process; CTest runs each test in its own.
    ALCdevice* probe = alcOpenDevice(nullptr);
    if (!probe)
        GTEST_SKIP() << "OpenAL chose its output earlier in this process: run this test alone";
    alcCloseDevice(probe);
    std::unique_ptr<DemoPlayer> player = demotest::startPlayer();
    ASSERT_TRUE(player);
    LoadObject* scene = player->scene();

    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(std::vector<GLint>({0, 44, 800, 512}), std::vector<GLint>(box, box + 4));
    EXPECT_FALSE(TAV_Window::m_showCursor);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));

    // Pictures shown whole are clamped, so their edges do not bleed; tiled ones repeat.
    std::vector<TAV_Texture*> clamped = {scene->m_lensTexture, scene->m_demopeopleTexture, scene->m_cowTexture,
                                         scene->m_urlTexture,  scene->m_ormTexture,        scene->m_pennantTexture,
                                         scene->m_dotTexture};
    clamped.insert(clamped.end(), std::begin(scene->m_datumTextures), std::end(scene->m_datumTextures));
    for (TAV_Texture* picture : clamped)
        EXPECT_EQ(GL_CLAMP_TO_EDGE, wrapOf(picture));
    for (TAV_Texture* picture : {scene->m_logoTexture, scene->m_noiseTexture, scene->m_maskTexture,
                                 scene->m_noise1Texture, scene->m_backgroundTexture, scene->m_actTexture,
                                 scene->m_nobTexture, scene->m_sympaTexture, scene->m_ideeTexture,
                                 scene->m_creditsTexture, scene->m_chessTexture})
        EXPECT_EQ(GL_REPEAT, wrapOf(picture));
    // The chessboard is made in code: two opaque white squares on the diagonal.
    std::vector<uint8_t> chess(64 * 64 * 4);
    scene->m_chessTexture->activate();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, chess.data());
    for (int i = 0; i < 64 * 64 * 4; ++i)
        ASSERT_EQ((((i / 4) / 64 < 32) == ((i / 4) % 64 < 32)) ? 255 : 0, chess[size_t(i)]) << "byte " << i;

    // The output and the stream are open, but nothing plays before the pre-roll ends.
    EXPECT_NE(alcGetCurrentContext(), nullptr);
    ASSERT_NE(scene->m_stream, nullptr);
    FSOUND_SetManualClock(false);
    EXPECT_EQ(FSOUND_Stream_GetTime(scene->m_stream), 0);
    FSOUND_SetManualClock(true);
    player.reset();
    EXPECT_EQ(alcGetCurrentContext(), nullptr) << "the scene closes what it opened";
}

TEST(LoadObjectTest, EscapeDuringTheMusicEndsTheDemoAtTheEndOfTheFrameAndOtherKeysDoNothing)
{
    std::unique_ptr<DemoPlayer> player = demotest::startPlayer();
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->playToMusicTime(1000));
    TAV_IO_Keyboard::getInstance()->keyPressedEvent('q');
    TAV_IO_Keyboard::getInstance()->keyReleasedEvent(27);
    EXPECT_EQ(TAV_RootScene::getInstance()->getSubScene(), player->scene());
    TAV_IO_Keyboard::getInstance()->keyPressedEvent(27);
    EXPECT_EQ(TAV_RootScene::getInstance()->getSubScene(), nullptr);
    EXPECT_FALSE(player->step());  // the scene is deleted at the end of this frame
    EXPECT_EQ(player->scene(), nullptr);
    // The deleted scene took its listener with it: another escape reaches nobody.
    TAV_IO_Keyboard::getInstance()->keyPressedEvent(27);
}

// A demo folder without one picture: the scene throws naming it, releases everything it
// built (LeakSanitizer checks), and never touches the sound layer.
TEST(LoadObjectTest, AMissingPictureThrowsNamingItAndPreparesNoSound)
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
            fs::create_symlink(entry.path(), folder / "data" / entry.path().filename());
    ASSERT_EQ(chdir(folder.c_str()), 0);
    setenv("ALSOFT_DRIVERS", "null", 1);
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

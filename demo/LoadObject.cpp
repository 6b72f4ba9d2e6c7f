#include "LoadObject.h"

#include <GL/gl.h>  // Required for: scissor, texture and point-smoothing state

#include <algorithm>  // Required for: std::max()
#include <cstdint>
#include <cstdio>     // Required for: fprintf() of a copy texture that cannot be had
#include <cstring>    // Required for: memcpy() of the saved state
#include <memory>

#include "CowQube.h"
#include "Particle.h"
#include "core/TAV_Engine.h"
#include "core/TAV_GLLimits.h"
#include "core/TAV_Window.h"
#include "geometry/TAV_ObjectData.h"
#include "geometry/TAV_ObjectFactory.h"
#include "image/TAV_ImageData.h"
#include "image/TAV_PNGLoader.h"
#include "image/TAV_Texture.h"
#include "io/TAV_IO_Keyboard.h"
#include "sys/TAV_SYS_Log.h"

namespace {

// The frame copy lands in the lower-left corner of the copy texture, which is 1024 x 1024
// whenever the picture fits (always at 800 x 600), else as large as the picture.
const int kCopyTextureSizePx = 1024;

const int kEscapeKey = 27;

// Edits every vertex of a factory plane in place. The plane's records are texture
// coordinate, normal, position (stride 8), so s, t and x, y are handed out by reference.
template <class Edit>
void editPlane(TAV_ObjectData* plane, Edit edit)
{
    for (int i = 0; i < plane->m_count; ++i) {
        float* record = plane->m_data + i * plane->m_stride;
        float* texCoord = record + plane->m_texCoordOffset;
        float* position = record + plane->m_vertexOffset;
        edit(texCoord[0], texCoord[1], position[0], position[1]);
    }
}

TAV_ObjectData* newPlane()
{
    return TAV_ObjectFactory::createPlaneData(true, true);
}

// The scene's values between frames, as saveState() writes them before the two swarms.
struct SceneValues {
    int loadTime, chessTime, dateTime, endTime;
    bool musicStarted;
    float cowAngle;
    float dotColor[4];
    int logoLevel;
    CowQube::State cube;
};

// Pictures shown whole are clamped, so their edges do not bleed in from the opposite side.
TAV_Texture* loadClamped(const char* fileName)
{
    TAV_Texture* texture = TAV_PNGLoader::loadPNG(fileName, false);
    texture->setTexWrapParametri(GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
    return texture;
}

int nextPowerOfTwo(int valuePx)
{
    int power = 1;
    while (power < valuePx)
        power *= 2;
    return power;
}

template <class T>
void deleteAndClear(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

}  // namespace

LoadObject::LoadObject()
{
    try {
        TAV_Window::showCursor(false);

        TAV_Window::m_frame.applyScissor(0, BAND_BOTTOM_PX, BAND_WIDTH_PX, BAND_HEIGHT_PX);
        glEnable(GL_SCISSOR_TEST);

        // y negated because the copy holds the frame's bottom row at t = 0 and overlays point
        // y down; fitCopyTexture points s and t at exactly the copied corner.
        m_copyPlane = newPlane();
        editPlane(m_copyPlane, [](float&, float&, float&, float& y) { y = -y; });
        fitCopyTexture();
        // s from -1/6 to 7/6: a clamped square picture fills the middle 3/4 of a 4:3 screen.
        m_picturePlane = newPlane();
        editPlane(m_picturePlane, [](float& s, float&, float&, float& y) {
            s = s * 1.3333334f - 0.16666669f;
            y = -y;
        });
        m_unitPlane = newPlane();
        m_screenPlane = newPlane();
        editPlane(m_screenPlane, [](float&, float&, float& x, float& y) {
            x *= 800.0f;
            y *= 600.0f;
        });
        // Texture coordinates -1 to 2: a clamped picture fills the middle third, 500 x 500.
        m_bigPlane = newPlane();
        editPlane(m_bigPlane, [](float& s, float& t, float& x, float& y) {
            s = 3.0f * s - 1.0f;
            t = 3.0f * t - 1.0f;
            x *= 1500.0f;
            y *= 1500.0f;
        });

        m_logoTexture = TAV_PNGLoader::loadPNG("data/o14_logo.png", true);
        m_lensTexture = loadClamped("data/lens03.png");
        m_demopeopleTexture = loadClamped("data/demopeople1.png");
        m_cowTexture = loadClamped("data/cow_white.png");
        for (int i = 0; i < 5; ++i) {
            static const char* const kDatumFiles[5] = {"data/datum1.png", "data/datum2.png", "data/datum3.png",
                                                       "data/datum4.png", "data/datum5.png"};
            m_datumTextures[i] = TAV_PNGLoader::loadPNG(kDatumFiles[i], false);
        }
        m_urlTexture = TAV_PNGLoader::loadPNG("data/url.png", false);
        m_ormTexture = TAV_PNGLoader::loadPNG("data/orm14.png", false);
        m_pennantTexture = TAV_PNGLoader::loadPNG("data/pennant.png", false);
        m_dotTexture = TAV_PNGLoader::loadPNG("data/dot.png", false);
        m_noiseTexture = TAV_PNGLoader::loadPNG("data/noise.png", false);
        m_maskTexture = TAV_PNGLoader::loadPNG("data/mask01.png", false);
        m_noise1Texture = TAV_PNGLoader::loadPNG("data/noise1.png", false);
        m_backgroundTexture = TAV_PNGLoader::loadPNG("data/background1.png", false);
        m_actTexture = TAV_PNGLoader::loadPNG("data/act.png", false);
        m_nobTexture = TAV_PNGLoader::loadPNG("data/nob.png", false);
        m_sympaTexture = TAV_PNGLoader::loadPNG("data/sympa.png", false);
        m_ideeTexture = TAV_PNGLoader::loadPNG("data/idee.png", false);
        m_creditsTexture = TAV_PNGLoader::loadPNG("data/credits.png", false);
        for (TAV_Texture* card : m_datumTextures)
            card->setTexWrapParametri(GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
        for (TAV_Texture* card : {m_urlTexture, m_ormTexture, m_pennantTexture, m_dotTexture})
            card->setTexWrapParametri(GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);

        // 1500 black cows at half opacity, and 80 larger orange ones.
        m_particles[0] = new Particle(1500, 10000, 1.5f, 40.0f, m_cowTexture, 0.0f, 0.0f, 0.0f, 0.5f);
        m_particles[1] = new Particle(80, 10000, 1.0f, 50.0f, m_cowTexture, 1.0f, 0.38f, 0.08f, 1.0f);

        glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
        glEnable(GL_POINT_SMOOTH);

        m_cowQube = new CowQube();

        TAV_IO_Keyboard::getInstance()->addListener(*this);
        m_listening = true;

        m_loadTime = 0;
        m_chessTime = 0;
        m_dateTime = 0;
        m_cowAngle = 0.0f;

        // Two opaque white 32 x 32 squares on the diagonal, two fully transparent ones.
        {
            auto image = std::make_unique<TAV_ImageData>(64, 64, 4);
            unsigned char* pixel = image->m_data;
            for (int row = 0; row < 64; ++row) {
                for (int column = 0; column < 64; ++column) {
                    const bool white = (row < 32) == (column < 32);
                    const unsigned char value = white ? 255 : 0;
                    for (int channel = 0; channel < 4; ++channel)
                        *pixel++ = value;
                }
            }
            m_chessTexture = new TAV_Texture(image.release());  // the texture takes the image over
            m_chessTexture->setTexWrapParametri(GL_REPEAT, GL_REPEAT);
        }

        // One noise or board repetition per 2 units of an 800 x 800 unit quad.
        m_tilePlane = newPlane();
        editPlane(m_tilePlane, [](float& s, float& t, float& x, float& y) {
            x *= 800.0f;
            y *= 800.0f;
            s *= 400.0f;
            t *= 400.0f;
        });

        m_musicStarted = false;
        m_dotColor[0] = 1.0f;
        m_dotColor[1] = 0.38f;
        m_dotColor[2] = 0.08f;
        m_dotColor[3] = 1.0f;
        m_endTime = 52743;

        // Last, so that no sound is prepared for a demo that could not be built. The
        // results are not checked: without a device or a file the sound layer runs a
        // silent clock that still advances.
        FSOUND_Init(44100, 1, 1);
        m_stream = FSOUND_Stream_Open("data/ormund_france.ogg", 0x2000, 0, 0);
    } catch (...) {
        release();
        throw;
    }
}

LoadObject::~LoadObject()
{
    release();
}

void LoadObject::keyPressed(int key)
{
    if (key == kEscapeKey)
        TAV_Engine::getInstance()->exit();
}

size_t LoadObject::stateBytes() const
{
    return sizeof(SceneValues) + m_particles[0]->stateBytes() + m_particles[1]->stateBytes();
}

void LoadObject::saveState(unsigned char* to) const
{
    SceneValues values;
    values.loadTime = m_loadTime;
    values.chessTime = m_chessTime;
    values.dateTime = m_dateTime;
    values.endTime = m_endTime;
    values.musicStarted = m_musicStarted;
    values.cowAngle = m_cowAngle;
    std::memcpy(values.dotColor, m_dotColor, sizeof(values.dotColor));
    values.logoLevel = m_logoLevel;
    m_cowQube->saveState(values.cube);
    std::memcpy(to, &values, sizeof(values));
    to += sizeof(values);
    m_particles[0]->saveState(to);
    m_particles[1]->saveState(to + m_particles[0]->stateBytes());
}

void LoadObject::restoreState(const unsigned char* from)
{
    SceneValues values;
    std::memcpy(&values, from, sizeof(values));
    from += sizeof(values);
    m_loadTime = values.loadTime;
    m_chessTime = values.chessTime;
    m_dateTime = values.dateTime;
    m_endTime = values.endTime;
    m_musicStarted = values.musicStarted;
    m_cowAngle = values.cowAngle;
    std::memcpy(m_dotColor, values.dotColor, sizeof(m_dotColor));
    m_cowQube->restoreState(values.cube);
    m_particles[0]->restoreState(from);
    m_particles[1]->restoreState(from + m_particles[0]->stateBytes());
    // Texture state is no part of the OpenGL state snapshot: the level sections 7, 9, 14 and
    // 29 show the logo at is whatever the opening left.
    m_logoLevel = values.logoLevel;
    m_logoTexture->activate();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, m_logoLevel);
}

void LoadObject::clearBars()
{
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    const GLboolean scissorOn = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    if (scissorOn)
        glEnable(GL_SCISSOR_TEST);
}

void LoadObject::fitCopyTexture()
{
    const TAV_FrameMapping& frame = TAV_Window::m_frame;
    const TAV_FrameMapping::Rect& picture = frame.picture();
    if (picture.widthPx > m_copyTextureWidthPx || picture.heightPx > m_copyTextureHeightPx) {
        const bool firstTime = m_copyTexture == 0;
        int neededWidthPx = picture.widthPx;
        int neededHeightPx = picture.heightPx;
        if (firstTime && !frame.isIdentity() && TAV_Window::dpy) {
            // Room for the largest picture the screen holds, so that a window growing to
            // full size later needs no new texture.
            TAV_FrameMapping screenFrame;
            screenFrame.fit(DisplayWidth(TAV_Window::dpy, TAV_Window::screen),
                            DisplayHeight(TAV_Window::dpy, TAV_Window::screen), TAV_GLLimits::largestPictureWidthPx(),
                            TAV_GLLimits::largestPictureHeightPx());
            neededWidthPx = std::max(neededWidthPx, screenFrame.picture().widthPx);
            neededHeightPx = std::max(neededHeightPx, screenFrame.picture().heightPx);
        }
        if (firstTime)
            glGenTextures(1, &m_copyTexture);
        glBindTexture(GL_TEXTURE_2D, m_copyTexture);
        // Whatever the texture held is gone once it is defined anew: until one succeeds,
        // it has no size and no copy goes into it.
        m_copyTextureWidthPx = 0;
        m_copyTextureHeightPx = 0;
        // The room for the screen is a nicety; the picture itself is what must fit.
        const bool defined = defineCopyTexture(neededWidthPx, neededHeightPx)
            || (neededWidthPx != picture.widthPx || neededHeightPx != picture.heightPx
                ? defineCopyTexture(picture.widthPx, picture.heightPx)
                : false);
        if (!defined)
            std::fprintf(stderr, "Tavlen: no texture for frame copies of %d x %d; the effects built on them stay empty\n",
                         picture.widthPx, picture.heightPx);
    }
    // At 800 x 600: 800/1024 and 600/1024, exact in single precision.
    const float sMax = m_copyTextureWidthPx > 0 ? float(picture.widthPx) / float(m_copyTextureWidthPx) : 0.0f;
    const float tMax = m_copyTextureHeightPx > 0 ? float(picture.heightPx) / float(m_copyTextureHeightPx) : 0.0f;
    editPlane(m_copyPlane, [sMax, tMax](float& s, float& t, float&, float&) {
        s = (s > 0.0f) ? sMax : 0.0f;
        t = (t > 0.0f) ? tMax : 0.0f;
    });
    m_copiedWidthPx = picture.widthPx;
    m_copiedHeightPx = picture.heightPx;
}

bool LoadObject::defineCopyTexture(int neededWidthPx, int neededHeightPx)
{
    // A driver whose textures stop short of 1024 gets the picture's own size.
    const int limitPx = TAV_GLLimits::maxTextureSizePx();
    const int smallestPx = (limitPx > 0 && limitPx < kCopyTextureSizePx) ? 1 : kCopyTextureSizePx;
    const char* kind = "1024 x 1024";
    int widthPx = kCopyTextureSizePx;
    int heightPx = kCopyTextureSizePx;
    if (neededWidthPx > smallestPx || neededHeightPx > smallestPx) {
        if (TAV_GLLimits::hasNonPowerOfTwoTextures()) {
            kind = "non-power-of-two";
            widthPx = std::max(neededWidthPx, smallestPx);
            heightPx = std::max(neededHeightPx, smallestPx);
        } else {
            kind = "next power of two";
            widthPx = std::max(nextPowerOfTwo(neededWidthPx), smallestPx);
            heightPx = std::max(nextPowerOfTwo(neededHeightPx), smallestPx);
        }
    }
    if (!TAV_GLLimits::defineTexture2D(GL_RGBA, widthPx, heightPx, GL_RGBA)) {
        TAV_SYS_Log::getInstance()->log("/*Frame copies: no %d x %d texture (%s)", widthPx, heightPx, kind);
        return false;
    }
    TAV_SYS_Log::getInstance()->log("/*Frame copies: %d x %d texture (%s)", widthPx, heightPx, kind);
    // Zeros: the texels beside the copied corner are what the linear filter blends in at
    // the copy's edges. Cleared in strips, so no buffer the size of the screen is made.
    TAV_GLLimits::clearTexture2D(widthPx, heightPx);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    m_copyTextureWidthPx = widthPx;
    m_copyTextureHeightPx = heightPx;
    return true;
}

void LoadObject::release()
{
    // First, so that no key event can reach a scene that is half gone.
    // The dispatcher may be gone already when the engine is deleted with the scene still
    // shown; then there is nothing to remove from.
    if (m_listening && TAV_IO_Keyboard::m_ioKeyboard)
        TAV_IO_Keyboard::m_ioKeyboard->removeListener(*this);
    m_listening = false;
    // The stream, then the output that FSOUND_Init opened for it.
    if (m_stream) {
        FSOUND_Stream_Close(m_stream);
        m_stream = nullptr;
        FSOUND_Close();
    }
    deleteAndClear(m_cowQube);
    for (Particle*& swarm : m_particles)
        deleteAndClear(swarm);
    for (TAV_Texture** picture :
         {&m_logoTexture, &m_lensTexture, &m_demopeopleTexture, &m_cowTexture, &m_noiseTexture, &m_urlTexture,
          &m_ormTexture, &m_pennantTexture, &m_chessTexture, &m_dotTexture, &m_maskTexture, &m_noise1Texture,
          &m_backgroundTexture, &m_actTexture, &m_nobTexture, &m_sympaTexture, &m_ideeTexture,
          &m_creditsTexture})
        deleteAndClear(*picture);
    for (TAV_Texture*& card : m_datumTextures)
        deleteAndClear(card);
    for (TAV_ObjectData** plane :
         {&m_screenPlane, &m_bigPlane, &m_unitPlane, &m_copyPlane, &m_picturePlane, &m_tilePlane})
        deleteAndClear(*plane);
    if (m_copyTexture) {
        glDeleteTextures(1, &m_copyTexture);
        m_copyTexture = 0;
    }
    m_copyTextureWidthPx = 0;
    m_copyTextureHeightPx = 0;
}

// The choreography. update() runs the pre-roll on frame time, then lets the music's playback
// position pick one of 45 sections and performs that section's steps, then runs the closing
// cards on a clock of their own and asks the engine to exit.
//
// OpenGL state carries over from frame to frame (blend function, enables, colour, clear
// colour): every section's steps are complete and in order, and nothing is reset between
// frames. A clear colour set here takes effect at the next frame's clear, and at any clear
// later in this frame (shake clears).
#include "LoadObject.h"

#include <GL/gl.h>  // Required for: scissor, clear colour, blend function

#include <iterator>  // Required for: std::size()

#include "CowQube.h"
#include "core/TAV_Engine.h"
#include "core/TAV_Window.h"  // Required for: the band's scissor in design pixels

namespace {

// Pre-roll, in ms of frame time: nothing until 2000, the loading strip until PRE_ROLL_MS.
const int kEmptyPreRollMs = 2000;
const int kPreRollMs = LoadObject::PRE_ROLL_MS;

// Music time at which each section starts; a section lasts until the next one starts.
// Sections 1 to 39 follow a grid of 750 ms from 12000; the last ones are irregular, and
// the final entry is the start of the closing.
const int kSectionStartMs[] = {
    0,     12000, 12750, 13500, 14250, 15000, 15750, 16500, 17250, 18000, 18750, 19500,
    20250, 21000, 21750, 22500, 23250, 24000, 24750, 25500, 26250, 27000, 27750, 28500,
    29250, 30000, 30750, 31500, 32250, 33000, 33750, 34500, 35250, 36000, 36750, 37500,
    38250, 39000, 39750, 40500, 41250, 41618, 42743, 44743, 46743, 52743};
static_assert(std::size(kSectionStartMs) == LoadObject::SECTION_COUNT + 1, "45 sections and the closing");
const int kClosingEndMs = LoadObject::CLOSING_END_MS;  // limit of m_endTime

// Section 41's black flash restarts on these three hits, 375 ms apart.
const int kHitMs[3] = {41618, 41993, 42368};

void clearWhite() { glClearColor(1.0f, 1.0f, 1.0f, 1.0f); }
void clearBlack() { glClearColor(0.0f, 0.0f, 0.0f, 1.0f); }
void clearClearBlack() { glClearColor(0.0f, 0.0f, 0.0f, 0.0f); }
void clearOrange() { glClearColor(1.0f, 0.38f, 0.08f, 1.0f); }

void setColour(float* rgba, float r, float g, float b, float a)
{
    rgba[0] = r;
    rgba[1] = g;
    rgba[2] = b;
    rgba[3] = a;
}
void setWhite(float* rgba) { setColour(rgba, 1.0f, 1.0f, 1.0f, 1.0f); }
void setOrange(float* rgba) { setColour(rgba, 1.0f, 0.38f, 0.08f, 1.0f); }

// The LED figure starts breathing from its smallest size again.
void resetCube(CowQube* cube)
{
    cube->m_zoom = 1.0f;
    cube->m_zoomIn = true;
}

// Unlit LEDs turn white and stay so for the rest of the demo.
void cubeOffWhite(CowQube* cube)
{
    cube->m_offColor[0] = 1.0f;
    cube->m_offColor[1] = 1.0f;
    cube->m_offColor[2] = 1.0f;
}

const bool WHITE = true;
const bool BLACK = false;

}  // namespace

int LoadObject::sectionAt(int musicTimeMs)
{
    // One comparison per section boundary, in order of start time.
    int section = 0;
    while (section < SECTION_COUNT && musicTimeMs >= kSectionStartMs[section + 1])
        ++section;
    return section;
}

int LoadObject::sectionStartMs(int section)
{
    if (section <= 0)
        return 0;
    return kSectionStartMs[section < SECTION_COUNT ? section : SECTION_COUNT];
}

void LoadObject::update(int frameTime)
{
    const int ft = frameTime;
    glEnable(GL_SCISSOR_TEST);

    // Pre-roll: the tests use the clock before this frame's addition, so the music starts on
    // the first frame that finds 6000 ms or more.
    const int loadTimeMs = m_loadTime;
    if (loadTimeMs < kEmptyPreRollMs) {
        m_loadTime = loadTimeMs + ft;
        return;
    }
    if (loadTimeMs < kPreRollMs) {
        m_loadTime = loadTimeMs + ft;
        loading(m_loadTime - kEmptyPreRollMs);
        // So that the next frame's clear covers the whole window, bars included.
        glDisable(GL_SCISSOR_TEST);
        return;
    }

    if (!m_musicStarted) {
        m_musicStarted = true;
        FSOUND_Stream_Play(-1, m_stream);
    }
    // The one position query of the frame: the music is the clock.
    const int t = FSOUND_Stream_GetTime(m_stream);
    TAV_Window::m_frame.applyScissor(0, BAND_BOTTOM_PX, BAND_WIDTH_PX, BAND_HEIGHT_PX);

    const int section = sectionAt(t);
    const int from = kSectionStartMs[section];
    switch (section) {
    case 0:  // the logo condenses out of blur
        clearWhite();
        startLogo(ft, t);
        break;
    case 1:
        clearWhite();
        cowPart(ft, t, -1);
        mask(m_noise1Texture);
        flash(from, t, WHITE);
        break;
    case 2:
        setWhite(m_dotColor);
        mask(m_backgroundTexture);
        cow(ft, 8, false);
        shake(0.1f, 0.1f);
        flash(from, t, WHITE);
        break;
    case 3:
        clearWhite();
        cowPart(ft, t, 2);
        mask(m_maskTexture);
        if (t > 13800)
            textLayer(200, 150, 256, 128, m_actTexture, false);
        flash(from, t, WHITE);
        break;
    case 4:
        mask(m_backgroundTexture);
        cow(ft, 6, false);
        textLayer(200, 150, 256, 128, m_actTexture, false);
        shake(0.1f, 0.1f);
        flash(from, t, WHITE);
        break;
    case 5:
        clearBlack();
        chess(ft);
        mask(m_maskTexture);
        flash(from, t, WHITE);
        break;
    case 6:
        clearWhite();
        cowPart(ft, t, 3);
        cow(ft, 2, true);
        textLayer(160, 460, 256, 128, m_nobTexture, false);
        flash(from, t, WHITE);
        break;
    case 7:
        mask(m_backgroundTexture);
        textLayer(400, 300, 500, 500, m_logoTexture, true);
        noise(1.0f, 0.2f);
        flash(from, t, WHITE);
        break;
    case 8:
        clearOrange();
        textLayer(400, 350, 700, 350, m_ideeTexture, false);
        cow(ft, 7, false);
        flash(from, t, BLACK);
        break;
    case 9:
        clearWhite();
        mask(m_backgroundTexture);
        textLayer(400, 300, 500, 500, m_logoTexture, true);
        noise(1.0f, 0.2f);
        flash(from, t, WHITE);
        resetCube(m_cowQube);
        break;
    case 10:
        clearClearBlack();
        cow(ft, 7, false);
        copyTex();
        radialBlur();
        noise(1.0f, 0.2f);
        mask(m_maskTexture);
        flash(from, t, BLACK);
        break;
    case 11:
        clearBlack();
        chess(ft);
        mask(m_maskTexture);
        flash(from, t, WHITE);
        break;
    case 12:
        clearWhite();
        cowPart(ft, t, 3);
        cow(ft, 3, true);
        textLayer(160, 460, 256, 128, m_nobTexture, false);
        flash(from, t, WHITE);
        break;
    case 13:
        clearWhite();
        cowPart(ft, t, 2);
        cow(-ft, 3, true);
        flash(from, t, WHITE);
        break;
    case 14:
        mask(m_backgroundTexture);
        textLayer(400, 300, 500, 500, m_logoTexture, true);
        noise(1.0f, 0.2f);
        flash(from, t, WHITE);
        break;
    case 15:
        clearWhite();
        mask(m_cowQube->m_texture);
        shake(0.025f, 0.025f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        cow(ft, 4, true);
        mask(m_noise1Texture);
        flash(from, t, WHITE);
        break;
    case 16:
        clearBlack();
        chess(-ft);
        mask(m_maskTexture);
        flash(from, t, WHITE);
        break;
    case 17:
        clearWhite();
        mask(m_cowQube->m_texture);
        shake(0.025f, 0.025f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        cow(-ft, 4, true);
        mask(m_noise1Texture);
        flash(from, t, WHITE);
        break;
    case 18:
        clearWhite();
        cowPart(ft, t, 1);
        setOrange(m_dotColor);
        vDot(24750, t, 6, 100, 500, 60, 30, -0.1f);
        flash(from, t, WHITE);
        break;
    // Sections 19 to 26: the dot rows count from 25500 and step on by 750 ms of travel at
    // every section change.
    case 19:
        mask(m_backgroundTexture);
        textLayer(660, 200, 265, 128, m_sympaTexture, false);
        shake(0.025f, 0.025f);
        vDot(25500, t, 6, 100, 425, 60, 50, -0.1f);
        hDot(25500, t, 8, 830, 300, 60, 30, -0.2f);
        flash(from, t, WHITE);
        break;
    case 20:
        cubeOffWhite(m_cowQube);
        clearClearBlack();
        cow(ft, 5, true);
        copyTex();
        radialBlur();
        vDot(25500, t, 6, 100, 350, 60, 30, -0.1f);
        hDot(25500, t, 8, 680, 300, 60, 50, -0.2f);
        flash(from, t, WHITE);
        break;
    case 21:
        cow(-ft, 5, true);
        copyTex();
        radialBlur();
        vDot(25500, t, 6, 100, 275, 60, 50, -0.1f);
        hDot(25500, t, 8, 530, 300, 60, 30, -0.2f);
        flash(from, t, WHITE);
        break;
    case 22:
        clearBlack();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        chess(ft);
        shake(0.025f, 0.025f);
        noise(1.0f, 0.2f);
        mask(m_noise1Texture);
        vDot(25500, t, 6, 100, 200, 60, 50, -0.1f);
        hDot(25500, t, 8, 380, 300, 60, 30, -0.2f);
        flash(from, t, WHITE);
        break;
    case 23:
        setWhite(m_dotColor);
        mask(m_backgroundTexture);
        cow(ft, 8, false);
        shake(0.1f, 0.1f);
        setOrange(m_dotColor);
        vDot(25500, t, 6, 100, 125, 60, 30, -0.1f);
        hDot(25500, t, 8, 230, 300, 60, 50, -0.2f);
        flash(from, t, WHITE);
        break;
    case 24:
        clearWhite();
        cowPart(ft, t, -1);
        mask(m_noise1Texture);
        vDot(25500, t, 6, 100, 50, 60, 30, -0.1f);
        hDot(25500, t, 8, 80, 300, 60, 50, -0.2f);
        flash(from, t, WHITE);
        break;
    case 25:
        clearOrange();
        textLayer(400, 350, 700, 350, m_nobTexture, false);
        cow(ft, 7, false);
        vDot(25500, t, 6, 100, -25, 60, 30, -0.1f);
        hDot(25500, t, 8, -70, 300, 60, 50, -0.2f);
        flash(from, t, WHITE);
        break;
    case 26:
        clearWhite();
        cowPart(ft, t, 3);
        cow(-ft, 2, true);
        textLayer(160, 460, 256, 128, m_nobTexture, false);
        vDot(25500, t, 6, 100, -100, 60, 30, -0.1f);
        hDot(25500, t, 8, -220, 300, 60, 50, -0.2f);
        flash(from, t, WHITE);
        resetCube(m_cowQube);
        m_cowAngle = 0.0f;
        break;
    case 27:
        clearClearBlack();
        cow(ft, 7, false);
        copyTex();
        radialBlur();
        noise(1.0f, 0.2f);
        mask(m_maskTexture);
        flash(from, t, WHITE);
        break;
    case 28:
        clearClearBlack();
        cow(-ft, 7, false);
        copyTex();
        radialBlur();
        noise(1.0f, 0.2f);
        mask(m_maskTexture);
        flash(from, t, WHITE);
        break;
    case 29:
        clearWhite();
        mask(m_backgroundTexture);
        textLayer(400, 300, 500, 500, m_logoTexture, true);
        noise(1.0f, 0.2f);
        // The row that sections 30 to 33 continue, counted from this section's own start.
        hDot(33000, t, 8, 60, 500, 60, 50, 0.2f);
        flash(from, t, WHITE);
        break;
    // Sections 30 to 33: one row of dots counting from 33750, growing and shrinking.
    case 30:
        clearBlack();
        chess(ft);
        mask(m_maskTexture);
        hDot(33750, t, 8, 60, 500, 60, 30, 0.2f);
        flash(from, t, WHITE);
        break;
    case 31:
        clearWhite();
        cowPart(ft, t, -1);
        mask(m_noise1Texture);
        hDot(33750, t, 8, 60, 500, 60, 50, 0.2f);
        flash(from, t, WHITE);
        break;
    case 32:
        clearOrange();
        textLayer(400, 350, 700, 350, m_ideeTexture, false);
        cow(ft, 7, false);
        hDot(33750, t, 8, 60, 500, 60, 80, 0.2f);
        flash(from, t, WHITE);
        break;
    case 33:
        clearWhite();
        cowPart(ft, t, 3);
        cow(ft, 3, true);
        textLayer(160, 460, 256, 128, m_actTexture, false);
        hDot(33750, t, 8, 60, 500, 60, 50, 0.2f);
        flash(from, t, WHITE);
        break;
    case 34:
        clearWhite();
        cowPart(ft, t, 3);
        cow(-ft, 3, true);
        textLayer(160, 460, 256, 128, m_actTexture, false);
        flash(from, t, WHITE);
        break;
    case 35:
        clearBlack();
        chess(-ft);
        copyTex();
        radialBlur();
        flash(from, t, WHITE);
        break;
    case 36:
        clearWhite();
        noise(1.0f, 1.0f);
        flash(from, t, WHITE);
        break;
    case 37:
        cubeOffWhite(m_cowQube);
        clearClearBlack();
        cow(ft, 4, true);
        copyTex();
        radialBlur();
        flash(from, t, WHITE);
        break;
    case 38:
        clearClearBlack();
        cow(-ft, 4, true);
        copyTex();
        radialBlur();
        noise(1.0f, 0.2f);
        flash(from, t, WHITE);
        break;
    case 39:
        clearWhite();
        cowPart(ft, t, 2);
        mask(m_maskTexture);
        flash(from, t, WHITE);
        break;
    case 40:  // the break: an empty black band
        clearBlack();
        break;
    case 41: {  // three hits, each restarting the black flash
        clearWhite();
        cowPart(ft, t, 2);
        mask(m_maskTexture);
        const int hit = (t < kHitMs[1]) ? kHitMs[0] : (t < kHitMs[2]) ? kHitMs[1] : kHitMs[2];
        flash(hit, t, BLACK);
        break;
    }
    case 42:  // near-silence: black
        clearBlack();
        break;
    case 43:
        textLayer(400, 300, 256, 256, m_creditsTexture, false);
        flash(from, t, BLACK);
        break;
    case 44:
        textLayer(400, 300, 512, 512, m_ormTexture, false);
        flash(from, t, BLACK);
        break;
    default:  // the closing, on its own clock of frame time
        if (m_endTime >= kClosingEndMs) {
            TAV_Engine::getInstance()->exit();
            return;
        }
        date(ft);
        m_endTime += ft;
        break;
    }
}

// The demo's composed scenes: the condensing logo, the emblem, the LED figure, the particle
// portrait, the loading strip, the closing cards, the chessboard flight and the dot rows.
// They draw with the overlay mode and effects of LoadObjectEffects.cpp; the timeline calls
// them with the frame time and the music time.
#include "LoadObject.h"

#include <GL/gl.h>  // Required for: immediate OpenGL state and matrices

#include <cmath>  // Required for: sin(), cos(), fabs(), floor()

#include "CowQube.h"
#include "Particle.h"
#include "core/TAV_Window.h"  // Required for: the loading strip's scissor in design pixels
#include "geometry/TAV_ObjectData.h"
#include "image/TAV_Texture.h"
#include "math/TAV_MATH_Util.h"

namespace {

// startLogo: the logo condenses until 10500 ms of music, then pulses in sharpness.
const int kLogoSharpMs = 10500;
const int kLogoFirstPulsesEndMs = 10850;  // two pulses in the first 350 ms
const int kLogoLayers = 16;
const float kTwoPi = 6.2831855f;
const float kThreePi = 9.424778f;

// chess: the board drifts between these points with a cosine ease, 10 units of u apart;
// the sixth point closes the loop.
const float kChessPath[6][2] = {{-1.5f, 1.5f}, {1.5f, 2.5f}, {-1.5f, -0.5f},
                                {2.5f, -2.5f}, {1.5f, 0.5f}, {-1.5f, 1.5f}};
const int kChessBoards = 10;

// The orange pieces on each board, by board number modulo 5, as square centres in the
// board's mirrored frame; unused slots are empty.
struct PieceSet {
    int count;
    float centres[4][2];
};
const PieceSet kChessPieces[5] = {
    {3, {{-1.5f, -0.5f}, {1.5f, -1.5f}, {0.5f, 1.5f}, {0.0f, 0.0f}}},
    {4, {{-0.5f, -1.5f}, {-1.5f, -2.5f}, {2.5f, -4.5f}, {3.5f, -1.5f}}},
    {4, {{0.5f, -2.5f}, {0.5f, -0.5f}, {-2.5f, 0.5f}, {-1.5f, 1.5f}}},
    {4, {{-0.5f, 0.5f}, {-0.5f, 2.5f}, {1.5f, 2.5f}, {2.5f, 1.5f}}},
    {4, {{1.5f, 0.5f}, {0.5f, -2.5f}, {-1.5f, -0.5f}, {-2.5f, -1.5f}}},
};

const float kOrange[4] = {1.0f, 0.38f, 0.08f, 1.0f};

// date: five cards 1500 ms apart, each fading in and out over 750 ms, then the address.
const int kCardCount = 5;
const int kCardSpacingMs = 1500;
const int kCardFadeMs = 750;
const int kCardShownMs = 2250;
const int kAddressStartMs = 7500;

// Alpha of a card that started at startMs, at t.
float cardAlpha(int t, int startMs)
{
    if (t < startMs + kCardFadeMs)
        return float(t - startMs) / float(kCardFadeMs);
    if (t <= startMs + 2 * kCardFadeMs)
        return 1.0f;
    return 1.0f - float(t - startMs - 2 * kCardFadeMs) / float(kCardFadeMs);
}

}  // namespace

void LoadObject::startLogo(int /*frameTime*/, int time)
{
    enable2D(-400.0f, 400.0f, 300.0f, -300.0f);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);

    // 16 black layers at 20 %: where they agree the silhouette is solid.
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, 0.2f);
    m_logoTexture->activate();

    glPushMatrix();
    const float scale = (time <= 9999) ? float(time) * 0.00008f : 0.8f;
    glScalef(scale, scale, scale);

    // Before 10500 ms the spread a shrinks with time and so does the blur: k / 40 is the
    // mipmap level, and the layers past 2.5 x i < k mod 40 take one level less.
    const float spread = float(kLogoSharpMs - time) * 0.025f;
    const int spreadSteps = int(spread);
    const int level = spreadSteps / 40;
    const int remainder = spreadSteps % 40;
    float dx = 0.0f;
    float dy = 0.0f;
    for (int layer = 0; layer < kLogoLayers; ++layer) {
        int baseLevel;
        if (time < kLogoSharpMs) {
            if (spread > 0.0f) {
                dx = TAV_MATH_Util::randomf(spread);
                dy = TAV_MATH_Util::randomf(spread);
            } else {
                dx = 0.0f;
                dy = 0.0f;
            }
            baseLevel = (float(remainder) - 2.5f * float(layer) <= 0.0f) ? level - 1 : level;
        } else {
            const float phase = (time < kLogoFirstPulsesEndMs)
                                    ? float(time - kLogoSharpMs) * kTwoPi / 350.0f
                                    : float(time - kLogoFirstPulsesEndMs) * kThreePi / 1150.0f;
            baseLevel = int(std::fabs(std::sin(phase)) * 4.0f);
        }
        // The logo is minified with plain GL_LINEAR, so the base level alone picks the
        // mipmap image shown: higher levels look blurrier.
        m_logoLevel = baseLevel < 0 ? 0 : baseLevel;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, m_logoLevel);
        glPushMatrix();
        glTranslatef(dx, dy, 0.0f);
        m_screenPlane->renderData();
        glPopMatrix();
    }
    // Both pushes above are undone here, so the model-view stack is as the frame began.
    glPopMatrix();
    glPopMatrix();

    noise(1.0f, 0.2f);

    // The lens turns by 70 degrees during the tenth second.
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    m_lensTexture->activate();
    glPushMatrix();
    float lensAngle = 0.0f;
    if (time > 9000) {
        lensAngle = float(time - 9000) * 0.07f;
        if (lensAngle > 70.0f)
            lensAngle = 70.0f;
    }
    glRotatef(lensAngle, 0.0f, 0.0f, -1.0f);
    m_bigPlane->renderData();
    glPopMatrix();

    // The pennant trembles in the lower left.
    m_pennantTexture->activate();
    glPushMatrix();
    const float ty = TAV_MATH_Util::randomf(20.0f) + 200.0f;
    const float tx = TAV_MATH_Util::randomf(4.0f) - 270.0f;
    glTranslatef(tx, ty, 1.0f);
    glRotatef(TAV_MATH_Util::randomf(2.0f) * 10.0f, 0.0f, 0.0f, 1.0f);
    glScalef(256.0f, 128.0f, 1.0f);
    m_unitPlane->renderData();
    glPopMatrix();

    disable2D();
}

void LoadObject::ormLogo()
{
    enable2D(-0.5f, 0.5f, -0.5f, 0.5f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    m_ormTexture->activate();
    m_picturePlane->renderData();  // its negated y puts the picture's top at the top
    disable2D();
}

void LoadObject::cow(int frameTime, int pattern, bool rotate)
{
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -20.0f);
    if (rotate) {
        m_cowAngle += float(frameTime) * 0.1f;  // 100 degrees per second
        glRotatef(m_cowAngle, 1.0f, 1.0f, 0.0f);
    }
    switch (pattern) {
    case 1: m_cowQube->draw(frameTime); break;
    case 2: m_cowQube->drawLedDot(frameTime); break;
    case 3: m_cowQube->drawLedLine(frameTime); break;
    case 4: m_cowQube->drawLedDoubleLine(frameTime); break;
    case 5: m_cowQube->drawLedRing(frameTime); break;
    case 6: m_cowQube->drawPuls(frameTime); break;
    case 7: m_cowQube->drawRot(frameTime); break;
    case 8: m_cowQube->draw(m_dotColor[0], m_dotColor[1], m_dotColor[2], m_dotColor[3]); break;
    default: break;
    }
    glPopMatrix();
}

void LoadObject::cowPart(int frameTime, int time, int mode)
{
    m_particles[0]->update(frameTime);
    m_particles[1]->update(frameTime);

    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);

    enable2D(0.0f, 800.0f, 600.0f, 0.0f);
    m_particles[0]->draw();
    m_particles[1]->draw();

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    m_demopeopleTexture->activate();
    glPushMatrix();
    // Modes 2 and 3 breathe between 256 and 512 pixels wide; 3 hangs upside down.
    const float breathWidth = float(std::fabs(std::sin(time * 0.1)) * 256.0 + 256.0);
    const bool portrait = mode >= 1 && mode <= 3;
    if (mode == 1) {
        glTranslatef(672.0f, 300.0f, 0.0f);
        glScalef(256.0f, 512.0f, 1.0f);
    } else if (mode == 2) {
        glTranslatef(672.0f, 300.0f, 0.0f);
        glScalef(breathWidth, 512.0f, 1.0f);
    } else if (mode == 3) {
        glTranslatef(672.0f, 300.0f, 0.0f);
        glScalef(breathWidth, -512.0f, 1.0f);
    }
    if (portrait)
        m_unitPlane->renderData();
    glPopMatrix();
    disable2D();
}

void LoadObject::loading(int time)
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    enable2D(-400.0f, 400.0f, -300.0f, 300.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // A 40-pixel strip moving right at 200 pixels per second; the timeline restores the box.
    TAV_Window::m_frame.applyScissor(int(float(time) * 0.2f), 0, 40, 600);
    m_cowTexture->activate();
    glPushMatrix();
    glScalef(40.0f, 40.0f, 1.0f);
    m_cowQube->draw(1.0f, 1.0f, 1.0f, 1.0f);  // untextured: the LEDs appear plain white
    glPopMatrix();
    disable2D();
}

void LoadObject::date(int frameTime)
{
    m_dateTime += frameTime;
    const int t = m_dateTime;

    enable2D(-400.0f, 400.0f, 300.0f, -300.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);

    // Each card's fade-out overlaps the next one's fade-in.
    for (int card = 0; card < kCardCount; ++card) {
        const int startMs = card * kCardSpacingMs;
        const bool shown = (card == 0 || startMs < t) && t < startMs + kCardShownMs;
        if (!shown)
            continue;
        const float widthPx = (card < 3) ? 256.0f : 512.0f;
        glColor4f(1.0f, 1.0f, 1.0f, cardAlpha(t, startMs));
        m_datumTextures[card]->activate();
        glPushMatrix();
        glScalef(widthPx, 256.0f, 1.0f);
        m_unitPlane->renderData();
        glPopMatrix();
    }
    if (t > kAddressStartMs) {
        const float alpha = (t < kAddressStartMs + kCardFadeMs)
                                ? float(t - kAddressStartMs) / float(kCardFadeMs)
                                : 1.0f;
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
        m_urlTexture->activate();
        glPushMatrix();
        glScalef(512.0f, 256.0f, 1.0f);
        m_unitPlane->renderData();
        glPopMatrix();
    }
    disable2D();
}

void LoadObject::chess(int frameTime)
{
    m_chessTime += frameTime;

    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    m_chessTexture->activate();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);  // hard square edges

    glPushMatrix();
    // The boards approach at 10 units per second; the drift repeats every 50 units of u.
    float z = float(m_chessTime) * 0.01f - 100.0f;
    float u = z + 200.0f;
    while (u > 50.0f)
        u -= 50.0f;
    // A clock run backwards past 0 would leave the path; wrap it the other way as well.
    while (u < 0.0f)
        u += 50.0f;
    int segment = int(std::floor(u / 10.0f));
    if (segment > 4)
        segment = 4;  // u = 50 is the end of the last segment
    const float f = (u - 10.0f * float(segment)) / 10.0f;
    const float ease = float((1.0 - std::cos(3.141592653 * f)) / 2.0);
    const float* from = kChessPath[segment];
    const float* to = kChessPath[segment + 1];
    glTranslatef(from[0] * (1.0f - ease) + to[0] * ease, from[1] * (1.0f - ease) + to[1] * ease, z);

    for (int board = 0; board < kChessBoards; ++board) {
        m_chessTexture->activate();
        z += 10.0f;
        // Far boards are black and brighten as they come near.
        const float grey = (z >= -50.0f) ? 1.0f + z / 50.0f : 0.0f;
        glColor4f(grey, grey, grey, 1.0f);
        glTranslatef(0.0f, 0.0f, 10.0f);
        m_tilePlane->renderData();

        glColor4fv(kOrange);
        m_cowTexture->activate();
        glPushMatrix();
        glScalef(1.0f, -1.0f, 1.0f);
        const PieceSet& pieces = kChessPieces[board % 5];
        float atX = 0.0f;
        float atY = 0.0f;
        for (int i = 0; i < pieces.count; ++i) {
            glTranslatef(pieces.centres[i][0] - atX, pieces.centres[i][1] - atY, 0.0f);
            atX = pieces.centres[i][0];
            atY = pieces.centres[i][1];
            m_unitPlane->renderData();
        }
        glPopMatrix();
    }
    glPopMatrix();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);  // the cow picture, bound last
}

void LoadObject::hDot(int from, int to, int count, int x, int y, int spacing, int size, float speed)
{
    dotLine(float(x) + float(to - from) * speed, float(y), float(spacing), 0.0f, count, size);
}

void LoadObject::vDot(int from, int to, int count, int x, int y, int spacing, int size, float speed)
{
    dotLine(float(x), float(y) + float(to - from) * speed, 0.0f, float(spacing), count, size);
}

void LoadObject::dotLine(float x, float y, float stepX, float stepY, int count, int size)
{
    enable2D(0.0f, 800.0f, 600.0f, 0.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    m_dotTexture->activate();
    glColor4fv(m_dotColor);
    for (int k = 0; k < count; ++k) {
        glPushMatrix();
        glTranslatef(x + float(k) * stepX, y + float(k) * stepY, 0.0f);
        glScalef(float(size), float(size), 1.0f);
        m_unitPlane->renderData();
        glPopMatrix();
    }
    disable2D();
}

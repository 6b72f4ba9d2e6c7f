#include "HeadsUpLine.h"

#include <GL/gl.h>  // Required for: the attribute and matrix stacks, immediate-mode quads

#include <algorithm>  // Required for: std::min(), std::max()
#include <cstdio>     // Required for: snprintf()

#include "BitmapFont.h"
#include "LoadObject.h"
#include "core/TAV_Window.h"  // Required for: the picture and its band on the window (m_frame)

namespace {

// The letterbox band the demo draws in and clears every frame, in design pixels.
const int kBandBottomPx = 44;
const int kBandWidthPx = 800;
const int kBandHeightPx = 512;
// Characters a full line has at most, typed time included: the scale keeps them in the band.
const int kFullLineCharacters = 76;
// Font pixels around the text on its backing, and between backing and band edge.
const int kPaddingPx = 3;
const int kMarginPx = 4;
const float kBackingAlpha = 0.72f;

}  // namespace

void HeadsUpLine::update(int)
{
    Reading reading;
    source.readHeadsUp(reading);
    if (!shown && reading.typed[0] == '\0')
        return;
    char text[MAX_TEXT];
    format(reading, text);
    draw(text);
}

void HeadsUpLine::format(const Reading& reading, char (&text)[MAX_TEXT])
{
    char position[48];
    if (reading.inPreRoll) {
        std::snprintf(position, sizeof(position), "pre-roll %d ms", reading.loadTimeMs);
    } else {
        const int section = LoadObject::sectionAt(reading.musicTimeMs);
        if (section >= LoadObject::SECTION_COUNT)
            std::snprintf(position, sizeof(position), "%d ms  closing from %d", reading.musicTimeMs,
                          LoadObject::sectionStartMs(section));
        else
            std::snprintf(position, sizeof(position), "%d ms  section %d: %d-%d", reading.musicTimeMs, section,
                          LoadObject::sectionStartMs(section), LoadObject::sectionStartMs(section + 1));
    }
    const char* state = reading.heldAtEnd ? "end, held" : reading.paused ? "paused" : "playing";
    const int length = std::snprintf(text, MAX_TEXT, "%s  %s  %s  frame %.1f ms  %d fps", position, reading.speedLabel,
                                     state, reading.frameTimeMs, reading.framesPerSecond);
    if (reading.typed[0] != '\0' && length > 0 && length < MAX_TEXT)
        std::snprintf(text + length, size_t(MAX_TEXT - length), "  go to %s_", reading.typed);
}

int HeadsUpLine::scaleFor(int pictureWidthPx)
{
    const int lineWidthPx = BitmapFont::GLYPH_ADVANCE * kFullLineCharacters + 2 * (kPaddingPx + kMarginPx);
    return std::min(3, std::max(1, pictureWidthPx / lineWidthPx));
}

void HeadsUpLine::draw(const char* text) const
{
    const TAV_FrameMapping& frame = TAV_Window::m_frame;
    const TAV_FrameMapping::Rect band = frame.toDevice(0, kBandBottomPx, kBandWidthPx, kBandHeightPx);
    const int scale = scaleFor(band.widthPx);
    const int leftPx = band.xPx + (kMarginPx + kPaddingPx) * scale;
    const int bottomPx = band.yPx + (kMarginPx + kPaddingPx) * scale;
    const int topPx = bottomPx + BitmapFont::GLYPH_HEIGHT * scale;
    // A line too long for the band is cut by the backing's edge, never drawn outside it.
    const int backingRightPx =
        std::min(leftPx + BitmapFont::textWidthPx(text, scale) + kPaddingPx * scale, band.xPx + band.widthPx);
    const int paddingPx = kPaddingPx * scale;

    // Every piece of state the scene carries into its next frame is put back.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum capability : {GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_COLOR_MATERIAL, GL_FOG,
                              GL_ALPHA_TEST, GL_STENCIL_TEST, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_POLYGON_STIPPLE,
                              GL_COLOR_LOGIC_OP, GL_DITHER})
        glDisable(capability);
    glEnable(GL_SCISSOR_TEST);
    glScissor(band.xPx, band.yPx, band.widthPx, band.heightPx);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, frame.windowWidthPx(), frame.windowHeightPx());
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, frame.windowWidthPx(), 0.0, frame.windowHeightPx(), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, kBackingAlpha);
    glBegin(GL_QUADS);
    glVertex2i(leftPx - paddingPx, bottomPx - paddingPx);
    glVertex2i(backingRightPx, bottomPx - paddingPx);
    glVertex2i(backingRightPx, topPx + paddingPx);
    glVertex2i(leftPx - paddingPx, topPx + paddingPx);
    glEnd();
    glDisable(GL_BLEND);
    glScissor(leftPx - paddingPx, band.yPx, backingRightPx - (leftPx - paddingPx), band.heightPx);
    glColor4f(0.92f, 0.92f, 0.86f, 1.0f);
    glBegin(GL_QUADS);
    BitmapFont::drawQuads(text, leftPx, topPx, scale);
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

#include "CowQube.h"

#include <GL/gl.h>  // Required for: matrix stack, colour, enables, texture coordinate generation

#include <cassert>  // Required for: assert()
#include <cmath>    // Required for: std::fabs()
#include <memory>   // Required for: std::unique_ptr (construction that may throw half-way)

// Required for: TAV_ObjectData::renderData()
#include "geometry/TAV_ObjectData.h"
// Required for: TAV_ObjectFactory::createCubeData()
#include "geometry/TAV_ObjectFactory.h"
// Required for: TAV_PNGLoader::loadPNG()
#include "image/TAV_PNGLoader.h"
// Required for: TAV_Texture::activate()
#include "image/TAV_Texture.h"

namespace {

const char* const COW_PICTURE = "data/cow_cube.png";

const float START_ZOOM = 3.0f;
const float MIN_ZOOM = 1.0f;
const float MAX_ZOOM = 5.0f;
// One way between the two zoom bounds takes 2 seconds.
const float ZOOM_PER_MS = 0.002f;

// A lit LED is drawn 2 % larger; the scale comes before the translation, so it also moves
// 2 % outward and stands a little in front of its unlit neighbours.
const float LIT_SCALE = 1.02f;

// Lighting rules, per pattern clock in ms.
const float DOT_SQUARED_RADIUS_PER_MS = 0.07f;   // the disc's squared radius grows 70 per second
const float RING_SQUARED_WIDTH = 10.0f;          // the ring is a band 10 wide in squared distance
const float LINE_UNITS_PER_MS = 0.02f;           // the bar moves 20 units per second ...
const float LINE_START_X = -7.5f;                // ... entering from the left edge of the figure
const float DOUBLE_LINE_UNITS_PER_MS = 0.01f;    // the two bars move apart at 10 units per second
const float BAR_WIDTH = 1.0f;

// drawPuls: the figure starts one unit behind its plane and comes closer 10 units per second.
const float PULS_UNITS_PER_MS = 0.01f;
const float PULS_START_Z = -1.0f;

// drawRot twists each LED by (zoom - 1) * (x + y) * 50 degrees about (1, 1, 0).
const float TWIST_DEG_PER_UNIT = 50.0f;

// The two slanted rows run 63 degrees below the horizontal; their steps are the sine and
// cosine of 27 degrees.
const float SLANT_START_X = 5.2814918f;
const float SLANT_START_Y = 3.3275015f;
const float SLANT_STEP_X = 0.4539905f;
const float SLANT_STEP_Y = 0.8910065f;
const float SLANT_ANGLE_DEG = 63.0f;
const int RIGHT_SLANT_FIRST = 54;
const int LEFT_SLANT_FIRST = 58;
const int SLANT_LENGTH = 4;

// Appends the LED at (x, y) in the plane z = 0.
void putLed(float*& cursor, float x, float y)
{
    *cursor++ = x;
    *cursor++ = y;
    *cursor++ = 0.0f;
}

// Writes the 62 LED positions in their fixed order; the order matters, since the two
// slanted rows are recognised by index when they are drawn.
void layOutFigure(float* points)
{
    float* cursor = points;
    // Rows at y = 2 (10 LEDs) and y = 0 (14 LEDs), growing outward in pairs from the middle.
    for (int k = 0; k < 5; ++k) {
        putLed(cursor, 0.5f + float(k), 2.0f);
        putLed(cursor, -0.5f - float(k), 2.0f);
    }
    for (int k = 0; k < 7; ++k) {
        putLed(cursor, 0.5f + float(k), 0.0f);
        putLed(cursor, -0.5f - float(k), 0.0f);
    }
    // The short bottom row at y = -4.
    for (int k = 0; k < 3; ++k) {
        putLed(cursor, 0.5f + float(k), -4.0f);
        putLed(cursor, -0.5f - float(k), -4.0f);
    }
    // The two ears' stubs.
    putLed(cursor, 5.0f, 2.5f);
    putLed(cursor, -5.0f, 2.5f);
    putLed(cursor, 5.0f, 3.5f);
    putLed(cursor, -5.0f, 3.5f);
    // Two outer columns at x = +-3, then two inner ones at x = +-1.
    for (int k = 0; k < 6; ++k) {
        putLed(cursor, 3.0f, 1.5f - float(k));
        putLed(cursor, -3.0f, 1.5f - float(k));
    }
    for (int k = 0; k < 4; ++k) {
        putLed(cursor, 1.0f, 1.5f - float(k));
        putLed(cursor, -1.0f, 1.5f - float(k));
    }
    // The slanted rows: each LED is the previous one plus a step, added in single
    // precision, so the positions carry that rounding exactly.
    float x = SLANT_START_X;
    float y = SLANT_START_Y;
    for (int k = 0; k < SLANT_LENGTH; ++k, x += SLANT_STEP_X, y -= SLANT_STEP_Y)
        putLed(cursor, x, y);
    x = -SLANT_START_X;
    y = SLANT_START_Y;
    for (int k = 0; k < SLANT_LENGTH; ++k, x -= SLANT_STEP_X, y -= SLANT_STEP_Y)
        putLed(cursor, x, y);
    assert(cursor == points + 3 * CowQube::LED_COUNT);
}

// Turns the LEDs of the slanted rows along their rows; identity for every other LED.
void alignSlantedLed(int index)
{
    if (index >= RIGHT_SLANT_FIRST && index < RIGHT_SLANT_FIRST + SLANT_LENGTH)
        glRotatef(-SLANT_ANGLE_DEG, 0.0f, 0.0f, 1.0f);
    else if (index >= LEFT_SLANT_FIRST && index < LEFT_SLANT_FIRST + SLANT_LENGTH)
        glRotatef(SLANT_ANGLE_DEG, 0.0f, 0.0f, 1.0f);
}

// The loop every pattern draws with: depth-tested, back-face-culled cubes, one per LED.
// placeLed(index, x, y, z) sets the LED's colour and transform on a freshly pushed matrix.
template <typename PlaceLed>
void drawLeds(const float* points, TAV_ObjectData* ledMesh, PlaceLed placeLed)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    for (int i = 0; i < CowQube::LED_COUNT; ++i) {
        const float* p = points + 3 * i;
        glPushMatrix();
        placeLed(i, p[0], p[1], p[2]);
        alignSlantedLed(i);
        ledMesh->renderData();
        glPopMatrix();
    }
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

}  // namespace

CowQube::CowQube()
    : m_points(nullptr),
      m_ledMesh(nullptr),
      m_zoom(START_ZOOM),
      m_zoomIn(false),
      m_texture(nullptr),
      m_drawTime(0),
      m_rotTime(0),
      m_dotTime(0),
      m_ringTime(0),
      m_lineTime(0),
      m_doubleLineTime(0),
      m_onColor{1.0f, 0.38f, 0.08f},
      m_offColor{0.0f, 0.0f, 0.0f},
      m_pulsTime(0)
{
    // The two unused slots stay zero.
    std::unique_ptr<float[]> points(new float[3 * LED_CAPACITY]());
    layOutFigure(points.get());
    std::unique_ptr<TAV_ObjectData> ledMesh(TAV_ObjectFactory::createCubeData(true, true));
    m_texture = TAV_PNGLoader::loadPNG(COW_PICTURE, false);
    m_points = points.release();
    m_ledMesh = ledMesh.release();
}

CowQube::~CowQube()
{
    // The cube loaded its picture itself, so it releases it too; the demo scene only
    // borrows it as a mask.
    delete m_texture;
    delete m_ledMesh;
    delete[] m_points;
}

void CowQube::draw(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a);
    glDisable(GL_TEXTURE_2D);
    drawLeds(m_points, m_ledMesh, [](int, float x, float y, float z) { glTranslatef(x, y, z); });
}

void CowQube::drawPuls(int frameTime)
{
    m_pulsTime += frameTime;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_TEXTURE_2D);
    const float z = float(m_pulsTime) * PULS_UNITS_PER_MS + PULS_START_Z;
    drawLeds(m_points, m_ledMesh, [z](int, float x, float y, float) { glTranslatef(x, y, z); });
}

void CowQube::drawLedDot(int frameTime)
{
    m_dotTime += frameTime;
    drawLitPattern(LED_DOT);
}

void CowQube::drawLedRing(int frameTime)
{
    m_ringTime += frameTime;
    drawLitPattern(LED_RING);
}

void CowQube::drawLedLine(int frameTime)
{
    m_lineTime += frameTime;
    drawLitPattern(LED_LINE);
}

void CowQube::drawLedDoubleLine(int frameTime)
{
    m_doubleLineTime += frameTime;
    drawLitPattern(LED_DOUBLE_LINE);
}

void CowQube::draw(int frameTime)
{
    m_drawTime += frameTime;
    drawBreathing(false, frameTime);
}

void CowQube::drawRot(int frameTime)
{
    m_rotTime += frameTime;
    drawBreathing(true, frameTime);
}

bool CowQube::isLit(LedPattern pattern, int index) const
{
    assert(index >= 0 && index < LED_COUNT);
    const float x = m_points[3 * index];
    const float y = m_points[3 * index + 1];
    const float squaredDistance = x * x + y * y;
    // All comparisons are strict: an LED exactly on an edge stays dark.
    switch (pattern) {
    case LED_DOT: {
        const float squaredRadius = float(m_dotTime) * DOT_SQUARED_RADIUS_PER_MS;
        return squaredDistance < squaredRadius;
    }
    case LED_RING: {
        const float squaredRadius = float(m_ringTime) * DOT_SQUARED_RADIUS_PER_MS;
        return squaredRadius - RING_SQUARED_WIDTH < squaredDistance && squaredDistance < squaredRadius;
    }
    case LED_LINE: {
        const float rightEdge = float(m_lineTime) * LINE_UNITS_PER_MS + LINE_START_X;
        return rightEdge - BAR_WIDTH < x && x < rightEdge;
    }
    case LED_DOUBLE_LINE: {
        const float outerEdge = float(m_doubleLineTime) * DOUBLE_LINE_UNITS_PER_MS;
        const float distance = std::fabs(x);
        return outerEdge - BAR_WIDTH < distance && distance < outerEdge;
    }
    }
    return false;
}

void CowQube::saveState(State& to) const
{
    to.zoom = m_zoom;
    to.zoomIn = m_zoomIn;
    to.drawTime = m_drawTime;
    to.rotTime = m_rotTime;
    to.dotTime = m_dotTime;
    to.ringTime = m_ringTime;
    to.lineTime = m_lineTime;
    to.doubleLineTime = m_doubleLineTime;
    to.pulsTime = m_pulsTime;
    for (int i = 0; i < 3; ++i) {
        to.onColor[i] = m_onColor[i];
        to.offColor[i] = m_offColor[i];
    }
}

void CowQube::restoreState(const State& from)
{
    m_zoom = from.zoom;
    m_zoomIn = from.zoomIn;
    m_drawTime = from.drawTime;
    m_rotTime = from.rotTime;
    m_dotTime = from.dotTime;
    m_ringTime = from.ringTime;
    m_lineTime = from.lineTime;
    m_doubleLineTime = from.doubleLineTime;
    m_pulsTime = from.pulsTime;
    for (int i = 0; i < 3; ++i) {
        m_onColor[i] = from.onColor[i];
        m_offColor[i] = from.offColor[i];
    }
}

void CowQube::drawLitPattern(LedPattern pattern)
{
    glDisable(GL_TEXTURE_2D);
    drawLeds(m_points, m_ledMesh, [this, pattern](int i, float x, float y, float z) {
        if (isLit(pattern, i)) {
            glColor4f(m_onColor[0], m_onColor[1], m_onColor[2], 1.0f);
            glScalef(LIT_SCALE, LIT_SCALE, LIT_SCALE);
        } else {
            glColor4f(m_offColor[0], m_offColor[1], m_offColor[2], 1.0f);
        }
        glTranslatef(x, y, z);
    });
}

void CowQube::breathe(int frameTimeMs)
{
    const float step = float(frameTimeMs) * ZOOM_PER_MS;
    m_zoom += m_zoomIn ? step : -step;
    if (m_zoom > MAX_ZOOM) {
        m_zoom = MAX_ZOOM;
        m_zoomIn = !m_zoomIn;
    } else if (m_zoom < MIN_ZOOM) {
        m_zoom = MIN_ZOOM;
        m_zoomIn = !m_zoomIn;
    }
}

void CowQube::drawBreathing(bool twisted, int frameTimeMs)
{
    m_texture->activate();
    glEnable(GL_TEXTURE_2D);
    // The cow picture is reflected on the cubes: texture coordinates come from the normals.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);

    breathe(frameTimeMs);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    const float zoom = m_zoom;
    drawLeds(m_points, m_ledMesh, [zoom, twisted](int, float x, float y, float z) {
        // Flat at zoom 1; the further out the figure breathes, the more each LED turns.
        if (twisted)
            glRotatef((zoom - 1.0f) * (x + y) * TWIST_DEG_PER_UNIT, 1.0f, 1.0f, 0.0f);
        glTranslatef(x * zoom, y * zoom, z * zoom);
    });

    // Texturing itself stays on, as the following effects expect.
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

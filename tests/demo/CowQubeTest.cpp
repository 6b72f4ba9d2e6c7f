// The LED figure: its layout, its lighting rules as drawn (read back through OpenGL's
// feedback mode, which reports every drawn triangle with its colour), its breathing, and
// its sphere-mapped picture (pixels read back, the frame written to PNG).
#include <gtest/gtest.h>

#include <GL/gl.h>   // Required for: feedback mode, matrices, state queries
#include <GL/glu.h>  // Required for: gluPerspective(), gluProject()

#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CowQube.h"
#include "image/TAV_Texture.h"
#include "support/TestFiles.h"
#include "support/TestGLContext.h"
#include "sys/TAV_Exception.h"

namespace {

// A 64 x 64 cow hide in greens, so the sphere-mapped cubes are told from plain white ones.
std::vector<uint8_t> cowHide()
{
    const int sizePx = 64;
    std::vector<uint8_t> rgba(size_t(sizePx) * sizePx * 4);
    for (int y = 0; y < sizePx; ++y) {
        for (int x = 0; x < sizePx; ++x) {
            const float dx1 = float(x - 18), dy1 = float(y - 22);
            const float dx2 = float(x - 45), dy2 = float(y - 44);
            const bool spot = dx1 * dx1 + dy1 * dy1 < 120.0f || dx2 * dx2 * 0.5f + dy2 * dy2 < 90.0f;
            uint8_t* p = &rgba[(size_t(y) * sizePx + x) * 4];
            p[0] = spot ? 20 : 70;
            p[1] = spot ? 90 : 220;
            p[2] = spot ? 40 : 100;
            p[3] = 255;
        }
    }
    return rgba;
}

// One triangle as drawn, in window coordinates, with its colour.
struct DrawnTriangle {
    float x[3], y[3], z[3];
    float rgba[4];

    float area() const { return std::fabs((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0])) * 0.5f; }
};

// Runs `draw` in feedback mode and returns the triangles OpenGL would have rasterised.
template <typename Draw>
std::vector<DrawnTriangle> captureTriangles(Draw draw)
{
    // x, y, z and RGBA per vertex.
    const int floatsPerVertex = 7;
    std::vector<GLfloat> buffer(1 << 17);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GT(used, 0) << "feedback buffer overflowed or nothing was drawn";

    std::vector<DrawnTriangle> triangles;
    for (GLint i = 0; i < used;) {
        const GLint token = GLint(buffer[size_t(i++)]);
        if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        }
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const int vertices = int(buffer[size_t(i++)]);
        if (vertices == 3) {
            DrawnTriangle t;
            for (int v = 0; v < 3; ++v) {
                const GLfloat* f = &buffer[size_t(i + v * floatsPerVertex)];
                t.x[v] = f[0];
                t.y[v] = f[1];
                t.z[v] = f[2];
                if (v == 0)
                    for (int c = 0; c < 4; ++c)
                        t.rgba[c] = f[3 + c];
            }
            triangles.push_back(t);
        }
        i += vertices * floatsPerVertex;
    }
    return triangles;
}

// The faces turned to the viewer: in the front view every LED shows exactly one square,
// two triangles, while its side faces are seen edge-on.
std::vector<DrawnTriangle> frontFaces(const std::vector<DrawnTriangle>& all)
{
    std::vector<DrawnTriangle> front;
    for (const DrawnTriangle& t : all)
        if (t.area() > 1.0f)
            front.push_back(t);
    return front;
}

// Orientation of a drawn square modulo 90 degrees, from the two legs of one of its
// right-angled halves (the longest edge is the diagonal).
float squareAngleDeg(const DrawnTriangle& t)
{
    int diagonal = 0;
    float longest = 0.0f;
    for (int e = 0; e < 3; ++e) {
        const float dx = t.x[(e + 1) % 3] - t.x[e], dy = t.y[(e + 1) % 3] - t.y[e];
        if (dx * dx + dy * dy > longest) {
            longest = dx * dx + dy * dy;
            diagonal = e;
        }
    }
    const int leg = (diagonal + 1) % 3;
    const float dx = t.x[(leg + 1) % 3] - t.x[leg], dy = t.y[(leg + 1) % 3] - t.y[leg];
    float angle = std::fmod(std::atan2(dy, dx) * 180.0f / 3.14159265f + 360.0f, 90.0f);
    if (angle > 89.9f)
        angle -= 90.0f;
    return angle;
}

bool isColor(const float* rgba, float r, float g, float b)
{
    return std::fabs(rgba[0] - r) < 1e-3f && std::fabs(rgba[1] - g) < 1e-3f && std::fabs(rgba[2] - b) < 1e-3f;
}

// Front view of the figure plane: orthographic, origin at the centre, 40 pixels per unit
// unless a wider view is asked for.
void useFrontView(double halfWidthUnits = 10.0)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-halfWidthUnits, halfWidthUnits, -0.75 * halfWidthUnits, 0.75 * halfWidthUnits, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The view the demo shows the figure in: the window's perspective, figure 20 units away.
void useDemoView()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -20.0f);
}

void clearFrame()
{
    glClearColor(0.15f, 0.15f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Window position of a point of the figure under the current matrices.
void project(float x, float y, float z, int& winX, int& winY)
{
    GLdouble modelview[16], projection[16], wx, wy, wz;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
    winX = int(wx);
    winY = int(wy);
}

class CowQubeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.ok());
        ASSERT_TRUE(tavtest::writePicturePNG(workDir() + "/data/cow_cube.png", 64, 64, cowHide()));
        tavtest::ScopedWorkingDirectory inWorkDir(workDir());
        ASSERT_TRUE(inWorkDir.ok());
        cube.reset(new CowQube());
    }

    static std::string workDir() { return tavtest::scratchDir() + "/cowqube"; }

    // The LEDs drawn in the lit colour, by index: the front faces come in drawing order,
    // two per LED.
    std::set<int> litLedsAsDrawn(const std::vector<DrawnTriangle>& all) const
    {
        const std::vector<DrawnTriangle> front = frontFaces(all);
        EXPECT_EQ(size_t(2 * CowQube::LED_COUNT), front.size());
        std::set<int> lit;
        for (size_t i = 0; i + 1 < front.size(); i += 2)
            if (isColor(front[i].rgba, cube->m_onColor[0], cube->m_onColor[1], cube->m_onColor[2]))
                lit.insert(int(i / 2));
        return lit;
    }

    std::set<int> litLedsByRule(CowQube::LedPattern pattern) const
    {
        std::set<int> lit;
        for (int i = 0; i < CowQube::LED_COUNT; ++i)
            if (cube->isLit(pattern, i))
                lit.insert(i);
        return lit;
    }

    float ledX(int i) const { return cube->m_points[3 * i]; }

    // The square drawn as triangles a and b is centred on LED i's place: 40 pixels per unit
    // around (400, 300).
    void expectSquareAtLed(const DrawnTriangle& a, const DrawnTriangle& b, int i) const
    {
        float cx = 0.0f, cy = 0.0f;
        for (int v = 0; v < 3; ++v) {
            cx += a.x[v] + b.x[v];
            cy += a.y[v] + b.y[v];
        }
        EXPECT_NEAR(400.0f + 40.0f * ledX(i), cx / 6.0f, 0.01f) << "LED " << i;
        EXPECT_NEAR(300.0f + 40.0f * ledY(i), cy / 6.0f, 0.01f) << "LED " << i;
    }
    float ledY(int i) const { return cube->m_points[3 * i + 1]; }

    TestGLContext gl;
    std::unique_ptr<CowQube> cube;
};

TEST_F(CowQubeTest, LaysOutTheFigureAsTabled)
{
    struct Led { int index; float x, y; };
    const Led expected[] = {
        {0, 0.5f, 2.0f},    {1, -0.5f, 2.0f},   {9, -4.5f, 2.0f},   {10, 0.5f, 0.0f},
        {22, 6.5f, 0.0f},   {23, -6.5f, 0.0f},  {24, 0.5f, -4.0f},  {29, -2.5f, -4.0f},
        {30, 5.0f, 2.5f},   {31, -5.0f, 2.5f},  {32, 5.0f, 3.5f},   {33, -5.0f, 3.5f},
        {34, 3.0f, 1.5f},   {35, -3.0f, 1.5f},  {44, 3.0f, -3.5f},  {45, -3.0f, -3.5f},
        {46, 1.0f, 1.5f},   {47, -1.0f, 1.5f},  {52, 1.0f, -1.5f},  {53, -1.0f, -1.5f},
        // The slanted rows, accumulated step by step in single precision: the last two y
        // values differ from start - k * step computed in one go.
        {54, 0x1.5203f6p+2f, 0x1.a9eb92p+1f},   {55, 0x1.6f1224p+2f, 0x1.37df12p+1f},
        {56, 0x1.8c2052p+2f, 0x1.8ba524p+0f},   {57, 0x1.a92e8p+2f, 0x1.4f1846p-1f},
        {58, -0x1.5203f6p+2f, 0x1.a9eb92p+1f},  {61, -0x1.a92e8p+2f, 0x1.4f1846p-1f},
    };
    for (const Led& led : expected) {
        EXPECT_EQ(led.x, ledX(led.index)) << "LED " << led.index;
        EXPECT_EQ(led.y, ledY(led.index)) << "LED " << led.index;
    }
    std::set<std::pair<float, float>> distinct;
    for (int i = 0; i < CowQube::LED_CAPACITY; ++i) {
        EXPECT_EQ(0.0f, cube->m_points[3 * i + 2]) << "LED " << i << " lies in the plane z = 0";
        if (i < CowQube::LED_COUNT)
            distinct.insert({ledX(i), ledY(i)});
        else
            EXPECT_TRUE(ledX(i) == 0.0f && ledY(i) == 0.0f) << "spare slot " << i << " stays zero";
    }
    EXPECT_EQ(size_t(CowQube::LED_COUNT), distinct.size());
}

TEST_F(CowQubeTest, DrawsSixtyTwoCubesWithTheSlantedRowsTurnedBy63Degrees)
{
    useFrontView();
    const std::vector<DrawnTriangle> front = frontFaces(captureTriangles([&] { cube->draw(1, 1, 1, 1); }));
    ASSERT_EQ(size_t(2 * CowQube::LED_COUNT), front.size());
    int turned = 0;
    for (int i = 0; i < CowQube::LED_COUNT; ++i) {
        const DrawnTriangle& a = front[size_t(2 * i)];
        const DrawnTriangle& b = front[size_t(2 * i + 1)];
        // -63 degrees reads 27 modulo 90, +63 reads 63.
        const float expectedDeg = (i >= 54 && i <= 57) ? 27.0f : (i >= 58 && i <= 61) ? 63.0f : 0.0f;
        EXPECT_NEAR(expectedDeg, squareAngleDeg(a), 0.05f) << "LED " << i;
        EXPECT_NEAR(expectedDeg, squareAngleDeg(b), 0.05f) << "LED " << i;
        turned += expectedDeg != 0.0f;
        expectSquareAtLed(a, b, i);
        EXPECT_TRUE(isColor(a.rgba, 1.0f, 1.0f, 1.0f));
    }
    EXPECT_EQ(8, turned);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(CowQubeTest, PatternsLightTheLedsTheirClocksReach)
{
    // Played in this order on one figure, each step advancing only its own pattern's clock.
    struct Step {
        CowQube::LedPattern pattern;
        void (CowQube::*draw)(int);
        int frameMs;
        std::set<int> lit;
    };
    const std::set<int> disc = {10, 11, 12, 13, 46, 47, 48, 49, 50, 51, 52, 53};
    std::set<int> discAndTop = disc;
    discAndTop.insert({0, 1});
    const Step steps[] = {
        // Dot: r = 0 lights nothing; r = 0.28 at 4 ms only (+-0.5, 0), 0.25 from the centre
        // squared; r = 3.5 at 50 ms also (+-1.5, 0) and the inner columns up to |y| = 1.5;
        // (+-0.5, 2) at 4.25 is still dark at 60 ms (r = 4.2) and lit at 61 ms (r = 4.27).
        {CowQube::LED_DOT, &CowQube::drawLedDot, 0, {}},
        {CowQube::LED_DOT, &CowQube::drawLedDot, 4, {10, 11}},
        {CowQube::LED_DOT, &CowQube::drawLedDot, 46, disc},
        {CowQube::LED_DOT, &CowQube::drawLedDot, 10, disc},
        {CowQube::LED_DOT, &CowQube::drawLedDot, 1, discAndTop},
        // Ring at 300 ms: the band 11 < x^2 + y^2 < 21; back to 50 ms it reaches the centre.
        {CowQube::LED_RING, &CowQube::drawLedRing, 300, {6, 7, 16, 17, 18, 19, 24, 25, 26, 27, 34, 35, 40, 41, 42, 43}},
        {CowQube::LED_RING, &CowQube::drawLedRing, -250, disc},
        // Line: p = 0.5 at 400 ms lies strictly between no LEDs; p = 1 at 425 ms lights the
        // three at x = 0.5; p = -5 at 125 ms lights (-5.5, 0) and the left slanted row's
        // first two LEDs, but not the ear at x = -5.
        {CowQube::LED_LINE, &CowQube::drawLedLine, 400, {}},
        {CowQube::LED_LINE, &CowQube::drawLedLine, 25, {0, 10, 24}},
        {CowQube::LED_LINE, &CowQube::drawLedLine, -300, {21, 58, 59}},
        // Double line: p = 1 at 100 ms lights 0 < |x| < 1; p = 1.5 at 150 ms 0.5 < |x| < 1.5.
        {CowQube::LED_DOUBLE_LINE, &CowQube::drawLedDoubleLine, 100, {0, 1, 10, 11, 24, 25}},
        {CowQube::LED_DOUBLE_LINE, &CowQube::drawLedDoubleLine, 50, {46, 47, 48, 49, 50, 51, 52, 53}},
    };
    useFrontView();
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "pattern " << step.pattern << ", frame " << step.frameMs);
        const std::vector<DrawnTriangle> drawn = captureTriangles([&] { (cube.get()->*step.draw)(step.frameMs); });
        EXPECT_EQ(step.lit, litLedsAsDrawn(drawn));
        EXPECT_EQ(step.lit, litLedsByRule(step.pattern));
    }
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(CowQubeTest, BreathingShrinksFirstAndTurnsBackAtOneAndFive)
{
    // From 3, shrinking, 2 units per second; the twisted figure shares the breath.
    cube->draw(500);
    EXPECT_NEAR(2.0f, cube->m_zoom, 1e-5f);
    EXPECT_FALSE(cube->m_zoomIn);
    cube->drawRot(600);
    EXPECT_EQ(1.0f, cube->m_zoom);
    EXPECT_TRUE(cube->m_zoomIn);
    cube->drawRot(1000);
    EXPECT_NEAR(3.0f, cube->m_zoom, 1e-5f);
    EXPECT_TRUE(cube->m_zoomIn);
    // A negative frame time runs the breath backwards.
    cube->draw(-250);
    EXPECT_NEAR(2.5f, cube->m_zoom, 1e-5f);
    EXPECT_EQ(250, cube->m_drawTime);
    EXPECT_EQ(1600, cube->m_rotTime);

    cube->m_zoom = 4.99f;
    cube->m_zoomIn = true;
    cube->draw(10);
    EXPECT_EQ(5.0f, cube->m_zoom);
    EXPECT_FALSE(cube->m_zoomIn);
}

TEST_F(CowQubeTest, BreathingFigureIsPlacedAtZoomTimesItsLayout)
{
    // 20 pixels per unit, so the figure fits at twice its size.
    useFrontView(20.0);
    cube->m_zoom = 1.5f;
    cube->m_zoomIn = true;
    const std::vector<DrawnTriangle> front = frontFaces(captureTriangles([&] { cube->draw(250); }));
    ASSERT_EQ(2.0f, cube->m_zoom);
    ASSERT_EQ(size_t(2 * CowQube::LED_COUNT), front.size());
    for (int i : {0, 23, 33, 45, 57}) {
        expectSquareAtLed(front[size_t(2 * i)], front[size_t(2 * i + 1)], i);
    }
    // Sphere mapping is switched off again, texturing stays on for what follows.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(CowQubeTest, BreathingFigureReflectsTheCowPicture)
{
    useDemoView();
    clearFrame();
    cube->m_zoom = 1.0f;
    cube->m_zoomIn = true;
    cube->draw(0);
    // The cow hide is green throughout: a textured LED is green, not the white it is drawn in.
    int x, y;
    project(0.5f, 0.0f, 0.5f, x, y);
    const uint32_t p = gl.pixel(x, y);
    EXPECT_GT(tavtest::green(p), tavtest::red(p) + 40) << std::hex << p;
    EXPECT_GT(tavtest::green(p), tavtest::blue(p) + 40) << std::hex << p;
}

TEST(CowQubeWithoutPicture, FailsNamingTheMissingFileAndLeavesNothingBehind)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    const std::string empty = tavtest::scratchDir() + "/no-pictures";
    ASSERT_TRUE(tavtest::makeDirectories(empty));
    tavtest::ScopedWorkingDirectory inEmpty(empty);
    try {
        CowQube cube;
        FAIL() << "the figure was built without its picture";
    } catch (TAV_Exception* e) {
        std::unique_ptr<TAV_Exception> owned(e);
        EXPECT_NE(nullptr, std::strstr(e->getMessage(), "data/cow_cube.png")) << e->getMessage();
    }
}

}  // namespace

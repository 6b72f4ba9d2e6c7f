// The LED figure: its lighting rules as drawn (read back through OpenGL's feedback mode,
// which reports every drawn triangle with its colour), its breathing, and its sphere-mapped
// picture (pixels read back, the frame written to PNG).
#include <gtest/gtest.h>

#include <GL/gl.h>   // Required for: feedback mode, matrices, state queries
#include <GL/glu.h>  // Required for: gluPerspective()
#include <unistd.h>  // Required for: chdir()

#include <cmath>
#include <cstring>
#include <filesystem>
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

// One triangle as drawn, in window coordinates, with its colour.
struct DrawnTriangle {
    float x[3], y[3], z[3];
    float rgba[4];

    float area() const { return std::fabs((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0])) * 0.5f; }
};

// Runs `draw` in feedback mode and returns the triangles OpenGL would have rasterised that
// face the viewer: in the front view every LED shows one square, two triangles, in drawing
// order, while its side faces are seen edge-on.
template <typename Draw>
std::vector<DrawnTriangle> frontFaces(Draw draw)
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
            if (t.area() > 1.0f)
                triangles.push_back(t);
        }
        i += vertices * floatsPerVertex;
    }
    return triangles;
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

class CowQubeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.ok());
        ASSERT_EQ(0, chdir(TAVLEN_BINARY_DIR)) << "the build folder holds the generated data/";
        cube.reset(new CowQube());
    }

    // The LEDs drawn in the lit colour, by index: the front faces come in drawing order,
    // two per LED.
    std::set<int> litLedsAsDrawn(const std::vector<DrawnTriangle>& front) const
    {
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

    TestGLContext gl;
    std::unique_ptr<CowQube> cube;
};

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
        const std::vector<DrawnTriangle> drawn = frontFaces([&] { (cube.get()->*step.draw)(step.frameMs); });
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

TEST_F(CowQubeTest, BreathingFigureReflectsTheCowPicture)
{
    useDemoView();
    clearFrame();
    cube->m_zoom = 1.0f;
    cube->m_zoomIn = true;
    cube->draw(0);
    const std::vector<uint8_t> frame = gl.readPixels();
    ASSERT_TRUE(tavtest::writeFramePNG(tavtest::framePath("cowqube.png"), gl.width(), gl.height(), frame));
    // The figure is drawn in white; sphere-mapped, the dusk picture shows on it instead.
    int figure = 0, white = 0;
    for (size_t i = 0; i < frame.size(); i += 4) {
        if (frame[i] == 38 && frame[i + 1] == 38 && frame[i + 2] == 51)
            continue;  // the background
        ++figure;
        white += frame[i] > 230 && frame[i + 1] > 230 && frame[i + 2] > 230;
    }
    EXPECT_GT(figure, 20000);
    EXPECT_LT(white, figure / 4);
    // Sphere mapping is switched off again, texturing stays on for what follows.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_CULL_FACE));
}

TEST(CowQubeWithoutPicture, FailsNamingTheMissingFileAndLeavesNothingBehind)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    const std::string empty = tavtest::scratchDir() + "/no-pictures";
    std::filesystem::create_directories(empty);
    ASSERT_EQ(0, chdir(empty.c_str()));
    try {
        CowQube cube;
        FAIL() << "the figure was built without its picture";
    } catch (TAV_Exception* e) {
        std::unique_ptr<TAV_Exception> owned(e);
        EXPECT_NE(nullptr, std::strstr(e->getMessage(), "data/cow_cube.png")) << e->getMessage();
    }
}

}  // namespace

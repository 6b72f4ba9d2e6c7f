// Meshes drawn through real OpenGL (Mesa on the test's private Xvfb), checked by pixels.
// Set TAVLEN_KEEP_FRAMES to a folder to keep the frames these tests write as PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "geometry/TAV_IndexedObjectData.h"
#include "geometry/TAV_ObjectFactory.h"
#include "support/TestGLContext.h"

namespace {

const uint32_t BLACK = 0x000000ff;
const uint32_t WHITE = 0xffffffff;

// Pixel space: (0, 0) bottom left, (800, 600) top right; the unit plane is scaled to a
// 400 x 300 rectangle in the middle, covering pixels x 200..599 and y 150..449.
void beginCentredRectangle()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(400, 300, 0);
    glScalef(400, 300, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
}

int countPixels(const std::vector<uint8_t>& rgba, uint32_t colour)
{
    int count = 0;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        const uint32_t p = (uint32_t(rgba[i]) << 24) | (uint32_t(rgba[i + 1]) << 16) | (uint32_t(rgba[i + 2]) << 8) | rgba[i + 3];
        count += p == colour;
    }
    return count;
}

void expectCentredRectangle(const TestGLContext& gl, uint32_t colour)
{
    EXPECT_EQ(400 * 300, countPixels(gl.readPixels(), colour));
    EXPECT_EQ(colour, gl.pixel(200, 150));
    EXPECT_EQ(colour, gl.pixel(599, 449));
    EXPECT_EQ(colour, gl.pixel(400, 300));  // on the shared diagonal: no crack
    EXPECT_EQ(BLACK, gl.pixel(199, 300));
    EXPECT_EQ(BLACK, gl.pixel(600, 300));
    EXPECT_EQ(BLACK, gl.pixel(400, 149));
    EXPECT_EQ(BLACK, gl.pixel(400, 450));
}

void keepFrame(const TestGLContext& gl, const std::string& name)
{
    const char* keep = std::getenv("TAVLEN_KEEP_FRAMES");
    const std::string dir = keep ? keep : tavtest::scratchDir();
    EXPECT_TRUE(tavtest::writeFramePNG(dir + "/" + name + ".png", gl.width(), gl.height(), gl.readPixels()));
}

}  // namespace

TEST(MeshDrawing, PlaneAndIndexedQuadCoverExactlyTheirRectangleInEveryLayout)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    for (bool normals : {false, true}) {
        for (bool texCoords : {false, true}) {
            SCOPED_TRACE(testing::Message() << "normals " << normals << " texCoords " << texCoords);
            const std::unique_ptr<TAV_ObjectData> mesh(TAV_ObjectFactory::createPlaneData(normals, texCoords));
            beginCentredRectangle();
            mesh->renderData();
            expectCentredRectangle(gl, WHITE);
        }
    }
    // The client arrays stay on for the next mesh.
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));

    const float records[] = {-0.5f, 0.5f, 0, -0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0};
    const unsigned int indices[] = {0, 1, 2, 0, 2, 3};
    TAV_IndexedObjectData quad(4, 6, false, false);
    quad.csetData(records, indices);
    beginCentredRectangle();
    quad.renderData();
    expectCentredRectangle(gl, WHITE);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST(MeshDrawing, PlaneShowsTheTextureTopRowAtItsTopEdge)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    // 2 x 2 texels; the first row uploaded is t = 0.
    const uint8_t texels[] = {
        255, 0, 0, 255,   0, 255, 0, 255,    // t = 0: red at s = 0, green at s = 1
        0, 0, 255, 255,   255, 255, 0, 255,  // t = 1: blue at s = 0, yellow at s = 1
    };
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    const std::unique_ptr<TAV_ObjectData> plane(TAV_ObjectFactory::createPlaneData(true, true));
    beginCentredRectangle();
    plane->renderData();
    keepFrame(gl, "textured_plane");
    EXPECT_EQ(0xff0000ffu, gl.pixel(250, 200));  // bottom left
    EXPECT_EQ(0x00ff00ffu, gl.pixel(550, 200));  // bottom right
    EXPECT_EQ(0x0000ffffu, gl.pixel(250, 400));  // top left
    EXPECT_EQ(0xffff00ffu, gl.pixel(550, 400));  // top right
    EXPECT_EQ(BLACK, gl.pixel(100, 300));

    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
}

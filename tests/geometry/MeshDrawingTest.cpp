// Meshes drawn through real OpenGL (Mesa on the test's private Xvfb), checked by pixels:
// every record layout, indexed or not, reaches OpenGL with its parts where they belong.
#include <gtest/gtest.h>

#include <memory>

#include "geometry/TAV_IndexedObjectData.h"
#include "geometry/TAV_ObjectFactory.h"
#include "support/TestGLContext.h"

namespace {

const uint32_t BLACK = 0x000000ff;

// Pixel space: (0, 0) bottom left, (800, 600) top right; the unit plane is scaled to a
// 400 x 300 rectangle in the middle, covering pixels x 200..599 and y 150..449.
void drawCentred(const TAV_IObjectData& mesh)
{
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
    mesh.renderData();
}

// The rectangle, exactly, in `colour`, also on the shared diagonal (no crack).
void expectCentredRectangle(const TestGLContext& gl, uint32_t colour)
{
    const std::vector<uint8_t> rgba = gl.readPixels();
    int count = 0;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        count += ((uint32_t(rgba[i]) << 24) | (uint32_t(rgba[i + 1]) << 16) | (uint32_t(rgba[i + 2]) << 8) | rgba[i + 3]) == colour;
    EXPECT_EQ(400 * 300, count);
    for (const auto& inside : {std::make_pair(200, 150), {599, 449}, {400, 300}})
        EXPECT_EQ(colour, gl.pixel(inside.first, inside.second));
    for (const auto& outside : {std::make_pair(199, 300), {600, 300}, {400, 149}, {400, 450}})
        EXPECT_EQ(BLACK, gl.pixel(outside.first, outside.second));
}

}  // namespace

TEST(MeshDrawing, PlaneAndIndexedQuadCoverExactlyTheirRectangleInEveryLayout)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    for (bool normals : {false, true}) {
        for (bool texCoords : {false, true}) {
            SCOPED_TRACE(testing::Message() << "normals " << normals << " texCoords " << texCoords);
            drawCentred(*std::unique_ptr<TAV_ObjectData>(TAV_ObjectFactory::createPlaneData(normals, texCoords)));
            expectCentredRectangle(gl, 0xffffffff);
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
    drawCentred(quad);
    expectCentredRectangle(gl, 0xffffffff);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "geometry/TAV_ObjectData.h"
#include "geometry/TAV_ObjectFactory.h"
#include "support/TestMathPrinters.h"

namespace {

struct Layout {
    bool normals, texCoords;
    int stride, texCoordOffset, normalOffset, vertexOffset;
    GLenum format;
};

const Layout LAYOUTS[4] = {
    {false, false, 3, 0, 0, 0, 0x2A21},  // GL_V3F
    {true, false, 6, 0, 0, 3, 0x2A25},   // GL_N3F_V3F
    {false, true, 5, 0, 2, 2, 0x2A27},   // GL_T2F_V3F
    {true, true, 8, 0, 2, 5, 0x2A2B},    // GL_T2F_N3F_V3F
};

// A unit quad in the plane z = 0 as two counter-clockwise triangles, with normals, texture
// coordinates and positions all filled.
std::unique_ptr<TAV_ObjectData> makeQuad(float scale = 1.0f)
{
    std::unique_ptr<TAV_ObjectData> quad(TAV_ObjectFactory::createPlaneData(true, true));
    for (int i = 0; i < quad->m_count; ++i)
        quad->setPosition(i, quad->getPosition(i) * scale);
    return quad;
}

bool sameBits(const float* a, const float* b, int count)
{
    return std::memcmp(a, b, sizeof(float) * static_cast<size_t>(count)) == 0;
}

}  // namespace

TEST(ObjectData, EveryFlagPairGivesItsRecordLayoutAndFormat)
{
    for (const Layout& l : LAYOUTS) {
        TAV_ObjectData mesh(6, l.normals, l.texCoords);
        SCOPED_TRACE(testing::Message() << "normals " << l.normals << " texCoords " << l.texCoords);
        EXPECT_EQ(6, mesh.m_count);
        EXPECT_EQ(l.stride, mesh.m_stride);
        EXPECT_EQ(l.texCoordOffset, mesh.m_texCoordOffset);
        EXPECT_EQ(l.normalOffset, mesh.m_normalOffset);
        EXPECT_EQ(l.vertexOffset, mesh.m_vertexOffset);
        EXPECT_EQ(l.format, mesh.m_format);
        EXPECT_EQ(l.normals, mesh.m_normals);
        EXPECT_EQ(l.texCoords, mesh.m_texCoords);
        EXPECT_EQ(25, mesh.getType());
        EXPECT_STREQ("", mesh.m_name);
        ASSERT_NE(nullptr, mesh.m_data);
        // The whole array is there (AddressSanitizer would catch a short one).
        for (int k = 0; k < l.stride * 6; ++k)
            EXPECT_EQ(0.0f, mesh.m_data[k]);
    }
}

TEST(ObjectData, CopyIsIndependentEqualAndUnnamed)
{
    std::unique_ptr<TAV_ObjectData> source = makeQuad();
    source->setName("quad");
    std::unique_ptr<TAV_ObjectData> copy(source->getCopy());
    ASSERT_NE(source->m_data, copy->m_data);
    EXPECT_STREQ("", copy->m_name);
    EXPECT_EQ(source->m_count, copy->m_count);
    EXPECT_EQ(source->m_format, copy->m_format);
    EXPECT_TRUE(sameBits(source->m_data, copy->m_data, source->m_stride * source->m_count));

    copy->m_data[0] = 42.0f;
    EXPECT_EQ(0.0f, source->m_data[0]);

    // csetData from another mesh copies this mesh's amount of data.
    TAV_ObjectData target(6, true, true);
    target.csetData(copy.get());
    EXPECT_TRUE(sameBits(copy->m_data, target.m_data, 8 * 6));
    TAV_ObjectData shorter(3, true, true);
    shorter.csetData(source.get());
    EXPECT_TRUE(sameBits(source->m_data, shorter.m_data, 8 * 3));
}

TEST(ObjectData, FaceNormalsFollowTheCounterClockwiseRule)
{
    // Two triangles: one counter-clockwise seen from +z, one seen from -z; garbage normals.
    const float records[] = {
        9, 9, 9, 0, 0, 0,  9, 9, 9, 1, 0, 0,  9, 9, 9, 0, 1, 0,
        9, 9, 9, 0, 0, 3,  9, 9, 9, 0, 1, 3,  9, 9, 9, 1, 0, 3,
    };
    TAV_ObjectData mesh(6, true, false);
    mesh.csetData(records);
    mesh.faceNormals();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(TAV_Vertex(0, 0, 1), mesh.getNormal(i)) << "vertex " << i;
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(TAV_Vertex(0, 0, -1), mesh.getNormal(i)) << "vertex " << i;
    // Positions are left alone.
    EXPECT_EQ(TAV_Vertex(1, 0, 3), mesh.getPosition(5));
}

TEST(ObjectData, NormalOperationsOnAMeshWithoutNormalsChangeNothing)
{
    for (bool texCoords : {false, true}) {
        std::unique_ptr<TAV_ObjectData> mesh(TAV_ObjectFactory::createCubeData(false, texCoords));
        const std::vector<float> before(mesh->m_data, mesh->m_data + mesh->m_stride * mesh->m_count);
        mesh->faceNormals();
        mesh->vertexNormals();
        mesh->flipNormals();
        EXPECT_TRUE(sameBits(before.data(), mesh->m_data, int(before.size()))) << "texCoords " << texCoords;
    }
}

TEST(ObjectData, VertexNormalsOfAFlatQuadAreItsFaceNormal)
{
    std::unique_ptr<TAV_ObjectData> quad = makeQuad();
    for (int i = 0; i < quad->m_count; ++i)
        quad->setNormal(i, TAV_Vertex(1, 2, 3));
    quad->vertexNormals();
    for (int i = 0; i < quad->m_count; ++i)
        EXPECT_EQ(TAV_Vertex(0, 0, 1), quad->getNormal(i)) << "vertex " << i;
}

TEST(ObjectData, VertexNormalsOnCubeCornersWeighEveryRecordAtThePosition)
{
    std::unique_ptr<TAV_ObjectData> cube(TAV_ObjectFactory::createCubeData(true, true));
    cube->vertexNormals();
    int corner1 = 0, corner2 = 0;
    const float invSqrt3 = 1.0f / std::sqrt(3.0f);
    for (int i = 0; i < cube->m_count; ++i) {
        const TAV_Vertex p = cube->getPosition(i), n = cube->getNormal(i);
        if (p == TAV_Vertex(0.5f, 0.5f, 0.5f)) {
            ++corner1;
            EXPECT_NEAR(2.0f / 3, n.x, 1e-6f);
            EXPECT_NEAR(1.0f / 3, n.y, 1e-6f);
            EXPECT_NEAR(2.0f / 3, n.z, 1e-6f);
        } else if (p == TAV_Vertex(-0.5f, 0.5f, -0.5f)) {
            ++corner2;
            EXPECT_NEAR(-invSqrt3, n.x, 1e-6f);
            EXPECT_NEAR(invSqrt3, n.y, 1e-6f);
            EXPECT_NEAR(-invSqrt3, n.z, 1e-6f);
        }
        // Every corner normal points out of the cube, into the corner's octant.
        EXPECT_GT(n.x * p.x, 0.0f);
        EXPECT_GT(n.y * p.y, 0.0f);
        EXPECT_GT(n.z * p.z, 0.0f);
        EXPECT_NEAR(1.0f, std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1e-6f);
    }
    EXPECT_EQ(5, corner1);
    EXPECT_EQ(3, corner2);
}

TEST(ObjectData, VertexNormalsDoNotDependOnVertexOrder)
{
    std::unique_ptr<TAV_ObjectData> cube(TAV_ObjectFactory::createCubeData(true, false));
    std::unique_ptr<TAV_ObjectData> reversed(cube->getCopy());
    // Reverse the order of the triangles (keeping each one's winding).
    const int triangles = cube->m_count / 3;
    for (int tri = 0; tri < triangles; ++tri)
        std::memcpy(reversed->m_data + tri * 18, cube->m_data + (triangles - 1 - tri) * 18, 18 * sizeof(float));
    cube->vertexNormals();
    reversed->vertexNormals();
    for (int tri = 0; tri < triangles; ++tri)
        EXPECT_TRUE(sameBits(cube->m_data + (triangles - 1 - tri) * 18, reversed->m_data + tri * 18, 18));
}

TEST(ObjectData, FlippingNormalsTwiceRestoresTheBits)
{
    std::unique_ptr<TAV_ObjectData> mesh(TAV_ObjectFactory::createOktaederData(true, true));
    TAV_ObjectFactory::subdiv(mesh.get());  // subdivided normals carry negative zeros
    mesh->vertexNormals();
    const std::vector<float> before(mesh->m_data, mesh->m_data + mesh->m_stride * mesh->m_count);
    mesh->flipNormals();
    for (int i = 0; i < mesh->m_count; ++i) {
        const float* n = mesh->m_data + i * mesh->m_stride + mesh->m_normalOffset;
        const float* was = before.data() + i * mesh->m_stride + mesh->m_normalOffset;
        for (int c = 0; c < 3; ++c)
            EXPECT_NE(std::signbit(n[c]), std::signbit(was[c]));
        // Texture coordinates and positions do not move.
        EXPECT_TRUE(sameBits(mesh->m_data + i * mesh->m_stride, before.data() + i * mesh->m_stride, 2));
        EXPECT_TRUE(sameBits(mesh->m_data + i * mesh->m_stride + 5, before.data() + i * mesh->m_stride + 5, 3));
    }
    mesh->flipNormals();
    EXPECT_TRUE(sameBits(before.data(), mesh->m_data, int(before.size())));
}

TEST(ObjectData, LinearInterpolationMovesNormalsAndPositionsButNotTextureCoordinates)
{
    std::unique_ptr<TAV_ObjectData> from = makeQuad(1.0f);
    std::unique_ptr<TAV_ObjectData> to = makeQuad(3.0f);
    for (int i = 0; i < to->m_count; ++i) {
        to->setNormal(i, TAV_Vertex(1, 0, 0));
        to->m_data[i * 8] = 5.0f;  // s
    }
    TAV_ObjectData out(6, true, true);
    for (int k = 0; k < 6 * 8; ++k)
        out.m_data[k] = 7.0f;

    from->interpolateLinear(0.5f, to.get(), &out);
    for (int i = 0; i < 6; ++i) {
        const TAV_Vertex p = from->getPosition(i);
        EXPECT_EQ(p * 2.0f, out.getPosition(i)) << "vertex " << i;
        // Interpolated normals are not re-normalised.
        EXPECT_EQ(TAV_Vertex(0.5f, 0, 0.5f), out.getNormal(i)) << "vertex " << i;
        EXPECT_EQ(7.0f, out.m_data[i * 8]);
        EXPECT_EQ(7.0f, out.m_data[i * 8 + 1]);
    }

    // t = 0 and t = 1 give the two ends; the result may be written over the source itself.
    from->interpolateLinear(0.0f, to.get(), &out);
    EXPECT_TRUE(sameBits(from->m_data + 2, out.m_data + 2, 6));
    from->interpolateLinear(1.0f, to.get(), from.get());
    EXPECT_EQ(to->getPosition(3), from->getPosition(3));
    EXPECT_EQ(1.0f, from->m_data[3 * 8]);  // s of vertex 3 kept
}

TEST(ObjectData, CubicInterpolationRunsFromThisMeshToTheTarget)
{
    std::unique_ptr<TAV_ObjectData> before = makeQuad(-2.0f);
    std::unique_ptr<TAV_ObjectData> start = makeQuad(1.0f);
    std::unique_ptr<TAV_ObjectData> target = makeQuad(2.0f);
    std::unique_ptr<TAV_ObjectData> after = makeQuad(10.0f);
    TAV_ObjectData out(6, true, true);

    start->interpolateCubic(0.0f, before.get(), target.get(), after.get(), &out);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(start->getPosition(i), out.getPosition(i));
    start->interpolateCubic(1.0f, before.get(), target.get(), after.get(), &out);
    for (int i = 0; i < 6; ++i) {
        const TAV_Vertex p = out.getPosition(i), expected = target->getPosition(i);
        EXPECT_NEAR(expected.x, p.x, 1e-5f);
        EXPECT_NEAR(expected.y, p.y, 1e-5f);
        EXPECT_EQ(0.0f, out.m_data[i * 8]);  // texture coordinates untouched (zero-filled)
    }
    // Halfway, every coordinate follows the cubic of the scales -2, 1, 2, 10:
    // a0 = 11, a1 = -14, a2 = 4, a3 = 1, so 11/8 - 14/4 + 4/2 + 1 = 0.875 of the unit quad.
    start->interpolateCubic(0.5f, before.get(), target.get(), after.get(), &out);
    EXPECT_NEAR(0.5f * 0.875f, out.getPosition(2).x, 1e-6f);
    EXPECT_NEAR(-0.5f * 0.875f, out.getPosition(4).y, 1e-6f);
}

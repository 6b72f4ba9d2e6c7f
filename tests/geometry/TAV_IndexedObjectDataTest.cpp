#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "geometry/TAV_IndexedObjectData.h"
#include "geometry/TAV_ObjectData.h"
#include "support/TestMathPrinters.h"
#include "support/TestThrows.h"

namespace {

// A unit quad in z = 0 from four shared corners, texture coordinates s = x + 0.5,
// t = y + 0.5, normals left zero: corners 0 top left, 1 bottom left, 2 bottom right,
// 3 top right; triangles 0, 1, 2 and 0, 2, 3, both counter-clockwise from +z.
std::unique_ptr<TAV_IndexedObjectData> makeIndexedQuad()
{
    const float records[] = {
        0, 1, 0, 0, 0, -0.5f, 0.5f, 0,
        0, 0, 0, 0, 0, -0.5f, -0.5f, 0,
        1, 0, 0, 0, 0, 0.5f, -0.5f, 0,
        1, 1, 0, 0, 0, 0.5f, 0.5f, 0,
    };
    const unsigned int indices[] = {0, 1, 2, 0, 2, 3};
    std::unique_ptr<TAV_IndexedObjectData> quad(new TAV_IndexedObjectData(4, 6, true, true));
    quad->csetData(records, indices);
    return quad;
}

std::vector<float> snapshot(const TAV_IObjectData& mesh)
{
    return std::vector<float>(mesh.m_data, mesh.m_data + mesh.m_stride * mesh.m_count);
}

}  // namespace

TEST(IndexedObjectData, HoldsIndicesBesideTheRecordLayout)
{
    TAV_IndexedObjectData mesh(4, 6, false, true);
    EXPECT_EQ(26, mesh.getType());
    EXPECT_EQ(4, mesh.m_count);
    EXPECT_EQ(6, mesh.m_indexCount);
    EXPECT_EQ(5, mesh.m_stride);
    EXPECT_EQ(2, mesh.m_vertexOffset);
    EXPECT_EQ(GLenum(0x2A27), mesh.m_format);
    EXPECT_STREQ("", mesh.m_name);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(0u, mesh.m_indices[k]);
}

TEST(IndexedObjectData, CopyToATriangleListRepeatsTheIndexedRecords)
{
    std::unique_ptr<TAV_IndexedObjectData> quad = makeIndexedQuad();
    std::unique_ptr<TAV_ObjectData> flat(quad->getObjectDataCopy());
    ASSERT_EQ(6, flat->m_count);
    EXPECT_EQ(25, flat->getType());
    EXPECT_EQ(quad->m_format, flat->m_format);
    const unsigned int order[] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(0, std::memcmp(quad->m_data + order[k] * 8, flat->m_data + k * 8, 8 * sizeof(float))) << "record " << k;

    // The flat copy can have face normals, which the indexed mesh refuses.
    flat->faceNormals();
    EXPECT_EQ(TAV_Vertex(0, 0, 1), flat->getNormal(4));
}

TEST(IndexedObjectData, CopyIsIndependentIndicesIncluded)
{
    std::unique_ptr<TAV_IndexedObjectData> quad = makeIndexedQuad();
    quad->setName("quad");
    std::unique_ptr<TAV_IndexedObjectData> copy(quad->getCopy());
    EXPECT_EQ(26, copy->getType());
    EXPECT_STREQ("", copy->m_name);
    EXPECT_EQ(snapshot(*quad), snapshot(*copy));
    EXPECT_EQ(0, std::memcmp(quad->m_indices, copy->m_indices, 6 * sizeof(unsigned int)));
    copy->m_indices[1] = 3;
    copy->m_data[5] = 9;
    EXPECT_EQ(1u, quad->m_indices[1]);
    EXPECT_EQ(-0.5f, quad->m_data[5]);

    // csetData from an indexed mesh copies vertices and indices.
    TAV_IndexedObjectData target(4, 6, true, true);
    target.csetData(copy.get());
    EXPECT_EQ(snapshot(*copy), snapshot(target));
    EXPECT_EQ(3u, target.m_indices[1]);
}

TEST(IndexedObjectData, RefusesAPlainMeshAsSourceAndCopiesNothing)
{
    std::unique_ptr<TAV_IndexedObjectData> quad = makeIndexedQuad();
    const std::vector<float> before = snapshot(*quad);
    TAV_ObjectData plain(6, true, true);
    for (int k = 0; k < 6 * 8; ++k)
        plain.m_data[k] = 9.0f;
    tavtest::expectThrown(-80, "indexed object data needed", [&] { quad->csetData(&plain); });
    EXPECT_EQ(before, snapshot(*quad));
    EXPECT_EQ(2u, quad->m_indices[2]);
}

TEST(IndexedObjectData, RefusesFaceNormalsAndChangesNothing)
{
    std::unique_ptr<TAV_IndexedObjectData> quad = makeIndexedQuad();
    const std::vector<float> before = snapshot(*quad);
    tavtest::expectThrown(-80, "unable to calculate face normals on a indexed shape", [&] { quad->faceNormals(); });
    EXPECT_EQ(before, snapshot(*quad));
    // Even without normals there is nothing face normals could mean here.
    TAV_IndexedObjectData bare(3, 3, false, false);
    tavtest::expectThrown(-80, "unable to calculate face normals on a indexed shape", [&] { bare.faceNormals(); });
}

TEST(IndexedObjectData, VertexNormalsJoinCornersBySharedIndex)
{
    // A roof: a right slope facing (1, 1, 0)/sqrt2 and a left slope facing (-1, 1, 0)/sqrt2,
    // two counter-clockwise triangles each, sharing the ridge vertices 0 and 1 by index.
    // Vertex 6 is used by no triangle. Normals start as (0, 0, 1) garbage.
    const float roof[] = {
        // ridge
        0, 0, 1, 0, 1, 0,
        0, 0, 1, 0, 1, 1,
        // right eave
        0, 0, 1, 1, 0, 0,
        0, 0, 1, 1, 0, 1,
        // left eave
        0, 0, 1, -1, 0, 0,
        0, 0, 1, -1, 0, 1,
        // unused
        0, 0, 1, 7, 7, 7,
    };
    const unsigned int slopes[] = {0, 1, 2, 1, 3, 2, 0, 4, 1, 1, 4, 5};
    TAV_IndexedObjectData mesh(7, 12, true, false);
    mesh.csetData(roof, slopes);
    mesh.vertexNormals();

    const float h = 1.0f / std::sqrt(2.0f);
    for (int v : {2, 3}) {
        EXPECT_NEAR(h, mesh.getNormal(v).x, 1e-6f);
        EXPECT_NEAR(h, mesh.getNormal(v).y, 1e-6f);
    }
    for (int v : {4, 5}) {
        EXPECT_NEAR(-h, mesh.getNormal(v).x, 1e-6f);
        EXPECT_NEAR(h, mesh.getNormal(v).y, 1e-6f);
    }
    // The ridge is shared by both slopes: straight up.
    for (int v : {0, 1}) {
        EXPECT_NEAR(0.0f, mesh.getNormal(v).x, 1e-6f);
        EXPECT_NEAR(1.0f, mesh.getNormal(v).y, 1e-6f);
        EXPECT_NEAR(0.0f, mesh.getNormal(v).z, 1e-6f);
    }
    EXPECT_EQ(TAV_Vertex(0, 0, 0), mesh.getNormal(6));
    EXPECT_EQ(TAV_Vertex(7, 7, 7), mesh.getPosition(6));
}

TEST(IndexedObjectData, VertexNormalsDoNotJoinEqualPositionsWithDifferentIndices)
{
    // Two triangles facing +z and -z that share a corner position but not its index.
    const float records[] = {
        0, 0, 0, 0, 0, 0,  0, 0, 0, 1, 0, 0,  0, 0, 0, 0, 1, 0,
        0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 1, 0,  0, 0, 0, 1, 0, 0,
    };
    const unsigned int indices[] = {0, 1, 2, 3, 4, 5};
    TAV_IndexedObjectData mesh(6, 6, true, false);
    mesh.csetData(records, indices);
    mesh.vertexNormals();
    EXPECT_EQ(TAV_Vertex(0, 0, 1), mesh.getNormal(0));
    EXPECT_EQ(TAV_Vertex(0, 0, -1), mesh.getNormal(3));
}

TEST(IndexedObjectData, FlipsNormalsBitExactlyAndInterpolatesLikePlainMeshes)
{
    std::unique_ptr<TAV_IndexedObjectData> quad = makeIndexedQuad();
    quad->vertexNormals();
    const std::vector<float> before = snapshot(*quad);
    quad->flipNormals();
    EXPECT_EQ(TAV_Vertex(0, 0, -1), quad->getNormal(2));
    quad->flipNormals();
    EXPECT_EQ(0, std::memcmp(before.data(), quad->m_data, before.size() * sizeof(float)));

    std::unique_ptr<TAV_IndexedObjectData> bigger(quad->getCopy());
    for (int v = 0; v < 4; ++v)
        bigger->setPosition(v, quad->getPosition(v) * 3.0f);
    TAV_IndexedObjectData out(4, 6, true, true);
    quad->interpolateLinear(0.5f, bigger.get(), &out);
    EXPECT_EQ(TAV_Vertex(1.0f, 1.0f, 0.0f), out.getPosition(3));
    EXPECT_EQ(0.0f, out.m_data[3 * 8]);  // s untouched
    // Indices belong to the meshes, not to the morph.
    EXPECT_EQ(0u, out.m_indices[4]);
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "geometry/TAV_IndexedObjectData.h"
#include "geometry/TAV_ObjectData.h"
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

TEST(IndexedObjectData, CopiesAreIndependentAndAFlatCopyRepeatsTheIndexedRecords)
{
    std::unique_ptr<TAV_IndexedObjectData> quad = makeIndexedQuad();
    std::unique_ptr<TAV_ObjectData> flat(quad->getObjectDataCopy());
    ASSERT_EQ(6, flat->m_count);
    EXPECT_EQ(quad->m_format, flat->m_format);
    const unsigned int order[] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(0, std::memcmp(quad->m_data + order[k] * 8, flat->m_data + k * 8, 8 * sizeof(float))) << "record " << k;
    flat->faceNormals();  // which the indexed mesh refuses
    EXPECT_EQ(TAV_Vertex(0, 0, 1), flat->getNormal(4));

    std::unique_ptr<TAV_IndexedObjectData> copy(quad->getCopy());
    EXPECT_EQ(snapshot(*quad), snapshot(*copy));
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

TEST(IndexedObjectData, RefusesAPlainMeshAsSourceAndFaceNormalsChangingNothing)
{
    std::unique_ptr<TAV_IndexedObjectData> quad = makeIndexedQuad();
    const std::vector<float> before = snapshot(*quad);
    TAV_ObjectData plain(6, true, true);
    for (int k = 0; k < 6 * 8; ++k)
        plain.m_data[k] = 9.0f;
    tavtest::expectThrown(-80, "indexed object data needed", [&] { quad->csetData(&plain); });
    tavtest::expectThrown(-80, "unable to calculate face normals on a indexed shape", [&] { quad->faceNormals(); });
    EXPECT_EQ(before, snapshot(*quad));
    EXPECT_EQ(2u, quad->m_indices[2]);
}

TEST(IndexedObjectData, VertexNormalsJoinCornersBySharedIndexNotByPosition)
{
    // A roof: a right slope facing (1, 1, 0)/sqrt2 and a left slope facing (-1, 1, 0)/sqrt2,
    // two counter-clockwise triangles each, sharing the ridge vertices 0 and 1 by index.
    // Vertex 6 is used by no triangle; vertex 7 lies on the ridge's position but is its own
    // index, used by a triangle facing -z. Normals start as (0, 0, 1) garbage.
    const float roof[] = {
        0, 0, 1, 0, 1, 0,   0, 0, 1, 0, 1, 1,   // ridge
        0, 0, 1, 1, 0, 0,   0, 0, 1, 1, 0, 1,   // right eave
        0, 0, 1, -1, 0, 0,  0, 0, 1, -1, 0, 1,  // left eave
        0, 0, 1, 7, 7, 7,                       // unused
        0, 0, 1, 0, 1, 0,                       // on the ridge, not of it
    };
    const unsigned int slopes[] = {0, 1, 2, 1, 3, 2, 0, 4, 1, 1, 4, 5, 7, 2, 4};
    TAV_IndexedObjectData mesh(8, 15, true, false);
    mesh.csetData(roof, slopes);
    mesh.vertexNormals();
    const float h = 1.0f / std::sqrt(2.0f);
    const struct {
        int vertex;
        TAV_Vertex normal;
    } expected[] = {{0, {0, 1, 0}}, {1, {0, 1, 0}}, {3, {h, h, 0}}, {5, {-h, h, 0}}, {6, {0, 0, 0}}, {7, {0, 0, -1}}};
    for (const auto& e : expected) {
        const TAV_Vertex n = mesh.getNormal(e.vertex);
        EXPECT_NEAR(e.normal.x, n.x, 1e-6f) << "vertex " << e.vertex;
        EXPECT_NEAR(e.normal.y, n.y, 1e-6f) << "vertex " << e.vertex;
        EXPECT_NEAR(e.normal.z, n.z, 1e-6f) << "vertex " << e.vertex;
    }
    EXPECT_EQ(TAV_Vertex(7, 7, 7), mesh.getPosition(6));

    // Flipping twice gives the bits back.
    const std::vector<float> before = snapshot(mesh);
    mesh.flipNormals();
    EXPECT_NEAR(-h, mesh.getNormal(3).x, 1e-6f);
    mesh.flipNormals();
    EXPECT_EQ(before, snapshot(mesh));
}

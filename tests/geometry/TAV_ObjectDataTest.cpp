#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "geometry/TAV_ObjectData.h"
#include "geometry/TAV_ObjectFactory.h"

namespace {

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

std::vector<float> snapshot(const TAV_ObjectData& mesh)
{
    return std::vector<float>(mesh.m_data, mesh.m_data + mesh.m_stride * mesh.m_count);
}

}  // namespace

TEST(ObjectData, FaceNormalsFollowTheCounterClockwiseRuleAndFlipBitExactly)
{
    // Two triangles: one counter-clockwise seen from +z, one seen from -z; garbage normals.
    const float records[] = {
        9, 9, 9, 0, 0, 0,  9, 9, 9, 1, 0, 0,  9, 9, 9, 0, 1, 0,
        9, 9, 9, 0, 0, 3,  9, 9, 9, 0, 1, 3,  9, 9, 9, 1, 0, 3,
    };
    TAV_ObjectData mesh(6, true, false);
    mesh.csetData(records);
    mesh.faceNormals();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(TAV_Vertex(0, 0, i < 3 ? 1 : -1), mesh.getNormal(i)) << "vertex " << i;
    EXPECT_EQ(TAV_Vertex(1, 0, 3), mesh.getPosition(5));  // positions are left alone

    // Flipping negates every normal float, negative zeros included, and nothing else.
    std::unique_ptr<TAV_ObjectData> subdivided(TAV_ObjectFactory::createOktaederData(true, true));
    TAV_ObjectFactory::subdiv(subdivided.get());  // its normals carry negative zeros
    const std::vector<float> before = snapshot(*subdivided);
    subdivided->flipNormals();
    for (size_t k = 0; k < before.size(); ++k) {
        const bool isNormal = k % 8 >= 2 && k % 8 < 5;
        EXPECT_EQ(isNormal, std::signbit(before[k]) != std::signbit(subdivided->m_data[k])) << "float " << k;
    }
    subdivided->flipNormals();
    EXPECT_EQ(before, snapshot(*subdivided));
}

TEST(ObjectData, NormalOperationsOnAMeshWithoutNormalsChangeNothing)
{
    for (bool texCoords : {false, true}) {
        std::unique_ptr<TAV_ObjectData> mesh(TAV_ObjectFactory::createCubeData(false, texCoords));
        const std::vector<float> before = snapshot(*mesh);
        mesh->faceNormals();
        mesh->vertexNormals();
        mesh->flipNormals();
        EXPECT_EQ(before, snapshot(*mesh)) << "texCoords " << texCoords;
    }
}

TEST(ObjectData, VertexNormalsWeighEveryRecordAtThePositionWhateverTheOrder)
{
    std::unique_ptr<TAV_ObjectData> cube(TAV_ObjectFactory::createCubeData(true, false));
    std::unique_ptr<TAV_ObjectData> reversed(cube->getCopy());
    const int triangles = cube->m_count / 3;
    for (int tri = 0; tri < triangles; ++tri)
        std::memcpy(reversed->m_data + tri * 18, cube->m_data + (triangles - 1 - tri) * 18, 18 * sizeof(float));
    cube->vertexNormals();
    reversed->vertexNormals();
    int corner1 = 0, corner2 = 0;
    const float k = 1.0f / std::sqrt(3.0f);
    for (int i = 0; i < cube->m_count; ++i) {
        const TAV_Vertex p = cube->getPosition(i), n = cube->getNormal(i);
        // (0.5, 0.5, 0.5) lies on five triangles, two of them facing +x, two +z, one +y;
        // (-0.5, 0.5, -0.5) on one of each face.
        if (p == TAV_Vertex(0.5f, 0.5f, 0.5f)) {
            ++corner1;
            EXPECT_NEAR(2.0f / 3, n.x, 1e-6f);
            EXPECT_NEAR(1.0f / 3, n.y, 1e-6f);
            EXPECT_NEAR(2.0f / 3, n.z, 1e-6f);
        } else if (p == TAV_Vertex(-0.5f, 0.5f, -0.5f)) {
            ++corner2;
            EXPECT_NEAR(-k, n.x, 1e-6f);
            EXPECT_NEAR(k, n.y, 1e-6f);
            EXPECT_NEAR(-k, n.z, 1e-6f);
        }
        EXPECT_GT(n.x * p.x, 0.0f);  // out of the cube, into the corner's octant
        EXPECT_GT(n.y * p.y, 0.0f);
        EXPECT_GT(n.z * p.z, 0.0f);
    }
    EXPECT_EQ(5, corner1);
    EXPECT_EQ(3, corner2);
    for (int tri = 0; tri < triangles; ++tri)
        EXPECT_TRUE(sameBits(cube->m_data + (triangles - 1 - tri) * 18, reversed->m_data + tri * 18, 18));
}

TEST(ObjectData, MorphsMoveNormalsAndPositionsButNotTextureCoordinates)
{
    // Scales -2, 1, 3, 10 of the unit quad: halfway the cubic gives 10/8 - 13/4 + 5/2 + 1 = 1.5.
    std::unique_ptr<TAV_ObjectData> before = makeQuad(-2.0f), from = makeQuad(1.0f), to = makeQuad(3.0f),
                                    after = makeQuad(10.0f);
    for (int i = 0; i < to->m_count; ++i) {
        to->setNormal(i, TAV_Vertex(1, 0, 0));
        to->m_data[i * 8] = 5.0f;  // s
    }
    TAV_ObjectData out(6, true, true);
    from->interpolateLinear(0.5f, to.get(), &out);
    EXPECT_EQ(from->getPosition(2) * 2.0f, out.getPosition(2));
    EXPECT_EQ(TAV_Vertex(0.5f, 0, 0.5f), out.getNormal(2)) << "not re-normalised";
    EXPECT_EQ(0.0f, out.m_data[2 * 8]) << "texture coordinates untouched";
    from->interpolateCubic(0.5f, before.get(), to.get(), after.get(), &out);
    EXPECT_NEAR(0.5f * 1.5f, out.getPosition(2).x, 1e-6f);
    // The result may be written over the source itself.
    from->interpolateLinear(1.0f, to.get(), from.get());
    EXPECT_EQ(to->getPosition(3), from->getPosition(3));
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/TAV_ObjectFactory.h"
#include "math/TAV_MATH_Vector.h"
#include "support/TestMathPrinters.h"

namespace {

using Generator = std::function<TAV_ObjectData*(bool, bool)>;

struct Primitive {
    const char* name;
    Generator create;
    int count;
};

const Primitive PRIMITIVES[] = {
    {"triangle", TAV_ObjectFactory::createTriangleData, 3},
    {"plane", TAV_ObjectFactory::createPlaneData, 6},
    {"cube", TAV_ObjectFactory::createCubeData, 36},
    {"inside cube", TAV_ObjectFactory::createInsideCubeData, 36},
    {"octahedron", TAV_ObjectFactory::createOktaederData, 24},
};

std::unique_ptr<TAV_ObjectData> make(const Generator& create, bool normals, bool texCoords)
{
    return std::unique_ptr<TAV_ObjectData>(create(normals, texCoords));
}

float s(const TAV_ObjectData& mesh, int i) { return mesh.m_data[i * mesh.m_stride + mesh.m_texCoordOffset]; }
float t(const TAV_ObjectData& mesh, int i) { return mesh.m_data[i * mesh.m_stride + mesh.m_texCoordOffset + 1]; }

// The normal of triangle tri as the counter-clockwise rule gives it, from positions alone.
TAV_Vertex windingNormal(const TAV_ObjectData& mesh, int tri)
{
    TAV_Vertex n;
    TAV_MATH_Vector::calculateNormal(mesh.getPosition(3 * tri), mesh.getPosition(3 * tri + 1),
                                     mesh.getPosition(3 * tri + 2), n);
    return n;
}

// The six cube faces: where the corner with texture coordinate (s, t) lies on each face.
TAV_Vertex cubeCorner(int face, float s, float t)
{
    const TAV_Vertex corners[6] = {
        {s - 0.5f, t - 0.5f, 0.5f},  {0.5f - s, t - 0.5f, -0.5f}, {s - 0.5f, 0.5f, 0.5f - t},
        {s - 0.5f, -0.5f, t - 0.5f}, {-0.5f, t - 0.5f, s - 0.5f}, {0.5f, t - 0.5f, 0.5f - s},
    };
    return corners[face];
}

struct FaceRow {
    TAV_Vertex normal;
    float st[6][2];
};

const FaceRow OUTSIDE[6] = {
    {{0, 0, 1}, {{0, 1}, {0, 0}, {1, 1}, {1, 1}, {0, 0}, {1, 0}}},
    {{0, 0, -1}, {{1, 0}, {1, 1}, {0, 1}, {0, 1}, {0, 0}, {1, 0}}},
    {{0, 1, 0}, {{0, 1}, {0, 0}, {1, 1}, {1, 1}, {0, 0}, {1, 0}}},
    {{0, -1, 0}, {{0, 1}, {0, 0}, {1, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{-1, 0, 0}, {{0, 1}, {0, 0}, {1, 1}, {1, 1}, {0, 0}, {1, 0}}},
    {{1, 0, 0}, {{1, 0}, {1, 1}, {0, 1}, {0, 1}, {0, 0}, {1, 0}}},
};

const FaceRow INSIDE[6] = {
    {{0, 0, -1}, {{1, 1}, {0, 0}, {0, 1}, {1, 0}, {0, 0}, {1, 1}}},
    {{0, 0, 1}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},
    {{0, -1, 0}, {{1, 1}, {0, 0}, {0, 1}, {1, 0}, {0, 0}, {1, 1}}},
    {{0, 1, 0}, {{1, 0}, {0, 0}, {0, 1}, {0, 1}, {1, 1}, {1, 0}}},
    {{1, 0, 0}, {{1, 1}, {0, 0}, {0, 1}, {1, 0}, {0, 0}, {1, 1}}},
    {{-1, 0, 0}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},
};

void expectCubeMatchesTable(const TAV_ObjectData& cube, const FaceRow (&table)[6])
{
    ASSERT_EQ(36, cube.m_count);
    for (int face = 0; face < 6; ++face) {
        for (int v = 0; v < 6; ++v) {
            const int i = face * 6 + v;
            const float ts = table[face].st[v][0], tt = table[face].st[v][1];
            EXPECT_EQ(ts, s(cube, i)) << "face " << face << " vertex " << v;
            EXPECT_EQ(tt, t(cube, i)) << "face " << face << " vertex " << v;
            EXPECT_EQ(table[face].normal, cube.getNormal(i)) << "face " << face << " vertex " << v;
            EXPECT_EQ(cubeCorner(face, ts, tt), cube.getPosition(i)) << "face " << face << " vertex " << v;
        }
    }
}

std::vector<float> snapshot(const TAV_ObjectData& mesh)
{
    return std::vector<float>(mesh.m_data, mesh.m_data + mesh.m_stride * mesh.m_count);
}

}  // namespace

TEST(ObjectFactory, EveryPrimitiveKeepsItsDataWhateverTheFlags)
{
    for (const Primitive& p : PRIMITIVES) {
        const std::unique_ptr<TAV_ObjectData> full = make(p.create, true, true);
        ASSERT_EQ(p.count, full->m_count) << p.name;
        for (bool normals : {false, true}) {
            for (bool texCoords : {false, true}) {
                SCOPED_TRACE(testing::Message() << p.name << " normals " << normals << " texCoords " << texCoords);
                const std::unique_ptr<TAV_ObjectData> mesh = make(p.create, normals, texCoords);
                const TAV_ObjectData reference(1, normals, texCoords);
                ASSERT_EQ(p.count, mesh->m_count);
                EXPECT_EQ(reference.m_stride, mesh->m_stride);
                EXPECT_EQ(reference.m_format, mesh->m_format);
                EXPECT_EQ(reference.m_vertexOffset, mesh->m_vertexOffset);
                EXPECT_EQ(reference.m_normalOffset, mesh->m_normalOffset);
                EXPECT_STREQ("", mesh->m_name);
                for (int i = 0; i < p.count; ++i) {
                    EXPECT_EQ(full->getPosition(i), mesh->getPosition(i)) << "vertex " << i;
                    if (normals) {
                        EXPECT_EQ(full->getNormal(i), mesh->getNormal(i)) << "vertex " << i;
                    }
                    if (texCoords) {
                        EXPECT_EQ(s(*full, i), s(*mesh, i)) << "vertex " << i;
                        EXPECT_EQ(t(*full, i), t(*mesh, i)) << "vertex " << i;
                    }
                }
            }
        }
    }
}

TEST(ObjectFactory, EveryTriangleIsWoundCounterClockwiseTowardsItsNormals)
{
    for (const Primitive& p : PRIMITIVES) {
        const std::unique_ptr<TAV_ObjectData> mesh = make(p.create, true, false);
        for (int tri = 0; tri < p.count / 3; ++tri) {
            const TAV_Vertex n = windingNormal(*mesh, tri);
            for (int c = 0; c < 3; ++c) {
                // Flat primitives store the face normal itself; the octahedron's smooth
                // normals lean the same way as its faces.
                const TAV_Vertex stored = mesh->getNormal(3 * tri + c);
                if (std::string(p.name) == "octahedron") {
                    EXPECT_NEAR(1.0f / std::sqrt(3.0f), TAV_MATH_Vector::dot(n, stored), 1e-6f) << "triangle " << tri;
                } else {
                    EXPECT_EQ(n, stored) << p.name << " triangle " << tri;
                }
            }
        }
    }
}

TEST(ObjectFactory, CubesPointOutwardsAndInwards)
{
    for (bool inside : {false, true}) {
        const std::unique_ptr<TAV_ObjectData> cube(inside ? TAV_ObjectFactory::createInsideCubeData(true, true)
                                                          : TAV_ObjectFactory::createCubeData(true, true));
        for (int tri = 0; tri < 12; ++tri) {
            // The triangle's centre lies on its face; outwards means along the centre.
            const TAV_Vertex centre = (cube->getPosition(3 * tri) + cube->getPosition(3 * tri + 1) +
                                       cube->getPosition(3 * tri + 2)) * (1.0f / 3);
            const float along = TAV_MATH_Vector::dot(windingNormal(*cube, tri), centre);
            if (inside) {
                EXPECT_LT(along, 0.0f) << "triangle " << tri;
            } else {
                EXPECT_GT(along, 0.0f) << "triangle " << tri;
            }
        }
    }
}

TEST(ObjectFactory, TriangleAndPlaneMatchTheirTables)
{
    const std::unique_ptr<TAV_ObjectData> plane(TAV_ObjectFactory::createPlaneData(true, true));
    const float first[8] = {0, 1, 0, 0, 1, -0.5f, 0.5f, 0};
    EXPECT_EQ(0, std::memcmp(first, plane->m_data, sizeof(first)));
    EXPECT_EQ(GLenum(0x2A2B), plane->m_format);
    const float xy[6][2] = {{-0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, -0.5f}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(TAV_Vertex(xy[i][0], xy[i][1], 0), plane->getPosition(i)) << "vertex " << i;
        EXPECT_EQ(TAV_Vertex(0, 0, 1), plane->getNormal(i));
        // s = x + 0.5 and t = y + 0.5: t = 1 on the top edge.
        EXPECT_EQ(xy[i][0] + 0.5f, s(*plane, i));
        EXPECT_EQ(xy[i][1] + 0.5f, t(*plane, i));
    }

    const std::unique_ptr<TAV_ObjectData> triangle(TAV_ObjectFactory::createTriangleData(true, true));
    EXPECT_EQ(0, std::memcmp(plane->m_data, triangle->m_data, 3 * 8 * sizeof(float)));

    const std::unique_ptr<TAV_ObjectData> bare(TAV_ObjectFactory::createPlaneData(false, false));
    EXPECT_EQ(3, bare->m_stride);
    EXPECT_EQ(GLenum(0x2A21), bare->m_format);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(xy[i][0], bare->m_data[3 * i]);
        EXPECT_EQ(xy[i][1], bare->m_data[3 * i + 1]);
        EXPECT_EQ(0.0f, bare->m_data[3 * i + 2]);
    }
}

TEST(ObjectFactory, CubesMatchTheirFaceTables)
{
    const std::unique_ptr<TAV_ObjectData> cube(TAV_ObjectFactory::createCubeData(true, true));
    expectCubeMatchesTable(*cube, OUTSIDE);
    const std::unique_ptr<TAV_ObjectData> inside(TAV_ObjectFactory::createInsideCubeData(true, true));
    expectCubeMatchesTable(*inside, INSIDE);

    // The first records as written out in full.
    const float outsideFirst[8] = {0, 1, 0, 0, 1, -0.5f, 0.5f, 0.5f};
    const float insideFirst[8] = {1, 1, 0, 0, -1, 0.5f, 0.5f, 0.5f};
    EXPECT_EQ(0, std::memcmp(outsideFirst, cube->m_data, sizeof(outsideFirst)));
    EXPECT_EQ(0, std::memcmp(insideFirst, inside->m_data, sizeof(insideFirst)));

    // Normals then positions, stride 6, without texture coordinates.
    const std::unique_ptr<TAV_ObjectData> lit(TAV_ObjectFactory::createCubeData(true, false));
    EXPECT_EQ(6, lit->m_stride);
    EXPECT_EQ(GLenum(0x2A25), lit->m_format);
    const float litFirst[6] = {0, 0, 1, -0.5f, 0.5f, 0.5f};
    EXPECT_EQ(0, std::memcmp(litFirst, lit->m_data, sizeof(litFirst)));
}

TEST(ObjectFactory, OctahedronMatchesItsTable)
{
    const TAV_Vertex X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1);
    const TAV_Vertex corners[8][3] = {
        {-Z, Y, X}, {X, Y, Z}, {Z, Y, -X}, {-X, Y, -Z}, {-Y, -Z, X}, {-Y, X, Z}, {-Y, Z, -X}, {-Y, -X, -Z},
    };
    const std::unique_ptr<TAV_ObjectData> okta(TAV_ObjectFactory::createOktaederData(true, true));
    ASSERT_EQ(24, okta->m_count);
    for (int tri = 0; tri < 8; ++tri) {
        for (int c = 0; c < 3; ++c) {
            const int i = 3 * tri + c;
            EXPECT_EQ(corners[tri][c], okta->getPosition(i)) << "triangle " << tri << " corner " << c;
            EXPECT_EQ(corners[tri][c], okta->getNormal(i)) << "triangle " << tri << " corner " << c;
        }
        EXPECT_EQ(0.0f, s(*okta, 3 * tri));
        EXPECT_EQ(1.0f, t(*okta, 3 * tri));
        EXPECT_EQ(0.0f, s(*okta, 3 * tri + 1));
        EXPECT_EQ(0.0f, t(*okta, 3 * tri + 1));
        EXPECT_EQ(1.0f, s(*okta, 3 * tri + 2));
        EXPECT_EQ(0.0f, t(*okta, 3 * tri + 2));
    }
}

TEST(ObjectFactory, SubdividedPlaneSplitsPositionsAndTextureCoordinatesAlike)
{
    const std::unique_ptr<TAV_ObjectData> plane(TAV_ObjectFactory::createPlaneData(true, true));
    TAV_ObjectFactory::subdiv(plane.get());
    ASSERT_EQ(24, plane->m_count);
    EXPECT_EQ(8, plane->m_stride);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(TAV_Vertex(0, 0, 1), plane->getNormal(i)) << "vertex " << i;  // -0 counts as 0
        const TAV_Vertex p = plane->getPosition(i);
        // Texture coordinates stay tied to positions.
        EXPECT_EQ(p.x + 0.5f, s(*plane, i)) << "vertex " << i;
        EXPECT_EQ(p.y + 0.5f, t(*plane, i)) << "vertex " << i;
    }
    const TAV_Vertex firstXY[3] = {{-0.5f, 0.5f, 0}, {-0.5f, 0, 0}, {0, 0.5f, 0}};
    const float firstST[3][2] = {{0, 1}, {0, 0.5f}, {0.5f, 1}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(firstXY[i], plane->getPosition(i));
        EXPECT_EQ(firstST[i][0], s(*plane, i));
        EXPECT_EQ(firstST[i][1], t(*plane, i));
    }
    // The four children in order P, PQ, PR / PR, PQ, RQ / PQ, Q, RQ / R, PR, RQ of the first
    // triangle P = (-0.5, 0.5), Q = (-0.5, -0.5), R = (0.5, 0.5).
    const TAV_Vertex P(-0.5f, 0.5f, 0), Q(-0.5f, -0.5f, 0), R(0.5f, 0.5f, 0);
    const TAV_Vertex PQ(-0.5f, 0, 0), PR(0, 0.5f, 0), RQ(0, 0, 0);
    const TAV_Vertex order[12] = {P, PQ, PR, PR, PQ, RQ, PQ, Q, RQ, R, PR, RQ};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(order[i], plane->getPosition(i)) << "record " << i;
}

TEST(ObjectFactory, SubdivisionKeepsEveryWindingAndTheShape)
{
    for (bool inside : {false, true}) {
        const std::unique_ptr<TAV_ObjectData> cube(inside ? TAV_ObjectFactory::createInsideCubeData(true, false)
                                                          : TAV_ObjectFactory::createCubeData(true, false));
        const std::vector<TAV_Vertex> faceNormals = [&] {
            std::vector<TAV_Vertex> normals;
            for (int face = 0; face < 6; ++face)
                normals.push_back(cube->getNormal(6 * face));
            return normals;
        }();
        TAV_ObjectFactory::subdiv(cube.get(), 2);
        ASSERT_EQ(36 * 16, cube->m_count);
        for (int i = 0; i < cube->m_count; ++i) {
            // Each face became 6 * 16 records; recomputed normals agree with the originals only
            // if every child kept its parent's winding.
            EXPECT_EQ(faceNormals[static_cast<size_t>(i / 96)], cube->getNormal(i)) << "record " << i;
            const TAV_Vertex p = cube->getPosition(i);
            EXPECT_EQ(0.5f, std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}));
        }
    }
}

TEST(ObjectFactory, OctahedronSubdividedTwiceStaysOnItsFacesWithFlatNormals)
{
    const std::unique_ptr<TAV_ObjectData> okta(TAV_ObjectFactory::createOktaederData(true, true));
    TAV_ObjectFactory::subdiv(okta.get(), 2);
    ASSERT_EQ(384, okta->m_count);
    const float k = 1.0f / std::sqrt(3.0f);
    for (int i = 0; i < okta->m_count; ++i) {
        const TAV_Vertex p = okta->getPosition(i);
        EXPECT_NEAR(1.0f, std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z), 1e-6f) << "vertex " << i;
        // Flat: the normal of the octant the triangle lies in, the same on all three corners.
        const TAV_Vertex n = okta->getNormal(i), first = okta->getNormal(i - i % 3);
        EXPECT_EQ(first, n);
        EXPECT_NEAR(k, std::fabs(n.x), 1e-6f);
        EXPECT_NEAR(k, std::fabs(n.y), 1e-6f);
        EXPECT_NEAR(k, std::fabs(n.z), 1e-6f);
        EXPECT_GE(n.x * p.x, 0.0f);
        EXPECT_GE(n.y * p.y, 0.0f);
        EXPECT_GE(n.z * p.z, 0.0f);
    }
}

TEST(ObjectFactory, SubdivisionWithoutNormalsOrTextureCoordinates)
{
    const std::unique_ptr<TAV_ObjectData> bare(TAV_ObjectFactory::createTriangleData(false, false));
    TAV_ObjectFactory::subdiv(bare.get());
    ASSERT_EQ(12, bare->m_count);
    EXPECT_EQ(3, bare->m_stride);
    EXPECT_EQ(TAV_Vertex(0, 0, 0), bare->getPosition(5));  // RQ, the middle of the diagonal

    const std::unique_ptr<TAV_ObjectData> textured(TAV_ObjectFactory::createTriangleData(false, true));
    TAV_ObjectFactory::subdiv(textured.get());
    EXPECT_EQ(0.5f, s(*textured, 5));
    EXPECT_EQ(0.5f, t(*textured, 5));
}

TEST(ObjectFactory, SubdivisionByZeroOrNegativeStepsChangesNothing)
{
    const std::unique_ptr<TAV_ObjectData> cube(TAV_ObjectFactory::createCubeData(true, true));
    const std::vector<float> before = snapshot(*cube);
    const float* array = cube->m_data;
    TAV_ObjectFactory::subdiv(cube.get(), 0);
    TAV_ObjectFactory::subdiv(cube.get(), -3);
    EXPECT_EQ(36, cube->m_count);
    EXPECT_EQ(array, cube->m_data);
    EXPECT_EQ(0, std::memcmp(before.data(), cube->m_data, before.size() * sizeof(float)));
}

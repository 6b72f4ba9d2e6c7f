#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/TAV_ObjectFactory.h"
#include "math/TAV_MATH_Vector.h"
#include "scene/TAV_Object.h"

namespace {

struct Primitive {
    const char* name;
    std::function<TAV_ObjectData*(bool, bool)> create;
    std::function<TAV_Object*(bool, bool)> createObject;
    int count;
};

const Primitive PRIMITIVES[] = {
    {"triangle", TAV_ObjectFactory::createTriangleData, TAV_ObjectFactory::createTriangle, 3},
    {"plane", TAV_ObjectFactory::createPlaneData, TAV_ObjectFactory::createPlane, 6},
    {"cube", TAV_ObjectFactory::createCubeData, TAV_ObjectFactory::createCube, 36},
    {"inside cube", TAV_ObjectFactory::createInsideCubeData, TAV_ObjectFactory::createInsideCube, 36},
    {"octahedron", TAV_ObjectFactory::createOktaederData, TAV_ObjectFactory::createOktaeder, 24},
};

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

std::vector<float> snapshot(const TAV_ObjectData& mesh)
{
    return std::vector<float>(mesh.m_data, mesh.m_data + mesh.m_stride * mesh.m_count);
}

}  // namespace

// Flat primitives store the face normal of each triangle's winding; the octahedron's smooth
// normals lean the same way as its faces. Cubes face out, inside cubes in. Each object
// wrapper shows the same mesh.
TEST(ObjectFactory, EveryTriangleIsWoundCounterClockwiseTowardsItsNormals)
{
    for (const Primitive& p : PRIMITIVES) {
        const std::unique_ptr<TAV_ObjectData> mesh(p.create(true, false));
        ASSERT_EQ(p.count, mesh->m_count) << p.name;
        // The object wrapper shows a fresh mesh it does not own: the mesh goes first, so
        // AddressSanitizer sees it if the object touches or deletes it.
        std::unique_ptr<TAV_Object> object(p.createObject(true, false));
        std::unique_ptr<TAV_IObjectData> shown(object->m_data);
        EXPECT_EQ(snapshot(*mesh), std::vector<float>(shown->m_data, shown->m_data + 6 * p.count)) << p.name;
        const bool octahedron = std::string(p.name) == "octahedron";
        for (int tri = 0; tri < p.count / 3; ++tri) {
            const TAV_Vertex n = windingNormal(*mesh, tri);
            for (int c = 0; c < 3; ++c) {
                const TAV_Vertex stored = mesh->getNormal(3 * tri + c);
                if (octahedron) {
                    EXPECT_NEAR(1.0f / std::sqrt(3.0f), TAV_MATH_Vector::dot(n, stored), 1e-6f) << "triangle " << tri;
                } else {
                    EXPECT_EQ(n, stored) << p.name << " triangle " << tri;
                }
            }
            const TAV_Vertex centre =
                (mesh->getPosition(3 * tri) + mesh->getPosition(3 * tri + 1) + mesh->getPosition(3 * tri + 2)) * (1.0f / 3);
            const float outwards = TAV_MATH_Vector::dot(n, centre);
            if (std::string(p.name) == "cube") {
                EXPECT_GT(outwards, 0.0f) << "triangle " << tri;
            }
            if (std::string(p.name) == "inside cube") {
                EXPECT_LT(outwards, 0.0f) << "triangle " << tri;
            }
        }
    }
}

TEST(ObjectFactory, SubdivisionSplitsEveryTriangleInFourKeepingWindingShapeAndTextureCoordinates)
{
    // Texture coordinates are split with the positions they belong to.
    const std::unique_ptr<TAV_ObjectData> plane(TAV_ObjectFactory::createPlaneData(true, true));
    TAV_ObjectFactory::subdiv(plane.get());
    ASSERT_EQ(24, plane->m_count);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(TAV_Vertex(0, 0, 1), plane->getNormal(i)) << "vertex " << i;  // -0 counts as 0
        EXPECT_EQ(plane->getPosition(i).x + 0.5f, s(*plane, i)) << "vertex " << i;
        EXPECT_EQ(plane->getPosition(i).y + 0.5f, t(*plane, i)) << "vertex " << i;
    }

    // Twice: recomputed normals agree with the faces' only if every child kept its
    // parent's winding; every vertex stays on the surface.
    for (bool inside : {false, true}) {
        const std::unique_ptr<TAV_ObjectData> cube(inside ? TAV_ObjectFactory::createInsideCubeData(true, false)
                                                          : TAV_ObjectFactory::createCubeData(true, false));
        const std::vector<float> before = snapshot(*cube);
        TAV_ObjectFactory::subdiv(cube.get(), 2);
        ASSERT_EQ(36 * 16, cube->m_count);
        for (int i = 0; i < cube->m_count; ++i) {
            const int face = i / 96;
            EXPECT_EQ(TAV_Vertex(before[size_t(face * 36)], before[size_t(face * 36 + 1)], before[size_t(face * 36 + 2)]),
                      cube->getNormal(i)) << "record " << i;
            const TAV_Vertex p = cube->getPosition(i);
            EXPECT_EQ(0.5f, std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}));
        }
    }
    const std::unique_ptr<TAV_ObjectData> okta(TAV_ObjectFactory::createOktaederData(true, false));
    TAV_ObjectFactory::subdiv(okta.get(), 2);
    ASSERT_EQ(384, okta->m_count);
    for (int i = 0; i < okta->m_count; ++i) {
        const TAV_Vertex p = okta->getPosition(i), n = okta->getNormal(i);
        EXPECT_NEAR(1.0f, std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z), 1e-6f) << "vertex " << i;
        EXPECT_EQ(okta->getNormal(i - i % 3), n);  // flat
        EXPECT_NEAR(1.0f / std::sqrt(3.0f), std::fabs(n.x), 1e-6f);
        EXPECT_GE(n.x * p.x, 0.0f);
    }

    // Without normals; and zero or negative steps change nothing.
    const std::unique_ptr<TAV_ObjectData> bare(TAV_ObjectFactory::createTriangleData(false, true));
    TAV_ObjectFactory::subdiv(bare.get());
    ASSERT_EQ(12, bare->m_count);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(bare->getPosition(i).x + 0.5f, s(*bare, i)) << "vertex " << i;
        EXPECT_EQ(bare->getPosition(i).y + 0.5f, t(*bare, i)) << "vertex " << i;
    }
    const std::vector<float> unchanged = snapshot(*bare);
    TAV_ObjectFactory::subdiv(bare.get(), 0);
    TAV_ObjectFactory::subdiv(bare.get(), -3);
    EXPECT_EQ(unchanged, snapshot(*bare));
}

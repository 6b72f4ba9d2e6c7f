#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "geometry/TAV_ObjectFactory.h"
#include "scene/TAV_Object.h"

namespace {

struct Wrapper {
    const char* name;
    std::function<TAV_Object*(bool, bool)> createObject;
    std::function<TAV_ObjectData*(bool, bool)> createData;
};

const Wrapper WRAPPERS[] = {
    {"triangle", TAV_ObjectFactory::createTriangle, TAV_ObjectFactory::createTriangleData},
    {"plane", TAV_ObjectFactory::createPlane, TAV_ObjectFactory::createPlaneData},
    {"cube", TAV_ObjectFactory::createCube, TAV_ObjectFactory::createCubeData},
    {"inside cube", TAV_ObjectFactory::createInsideCube, TAV_ObjectFactory::createInsideCubeData},
    {"octahedron", TAV_ObjectFactory::createOktaeder, TAV_ObjectFactory::createOktaederData},
};

}  // namespace

TEST(ObjectFactoryObjects, EachWrapperShowsTheMatchingMeshInAFreshObject)
{
    for (const Wrapper& wrapper : WRAPPERS) {
        for (const bool normals : {false, true}) {
            for (const bool texCoords : {false, true}) {
                SCOPED_TRACE(::testing::Message() << wrapper.name << " normals " << normals << " texCoords " << texCoords);
                std::unique_ptr<TAV_Object> object(wrapper.createObject(normals, texCoords));
                ASSERT_NE(nullptr, object);
                // The object never owns its mesh: the caller deletes both. The mesh goes
                // first, so AddressSanitizer sees it if the object touches or deletes it.
                std::unique_ptr<TAV_IObjectData> mesh(object->m_data);
                std::unique_ptr<TAV_ObjectData> expected(wrapper.createData(normals, texCoords));
                ASSERT_NE(nullptr, mesh);
                EXPECT_EQ(25, mesh->getType());  // a plain triangle list
                ASSERT_EQ(expected->m_count, mesh->m_count);
                ASSERT_EQ(expected->m_format, mesh->m_format);
                EXPECT_EQ(0, std::memcmp(expected->m_data, mesh->m_data,
                                         sizeof(float) * size_t(mesh->m_count) * size_t(mesh->m_stride)));

                EXPECT_EQ(nullptr, object->m_texture);
                EXPECT_EQ(nullptr, object->m_material);
                EXPECT_STREQ("", object->getName());
                EXPECT_FLOAT_EQ(0, object->m_translate[0]);
                EXPECT_FLOAT_EQ(1, object->m_scale[2]);
            }
        }
    }
}

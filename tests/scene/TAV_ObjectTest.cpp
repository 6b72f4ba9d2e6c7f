// GoogleTest first: Xlib defines macros (None, Bool, Status) that break its headers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "geometry/TAV_ObjectData.h"
#include "image/TAV_Texture.h"
#include "scene/TAV_Container.h"
#include "scene/TAV_Material.h"
#include "scene/TAV_Object.h"
#include "support/TestGLContext.h"

namespace {

template <typename Resource>
Resource* named(Resource* resource, const char* name)
{
    resource->setName(name);
    return resource;
}

// Records the references it is given, to show resolution goes through the virtual setters.
struct Recording : TAV_Object {
    int calls = 0;
    void setMaterial(TAV_Material* m) override { ++calls; TAV_Object::setMaterial(m); }
    void setTexture(TAV_ITexture* t) override { ++calls; TAV_Object::setTexture(t); }
    void setData(TAV_IObjectData* d) override { ++calls; TAV_Object::setData(d); }
};

}  // namespace

TEST(Object, ReferenceNamesUpToFifteenCharactersAreKeptLongerOnesRefused)
{
    TAV_Object object;
    object.setTextureName("fifteen-chars-x");
    EXPECT_STREQ("fifteen-chars-x", object.m_textureName);
    object.setTextureName("sixteen-chars-xx");
    EXPECT_STREQ("fifteen-chars-x", object.m_textureName);
    // A shorter name leaves no trace of the longer one before it.
    object.setDataName("cube");
    object.setDataName("ab");
    for (int i = 2; i < TAV_Named::NAME_SIZE; ++i)
        EXPECT_EQ('\0', object.m_dataName[i]) << "byte " << i;
}

// Named references find their resource and keep what they had when there is none; names
// never set pick up the newest unnamed resource of each kind.
TEST(Object, ResolvesNamesAgainstAContainerThroughTheSetters)
{
    TAV_Container container;
    auto* gold = named(new TAV_Material(), "gold");
    auto* hull = named(new TAV_ObjectData(3, false, false), "hull");
    container.addMaterial(gold);
    container.addObjectData(hull);
    container.addTexture(named(new TAV_Texture(), "other"));
    TAV_Texture earlierTexture;
    Recording byName;
    byName.setTexture(&earlierTexture);
    byName.setMaterialName("gold");
    byName.setDataName("hull");
    byName.setTextureName("brick");
    byName.searchPointersForNames(&container);
    EXPECT_EQ(gold, byName.m_material);
    EXPECT_EQ(hull, byName.m_data);
    EXPECT_EQ(&earlierTexture, byName.m_texture);
    EXPECT_EQ(3, byName.calls);

    container.addMaterial(new TAV_Material());
    auto* newestMaterial = new TAV_Material();
    container.addMaterial(newestMaterial);
    container.addMaterial(named(new TAV_Material(), "named"));
    auto* texture = new TAV_Texture();
    container.addTexture(texture);
    auto* mesh = new TAV_ObjectData(3, true, false);
    container.addObjectData(mesh);
    Recording unnamed;
    unnamed.searchPointersForNames(&container);
    EXPECT_EQ(newestMaterial, unnamed.m_material);
    EXPECT_EQ(texture, unnamed.m_texture);
    EXPECT_EQ(mesh, unnamed.m_data);
    EXPECT_EQ(3, unnamed.calls);
}

// Scales accumulate by product, turns and moves by sum; the matrix scales first (so the
// translation is scaled too), then moves, then turns about x, y, z in that call order (so
// a vertex turns about z first), multiplied onto what is there.
TEST(ObjectTransform, ScalesThenMovesThenTurnsAboutZYX)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    TAV_RTSObject transform;
    transform.scale(2, 2, 2);
    transform.scale(1, 1, 1.5f);
    transform.translate(1, 2, 0);
    transform.translate(0, 0, 3);
    transform.rotate(45, 0, 90);
    transform.rotate(45, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -5);
    transform.setGLMatrix();
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    EXPECT_FLOAT_EQ(2, m[12]);
    EXPECT_FLOAT_EQ(4, m[13]);
    EXPECT_FLOAT_EQ(9 - 5, m[14]);
    // The x axis turned about z to +y, then about x to +z, then scaled by 3 along z.
    EXPECT_NEAR(0, m[0], 1e-6);
    EXPECT_NEAR(0, m[1], 1e-6);
    EXPECT_NEAR(3, m[2], 1e-6);

    // Set, the parts replace what was there.
    const float values[3] = {7, 8, 9};
    transform.setTranslate(values);
    transform.setScale(values);
    transform.setRotate(values);
    transform.setRotate(0, 0, 0);
    glLoadIdentity();
    transform.setGLMatrix();
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    EXPECT_EQ((std::vector<float>{7, 0, 0, 0, 0, 8, 0, 0, 0, 0, 9, 0, 49, 64, 81, 1}), m);
}

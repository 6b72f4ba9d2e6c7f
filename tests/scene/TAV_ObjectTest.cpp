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

void expect3(const float* actual, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(x, actual[0]);
    EXPECT_FLOAT_EQ(y, actual[1]);
    EXPECT_FLOAT_EQ(z, actual[2]);
}

// The model-view matrix after the object's setGLMatrix() on the identity.
std::vector<float> modelviewOf(const TAV_RTSObject& transform)
{
    std::vector<float> matrix(16);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    transform.setGLMatrix();
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix.data());
    return matrix;
}

template <typename Resource>
Resource* named(Resource* resource, const char* name)
{
    resource->setName(name);
    return resource;
}

}  // namespace

TEST(Object, StartsAsIdentityTransformWithNothingAttachedAndEmptyNames)
{
    TAV_Object object;
    expect3(object.m_translate, 0, 0, 0);
    expect3(object.m_scale, 1, 1, 1);
    expect3(object.m_rotate, 0, 0, 0);
    EXPECT_EQ(nullptr, object.m_data);
    EXPECT_EQ(nullptr, object.m_texture);
    EXPECT_EQ(nullptr, object.m_material);
    EXPECT_STREQ("", object.getName());
    EXPECT_STREQ("", object.m_dataName);
    EXPECT_STREQ("", object.m_textureName);
    EXPECT_STREQ("", object.m_materialName);
    EXPECT_EQ(10, object.getType());
    EXPECT_EQ(10, static_cast<TAV_IUpdateable&>(object).getType());
    EXPECT_EQ(13, TAV_RTSObject().getType());
}

TEST(Object, TransformsAccumulateOrAreReplaced)
{
    TAV_Object object;
    object.scale(2, 2, 2);
    object.scale(2, 2, 2);
    expect3(object.m_scale, 4, 4, 4);
    object.rotate(30, 0, 0);
    object.rotate(30, 0, 370);
    expect3(object.m_rotate, 60, 0, 370);
    object.translate(1, 2, 3);
    object.translate(1, -2, 0.5f);
    expect3(object.m_translate, 2, 0, 3.5f);

    const float values[3] = {7, 8, 9};
    object.setTranslate(values);
    object.setRotate(values);
    object.setScale(values);
    expect3(object.m_translate, 7, 8, 9);
    expect3(object.m_rotate, 7, 8, 9);
    expect3(object.m_scale, 7, 8, 9);
    object.setTranslate(1, 2, 3);
    object.setRotate(4, 5, 6);
    object.setScale(0.5f, 0.25f, 2);
    expect3(object.m_translate, 1, 2, 3);
    expect3(object.m_rotate, 4, 5, 6);
    expect3(object.m_scale, 0.5f, 0.25f, 2);
}

TEST(Object, InitForgetsReferencesAndNamesButKeepsTheTransform)
{
    TAV_Material material;
    TAV_Object object;
    object.setName("ship");
    object.setMaterial(&material);
    object.setMaterialName("gold");
    object.setTranslate(1, 2, 3);
    object.init();
    EXPECT_EQ(nullptr, object.m_material);
    EXPECT_STREQ("", object.getName());
    EXPECT_STREQ("", object.m_materialName);
    expect3(object.m_translate, 1, 2, 3);
}

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
    object.setMaterialName("");
    EXPECT_STREQ("", object.m_materialName);
}

TEST(Object, ResolvesNamesAgainstAContainerAndKeepsWhatIsNotFound)
{
    TAV_Container container;
    auto* gold = named(new TAV_Material(), "gold");
    auto* hull = named(new TAV_ObjectData(3, false, false), "hull");
    container.addMaterial(gold);
    container.addObjectData(hull);
    container.addTexture(named(new TAV_Texture(), "other"));

    TAV_Texture earlierTexture;
    TAV_Object object;
    object.setTexture(&earlierTexture);
    object.setMaterialName("gold");
    object.setDataName("hull");
    object.setTextureName("brick");
    object.searchPointersForNames(&container);
    EXPECT_EQ(gold, object.m_material);
    EXPECT_EQ(hull, object.m_data);
    EXPECT_EQ(&earlierTexture, object.m_texture);
}

// Resolution goes through the virtual setters, so a subclass sees what it is given.
TEST(Object, NamesNeverSetPickUpTheNewestUnnamedResourceOfEachKindThroughTheSetters)
{
    struct Recording : TAV_Object {
        int calls = 0;
        void setMaterial(TAV_Material* m) override { ++calls; TAV_Object::setMaterial(m); }
        void setTexture(TAV_ITexture* t) override { ++calls; TAV_Object::setTexture(t); }
        void setData(TAV_IObjectData* d) override { ++calls; TAV_Object::setData(d); }
    };
    TAV_Container container;
    container.addMaterial(new TAV_Material());
    auto* newestMaterial = new TAV_Material();
    container.addMaterial(newestMaterial);
    container.addMaterial(named(new TAV_Material(), "named"));
    auto* texture = new TAV_Texture();
    container.addTexture(texture);
    auto* mesh = new TAV_ObjectData(3, true, false);
    container.addObjectData(mesh);

    Recording object;
    object.searchPointersForNames(&container);
    EXPECT_EQ(newestMaterial, object.m_material);
    EXPECT_EQ(texture, object.m_texture);
    EXPECT_EQ(mesh, object.m_data);
    EXPECT_EQ(3, object.calls);
}

TEST(ObjectTransform, ScalesTheTranslationToo)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    TAV_RTSObject transform;
    transform.setTranslate(1, 2, 3);
    transform.setScale(2, 2, 2);
    const std::vector<float> m = modelviewOf(transform);
    EXPECT_FLOAT_EQ(2, m[12]);
    EXPECT_FLOAT_EQ(4, m[13]);
    EXPECT_FLOAT_EQ(6, m[14]);
    EXPECT_FLOAT_EQ(2, m[0]);
    EXPECT_FLOAT_EQ(1, m[15]);
}

TEST(ObjectTransform, RotatesAboutZThenYThenX)
{
    TestGLContext gl;
    ASSERT_TRUE(gl.ok());
    TAV_RTSObject transform;
    // The x axis turned first about z (to +y) and then about x (to +z); the other order
    // would leave it on +y.
    transform.setRotate(90, 0, 90);
    const std::vector<float> m = modelviewOf(transform);
    EXPECT_NEAR(0, m[0], 1e-6);
    EXPECT_NEAR(0, m[1], 1e-6);
    EXPECT_NEAR(1, m[2], 1e-6);

    // The matrix is multiplied, not loaded: an earlier translation stays.
    glLoadIdentity();
    glTranslatef(0, 0, -5);
    TAV_RTSObject identity;
    identity.setGLMatrix();
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_FLOAT_EQ(-5, after[14]);
}

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "geometry/TAV_ObjectData.h"
#include "image/TAV_Texture.h"
#include "scene/TAV_Container.h"
#include "scene/TAV_Material.h"
#include "scene/TAV_Object.h"

namespace {

// Each resource below writes "<kind> <name>" here when it is destroyed, so a test sees
// what was deleted, how often and in which order.
std::vector<std::string> deletions;

void noteDeletion(const char* kind, const char* name)
{
    deletions.push_back(std::string(kind) + " " + name);
}

struct CountedMaterial : TAV_Material {
    explicit CountedMaterial(const char* name) { setName(name); }
    ~CountedMaterial() override { noteDeletion("material", getName()); }
};

struct CountedMesh : TAV_ObjectData {
    explicit CountedMesh(const char* name) : TAV_ObjectData(3, false, false) { setName(name); }
    ~CountedMesh() override { noteDeletion("mesh", getName()); }
};

// A texture that never reached OpenGL: it owns no texture object, so no context is needed.
struct CountedTexture : TAV_Texture {
    explicit CountedTexture(const char* name) { setName(name); }
    ~CountedTexture() override { noteDeletion("texture", getName()); }
};

struct CountedObject : TAV_Object {
    explicit CountedObject(const char* name) { setName(name); }
    ~CountedObject() override { noteDeletion("object", getName()); }
};

class Container : public ::testing::Test {
protected:
    void SetUp() override { deletions.clear(); }
};

}  // namespace

TEST_F(Container, NullAndStrangersAreNeitherRegisteredNorRemovedNorDeleted)
{
    CountedTexture stranger("t");
    auto* registered = new CountedTexture("t");
    {
        TAV_Container container;
        container.addObject(nullptr);
        container.addTexture(nullptr);
        container.addMaterial(nullptr);
        container.addObjectData(nullptr);
        EXPECT_EQ(nullptr, container.getMaterial(""));
        EXPECT_EQ(nullptr, container.getObjectData(""));
        EXPECT_EQ(nullptr, container.getTexture(""));
        EXPECT_EQ(nullptr, container.getObject(""));
        EXPECT_TRUE(container.getObjects().empty());

        container.addTexture(registered);
        container.removeTexture(&stranger);
        container.removeObject(nullptr);
        EXPECT_EQ(registered, container.getTexture("t"));
    }
    EXPECT_EQ(std::vector<std::string>{"texture t"}, deletions);
}

TEST_F(Container, DeletesEveryResourceOnceWithObjectsLast)
{
    {
        TAV_Container container;
        container.addObject(new CountedObject("o1"));
        container.addTexture(new CountedTexture("t1"));
        container.addMaterial(new CountedMaterial("m1"));
        container.addObjectData(new CountedMesh("d1"));
        container.addObject(new CountedObject("o2"));
        container.addMaterial(new CountedMaterial("m2"));
        container.addTexture(new CountedTexture("t2"));
        container.addObjectData(new CountedMesh("d2"));
    }
    // Each registry is emptied newest first; the registries go materials, meshes,
    // textures, objects.
    const std::vector<std::string> expected = {"material m2", "material m1", "mesh d2", "mesh d1",
                                               "texture t2", "texture t1", "object o2", "object o1"};
    EXPECT_EQ(expected, deletions);
}

TEST_F(Container, RemovedResourcesGoBackToTheCallerAndAreNeverDeleted)
{
    auto material = std::make_unique<CountedMaterial>("m");
    auto mesh = std::make_unique<CountedMesh>("d");
    auto texture = std::make_unique<CountedTexture>("t");
    auto object = std::make_unique<CountedObject>("o");
    {
        TAV_Container container;
        container.addMaterial(material.get());
        container.addObjectData(mesh.get());
        container.addTexture(texture.get());
        container.addObject(object.get());
        container.addObject(new CountedObject("kept"));

        container.removeMaterial(material.get());
        container.removeObjectData(mesh.get());
        container.removeTexture(texture.get());
        container.removeObject(object.get());
        EXPECT_EQ(nullptr, container.getMaterial("m"));
        EXPECT_EQ(nullptr, container.getObjectData("d"));
        EXPECT_EQ(nullptr, container.getTexture("t"));
        EXPECT_EQ(nullptr, container.getObject("o"));
        ASSERT_EQ(1u, container.getObjects().size());
    }
    // Only the one still registered; the unique_ptrs delete the rest once (a second
    // deletion would be a double free under AddressSanitizer).
    EXPECT_EQ(std::vector<std::string>{"object kept"}, deletions);
}

TEST_F(Container, LookupsReturnTheMostRecentOfEqualNames)
{
    TAV_Container container;
    auto* olderTexture = new CountedTexture("brick");
    auto* newerTexture = new CountedTexture("brick");
    container.addTexture(olderTexture);
    container.addTexture(newerTexture);
    EXPECT_EQ(newerTexture, container.getTexture("brick"));
    container.removeTexture(newerTexture);
    EXPECT_EQ(olderTexture, container.getTexture("brick"));
    container.addTexture(newerTexture);

    auto* olderObject = new CountedObject("ship");
    auto* newerObject = new CountedObject("ship");
    container.addObject(olderObject);
    container.addObject(newerObject);
    EXPECT_EQ(newerObject, container.getObject("ship"));
    EXPECT_EQ(newerObject, container.getObjects().front());

    auto* olderMaterial = new CountedMaterial("gold");
    auto* newerMaterial = new CountedMaterial("gold");
    container.addMaterial(olderMaterial);
    container.addMaterial(newerMaterial);
    EXPECT_EQ(newerMaterial, container.getMaterial("gold"));

    auto* olderMesh = new CountedMesh("hull");
    auto* newerMesh = new CountedMesh("hull");
    container.addObjectData(olderMesh);
    container.addObjectData(newerMesh);
    EXPECT_EQ(newerMesh, container.getObjectData("hull"));
    EXPECT_EQ(nullptr, container.getObjectData("hul"));
}

TEST_F(Container, AResourceWithoutANameIsFoundByTheEmptyName)
{
    TAV_Container container;
    auto* unnamed = new TAV_Material();
    container.addMaterial(unnamed);
    container.addMaterial(new CountedMaterial("named"));
    EXPECT_EQ(unnamed, container.getMaterial(""));
}

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

struct CountedMaterial : TAV_Material {
    explicit CountedMaterial(const char* name) { setName(name); }
    ~CountedMaterial() override { deletions.push_back(std::string("material ") + getName()); }
};

struct CountedMesh : TAV_ObjectData {
    explicit CountedMesh(const char* name) : TAV_ObjectData(3, false, false) { setName(name); }
    ~CountedMesh() override { deletions.push_back(std::string("mesh ") + getName()); }
};

// A texture that never reached OpenGL: it owns no texture object, so no context is needed.
struct CountedTexture : TAV_Texture {
    explicit CountedTexture(const char* name) { setName(name); }
    ~CountedTexture() override { deletions.push_back(std::string("texture ") + getName()); }
};

struct CountedObject : TAV_Object {
    explicit CountedObject(const char* name) { setName(name); }
    ~CountedObject() override { deletions.push_back(std::string("object ") + getName()); }
};

using Names = std::vector<std::string>;

TEST(Container, DeletesWhatItHoldsOnceObjectsLastAndNeverWhatWasRemovedOrRefused)
{
    deletions.clear();
    CountedTexture stranger("stranger");
    auto removedMaterial = std::make_unique<CountedMaterial>("m");
    auto removedMesh = std::make_unique<CountedMesh>("d");
    auto removedTexture = std::make_unique<CountedTexture>("t");
    auto removedObject = std::make_unique<CountedObject>("o");
    {
        TAV_Container container;
        container.addObject(nullptr);
        container.addTexture(nullptr);
        container.addMaterial(nullptr);
        container.addObjectData(nullptr);
        EXPECT_TRUE(container.getObjects().empty());
        container.addObject(new CountedObject("o1"));
        container.addTexture(new CountedTexture("t1"));
        container.addMaterial(new CountedMaterial("m1"));
        container.addObjectData(new CountedMesh("d1"));
        container.addObject(new CountedObject("o2"));
        container.addMaterial(new CountedMaterial("m2"));
        container.addTexture(new CountedTexture("t2"));
        container.addObjectData(new CountedMesh("d2"));

        container.addMaterial(removedMaterial.get());
        container.addObjectData(removedMesh.get());
        container.addTexture(removedTexture.get());
        container.addObject(removedObject.get());
        container.removeMaterial(removedMaterial.get());
        container.removeObjectData(removedMesh.get());
        container.removeTexture(removedTexture.get());
        container.removeObject(removedObject.get());
        container.removeTexture(&stranger);
        container.removeObject(nullptr);
        EXPECT_EQ(nullptr, container.getMaterial("m"));
        EXPECT_EQ(nullptr, container.getObjectData("d"));
        EXPECT_EQ(nullptr, container.getTexture("t"));
        EXPECT_EQ(nullptr, container.getObject("o"));
        EXPECT_EQ(2u, container.getObjects().size());
    }
    // Each registry is emptied newest first; the registries go materials, meshes, textures,
    // objects. The unique_ptrs delete the removed ones once more (a double free under
    // AddressSanitizer if the container had deleted them too).
    EXPECT_EQ((Names{"material m2", "material m1", "mesh d2", "mesh d1", "texture t2", "texture t1", "object o2",
                     "object o1"}),
              deletions);
}

}  // namespace

// TAV_Container: four registries of named scene resources, and their owner.
//
// Materials, meshes, textures and objects are registered by pointer and owned by the
// container from add...() until remove...() or the container's end, when each is deleted
// once through its virtual destructor (objects last, after what they may point at). Each
// registry lists the most recent entry first, so a lookup by name finds the newest of equal
// names. A resource must be registered once, in one container. Never copied.
#pragma once

#include <list>  // Required for: the four registries

class TAV_IObjectData;
class TAV_ITexture;
class TAV_Material;
class TAV_Object;

class TAV_Container {
public:
    TAV_Container();
    // Deletes every registered resource. Not virtual: a container is destroyed through its
    // own type or the class that derives from it.
    ~TAV_Container();
    TAV_Container(const TAV_Container&) = delete;
    TAV_Container& operator=(const TAV_Container&) = delete;

    // Registers at the front and takes ownership. Null is not registered (so that lookups and
    // renderers never meet it); doubles and names are not checked.
    void addMaterial(TAV_Material* material);
    void addObjectData(TAV_IObjectData* data);
    void addTexture(TAV_ITexture* texture);
    void addObject(TAV_Object* object);

    // Unregisters the first entry equal to the pointer and gives ownership back to the
    // caller, without deleting it. A pointer not registered changes nothing.
    void removeMaterial(TAV_Material* material);
    void removeObjectData(TAV_IObjectData* data);
    void removeTexture(TAV_ITexture* texture);
    void removeObject(TAV_Object* object);

    // The most recently registered entry with this name (strcmp), or null. The container
    // keeps ownership.
    TAV_Material* getMaterial(const char* name) const;
    TAV_IObjectData* getObjectData(const char* name) const;
    TAV_ITexture* getTexture(const char* name) const;
    TAV_Object* getObject(const char* name) const;

    // The registered objects, newest first: the order in which renderers draw them.
    const std::list<TAV_Object*>& getObjects() const { return m_objects; }

private:
    std::list<TAV_Material*> m_materials;
    std::list<TAV_IObjectData*> m_objectData;
    std::list<TAV_ITexture*> m_textures;
    std::list<TAV_Object*> m_objects;
};

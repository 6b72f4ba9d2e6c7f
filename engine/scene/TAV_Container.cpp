#include "scene/TAV_Container.h"

#include <algorithm>  // Required for: std::find()
#include <cstring>    // Required for: strcmp()

#include "geometry/TAV_IObjectData.h"  // Required for: deleting meshes as meshes
#include "image/TAV_ITexture.h"        // Required for: deleting textures as textures
#include "scene/TAV_Material.h"
#include "scene/TAV_Object.h"

namespace {

template <typename Resource>
void removeFirst(std::list<Resource*>& registry, Resource* resource)
{
    const auto entry = std::find(registry.begin(), registry.end(), resource);
    if (entry != registry.end())
        registry.erase(entry);
}

// An object's name is that of its TAV_Named part; for every other resource the resource is
// the TAV_Named itself.
template <typename Resource>
Resource* findByName(const std::list<Resource*>& registry, const char* name)
{
    for (Resource* resource : registry)
        if (std::strcmp(resource->getName(), name) == 0)
            return resource;
    return nullptr;
}

template <typename Resource>
void deleteAll(std::list<Resource*>& registry)
{
    for (Resource* resource : registry)
        delete resource;
    registry.clear();
}

}  // namespace

TAV_Container::TAV_Container() {}

TAV_Container::~TAV_Container()
{
    // Objects last: they point at the meshes, textures and materials, and although their
    // destructors leave those alone, nothing should outlive what it refers to.
    deleteAll(m_materials);
    deleteAll(m_objectData);
    deleteAll(m_textures);
    deleteAll(m_objects);
}

void TAV_Container::addMaterial(TAV_Material* material)
{
    if (material)
        m_materials.push_front(material);
}

void TAV_Container::addObjectData(TAV_IObjectData* data)
{
    if (data)
        m_objectData.push_front(data);
}

void TAV_Container::addTexture(TAV_ITexture* texture)
{
    if (texture)
        m_textures.push_front(texture);
}

void TAV_Container::addObject(TAV_Object* object)
{
    if (object)
        m_objects.push_front(object);
}

void TAV_Container::removeMaterial(TAV_Material* material)
{
    removeFirst(m_materials, material);
}

void TAV_Container::removeObjectData(TAV_IObjectData* data)
{
    removeFirst(m_objectData, data);
}

void TAV_Container::removeTexture(TAV_ITexture* texture)
{
    removeFirst(m_textures, texture);
}

void TAV_Container::removeObject(TAV_Object* object)
{
    removeFirst(m_objects, object);
}

TAV_Material* TAV_Container::getMaterial(const char* name) const
{
    return findByName(m_materials, name);
}

TAV_IObjectData* TAV_Container::getObjectData(const char* name) const
{
    return findByName(m_objectData, name);
}

TAV_ITexture* TAV_Container::getTexture(const char* name) const
{
    return findByName(m_textures, name);
}

TAV_Object* TAV_Container::getObject(const char* name) const
{
    return findByName(m_objects, name);
}

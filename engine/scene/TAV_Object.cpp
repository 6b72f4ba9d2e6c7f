#include "scene/TAV_Object.h"

#include <cstring>  // Required for: memset(), strlen(), memcpy()

#include "scene/TAV_Container.h"

namespace {

// Copies `name` and zero-fills the rest of the buffer, or leaves the buffer untouched when
// the name (with its terminator) would not fit.
void copyReferenceName(char* buffer, const char* name)
{
    const size_t lengthChars = std::strlen(name);
    if (lengthChars >= size_t(TAV_Named::NAME_SIZE))
        return;
    std::memset(buffer, 0, TAV_Named::NAME_SIZE);
    std::memcpy(buffer, name, lengthChars);
}

}  // namespace

TAV_Object::TAV_Object()
{
    init();
}

TAV_Object::~TAV_Object() noexcept {}

int TAV_Object::getType() const
{
    return TYPE;
}

void TAV_Object::update(int) {}

void TAV_Object::setData(TAV_IObjectData* data)
{
    m_data = data;
}

void TAV_Object::setTexture(TAV_ITexture* texture)
{
    m_texture = texture;
}

void TAV_Object::setMaterial(TAV_Material* material)
{
    m_material = material;
}

void TAV_Object::init()
{
    m_data = nullptr;
    m_texture = nullptr;
    m_material = nullptr;
    std::memset(m_name, 0, sizeof(m_name));
    std::memset(m_materialName, 0, sizeof(m_materialName));
    std::memset(m_dataName, 0, sizeof(m_dataName));
    std::memset(m_textureName, 0, sizeof(m_textureName));
}

void TAV_Object::setDataName(const char* name)
{
    copyReferenceName(m_dataName, name);
}

void TAV_Object::setTextureName(const char* name)
{
    copyReferenceName(m_textureName, name);
}

void TAV_Object::setMaterialName(const char* name)
{
    copyReferenceName(m_materialName, name);
}

void TAV_Object::searchPointersForNames(const TAV_Container* container)
{
    // Through the virtual setters, so that a derived object sees every change of reference.
    if (TAV_Material* material = container->getMaterial(m_materialName))
        setMaterial(material);
    if (TAV_ITexture* texture = container->getTexture(m_textureName))
        setTexture(texture);
    if (TAV_IObjectData* data = container->getObjectData(m_dataName))
        setData(data);
}

// TAV_Named: the base of every named resource (meshes, textures, materials, objects).
//
// A name is at most 15 characters and always zero-terminated; it starts empty. Containers
// look resources up by comparing names with strcmp.
#pragma once

#include <cstring>  // Required for: memset(), strncpy()

class TAV_Named {
public:
    static const int NAME_SIZE = 16;

    TAV_Named() { std::memset(m_name, 0, sizeof(m_name)); }
    virtual ~TAV_Named() {}

    // Copies at most 15 characters of `name`; a longer name is cut, never overrun.
    void setName(const char* name)
    {
        std::strncpy(m_name, name, NAME_SIZE - 1);
        m_name[NAME_SIZE - 1] = '\0';
    }
    const char* getName() const { return m_name; }

    char m_name[NAME_SIZE];
};

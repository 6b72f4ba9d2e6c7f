#include "sys/TAV_SYS_Config.h"

#include <errno.h>  // Required for: ENOENT
#include <fcntl.h>  // Required for: open()
#include <unistd.h> // Required for: read(), close()

#include <cstdio>   // Required for: snprintf()
#include <cstdlib>  // Required for: strtol(), strtod()
#include <cstring>  // Required for: strcmp(), strlen(), memcpy(), strerror()
#include <fstream>  // Required for: std::ifstream

#include "io/TAV_KeyLookupTable.h"  // Required for: key names in values ("EVK_F1")

namespace {

const char* const DEFAULT_FILE = "app.cfg";
// Numbers are formatted into a buffer of this size; "%f" of the largest float needs 47.
const int NUMBER_TEXT_SIZE = 128;

char* copyText(const char* text)
{
    const size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    return copy;
}

// Reads characters up to `delimiter` (consumed, not stored) or the end of the file. Keeps at
// most TAV_SYS_Config::MAX_FIELD_LENGTH of them and returns false when there were more, so the
// caller can skip the record; the rest of the field is consumed all the same, which keeps the
// reader in step with the file and guarantees progress.
bool readField(std::istream& in, char delimiter, std::string& field)
{
    field.clear();
    bool fits = true;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        if (c == delimiter)
            return fits;
        if (int(field.size()) < TAV_SYS_Config::MAX_FIELD_LENGTH)
            field.push_back(char(c));
        else
            fits = false;
    }
    return fits;
}

// Empty parts and parts starting with "=" or a blank make a record void: "XRES = 1024"
// is ignored rather than read as the key "XRES " with the value " 1024".
bool isUsable(const std::string& field)
{
    return !field.empty() && field[0] != '\0' && field[0] != '=' && field[0] != ' ';
}

// A one-character value is that character; anything longer is a key name.
int keyCodeOf(const char* text)
{
    if (text[0] != '\0' && text[1] == '\0')
        return int(static_cast<signed char>(text[0]));
    return TAV_KeyLookupTable::getKeyCode(text);
}

}  // namespace

std::list<FileToInstance*>* TAV_SYS_Config::m_instances = nullptr;

ConfigNode::ConfigNode(const char* key, const char* value)
    : key(copyText(key)), value(copyText(value))
{
}

ConfigNode::~ConfigNode()
{
    delete[] key;
    delete[] value;
}

void ConfigNode::setValue(const char* text)
{
    char* copy = copyText(text);  // copy first: `text` may be the old value itself
    delete[] value;
    value = copy;
}

TAV_SYS_Config* TAV_SYS_Config::getInstance()
{
    return getInstance(DEFAULT_FILE);
}

TAV_SYS_Config* TAV_SYS_Config::getInstance(const char* file)
{
    if (!m_instances)
        m_instances = new std::list<FileToInstance*>();
    for (FileToInstance* entry : *m_instances) {
        if (entry->name == file)
            return entry->instance;
    }
    TAV_SYS_Config* instance = new TAV_SYS_Config(file);
    m_instances->push_back(new FileToInstance{file, instance});
    return instance;
}

void TAV_SYS_Config::deleteInstance(const char* file)
{
    if (!m_instances)
        return;
    for (auto it = m_instances->begin(); it != m_instances->end();) {
        if ((*it)->name == file) {
            delete (*it)->instance;
            delete *it;
            it = m_instances->erase(it);
        } else {
            ++it;
        }
    }
}

void TAV_SYS_Config::deleteAllInstances()
{
    if (!m_instances)
        return;
    for (FileToInstance* entry : *m_instances) {
        delete entry->instance;
        delete entry;
    }
    delete m_instances;
    m_instances = nullptr;
}

const char* TAV_SYS_Config::unreadableReason(const char* file)
{
    // Opening is not enough: a folder opens, and only reading it fails.
    const int fd = open(file, O_RDONLY | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        char byte;
        if (read(fd, &byte, 1) < 0)
            error = errno;
        close(fd);
    }
    if (error == 0 || error == ENOENT || error == ENOTDIR)
        return nullptr;
    return std::strerror(error);
}

const char* TAV_SYS_Config::getString(const char* key) const
{
    const ConfigNode* node = getNode(key);
    return node ? node->value : nullptr;
}

int TAV_SYS_Config::getInt(const char* key) const
{
    const char* value = getString(key);
    return value ? int(std::strtol(value, nullptr, 10)) : 0;
}

float TAV_SYS_Config::getFloat(const char* key) const
{
    const char* value = getString(key);
    return value ? float(std::strtod(value, nullptr)) : 0.0f;
}

int TAV_SYS_Config::getKeyCode(const char* key) const
{
    const char* value = getString(key);
    return value ? keyCodeOf(value) : 0;
}

const char* TAV_SYS_Config::getString(const char* key, const char* def)
{
    if (const char* value = getString(key))
        return value;
    setKey(key, def);
    return def;
}

int TAV_SYS_Config::getInt(const char* key, int def)
{
    if (getNode(key))
        return getInt(key);
    setKey(key, def);
    return def;
}

float TAV_SYS_Config::getFloat(const char* key, float def)
{
    if (getNode(key))
        return getFloat(key);
    setKey(key, def);
    return def;
}

int TAV_SYS_Config::getKeyCode(const char* key, const char* def)
{
    if (getNode(key))
        return getKeyCode(key);
    setKey(key, def);
    return keyCodeOf(def);
}

void TAV_SYS_Config::setKey(const char* key, const char* value)
{
    if (!value)
        value = "";  // getString(key, nullptr) stores an empty value rather than crash
    if (!getNode(key)) {
        // A value typed on another system may still carry its carriage return.
        const size_t length = std::strlen(value);
        if (length > 0 && value[length - 1] == '\r') {
            const std::string trimmed(value, length - 1);
            storeValue(key, trimmed.c_str());
            return;
        }
    }
    storeValue(key, value);
}

void TAV_SYS_Config::setKey(const char* key, int value)
{
    char text[NUMBER_TEXT_SIZE];
    std::snprintf(text, sizeof(text), "%i", value);
    storeValue(key, text);
}

void TAV_SYS_Config::setKey(const char* key, float value)
{
    char text[NUMBER_TEXT_SIZE];
    std::snprintf(text, sizeof(text), "%f", double(value));
    storeValue(key, text);
}

void TAV_SYS_Config::save() const
{
}

ConfigNode* TAV_SYS_Config::getNode(const char* key) const
{
    for (ConfigNode* node : *nodes) {
        if (std::strcmp(node->key, key) == 0)
            return node;
    }
    return nullptr;
}

TAV_SYS_Config::TAV_SYS_Config(const char* file)
    : fileName(file), nodes(new std::list<ConfigNode*>())
{
    load();
}

TAV_SYS_Config::~TAV_SYS_Config()
{
    for (ConfigNode* node : *nodes)
        delete node;
    delete nodes;
}

void TAV_SYS_Config::load()
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return;  // no file: every getter falls back to its default
    std::string key;
    std::string value;
    while (in) {
        // Everything up to the next "=" is the key, newlines included: lines without "="
        // join the key of the next record, which then never matches a lookup.
        const bool keyFits = readField(in, '=', key);
        const bool valueFits = readField(in, '\n', value);
        if (!keyFits || !valueFits || !isUsable(key) || !isUsable(value))
            continue;
        // Windows line ends: the carriage return belongs to the line end, not to the value.
        // (Dropped for every record, so a later duplicate line cannot bring it back.)
        if (value.back() == '\r')
            value.pop_back();
        storeValue(key.c_str(), value.c_str());
    }
}

void TAV_SYS_Config::storeValue(const char* key, const char* value)
{
    if (ConfigNode* node = getNode(key))
        node->setValue(value);
    else
        nodes->push_back(new ConfigNode(key, value));
}

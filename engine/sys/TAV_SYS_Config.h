// TAV_SYS_Config: settings read from a plain-text file ("app.cfg"), one instance per file.
//
// The file holds one KEY=value record per line, with no blanks around "=". It is read once,
// when its instance is created, and never written: defaults that the getters store live in
// memory for the run. Missing or malformed settings are never errors.
// Ownership: the registry owns the instances (deleteInstance, deleteAllInstances; the engine's
// destructor calls the latter); an instance owns its nodes and their strings. A pointer from
// getString stays valid until that key is set again or its instance is destroyed.
// Main thread only.
#pragma once

#include <list>    // Required for: the node list and the registry
#include <string>  // Required for: FileToInstance::name

class TAV_SYS_Config;

// One setting. Both strings are owned, zero-terminated copies.
struct ConfigNode {
    ConfigNode(const char* key, const char* value);
    ~ConfigNode();
    ConfigNode(const ConfigNode&) = delete;
    ConfigNode& operator=(const ConfigNode&) = delete;

    // Replaces the value with a copy of `text`.
    void setValue(const char* text);

    char* key;
    char* value;
};

// One loaded file in the registry; owns its instance.
struct FileToInstance {
    std::string name;
    TAV_SYS_Config* instance;
};

class TAV_SYS_Config {
public:
    // The longest key or value the reader accepts, in characters. A record with a longer
    // key or value is skipped whole, so a setting is never silently cut to another meaning.
    static constexpr int MAX_FIELD_LENGTH = 79;

    // The instance of "app.cfg" in the working directory.
    static TAV_SYS_Config* getInstance();
    // The instance of `file`, loading the file on first request. The name is compared
    // exactly; the instance keeps the pointer (not a copy), so `file` must outlive it.
    static TAV_SYS_Config* getInstance(const char* file);
    // Destroys every instance loaded from `file`.
    static void deleteInstance(const char* file);
    // Destroys every instance and the registry; a later getInstance starts afresh.
    static void deleteAllInstances();
    // Why `file` exists but cannot be read ("Permission denied", "Is a directory"), or null
    // when it reads or is not there. The reader itself stays silent (such a file counts as
    // missing), so the program entry can say this once to the user.
    static const char* unreadableReason(const char* file);

    // The stored value, or null when the key is missing.
    const char* getString(const char* key) const;
    // Leading decimal digits of the value (strtol); 0 when missing or not a number.
    int getInt(const char* key) const;
    // The value read by strtod; 0.0 when missing or not a number.
    float getFloat(const char* key) const;
    // A one-character value gives that character's code as a signed char ("q" is 113); a
    // longer one is a key name such as "EVK_F1" (TAV_KeyLookupTable). 0 when missing/unknown.
    int getKeyCode(const char* key) const;

    // The getters with a default store the default when the key is missing, then return it.
    // getString then returns `def` itself, not the stored copy.
    const char* getString(const char* key, const char* def);
    int getInt(const char* key, int def);
    float getFloat(const char* key, float def);
    int getKeyCode(const char* key, const char* def);

    // Replaces the value of an existing key, or appends a new node. For a new node one
    // trailing carriage return is dropped from a non-empty value.
    void setKey(const char* key, const char* value);
    // "%i" of the value.
    void setKey(const char* key, int value);
    // "%f" of the value (six decimals: 0.5 is stored as "0.500000").
    void setKey(const char* key, float value);
    // Settings are never written back; kept so callers can say when they would be.
    void save() const;

    // The node of `key`, or null.
    ConfigNode* getNode(const char* key) const;

    // The registry, in creation order; null until the first getInstance.
    static std::list<FileToInstance*>* m_instances;

private:
    explicit TAV_SYS_Config(const char* file);
    ~TAV_SYS_Config();
    TAV_SYS_Config(const TAV_SYS_Config&) = delete;
    TAV_SYS_Config& operator=(const TAV_SYS_Config&) = delete;

    // Reads the file's records into the node list; a missing file leaves it empty.
    void load();
    // Replaces or appends, storing `value` exactly as given.
    void storeValue(const char* key, const char* value);

    const char* fileName;
    std::list<ConfigNode*>* nodes;
};

// The key/value store behind the settings: typed values grouped under named keys.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Value types, numbered as the platform registry numbers them so the registry store passes
// them through unchanged.
enum class ValueType : uint32_t {
    Sz = 1,      // text, stored with its whole buffer
    Binary = 3,  // raw bytes
    Dword = 4,   // 32-bit number, 4 bytes little-endian
};

const char* value_type_name(ValueType type);  // "REG_SZ", "REG_BINARY", "REG_DWORD"

// One open key. Reading and writing handles come from different calls of the store; a handle
// is closed by close() or by its destructor, whichever comes first.
class SettingsKey {
   public:
    virtual ~SettingsKey() = default;

    // Reads value `name` into `buffer` of `size` bytes. Fails, leaving `buffer` untouched, when
    // the value is missing, unreadable or longer than `size`. On success `type` and `length`
    // (bytes copied, at most `size`) describe what the store held.
    virtual bool query_value(const char* name, ValueType& type, void* buffer, uint32_t size,
                             uint32_t& length) = 0;

    // Sets value `name` to `size` bytes of `data` with the given type (writing handles only).
    virtual bool set_value(const char* name, ValueType type, const void* data, uint32_t size) = 0;

    // Ends the use of the key; for a writing handle this is when the values become durable.
    // Returns false when that failed (then the store holds what it held before).
    virtual bool close() = 0;
};

class SettingsStore {
   public:
    virtual ~SettingsStore() = default;

    // Opens an existing key for reading; nullptr when it does not exist or cannot be read.
    virtual std::unique_ptr<SettingsKey> open_key_for_reading(const char* key) = 0;

    // Creates or opens a key for writing; nullptr when that is impossible. The values of the
    // key are replaced by those set before close().
    virtual std::unique_ptr<SettingsKey> create_key_for_writing(const char* key) = 0;
};

// A kind of store a program keeps its settings in: how to open it, and where it keeps them for
// messages ("HKEY_CURRENT_USER\Software\..." or the file path).
struct SettingsStoreKind {
    std::unique_ptr<SettingsStore> (*open)() = nullptr;
    std::string (*location)() = nullptr;
};

// The Windows programs keep their settings in the registry (win32/registry_store_win32.h) and
// say so once at their start, before the settings are first loaded; every other program keeps
// them in the settings file, the store used until a program chooses another.
void use_settings_store(const SettingsStoreKind& kind);

// The store the program uses, opened afresh. Never nullptr.
std::unique_ptr<SettingsStore> open_platform_settings_store();

// Where that store keeps the settings.
std::string platform_settings_location();

// The settings store of Windows: the current user's registry below Software\Ostwick\Vellumar.
#include "win32/registry_store_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"

// The portable records are the platform's structures byte for byte.
#define SAME_FIELD(ours, theirs, field) \
    static_assert(offsetof(ours, field) == offsetof(theirs, field), #theirs "." #field)

static_assert(sizeof(LogFontRecord) == sizeof(LOGFONTA), "LOGFONTA size");
SAME_FIELD(LogFontRecord, LOGFONTA, lfHeight);
SAME_FIELD(LogFontRecord, LOGFONTA, lfWidth);
SAME_FIELD(LogFontRecord, LOGFONTA, lfEscapement);
SAME_FIELD(LogFontRecord, LOGFONTA, lfOrientation);
SAME_FIELD(LogFontRecord, LOGFONTA, lfWeight);
SAME_FIELD(LogFontRecord, LOGFONTA, lfItalic);
SAME_FIELD(LogFontRecord, LOGFONTA, lfUnderline);
SAME_FIELD(LogFontRecord, LOGFONTA, lfStrikeOut);
SAME_FIELD(LogFontRecord, LOGFONTA, lfCharSet);
SAME_FIELD(LogFontRecord, LOGFONTA, lfOutPrecision);
SAME_FIELD(LogFontRecord, LOGFONTA, lfClipPrecision);
SAME_FIELD(LogFontRecord, LOGFONTA, lfQuality);
SAME_FIELD(LogFontRecord, LOGFONTA, lfPitchAndFamily);
SAME_FIELD(LogFontRecord, LOGFONTA, lfFaceName);
static_assert(sizeof(LogFontRecord::lfFaceName) == LF_FACESIZE, "face name size");

static_assert(sizeof(WindowPlacementRecord) == sizeof(WINDOWPLACEMENT), "WINDOWPLACEMENT size");
SAME_FIELD(WindowPlacementRecord, WINDOWPLACEMENT, length);
SAME_FIELD(WindowPlacementRecord, WINDOWPLACEMENT, flags);
SAME_FIELD(WindowPlacementRecord, WINDOWPLACEMENT, showCmd);
SAME_FIELD(WindowPlacementRecord, WINDOWPLACEMENT, ptMinPosition);
SAME_FIELD(WindowPlacementRecord, WINDOWPLACEMENT, ptMaxPosition);
SAME_FIELD(WindowPlacementRecord, WINDOWPLACEMENT, rcNormalPosition);
static_assert(sizeof(PointRecord) == sizeof(POINT) && sizeof(RectRecord) == sizeof(RECT),
              "POINT and RECT");
SAME_FIELD(RectRecord, RECT, left);
SAME_FIELD(RectRecord, RECT, bottom);
#undef SAME_FIELD

static_assert(static_cast<DWORD>(ValueType::Sz) == REG_SZ, "REG_SZ");
static_assert(static_cast<DWORD>(ValueType::Binary) == REG_BINARY, "REG_BINARY");
static_assert(static_cast<DWORD>(ValueType::Dword) == REG_DWORD, "REG_DWORD");

namespace {

std::string key_path(const char* key) {
    return std::string(SETTINGS_REGISTRY_ROOT) + "\\" + key;
}

class RegistryKey : public SettingsKey {
   public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() override { close(); }

    bool query_value(const char* name, ValueType& type, void* buffer, uint32_t size,
                     uint32_t& length) override {
        if (key_ == nullptr) return false;
        // Queried into a buffer of our own: the platform may write into it even when it fails.
        std::vector<BYTE> data(size);
        DWORD stored_type = 0;
        DWORD stored_size = size;
        if (RegQueryValueExA(key_, name, nullptr, &stored_type, data.data(), &stored_size) !=
            ERROR_SUCCESS) {
            return false;
        }
        if (stored_size > size) return false;
        switch (stored_type) {
            case REG_SZ:
                type = ValueType::Sz;
                break;
            case REG_BINARY:
                type = ValueType::Binary;
                break;
            case REG_DWORD:
                type = ValueType::Dword;
                break;
            default:
                return false;  // a type these settings never use
        }
        std::copy(data.begin(), data.begin() + stored_size, static_cast<BYTE*>(buffer));
        length = stored_size;
        return true;
    }

    bool set_value(const char* name, ValueType type, const void* data, uint32_t size) override {
        if (key_ == nullptr) return false;
        return RegSetValueExA(key_, name, 0, static_cast<DWORD>(type),
                              static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    }

    bool close() override {
        if (key_ == nullptr) return true;
        LONG result = RegCloseKey(key_);
        key_ = nullptr;
        return result == ERROR_SUCCESS;
    }

   private:
    HKEY key_;
};

class RegistrySettingsStore : public SettingsStore {
   public:
    std::unique_ptr<SettingsKey> open_key_for_reading(const char* key) override {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path(key).c_str(), 0, KEY_READ, &handle) !=
            ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<RegistryKey>(handle);
    }

    std::unique_ptr<SettingsKey> create_key_for_writing(const char* key) override {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_path(key).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<RegistryKey>(handle);
    }
};

std::unique_ptr<SettingsStore> open_registry_store() {
    return std::make_unique<RegistrySettingsStore>();
}

std::string registry_location() {
    return std::string("HKEY_CURRENT_USER\\") + SETTINGS_REGISTRY_ROOT;
}

}  // namespace

SettingsStoreKind registry_settings_store() {
    return {open_registry_store, registry_location};
}

// The store the settings are loaded from and saved to: the settings file unless the program
// chose another.
#include "settings/file_settings_store.h"
#include "settings/settings.h"

namespace {

std::unique_ptr<SettingsStore> open_file_store() {
    return std::make_unique<FileSettingsStore>(default_settings_file_path());
}

// Set once at a program's start, before any other thread exists.
SettingsStoreKind chosen_store{open_file_store, default_settings_file_path};

}  // namespace

void use_settings_store(const SettingsStoreKind& kind) {
    chosen_store = kind;
}

std::unique_ptr<SettingsStore> open_platform_settings_store() {
    return chosen_store.open();
}

std::string platform_settings_location() {
    return chosen_store.location();
}

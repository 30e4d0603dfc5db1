// The settings file as this build's store, on platforms without a registry.
#ifndef _WIN32

#include "settings/file_settings_store.h"
#include "settings/settings.h"

std::unique_ptr<SettingsStore> open_platform_settings_store() {
    return std::make_unique<FileSettingsStore>(default_settings_file_path());
}

std::string platform_settings_location() {
    return default_settings_file_path();
}

#endif  // !_WIN32

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

// The store is opened afresh for every call so that it follows VELLUMAR_SETTINGS and the
// other variables as they are at that moment.
void load_settings() {
    load_settings(*open_platform_settings_store());
}
bool save_settings_div() {
    return save_settings_key(*open_platform_settings_store(), KEY_OPTIONS_DIV);
}
bool save_settings_output() {
    return save_settings_key(*open_platform_settings_store(), KEY_OPTIONS_OUTPUT);
}
bool save_settings_font() {
    return save_settings_key(*open_platform_settings_store(), KEY_OPTIONS_FONT);
}
bool save_settings_color() {
    return save_settings_key(*open_platform_settings_store(), KEY_OPTIONS_COLOR);
}

#endif  // !_WIN32

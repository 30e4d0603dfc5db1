// The settings store of platforms without a registry: one human-readable text file.
#pragma once

#include <string>

#include "settings/settings_store.h"

// The file holds one section per key and one typed value per line:
//
//     [OptionsOutput]
//     char_conv = dword 1
//     inlink = sz "["
//     FONT = binary F0FFFFFF00000000...
//
// dword values are decimal. sz values are quoted text: bytes of the Windows set appear as UTF-8,
// while control bytes, "%" and the five codes the set leaves undefined are written as %XX; the
// value is padded with NUL bytes to its buffer, so trailing NULs are left out. binary values are
// hex. Names match ignoring case, as in the registry; lines the store does not understand are
// ignored on reading and kept on writing.
//
// Writing a key rewrites that key's section and keeps every other line. The new file is written
// beside the old one and renamed over it, so a crash leaves either the old or the new file.
class FileSettingsStore : public SettingsStore {
   public:
    explicit FileSettingsStore(std::string path);

    const std::string& path() const { return path_; }

    std::unique_ptr<SettingsKey> open_key_for_reading(const char* key) override;
    std::unique_ptr<SettingsKey> create_key_for_writing(const char* key) override;

    // Commits a key's new section (used by the writing handle's close()).
    bool replace_section(const std::string& key, const std::string& section);

   private:
    std::string path_;
};

// Files larger than this are not settings files: they are ignored on reading and never
// overwritten.
constexpr std::size_t SETTINGS_FILE_LIMIT = 1 << 20;

// The settings file of this user: $VELLUMAR_SETTINGS if set, else
// $XDG_CONFIG_HOME/vellumar/settings.ini, else ~/.config/vellumar/settings.ini. Empty when none
// of these can be formed (no home directory).
std::string default_settings_file_path();

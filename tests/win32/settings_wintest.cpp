// Saves and loads the settings through the real registry; driven by tests/scripts/registry_wine.sh.
//
//   settings_wintest defaults        loading with no key present leaves every default
//   settings_wintest roundtrip SEED  every value, random through its whole buffer, comes back
//   settings_wintest save-known      saves readable values and lists them on standard output as
//                                    "key<TAB>name<TAB>type<TAB>size<TAB>hex" for the script
//   settings_wintest check-known     loading gives exactly the values save-known saved
//   settings_wintest save-one KEY    saves the defaults of one key only
// Exit code 0 when the check holds, 1 when it does not, 2 on a usage error.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "settings/settings.h"
#include "tests/fixture/settings_pattern.h"
#include "win32/registry_store_win32.h"

namespace {

using Snapshot = std::map<std::string, std::string>;

Snapshot snapshot() {
    Snapshot all;
    for (const SettingsKeyTable& key : settings_keys) {
        for (std::size_t i = 0; i < key.count; ++i) {
            const ValueDescriptor& v = key.values[i];
            all[std::string(key.name) + "\\" + v.name] =
                std::string(static_cast<const char*>(v.in(settings)), v.size);
        }
    }
    return all;
}

bool same(const Snapshot& expected, const Snapshot& actual) {
    bool ok = true;
    for (const auto& [name, bytes] : expected) {
        auto it = actual.find(name);
        if (it == actual.end() || it->second != bytes) {
            std::printf("differs: %s\n", name.c_str());
            ok = false;
        }
    }
    return ok;
}

// Values a reader of the registry can recognise: texts are "<name>" (one character for the
// two-byte link markers) with a tail after their NUL, numbers count up, binary bytes count up
// from a start that differs per value.
void fill_known() {
    unsigned counter = 1;
    for (const SettingsKeyTable& key : settings_keys) {
        for (std::size_t i = 0; i < key.count; ++i, ++counter) {
            const ValueDescriptor& v = key.values[i];
            auto* p = static_cast<unsigned char*>(v.in(settings));
            std::memset(p, 0, v.size);
            if (v.type == ValueType::Sz) {
                if (v.size == 2) {
                    p[0] = static_cast<unsigned char>('<' + counter % 3);
                } else {
                    std::string text = std::string("C:\\") + v.name;
                    std::memcpy(p, text.c_str(), text.size());
                    std::memcpy(p + text.size() + 1, "tail", 4);
                }
            } else if (v.type == ValueType::Dword) {
                uint32_t number = counter * 1000 + 7;
                std::memcpy(p, &number, 4);
            } else {
                for (uint32_t b = 0; b < v.size; ++b)
                    p[b] = static_cast<unsigned char>(counter + b);
            }
        }
    }
}

void list_values() {
    for (const SettingsKeyTable& key : settings_keys) {
        for (std::size_t i = 0; i < key.count; ++i) {
            const ValueDescriptor& v = key.values[i];
            std::printf("%s\t%s\t%s\t%u\t", key.name, v.name, value_type_name(v.type),
                        static_cast<unsigned>(v.size));
            const auto* p = static_cast<const unsigned char*>(v.in(settings));
            for (uint32_t b = 0; b < v.size; ++b) std::printf("%02X", p[b]);
            std::printf("\n");
        }
    }
}

bool save_all() {
    return save_settings_div() && save_settings_output() && save_settings_font() &&
           save_settings_color();
}

}  // namespace

int main(int argc, char** argv) {
    use_settings_store(registry_settings_store());
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "defaults") {
        restore_default_settings();
        Snapshot defaults = snapshot();
        load_settings();
        return same(defaults, snapshot()) ? 0 : 1;
    }
    if (command == "roundtrip" && argc > 2) {
        fixture::fill_settings_randomly(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
        Snapshot saved = snapshot();
        if (!save_all()) return 1;
        restore_default_settings();
        load_settings();
        return same(saved, snapshot()) ? 0 : 1;
    }
    if (command == "save-known") {
        fill_known();
        if (!save_all()) return 1;
        list_values();
        return 0;
    }
    if (command == "check-known") {
        fill_known();
        Snapshot saved = snapshot();
        restore_default_settings();
        load_settings();
        return same(saved, snapshot()) ? 0 : 1;
    }
    if (command == "save-one" && argc > 2) {
        restore_default_settings();
        for (std::size_t k = 0; k < SETTINGS_KEY_COUNT; ++k) {
            if (std::strcmp(settings_keys[k].name, argv[2]) != 0) continue;
            Outcome (*const savers[])() = {save_settings_div, save_settings_output,
                                           save_settings_font, save_settings_color};
            return savers[k]() ? 0 : 1;
        }
        return 2;
    }
    std::fprintf(stderr,
                 "usage: settings_wintest defaults|roundtrip SEED|save-known|"
                 "check-known|save-one KEY\n");
    return 2;
}

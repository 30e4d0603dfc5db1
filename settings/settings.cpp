// Every user setting as one object, the tables that store its fields, load and save.
#include "settings/settings.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "hyp/charset.h"

const uint32_t CUST_COL_DEFAULTS[PALETTE_SIZE] = {
    0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x00FFFF00, 0x000000FF, 0x00FF00FF, 0x0000FFFF, 0x00C0C0C0,
    0x00808080, 0x00C00000, 0x0000C000, 0x00C0C000, 0x000000C0, 0x00C000C0, 0x0000C0C0, 0x00000000,
};

Settings settings;

std::string Settings::hyp_path() const {
    return std::string(HypPath, strnlen(HypPath, sizeof HypPath));
}

// --- the tables -----------------------------------------------------------------------------

namespace {

static_assert(std::is_standard_layout<Settings>::value, "values are found by their offsets");

// The built-in defaults, which the tables name value by value.
const Settings DEFAULTS{};

#define SETTING_VALUE(field, type, size) \
    { #field, offsetof(Settings, field), type, size, &DEFAULTS.field }
#define SZ_VALUE(field) SETTING_VALUE(field, ValueType::Sz, sizeof(Settings::field))
#define DWORD_VALUE(field) SETTING_VALUE(field, ValueType::Dword, 4)
#define BINARY_VALUE(field) SETTING_VALUE(field, ValueType::Binary, sizeof(Settings::field))

const ValueDescriptor OPTIONS_DIV[] = {
    BINARY_VALUE(CatalogPlacement),
    SZ_VALUE(DefHyp),
    DWORD_VALUE(expmultispace),
    SZ_VALUE(HypPath),
    DWORD_VALUE(LastLoadIndex),
    SZ_VALUE(LastLoadPath),
    DWORD_VALUE(LastLoadZeile),
    SZ_VALUE(LastSavePath),
    BINARY_VALUE(Marken),
    DWORD_VALUE(scale_bitmaps),
    DWORD_VALUE(StartUp),
    BINARY_VALUE(WindowPlacement),
};

const ValueDescriptor OPTIONS_OUTPUT[] = {
    DWORD_VALUE(alllinks_stg),
    DWORD_VALUE(alllinks_txt),
    DWORD_VALUE(char_conv),
    DWORD_VALUE(forceindex),
    SZ_VALUE(inlink),
    DWORD_VALUE(linksel_visible),
    SZ_VALUE(outlink),
    DWORD_VALUE(p_left_margin),
    DWORD_VALUE(p_right_margin),
    DWORD_VALUE(p_top_margin),
};

const ValueDescriptor OPTIONS_FONT[] = {
    BINARY_VALUE(FONT),
    BINARY_VALUE(XFONT),
};

// The stored colours are slots of colour_table; their names are the value names.
#define COLOUR_VALUE(name, slot)                                                            \
    {                                                                                       \
        name, offsetof(Settings, colour_table) + (slot) * sizeof(uint32_t), ValueType::Dword, \
            4, &DEFAULTS.colour_table[slot]                                                 \
    }

// clang-format off
const ValueDescriptor OPTIONS_COLOR[] = {
    COLOUR_VALUE("BCKCOLOR", COLOUR_BCKCOLOR),
    BINARY_VALUE(CUST_COL),
    COLOUR_VALUE("GTXTCOLOR", COLOUR_GTXTCOLOR),
    COLOUR_VALUE("POPCOLOR", COLOUR_POPCOLOR),
    COLOUR_VALUE("REFCOLOR_INTERNE_SEITE", ENTRY_NODE),
    COLOUR_VALUE("REFCOLOR_POPUP_NODE", ENTRY_PNODE),
    COLOUR_VALUE("REFCOLOR_EXTERNE_REFERENZ", ENTRY_EXTERNAL),
    COLOUR_VALUE("REFCOLOR_SYSTEM_ARGUMENT", ENTRY_SYSTEM),
    COLOUR_VALUE("REFCOLOR_REXX_SCRIPT", ENTRY_REXX_SCRIPT),
    COLOUR_VALUE("REFCOLOR_REXX_KOMMANDO", ENTRY_REXX_COMMAND),
    COLOUR_VALUE("REFCOLOR_QUIT_EINTRAG", ENTRY_QUIT),
    COLOUR_VALUE("TXTCOLOR", COLOUR_TXTCOLOR),
};
// clang-format on

#undef SETTING_VALUE
#undef SZ_VALUE
#undef DWORD_VALUE
#undef BINARY_VALUE
#undef COLOUR_VALUE

static_assert(sizeof(OPTIONS_DIV) / sizeof(ValueDescriptor) == 12, "OptionsDiv holds 12 values");
static_assert(sizeof(OPTIONS_OUTPUT) / sizeof(ValueDescriptor) == 10, "OptionsOutput holds 10");
static_assert(sizeof(OPTIONS_FONT) / sizeof(ValueDescriptor) == 2, "OptionsFont holds 2");
static_assert(sizeof(OPTIONS_COLOR) / sizeof(ValueDescriptor) == 12, "OptionsColor holds 12");

template <std::size_t N>
constexpr SettingsKeyTable key_table(const char* name, const ValueDescriptor (&values)[N]) {
    return {name, values, N};
}

}  // namespace

const SettingsKeyTable settings_keys[SETTINGS_KEY_COUNT] = {
    key_table("OptionsDiv", OPTIONS_DIV),
    key_table("OptionsOutput", OPTIONS_OUTPUT),
    key_table("OptionsFont", OPTIONS_FONT),
    key_table("OptionsColor", OPTIONS_COLOR),
};

// --- loading and saving ---------------------------------------------------------------------

namespace {

// Largest value of any table: the bookmarks.
constexpr uint32_t LARGEST_VALUE = sizeof(Settings::Marken);

// Reads one value into its field, or leaves the field alone. Values are queried into a scratch
// buffer first so a refused value can never leave a half-written field behind.
void load_value(SettingsKey& key, const ValueDescriptor& value, Settings& into) {
    static unsigned char scratch[LARGEST_VALUE];
    ValueType stored_type = ValueType::Binary;
    uint32_t length = 0;
    if (value.size > sizeof(scratch) ||
        !key.query_value(value.name, stored_type, scratch, value.size, length)) {
        return;
    }
    if (stored_type != value.type) return;
    if (value.type == ValueType::Sz) {
        // A shorter text (as another editor of the store may leave it) is fine: it is padded.
        // Whatever is loaded must end in a NUL within its buffer, or later code would read
        // past it.
        if (length > value.size) return;
        std::memset(scratch + length, 0, value.size - length);
        scratch[value.size - 1] = '\0';
    } else if (length != value.size) {
        return;
    }
    std::memcpy(value.in(into), scratch, value.size);
}

bool save_key(SettingsStore& store, const SettingsKeyTable& table, const Settings& from) {
    std::unique_ptr<SettingsKey> key = store.create_key_for_writing(table.name);
    if (!key) return false;
    bool ok = true;
    for (std::size_t i = 0; i < table.count; ++i) {
        const ValueDescriptor& value = table.values[i];
        ok = key->set_value(value.name, value.type, value.in(from), value.size) && ok;
    }
    return key->close() && ok;
}

}  // namespace

void load_settings(SettingsStore& store, Settings& into) {
    std::memcpy(into.CUST_COL, CUST_COL_DEFAULTS, sizeof(into.CUST_COL));
    for (const SettingsKeyTable& table : settings_keys) {
        std::unique_ptr<SettingsKey> key = store.open_key_for_reading(table.name);
        if (!key) continue;
        for (std::size_t i = 0; i < table.count; ++i) load_value(*key, table.values[i], into);
        key->close();
    }
}

void load_settings(SettingsStore& store) {
    load_settings(store, settings);
}

bool save_settings_key(SettingsStore& store, SettingsKeyId key, const Settings& from) {
    return save_key(store, settings_keys[key], from);
}

bool save_settings_key(SettingsStore& store, SettingsKeyId key) {
    return save_settings_key(store, key, settings);
}

// Every field, the unstored image link colour and the picture palette included, is part of
// the object, so a new object is the whole of the defaults.
void restore_default_settings(Settings& target) {
    target = Settings{};
}

void restore_default_settings() {
    restore_default_settings(settings);
}

// --- printing -------------------------------------------------------------------------------

namespace {

std::string format(const char* pattern, long long a) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), pattern, a);
    return buffer;
}

// A stored text up to its NUL, bounded by its buffer.
std::string text_of(const char* buffer, std::size_t size) {
    return std::string(buffer, strnlen(buffer, size));
}

std::string quoted(const char* buffer, std::size_t size) {
    return "\"" + ansi_to_utf8(text_of(buffer, size)) + "\"";
}

std::string font_text(const LogFontRecord& font) {
    char buffer[160];
    std::snprintf(buffer, sizeof(buffer),
                  "height %d, weight %d, italic %u, underline %u, charset %u, "
                  "precision %u/%u, quality %u, pitch and family 0x%02X",
                  static_cast<int>(font.lfHeight), static_cast<int>(font.lfWeight), font.lfItalic,
                  font.lfUnderline, font.lfCharSet, font.lfOutPrecision, font.lfClipPrecision,
                  font.lfQuality, font.lfPitchAndFamily);
    return quoted(font.lfFaceName, sizeof(font.lfFaceName)) + ", " + buffer;
}

std::string placement_text(const WindowPlacementRecord& p) {
    if (p.length == 0) return "none";
    char buffer[160];
    std::snprintf(buffer, sizeof(buffer), "show %u, normal %d,%d,%d,%d, flags %u",
                  static_cast<unsigned>(p.showCmd), static_cast<int>(p.rcNormalPosition.left),
                  static_cast<int>(p.rcNormalPosition.top),
                  static_cast<int>(p.rcNormalPosition.right),
                  static_cast<int>(p.rcNormalPosition.bottom), static_cast<unsigned>(p.flags));
    return buffer;
}

void append_bookmarks(std::string& out, const Bookmark (&marks)[BOOKMARK_COUNT]) {
    for (std::size_t i = 0; i < BOOKMARK_COUNT; ++i) {
        const Bookmark& mark = marks[i];
        out += "Marken.F" + std::to_string(i + 2) + " = ";
        if (mark.in_use == 0) {
            out += "none\n";
            continue;
        }
        out += "page " + std::to_string(mark.page) + ", line " + std::to_string(mark.top_line) +
               ", column " + std::to_string(mark.left_column) + ", " +
               quoted(mark.path, sizeof(mark.path)) + " / " +
               quoted(mark.node_name, sizeof(mark.node_name)) + "\n";
    }
}

// One stored value's text after "name = ".
std::string value_text(const ValueDescriptor& value, const Settings& from, bool colour) {
    const void* bytes = value.in(from);
    if (value.type == ValueType::Sz) return quoted(static_cast<const char*>(bytes), value.size);
    if (value.type == ValueType::Dword) {
        uint32_t number;
        std::memcpy(&number, bytes, sizeof(number));
        return format(colour ? "0x%08llX" : "%llu", number);
    }
    if (value.offset == offsetof(Settings, FONT) || value.offset == offsetof(Settings, XFONT)) {
        return font_text(*static_cast<const LogFontRecord*>(bytes));
    }
    if (value.offset == offsetof(Settings, WindowPlacement)) {
        return placement_text(from.WindowPlacement);
    }
    if (value.offset == offsetof(Settings, CatalogPlacement)) {
        return placement_text(from.CatalogPlacement);
    }
    std::string out;
    if (value.offset == offsetof(Settings, CUST_COL)) {
        for (std::size_t c = 0; c < PALETTE_SIZE; ++c) {
            out += format(c == 0 ? "0x%08llX" : " 0x%08llX", from.CUST_COL[c]);
        }
    }
    return out;
}

}  // namespace

std::string format_settings(const Settings& from) {
    std::string out;
    for (const SettingsKeyTable& table : settings_keys) {
        const bool colour = table.values == settings_keys[KEY_OPTIONS_COLOR].values;
        for (std::size_t i = 0; i < table.count; ++i) {
            const ValueDescriptor& value = table.values[i];
            if (value.offset == offsetof(Settings, Marken)) {
                append_bookmarks(out, from.Marken);
                continue;
            }
            out += value.name;
            out += " = " + value_text(value, from, colour) + "\n";
        }
    }
    return out;
}

std::string format_settings() {
    return format_settings(settings);
}

// The platform's store (registry or settings file) is opened afresh for every call, so that it
// follows VELLUMAR_SETTINGS and the other variables as they are at that moment.
std::string hyp_path_setting() {
    return settings.hyp_path();
}

void load_settings() {
    load_settings(*open_platform_settings_store());
}
namespace {

Outcome save_to_platform_store(SettingsKeyId key) {
    if (save_settings_key(*open_platform_settings_store(), key)) return Outcome();
    return make_failure("Die Einstellungen konnten nicht gespeichert werden:\n\n%s",
                        platform_settings_location());
}

}  // namespace

Outcome save_settings_div() {
    return save_to_platform_store(KEY_OPTIONS_DIV);
}
Outcome save_settings_output() {
    return save_to_platform_store(KEY_OPTIONS_OUTPUT);
}
Outcome save_settings_font() {
    return save_to_platform_store(KEY_OPTIONS_FONT);
}
Outcome save_settings_color() {
    return save_to_platform_store(KEY_OPTIONS_COLOR);
}

// Every user setting as a process-wide variable, the tables that store them, load and save.
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "hyp/charset.h"

namespace {

// --- built-in defaults ----------------------------------------------------------------------

constexpr uint32_t DEFAULT_EXPMULTISPACE = 1;
constexpr uint32_t DEFAULT_MARGIN = 200;  // 1/10 mm
constexpr char DEFAULT_INLINK[2] = "[";
constexpr char DEFAULT_OUTLINK[2] = "]";

// Both fonts: height -16, weight 400, ANSI set, stroke output and clipping, draft quality.
constexpr LogFontRecord DEFAULT_FONT = {-16, 0, 0, 0, 400, 0, 0, 0, 0, 3, 2, 1, 0x22, "Arial"};
constexpr LogFontRecord DEFAULT_XFONT = {-16, 0, 0, 0, 400, 0,    0,
                                         0,   0, 3, 2, 1,   0x31, "Courier New"};

constexpr uint32_t DEFAULT_COLOURS[COLOUR_PALETTE] = {
    0x00FF0000,  // 0 links to pages: blue
    0x0000C000,  // 1 popups: green
    0x000000C0,  // 2 external references: dark red
    0x000000FF,  // 3 images (not stored): red
    0x00FF00FF,  // 4 system arguments: magenta
    0x00FF00FF,  // 5 REXX scripts
    0x00FF00FF,  // 6 REXX commands
    0x000000FF,  // 7 quit entries: red
    0x00000000,  // TXTCOLOR: black
    0x00808080,  // GTXTCOLOR: grey
    0x00FFFFFF,  // BCKCOLOR: white
    0x0080FFFF,  // POPCOLOR: light yellow
};

}  // namespace

const uint32_t CUST_COL_DEFAULTS[PALETTE_SIZE] = {
    0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x00FFFF00, 0x000000FF, 0x00FF00FF, 0x0000FFFF, 0x00C0C0C0,
    0x00808080, 0x00C00000, 0x0000C000, 0x00C0C000, 0x000000C0, 0x00C000C0, 0x0000C0C0, 0x00000000,
};

// --- the variables --------------------------------------------------------------------------

char DefHyp[SETTINGS_PATH_SIZE];
uint32_t expmultispace = DEFAULT_EXPMULTISPACE;
char HypPath[SETTINGS_PATH_SIZE];
uint32_t LastLoadIndex;
char LastLoadPath[SETTINGS_PATH_SIZE];
uint32_t LastLoadZeile;
char LastSavePath[SETTINGS_PATH_SIZE];
Bookmark Marken[BOOKMARK_COUNT];
uint32_t scale_bitmaps;
uint32_t StartUp;
WindowPlacementRecord WindowPlacement;

uint32_t alllinks_stg;
uint32_t alllinks_txt;
uint32_t char_conv;
uint32_t forceindex;
char inlink[2] = {DEFAULT_INLINK[0], 0};
uint32_t linksel_visible;
char outlink[2] = {DEFAULT_OUTLINK[0], 0};
uint32_t p_left_margin = DEFAULT_MARGIN;
uint32_t p_right_margin = DEFAULT_MARGIN;
uint32_t p_top_margin = DEFAULT_MARGIN;

LogFontRecord FONT = DEFAULT_FONT;
LogFontRecord XFONT = DEFAULT_XFONT;

uint32_t colour_table[COLOUR_TABLE_SIZE] = {
    // Spelled out so the table is right before any code runs; restore_default_settings()
    // and the tests compare it with DEFAULT_COLOURS and CUST_COL_DEFAULTS.
    0x00FF0000, 0x0000C000, 0x000000C0, 0x000000FF, 0x00FF00FF, 0x00FF00FF, 0x00FF00FF, 0x000000FF,
    0x00000000, 0x00808080, 0x00FFFFFF, 0x0080FFFF,
    // picture palette
    0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x00FFFF00, 0x000000FF, 0x00FF00FF, 0x0000FFFF, 0x00C0C0C0,
    0x00808080, 0x00C00000, 0x0000C000, 0x00C0C000, 0x000000C0, 0x00C000C0, 0x0000C0C0, 0x00000000};

uint32_t CUST_COL[PALETTE_SIZE] = {
    0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x00FFFF00, 0x000000FF, 0x00FF00FF, 0x0000FFFF, 0x00C0C0C0,
    0x00808080, 0x00C00000, 0x0000C000, 0x00C0C000, 0x000000C0, 0x00C000C0, 0x0000C0C0, 0x00000000,
};

// --- the tables -----------------------------------------------------------------------------

namespace {

template <typename T>
constexpr uint32_t size_of(const T&) {
    return static_cast<uint32_t>(sizeof(T));
}

#define SZ_VALUE(var, def) \
    { #var, var, ValueType::Sz, size_of(var), def }
#define DWORD_VALUE(var, def) \
    { #var, &var, ValueType::Dword, 4, def }
#define BINARY_VALUE(var, def) \
    { #var, &var, ValueType::Binary, size_of(var), def }

const ValueDescriptor OPTIONS_DIV[] = {
    SZ_VALUE(DefHyp, nullptr),
    DWORD_VALUE(expmultispace, &DEFAULT_EXPMULTISPACE),
    SZ_VALUE(HypPath, nullptr),
    DWORD_VALUE(LastLoadIndex, nullptr),
    SZ_VALUE(LastLoadPath, nullptr),
    DWORD_VALUE(LastLoadZeile, nullptr),
    SZ_VALUE(LastSavePath, nullptr),
    BINARY_VALUE(Marken, nullptr),
    DWORD_VALUE(scale_bitmaps, nullptr),
    DWORD_VALUE(StartUp, nullptr),
    BINARY_VALUE(WindowPlacement, nullptr),
};

const ValueDescriptor OPTIONS_OUTPUT[] = {
    DWORD_VALUE(alllinks_stg, nullptr),
    DWORD_VALUE(alllinks_txt, nullptr),
    DWORD_VALUE(char_conv, nullptr),
    DWORD_VALUE(forceindex, nullptr),
    SZ_VALUE(inlink, DEFAULT_INLINK),
    DWORD_VALUE(linksel_visible, nullptr),
    SZ_VALUE(outlink, DEFAULT_OUTLINK),
    DWORD_VALUE(p_left_margin, &DEFAULT_MARGIN),
    DWORD_VALUE(p_right_margin, &DEFAULT_MARGIN),
    DWORD_VALUE(p_top_margin, &DEFAULT_MARGIN),
};

const ValueDescriptor OPTIONS_FONT[] = {
    BINARY_VALUE(FONT, &DEFAULT_FONT),
    BINARY_VALUE(XFONT, &DEFAULT_XFONT),
};

// The stored colours are slots of colour_table; their names are the value names.
#define COLOUR_VALUE(name, slot) \
    { name, &colour_table[slot], ValueType::Dword, 4, &DEFAULT_COLOURS[slot] }

// clang-format off
const ValueDescriptor OPTIONS_COLOR[] = {
    COLOUR_VALUE("BCKCOLOR", COLOUR_BCKCOLOR),
    BINARY_VALUE(CUST_COL, CUST_COL_DEFAULTS),
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

#undef SZ_VALUE
#undef DWORD_VALUE
#undef BINARY_VALUE
#undef COLOUR_VALUE

static_assert(sizeof(OPTIONS_DIV) / sizeof(ValueDescriptor) == 11, "OptionsDiv holds 11 values");
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
constexpr uint32_t LARGEST_VALUE = sizeof(Marken);

// Reads one value into its variable, or leaves the variable alone. Values are queried into a
// scratch buffer first so a refused value can never leave a half-written variable behind.
void load_value(SettingsKey& key, const ValueDescriptor& value) {
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
    std::memcpy(value.variable, scratch, value.size);
}

bool save_key(SettingsStore& store, const SettingsKeyTable& table) {
    std::unique_ptr<SettingsKey> key = store.create_key_for_writing(table.name);
    if (!key) return false;
    bool ok = true;
    for (std::size_t i = 0; i < table.count; ++i) {
        const ValueDescriptor& value = table.values[i];
        ok = key->set_value(value.name, value.type, value.variable, value.size) && ok;
    }
    return key->close() && ok;
}

}  // namespace

void load_settings(SettingsStore& store) {
    std::memcpy(CUST_COL, CUST_COL_DEFAULTS, sizeof(CUST_COL));
    for (const SettingsKeyTable& table : settings_keys) {
        std::unique_ptr<SettingsKey> key = store.open_key_for_reading(table.name);
        if (!key) continue;
        for (std::size_t i = 0; i < table.count; ++i) load_value(*key, table.values[i]);
        key->close();
    }
}

bool save_settings_key(SettingsStore& store, SettingsKeyId key) {
    return save_key(store, settings_keys[key]);
}

void restore_default_settings() {
    for (const SettingsKeyTable& table : settings_keys) {
        for (std::size_t i = 0; i < table.count; ++i) {
            const ValueDescriptor& value = table.values[i];
            if (value.default_value != nullptr) {
                std::memcpy(value.variable, value.default_value, value.size);
            } else {
                std::memset(value.variable, 0, value.size);
            }
        }
    }
    std::memcpy(colour_table, DEFAULT_COLOURS, sizeof(DEFAULT_COLOURS));
    std::memcpy(colour_table + COLOUR_PALETTE, CUST_COL_DEFAULTS, sizeof(CUST_COL_DEFAULTS));
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

void append_bookmarks(std::string& out) {
    for (std::size_t i = 0; i < BOOKMARK_COUNT; ++i) {
        const Bookmark& mark = Marken[i];
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

}  // namespace

std::string format_settings() {
    std::string out;
    for (const SettingsKeyTable& table : settings_keys) {
        for (std::size_t i = 0; i < table.count; ++i) {
            const ValueDescriptor& value = table.values[i];
            if (value.variable == Marken) {
                append_bookmarks(out);
                continue;
            }
            out += value.name;
            out += " = ";
            if (value.type == ValueType::Sz) {
                out += quoted(static_cast<const char*>(value.variable), value.size);
            } else if (value.type == ValueType::Dword) {
                uint32_t number;
                std::memcpy(&number, value.variable, sizeof(number));
                bool colour = table.values == settings_keys[KEY_OPTIONS_COLOR].values;
                out += format(colour ? "0x%08llX" : "%llu", number);
            } else if (value.variable == &FONT || value.variable == &XFONT) {
                out += font_text(*static_cast<const LogFontRecord*>(value.variable));
            } else if (value.variable == &WindowPlacement) {
                out += placement_text(WindowPlacement);
            } else if (value.variable == CUST_COL) {
                for (std::size_t c = 0; c < PALETTE_SIZE; ++c) {
                    out += format(c == 0 ? "0x%08llX" : " 0x%08llX", CUST_COL[c]);
                }
            }
            out += "\n";
        }
    }
    return out;
}

// The platform's store (registry or settings file) is opened afresh for every call, so that it
// follows VELLUMAR_SETTINGS and the other variables as they are at that moment.
std::string hyp_path_setting() {
    return std::string(HypPath, strnlen(HypPath, sizeof HypPath));
}

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

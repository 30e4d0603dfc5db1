// Every user setting as one object, the tables that store its fields, load and save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "hyp/failure.h"
#include "hyp/hyp_format.h"  // EntryType: the link colours are indexed by it
#include "settings/settings_layout.h"
#include "settings/settings_store.h"

// Settings keep the names of their stored values, so code, store and documentation agree.

constexpr std::size_t SETTINGS_PATH_SIZE = 512;  // every stored path buffer, NUL included

// Where the registry store keeps the four keys, below the current user's hive.
constexpr const char* SETTINGS_REGISTRY_ROOT = "Software\\Ostwick\\Vellumar";

// Colours are 0x00BBGGRR. The drawing code addresses them by slot of one table: the link
// colours by entry type (0 to 7), then text, light text, window and popup background, then
// the standard 16-colour picture palette.
constexpr std::size_t COLOUR_LINK_SLOTS = 8;
constexpr std::size_t COLOUR_TXTCOLOR = 8;
constexpr std::size_t COLOUR_GTXTCOLOR = 9;
constexpr std::size_t COLOUR_BCKCOLOR = 10;
constexpr std::size_t COLOUR_POPCOLOR = 11;
constexpr std::size_t COLOUR_PALETTE = 12;
constexpr std::size_t PALETTE_SIZE = 16;
constexpr std::size_t COLOUR_TABLE_SIZE = COLOUR_PALETTE + PALETTE_SIZE;

// The custom colours before anything is loaded; the same words are the standard palette of
// pictures (read as blue-green-red entries).
extern const uint32_t CUST_COL_DEFAULTS[PALETTE_SIZE];

// Every user setting, each field named as its stored value. A new object holds the built-in
// defaults. The object is plain bytes (standard layout) so the value tables below can name
// each field by its offset and load or save any instance.
struct Settings {
    // --- OptionsDiv
    // Place and size of the catalogue window (the same record as the main window's); length 0 =
    // none yet: it opens beside the main window.
    WindowPlacementRecord CatalogPlacement = {};
    char DefHyp[SETTINGS_PATH_SIZE] = {};        // default hypertext opened when StartUp is 1
    uint32_t expmultispace = 1;                  // expand runs of blanks (0/1)
    char HypPath[SETTINGS_PATH_SIZE] = {};       // hypertext directory, ending in a backslash
    uint32_t LastLoadIndex = 0;                  // page shown when the program last ended
    char LastLoadPath[SETTINGS_PATH_SIZE] = {};  // hypertext last opened successfully
    uint32_t LastLoadZeile = 0;                  // top line shown when the program last ended
    char LastSavePath[SETTINGS_PATH_SIZE] = {};  // path last chosen in an export save dialog
    Bookmark Marken[BOOKMARK_COUNT] = {};        // the bookmarks F2 to F12
    uint32_t scale_bitmaps = 0;                  // scale images (0/1)
    uint32_t StartUp = 0;  // 0 file dialog, 1 open DefHyp, 2 open LastLoadPath
    WindowPlacementRecord WindowPlacement = {};  // main window placement; length 0 = none

    // --- OptionsOutput
    uint32_t alllinks_stg = 0;     // recompilation writes every link explicitly
    uint32_t alllinks_txt = 0;     // text export frames links with inlink/outlink
    uint32_t char_conv = 0;        // export target set: 0 ANSI, 1 OEM, 2 TOS, 3 MAC
    uint32_t forceindex = 0;       // recompilation always writes the page "Index"
    char inlink[2] = "[";          // one character before a link in text export, and its NUL
    uint32_t linksel_visible = 0;  // keyboard link selection stays in the visible part
    char outlink[2] = "]";         // one character after a link in text export, and its NUL
    uint32_t p_left_margin = 200;  // print margins in 1/10 mm
    uint32_t p_right_margin = 200;
    uint32_t p_top_margin = 200;

    // --- OptionsFont: height -16, weight 400, ANSI set, stroke output and clipping, draft
    // quality; variable pitch for the text font, fixed pitch for the alternative one.
    LogFontRecord FONT = {-16, 0, 0, 0, 400, 0, 0, 0, 0, 3, 2, 1, 0x22, "Arial"};
    LogFontRecord XFONT = {-16, 0, 0, 0, 400, 0, 0, 0, 0, 3, 2, 1, 0x31, "Courier New"};

    // --- OptionsColor: the colour slots (see above); the stored colours are named slots.
    uint32_t colour_table[COLOUR_TABLE_SIZE] = {
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
        // picture palette, as CUST_COL_DEFAULTS
        0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x00FFFF00, 0x000000FF, 0x00FF00FF, 0x0000FFFF,
        0x00C0C0C0, 0x00808080, 0x00C00000, 0x0000C000, 0x00C0C000, 0x000000C0, 0x00C000C0,
        0x0000C0C0, 0x00000000};
    uint32_t CUST_COL[PALETTE_SIZE] = {  // the colour chooser's 16 custom colours
        0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x00FFFF00, 0x000000FF, 0x00FF00FF,
        0x0000FFFF, 0x00C0C0C0, 0x00808080, 0x00C00000, 0x0000C000, 0x00C0C000,
        0x000000C0, 0x00C000C0, 0x0000C0C0, 0x00000000};

    // The stored colours by their names. Slot 3 (links to images) has no stored value.
    uint32_t& colour(std::size_t slot) { return colour_table[slot]; }
    uint32_t colour(std::size_t slot) const { return colour_table[slot]; }
    uint32_t& REFCOLOR_INTERNE_SEITE() { return colour_table[ENTRY_NODE]; }
    uint32_t& REFCOLOR_POPUP_NODE() { return colour_table[ENTRY_PNODE]; }
    uint32_t& REFCOLOR_EXTERNE_REFERENZ() { return colour_table[ENTRY_EXTERNAL]; }
    uint32_t& REFCOLOR_SYSTEM_ARGUMENT() { return colour_table[ENTRY_SYSTEM]; }
    uint32_t& REFCOLOR_REXX_SCRIPT() { return colour_table[ENTRY_REXX_SCRIPT]; }
    uint32_t& REFCOLOR_REXX_KOMMANDO() { return colour_table[ENTRY_REXX_COMMAND]; }
    uint32_t& REFCOLOR_QUIT_EINTRAG() { return colour_table[ENTRY_QUIT]; }
    uint32_t& TXTCOLOR() { return colour_table[COLOUR_TXTCOLOR]; }
    uint32_t& GTXTCOLOR() { return colour_table[COLOUR_GTXTCOLOR]; }
    uint32_t& BCKCOLOR() { return colour_table[COLOUR_BCKCOLOR]; }
    uint32_t& POPCOLOR() { return colour_table[COLOUR_POPCOLOR]; }
    uint32_t REFCOLOR_INTERNE_SEITE() const { return colour_table[ENTRY_NODE]; }
    uint32_t TXTCOLOR() const { return colour_table[COLOUR_TXTCOLOR]; }
    uint32_t GTXTCOLOR() const { return colour_table[COLOUR_GTXTCOLOR]; }
    uint32_t BCKCOLOR() const { return colour_table[COLOUR_BCKCOLOR]; }
    uint32_t POPCOLOR() const { return colour_table[COLOUR_POPCOLOR]; }

    // HypPath as the file lookup takes it: up to its NUL, or the whole buffer when it has none.
    std::string hyp_path() const;
};

// The program's settings: loaded at start-up, changed by the options dialogs and commands,
// saved key by key.
extern Settings settings;

// HypPath of the program's settings, as Settings::hyp_path().
std::string hyp_path_setting();

// --- value descriptor tables ----------------------------------------------------------------

struct ValueDescriptor {
    const char* name;           // value name in the store
    std::size_t offset;         // where the value lies in a Settings object, in bytes
    ValueType type;             // stored type
    uint32_t size;              // buffer size on loading, exact byte count on saving
    const void* default_value;  // `size` bytes of the built-in default; nullptr = all zero

    // The value's bytes in `owner`.
    void* in(Settings& owner) const { return reinterpret_cast<unsigned char*>(&owner) + offset; }
    const void* in(const Settings& owner) const {
        return reinterpret_cast<const unsigned char*>(&owner) + offset;
    }
};

struct SettingsKeyTable {
    const char* name;  // key below SETTINGS_REGISTRY_ROOT
    const ValueDescriptor* values;
    std::size_t count;
};

enum SettingsKeyId { KEY_OPTIONS_DIV, KEY_OPTIONS_OUTPUT, KEY_OPTIONS_FONT, KEY_OPTIONS_COLOR };
constexpr std::size_t SETTINGS_KEY_COUNT = 4;

// The four keys, in loading order.
extern const SettingsKeyTable settings_keys[SETTINGS_KEY_COUNT];

// --- loading and saving ---------------------------------------------------------------------

// Reads all four keys from the platform store (registry or settings file). Custom colours are
// reset to their defaults first; a missing key or value keeps what the variable holds. A value
// of the wrong type or length is treated as missing. Nothing is reported.
void load_settings();
void load_settings(SettingsStore& store);  // into the program's settings
void load_settings(SettingsStore& store, Settings& into);

// Each writes every value of one key to the platform store. A key that cannot be written
// completely fails with "Die Einstellungen konnten nicht gespeichert werden:\n\n%s" and the
// store's location; the store then holds what it held before.
Outcome save_settings_div();
Outcome save_settings_output();
Outcome save_settings_font();
Outcome save_settings_color();
// Whether the key was written completely.
bool save_settings_key(SettingsStore& store, SettingsKeyId key);  // of the program's settings
bool save_settings_key(SettingsStore& store, SettingsKeyId key, const Settings& from);

// Puts every setting, the unstored link colour of images and the picture palette included,
// back to its built-in default.
void restore_default_settings();
void restore_default_settings(Settings& target);

// The effective settings as UTF-8 text, one "name = value" line per stored value (bookmarks
// one line each), for the command line.
std::string format_settings();
std::string format_settings(const Settings& from);

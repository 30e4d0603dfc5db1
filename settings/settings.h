// Every user setting as a process-wide variable, the tables that store them, load and save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "hyp/hyp_format.h"  // EntryType: the link colours are indexed by it
#include "settings/settings_layout.h"
#include "settings/settings_store.h"

// Settings keep the names of their stored values, so code, store and documentation agree.

constexpr std::size_t SETTINGS_PATH_SIZE = 512;  // every stored path buffer, NUL included

// Where the registry store keeps the four keys, below the current user's hive.
constexpr const char* SETTINGS_REGISTRY_ROOT = "Software\\Ostwick\\Vellumar";

// --- OptionsDiv -----------------------------------------------------------------------------
extern char DefHyp[SETTINGS_PATH_SIZE];        // default hypertext opened when StartUp is 1
extern uint32_t expmultispace;                 // expand runs of blanks (0/1)
extern char HypPath[SETTINGS_PATH_SIZE];       // hypertext directory, ending in a backslash
extern uint32_t LastLoadIndex;                 // page shown when the program last ended
extern char LastLoadPath[SETTINGS_PATH_SIZE];  // hypertext last opened successfully
extern uint32_t LastLoadZeile;                 // top line shown when the program last ended
extern char LastSavePath[SETTINGS_PATH_SIZE];  // path last chosen in an export save dialog
extern Bookmark Marken[BOOKMARK_COUNT];        // the bookmarks F2 to F12
extern uint32_t scale_bitmaps;                 // scale images (0/1)
extern uint32_t StartUp;                       // 0 file dialog, 1 open DefHyp, 2 open LastLoadPath
extern WindowPlacementRecord WindowPlacement;  // main window placement; length 0 = none

// HypPath as the file lookup takes it: up to its NUL, or the whole buffer when it has none.
std::string hyp_path_setting();

// --- OptionsOutput --------------------------------------------------------------------------
extern uint32_t alllinks_stg;     // recompilation writes every link explicitly
extern uint32_t alllinks_txt;     // text export frames links with inlink/outlink
extern uint32_t char_conv;        // export target set: 0 ANSI, 1 OEM, 2 TOS, 3 MAC
extern uint32_t forceindex;       // recompilation always writes the page "Index"
extern char inlink[2];            // one character before a link in text export, and its NUL
extern uint32_t linksel_visible;  // keyboard link selection stays in the visible part
extern char outlink[2];           // one character after a link in text export, and its NUL
extern uint32_t p_left_margin;    // print margins in 1/10 mm
extern uint32_t p_right_margin;
extern uint32_t p_top_margin;

// --- OptionsFont ----------------------------------------------------------------------------
extern LogFontRecord FONT;   // standard text font
extern LogFontRecord XFONT;  // alternative (fixed-pitch) font

// --- OptionsColor ---------------------------------------------------------------------------
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

extern uint32_t colour_table[COLOUR_TABLE_SIZE];

// The stored colours are names for their slots. Slot 3 (links to images) has no stored value.
inline uint32_t& REFCOLOR_INTERNE_SEITE = colour_table[ENTRY_NODE];
inline uint32_t& REFCOLOR_POPUP_NODE = colour_table[ENTRY_PNODE];
inline uint32_t& REFCOLOR_EXTERNE_REFERENZ = colour_table[ENTRY_EXTERNAL];
inline uint32_t& REFCOLOR_SYSTEM_ARGUMENT = colour_table[ENTRY_SYSTEM];
inline uint32_t& REFCOLOR_REXX_SCRIPT = colour_table[ENTRY_REXX_SCRIPT];
inline uint32_t& REFCOLOR_REXX_KOMMANDO = colour_table[ENTRY_REXX_COMMAND];
inline uint32_t& REFCOLOR_QUIT_EINTRAG = colour_table[ENTRY_QUIT];
inline uint32_t& TXTCOLOR = colour_table[COLOUR_TXTCOLOR];
inline uint32_t& GTXTCOLOR = colour_table[COLOUR_GTXTCOLOR];
inline uint32_t& BCKCOLOR = colour_table[COLOUR_BCKCOLOR];
inline uint32_t& POPCOLOR = colour_table[COLOUR_POPCOLOR];

extern uint32_t CUST_COL[PALETTE_SIZE];  // the colour chooser's 16 custom colours

// The custom colours before anything is loaded; the same words are the standard palette of
// pictures (read as blue-green-red entries).
extern const uint32_t CUST_COL_DEFAULTS[PALETTE_SIZE];

// --- value descriptor tables ----------------------------------------------------------------

struct ValueDescriptor {
    const char* name;           // value name in the store
    void* variable;             // the setting it loads into and saves from
    ValueType type;             // stored type
    uint32_t size;              // buffer size on loading, exact byte count on saving
    const void* default_value;  // `size` bytes of the built-in default; nullptr = all zero
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
void load_settings(SettingsStore& store);

// Each writes every value of one key; a key that cannot be written is skipped silently.
// Return whether the key was written completely (callers may ignore it).
bool save_settings_div();
bool save_settings_output();
bool save_settings_font();
bool save_settings_color();
bool save_settings_key(SettingsStore& store, SettingsKeyId key);

// Puts every setting, the unstored link colour of images and the picture palette included,
// back to its built-in default.
void restore_default_settings();

// The effective settings as UTF-8 text, one "name = value" line per stored value (bookmarks
// one line each), for the command line.
std::string format_settings();

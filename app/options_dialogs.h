// What the option dialogs read back from their controls, and their fixed texts and tables.
// The dialog procedures only move texts and check marks between controls and these records;
// every rule about what a field means lives here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/settings.h"

// --- output options --------------------------------------------------------------------------

constexpr std::size_t CHARSET_CHOICES = 4;  // ANSI, OEM, TOS, MAC

// The controls of the output options, as texts and check marks.
struct OutputOptionsFields {
    std::array<bool, CHARSET_CHOICES> charset{};  // radio buttons 10 to 13
    bool alllinks_txt = false;
    std::string inlink;
    std::string outlink;
    bool alllinks_stg = false;
    bool forceindex = false;
    std::string left_margin;
    std::string right_margin;
    std::string top_margin;
    bool linksel_visible = false;
};

// The controls as the live settings fill them.
OutputOptionsFields output_fields_from_settings();
// Overwrites the live OptionsOutput settings from the controls.
void apply_output_fields(const OutputOptionsFields& fields);

// A link marker field keeps its first character only (the stored value is the character and
// its NUL); an empty field gives an empty marker.
void read_link_marker(const std::string& field, char (&marker)[2]);

// A margin in 1/10 mm: an unsigned decimal number, blanks around it allowed. Anything else
// (letters anywhere, a sign, nothing, a number beyond 32 bits) reads as 0.
uint32_t read_margin(const std::string& field);

// Index of the first checked button in id order; 0 when none is checked.
template <std::size_t N>
uint32_t first_checked(const std::array<bool, N>& checks) {
    for (std::size_t i = 0; i < N; ++i) {
        if (checks[i]) return static_cast<uint32_t>(i);
    }
    return 0;
}

// --- miscellaneous options -------------------------------------------------------------------

constexpr std::size_t STARTUP_CHOICES = 3;  // file dialog, default hypertext, last hypertext

struct MiscOptionsFields {
    std::string hyp_path;                         // field 10
    std::string def_hyp;                          // field 11
    std::array<bool, STARTUP_CHOICES> startup{};  // radio buttons 14 to 16
};

MiscOptionsFields misc_fields_from_settings();
void apply_misc_fields(const MiscOptionsFields& fields);

// The hypertext directory as stored: always ending in a backslash, so an empty field gives a
// single backslash. The field is limited so that the backslash always fits the setting's
// buffer; a longer text is cut before the backslash is added.
std::string read_hyp_path(const std::string& field);
// The longest text the directory field accepts: room for the backslash and the NUL.
constexpr std::size_t HYP_PATH_FIELD_LIMIT = SETTINGS_PATH_SIZE - 2;
// The longest text the default hypertext field accepts (the NUL needs the last byte).
constexpr std::size_t DEF_HYP_FIELD_LIMIT = SETTINGS_PATH_SIZE - 1;

// What "Durchsuchen..." puts into its field for a chosen file: the directory field takes the
// chosen file's directory with its final backslash, the default hypertext field the full path.
std::string browsed_field_text(bool directory_field, const std::string& chosen_path);

// --- fonts ------------------------------------------------------------------------------------

// FONT and XFONT while the font dialog is open.
struct FontWorkingCopies {
    LogFontRecord font;
    LogFontRecord xfont;
};

// Copies of both fonts with weight 400, italic and underline off: the fonts the viewer draws
// with its attributes applied on top, so a chosen style would only be lost later.
FontWorkingCopies font_working_copies(const LogFontRecord& font, const LogFontRecord& xfont);

// The font chooser confirmed `chosen` for FONT (`for_xfont` false) or XFONT: it replaces that
// copy, both copies are normalised again, and the other copy takes the chosen height so both
// fonts keep one line height; its face and pitch stay.
void accept_chosen_font(FontWorkingCopies& copies, bool for_xfont, const LogFontRecord& chosen);

// --- colours ---------------------------------------------------------------------------------

// The twelve colours the dialog edits: the eight link colours, TXTCOLOR, GTXTCOLOR, BCKCOLOR and
// POPCOLOR, in the order of the colour table.
constexpr std::size_t EDITED_COLOURS = COLOUR_PALETTE;
using ColourWorkingCopies = std::array<uint32_t, EDITED_COLOURS>;

ColourWorkingCopies colour_working_copies(const uint32_t (&table)[COLOUR_TABLE_SIZE]);
// Writes all twelve back; the image slot, which has no button, goes back unchanged.
void commit_colours(const ColourWorkingCopies& copies, uint32_t (&table)[COLOUR_TABLE_SIZE]);

// How a colour sample box is drawn.
enum class SampleKind {
    TextOnBackgrounds,  // text in the slot's colour, bold, on both backgrounds
    LinkOnBackgrounds,  // the same for a link colour: regular weight, underlined
    Background,         // filled with the slot's colour, the text in both text colours
};

struct ColourSample {
    int sample_id;  // the empty static control the sample is drawn into
    int button_id;  // its "Ändern" button
    std::size_t slot;
    SampleKind kind;
    const char* text;  // nullptr for a link colour: the display name of its entry type
};

// Slot 3 (images) has no sample and no button.
constexpr std::size_t COLOUR_SAMPLE_COUNT = 11;
extern const ColourSample colour_samples[COLOUR_SAMPLE_COUNT];

// The text a sample shows.
const char* colour_sample_text(const ColourSample& sample);

// --- version box -------------------------------------------------------------------------------

// The version as the version box shows it, in the Windows set ("0.5ß").
std::string version_text();
// "(Compiled %s, %s)" with the build date and time.
std::string compiled_text();

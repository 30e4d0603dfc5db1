// What the option dialogs read back from their controls, and their fixed texts and tables.
#include "app/options_dialogs.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "hyp/charset.h"
#include "export/export_driver.h"
#include "hyp/paths.h"

// --- output options --------------------------------------------------------------------------

namespace {

std::string decimal(uint32_t value) {
    return std::to_string(value);
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

void read_link_marker(const std::string& field, char (&marker)[2]) {
    marker[0] = field.empty() ? '\0' : field[0];
    marker[1] = '\0';
}

uint32_t read_margin(const std::string& field) {
    std::size_t begin = 0, end = field.size();
    while (begin < end && is_blank(field[begin])) ++begin;
    while (end > begin && is_blank(field[end - 1])) --end;
    if (begin == end) return 0;
    uint64_t value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = field[i];
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        // Checked at every digit, so `value` never exceeds 10 * 2^32 and cannot wrap.
        if (value > std::numeric_limits<uint32_t>::max()) return 0;
    }
    return static_cast<uint32_t>(value);
}

OutputOptionsFields output_fields_from_settings() {
    OutputOptionsFields f;
    if (settings.char_conv < CHARSET_CHOICES) f.charset[settings.char_conv] = true;
    f.alllinks_txt = settings.alllinks_txt != 0;
    f.inlink.assign(settings.inlink, strnlen(settings.inlink, sizeof settings.inlink));
    f.outlink.assign(settings.outlink, strnlen(settings.outlink, sizeof settings.outlink));
    f.alllinks_stg = settings.alllinks_stg != 0;
    f.forceindex = settings.forceindex != 0;
    f.left_margin = decimal(settings.p_left_margin);
    f.right_margin = decimal(settings.p_right_margin);
    f.top_margin = decimal(settings.p_top_margin);
    f.linksel_visible = settings.linksel_visible != 0;
    return f;
}

void apply_output_fields(const OutputOptionsFields& f) {
    settings.char_conv = first_checked(f.charset);
    settings.alllinks_txt = f.alllinks_txt ? 1 : 0;
    read_link_marker(f.inlink, settings.inlink);
    read_link_marker(f.outlink, settings.outlink);
    settings.alllinks_stg = f.alllinks_stg ? 1 : 0;
    settings.forceindex = f.forceindex ? 1 : 0;
    settings.p_left_margin = read_margin(f.left_margin);
    settings.p_right_margin = read_margin(f.right_margin);
    settings.p_top_margin = read_margin(f.top_margin);
    settings.linksel_visible = f.linksel_visible ? 1 : 0;
}

// --- miscellaneous options -------------------------------------------------------------------

namespace {

void copy_path(char (&setting)[SETTINGS_PATH_SIZE], const std::string& text) {
    const std::size_t n = std::min(text.size(), SETTINGS_PATH_SIZE - 1);
    std::memcpy(setting, text.data(), n);
    std::memset(setting + n, 0, SETTINGS_PATH_SIZE - n);
}

}  // namespace

std::string read_hyp_path(const std::string& field) {
    std::string path = field.substr(0, HYP_PATH_FIELD_LIMIT);
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string browsed_field_text(bool directory_field, const std::string& chosen_path) {
    return directory_field ? path_directory(chosen_path) : chosen_path;
}

MiscOptionsFields misc_fields_from_settings() {
    MiscOptionsFields f;
    f.hyp_path.assign(settings.HypPath, strnlen(settings.HypPath, sizeof settings.HypPath));
    f.def_hyp.assign(settings.DefHyp, strnlen(settings.DefHyp, sizeof settings.DefHyp));
    // Any value other than 1 and 2 means the file dialog, which is what the first button says.
    f.startup[settings.StartUp < STARTUP_CHOICES ? settings.StartUp : 0] = true;
    return f;
}

void apply_misc_fields(const MiscOptionsFields& f) {
    settings.StartUp = first_checked(f.startup);
    copy_path(settings.HypPath, read_hyp_path(f.hyp_path));
    copy_path(settings.DefHyp, f.def_hyp);
}

// --- fonts ------------------------------------------------------------------------------------

namespace {

constexpr int32_t REGULAR_WEIGHT = 400;

void normalise(LogFontRecord& font) {
    font.lfWeight = REGULAR_WEIGHT;
    font.lfItalic = 0;
    font.lfUnderline = 0;
}

}  // namespace

FontWorkingCopies font_working_copies(const LogFontRecord& font, const LogFontRecord& xfont) {
    FontWorkingCopies copies{font, xfont};
    normalise(copies.font);
    normalise(copies.xfont);
    return copies;
}

void accept_chosen_font(FontWorkingCopies& copies, bool for_xfont, const LogFontRecord& chosen) {
    LogFontRecord& target = for_xfont ? copies.xfont : copies.font;
    LogFontRecord& other = for_xfont ? copies.font : copies.xfont;
    target = chosen;
    // The chooser hands back a face name the platform filled; it must stay terminated.
    target.lfFaceName[LF_FACE_SIZE - 1] = '\0';
    normalise(copies.font);
    normalise(copies.xfont);
    other.lfHeight = chosen.lfHeight;
}

// --- colours ---------------------------------------------------------------------------------

ColourWorkingCopies colour_working_copies(const uint32_t (&table)[COLOUR_TABLE_SIZE]) {
    ColourWorkingCopies copies{};
    std::memcpy(copies.data(), table, sizeof(uint32_t) * EDITED_COLOURS);
    return copies;
}

void commit_colours(const ColourWorkingCopies& copies, uint32_t (&table)[COLOUR_TABLE_SIZE]) {
    std::memcpy(table, copies.data(), sizeof(uint32_t) * EDITED_COLOURS);
}

const ColourSample colour_samples[COLOUR_SAMPLE_COUNT] = {
    {10, 20, COLOUR_TXTCOLOR, SampleKind::TextOnBackgrounds, "Normaler Text und Liniengrafik"},
    {11, 21, COLOUR_GTXTCOLOR, SampleKind::TextOnBackgrounds, "Heller Text (Attribut @{G})"},
    {12, 22, ENTRY_NODE, SampleKind::LinkOnBackgrounds, nullptr},
    {13, 23, ENTRY_PNODE, SampleKind::LinkOnBackgrounds, nullptr},
    {14, 24, ENTRY_EXTERNAL, SampleKind::LinkOnBackgrounds, nullptr},
    {16, 26, ENTRY_SYSTEM, SampleKind::LinkOnBackgrounds, nullptr},
    {17, 27, ENTRY_REXX_SCRIPT, SampleKind::LinkOnBackgrounds, nullptr},
    {18, 28, ENTRY_REXX_COMMAND, SampleKind::LinkOnBackgrounds, nullptr},
    {19, 29, ENTRY_QUIT, SampleKind::LinkOnBackgrounds, nullptr},
    {30, 40, COLOUR_BCKCOLOR, SampleKind::Background, "Fensterhintergrund"},
    {31, 41, COLOUR_POPCOLOR, SampleKind::Background, "  Popuphintergrund"},
};

const char* colour_sample_text(const ColourSample& sample) {
    return sample.text ? sample.text : entry_type_name(static_cast<unsigned>(sample.slot));
}

// --- version box -------------------------------------------------------------------------------

std::string version_text() {
    // The version is kept in the Atari set for the exports' banners; the box shows it in the
    // Windows set.
    return convert_charset(program_version(), false, conversion_table(CHARSET_TOS, TARGET_ANSI));
}

std::string compiled_text() {
    std::string text = "(Compiled ";
    text.append(build_date()).append(", ").append(build_time()).append(")");
    return text;
}

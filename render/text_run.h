// Text runs with their attributes: fonts, colours, outlined and shadowed letters, link colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "render/device.h"
#include "settings/settings_layout.h"

// The attribute set of page text: one byte, bits 0 to 6 (page codes 100 to 255 carry code - 100).
constexpr uint8_t ATTR_BOLD = 1;
constexpr uint8_t ATTR_GHOSTED = 2;
constexpr uint8_t ATTR_ITALIC = 4;
constexpr uint8_t ATTR_UNDERLINE = 8;
constexpr uint8_t ATTR_OUTLINE = 16;
constexpr uint8_t ATTR_SHADOW = 32;
constexpr uint8_t ATTR_XFONT = 64;
constexpr uint8_t ATTR_ALL = 127;

constexpr int32_t FONT_WEIGHT_NORMAL = 400;
constexpr int32_t FONT_WEIGHT_BOLD = 700;

// Draws `length` bytes (already in the Windows character set) at the device's current position
// with the attributes' outline and shadow, and leaves the position after the text. The device
// must be in transparent mode with TEXT_ALIGN_UPDATE_CP set. Outlined letters are hollow: eight
// copies in the text colour around a body in the background colour (POPCOLOR when `in_popup`,
// else BCKCOLOR). A shadow is one copy in GTXTCOLOR 2 pixels right of and 2 pixels above the
// letters. Weight, slant and underline come from the selected font. The text colour is the
// same afterwards. Returns the result of the final text output.
bool draw_text_run(Device& dc, const char* text, int length, uint8_t attributes, bool in_popup);

// The same for `length` UTF-16 units, through the device's wide-character calls.
bool draw_wide_text_run(Device& dc, const char16_t* text, int length, uint8_t attributes,
                        bool in_popup);

// The character the screen draws through the wide-character calls for `byte` of the
// hypertext set `source_charset` (CHARSET_TOS or CHARSET_MAC): the set's own character where
// the Windows set lacks it; 0 where the Windows set has it (the byte of the screen's table is
// drawn, as it always was) or Unicode has no equivalent (control codes: the table's byte too).
char32_t screen_wide_character(unsigned source_charset, uint8_t byte);

// A run of stored text as the screen, the printer and the window title show it: one cell per
// stored byte, holding the byte the screen's table gives (the Windows set), and where that set
// lacks the character, the character itself to be drawn wide. A wide character takes one
// column like any other, so the page's columns stay where they are.
class ScreenText {
   public:
    // `stored` is in the hypertext's set `source_charset`, converted through table `table`. Wide
    // cells are only chosen when `table` is the screen's table of that set (never an export's).
    void assign(std::string_view stored, unsigned source_charset, unsigned table);

    size_t size() const { return narrow_.size(); }
    // Every cell's byte; a wide cell keeps the byte the table gives, which is never drawn.
    const std::string& narrow() const { return narrow_; }
    bool has_wide() const { return !wide_.empty(); }
    // The character of a wide cell, 0 for a narrow one.
    char32_t wide(size_t cell) const { return wide_.empty() ? 0 : wide_[cell]; }
    // Cells [from, from + count) as UTF-16: narrow bytes as code page 1252 reads them, wide
    // cells as their characters (two units beyond the 16-bit plane).
    std::u16string utf16(size_t from, size_t count) const;

   private:
    std::string narrow_;
    std::u32string wide_;  // one per cell, or empty when no cell is wide
};

// Draws cells [from, from + count) of `text` at the current position like draw_text_run:
// stretches of narrow cells through the byte calls (one call for a run without wide cells, so
// such a run draws exactly as before), stretches of wide cells through the wide calls.
bool draw_screen_text(Device& dc, const ScreenText& text, size_t from, size_t count,
                      uint8_t attributes, bool in_popup);
// The width in pixels of cells [from, from + count) of `text` in the selected font, measured
// stretch by stretch as draw_screen_text draws them.
int32_t screen_text_width(Device& dc, const ScreenText& text, size_t from, size_t count);

// Rewrites a font record for an attribute set: weight 700 with ATTR_BOLD else 400, the italic
// flag from ATTR_ITALIC, the underline flag from ATTR_UNDERLINE. Other fields stay.
void set_font_attributes(LogFontRecord& font, uint8_t attributes);

// True when the NUL-terminated text holds nothing but blanks (also when it is empty).
bool is_blank(const char* text);
// The same for `length` bytes (link texts are counted, not terminated).
bool is_blank(const char* text, int length);

// The colour links to an entry of type `entry_type` are drawn in. Types without a colour of
// their own (above ENTRY_QUIT; files carry 255, for example) use the colour of internal pages.
Colour link_colour(unsigned entry_type);

// The text state of a drawing walk: which font record is in use, the text colour the attributes
// chose and the attribute set itself.
struct TextState {
    LogFontRecord* current_font = nullptr;
    Colour current_colour = 0;
    uint8_t current_attributes = 0;
};

// Makes a font from `font`, selects it and deletes the font it replaces.
void select_new_font(Device& dc, const LogFontRecord& font);

// The attribute switch: for a new set different from the current one, chooses `alt_font` (with
// ATTR_XFONT) or `text_font`, the colour GTXTCOLOR (with ATTR_GHOSTED) or TXTCOLOR, rewrites the
// chosen record and selects a font made from it. Returns false (and changes nothing) when the
// set equals the current one.
bool switch_attributes(Device& dc, TextState& state, uint8_t attributes, LogFontRecord& text_font,
                       LogFontRecord& alt_font);

// Puts the device back into the walk's text state after a printed page break: the text colour,
// a font from the current record with the current attributes, transparent background and
// drawing at the current position.
void restore_text_state(Device& dc, const TextState& state);

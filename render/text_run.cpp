// Text runs with their attributes: fonts, colours, outlined and shadowed letters, link colours.
#include "render/text_run.h"

#include "hyp/hyp_format.h"
#include "settings/settings.h"

namespace {

// Where the eight copies of an outlined run go, around the body in clockwise order from the
// top left; together they draw a one-pixel rim in the text colour.
constexpr DevicePoint kOutlineOffsets[8] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                            {0, 1},   {1, 1},  {1, 0},  {1, -1}};

// The shadow lies right of and above the letters.
constexpr int32_t kShadowDx = 2;
constexpr int32_t kShadowDy = -2;

}  // namespace

bool draw_text_run(Device& dc, const char* text, int length, uint8_t attributes, bool in_popup) {
    const Colour colour = dc.text_colour();
    if (attributes & (ATTR_OUTLINE | ATTR_SHADOW)) {
        // The copies are drawn at points of their own, so the position must not move with them.
        const uint32_t align = dc.text_align();
        dc.set_text_align(align & ~TEXT_ALIGN_UPDATE_CP);
        const DevicePoint at = dc.current_position();
        if (attributes & ATTR_OUTLINE) {
            for (const DevicePoint& offset : kOutlineOffsets) {
                dc.text_out(at.x + offset.x, at.y + offset.y, text, length);
            }
        }
        if (attributes & ATTR_SHADOW) {
            dc.set_text_colour(GTXTCOLOR);
            dc.text_out(at.x + kShadowDx, at.y + kShadowDy, text, length);
            dc.set_text_colour(colour);
        }
        dc.set_text_align(align | TEXT_ALIGN_UPDATE_CP);
        dc.move_to(at.x, at.y);
        // The body of outlined letters takes the colour of the paper it lies on.
        if (attributes & ATTR_OUTLINE) dc.set_text_colour(in_popup ? POPCOLOR : BCKCOLOR);
    }
    const bool result = dc.text_out(0, 0, text, length);
    dc.set_text_colour(colour);
    return result;
}

void set_font_attributes(LogFontRecord& font, uint8_t attributes) {
    font.lfWeight = (attributes & ATTR_BOLD) ? FONT_WEIGHT_BOLD : FONT_WEIGHT_NORMAL;
    font.lfItalic = (attributes & ATTR_ITALIC) ? 1 : 0;
    font.lfUnderline = (attributes & ATTR_UNDERLINE) ? 1 : 0;
}

bool is_blank(const char* text) {
    for (; *text; ++text) {
        if (*text != ' ') return false;
    }
    return true;
}

bool is_blank(const char* text, int length) {
    for (int i = 0; i < length; ++i) {
        if (text[i] != ' ') return false;
    }
    return true;
}

Colour link_colour(unsigned entry_type) {
    // The table has one slot per known type; a larger type must not index past it.
    return colour_table[entry_type < COLOUR_LINK_SLOTS ? entry_type : unsigned{ENTRY_NODE}];
}

void select_new_font(Device& dc, const LogFontRecord& font) {
    const DeviceObject replaced = dc.select_object(dc.create_font(font));
    if (replaced != NO_DEVICE_OBJECT) dc.delete_object(replaced);
}

bool switch_attributes(Device& dc, TextState& state, uint8_t attributes, LogFontRecord& text_font,
                       LogFontRecord& alt_font) {
    if (attributes == state.current_attributes) return false;
    state.current_font = (attributes & ATTR_XFONT) ? &alt_font : &text_font;
    state.current_colour = (attributes & ATTR_GHOSTED) ? GTXTCOLOR : TXTCOLOR;
    dc.set_text_colour(state.current_colour);
    set_font_attributes(*state.current_font, attributes);
    select_new_font(dc, *state.current_font);
    state.current_attributes = attributes;
    return true;
}

void restore_text_state(Device& dc, const TextState& state) {
    dc.set_text_colour(state.current_colour);
    if (state.current_font) {
        set_font_attributes(*state.current_font, state.current_attributes);
        select_new_font(dc, *state.current_font);
    }
    dc.set_background_mode(BackgroundMode::Transparent);
    dc.set_text_align(TEXT_ALIGN_UPDATE_CP);
}

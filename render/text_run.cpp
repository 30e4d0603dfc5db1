// Text runs with their attributes: fonts, colours, outlined and shadowed letters, link colours.
#include "render/text_run.h"

#include <algorithm>
#include <array>
#include <climits>

#include "hyp/charset.h"
#include "hyp/charset_unicode.h"
#include "hyp/hyp_format.h"
#include "render/page_writer.h"
#include "settings/settings.h"

namespace {

// Where the eight copies of an outlined run go, around the body in clockwise order from the
// top left; together they draw a one-pixel rim in the text colour.
constexpr DevicePoint kOutlineOffsets[8] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                            {0, 1},   {1, 1},  {1, 0},  {1, -1}};

// The shadow lies right of and above the letters.
constexpr int32_t kShadowDx = 2;
constexpr int32_t kShadowDy = -2;

// The drawing of one run; `out(x, y)` draws its text at a point (or at the current position).
template <typename Out>
bool draw_run(Device& dc, uint8_t attributes, bool in_popup, Out out) {
    const Colour colour = dc.text_colour();
    if (attributes & (ATTR_OUTLINE | ATTR_SHADOW)) {
        // The copies are drawn at points of their own, so the position must not move with them.
        const uint32_t align = dc.text_align();
        dc.set_text_align(align & ~TEXT_ALIGN_UPDATE_CP);
        const DevicePoint at = dc.current_position();
        if (attributes & ATTR_OUTLINE) {
            for (const DevicePoint& offset : kOutlineOffsets) {
                out(at.x + offset.x, at.y + offset.y);
            }
        }
        if (attributes & ATTR_SHADOW) {
            dc.set_text_colour(settings.GTXTCOLOR());
            out(at.x + kShadowDx, at.y + kShadowDy);
            dc.set_text_colour(colour);
        }
        dc.set_text_align(align | TEXT_ALIGN_UPDATE_CP);
        dc.move_to(at.x, at.y);
        // The body of outlined letters takes the colour of the paper it lies on.
        if (attributes & ATTR_OUTLINE) dc.set_text_colour(in_popup ? settings.POPCOLOR() : settings.BCKCOLOR());
    }
    const bool result = out(0, 0);
    dc.set_text_colour(colour);
    return result;
}

// Per hypertext set (TOS, MAC): the wide character of every byte, 0 for narrow ones.
using WideTable = std::array<char32_t, 256>;

WideTable build_wide_table(unsigned source_charset) {
    WideTable table{};
    for (unsigned b = 0; b < table.size(); ++b) {
        const uint8_t byte = static_cast<uint8_t>(b);
        const char32_t u = source_charset == CHARSET_TOS ? atari_unicode(byte) : mac_unicode(byte);
        table[b] = u != 0 && !ansi_has(u) ? u : 0;
    }
    return table;
}

const WideTable& wide_table(unsigned source_charset) {
    static const WideTable tos = build_wide_table(CHARSET_TOS);
    static const WideTable mac = build_wide_table(CHARSET_MAC);
    return source_charset == CHARSET_MAC ? mac : tos;
}

void append_utf16(std::u16string& out, char32_t u) {
    if (u < 0x10000) {
        out += static_cast<char16_t>(u);
    } else {
        u -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (u >> 10));
        out += static_cast<char16_t>(0xDC00 + (u & 0x3FF));
    }
}

// The end of the stretch of cells starting at `from` that are all wide or all narrow.
size_t stretch_end(const ScreenText& text, size_t from, size_t end) {
    const bool wide = text.wide(from) != 0;
    size_t to = from + 1;
    while (to < end && (text.wide(to) != 0) == wide) ++to;
    return to;
}

}  // namespace

bool draw_text_run(Device& dc, const char* text, int length, uint8_t attributes, bool in_popup) {
    return draw_run(dc, attributes, in_popup,
                    [&](int32_t x, int32_t y) { return dc.text_out(x, y, text, length); });
}

bool draw_wide_text_run(Device& dc, const char16_t* text, int length, uint8_t attributes,
                        bool in_popup) {
    return draw_run(dc, attributes, in_popup,
                    [&](int32_t x, int32_t y) { return dc.text_out_wide(x, y, text, length); });
}

char32_t screen_wide_character(unsigned source_charset, uint8_t byte) {
    if (source_charset != CHARSET_TOS && source_charset != CHARSET_MAC) return 0;
    return wide_table(source_charset)[byte];
}

void ScreenText::assign(std::string_view stored, unsigned source_charset, unsigned table) {
    narrow_.assign(stored);
    convert_in_place(narrow_, table);
    wide_.clear();
    if (table != screen_conversion(source_charset) ||
        (source_charset != CHARSET_TOS && source_charset != CHARSET_MAC)) {
        return;
    }
    const WideTable& wide = wide_table(source_charset);
    for (size_t i = 0; i < stored.size(); ++i) {
        const char32_t u = wide[static_cast<uint8_t>(stored[i])];
        if (u == 0) continue;
        if (wide_.empty()) wide_.assign(stored.size(), 0);
        wide_[i] = u;
    }
}

std::u16string ScreenText::utf16(size_t from, size_t count) const {
    std::u16string out;
    const size_t end = std::min(size(), from + count);
    for (size_t i = from; i < end; ++i) {
        const char32_t u = wide(i);
        if (u != 0) {
            append_utf16(out, u);
        } else {
            out += static_cast<char16_t>(ansi_unicode(static_cast<uint8_t>(narrow_[i])));
        }
    }
    return out;
}

bool draw_screen_text(Device& dc, const ScreenText& text, size_t from, size_t count,
                      uint8_t attributes, bool in_popup) {
    const size_t end = std::min(text.size(), from + count);
    if (!text.has_wide()) {
        return draw_text_run(dc, text.narrow().data() + from, static_cast<int>(end - from),
                             attributes, in_popup);
    }
    bool result = true;
    for (size_t at = from; at < end;) {
        const size_t to = stretch_end(text, at, end);
        if (text.wide(at) != 0) {
            const std::u16string wide = text.utf16(at, to - at);
            result = draw_wide_text_run(dc, wide.data(), static_cast<int>(wide.size()), attributes,
                                        in_popup) &&
                     result;
        } else {
            result = draw_text_run(dc, text.narrow().data() + at, static_cast<int>(to - at),
                                   attributes, in_popup) &&
                     result;
        }
        at = to;
    }
    return result;
}

int32_t screen_text_width(Device& dc, const ScreenText& text, size_t from, size_t count) {
    const size_t end = std::min(text.size(), from + count);
    if (!text.has_wide()) {
        return dc.text_extent(text.narrow().data() + from, static_cast<int>(end - from)).cx;
    }
    int64_t width = 0;
    for (size_t at = from; at < end;) {
        const size_t to = stretch_end(text, at, end);
        if (text.wide(at) != 0) {
            const std::u16string wide = text.utf16(at, to - at);
            width += dc.text_extent_wide(wide.data(), static_cast<int>(wide.size())).cx;
        } else {
            width += dc.text_extent(text.narrow().data() + at, static_cast<int>(to - at)).cx;
        }
        at = to;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
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
    return settings.colour_table[entry_type < COLOUR_LINK_SLOTS ? entry_type : unsigned{ENTRY_NODE}];
}

void select_new_font(Device& dc, const LogFontRecord& font) {
    const DeviceObject replaced = dc.select_object(dc.create_font(font));
    if (replaced != NO_DEVICE_OBJECT) dc.delete_object(replaced);
}

bool switch_attributes(Device& dc, TextState& state, uint8_t attributes, LogFontRecord& text_font,
                       LogFontRecord& alt_font) {
    if (attributes == state.current_attributes) return false;
    state.current_font = (attributes & ATTR_XFONT) ? &alt_font : &text_font;
    state.current_colour = (attributes & ATTR_GHOSTED) ? settings.GTXTCOLOR() : settings.TXTCOLOR();
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

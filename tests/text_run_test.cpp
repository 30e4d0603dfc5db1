// Text runs with attributes: outline and shadow copies, font records, blanks, link colours.
#include "render/text_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/recording_device.h"
#include "hyp/charset.h"
#include "settings/settings.h"

namespace {

using fixture::DrawnText;
using fixture::RecordingDevice;

class TextRunTest : public ::testing::Test {
   protected:
    void SetUp() override { restore_default_settings(); }
};

struct RunCase {
    const char* name;
    uint8_t attributes;
    bool in_popup;
    // Expected copies drawn at fixed points (offset from the pen, colour), then the run itself.
    std::vector<std::pair<DevicePoint, Colour>> copies;
    Colour body_colour;
};

TEST_F(TextRunTest, OutlineAndShadowCopies) {
    const Colour text = 0x00123456;
    const std::vector<DevicePoint> outline = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                              {0, 1},   {1, 1},  {1, 0},  {1, -1}};
    auto copies_in = [&](Colour colour) {
        std::vector<std::pair<DevicePoint, Colour>> result;
        for (const DevicePoint& p : outline) result.push_back({p, colour});
        return result;
    };
    std::vector<std::pair<DevicePoint, Colour>> outline_and_shadow = copies_in(text);
    outline_and_shadow.push_back({{2, -2}, settings.GTXTCOLOR()});

    const RunCase cases[] = {
        {"plain", 0, false, {}, text},
        {"bold and underlined draw no copies", ATTR_BOLD | ATTR_UNDERLINE, false, {}, text},
        {"outline in the main window", ATTR_OUTLINE, false, copies_in(text), settings.BCKCOLOR()},
        {"outline in a popup", ATTR_OUTLINE, true, copies_in(text), settings.POPCOLOR()},
        {"shadow", ATTR_SHADOW, false, {{{2, -2}, settings.GTXTCOLOR()}}, text},
        {"outline and shadow", ATTR_OUTLINE | ATTR_SHADOW, false, outline_and_shadow, settings.BCKCOLOR()},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDevice dc;
        dc.prepare(settings.FONT, text);
        dc.move_to(100, 40);
        EXPECT_TRUE(draw_text_run(dc, "Hi", 2, c.attributes, c.in_popup));

        ASSERT_EQ(dc.texts.size(), c.copies.size() + 1);
        for (size_t i = 0; i < c.copies.size(); ++i) {
            EXPECT_FALSE(dc.texts[i].at_current_position) << "copy " << i;
            EXPECT_EQ(dc.texts[i].x, 100 + c.copies[i].first.x) << "copy " << i;
            EXPECT_EQ(dc.texts[i].y, 40 + c.copies[i].first.y) << "copy " << i;
            EXPECT_EQ(dc.texts[i].colour, c.copies[i].second) << "copy " << i;
        }
        const DrawnText& body = dc.texts.back();
        EXPECT_TRUE(body.at_current_position);
        EXPECT_EQ(body.x, 100);
        EXPECT_EQ(body.y, 40);
        EXPECT_EQ(body.colour, c.body_colour);
        EXPECT_EQ(body.text, "Hi");
        // The pen ends after the text, the colour and alignment are as before.
        EXPECT_EQ(dc.position().x, 100 + fixture::model_char_width(settings.FONT, 'H') +
                                       fixture::model_char_width(settings.FONT, 'i'));
        EXPECT_EQ(dc.position().y, 40);
        EXPECT_EQ(dc.text_colour(), text);
        EXPECT_EQ(dc.text_align(), TEXT_ALIGN_UPDATE_CP);
    }
}

TEST_F(TextRunTest, ShadowOfGhostedTextIsTheSameGrey) {
    RecordingDevice dc;
    dc.prepare(settings.FONT, settings.GTXTCOLOR());
    draw_text_run(dc, "g", 1, ATTR_SHADOW | ATTR_GHOSTED, false);
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_EQ(dc.texts[0].colour, settings.GTXTCOLOR());
    EXPECT_EQ(dc.texts[1].colour, settings.GTXTCOLOR());
}

TEST_F(TextRunTest, SetFontAttributesRewritesOnlyWeightItalicUnderline) {
    struct Case {
        uint8_t attributes;
        int32_t weight;
        uint8_t italic;
        uint8_t underline;
    };
    const Case cases[] = {
        {0, 400, 0, 0},
        {ATTR_BOLD, 700, 0, 0},
        {ATTR_ITALIC, 400, 1, 0},
        {ATTR_UNDERLINE, 400, 0, 1},
        {ATTR_ALL, 700, 1, 1},
        {ATTR_GHOSTED | ATTR_OUTLINE | ATTR_SHADOW | ATTR_XFONT, 400, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.attributes));
        LogFontRecord font = settings.XFONT;
        font.lfWeight = 123;
        font.lfItalic = 1;
        font.lfUnderline = 1;
        font.lfStrikeOut = 1;
        set_font_attributes(font, c.attributes);
        EXPECT_EQ(font.lfWeight, c.weight);
        EXPECT_EQ(font.lfItalic, c.italic);
        EXPECT_EQ(font.lfUnderline, c.underline);
        EXPECT_EQ(font.lfStrikeOut, 1);
        EXPECT_EQ(font.lfHeight, settings.XFONT.lfHeight);
        EXPECT_STREQ(font.lfFaceName, settings.XFONT.lfFaceName);
    }
}

TEST_F(TextRunTest, IsBlank) {
    struct Case {
        const char* text;
        bool blank;
    };
    const Case cases[] = {{"", true},     {" ", true},  {"    ", true},
                          {" x ", false}, {"x", false}, {"\t", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(is_blank(c.text), c.blank) << "\"" << c.text << "\"";
        EXPECT_EQ(is_blank(c.text, static_cast<int>(std::string(c.text).size())), c.blank)
            << "\"" << c.text << "\"";
    }
}

TEST_F(TextRunTest, LinkColourByTargetType) {
    settings.REFCOLOR_POPUP_NODE() = 0x00010203;
    const struct {
        unsigned type;
        Colour colour;
    } cases[] = {
        {0, 0x00FF0000},
        {1, 0x00010203},
        {2, 0x000000C0},
        {3, 0x000000FF},
        {4, 0x00FF00FF},
        {7, 0x000000FF},
        // Types without a colour slot take the colour of pages instead of reading past the table.
        {8, 0x00FF0000},
        {255, 0x00FF0000},
    };
    for (const auto& c : cases) EXPECT_EQ(link_colour(c.type), c.colour) << "type " << c.type;
}

TEST_F(TextRunTest, AttributeSwitchChoosesFontColourAndRecord) {
    struct Case {
        const char* name;
        uint8_t from;
        uint8_t to;
        bool changes;
        bool alt_font;
        Colour colour;
        int32_t weight;
    };
    const Case cases[] = {
        {"same set changes nothing", ATTR_BOLD, ATTR_BOLD, false, false, 0, 0},
        {"bold", 0, ATTR_BOLD, true, false, settings.TXTCOLOR(), 700},
        {"ghosted", 0, ATTR_GHOSTED, true, false, settings.GTXTCOLOR(), 400},
        {"xfont and bold", 0, ATTR_XFONT | ATTR_BOLD, true, true, settings.TXTCOLOR(), 700},
        {"back to nothing", ATTR_XFONT | ATTR_GHOSTED, 0, true, false, settings.TXTCOLOR(), 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogFontRecord text_font = settings.FONT;
        LogFontRecord alt_font = settings.XFONT;
        RecordingDevice dc;
        dc.prepare(text_font, settings.TXTCOLOR());
        TextState state{&text_font, 0x00ABCDEF, c.from};
        const size_t logged = dc.log.size();
        EXPECT_EQ(switch_attributes(dc, state, c.to, text_font, alt_font), c.changes);
        if (!c.changes) {
            EXPECT_EQ(dc.log.size(), logged) << "the device was touched";
            EXPECT_EQ(state.current_colour, 0x00ABCDEFu);
            continue;
        }
        EXPECT_EQ(state.current_attributes, c.to);
        EXPECT_EQ(state.current_font, c.alt_font ? &alt_font : &text_font);
        EXPECT_EQ(state.current_colour, c.colour);
        EXPECT_EQ(dc.text_colour(), c.colour);
        EXPECT_EQ(state.current_font->lfWeight, c.weight);
        EXPECT_STREQ(dc.selected_font().lfFaceName, state.current_font->lfFaceName);
        EXPECT_EQ(dc.selected_font().lfWeight, c.weight);
        // The replaced font is deleted: only the selected one lives.
        EXPECT_EQ(dc.leaked_fonts(), 0);
        EXPECT_EQ(dc.bad_deletes, 0);
    }
}

TEST_F(TextRunTest, RestoreTextStateAfterAPageBreak) {
    LogFontRecord alt_font = settings.XFONT;
    RecordingDevice dc;
    dc.prepare(settings.FONT, settings.TXTCOLOR());
    dc.set_text_align(0);
    dc.set_background_mode(BackgroundMode::Opaque);
    const TextState state{&alt_font, settings.GTXTCOLOR(), ATTR_XFONT | ATTR_ITALIC | ATTR_GHOSTED};
    restore_text_state(dc, state);
    EXPECT_EQ(dc.text_colour(), settings.GTXTCOLOR());
    EXPECT_EQ(dc.text_align(), TEXT_ALIGN_UPDATE_CP);
    EXPECT_EQ(dc.background_mode(), BackgroundMode::Transparent);
    EXPECT_STREQ(dc.selected_font().lfFaceName, settings.XFONT.lfFaceName);
    EXPECT_EQ(dc.selected_font().lfItalic, 1);
    EXPECT_EQ(dc.leaked_fonts(), 0);
}

}  // namespace

// What the screen path draws for one character between "a" and "b": the Windows set's byte in
// the one narrow run the screen always drew, or the character itself through the wide calls
// (expected code points from the Unicode charts of the Atari and Macintosh sets).
TEST(ScreenTextTest, NarrowBytesOrTheWideCharacterOneCellEach) {
    struct Case {
        const char* name;
        unsigned set;
        uint8_t byte;
        const char* narrow;    // the one run drawn, or nullptr
        const char16_t* wide;  // the wide run between "a" and "b", or nullptr
    };
    const Case cases[] = {
        {"Atari: Windows-set letter u-umlaut", CHARSET_TOS, 0x81,
         "a\xFC"
         "b",
         nullptr},
        {"Atari: question mark stays", CHARSET_TOS, '?', "a?b", nullptr},
        {"Atari: arrow up", CHARSET_TOS, 0x01, nullptr, u"\u21E7"},
        {"Atari: Greek alpha", CHARSET_TOS, 0xE0, nullptr, u"\u03B1"},
        {"Atari: mu the Windows set has", CHARSET_TOS, 0xE6,
         "a\xB5"
         "b",
         nullptr},
        {"Atari: infinity", CHARSET_TOS, 0xDF, nullptr, u"\u221E"},
        {"Atari: Hebrew alef", CHARSET_TOS, 0xC2, nullptr, u"\u05D0"},
        {"Atari: box piece top half integral", CHARSET_TOS, 0xF4, nullptr, u"\u2320"},
        {"Atari: bell glyph beyond the 16-bit plane", CHARSET_TOS, 0x0A, nullptr, u"\U0001F514"},
        {"Atari: control code without a glyph", CHARSET_TOS, 0x1C,
         "a\x1C"
         "b",
         nullptr},
        {"Macintosh: Windows-set letter u-umlaut", CHARSET_MAC, 0x9F,
         "a\xFC"
         "b",
         nullptr},
        {"Macintosh: Greek pi", CHARSET_MAC, 0xB9, nullptr, u"\u03C0"},
        {"Macintosh: control code", CHARSET_MAC, 0x01,
         "a\x01"
         "b",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stored = std::string("a") + static_cast<char>(c.byte) + "b";
        ScreenText text;
        text.assign(stored, c.set, screen_conversion(c.set));
        EXPECT_EQ(text.size(), 3u);  // one cell per stored character, wide or not
        RecordingDevice dc;
        dc.prepare(fixture::default_text_font(), 0);
        draw_screen_text(dc, text, 0, text.size(), 0, false);
        using Runs = std::vector<std::pair<std::string, std::u16string>>;
        Runs drawn;
        for (const DrawnText& run : dc.runs()) drawn.push_back({run.text, run.wide_text});
        const Runs expected =
            c.narrow ? Runs{{c.narrow, u""}} : Runs{{"a", u""}, {"", c.wide}, {"b", u""}};
        EXPECT_EQ(drawn, expected);
        // The width measured is the width drawn.
        EXPECT_EQ(screen_text_width(dc, text, 0, text.size()),
                  dc.position().x - dc.runs().front().x);
    }
}

// Exports (and the clipboard's copy) convert with their own table: the walk's text stays narrow.
TEST(ScreenTextTest, NoWideCellsOutsideTheScreenConversion) {
    for (unsigned target : {TARGET_OEM, TARGET_TOS, TARGET_MAC}) {
        ScreenText text;
        text.assign("\x01\xE0\xC2", CHARSET_TOS, conversion_table(CHARSET_TOS, target));
        EXPECT_FALSE(text.has_wide()) << target;
    }
}

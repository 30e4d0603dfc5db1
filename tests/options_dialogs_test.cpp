// Reading the option dialogs' controls back into the settings, and the dialogs' fixed texts.
#include "app/options_dialogs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <regex>
#include <string>

namespace {

// The fields as the live settings fill them, changed by one row, then applied.
std::string after_output(const std::function<void(OutputOptionsFields&)>& change,
                         const std::function<std::string()>& observe) {
    restore_default_settings();
    OutputOptionsFields fields = output_fields_from_settings();
    change(fields);
    apply_output_fields(fields);
    return observe();
}

std::string after_misc(const std::function<void(MiscOptionsFields&)>& change,
                       const std::function<std::string()>& observe) {
    restore_default_settings();
    MiscOptionsFields fields = misc_fields_from_settings();
    change(fields);
    apply_misc_fields(fields);
    return observe();
}

std::string number(uint32_t value) {
    return std::to_string(value);
}

std::string font_text(const LogFontRecord& f) {
    char text[128];
    std::snprintf(text, sizeof text, "%s h%d w%d i%d u%d p%02X", f.lfFaceName, f.lfHeight,
                  f.lfWeight, f.lfItalic, f.lfUnderline, f.lfPitchAndFamily);
    return text;
}

LogFontRecord chosen_font(const char* face, int32_t height, int32_t weight, uint8_t italic,
                          uint8_t pitch) {
    LogFontRecord f{};
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfItalic = italic;
    f.lfUnderline = 1;
    f.lfPitchAndFamily = pitch;
    std::snprintf(f.lfFaceName, sizeof f.lfFaceName, "%s", face);
    return f;
}

// Both working copies after choosing `chosen` for FONT or XFONT, starting from the defaults
// (Arial and Courier New) with both heights -27.
std::string fonts_after_choosing(bool for_xfont, const LogFontRecord& chosen) {
    restore_default_settings();
    settings.FONT.lfHeight = settings.XFONT.lfHeight = -27;
    FontWorkingCopies copies = font_working_copies(settings.FONT, settings.XFONT);
    accept_chosen_font(copies, for_xfont, chosen);
    return font_text(copies.font) + " | " + font_text(copies.xfont);
}

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", value);
    return text;
}

TEST(OptionsDialogs, ReadBack) {
    struct Case {
        const char* name;
        std::function<std::string()> run;
        std::string expected;
    };
    const auto inlink_of = [] { return std::string(settings.inlink); };
    const auto left = [] { return number(settings.p_left_margin); };
    const auto margin_field = [](const char* text) {
        return [text](OutputOptionsFields& f) { f.left_margin = text; };
    };
    const auto charset_checks = [](bool a, bool b, bool c, bool d) {
        return [=](OutputOptionsFields& f) { f.charset = {a, b, c, d}; };
    };
    const auto hyp_path_field = [](const char* text) {
        return [text](MiscOptionsFields& f) { f.hyp_path = text; };
    };
    const auto hyp_path = [] { return std::string(settings.HypPath); };
    const Case cases[] = {
        // Link markers: room for one character.
        {"two characters in the [ field keep the first",
         [&] { return after_output([](auto& f) { f.inlink = "<<"; }, inlink_of); }, "<"},
        {"one character is kept",
         [&] {
             return after_output([](auto& f) { f.outlink = "}"; },
                                 [] { return std::string(settings.outlink); });
         },
         "}"},
        {"an empty marker field gives no marker",
         [&] { return after_output([](auto& f) { f.inlink = ""; }, inlink_of); }, ""},
        {"untouched fields give the defaults back",
         [&] { return after_output([](auto&) {}, [] { return std::string(settings.inlink) + settings.outlink; }); },
         "[]"},
        // Margins: unsigned decimal, everything else 0.
        {"margin 150", [&] { return after_output(margin_field("150"), left); }, "150"},
        {"margin with letters after digits",
         [&] { return after_output(margin_field("12ab"), left); }, "0"},
        {"empty margin", [&] { return after_output(margin_field(""), left); }, "0"},
        {"blanks around a margin", [&] { return after_output(margin_field("  75 "), left); }, "75"},
        {"negative margin", [&] { return after_output(margin_field("-5"), left); }, "0"},
        {"largest margin", [&] { return after_output(margin_field("4294967295"), left); },
         "4294967295"},
        {"margin beyond 32 bits", [&] { return after_output(margin_field("4294967296"), left); },
         "0"},
        {"right and top margins are their own fields",
         [&] {
             return after_output(
                 [](auto& f) {
                     f.right_margin = "31";
                     f.top_margin = "x";
                 },
                 [] {
                     return number(settings.p_left_margin) + " " + number(settings.p_right_margin) + " " +
                            number(settings.p_top_margin);
                 });
         },
         "200 31 0"},
        // Radio buttons: the first checked one in id order.
        {"TOS checked",
         [&] { return after_output(charset_checks(0, 0, 1, 0), [] { return number(settings.char_conv); }); },
         "2"},
        {"two checked: the first wins",
         [&] { return after_output(charset_checks(0, 1, 0, 1), [] { return number(settings.char_conv); }); },
         "1"},
        {"none checked gives ANSI",
         [&] { return after_output(charset_checks(0, 0, 0, 0), [] { return number(settings.char_conv); }); },
         "0"},
        {"check boxes",
         [&] {
             return after_output(
                 [](auto& f) {
                     f.alllinks_txt = true;
                     f.forceindex = true;
                     f.linksel_visible = true;
                 },
                 [] {
                     return number(settings.alllinks_txt) + number(settings.alllinks_stg) + number(settings.forceindex) +
                            number(settings.linksel_visible);
                 });
         },
         "1011"},
        {"StartUp: last hypertext",
         [&] {
             return after_misc(
                 [](auto& f) {
                     f.startup = {false, false, true};
                 },
                 [] { return number(settings.StartUp); });
         },
         "2"},
        // The hypertext directory always ends in a backslash.
        {"C:\\hyp gets a backslash",
         [&] { return after_misc(hyp_path_field("C:\\hyp"), hyp_path); }, "C:\\hyp\\"},
        {"a final backslash is not doubled",
         [&] { return after_misc(hyp_path_field("C:\\hyp\\"), hyp_path); }, "C:\\hyp\\"},
        {"an empty field gives a single backslash",
         [&] { return after_misc(hyp_path_field(""), hyp_path); }, "\\"},
        {"a final slash is no backslash",
         [&] { return after_misc(hyp_path_field("C:/hyp/"), hyp_path); }, "C:/hyp/\\"},
        {"the longest path keeps room for its backslash",
         [&] {
             return after_misc(
                 [](auto& f) { f.hyp_path = std::string(600, 'd'); },
                 [] { return number(static_cast<uint32_t>(std::strlen(settings.HypPath))) + settings.HypPath[510]; });
         },
         "511\\"},
        {"the default hypertext is taken as entered",
         [&] {
             return after_misc([](auto& f) { f.def_hyp = "C:\\hyp\\x.hyp"; },
                               [] { return std::string(settings.DefHyp); });
         },
         "C:\\hyp\\x.hyp"},
        {"browsing for the directory gives the chosen file's folder",
         [] { return browsed_field_text(true, "C:\\HYP\\ST\\a.hyp"); }, "C:\\HYP\\ST\\"},
        {"browsing for the default hypertext gives the whole path",
         [] { return browsed_field_text(false, "C:\\HYP\\ST\\a.hyp"); }, "C:\\HYP\\ST\\a.hyp"},
        // Fonts: weight 400, no italic or underline; the chosen height goes to the other font.
        {"working copies of a bold italic FONT are regular",
         [] {
             restore_default_settings();
             settings.FONT.lfWeight = 700;
             settings.FONT.lfItalic = 1;
             settings.FONT.lfUnderline = 1;
             const FontWorkingCopies copies = font_working_copies(settings.FONT, settings.XFONT);
             return font_text(copies.font) + " | " + font_text(copies.xfont);
         },
         "Arial h-16 w400 i0 u0 p22 | Courier New h-16 w400 i0 u0 p31"},
        {"a bold italic font is stored regular",
         [] {
             return fonts_after_choosing(false, chosen_font("Times New Roman", -21, 700, 1, 0x12));
         },
         "Times New Roman h-21 w400 i0 u0 p12 | Courier New h-21 w400 i0 u0 p31"},
        // 12 points are 16 pixels on a display of 96 dots per inch.
        {"a 12-point FONT sets XFONT's height and keeps its face",
         [] { return fonts_after_choosing(false, chosen_font("Arial", -16, 400, 0, 0x22)); },
         "Arial h-16 w400 i0 u0 p22 | Courier New h-16 w400 i0 u0 p31"},
        {"a new XFONT sets FONT's height",
         [] {
             return fonts_after_choosing(true, chosen_font("Lucida Console", -13, 400, 0, 0x31));
         },
         "Arial h-13 w400 i0 u0 p22 | Lucida Console h-13 w400 i0 u0 p31"},
        // Colours: twelve working copies; the image slot goes back unchanged.
        {"a confirmed background and the image slot",
         [] {
             restore_default_settings();
             ColourWorkingCopies copies = colour_working_copies(settings.colour_table);
             copies[COLOUR_BCKCOLOR] = 0x00102030;
             commit_colours(copies, settings.colour_table);
             return hex(settings.BCKCOLOR()) + " " + hex(settings.colour_table[ENTRY_IMAGE]) + " " +
                    hex(settings.colour_table[COLOUR_PALETTE]);
         },
         "102030 0000FF FFFFFF"},
        {"working copies are made afresh from the table",
         [] {
             restore_default_settings();
             ColourWorkingCopies cancelled = colour_working_copies(settings.colour_table);
             cancelled[COLOUR_POPCOLOR] = 0;
             return hex(colour_working_copies(settings.colour_table)[COLOUR_POPCOLOR]);
         },
         "80FFFF"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.run(), c.expected) << c.name;
    restore_default_settings();
}

TEST(OptionsDialogs, DialogsShowTheLiveSettings) {
    restore_default_settings();
    settings.char_conv = 3;
    settings.p_top_margin = 45;
    settings.StartUp = 7;  // not a choice of its own: means the file dialog
    const OutputOptionsFields out = output_fields_from_settings();
    EXPECT_EQ(out.charset, (std::array<bool, 4>{false, false, false, true}));
    EXPECT_EQ(out.inlink, "[");
    EXPECT_EQ(out.top_margin, "45");
    EXPECT_EQ(misc_fields_from_settings().startup, (std::array<bool, 3>{true, false, false}));
    restore_default_settings();
}

TEST(OptionsDialogs, VersionBoxTexts) {
    EXPECT_EQ(version_text(), "0.5\xDF");  // ß in the Windows set
    EXPECT_TRUE(std::regex_match(
        compiled_text(),
        std::regex(R"(\(Compiled [A-Z][a-z]{2} [ 0-9]\d \d{4}, \d\d:\d\d:\d\d\))")))
        << compiled_text();
}

}  // namespace

// The HTML pages: escaping, file names, and the pages, links, navigation and anchors of
// synthetic hypertexts written in Html mode.
#include <gtest/gtest.h>

#include <string>

#include "export/charset.h"
#include "export/html_text.h"

namespace {

TEST(HtmlEscape, EntitiesAndBlankRuns) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"a & b", "a &amp; b"},
        {"<B>\"x\"</B>", "&lt;B&gt;&quot;x&quot;&lt;/B&gt;"},
        {"one blank", "one blank"},
        {"two  blanks", "two<TT>&nbsp;&nbsp;</TT>blanks"},
        {"   ", "<TT>&nbsp;&nbsp;&nbsp;</TT>"},
        {" a  b ", " a<TT>&nbsp;&nbsp;</TT>b "},
        {"&nbsp;", "&amp;nbsp;"},
    };
    for (const Case& c : cases) EXPECT_EQ(html_escape(c.text), c.expected) << c.text;
    // Nothing is cut: 1000 quotes give 6000 characters.
    EXPECT_EQ(html_escape(std::string(1000, '"')).size(), 6000u);
}

TEST(HtmlFileName, ReplacesReservedCharactersAndConvertsToAnsi) {
    struct Case {
        const char* name;
        unsigned charset;
        const char* expected;
    };
    const Case cases[] = {
        {"Main", CHARSET_TOS, "Main.html"},
        {"Zwei Worte", CHARSET_TOS, "Zwei_Worte.html"},
        {"a/b\\c?d*e:f'g<h>i|j\"k", CHARSET_TOS, "a_b_c_d_e_f_g_h_i_j_k.html"},
        {"x.y-z_1", CHARSET_TOS, "x.y-z_1.html"},
        // Atari 0x84 and Macintosh 0x8A are both the Windows "ä" (0xE4).
        {"M\x84rz", CHARSET_TOS, "M\xE4rz.html"},
        {"M\x8Arz", CHARSET_MAC, "M\xE4rz.html"},
        {"", CHARSET_TOS, ".html"},
    };
    for (const Case& c : cases) EXPECT_EQ(html_file_name(c.name, c.charset), c.expected) << c.name;
}

TEST(HtmlFileName, StaysAnsiWhateverTheExportWrites) {
    // The run's conversion (here to the DOS set) changes texts, never file names.
    ExportConversion oem(CHARSET_TOS, TARGET_OEM);
    EXPECT_EQ(html_file_name("\x84", CHARSET_TOS), "\xE4.html");
    EXPECT_EQ(convert_charset("\x84"), "\x84");  // Atari and DOS share the "ä"
}

}  // namespace

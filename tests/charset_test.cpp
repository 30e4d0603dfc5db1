// Character conversion between the Atari, Macintosh, Windows and DOS sets.
#include "hyp/charset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string bytes(std::initializer_list<unsigned> values) {
    std::string s;
    for (unsigned v : values) s += static_cast<char>(v);
    return s;
}

std::string one(unsigned byte) {
    return std::string(1, static_cast<char>(byte));
}

unsigned convert_byte(unsigned byte, unsigned table) {
    std::string out = convert_charset(one(byte), false, table);
    return out.size() == 1 ? static_cast<unsigned char>(out[0]) : 0x100;
}

// The German letters in each set, as their code pages define them.
struct Letter {
    const char* name;
    unsigned tos, ansi, oem, mac;
    const char* utf8;
};
const Letter GERMAN_LETTERS[] = {
    {"a umlaut", 0x84, 0xE4, 0x84, 0x8A, u8"\u00E4"},
    {"o umlaut", 0x94, 0xF6, 0x94, 0x9A, u8"\u00F6"},
    {"u umlaut", 0x81, 0xFC, 0x81, 0x9F, u8"\u00FC"},
    {"A umlaut", 0x8E, 0xC4, 0x8E, 0x80, u8"\u00C4"},
    {"O umlaut", 0x99, 0xD6, 0x99, 0x85, u8"\u00D6"},
    {"U umlaut", 0x9A, 0xDC, 0x9A, 0x86, u8"\u00DC"},
    {"sharp s", 0x9E, 0xDF, 0xE1, 0xA7, u8"\u00DF"},
};

TEST(Charset, GermanLettersOfTheAtariSetReachEveryTarget) {
    for (const Letter& l : GERMAN_LETTERS) {
        SCOPED_TRACE(l.name);
        EXPECT_EQ(convert_byte(l.tos, conversion_table(CHARSET_TOS, TARGET_ANSI)), l.ansi);
        EXPECT_EQ(convert_byte(l.tos, conversion_table(CHARSET_TOS, TARGET_OEM)), l.oem);
        EXPECT_EQ(convert_byte(l.tos, conversion_table(CHARSET_TOS, TARGET_MAC)), l.mac);
        EXPECT_EQ(convert_byte(l.tos, conversion_table(CHARSET_TOS, TARGET_TOS)), l.tos);
        // And the same letters written on a Macintosh.
        EXPECT_EQ(convert_byte(l.mac, conversion_table(CHARSET_MAC, TARGET_ANSI)), l.ansi);
        EXPECT_EQ(convert_byte(l.mac, conversion_table(CHARSET_MAC, TARGET_OEM)), l.oem);
        EXPECT_EQ(convert_byte(l.mac, conversion_table(CHARSET_MAC, TARGET_TOS)), l.tos);
        // The screen's result reads as the letter on a terminal.
        std::string screen = convert_charset(one(l.tos), false, screen_conversion(CHARSET_TOS));
        EXPECT_EQ(ansi_to_utf8(screen), l.utf8);
    }
}

TEST(Charset, LowHalfFollowsTheSharedRules) {
    struct Target {
        unsigned source, target;
        unsigned bell;       // what 0x07 becomes
        unsigned arrows[4];  // what 0x01 to 0x04 become
    };
    const Target targets[] = {
        {CHARSET_TOS, TARGET_ANSI, '#', {'?', '?', '?', '?'}},
        {CHARSET_TOS, TARGET_OEM, '#', {0x18, 0x19, 0x10, 0x11}},
        {CHARSET_TOS, TARGET_TOS, 0x07, {1, 2, 3, 4}},
        {CHARSET_TOS, TARGET_MAC, '#', {'?', '?', '?', '?'}},
        {CHARSET_MAC, TARGET_ANSI, 0x07, {1, 2, 3, 4}},
        {CHARSET_MAC, TARGET_OEM, 0x07, {1, 2, 3, 4}},
        {CHARSET_MAC, TARGET_TOS, 0x07, {1, 2, 3, 4}},
        {CHARSET_MAC, TARGET_MAC, 0x07, {1, 2, 3, 4}},
    };
    for (const Target& t : targets) {
        unsigned table = conversion_table(t.source, t.target);
        SCOPED_TRACE("table " + std::to_string(table));
        EXPECT_NE(charset_tables[table][0], 0) << "every table in use is active";
        for (unsigned b = 1; b <= 4; ++b) EXPECT_EQ(convert_byte(b, table), t.arrows[b - 1]);
        EXPECT_EQ(convert_byte(0x07, table), t.bell);
        for (unsigned b = 5; b < 0x80; ++b) {
            if (b == 0x07) continue;
            EXPECT_EQ(convert_byte(b, table), b) << "byte " << b;
        }
    }
}

TEST(Charset, IdentityTablesChangeNothing) {
    std::string all;
    for (unsigned b = 1; b < 256; ++b) all += static_cast<char>(b);
    for (unsigned table :
         {conversion_table(CHARSET_TOS, TARGET_TOS), conversion_table(CHARSET_MAC, TARGET_MAC)}) {
        EXPECT_EQ(convert_charset(all, false, table), all) << "table " << table;
    }
}

TEST(Charset, InactiveTablesConvertNothing) {
    std::string all;
    for (unsigned b = 1; b < 256; ++b) all += static_cast<char>(b);
    for (unsigned table = 8; table < 16; ++table) {
        EXPECT_EQ(charset_tables[table][0], 0) << "table " << table;
        EXPECT_EQ(convert_charset(all, false, table), all) << "table " << table;
    }
    // A table number past the last table converts nothing either, and reads nothing.
    EXPECT_EQ(convert_charset(all, false, 16), all);
    EXPECT_EQ(convert_charset(all, false, 0xFFFFFFFFu), all);
}

TEST(Charset, CopyingRules) {
    const unsigned atari_to_windows = conversion_table(CHARSET_TOS, TARGET_ANSI);
    struct Case {
        const char* name;
        std::string text;
        bool first_char_only;
        std::string expected;
    };
    std::string long_text(5000, static_cast<char>(0x84));
    const Case cases[] = {
        {"empty", "", false, ""},
        {"empty, first character", "", true, ""},
        {"first character only", bytes({0x84, 'b', 'c'}), true, bytes({0xE4})},
        {"stops at the NUL", bytes({'a', 0x81, 0, 0x84}), false, bytes({'a', 0xFC})},
        {"longer than any buffer", long_text, false, std::string(5000, static_cast<char>(0xE4))},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convert_charset(c.text, c.first_char_only, atari_to_windows), c.expected)
            << c.name;
    }
    for (unsigned table = 0; table < CHARSET_TABLE_COUNT; ++table) {
        EXPECT_EQ(convert_charset("", false, table), "") << "table " << table;
    }
}

TEST(Charset, BannerVersionKeepsItsByteForAnAtariExport) {
    const std::string version = bytes({'0', '.', '5', 0x9E});  // "0.5" and the Atari sharp s
    EXPECT_EQ(convert_charset(version, false, conversion_table(CHARSET_TOS, TARGET_TOS)), version);
    EXPECT_EQ(convert_charset(version, false, conversion_table(CHARSET_TOS, TARGET_ANSI)),
              bytes({'0', '.', '5', 0xDF}));
}

TEST(Charset, ConversionIndexHasTwoLives) {
    conversion_index = screen_conversion(CHARSET_MAC);
    EXPECT_EQ(conversion_index, 4u);
    {
        ExportConversion run(CHARSET_MAC, TARGET_OEM);
        EXPECT_EQ(conversion_index, 5u);
        EXPECT_EQ(convert_charset(bytes({0x8A})), bytes({0x84}));  // through the export's table
    }
    EXPECT_EQ(conversion_index, 4u) << "back to the screen's table after the export";
    conversion_index = 0;
}

TEST(Charset, AnsiToUtf8) {
    struct Case {
        const char* name;
        std::string ansi;
        bool keep_controls;
        std::string utf8;
    };
    const Case cases[] = {
        {"plain", "Index", false, "Index"},
        {"umlauts", bytes({'B', 0xFC, 'c', 'h', 'e', 'r'}), false, u8"B\u00FCcher"},
        {"euro and quotes", bytes({0x80, 0x84, 0x93}), false, u8"\u20AC\u201E\u201C"},
        {"undefined codes", bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D}), false,
         u8"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"escape is neutralised", "a\x1B[2Jb", false, u8"a\uFFFD[2Jb"},
        {"tab and line ends stay", "a\tb\r\nc", false, "a\tb\r\nc"},
        {"controls kept on request",
         "a\x1B"
         "b",
         true,
         "a\x1B"
         "b"},
        {"latin-1 range", bytes({0xA0, 0xFF}), false, u8"\u00A0\u00FF"},
    };
    for (const Case& c : cases) EXPECT_EQ(ansi_to_utf8(c.ansi, c.keep_controls), c.utf8) << c.name;
}

TEST(Charset, Utf8ToAnsiIsTheReverse) {
    std::string all;
    for (unsigned b = 0; b < 256; ++b) {
        if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) all += char(b);
    }
    std::string back;
    ASSERT_TRUE(utf8_to_ansi(ansi_to_utf8(all, true), back));
    EXPECT_EQ(back, all);

    const struct {
        const char* name;
        std::string utf8;
    } refused[] = {
        {"not in the code page", u8"\u2192"},
        {"C1 control", u8"\u0081"},
        {"cut sequence", "\xC3"},
        {"overlong", "\xC0\xA1"},
        {"surrogate", "\xED\xA0\x80"},
        {"stray continuation", "\x80"},
    };
    for (const auto& r : refused) EXPECT_FALSE(utf8_to_ansi(r.utf8, back)) << r.name;
}

}  // namespace

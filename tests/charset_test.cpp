// Character conversion between the Atari, Macintosh, Windows and DOS sets.
#include "hyp/charset.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
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
    // A number past the last conversion converts nothing either, and reads nothing.
    EXPECT_EQ(convert_charset(all, false, UTF8_CONVERSION_BASE + UTF8_CONVERSION_COUNT), all);
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

TEST(Charset, ScreenAndExportTablesOfOneSet) {
    EXPECT_EQ(screen_conversion(CHARSET_MAC), 4u);
    const unsigned export_table = conversion_table(CHARSET_MAC, TARGET_OEM);
    EXPECT_EQ(export_table, 5u);
    EXPECT_EQ(convert_charset(bytes({0x8A}), false, export_table), bytes({0x84}));
    EXPECT_EQ(convert_charset(bytes({0x8A}), false, screen_conversion(CHARSET_MAC)), bytes({0xE4}));
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

// The published mappings beside the checkout (or where VELLUMAR_CHARSETS_DIR says).
std::string charsets_dir() {
    if (const char* dir = std::getenv("VELLUMAR_CHARSETS_DIR")) return dir;
    return std::string(VELLUMAR_SOURCE_DIR) + "/../shared/charsets";
}

// Byte -> code point of a mapping file ("0xNN<TAB>U+XXXX<TAB>name..."); bytes marked "-" (no
// Unicode equivalent) are left out. False when the file cannot be read.
bool read_mapping(const std::string& path, std::map<unsigned, char32_t>& mapping) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string byte, code;
        std::getline(fields, byte, '\t');
        std::getline(fields, code, '\t');
        if (code.rfind("U+", 0) != 0) continue;
        mapping[std::stoul(byte, nullptr, 16)] = static_cast<char32_t>(std::stoul(code.substr(2), nullptr, 16));
    }
    return !mapping.empty();
}

std::string utf8_of(char32_t u) {
    std::string out;
    if (u < 0x80) return std::string(1, static_cast<char>(u));
    if (u < 0x800) return {static_cast<char>(0xC0 | (u >> 6)), static_cast<char>(0x80 | (u & 0x3F))};
    if (u < 0x10000) {
        return {static_cast<char>(0xE0 | (u >> 12)), static_cast<char>(0x80 | ((u >> 6) & 0x3F)),
                static_cast<char>(0x80 | (u & 0x3F))};
    }
    return {static_cast<char>(0xF0 | (u >> 18)), static_cast<char>(0x80 | ((u >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((u >> 6) & 0x3F)), static_cast<char>(0x80 | (u & 0x3F))};
}

// Every byte of both sets written as UTF-8: the character of the published mapping; a byte
// without one (Atari 0x0E, 0x0F, 0x1C-0x1F; the Macintosh control bytes, which its mapping does
// not list) as the Windows set shows it, which for these bytes is the byte itself.
TEST(Charset, Utf8WritesEveryByteAsItsSetMapsIt) {
    std::map<unsigned, char32_t> atari, mac;
    if (!read_mapping(charsets_dir() + "/atari-st.tsv", atari) ||
        !read_mapping(charsets_dir() + "/mac-roman.tsv", mac)) {
        GTEST_SKIP() << "no character set mappings in " << charsets_dir();
    }
    ASSERT_EQ(atari.size(), 249u) << "256 bytes less the 7 without equivalent";
    ASSERT_EQ(mac.size(), 128u);
    for (unsigned b = 0x20; b < 0x7F; ++b) mac[b] = b;  // ASCII, as the mapping's header says

    struct Set {
        const char* name;
        unsigned source;
        const std::map<unsigned, char32_t>& mapping;
    };
    const Set sets[] = {{"Atari", CHARSET_TOS, atari}, {"Macintosh", CHARSET_MAC, mac}};
    for (const Set& set : sets) {
        const unsigned table = conversion_table(set.source, TARGET_UTF8);
        for (unsigned b = 1; b < 256; ++b) {
            const auto found = set.mapping.find(b);
            const char32_t expected = found != set.mapping.end() ? found->second : b;
            EXPECT_EQ(convert_charset(one(b), false, table), utf8_of(expected))
                << set.name << " byte " << b;
        }
    }
}

}  // namespace


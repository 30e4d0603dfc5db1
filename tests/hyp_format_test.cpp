// The format's small helpers: compile systems, the magic, byte readers, base-255 numbers,
// NUL-ended texts.
#include "hyp/hyp_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Only Macintosh files carry Macintosh texts; the shown names stay as the byte says.
TEST(HypFormat, CompileSystems) {
    const struct {
        uint8_t os;
        const char* name;
        uint8_t charset;
    } cases[] = {
        {0, "Unbekannt", CHARSET_TOS}, {1, "Amiga", CHARSET_TOS},
        {2, "Atari", CHARSET_TOS},     {3, "Macintosh", CHARSET_MAC},
        {4, "Unbekannt", CHARSET_TOS}, {5, "Unbekannt", CHARSET_TOS},
        {7, "Unbekannt", CHARSET_TOS}, {255, "Unbekannt", CHARSET_TOS},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(os_name(c.os), c.name) << int(c.os);
        EXPECT_EQ(os_charset(c.os), c.charset) << int(c.os);
    }
}

TEST(HypFormat, Magic) {
    const struct {
        const char* bytes;
        bool hyp;
    } cases[] = {{"HDOC", true},  {"hdoc", false},  {"HDOc", false},
                 {"HREF", false}, {"HDO\0", false}, {" HDO", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(is_hyp_magic(reinterpret_cast<const uint8_t*>(c.bytes)), c.hyp) << c.bytes;
    }
}

// Extended header data and REF payloads end at their first NUL; a damaged one without it is
// read whole, and nothing past the bytes is touched.
TEST(HypFormat, TextBeforeNul) {
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* expected;
    } cases[] = {
        {"empty", {}, ""},
        {"ends with its NUL", {'D', 'B', 0}, "DB"},
        {"bytes after the NUL are not text", {'A', 0, 'B', 0}, "A"},
        {"NUL first", {0, 'A'}, ""},
        {"no NUL: all of it", {'A', 'B', 'C'}, "ABC"},
        {"high bytes stay as they are", {0x84, 0x94, 0}, "\x84\x94"},
    };
    for (const auto& c : cases) EXPECT_EQ(text_before_nul(c.bytes), c.expected) << c.name;
}

TEST(HypFormat, Numbers) {
    const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0xFF, 0x80};
    EXPECT_EQ(read_be16(bytes), 0x1234);
    EXPECT_EQ(read_be32(bytes), 0x12345678u);
    EXPECT_EQ(read_be32(bytes + 2), 0x5678FF80u);
    EXPECT_EQ(read_le16(bytes + 4), 0x80FF);

    const struct {
        uint8_t b0, b1;
        uint16_t value;
    } base255[] = {{1, 1, 0},     {2, 1, 1},         {1, 2, 255},
                   {255, 1, 254}, {255, 255, 65024}, {0x81, 0x03, 0x80 + 2 * 255}};
    for (const auto& c : base255) {
        EXPECT_EQ(decode_base255(c.b0, c.b1), c.value) << int(c.b0) << "," << int(c.b1);
        const uint8_t pair[] = {c.b0, c.b1};
        EXPECT_EQ(decode_base255(pair), c.value);
    }

    EXPECT_EQ(swap_rgb(0x00112233u), 0x00332211u);
    EXPECT_EQ(swap_rgb(swap_rgb(0x00ABCDEFu)), 0x00ABCDEFu);
    EXPECT_EQ(swap_rgb(0x01FF0000u), 0x010000FFu) << "the top byte stays";
}

}  // namespace

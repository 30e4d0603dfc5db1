// The page byte language: escape codes and their fixed lengths.
#pragma once

#include <cstdint>

// A page is a sequence of NUL-terminated text lines; ESC starts an escape sequence whose next
// byte is its code. Lengths count from the ESC byte.
constexpr uint8_t ESC = 0x1B;

constexpr uint8_t ESC_LITERAL = 0x1B;     // one literal ESC character of text; 2 bytes
constexpr uint8_t ESC_TITLE = 0x23;       // window title, NUL-terminated from byte 2
constexpr uint8_t ESC_LINK = 0x24;        // b255 target at 2, length byte at 4, text from 5
constexpr uint8_t ESC_LINK_LINE = 0x25;   // b255 line at 2, target at 4, length at 6, text from 7
constexpr uint8_t ESC_ALINK = 0x26;       // as ESC_LINK
constexpr uint8_t ESC_ALINK_LINE = 0x27;  // as ESC_LINK_LINE
constexpr uint8_t ESC_DATA0 = 0x28;       // data blocks 0 to 7: byte 2 = length of the sequence
constexpr uint8_t ESC_DATA7 = 0x2F;
constexpr uint8_t ESC_XREF = 0x30;     // byte 2 = length; b255 target at 3; title from byte 6
constexpr uint8_t ESC_TREE = 0x31;     // four b255 numbers: line, tree, object, index
constexpr uint8_t ESC_PICTURE = 0x32;  // b255 image, column, b255 line, reserve flag, unused
constexpr uint8_t ESC_LINE = 0x33;     // column, b255 line, width, height, attribute
constexpr uint8_t ESC_BOX = 0x34;      // as ESC_LINE
constexpr uint8_t ESC_RBOX = 0x35;     // as ESC_LINE
constexpr uint8_t ESC_ATTR = 100;      // codes 100 to 255 switch to attribute set code - 100

// Fixed sequence lengths.
constexpr unsigned ESC_SHORT_LENGTH = 2;  // ESC_LITERAL, ESC_ATTR and unknown codes
constexpr unsigned ESC_LINK_HEAD = 5;     // ESC_LINK, ESC_ALINK without their text
constexpr unsigned ESC_LINK_LINE_HEAD = 7;
constexpr unsigned ESC_TREE_LENGTH = 10;
constexpr unsigned ESC_PICTURE_LENGTH = 9;
constexpr unsigned ESC_GRAPHICS_LENGTH = 8;  // ESC_LINE, ESC_BOX, ESC_RBOX
constexpr unsigned ESC_XREF_TITLE = 6;       // offset of an xref's title

// A link's length byte is its text length + 32; 32 or less means no stored text.
constexpr int LINK_LENGTH_BIAS = 32;

inline bool is_link_code(uint8_t code) {
    return code >= ESC_LINK && code <= ESC_ALINK_LINE;
}
inline bool link_has_line(uint8_t code) {
    return code == ESC_LINK_LINE || code == ESC_ALINK_LINE;
}
inline bool is_alink(uint8_t code) {
    return code == ESC_ALINK || code == ESC_ALINK_LINE;
}
inline bool is_graphics_code(uint8_t code) {
    return code >= ESC_LINE && code <= ESC_RBOX;
}

// The HYP container format: file header, index records, extended headers and byte readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Sizes of the fixed parts of a HYP file.
constexpr size_t HYP_HEADER_SIZE = 12;          // magic, index_length, index_count, hcp_version, os
constexpr size_t INDEX_RECORD_FIXED_SIZE = 14;  // index record without its name
constexpr size_t EXT_HEADER_HEAD_SIZE = 4;      // type and length of an extended header

// Every byte of an unpacked object of a scrambling file is stored XORed with this key.
constexpr uint8_t HYP_SCRAMBLE_KEY = 0x7F;

// Bit of the EXT_FLAGS word that switches page scrambling on.
constexpr uint16_t EXT_FLAG_SCRAMBLED = 2;

// Line width of a hypertext that gives none (EXT_WIDTH missing); printing uses 75 columns then.
constexpr uint16_t DEFAULT_LINE_WIDTH = 85;

// Character sets a hypertext's texts can be stored in (codes shared with the conversion tables).
constexpr uint8_t CHARSET_TOS = 0;
constexpr uint8_t CHARSET_MAC = 1;

// The 12-byte file header, numbers in host order once read.
struct HypHeader {
    char magic[4] = {0, 0, 0, 0};  // "HDOC"
    uint32_t index_length = 0;     // bytes of the index table
    uint16_t index_count = 0;      // number of index records
    uint8_t hcp_version = 0;       // compiler version, shown only
    uint8_t os = 0;                // compile system, see os_name and os_charset
};

// Kinds of index entries. Files carry values above 7 too (e.g. 255); they have no display name.
enum EntryType : uint8_t {
    ENTRY_NODE = 0,
    ENTRY_PNODE = 1,
    ENTRY_EXTERNAL = 2,
    ENTRY_IMAGE = 3,
    ENTRY_SYSTEM = 4,
    ENTRY_REXX_SCRIPT = 5,
    ENTRY_REXX_COMMAND = 6,
    ENTRY_QUIT = 7,
};
constexpr unsigned ENTRY_TYPE_COUNT = 8;

// Kinds of extended header records. Values 12 and above are kept without being interpreted.
enum ExtHeaderType : uint16_t {
    EXT_END = 0,
    EXT_DATABASE = 1,
    EXT_DEFAULT = 2,
    EXT_HOSTNAME = 3,
    EXT_OPTIONS = 4,
    EXT_AUTHOR = 5,
    EXT_VERSION = 6,
    EXT_HELP = 7,
    EXT_SUBJECT = 8,
    EXT_HYPTREE = 9,
    EXT_FLAGS = 10,
    EXT_WIDTH = 11,
};
constexpr unsigned EXT_HEADER_TYPE_COUNT = 12;

// Display name of an entry type ("Interne Seite (@node)", ...); nullptr above ENTRY_QUIT.
const char* entry_type_name(unsigned type);

// 12-character padded label the file information shows before an extended header's value
// ("@database   ", ...); nullptr for EXT_END, EXT_HYPTREE, EXT_FLAGS and unknown types.
const char* ext_header_label(unsigned type);

// Name shown for the header's compile system byte: "Atari", "Amiga", "Macintosh" or "Unbekannt".
const char* os_name(uint8_t os);

// Character set of a file's texts by its compile system byte: CHARSET_MAC only for Macintosh (3).
// Files compiled on other systems (also those of unknown system bytes) carry Atari texts.
uint8_t os_charset(uint8_t os);

// True when the four bytes are exactly "HDOC" (case-sensitive).
bool is_hyp_magic(const uint8_t* bytes4);

// Big-endian numbers of the file header, index records and extended header heads.
inline uint16_t read_be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t read_be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
// The text stored in `bytes` up to its first NUL, or all of them when a damaged file left the
// NUL out.
std::string text_before_nul(const std::vector<uint8_t>& bytes);

// Little-endian 16-bit word of the EXT_FLAGS and EXT_WIDTH data.
inline uint16_t read_le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// A base-255 number of page data: two bytes, each 1 to 255, value (b0 - 1) + 255 * (b1 - 1),
// 0 to 65024. A zero byte (never written by the compiler) wraps modulo 65536 like the
// original arithmetic; every user checks the result against index_count or the line count.
inline uint16_t decode_base255(uint8_t b0, uint8_t b1) {
    return static_cast<uint16_t>((b0 - 1) + 255 * (b1 - 1));
}
inline uint16_t decode_base255(const uint8_t* p) {
    return decode_base255(p[0], p[1]);
}

// Exchanges the first and third byte of a 24-bit colour (RGB <-> BGR); the top byte is kept.
inline uint32_t swap_rgb(uint32_t colour) {
    return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}

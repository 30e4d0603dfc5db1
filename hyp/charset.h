// Character conversion of hypertext texts between the Atari, Macintosh, Windows and DOS sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hyp/hyp_format.h"  // CHARSET_TOS, CHARSET_MAC: the sets a hypertext is stored in

// Set codes differ by role. As a source (a document's source_charset) 0 is TOS and 1 is MAC;
// the Windows and DOS sets never are the source of a hypertext but number its tables 8 to 15.
constexpr uint8_t CHARSET_SOURCE_ANSI = 2;
constexpr uint8_t CHARSET_SOURCE_OEM = 3;

// As a target (the char_conv setting).
enum CharsetTarget : uint8_t {
    TARGET_ANSI = 0,  // Windows, code page 1252: the screen, the printer, window titles
    TARGET_OEM = 1,   // DOS, code page 437/850
    TARGET_TOS = 2,   // Atari
    TARGET_MAC = 3,   // Macintosh
    // UTF-8, for the converter's output only (the viewer's settings offer the four above):
    // every character of the hypertext's own set written as the Unicode character it is,
    // without passing through the Windows set and losing what that set lacks.
    TARGET_UTF8 = 4,
};

constexpr unsigned CHARSET_TABLE_COUNT = 16;
constexpr unsigned CHARSET_TABLE_SIZE = 256;

// Conversions to UTF-8 are numbered after the sixteen byte tables: UTF8_CONVERSION_BASE +
// source set (TOS, MAC, and ANSI for the program's own Windows-set texts).
constexpr unsigned UTF8_CONVERSION_BASE = CHARSET_TABLE_COUNT;
constexpr unsigned UTF8_CONVERSION_COUNT = 3;

// Table number for a source and a target set. Out-of-range codes give a number convert_charset
// refuses (it then copies the text unchanged).
constexpr unsigned conversion_table(unsigned source, unsigned target) {
    return target == TARGET_UTF8 ? UTF8_CONVERSION_BASE + source : source * 4 + target;
}

// Whether conversion number `table` writes UTF-8.
constexpr bool is_utf8_conversion(unsigned table) {
    return table >= UTF8_CONVERSION_BASE && table < UTF8_CONVERSION_BASE + UTF8_CONVERSION_COUNT;
}

// The sixteen tables. Byte 0 is a flag: 0 = the table converts nothing (it is all zero),
// otherwise entry b (1 to 255) replaces byte b.
extern const uint8_t (&charset_tables)[CHARSET_TABLE_COUNT][CHARSET_TABLE_SIZE];

// The table the screen, the printer and window titles convert a hypertext of `source_charset`
// with: its set to ANSI (source_charset * 4). The open document's view holds it; an export or a
// clipboard copy converts with the table of its own run instead.
inline unsigned screen_conversion(unsigned source_charset) {
    return conversion_table(source_charset, TARGET_ANSI);
}

// A converted copy of `text` through table `table`. The text ends at its first NUL, as every
// stored text does. With `first_char_only` only the first character is copied and converted
// (to fill a "%c" with one national letter). A conversion to UTF-8 writes each character in
// as many bytes as it takes. An inactive table, or a number that names no conversion, leaves
// the copy unchanged.
std::string convert_charset(std::string_view text, bool first_char_only, unsigned table);

// The code point that UTF-8 output writes for `byte` of source set `source` (CHARSET_TOS,
// CHARSET_MAC or CHARSET_SOURCE_ANSI): the set's own character. A byte Unicode has no
// equivalent for is written as the Windows set would show it (through table source * 4), so
// that it reads as it always has.
char32_t source_to_unicode(unsigned source, uint8_t byte);

// The text (in source set `table` - UTF8_CONVERSION_BASE) appended to `out` as UTF-8; NUL
// bytes stay NUL.
void append_as_utf8(std::string& out, std::string_view text, unsigned table);

// The character code page 1252 has at `byte` (U+FFFD for the five codes it leaves undefined).
char32_t ansi_unicode(uint8_t byte);
// Whether code page 1252 has character `u` (the five codes it leaves undefined do not count).
bool ansi_has(char32_t u);

// Windows text (code page 1252) as UTF-8, for terminals and the command line. The five codes
// the code page leaves undefined become U+FFFD. Unless `keep_controls`, control bytes other than
// tab, line feed and carriage return also become U+FFFD, so that text taken from a file can
// never drive the terminal.
std::string ansi_to_utf8(std::string_view ansi, bool keep_controls = false);

// The reverse: UTF-8 text as code page 1252. False (and `ansi` unspecified) when the text is
// not valid UTF-8 or holds a character the code page does not have.
bool utf8_to_ansi(std::string_view utf8, std::string& ansi);

// Bytes of the UTF-8 sequence that `lead` starts by its form: 2, 3 or 4 for a lead byte, else 1
// (a character of ASCII, or a stray byte taken alone). Whether the sequence is whole and well
// formed is the caller's to check.
std::size_t utf8_sequence_length(unsigned char lead);

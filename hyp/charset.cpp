// Character conversion of hypertext texts, and code page 1252 to and from UTF-8.
#include "hyp/charset.h"

#include <cstring>

#include "hyp/charset_unicode.h"

std::string convert_charset(std::string_view text, bool first_char_only, unsigned table) {
    // Stored texts end at their NUL; the copy does too.
    std::size_t end = text.find('\0');
    if (end != std::string_view::npos) text = text.substr(0, end);
    if (first_char_only) text = text.substr(0, 1);
    if (is_utf8_conversion(table)) {
        std::string out;
        out.reserve(text.size() + text.size() / 2);
        append_as_utf8(out, text, table);
        return out;
    }
    std::string copy(text);
    if (table >= CHARSET_TABLE_COUNT || charset_tables[table][0] == 0) return copy;
    const uint8_t* map = charset_tables[table];
    for (char& c : copy) c = static_cast<char>(map[static_cast<unsigned char>(c)]);
    return copy;
}

namespace {

constexpr char32_t UNDEFINED = 0xFFFD;

// Code page 1252 at 0x80 to 0x9F; 0 marks the five codes it leaves undefined. The rest of the
// code page is Latin-1.
constexpr char16_t CP1252_80_9F[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t cp1252_to_unicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        char16_t u = CP1252_80_9F[byte - 0x80];
        return u != 0 ? u : UNDEFINED;
    }
    return byte;
}

// The glyphs of the Atari font at 0x05 to 0x1F lie beyond the 16-bit plane (four bytes).
void append_utf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

bool is_control(unsigned char byte) {
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
}

// The next character of `text` from `pos` (advanced past it); false on a malformed sequence,
// an overlong form or a surrogate.
bool next_utf8(std::string_view text, std::size_t& pos, char32_t& u) {
    unsigned char lead = static_cast<unsigned char>(text[pos]);
    int extra;
    char32_t minimum;
    if (lead < 0x80) {
        u = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, minimum = 0x80, u = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, minimum = 0x800, u = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, minimum = 0x10000, u = lead & 0x07;
    } else {
        return false;
    }
    if (text.size() - pos <= static_cast<std::size_t>(extra)) return false;
    for (int i = 1; i <= extra; ++i) {
        unsigned char c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80) return false;
        u = (u << 6) | (c & 0x3F);
    }
    if (u < minimum || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return false;
    pos += extra + 1;
    return true;
}

}  // namespace

std::size_t utf8_sequence_length(unsigned char lead) {
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

char32_t source_to_unicode(unsigned source, uint8_t byte) {
    char32_t u = 0;
    if (source == CHARSET_TOS) {
        u = atari_unicode(byte);
    } else if (source == CHARSET_MAC) {
        u = mac_unicode(byte);
    } else {
        return cp1252_to_unicode(byte);
    }
    if (u != 0 || byte == 0) return u;
    return cp1252_to_unicode(charset_tables[conversion_table(source, TARGET_ANSI)][byte]);
}

void append_as_utf8(std::string& out, std::string_view text, unsigned table) {
    const unsigned source = table - UTF8_CONVERSION_BASE;
    for (char c : text) append_utf8(out, source_to_unicode(source, static_cast<uint8_t>(c)));
}

char32_t ansi_unicode(uint8_t byte) {
    return cp1252_to_unicode(byte);
}

bool ansi_has(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return true;
    for (char16_t candidate : CP1252_80_9F) {
        if (candidate != 0 && candidate == u) return true;
    }
    return false;
}

std::string ansi_to_utf8(std::string_view ansi, bool keep_controls) {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) {
        unsigned char byte = static_cast<unsigned char>(c);
        append_utf8(out, !keep_controls && is_control(byte) ? UNDEFINED : cp1252_to_unicode(byte));
    }
    return out;
}

bool utf8_to_ansi(std::string_view utf8, std::string& ansi) {
    ansi.clear();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t u;
        if (!next_utf8(utf8, pos, u)) return false;
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            ansi += static_cast<char>(u);
            continue;
        }
        const char16_t* found = nullptr;
        for (const char16_t& candidate : CP1252_80_9F) {
            if (candidate != 0 && candidate == u) found = &candidate;
        }
        if (found == nullptr) return false;
        ansi += static_cast<char>(0x80 + (found - CP1252_80_9F));
    }
    return true;
}

// Escaping of texts and the file names of pages in the HTML output.
#include "export/html_text.h"

#include <algorithm>
#include <cstring>

#include "hyp/charset.h"

namespace {

// The characters html_escape looks at; every other byte is copied in stretches.
struct SpecialCharacters {
    bool special[256] = {};
    SpecialCharacters() {
        for (unsigned char c : {'&', '"', '<', '>', ' '}) special[c] = true;
    }
};
const SpecialCharacters SPECIAL;

// The entity that stands for one of the four characters HTML gives a meaning; nullptr for others.
const char* entity_of(char c) {
    switch (c) {
        case '&':
            return "&amp;";
        case '"':
            return "&quot;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        default:
            return nullptr;
    }
}

}  // namespace

void html_escape_append(std::string& out, std::string_view text) {
    const size_t size = text.size();
    size_t from = 0;  // start of the bytes not yet appended, which need no escaping
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (!SPECIAL.special[static_cast<unsigned char>(c)]) continue;
        if (c == ' ' && (i + 1 >= size || text[i + 1] != ' ')) continue;  // a single blank stays
        out.append(text.data() + from, i - from);
        if (const char* entity = entity_of(c)) {
            out += entity;
        } else {  // a run of blanks
            size_t run = 0;
            while (i + run < size && text[i + run] == ' ') ++run;
            out += "<TT>";
            for (size_t k = 0; k < run; ++k) out += "&nbsp;";
            out += "</TT>";
            i += run - 1;
        }
        from = i + 1;
    }
    out.append(text.data() + from, size - from);
}

void html_web_escape_append(std::string& out, std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        // The sequence length from the lead byte; a stray byte passes alone.
        size_t length = utf8_sequence_length(lead);
        length = std::min(length, utf8.size() - i);
        if (length == 1) {
            const char* entity = entity_of(utf8[i]);
            if (entity) {
                out += entity;
            } else {
                out += utf8[i];
            }
            ++i;
            continue;
        }
        char32_t u = lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) u = (u << 6) | (utf8[i + k] & 0x3F);
        const bool wide = !ansi_has(u);
        if (wide) out += "<SPAN CLASS=\"w\">";
        out.append(utf8.data() + i, length);
        if (wide) out += "</SPAN>";
        i += length;
    }
}

std::string html_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    html_escape_append(out, text);
    return out;
}

std::string html_file_name(std::string_view name, unsigned source_charset, bool utf8) {
    std::string file = convert_charset(
        name, false, conversion_table(source_charset, utf8 ? TARGET_UTF8 : TARGET_ANSI));
    file += ".html";
    for (char& c : file) {
        if (c != '\0' && std::strchr("\"\\/?*:' <>|", c) != nullptr) c = '_';
    }
    return file;
}

std::string html_reference(std::string_view file_name) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(file_name.size());
    for (char c : file_name) {
        const unsigned char b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                           (b >= '0' && b <= '9') || std::strchr("-._~/!$()*+,;=@", c) != nullptr;
        if (plain && b != 0) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(HEX[b >> 4]);
            out.push_back(HEX[b & 0x0F]);
        }
    }
    return out;
}

std::string html_attribute(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (const char* entity = entity_of(c)) {
            out += entity;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

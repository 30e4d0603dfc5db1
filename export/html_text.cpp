// Escaping of texts and the file names of pages in the HTML output.
#include "export/html_text.h"

#include <cstring>

#include "export/charset.h"

std::string html_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4 + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case ' ': {
                size_t run = 1;
                while (i + run < text.size() && text[i + run] == ' ') ++run;
                if (run == 1) {
                    out.push_back(' ');
                    break;
                }
                out += "<TT>";
                for (size_t k = 0; k < run; ++k) out += "&nbsp;";
                out += "</TT>";
                i += run - 1;
                break;
            }
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string html_file_name(std::string_view name, unsigned source_charset) {
    std::string file = convert_charset(name, false, conversion_table(source_charset, TARGET_ANSI));
    file += ".html";
    for (char& c : file) {
        if (c != '\0' && std::strchr("\"\\/?*:' <>|", c) != nullptr) c = '_';
    }
    return file;
}

std::string html_reference(std::string_view file_name) {
    std::string out;
    out.reserve(file_name.size());
    for (char c : file_name) {
        if (c == '%') {
            out += "%25";
        } else if (c == '#') {
            out += "%23";
        } else if (c == '&') {
            out += "&amp;";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

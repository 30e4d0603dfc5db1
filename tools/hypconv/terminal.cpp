// Output of the converter for terminals: everything printed is UTF-8.
#include "tools/hypconv/terminal.h"

#include <cstdio>

#include "hyp/charset.h"

std::string ansi_text_to_utf8(const std::string& ansi) {
    // Messages are ours and may carry line breaks; control bytes from files become U+FFFD.
    return ansi_to_utf8(ansi);
}

std::string terminal_text(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7F) {
            out += "\xEF\xBF\xBD";  // U+FFFD
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string document_text_to_utf8(const std::string& text, uint8_t source_charset) {
    return terminal_text(
        convert_charset(text, false, conversion_table(source_charset, TARGET_UTF8)));
}

void print_failure(const std::string& file, const Failure& failure) {
    // The file name comes from the command line and is printed as given.
    const std::string where = file.empty() ? std::string() : terminal_text(file) + ": ";
    print_error(where + terminal_text(ansi_text_to_utf8(failure_line(failure))));
}

void print_error(const std::string& utf8) {
    std::fprintf(stderr, "hypconv: %s\n", utf8.c_str());
}

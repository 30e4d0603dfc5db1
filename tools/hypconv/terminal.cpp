// Output of the converter for terminals: everything printed is UTF-8.
#include "tools/hypconv/terminal.h"

#include <cstdio>

#include "hyp/charset.h"
#include "hyp/message_text.h"

std::string ansi_text_to_utf8(const std::string& ansi) {
    // Messages are ours and may carry line breaks; control bytes from files become U+FFFD.
    return ansi_to_utf8(ansi);
}

std::string document_text_to_utf8(const std::string& text, uint8_t source_charset) {
    return ansi_to_utf8(convert_charset(text, false, screen_conversion(source_charset)));
}

void print_failure() {
    std::fprintf(stderr, "hypconv: %s\n", ansi_text_to_utf8(message_text).c_str());
}

void print_error(const std::string& utf8) {
    std::fprintf(stderr, "hypconv: %s\n", utf8.c_str());
}

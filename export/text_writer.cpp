// The plain-text form of a page: its text, headings framed in "#", links with optional markers.
#include "export/text_writer.h"

#include <algorithm>

#include "export/export_driver.h"
#include "export/export_output.h"
#include "hyp/charset.h"
#include "hyp/document.h"

std::string text_heading_line(std::string_view title, unsigned line_width, bool utf8) {
    const size_t width = std::min(line_width, MAX_HEADING_WIDTH);
    // A character of UTF-8 is its lead byte and the continuation bytes 10xxxxxx after it.
    const size_t length =
        utf8 ? static_cast<size_t>(std::count_if(title.begin(), title.end(),
                                                 [](char c) { return (c & 0xC0) != 0x80; }))
             : title.size();
    std::string line;
    if (length + 4 >= width) {
        line.reserve(length + 4);
        line.append("# ").append(title).append(" #");
        return line;
    }
    line.reserve(width);
    line.append((width - length - 2) / 2, '#');
    line.push_back(' ');
    line.append(title);
    line.push_back(' ');
    line.append(width - (length + line.size() - title.size()), '#');
    return line;
}

void TextWriter::heading(const HypDocument& doc, std::string_view raw_title) {
    scratch_.assign(raw_title);
    convert_in_place(scratch_, run_.conversion);
    out_.write(text_heading_line(scratch_, doc.line_width, is_utf8_conversion(run_.conversion)));
    out_.line_end();
}

bool TextWriter::write_page_head(HypDocument& doc, uint16_t entry, const std::string* title,
                                 uint16_t) {
    if (title) {
        heading(doc, *title);
    } else {
        const std::optional<std::string>& name = doc.index[entry].name;
        heading(doc, name ? std::string_view(*name) : std::string_view());
    }
    return true;
}

void TextWriter::write_title(HypDocument& doc, const std::string& title) {
    heading(doc, title);
}

void TextWriter::converted(const char* bytes, size_t length) {
    scratch_.assign(bytes, length);
    convert_in_place(scratch_, run_.conversion);
    out_.write(scratch_);
}

void TextWriter::write_text(const char* bytes, size_t length) {
    converted(bytes, length);
}

void TextWriter::write_special(char c) {
    converted(&c, 1);
}

void TextWriter::write_literal_escape() {
    // The byte itself in every byte set; in UTF-8 the glyph the Atari font draws for it.
    if (is_utf8_conversion(run_.conversion)) {
        converted("\x1B", 1);
    } else {
        out_.put('\x1B');
    }
}

void TextWriter::marker(char c) {
    if (is_utf8_conversion(run_.conversion)) {
        out_.write(convert_charset(std::string_view(&c, 1), false,
                                   conversion_table(CHARSET_SOURCE_ANSI, TARGET_UTF8)));
    } else {
        out_.put(c);
    }
}

void TextWriter::write_line_end() {
    out_.line_end();
}

void TextWriter::write_link(HypDocument&, const PageLink& link) {
    // The markers are the user's own characters, written as they are (an empty one: nothing).
    if (run_.all_links && run_.inlink) marker(run_.inlink);
    converted(link.text.data(), link.text.size());
    if (run_.all_links && run_.outlink) marker(run_.outlink);
}

// What the page walk writes in the three export modes: one writer per mode behind one interface.
#include "render/page_writer.h"

#include "hyp/charset.h"

void convert_in_place(std::string& text, unsigned table) {
    if (is_utf8_conversion(table)) {
        std::string utf8;
        utf8.reserve(text.size() + text.size() / 2);
        append_as_utf8(utf8, text, table);
        text.swap(utf8);
        return;
    }
    if (table >= CHARSET_TABLE_COUNT) return;
    const uint8_t* map = charset_tables[table];
    if (map[0] == 0) return;  // a table that converts nothing
    for (char& c : text) {
        const uint8_t b = static_cast<uint8_t>(c);
        if (b != 0) c = static_cast<char>(map[b]);
    }
}

// The text of the file information box ("Vellumar - Info") for the open hypertext.
#include "app/file_info.h"

#include <string>

#include "hyp/charset.h"

namespace {

// The box is in the Windows set whatever the compiler makes of literals: "\xE4" is a-umlaut.
constexpr const char* INDEX_LENGTH_LABEL = "Indexl\xE4nge";

// The width word as the loader reads it: little-endian, a single byte being the low half.
unsigned width_value(const ExtHeader& header) {
    if (header.data.size() == 1) return header.data[0];
    return read_le16(header.data.data());
}

}  // namespace

std::string file_info_text(const HypDocument& doc, bool utf8) {
    const unsigned header_conversion = utf8 ? conversion_table(doc.source_charset, TARGET_UTF8)
                                            : screen_conversion(doc.source_charset);
    // The box's own texts (and the path) are in the Windows set.
    const auto own = [utf8](const std::string& ansi) {
        return utf8 ? convert_charset(ansi, false,
                                      conversion_table(CHARSET_SOURCE_ANSI, TARGET_UTF8))
                    : ansi;
    };
    const HypHeader& h = doc.header;
    std::string text = "Informationen zum aktuellen Hypertext:\n\nDateiname   \t" + own(doc.path) +
                       "\n\nHeader:\n\n";
    text += own(INDEX_LENGTH_LABEL) + "\t" + std::to_string(h.index_length) + "\n";
    text += "Indexanzahl\t" + std::to_string(h.index_count) + "\n";
    text += "HCP-Version\t" + std::to_string(h.hcp_version) + "\n";
    text += "Compiled on\t" + own(os_name(h.os)) + "\n\nErweiterte Header:\n";

    for (const ExtHeader& header : doc.ext_headers) {
        if (header.type == EXT_END) break;
        if (header.length == 0 || header.data.empty()) continue;
        if (header.type >= EXT_DATABASE && header.type <= EXT_SUBJECT) {
            text += "\n" + own(ext_header_label(header.type)) + "\t" +
                    convert_charset(ext_header_text(header), false, header_conversion);
        } else if (header.type == EXT_WIDTH) {
            text += "\n" + own(ext_header_label(header.type)) + "\t" +
                    std::to_string(width_value(header));
        }
    }
    return text;
}

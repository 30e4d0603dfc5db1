// The ST-Guide source form of a hypertext: database lines, node blocks, links, symbols, graphics.
#include "export/stg_writer.h"

#include <cstdio>

#include "export/bmp_file.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/stg_quote.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/page_codes.h"
#include "hyp/paths.h"
#include "render/graphics_objects.h"
#include "render/image.h"

namespace {

// Letters of the attribute bits 0 to 6, switched on and switched off.
constexpr char ATTRIBUTE_LETTERS[] = "BGIUOSXbgiuosx";
constexpr unsigned ATTRIBUTE_BITS = 7;
constexpr uint8_t ATTRIBUTE_MASK = 0x7F;

unsigned entry_type(const HypDocument& doc, unsigned index) {
    return index < doc.index.size() ? doc.index[index].type : 0xFFu;
}

std::string format(const char* pattern, long long a, long long b = 0, long long c = 0,
                   long long d = 0, long long e = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c, d, e);
    return buffer;
}

// The database line of each extended header with a text: how it starts, and whether its text
// is quoted (names and titles) or only converted. A version text holds its own command word.
struct HeaderLine {
    uint16_t type;
    const char* start;
    bool quoted;
};
constexpr HeaderLine HEADER_LINES[] = {
    {EXT_DATABASE, "@database ", true}, {EXT_DEFAULT, "@default ", true},
    {EXT_HOSTNAME, "@hostname ", false}, {EXT_OPTIONS, "@options ", false},
    {EXT_AUTHOR, "@author ", true},     {EXT_VERSION, "@", false},
    {EXT_HELP, "@help ", true},         {EXT_SUBJECT, "@subject ", true},
};

}  // namespace

const char* stg_link_keyword(unsigned entry_type) {
    switch (entry_type) {
        case ENTRY_IMAGE:
            return "image ";
        case ENTRY_SYSTEM:
            return "system ";
        case ENTRY_REXX_SCRIPT:
            return "rxs ";
        case ENTRY_REXX_COMMAND:
            return "rx ";
        case ENTRY_QUIT:
            return "quit";
        default:
            return "link ";  // ENTRY_NODE, ENTRY_PNODE, ENTRY_EXTERNAL and unknown types
    }
}

std::string stg_attribute_command(uint8_t old_set, uint8_t new_set) {
    if ((new_set & ATTRIBUTE_MASK) == 0) return "@{0}";
    std::string command = "@{";
    for (unsigned bit = 0; bit < ATTRIBUTE_BITS; ++bit) {
        const bool was = old_set & (1u << bit);
        const bool is = new_set & (1u << bit);
        if (is && !was) command.push_back(ATTRIBUTE_LETTERS[bit]);
        if (was && !is) command.push_back(ATTRIBUTE_LETTERS[ATTRIBUTE_BITS + bit]);
    }
    command.push_back('}');
    return command;
}

StgWriter::StgWriter(ExportOutput& output, ExportRun run) : out_(output), run_(std::move(run)) {}
StgWriter::~StgWriter() = default;

const std::string& StgWriter::converted(std::string_view raw) {
    scratch_.assign(raw);
    convert_in_place(scratch_, run_.conversion);
    return scratch_;
}

std::string StgWriter::quoted(std::string_view raw) {
    return stg_quote(converted(raw));
}

void StgWriter::plain_text(std::string_view raw) {
    const std::string& text = converted(raw);
    size_t from = 0;
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', from)) {
        out_.write(text.data() + from, at + 1 - from);
        out_.put('@');
        from = at + 1;
    }
    out_.write(text.data() + from, text.size() - from);
}

void StgWriter::line(std::string_view text) {
    out_.write(text);
    out_.line_end();
}

void StgWriter::begin_run(HypDocument& doc, const LogFontRecord&) {
    pictures_ = PictureFailures();
    groups_.build(doc.symbols);
    for (const ExtHeader& header : doc.ext_headers) {
        if (header.data.empty()) continue;
        if (header.type == EXT_WIDTH) {
            // The little-endian word; a record of one byte holds only its low half.
            const unsigned low = header.data[0];
            const unsigned high = header.data.size() > 1 ? header.data[1] : 0;
            line(format("@width %lld", low | (high << 8)));
            continue;
        }
        // EXT_HYPTREE, EXT_FLAGS and unknown types have no line.
        for (const HeaderLine& command : HEADER_LINES) {
            if (command.type != header.type) continue;
            const std::string text = ext_header_text(header);
            line(command.start + (command.quoted ? quoted(text) : converted(text)));
        }
    }
}

void StgWriter::write_toc(HypDocument& doc, uint16_t toc) {
    out_.line_end();
    line("@toc " + quoted(entry_name(doc, toc)));
}

void StgWriter::write_image_file(HypDocument& doc, uint16_t index) {
    ::write_image_file(doc, index, run_.path, pictures_);
}

bool StgWriter::write_page_head(HypDocument& doc, uint16_t entry, const std::string* title,
                                uint16_t last_node_index) {
    groups_.refresh(doc.symbols);
    const IndexEntry& page = doc.index[entry];
    out_.line_end();
    out_.write(page.type == ENTRY_PNODE ? "@pnode " : "@node ");
    out_.write(quoted(entry_name(doc, entry)));
    if (title) {
        out_.put(' ');
        out_.write(quoted(*title));
    }
    out_.line_end();
    if (page.type == ENTRY_NODE) {
        // Neighbours in file order are what the compiler links by itself.
        const bool file_previous = page.previous + 1 == entry;
        const bool first_page = entry == 0 && page.previous == 0;
        if (!file_previous && !first_page) line("@prev " + quoted(entry_name(doc, page.previous)));
        const bool file_next = page.next == entry + 1;
        const bool last_node = entry == last_node_index && page.next == entry;
        if (!file_next && !last_node) line("@next " + quoted(entry_name(doc, page.next)));
    }
    write_symbols(doc, entry, 0);
    return true;
}

void StgWriter::write_title(HypDocument&, const std::string& title) {
    line("@title " + quoted(title));
}

void StgWriter::write_text(const char* bytes, size_t length) {
    out_.write(converted(std::string_view(bytes, length)));
}

void StgWriter::write_special(char c) {
    if (c == '@') {
        out_.write("@@", 2);
    } else {
        out_.write(converted(std::string_view(&c, 1)));
    }
}

void StgWriter::write_literal_escape() {
    out_.put('\x1B');
}

void StgWriter::write_line_end() {
    out_.line_end();
}

void StgWriter::write_symbols(HypDocument& doc, uint16_t entry, uint16_t line_number) {
    if (doc.symbols.empty()) return;
    groups_.refresh(doc.symbols);
    for (const SymbolGroups::Member& m : groups_.page_group(entry, entry_name(doc, entry))) {
        const SymbolEntry& symbol = doc.symbols[m.index];
        if (symbol.line != line_number) continue;
        line("@symbol " + stg_symbol_letters(symbol.flags) + quoted(m.text));
    }
}

void StgWriter::write_link(HypDocument& doc, const PageLink& link) {
    const std::string_view target_name = entry_name(doc, link.target);
    const char* alink = is_alink(link.code) ? "a" : "";

    // Rule 1: the text is the target's name.
    if (!link.has_text) {
        if (run_.all_links) {
            const std::string name = quoted(target_name);
            out_.write("@{" + name + " link " + name + "}");
        } else {
            plain_text(target_name);
        }
        return;
    }

    // Rule 2: a link to a line of the target, named by a label (or alias) where one is known.
    if (link.target_line != 0) {
        groups_.refresh(doc.symbols);
        const SymbolEntry* symbol =
            groups_.find_line_symbol(doc.symbols, target_name, link.target_line, link.text);
        if (symbol && (symbol->flags & SYMBOL_FLAG_USED) && !run_.all_links) {
            // The compiler links this text by itself (an automatic reference).
            plain_text(link.text);
            return;
        }
        std::string command =
            "@{" + quoted(link.text) + " " + alink + "link " + quoted(target_name) + " ";
        command += symbol ? quoted(symbol_text(*symbol)) : std::to_string(link.target_line);
        command += "}";
        out_.write(command);
        return;
    }

    // Rule 3: a link without a line is left to the compiler when the text is a known node name
    // or alias of the target.
    const unsigned type = entry_type(doc, link.target);
    if (!doc.symbols.empty() && !run_.all_links && (type == ENTRY_NODE || type == ENTRY_PNODE)) {
        groups_.refresh(doc.symbols);
        if (groups_.find_used_name(doc.symbols, target_name, link.text)) {
            plain_text(link.text);
            return;
        }
    }
    out_.write("@{" + quoted(link.text) + " " + alink + stg_link_keyword(type) +
               quoted(target_name) + "}");
}

void StgWriter::write_xref(HypDocument& doc, uint16_t target, const std::string& title) {
    const std::string_view name = entry_name(doc, target);
    std::string command = "@xref " + quoted(name);
    if (title != name) command += " " + quoted(title);
    line(command);
}

void StgWriter::write_tree(HypDocument& doc, uint16_t line_number, uint16_t tree, uint16_t object,
                           uint16_t index) {
    line(format("## @tree Zeile: %lld, Baum: %lld, Objekt: %lld, Index: %lld (", line_number, tree,
                object, index) +
         quoted(entry_name(doc, index)) + ")");
}

void StgWriter::write_attributes(uint8_t old_set, uint8_t new_set) {
    out_.write(stg_attribute_command(old_set, new_set));
}

void StgWriter::write_graphics_objects(const std::vector<GraphicsObject>& objects,
                                       GraphicsContext& context) {
    for (const GraphicsObject& object : objects) {
        if (object.line != context.current_line) continue;
        // Stored bytes as signed numbers: a line's extents run either way, and a damaged
        // attribute of 0 shows as -1 rather than as a huge unsigned number.
        const int attribute = static_cast<int>(object.attribute) - 1;
        switch (object.code) {
            case ESC_LINE:
                line(format("@line %lld %lld %lld %lld %lld", object.column,
                            static_cast<int>(object.width) - 128,
                            static_cast<int>(object.height) - 1, attribute & 3, attribute / 8 + 1));
                break;
            case ESC_BOX:
            case ESC_RBOX:
                line(format(object.code == ESC_BOX ? "@box %lld %lld %lld %lld"
                                                   : "@rbox %lld %lld %lld %lld",
                            object.column, object.width, object.height, attribute));
                break;
            case ESC_PICTURE:
                line(std::string("## @") + (object.width != 0 ? "l" : "") + "image " +
                     picture_file_name(path_base_name(run_.path), object.image) + " " +
                     std::to_string(object.column));
                break;
            default:
                break;
        }
    }
}

void StgWriter::write_page_end(HypDocument&, uint16_t) {
    line("@endnode");
}

Outcome StgWriter::end_run() {
    return pictures_.outcome();
}

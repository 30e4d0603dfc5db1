// The HTML form of a hypertext: page files with head, style sheet, navigation, anchors and links.
#include "export/html_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "export/bmp_file.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/html_links.h"
#include "export/html_text.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/page_codes.h"
#include "hyp/paths.h"
#include "render/graphics_objects.h"
#include "render/image.h"
#include "render/page_walk.h"

namespace {

constexpr unsigned ATTRIBUTE_BITS = 7;
constexpr uint8_t ATTRIBUTE_MASK = 0x7F;

// Tags of the attribute bits 0 to 6; bit 1 (ghosted) opens with the run's ghosted colour.
constexpr const char* OPENING_TAGS[ATTRIBUTE_BITS] = {"<B>", nullptr, "<I>", "<U>",
                                                      "<B>", "<B>",   "<TT>"};
constexpr const char* CLOSING_TAGS[ATTRIBUTE_BITS] = {"</B>", "</FONT>", "</I>", "</U>",
                                                      "</B>", "</B>",    "</TT>"};

constexpr const char* AUTHOR_NOTICE = "Vellumar - (c) Ostwick";
constexpr const char* DEFAULT_FACE = "Arial";

bool is_page(const IndexEntry& entry) {
    return entry.type == ENTRY_NODE || entry.type == ENTRY_PNODE;
}

// Letter case as Windows ignores it in file names: ASCII and the Latin-1 letters of the set.
std::string folded(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        const uint8_t b = static_cast<uint8_t>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
            c = static_cast<char>(b + 0x20);
        }
    }
    return out;
}

std::string colour_text(uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", swap_rgb(colour) & 0xFFFFFFu);
    return text;
}

}  // namespace

std::vector<std::string> html_page_file_names(const HypDocument& doc, bool utf8) {
    const size_t count = doc.index.size();
    std::vector<std::string> names(count);
    std::unordered_map<std::string, size_t> owner;  // folded name -> the first page with it
    for (size_t i = 0; i < count; ++i) {
        if (!is_page(doc.index[i])) continue;
        names[i] =
            html_file_name(entry_name(doc, static_cast<unsigned>(i)), doc.source_charset, utf8);
        owner.emplace(folded(names[i]), i);
    }
    std::unordered_set<std::string> taken;
    for (size_t i = 0; i < count; ++i) {
        if (!is_page(doc.index[i])) continue;
        const std::string key = folded(names[i]);
        if (owner[key] == i) {
            taken.insert(key);
            continue;
        }
        // A later page with a file name taken already: a name of its own that no other page
        // has (or will have) either.
        std::string base = names[i].substr(0, names[i].size() - 5);  // without ".html"
        const std::string suffix = "_" + std::to_string(i);
        std::string candidate;
        do {
            base += suffix;
            candidate = base + ".html";
        } while (taken.count(folded(candidate)) != 0 || owner.count(folded(candidate)) != 0);
        taken.insert(folded(candidate));
        names[i] = candidate;
    }
    return names;
}

HtmlWriter::HtmlWriter(ExportRun run)
    : run_(std::move(run)), ghost_font_tag_(make_ghost_font_tag(run_.colours.ghosted)) {}

HtmlWriter::~HtmlWriter() {
    close_page();
}

std::string HtmlWriter::page_file(const HypDocument& doc, unsigned index) const {
    if (index < page_files_.size() && !page_files_[index].empty()) return page_files_[index];
    return html_file_name(entry_name(doc, index), doc.source_charset, run_.web);
}

void HtmlWriter::emit(std::string_view text) {
    size_t from = 0;
    for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', from)) {
        out_->write(text.data() + from, at - from);
        out_->line_end();
        from = at + 1;
    }
    out_->write(text.data() + from, text.size() - from);
}

const std::string& HtmlWriter::escaped(std::string_view raw) {
    converted_.assign(raw);
    convert_in_place(converted_, run_.conversion);
    escaped_.clear();
    html_escape_append(escaped_, converted_);
    return escaped_;
}

const std::string& HtmlWriter::body_text(std::string_view raw) {
    if (!run_.web) return escaped(raw);
    converted_.assign(raw);
    convert_in_place(converted_, run_.conversion);
    escaped_.clear();
    html_web_escape_append(escaped_, converted_);
    return escaped_;
}

void HtmlWriter::close_page() {
    int error = 0;
    if (out_) {
        out_->flush();
        error = out_->error();
        out_.reset();
    }
    if (file_) {
        errno = 0;
        if (std::fclose(file_) != 0 && error == 0) error = errno != 0 ? errno : EIO;
        file_ = nullptr;
    }
    if (error != 0 && !failed_) {
        failure_ = write_failure(error, file_path_);
        failed_ = true;
    }
}

Outcome HtmlWriter::end_run() {
    close_page();
    if (failed_) return failure_;
    return pictures_.outcome();
}

void HtmlWriter::begin_run(HypDocument& doc, const LogFontRecord& text_font) {
    first_file_.clear();
    toc_ = 0;
    pictures_ = PictureFailures();
    failed_ = false;
    face_name_.assign(text_font.lfFaceName, strnlen(text_font.lfFaceName, LF_FACE_SIZE));
    if (face_name_.empty()) face_name_ = DEFAULT_FACE;
    utf8_ = is_utf8_conversion(run_.conversion);
    // The face name is a Windows-set text of the settings.
    if (utf8_) {
        face_name_ =
            convert_charset(face_name_, false, conversion_table(CHARSET_SOURCE_ANSI, TARGET_UTF8));
    }
    page_files_ = html_page_file_names(doc, run_.web);
    external_ = std::make_unique<ExternalLinks>(doc, page_files_, run_.web);
    groups_.build(doc.symbols);
}

void HtmlWriter::write_toc(HypDocument&, uint16_t toc) {
    toc_ = toc;
}

void HtmlWriter::write_image_file(HypDocument& doc, uint16_t index) {
    ::write_image_file(doc, index, run_.path, pictures_);
}

bool HtmlWriter::write_page_head(HypDocument& doc, uint16_t entry, const std::string* title,
                                 uint16_t last_node_index) {
    // A page that could not be written whole stops the run like one that cannot be created.
    close_page();
    if (failed_) return false;
    groups_.refresh(doc.symbols);
    const IndexEntry& page = doc.index[entry];
    const std::string file_name = page_file(doc, entry);
    const std::string full_name = path_directory(run_.path) + file_name;
    if (first_file_.empty()) first_file_ = file_name;
    errno = 0;
    file_ = std::fopen(full_name.c_str(), "wb");
    if (file_ == nullptr) {
        failure_ = write_failure(errno, full_name);
        failed_ = true;
        return false;
    }
    file_path_ = full_name;
    // The output gathers the whole page and hands it over in one write; the file needs no
    // buffer of its own.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    out_ = std::make_unique<ExportOutput>(file_);

    // The version is kept in the Atari set and converted to the set the export writes.
    const std::string version =
        convert_charset(program_version(), false, conversion_table(CHARSET_TOS, run_.target));
    emit(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\n<HTML>\n"
        "\t<!-- Datei wurde automatisch erzeugt von Vellumar/HYPCONV -->\n");
    emit(std::string("\t<!-- ") + AUTHOR_NOTICE + " -->\n");
    emit(std::string(
             "\t<HEAD>\n\t\t<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html;CHARSET=") +
         (utf8_ ? "utf-8" : "iso8859-1") + "\">\n");
    emit(std::string("\t\t<META NAME=\"GENERATOR\" CONTENT=\"") + PROGRAM_NAME + " v" + version +
         " / Modul " + MODULE_NAME + " (Compiled " + build_date() + ", " + build_time() + ")\">\n");
    emit("\t\t<TITLE>" + escaped(title ? std::string_view(*title) : entry_name(doc, entry)) +
         "</TITLE>\n");
    const uint32_t background = page.type == ENTRY_PNODE ? run_.colours.popup : run_.colours.background;
    emit(
        "\t\t<STYLE TYPE=\"text/css\">\n\t\t\t<!--\n\t\t\tA:LINK, A:VISITED\n\t\t\t{\n"
        "\t\t\t\tcolor: " +
        colour_text(run_.colours.link) +
        ";\n\t\t\t}\n\t\t\tBODY\n\t\t\t{\n\t\t\t\tbackground-color: " + colour_text(background) +
        ";\n\t\t\t\tcolor: " + colour_text(run_.colours.text) + ";\n\t\t\t\tfont-family: " + face_name_ +
        ";\n\t\t\t}\n" +
        (run_.web ? "\t\t\tDIV.text\n\t\t\t{\n\t\t\t\twhite-space: pre;\n"
                    "\t\t\t\tfont-family: \"Courier New\", Courier, monospace;\n\t\t\t}\n"
                    "\t\t\tSPAN.w\n\t\t\t{\n\t\t\t\tdisplay: inline-block;\n"
                    "\t\t\t\twidth: 1ch;\n\t\t\t}\n"
                  : "") +
        "\t\t\t-->\n\t\t</STYLE>\n");
    emit("\t</HEAD>\n\n\t<BODY>\n");

    if (page.type == ENTRY_NODE) {
        if (!(entry == 0 && page.previous == 0)) {
            emit("<A HREF=\"" + html_reference(page_file(doc, page.previous)) +
                 "\">Previous</A>\n");
        }
        if (!(entry == last_node_index && page.next == entry)) {
            emit("<A HREF=\"" + html_reference(page_file(doc, page.next)) + "\">Next</A>\n");
        }
        emit("<A HREF=\"" + html_reference(page_file(doc, toc_)) + "\">TOC</A>\n");
        emit("<BR><BR>\n");
    }
    if (run_.web) emit("<DIV CLASS=\"text\">");
    write_symbols(doc, entry, 0);
    return true;
}

void HtmlWriter::write_title(HypDocument&, const std::string& title) {
    if (!out_) return;
    emit("<TITLE>" + escaped(title) + "</TITLE>\n");
}

void HtmlWriter::write_text(const char* bytes, size_t length) {
    if (!out_) return;
    out_->write(body_text(std::string_view(bytes, length)));
}

void HtmlWriter::write_special(char c) {
    if (!out_) return;
    switch (c) {
        case '@':
            out_->put('@');
            break;
        case '<':
            out_->write("&lt;");
            break;
        case '>':
            out_->write("&gt;");
            break;
        case '"':
            out_->write("&quot;");
            break;
        default:
            out_->write(body_text(std::string_view(&c, 1)));
    }
}

void HtmlWriter::write_literal_escape() {
    if (!out_) return;
    // The byte itself in every byte set; in UTF-8 the glyph the Atari font draws for it.
    if (utf8_) {
        out_->write(body_text("\x1B"));
    } else {
        out_->put('\x1B');
    }
}

void HtmlWriter::write_line_end() {
    if (!out_) return;
    // In the web form's block the line end itself ends the line.
    if (!run_.web) out_->write("<BR>");
    out_->line_end();
}

void HtmlWriter::write_symbols(HypDocument& doc, uint16_t entry, uint16_t line) {
    if (!out_ || doc.symbols.empty()) return;
    groups_.refresh(doc.symbols);
    for (const SymbolGroups::Member& m : groups_.page_group(entry, entry_name(doc, entry))) {
        if (doc.symbols[m.index].line != line) continue;
        emit("<A NAME=\"" + escaped(m.text) + "\"></A>\n");
    }
}

std::optional<std::string> HtmlWriter::link_reference(HypDocument& doc, const PageLink& link) {
    if (link.target >= doc.index.size()) return std::nullopt;
    const IndexEntry& target = doc.index[link.target];
    if (is_page(target)) {
        std::string reference = html_reference(page_file(doc, link.target));
        if (link.has_text && link.target_line != 0) {
            groups_.refresh(doc.symbols);
            const SymbolEntry* symbol = groups_.find_line_symbol(
                doc.symbols, entry_name(doc, link.target), link.target_line, link.text);
            // The web form percent-encodes the anchor as UTF-8 like the file name; a browser
            // decodes it to find the NAME.
            if (symbol && run_.web) {
                reference += "#" + html_reference(convert_charset(symbol_text(*symbol), false,
                                                                  run_.conversion));
            } else if (symbol) {
                reference += "#" + escaped(symbol_text(*symbol));
            }
        }
        return reference;
    }
    if (!target.name) return std::nullopt;
    // An address on the net is opened by the browser itself, whether the hypertext names it as
    // an external reference or hands it to a program (system and REXX entries launch browsers).
    const bool may_be_address = target.type == ENTRY_EXTERNAL || target.type == ENTRY_SYSTEM ||
                                target.type == ENTRY_REXX_SCRIPT ||
                                target.type == ENTRY_REXX_COMMAND;
    if (may_be_address && is_url(*target.name)) {
        converted_.assign(*target.name);
        convert_in_place(converted_, run_.conversion);
        return html_attribute(converted_);
    }
    if (target.type != ENTRY_EXTERNAL) return std::nullopt;
    const ExternalTarget external = external_->target_for(*target.name);
    if (external.file.empty()) return std::nullopt;
    // The anchor is spelt as the other page's export writes it: converted and escaped alike.
    if (!external.anchor.empty())
        return html_reference(external.file) + "#" + escaped(external.anchor);
    return html_reference(external.file);
}

void HtmlWriter::write_link(HypDocument& doc, const PageLink& link) {
    if (!out_) return;
    const std::optional<std::string> reference = link_reference(doc, link);
    if (reference) {
        out_->write("<A HREF=\"" + *reference + "\">" + body_text(link.text) + "</A>");
    } else {
        out_->write(body_text(link.text));
    }
}

void HtmlWriter::write_xref(HypDocument&, uint16_t, const std::string&) {}

void HtmlWriter::write_tree(HypDocument&, uint16_t, uint16_t, uint16_t, uint16_t) {}

void HtmlWriter::write_attributes(uint8_t old_set, uint8_t new_set) {
    if (!out_) return;
    std::string tags;
    if ((new_set & ATTRIBUTE_MASK) == 0) {
        for (unsigned bit = 0; bit < ATTRIBUTE_BITS; ++bit) {
            if (old_set & (1u << bit)) tags += CLOSING_TAGS[bit];
        }
    } else {
        for (unsigned bit = 0; bit < ATTRIBUTE_BITS; ++bit) {
            const bool was = old_set & (1u << bit);
            const bool is = new_set & (1u << bit);
            if (is && !was)
                tags += OPENING_TAGS[bit] ? OPENING_TAGS[bit] : "<" + ghost_font_tag_ + ">";
            if (was && !is) tags += CLOSING_TAGS[bit];
        }
    }
    out_->write(tags);
}

void HtmlWriter::write_graphics_objects(const std::vector<GraphicsObject>& objects,
                                        GraphicsContext& context) {
    if (!out_) return;
    const std::string base = html_reference(path_base_name(run_.path));
    for (const GraphicsObject& object : objects) {
        if (object.line != context.current_line || object.code != ESC_PICTURE) continue;
        const bool reserves_lines = object.width != 0;
        emit(std::string(reserves_lines ? "<DIV ALIGN=\"CENTER\">" : "") + "<IMG SRC=\"" +
             picture_file_name(base, object.image) + "\" ALIGN=\"TOP\">" +
             (reserves_lines ? (run_.web ? "</DIV>" : "</DIV><BR>") : "") + "\n");
    }
}

void HtmlWriter::write_page_end(HypDocument&, uint16_t) {
    if (!out_) return;
    if (run_.web) emit("</DIV>\n");
    emit("\t</BODY>\n</HTML>\n");
    close_page();
}

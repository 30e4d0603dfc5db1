// The HTML form of a hypertext: the writer the page walk calls in Html mode.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/bmp_file.h"
#include "export/export_run.h"
#include "export/stg_symbols.h"
#include "hyp/failure.h"
#include "render/page_writer.h"

class ExportOutput;

class ExternalLinks;

// Writes one HTML 4.0 file per page into the directory of the run's path, and a BMP file there for
// every image entry. Texts are converted with the run's conversion and escaped with html_escape;
// file names and link targets are in the Windows set (UTF-8 in the web form, below), and every
// HREF and SRC names its file byte for byte (html_reference). The export driver always includes
// the page "Index", and every link is written.
//
// A link leads to the target's page file when the target is a page; to the address itself when
// the target names an address on the net (an external reference, or a system or REXX entry
// that would start a browser); to the page an export of another
// hypertext into a sibling folder gives ("../<base>/<page file>", see ExternalLinks) when it is
// a reference into that hypertext, with "#" and the label's anchor when it names a label there.
// Targets a browser cannot show (other system and REXX entries, quit entries, pictures, unknown
// kinds) write the link text alone: an HREF must never name a file that no export writes. With
// the run's conversion to UTF-8, the pages declare UTF-8.
//
// The web form (the run's `web`; it converts to UTF-8) names the files in UTF-8, so every HREF
// and SRC is percent-encoded UTF-8, and keeps the author's columns: the page's text lies in one
// block <DIV CLASS="text"> whose lines are kept as they are in a monospaced font (blanks are
// blanks, a line end is a line end), and each character the Windows set lacks is one column
// wide (html_web_escape_append). Head, navigation, links, attributes and pictures are as in the
// other form.
class HtmlWriter : public PageWriter {
   public:
    explicit HtmlWriter(ExportRun run);
    ~HtmlWriter() override;

    ExportMode mode() const override { return ExportMode::Html; }
    // Forgets the first page; keeps the text font's face name for the style sheets; names the
    // page files of the run.
    void begin_run(HypDocument& doc, const LogFontRecord& text_font) override;
    // Html only remembers the entry for the pages' TOC links.
    void write_toc(HypDocument& doc, uint16_t toc) override;
    // The image's BMP file beside the pages; one that cannot be written fails the run at its end.
    void write_image_file(HypDocument& doc, uint16_t index) override;
    // Creates the page file and writes the document head, the navigation and the anchors of
    // line 0; false with "Fehler %d beim Schreiben der Datei\n\n%s" when it cannot be created.
    bool write_page_head(HypDocument& doc, uint16_t entry, const std::string* title,
                         uint16_t last_node_index) override;
    // "<TITLE>%s</TITLE>\n".
    void write_title(HypDocument& doc, const std::string& title) override;
    void write_text(const char* bytes, size_t length) override;
    // "@", "&lt;", "&gt;", "&quot;".
    void write_special(char c) override;
    void write_literal_escape() override;
    // "<BR>\n".
    void write_line_end() override;
    // "<A NAME=...></A>" anchors.
    void write_symbols(HypDocument& doc, uint16_t entry, uint16_t line) override;
    void write_link(HypDocument& doc, const PageLink& link) override;
    void write_xref(HypDocument& doc, uint16_t target, const std::string& title) override;
    void write_tree(HypDocument& doc, uint16_t line, uint16_t tree, uint16_t object,
                    uint16_t index) override;
    // Opening and closing tags.
    void write_attributes(uint8_t old_set, uint8_t new_set) override;
    // The IMG lines of pictures.
    void write_graphics_objects(const std::vector<GraphicsObject>& objects,
                                GraphicsContext& context) override;
    // "\t</BODY>\n</HTML>\n" and closing the page file.
    void write_page_end(HypDocument& doc, uint16_t entry) override;
    Outcome end_run() override;

    // The file name (without directory) the run gives entry `index`: its page file for pages,
    // html_file_name of its name for every other entry.
    std::string page_file(const HypDocument& doc, unsigned index) const;
    // The HREF value of a link to entry `target`, or none when the link is written as text.
    std::optional<std::string> link_reference(HypDocument& doc, const PageLink& link);

    // The name (without directory) of the first page file of the run; empty before one.
    const std::string& first_file() const { return first_file_; }

   private:
    // Page text (link texts, literal characters) converted for the run, as the form writes it.
    const std::string& body_text(std::string_view raw);
    // Writes `text`, each "\n" as the output's line end.
    void emit(std::string_view text);
    // The text converted for the run and escaped; valid until the next call.
    const std::string& escaped(std::string_view raw);
    // Closes the page file. One that was not written whole sets failure_ and failed_.
    void close_page();

    std::FILE* file_ = nullptr;
    std::string file_path_;  // full name of the open page file, for the write-error message
    bool failed_ = false;    // a page file was not written whole: the run stops
    Failure failure_;        // why, when failed_
    const ExportRun run_;
    const std::string ghost_font_tag_;  // make_ghost_font_tag of the run's ghosted colour
    std::string first_file_;
    uint16_t toc_ = 0;  // the table of contents announced last
    PictureFailures pictures_;
    std::unique_ptr<ExportOutput> out_;
    std::string face_name_;  // in the set the pages are written in
    bool utf8_ = false;      // the run writes UTF-8
    std::unique_ptr<ExternalLinks> external_;
    std::vector<std::string> page_files_;
    SymbolGroups groups_;
    std::string converted_;  // buffers of escaped(), reused from text to text
    std::string escaped_;
};

// The page file of every ENTRY_NODE and ENTRY_PNODE of `doc` (empty for other entries): the
// html_file_name of its name, except for a page whose file name an earlier page has taken
// already (names that differ only in replaced characters, or only in letter case, which
// Windows does not tell apart). Such a page gets its own file: the base name, "_" and its
// index, then ".html" (with further "_" and index should that be taken as well), so that no
// page overwrites another.
// With `utf8`, the names are the web form's (html_file_name in UTF-8).
std::vector<std::string> html_page_file_names(const HypDocument& doc, bool utf8 = false);

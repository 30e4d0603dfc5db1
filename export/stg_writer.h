// The ST-Guide source form of a hypertext: the writer the page walk calls in Stg mode.
#pragma once

#include <string>
#include <string_view>

#include "export/bmp_file.h"
#include "export/export_run.h"
#include "export/stg_symbols.h"
#include "render/page_writer.h"

class ExportOutput;

// Writes the recompiled source of a hypertext into one output: the database lines, one
// "@node"/"@pnode" block per page with its links, attributes, cross references, symbols and
// graphics, and a BMP file beside the output for every image entry. Every text and name is
// converted with the run's conversion; names, titles and link texts inside commands are quoted
// with stg_quote.
class StgWriter : public PageWriter {
   public:
    StgWriter(ExportOutput& output, ExportRun run);
    ~StgWriter() override;

    ExportMode mode() const override { return ExportMode::Stg; }
    // The database lines rebuilt from the extended headers.
    void begin_run(HypDocument& doc, const LogFontRecord& text_font) override;
    // "\n@toc %s\n".
    void write_toc(HypDocument& doc, uint16_t toc) override;
    // The image's BMP file beside the output; one that cannot be written fails the run at its end.
    void write_image_file(HypDocument& doc, uint16_t index) override;
    // "\n@node name [title]\n", "@prev", "@next" and the symbols of line 0.
    bool write_page_head(HypDocument& doc, uint16_t entry, const std::string* title,
                         uint16_t last_node_index) override;
    // "@title %s\n".
    void write_title(HypDocument& doc, const std::string& title) override;
    void write_text(const char* bytes, size_t length) override;
    // "@@".
    void write_special(char c) override;
    void write_literal_escape() override;
    void write_line_end() override;
    // "@symbol" lines.
    void write_symbols(HypDocument& doc, uint16_t entry, uint16_t line) override;
    // Link commands by the symbol and all-links rules.
    void write_link(HypDocument& doc, const PageLink& link) override;
    // "@xref".
    void write_xref(HypDocument& doc, uint16_t target, const std::string& title) override;
    // The "## @tree" comment.
    void write_tree(HypDocument& doc, uint16_t line, uint16_t tree, uint16_t object,
                    uint16_t index) override;
    // "@{...}" and "@{0}".
    void write_attributes(uint8_t old_set, uint8_t new_set) override;
    // "@line", "@box", "@rbox" and the picture comment lines.
    void write_graphics_objects(const std::vector<GraphicsObject>& objects,
                                GraphicsContext& context) override;
    // "@endnode\n".
    void write_page_end(HypDocument& doc, uint16_t entry) override;
    // The picture files that could not be written (PictureFailures).
    Outcome end_run() override;

   private:
    // The text converted for the run, and the same passed through stg_quote.
    const std::string& converted(std::string_view raw);
    std::string quoted(std::string_view raw);
    // Converted text with every "@" doubled, as running text needs it.
    void plain_text(std::string_view raw);
    void line(std::string_view text);

    ExportOutput& out_;
    const ExportRun run_;
    SymbolGroups groups_;
    std::string scratch_;
    PictureFailures pictures_;
};

// The link keyword of an entry type in a link command ("link ", "image ", "system ", "rxs ",
// "rx ", "quit"); "link " for types without one of their own.
const char* stg_link_keyword(unsigned entry_type);

// The "@{...}" command for an attribute change from `old_set` to `new_set` (bits 0 to 6): "@{0}"
// when no attribute stays on, else the capital letter of every bit switched on and the small
// letter of every bit switched off, in bit order.
std::string stg_attribute_command(uint8_t old_set, uint8_t new_set);

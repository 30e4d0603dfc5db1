// The HTML form of a hypertext: the writer the page walk calls in Html mode.
#pragma once

#include "export/page_writer.h"

// Declared here with every hook the walk calls; the HTML module defines the members (and adds
// the state it needs: the open page file, the face name of the text font). Until then this
// build has no Html writer: make_page_writer refuses the mode, and nothing constructs this class.
class HtmlWriter : public PageWriter {
   public:
    HtmlWriter();
    ~HtmlWriter() override;

    ExportMode mode() const override { return ExportMode::Html; }
    // Empties first_html_file; keeps the text font's face name for the style sheets.
    void begin_run(HypDocument& doc, const LogFontRecord& text_font) override;
    // Html only remembers the entry (current_toc): the walk has set it already.
    void write_toc(HypDocument& doc, uint16_t toc) override;
    // The image's BMP file beside the pages.
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
};

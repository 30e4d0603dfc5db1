// The plain-text form of a page: its text, headings framed in "#", links with optional markers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "render/page_writer.h"

// Widest heading frame, in columns. A heading is built for the document's line_width, but a
// width above this (only a damaged EXT_WIDTH gives one; 0x00, 0x4B reads as 19200) is taken
// as this width: the frame never grows beyond a line of 254 characters, and a title too long
// for it gets the short form "# title #", which is never cut.
constexpr unsigned MAX_HEADING_WIDTH = 254;

// The heading line for a title (already converted), without its line end. With the title's
// length L and the width W (line_width, at most MAX_HEADING_WIDTH): "# title #" when
// L + 4 >= W; otherwise (W - L - 2) / 2 "#", a blank, the title, a blank, and "#" up to W
// characters. A title in UTF-8 (`utf8`) counts its characters, not its bytes.
std::string text_heading_line(std::string_view title, unsigned line_width, bool utf8 = false);

class ExportOutput;

// Writes the Text form. Every text is converted with conversion_index; links are framed by
// `inlink` and `outlink` when the run's `alllinks` is set; attributes, graphics, pictures,
// cross references, tree records and data blocks write nothing.
class TextWriter : public PageWriter {
   public:
    explicit TextWriter(ExportOutput& output) : out_(output) {}

    ExportMode mode() const override { return ExportMode::Text; }
    // The first heading of a page carries its title when the page opens with one, else the
    // page's name.
    bool write_page_head(HypDocument& doc, uint16_t entry, const std::string* title,
                         uint16_t last_node_index) override;
    // Every later title writes another heading.
    void write_title(HypDocument& doc, const std::string& title) override;
    void write_text(const char* bytes, size_t length) override;
    void write_special(char c) override;
    void write_literal_escape() override;
    void write_line_end() override;
    void write_link(HypDocument& doc, const PageLink& link) override;

   private:
    void heading(const HypDocument& doc, std::string_view raw_title);
    void converted(const char* bytes, size_t length);
    // A link marker: the user's own character, in the Windows set.
    void marker(char c);

    ExportOutput& out_;
    std::string scratch_;
};

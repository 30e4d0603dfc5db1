// A page's text lines as the page copy writes them, cell by cell, for selecting parts of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HypDocument;

// One text line of a page. A cell is one column of the screen: one stored byte of text, of a
// link's text or a literal ESC. Each cell maps to the bytes the page copy writes for it (one
// byte in the byte sets, one to four in UTF-8); a link's markers belong to its first and last
// cell. Pictures and line graphics have no cells.
struct PageTextLine {
    std::string stored;  // one byte per cell, in the hypertext's set
    std::string text;    // the line as the page copy writes it, without its line end
    // starts[c]: offset in `text` of cell c's bytes; one entry more than cells, text.size().
    std::vector<uint32_t> starts{0};
    // Cells up to and including the last one whose bytes are not all blanks: the trailing
    // blanks from here on are never copied.
    uint32_t content_cells = 0;

    uint32_t cells() const { return static_cast<uint32_t>(stored.size()); }
    // The bytes of cells [first, end) (clamped to the line's cells).
    std::string cell_text(uint32_t first, uint32_t end) const;
};

// The text lines of one page in one target set.
struct PageText {
    unsigned source_charset = 0;      // the hypertext's set (what `stored` is in)
    std::vector<PageTextLine> lines;  // text line t of the page at index t
    std::string page_copy;            // the whole page exactly as the page copy writes it
};

// Walks page `page` of `doc` in Text mode as the page copy does (copy_page_text: its run for
// `target`, its headings and link markers) and collects its text lines. False, with `text`
// empty, when the page is not in the document.
bool collect_page_text(HypDocument& doc, uint16_t page, unsigned target, PageText& text);

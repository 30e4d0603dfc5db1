// The text of one page as the copy command puts it on the clipboard.
#pragma once

#include <cstdint>
#include <string>

#include "export/export_run.h"

struct HypDocument;
class ExportOutput;

// The run a page copy writes with: the Text form, links framed when alllinks_txt is set,
// converted from the document's set to `target`.
ExportRun page_copy_run(const HypDocument& doc, unsigned target);

// Walks page `page` of `doc` in Text mode into `output`: a heading with the page's name (or its
// first title), the text with CR LF line ends, links framed by inlink and outlink when
// alllinks_txt is set, converted from the document's set to `target` (a char_conv value; the
// clipboard uses char_conv itself). Returns false, writing nothing, when the page is not in the
// document.
bool copy_page_text(HypDocument& doc, uint16_t page, unsigned target, ExportOutput& output);

// The same appended to a string (what `text` held stays before it).
bool copy_page_text(HypDocument& doc, uint16_t page, unsigned target, std::string& text);

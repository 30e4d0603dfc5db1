// A page's text lines as the page copy writes them, cell by cell, for selecting parts of them.
#include "app/page_text_cells.h"

#include <algorithm>
#include <string_view>

#include "app/page_copy.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "hyp/document.h"
#include "render/page_walk.h"

std::string PageTextLine::cell_text(uint32_t first, uint32_t end) const {
    end = std::min(end, cells());
    if (first >= end) return std::string();
    return text.substr(starts[first], starts[end] - starts[first]);
}

namespace {

// Hands every call of the Text walk to the page copy's own writer, so that `page_copy` grows
// exactly as the copy would, and files the bytes each call added under the cells of the line
// being written. Headings (the page's head and later titles) are written but belong to no line.
class CellCollector : public PageWriter {
   public:
    CellCollector(PageText& text, const ExportRun& run)
        : text_(text),
          output_(&text.page_copy),
          copy_(output_, run),
          probe_output_(&probe_text_),
          probe_(probe_output_, run) {}

    ExportMode mode() const override { return ExportMode::Text; }

    bool write_page_head(HypDocument& doc, uint16_t entry, const std::string* title,
                         uint16_t last_node_index) override {
        return copy_.write_page_head(doc, entry, title, last_node_index);
    }
    void write_title(HypDocument& doc, const std::string& title) override {
        copy_.write_title(doc, title);
    }
    void write_text(const char* bytes, size_t length) override {
        for (size_t i = 0; i < length; ++i) {
            const size_t before = text_.page_copy.size();
            copy_.write_text(bytes + i, 1);
            add_cell(bytes[i], written_since(before));
        }
    }
    void write_special(char c) override {
        const size_t before = text_.page_copy.size();
        copy_.write_special(c);
        add_cell(c, written_since(before));
    }
    void write_literal_escape() override {
        const size_t before = text_.page_copy.size();
        copy_.write_literal_escape();
        add_cell('\x1B', written_since(before));
    }
    void write_line_end() override {
        copy_.write_line_end();
        finish_line();
    }
    void write_link(HypDocument& doc, const PageLink& link) override;

    // A last line the walk did not end (a sequence cut off by the page's end) still counts.
    void finish() {
        if (line_.cells() != 0 || !line_.text.empty()) finish_line();
    }

   private:
    std::string_view written_since(size_t before) const {
        return std::string_view(text_.page_copy).substr(before);
    }

    void add_cell(char stored, std::string_view bytes) {
        line_.stored.push_back(stored);
        line_.text.append(bytes);
        line_.starts.push_back(static_cast<uint32_t>(line_.text.size()));
    }

    // Bytes that belong to the cell before them (a link's closing marker); on a line without
    // cells yet they go to its first cell.
    void append_to_last(std::string_view bytes) {
        line_.text.append(bytes);
        if (line_.cells() != 0) line_.starts.back() = static_cast<uint32_t>(line_.text.size());
    }

    void finish_line() {
        uint32_t content = line_.cells();
        while (content > 0) {
            const std::string_view cell(line_.text.data() + line_.starts[content - 1],
                                        line_.starts[content] - line_.starts[content - 1]);
            if (cell.find_first_not_of(' ') != std::string_view::npos) break;
            --content;
        }
        line_.content_cells = content;
        text_.lines.push_back(std::move(line_));
        line_ = PageTextLine();
    }

    PageText& text_;
    PageTextLine line_;
    ExportOutput output_;
    TextWriter copy_;
    // The same writer on a scratch string: what it writes for a link's parts alone.
    std::string probe_text_;
    ExportOutput probe_output_;
    TextWriter probe_;
};

void CellCollector::write_link(HypDocument& doc, const PageLink& link) {
    const size_t before = text_.page_copy.size();
    copy_.write_link(doc, link);
    const std::string_view written = written_since(before);

    // Each cell of the link text as the writer converts a text byte, and the markers alone.
    std::vector<std::string> cells;
    cells.reserve(link.text.size());
    for (char c : link.text) {
        probe_text_.clear();
        probe_.write_text(&c, 1);
        cells.push_back(probe_text_);
    }
    PageLink bare = link;
    bare.text = std::string_view();
    probe_text_.clear();
    probe_.write_link(doc, bare);
    const std::string markers = probe_text_;
    std::string body;
    for (const std::string& cell : cells) body += cell;

    // The written link is the opening marker, the body and the closing marker.
    size_t opening = std::string::npos;
    if (written.size() == markers.size() + body.size()) {
        for (size_t k = 0; k <= markers.size(); ++k) {
            if (written.substr(0, k) == std::string_view(markers).substr(0, k) &&
                written.substr(k, body.size()) == body &&
                written.substr(k + body.size()) == std::string_view(markers).substr(k)) {
                opening = k;
                break;
            }
        }
    }
    if (cells.empty() || opening == std::string::npos) {
        // Nothing to split it over (or a writer that wrote something else): the bytes stay
        // whole, with the cells of the link empty after the first.
        if (cells.empty()) {
            append_to_last(written);
            return;
        }
        add_cell(link.text[0], written);
        for (size_t i = 1; i < cells.size(); ++i) add_cell(link.text[i], std::string_view());
        return;
    }
    add_cell(link.text[0], markers.substr(0, opening) + cells[0]);
    for (size_t i = 1; i < cells.size(); ++i) add_cell(link.text[i], cells[i]);
    append_to_last(std::string_view(markers).substr(opening));
}

}  // namespace

bool collect_page_text(HypDocument& doc, uint16_t page, unsigned target, PageText& text) {
    text = PageText();
    if (page >= doc.index.size()) return false;
    text.source_charset = doc.source_charset;
    CellCollector collector(text, page_copy_run(doc, target));
    interpret_page(PageWalkArgs::text(doc, page, collector));
    collector.finish();
    return true;
}

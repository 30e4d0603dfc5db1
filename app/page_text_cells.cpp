// A page's text lines as the page copy writes them, cell by cell, for selecting parts of them.
#include "app/page_text_cells.h"

#include <algorithm>
#include <string_view>

#include "app/page_copy.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"

std::string PageTextLine::cell_text(uint32_t first, uint32_t end) const {
    end = std::min(end, cells());
    if (first >= end) return std::string();
    return text.substr(starts[first], starts[end] - starts[first]);
}

namespace {

// Where each of `cells` cells ends in `written`, the bytes a writer gave for that many stored
// bytes: one byte each in the byte sets, one UTF-8 sequence each in UTF-8. False when the bytes
// do not split so.
bool split_cells(std::string_view written, size_t cells, std::vector<uint32_t>& ends) {
    ends.clear();
    if (written.size() == cells) {
        for (size_t i = 1; i <= cells; ++i) ends.push_back(static_cast<uint32_t>(i));
        return true;
    }
    size_t at = 0;
    while (at < written.size() && ends.size() < cells) {
        at = std::min(at + utf8_sequence_length(static_cast<unsigned char>(written[at])),
                      written.size());
        ends.push_back(static_cast<uint32_t>(at));
    }
    return ends.size() == cells && at == written.size();
}

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
        const size_t before = text_.page_copy.size();
        copy_.write_text(bytes, length);
        add_cells(std::string_view(bytes, length), written_since(before));
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

    // Cells `stored`, written as `written` (bytes that stay put while the cells are added).
    void add_cells(std::string_view stored, std::string_view written) {
        if (stored.empty()) {
            append_to_last(written);
            return;
        }
        if (!split_cells(written, stored.size(), ends_)) {
            // A writer that wrote something else: the bytes stay whole, in the first cell.
            ends_.assign(stored.size(), static_cast<uint32_t>(written.size()));
        }
        uint32_t from = 0;
        for (size_t i = 0; i < stored.size(); ++i) {
            add_cell(stored[i], written.substr(from, ends_[i] - from));
            from = ends_[i];
        }
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
    std::vector<uint32_t> ends_;
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

    // The link text as the writer converts text, and the markers alone.
    probe_text_.clear();
    probe_.write_text(link.text.data(), link.text.size());
    const std::string body = probe_text_;
    PageLink bare = link;
    bare.text = std::string_view();
    probe_text_.clear();
    probe_.write_link(doc, bare);
    const std::string_view markers = probe_text_;

    // The written link is the opening marker, the body and the closing marker.
    size_t opening = std::string::npos;
    if (written.size() == markers.size() + body.size()) {
        for (size_t k = 0; k <= markers.size(); ++k) {
            if (written.substr(0, k) == markers.substr(0, k) &&
                written.substr(k, body.size()) == body &&
                written.substr(k + body.size()) == markers.substr(k)) {
                opening = k;
                break;
            }
        }
    }
    if (link.text.empty() || opening == std::string::npos ||
        !split_cells(body, link.text.size(), ends_)) {
        add_cells(link.text, written);
        return;
    }
    // The opening marker goes with the first cell, the closing one with the last.
    add_cell(link.text[0], written.substr(0, opening + ends_[0]));
    for (size_t i = 1; i < link.text.size(); ++i) {
        add_cell(link.text[i],
                 std::string_view(body).substr(ends_[i - 1], ends_[i] - ends_[i - 1]));
    }
    append_to_last(written.substr(opening + body.size()));
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

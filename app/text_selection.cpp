// Selecting text on the shown page: from a point to a character, words and lines, the selection
// and its text, the cells it highlights and how far a drag beyond the page area scrolls.
#include "app/text_selection.h"

#include <algorithm>
#include <climits>

#include "hyp/charset.h"

namespace {

// Floor of a / b for a positive b (pixels left of or above the page give negative cells).
int64_t floor_div(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int32_t clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t line_count(const PageText& text) {
    return static_cast<int32_t>(std::min<size_t>(text.lines.size(), INT32_MAX));
}

int32_t cells_of(const PageText& text, int32_t line) {
    return static_cast<int32_t>(text.lines[static_cast<size_t>(line)].cells());
}

// Characters a double-click takes together.
enum class CellKind { Word, Blank, Other };

CellKind kind_of(const PageText& text, const PageTextLine& line, int32_t column) {
    const uint8_t byte = static_cast<uint8_t>(line.stored[static_cast<size_t>(column)]);
    if (byte == ' ') return CellKind::Blank;
    return is_word_byte(text.source_charset, byte) ? CellKind::Word : CellKind::Other;
}

// A Unicode letter of the scripts the hypertext sets hold: Latin (with the national letters of
// Latin-1 and Latin Extended, and the IPA schwa of the Atari set), Greek and Hebrew, and the
// Latin ligatures of the Macintosh set.
bool is_letter(char32_t u) {
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return true;
    if (u == 0xAA || u == 0xB5 || u == 0xBA) return true;           // ª µ º
    if (u >= 0xC0 && u <= 0xFF) return u != 0xD7 && u != 0xF7;      // not × ÷
    if (u >= 0x100 && u <= 0x2AF) return true;                      // Latin Extended, IPA
    if (u >= 0x386 && u <= 0x3FF) return u != 0x387 && u != 0x3F6;  // Greek, not its marks
    if (u >= 0x5D0 && u <= 0x5EA) return true;                      // Hebrew
    return u >= 0xFB00 && u <= 0xFB06;                              // ﬁ ﬂ...
}

// Columns [first, end) of `line` inside the selection, up to its last character that is not
// a blank; first >= end when none.
CellRange selected_cells(const PageText& text, const TextSelection& selection, int32_t line) {
    const TextPosition first = selection.first();
    const TextPosition last = selection.last();
    const PageTextLine& cells = text.lines[static_cast<size_t>(line)];
    CellRange range;
    range.first = line == first.line ? std::max(first.column, 0) : 0;
    range.end = line == last.line ? last.column : static_cast<int32_t>(cells.cells());
    range.end = std::min(range.end, static_cast<int32_t>(cells.content_cells));
    return range;
}

}  // namespace

int64_t display_line_of(const DisplayLines& display, int32_t line) {
    if (display.empty()) return line;
    if (line < 0) return int64_t{display.front()} + line;
    if (static_cast<size_t>(line) < display.size()) return display[static_cast<size_t>(line)];
    return int64_t{display.back()} + (int64_t{line} - static_cast<int64_t>(display.size() - 1));
}

TextHit hit_text(const PageText& text, const DisplayLines& display, const SelectionView& view,
                 int32_t x, int32_t y) {
    const int64_t cell_width = std::max(view.cell_width, 1);
    const int64_t line_height = std::max(view.line_height, 1);
    const int64_t d = floor_div(y, line_height) + view.scroll_line;
    const int64_t page_x = x + (int64_t{view.scroll_column} - view.margin_columns) * cell_width;
    // The nearest gap rounds half a cell up; the cell under the point is the one it lies in.
    const int64_t gap = floor_div(2 * page_x + cell_width, 2 * cell_width);
    const int64_t under = floor_div(page_x, cell_width);

    TextHit hit;
    const int32_t lines = line_count(text);
    if (lines == 0 || d < display_line_of(display, 0)) {
        hit.cell.column = lines == 0 ? 0 : clamp32(under);
        return hit;  // the page's start
    }
    // The last text line at or above display line d (display lines only grow with text lines).
    int32_t low = 0;
    int32_t high = lines - 1;
    while (low < high) {
        const int32_t mid = low + (high - low + 1) / 2;
        if (display_line_of(display, mid) <= d) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    const int32_t line = low;
    if (display_line_of(display, line) == d) {
        const int32_t cells = cells_of(text, line);
        hit.boundary = {line, static_cast<int32_t>(std::clamp<int64_t>(gap, 0, cells))};
        hit.cell = {line, clamp32(under)};
        hit.on_text =
            under >= 0 && under < int64_t{text.lines[static_cast<size_t>(line)].content_cells};
        return hit;
    }
    // Below the last line, or on lines a picture reserves above the next one.
    hit.boundary =
        line == lines - 1 ? TextPosition{line, cells_of(text, line)} : TextPosition{line + 1, 0};
    hit.cell = hit.boundary;
    return hit;
}

bool is_word_byte(unsigned source_charset, uint8_t byte) {
    if (byte == '_' || (byte >= '0' && byte <= '9')) return true;
    // Bytes below 0x20 are the system font's symbols (arrows, segmented digits), not letters.
    if (byte < 0x20) return false;
    return is_letter(source_to_unicode(source_charset, byte));
}

CellRange word_bounds(const PageText& text, TextPosition cell) {
    if (cell.line < 0 || cell.line >= line_count(text)) return {};
    const PageTextLine& line = text.lines[static_cast<size_t>(cell.line)];
    const int32_t cells = static_cast<int32_t>(line.cells());
    if (cell.column < 0 || cell.column >= cells) {
        const int32_t at = std::clamp(cell.column, 0, cells);
        return {at, at};
    }
    const CellKind kind = kind_of(text, line, cell.column);
    CellRange range{cell.column, cell.column + 1};
    if (kind == CellKind::Other) return range;
    while (range.first > 0 && kind_of(text, line, range.first - 1) == kind) --range.first;
    while (range.end < cells && kind_of(text, line, range.end) == kind) ++range.end;
    return range;
}

CellRange line_bounds(const PageText& text, int32_t line) {
    if (line < 0 || line >= line_count(text)) return {};
    return {0, cells_of(text, line)};
}

void TextSelection::start(TextPosition at) {
    anchor_ = active_ = at;
    whole_page_ = false;
}

void TextSelection::extend(TextPosition to) {
    active_ = to;
    whole_page_ = false;
}

void TextSelection::select(TextPosition from, TextPosition to) {
    anchor_ = from;
    active_ = to;
    whole_page_ = false;
}

void TextSelection::select_all(const PageText& text) {
    const int32_t lines = line_count(text);
    anchor_ = {0, 0};
    active_ = lines == 0 ? TextPosition{} : TextPosition{lines - 1, cells_of(text, lines - 1)};
    whole_page_ = true;
}

std::string selected_text(const PageText& text, const TextSelection& selection) {
    if (selection.whole_page()) return text.page_copy;
    if (selection.empty()) return std::string();
    const int32_t lines = line_count(text);
    const int32_t from = std::max(selection.first().line, 0);
    const int32_t to = std::min(selection.last().line, lines - 1);
    std::string result;
    for (int32_t line = from; line <= to; ++line) {
        const CellRange cells = selected_cells(text, selection, line);
        if (cells.first < cells.end) {
            result += text.lines[static_cast<size_t>(line)].cell_text(
                static_cast<uint32_t>(cells.first), static_cast<uint32_t>(cells.end));
        }
        if (line < selection.last().line) result += "\r\n";
    }
    return result;
}

std::vector<HighlightRun> highlight_runs(const PageText& text, const DisplayLines& display,
                                         const TextSelection& selection,
                                         const SelectionView& view) {
    std::vector<HighlightRun> runs;
    if (selection.empty()) return runs;
    const int64_t line_height = std::max(view.line_height, 1);
    const int64_t top = view.scroll_line;
    // The last display line with a pixel in the page area.
    const int64_t bottom = top + (std::max(view.height, 0) + line_height - 1) / line_height - 1;
    const int32_t from = std::max(selection.first().line, 0);
    const int32_t to = std::min(selection.last().line, line_count(text) - 1);
    for (int32_t line = from; line <= to; ++line) {
        const int64_t d = display_line_of(display, line);
        if (d < top) continue;
        if (d > bottom) break;  // display lines only grow with text lines
        const CellRange cells = selected_cells(text, selection, line);
        if (cells.first < cells.end) runs.push_back({clamp32(d), cells.first, cells.end});
    }
    return runs;
}

DeviceRect highlight_rect(const HighlightRun& run, const SelectionView& view) {
    const int64_t left_cells = int64_t{view.margin_columns} - view.scroll_column;
    DeviceRect rect;
    rect.left = clamp32((left_cells + run.first) * view.cell_width);
    rect.right = clamp32((left_cells + run.end) * view.cell_width);
    rect.top = clamp32((int64_t{run.display_line} - view.scroll_line) * view.line_height);
    rect.bottom = clamp32(int64_t{rect.top} + view.line_height);
    return rect;
}

namespace {

// Steps along one axis for a pointer at `at` of an area `size` pixels long measured in `unit`.
int32_t edge_steps(int64_t at, int64_t size, int64_t unit) {
    if (size <= 0) return 0;
    const int64_t band = std::max<int64_t>(unit / 4, 1);
    const int64_t fastest = std::max<int64_t>(size / unit, 1);
    int64_t beyond = 0;  // pixels outside the area (0 inside the band)
    int sign = 0;
    if (at < band) {
        sign = -1;
        beyond = std::max<int64_t>(-at, 0);
    } else if (at >= size - band) {
        sign = 1;
        beyond = std::max<int64_t>(at - (size - 1), 0);
    } else {
        return 0;
    }
    return static_cast<int32_t>(sign * std::min(1 + beyond / unit, fastest));
}

}  // namespace

DragScroll drag_scroll(const SelectionView& view, int32_t x, int32_t y) {
    DragScroll scroll;
    scroll.columns = edge_steps(x, view.width, std::max(view.cell_width, 1));
    scroll.lines = edge_steps(y, view.height, std::max(view.line_height, 1));
    return scroll;
}

// Selecting text on the shown page: from a point to a character, words and lines, the selection
// and its text, the cells it highlights and how far a drag beyond the page area scrolls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/page_text_cells.h"
#include "render/device.h"

// A place between two cells: before cell `column` of text line `line` (column == the line's
// cells: after its last cell). Ordered in reading order.
struct TextPosition {
    int32_t line = 0;
    int32_t column = 0;

    bool operator==(const TextPosition& o) const { return line == o.line && column == o.column; }
    bool operator!=(const TextPosition& o) const { return !(*this == o); }
    bool operator<(const TextPosition& o) const {
        return line < o.line || (line == o.line && column < o.column);
    }
};

// Where the page lies in the page area. Every position is column x cell_width and display line x
// line_height, in whichever font a run is drawn (ScreenMetrics).
struct SelectionView {
    int32_t cell_width = 1;      // pixels
    int32_t line_height = 1;     // pixels
    int32_t scroll_column = 0;   // horizontal scroll position, in cells
    int32_t scroll_line = 0;     // vertical scroll position, in display lines
    int32_t margin_columns = 1;  // cells left of column 0 (the screen's margin)
    int32_t width = 0;           // the page area, in pixels
    int32_t height = 0;
};

// Display line of every text line: the screen walk's text_line_display (entry t for text line
// t). Lines beyond it (a walk that has not run, or one cut short) follow the last entry one
// display line each; an empty map is a page without reserved lines.
using DisplayLines = std::vector<uint32_t>;

// The display line text line `line` is drawn at.
int64_t display_line_of(const DisplayLines& display, int32_t line);

// What lies under a point of the page area.
struct TextHit {
    TextPosition boundary;  // the nearest place between cells: where a selection's end goes
    TextPosition cell;      // the cell under the point (column may lie beyond the line's cells)
    // The point is on a cell of a text line that holds a character other than a blank: the
    // pointer shows the I-beam there.
    bool on_text = false;
};

// The text under client point (x, y) of the page area. A point on lines a picture reserves
// goes to the start of the text line below them; a point below the last line to the end of
// the last line, above the first line or on a page without text to its start.
TextHit hit_text(const PageText& text, const DisplayLines& display, const SelectionView& view,
                 int32_t x, int32_t y);

// Whether stored byte `byte` of set `source_charset` is part of a word: letters (national
// letters, Greek and Hebrew included), digits and the underscore.
bool is_word_byte(unsigned source_charset, uint8_t byte);

// Cells [first, end) of one line.
struct CellRange {
    int32_t first = 0;
    int32_t end = 0;
};

// What a double-click on cell `cell` selects: the run of word characters around it, or the run
// of blanks, or that one other character; nothing (first == end) beyond the line's cells.
CellRange word_bounds(const PageText& text, TextPosition cell);
// What a triple-click on a line selects: all its cells.
CellRange line_bounds(const PageText& text, int32_t line);

// The selection: an anchor where it started and an active end that follows the pointer, in
// either order. Empty while both are the same place.
class TextSelection {
   public:
    bool empty() const { return !whole_page_ && anchor_ == active_; }
    // Pressed somewhere: nothing is selected yet, a drag or Shift+click extends from here.
    void start(TextPosition at);
    // The active end moves (a drag, Shift+click); the anchor stays.
    void extend(TextPosition to);
    // Anchor `from`, active end `to` (a word, a line, a find).
    void select(TextPosition from, TextPosition to);
    // Every cell of every line; its text is the page copy itself.
    void select_all(const PageText& text);
    void clear() { start(TextPosition()); }

    TextPosition anchor() const { return anchor_; }
    TextPosition active_end() const { return active_; }
    // The two ends in reading order.
    TextPosition first() const { return active_ < anchor_ ? active_ : anchor_; }
    TextPosition last() const { return active_ < anchor_ ? anchor_ : active_; }
    bool whole_page() const { return whole_page_; }

   private:
    TextPosition anchor_;
    TextPosition active_;
    bool whole_page_ = false;
};

// The selected text as the page copy writes it: from each line its selected cells up to its
// last character that is not a blank, lines joined by CR LF (after the last line only when the
// selection goes on to the start of the next). A whole-page selection gives the page copy.
std::string selected_text(const PageText& text, const TextSelection& selection);

// Cells of one display line to draw highlighted: page columns [first, end).
struct HighlightRun {
    int32_t display_line = 0;
    int32_t first = 0;
    int32_t end = 0;
};

// The highlighted cells on the display lines the view shows (a partly visible last line
// included): the selected cells a copy takes, nothing for trailing blanks.
std::vector<HighlightRun> highlight_runs(const PageText& text, const DisplayLines& display,
                                         const TextSelection& selection, const SelectionView& view);

// A run's rectangle in the page area's pixels.
DeviceRect highlight_rect(const HighlightRun& run, const SelectionView& view);

// How far one step of a drag's scrolling moves: cells and display lines, negative towards the
// page's start.
struct DragScroll {
    int32_t columns = 0;
    int32_t lines = 0;
};

// The scrolling of one step while a drag holds the pointer at (x, y): none inside the page area
// away from its edges; within a quarter of a line (of a cell) of an edge one line (cell); beyond
// it one more for each further line height (cell width), at most the page area's lines (cells).
DragScroll drag_scroll(const SelectionView& view, int32_t x, int32_t y);

// The main window's text selection: messages become calls of the selection rules.
#include "win32/selection_win32.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "app/text_selection.h"
#include "hyp/charset.h"
#include "settings/settings.h"
#include "win32/document_commands_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

// Milliseconds between two steps of the drag's scrolling.
constexpr UINT DRAG_SCROLL_INTERVAL_MS = 50;
// Cells the screen leaves left of column 0.
constexpr int32_t SCREEN_MARGIN_COLUMNS = 1;

SelectionState& state() {
    return viewer_window().selection;
}

SelectionView selection_view() {
    ViewerWindow& w = viewer_window();
    RECT rc{};
    GetClientRect(w.hwnd, &rc);
    SelectionView v;
    v.cell_width = view_cell_width();
    v.line_height = view_line_height();
    v.scroll_column = w.view.left_column;
    v.scroll_line = w.view.top_line;
    v.margin_columns = SCREEN_MARGIN_COLUMNS;
    v.width = rc.right - rc.left;
    v.height = rc.bottom - rc.top;
    return v;
}

bool page_shown() {
    const int32_t page = viewer_window().view.current_page;
    return page >= 0 && static_cast<std::size_t>(page) < document.index.size();
}

// Whether the cells held are those of the shown page in the clipboard's set.
bool text_current() {
    const ViewerWindow& w = viewer_window();
    return w.selection.text_page == w.view.current_page &&
           w.selection.text_target == settings.char_conv;
}

// The shown page's cells, collected once per page (and again when the clipboard's set
// changed). False when no page is shown.
bool ensure_page_text() {
    ViewerWindow& w = viewer_window();
    SelectionState& s = w.selection;
    if (!page_shown()) return false;
    if (text_current()) return true;
    try {
        collect_page_text(document, static_cast<uint16_t>(w.view.current_page), settings.char_conv,
                          s.text);
    } catch (const std::bad_alloc&) {
        s.text = PageText();
        return false;
    }
    s.text_page = w.view.current_page;
    s.text_target = settings.char_conv;
    return true;
}

const DisplayLines& display_lines() {
    return viewer_window().page_view.kept.text_line_display;
}

TextHit hit_at(POINT point) {
    return hit_text(state().text, display_lines(), selection_view(), point.x, point.y);
}

bool same_selection(const TextSelection& a, const TextSelection& b) {
    if (a.empty() && b.empty()) return true;
    return a.whole_page() == b.whole_page() && a.first() == b.first() && a.last() == b.last();
}

// After the selection may have changed from `before`: the page is drawn again and the page's
// accessible value (the selected text) made anew.
void selection_changed(const TextSelection& before) {
    ViewerWindow& w = viewer_window();
    if (same_selection(before, w.selection.selection)) return;
    w.accessibility.tree_valid = false;
    InvalidateRect(w.hwnd, nullptr, FALSE);
}

bool beyond(POINT a, POINT b, int x_metric, int y_metric) {
    return std::abs(a.x - b.x) > GetSystemMetrics(x_metric) ||
           std::abs(a.y - b.y) > GetSystemMetrics(y_metric);
}

void stop_scrolling() {
    SelectionState& s = state();
    if (!s.scrolling) return;
    KillTimer(viewer_window().hwnd, SELECTION_SCROLL_TIMER);
    s.scrolling = false;
}

// The drag's active end follows the pointer; the timer runs while the pointer asks to scroll.
void drag_to(POINT point) {
    SelectionState& s = state();
    s.drag_point = point;
    const TextSelection before = s.selection;
    s.selection.extend(hit_at(point).boundary);
    selection_changed(before);
    const DragScroll scroll = drag_scroll(selection_view(), point.x, point.y);
    const bool wanted = scroll.lines != 0 || scroll.columns != 0;
    if (wanted && !s.scrolling) {
        s.scrolling = SetTimer(viewer_window().hwnd, SELECTION_SCROLL_TIMER,
                               DRAG_SCROLL_INTERVAL_MS, nullptr) != 0;
    } else if (!wanted) {
        stop_scrolling();
    }
}

// A press of the left button not on a link: a new selection, a word, a line, or Shift's
// extension of the one there is.
void press_on_text(WPARAM keys, POINT point) {
    SelectionState& s = state();
    const TextSelection before = s.selection;
    const TextHit hit = hit_at(point);
    s.selecting = false;
    if ((keys & MK_SHIFT) && s.anchored && s.clicks == 1) {
        s.selection.extend(hit.boundary);
        s.selecting = true;
    } else if (s.clicks == 2) {
        const CellRange word = word_bounds(s.text, hit.cell);
        s.selection.select({hit.cell.line, word.first}, {hit.cell.line, word.end});
    } else if (s.clicks >= 3) {
        const CellRange line = line_bounds(s.text, hit.cell.line);
        s.selection.select({hit.cell.line, line.first}, {hit.cell.line, line.end});
    } else {
        s.selection.start(hit.boundary);
        s.selecting = true;
    }
    s.anchored = true;
    selection_changed(before);
}

// Counts presses in a row: within the double-click time and rectangle of the last one.
void count_press(POINT point) {
    SelectionState& s = state();
    const LONG now = GetMessageTime();
    const bool repeated = s.clicks > 0 &&
                          static_cast<UINT>(now - s.last_press_time) <= GetDoubleClickTime() &&
                          !beyond(point, s.last_press_point, SM_CXDOUBLECLK, SM_CYDOUBLECLK);
    s.clicks = repeated ? std::min(s.clicks + 1, 3) : 1;
    s.last_press_time = now;
    s.last_press_point = point;
}

void drag_scroll_step() {
    ViewerWindow& w = viewer_window();
    SelectionState& s = w.selection;
    if (!s.pressed || !s.selecting) {
        stop_scrolling();
        return;
    }
    // Where the pointer was last seen: held still beyond the edge, it keeps scrolling.
    const POINT point = s.drag_point;
    const DragScroll scroll = drag_scroll(selection_view(), point.x, point.y);
    const ViewState& v = w.view;
    // Each step stays inside the scroll ranges, as scroll_view_by wants it.
    const int32_t lines =
        std::min(std::max(scroll.lines, -v.top_line), std::max(v.max_top_line - v.top_line, 0));
    const int32_t columns = std::min(std::max(scroll.columns, -v.left_column),
                                     std::max(v.max_left_column - v.left_column, 0));
    if (lines != 0) scroll_view_by(SB_VERT, lines);
    if (columns != 0) scroll_view_by(SB_HORZ, columns);
    drag_to(point);
}

// The search's find on the shown page as a selection; empty when there is none.
TextSelection shown_find() {
    ViewerWindow& w = viewer_window();
    TextSelection find;
    const TextSpan span = w.search ? w.search->highlight(w.view.current_page) : TextSpan{};
    if (span.line >= 0) {
        find.select({span.line, static_cast<int32_t>(span.first)},
                    {span.line, static_cast<int32_t>(span.end)});
    }
    return find;
}

// Cells of `runs` drawn in the highlight colours over what is drawn in `dc` on `background`:
// the background pixels become the highlight, everything drawn on them (text, underlines, the
// link colour) the highlight's text colour, through a monochrome mask of the background.
void highlight_cells(HDC dc, const RECT& area, COLORREF background,
                     const std::vector<HighlightRun>& runs, const SelectionView& view) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (runs.empty() || width <= 0 || height <= 0) return;
    HDC mask_dc = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (mask_dc == nullptr || mask == nullptr) {
        if (mask) DeleteObject(mask);
        if (mask_dc) DeleteDC(mask_dc);
        return;
    }
    HGDIOBJ old_mask = SelectObject(mask_dc, mask);
    const COLORREF old_background = GetBkColor(dc);
    const COLORREF old_text = GetTextColor(dc);
    for (const HighlightRun& run : runs) {
        const DeviceRect at = highlight_rect(run, view);
        const RECT cells{at.left, at.top, at.right, at.bottom};
        RECT part{};
        if (!IntersectRect(&part, &cells, &area)) continue;
        const int x = part.left - area.left;
        const int y = part.top - area.top;
        const int cx = part.right - part.left;
        const int cy = part.bottom - part.top;
        // Colour to monochrome: the background's pixels become 1, all others 0.
        SetBkColor(dc, background);
        BitBlt(mask_dc, x, y, cx, cy, dc, part.left, part.top, SRCCOPY);
        // Monochrome to colour: 1 takes the background colour, 0 the text colour.
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        BitBlt(dc, part.left, part.top, cx, cy, mask_dc, x, y, SRCCOPY);
    }
    SetBkColor(dc, old_background);
    SetTextColor(dc, old_text);
    SelectObject(mask_dc, old_mask);
    DeleteObject(mask);
    DeleteDC(mask_dc);
}

}  // namespace

bool selection_mouse(UINT message, WPARAM keys, POINT point, bool on_link) {
    ViewerWindow& w = viewer_window();
    SelectionState& s = w.selection;
    switch (message) {
        case WM_LBUTTONDOWN: {
            if (!ensure_page_text()) return false;
            count_press(point);
            SetCapture(w.hwnd);
            s.pressed = true;
            s.press_point = point;
            s.press_on_link = on_link;
            s.selecting = false;
            if (on_link) return false;  // the link's pressed cursor; its click follows it
            press_on_text(keys, point);
            SetCursor(LoadCursor(nullptr, IDC_IBEAM));
            return true;
        }
        case WM_MOUSEMOVE: {
            if (!s.pressed || !(keys & MK_LBUTTON)) return false;
            if (s.press_on_link && !s.selecting) {
                if (!beyond(point, s.press_point, SM_CXDRAG, SM_CYDRAG)) return false;
                // Moved too far for a click: the drag selects from where it was pressed.
                const TextSelection before = s.selection;
                s.selection.start(hit_at(s.press_point).boundary);
                s.anchored = true;
                selection_changed(before);
                s.selecting = true;
            }
            if (s.selecting) drag_to(point);
            SetCursor(LoadCursor(nullptr, IDC_IBEAM));
            return true;
        }
        case WM_LBUTTONUP: {
            if (!s.pressed) return false;
            s.pressed = false;
            stop_scrolling();
            if (GetCapture() == w.hwnd) ReleaseCapture();
            // A press on a link that did not become a drag: the link's click.
            if (s.press_on_link && !s.selecting) return false;
            s.selecting = false;
            return true;
        }
        default:
            return false;
    }
}

void selection_capture_lost(HWND taker) {
    ViewerWindow& w = viewer_window();
    SelectionState& s = w.selection;
    if (taker == w.hwnd || !s.pressed) return;
    s.pressed = false;
    s.selecting = false;
    stop_scrolling();
}

bool set_text_cursor(POINT point) {
    ViewerWindow& w = viewer_window();
    if (!page_shown()) return false;
    if (!text_current()) {
        // Collected once the window is idle: showing a page does not wait for its cells.
        SetTimer(w.hwnd, SELECTION_TEXT_TIMER, USER_TIMER_MINIMUM, nullptr);
        return false;
    }
    RECT rc{};
    GetClientRect(w.hwnd, &rc);
    if (!PtInRect(&rc, point) || !hit_at(point).on_text) return false;
    SetCursor(LoadCursor(nullptr, IDC_IBEAM));
    return true;
}

bool selection_timer(UINT_PTR id) {
    ViewerWindow& w = viewer_window();
    if (id == SELECTION_SCROLL_TIMER) {
        drag_scroll_step();
        return true;
    }
    if (id != SELECTION_TEXT_TIMER) return false;
    KillTimer(w.hwnd, SELECTION_TEXT_TIMER);
    if (!ensure_page_text()) return true;
    // The pointer's shape now that the text is known, when the pointer is over the page.
    POINT cursor;
    GetCursorPos(&cursor);
    if (WindowFromPoint(cursor) != w.hwnd) return true;
    ScreenToClient(w.hwnd, &cursor);
    SendMessageA(w.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    return true;
}

bool find_drawn_inverted() {
    return !viewer_window().accessibility.high_contrast;
}

void paint_selection(HDC dc, const RECT& area, COLORREF background) {
    const SelectionState& s = state();
    const SelectionView view = selection_view();
    const TextSelection find = shown_find();
    const bool selected = !s.selection.empty() && text_current();
    const bool find_selected = selected && same_selection(find, s.selection);
    std::vector<HighlightRun> runs;
    // Outside high contrast the walk inverted the find: a selection that is the find stays so.
    if (selected && !(find_selected && find_drawn_inverted())) {
        runs = highlight_runs(s.text, display_lines(), s.selection, view);
    }
    // In high contrast the find takes the highlight colours, selected or not.
    if (!find.empty() && !find_selected && !find_drawn_inverted() && ensure_page_text()) {
        const std::vector<HighlightRun> found = highlight_runs(s.text, display_lines(), find, view);
        runs.insert(runs.end(), found.begin(), found.end());
    }
    highlight_cells(dc, area, background, runs, view);
}

void end_selection() {
    ViewerWindow& w = viewer_window();
    SelectionState& s = w.selection;
    stop_scrolling();
    if (s.pressed && GetCapture() == w.hwnd) ReleaseCapture();
    s.selection.clear();
    s.pressed = false;
    s.selecting = false;
    s.press_on_link = false;
    s.anchored = false;
    s.clicks = 0;
    s.text_page = -1;
    s.text = PageText();
    w.accessibility.tree_valid = false;
}

void select_all_command() {
    if (!ensure_page_text()) return;
    const TextSelection before = state().selection;
    state().selection.select_all(state().text);
    selection_changed(before);
}

bool selected_text_utf8(std::string& utf8) {
    ViewerWindow& w = viewer_window();
    const SelectionState& s = w.selection;
    if (s.selection.empty() || !text_current()) return false;
    PageText unicode;
    if (!collect_page_text(document, static_cast<uint16_t>(s.text_page), TARGET_UTF8, unicode))
        return false;
    utf8 = selected_text(unicode, s.selection);
    return true;
}

void copy_command() {
    ViewerWindow& w = viewer_window();
    const SelectionState& s = w.selection;
    // The whole page is the page copy itself.
    if (s.selection.empty() || !text_current() || s.selection.whole_page()) {
        copy_page_command();
        return;
    }
    std::string text;
    std::string utf8;  // the same cells for CF_UNICODETEXT: a walk of its own, only when copying
    try {
        text = selected_text(s.text, s.selection);
        selected_text_utf8(utf8);
    } catch (const std::bad_alloc&) {
        show_message(w.hwnd, COPY_TEMP_FAILED);
        return;
    }
    put_text_on_clipboard(text, utf8);
}

void select_shown_find() {
    const TextSelection find = shown_find();
    if (find.empty() || !ensure_page_text()) return;
    const TextSelection before = state().selection;
    state().selection = find;
    state().anchored = true;
    selection_changed(before);
}

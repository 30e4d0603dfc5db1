// The viewer's search: the "Suchen" dialog, "Weitersuchen", the result list and the shown find.
#include "win32/search_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/search.h"
#include "app/shelf.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "win32/main_window_win32.h"
#include "win32/navigation_win32.h"
#include "win32/popup_window_win32.h"
#include "win32/viewer_win32.h"

namespace {

// Longest search text the dialog takes, in characters.
constexpr int kMaxSearchText = 255;

// A search running this long (milliseconds) shows the wait cursor and listens for Esc.
constexpr DWORD kPatientSearchMs = 500;
// How often a long search looks at the keys, in milliseconds: Esc is seen at once to the eye,
// and the look costs nothing beside the pages read in between.
constexpr DWORD kKeyLookMs = 50;

// Where the dialog's radio buttons send the search.
enum class SearchWhere { ThisPage, AllPages, AllFiles };

// What the session remembers: the last text and options, and the find shown last.
struct SearchSession {
    std::string text;  // Windows set, as typed
    // As typed in UTF-8 when it holds characters the Windows set lacks (pasted); else empty.
    std::string typed_utf8;
    bool match_case = false;
    SearchWhere where = SearchWhere::ThisPage;
    // The hypertexts of the last search through all of them, the open one first: "Weitersuchen"
    // goes on through them.
    std::vector<std::string> files;
    bool have_find = false;
    std::string find_path;  // the document the find belongs to
    SearchMatch find;       // line_text unused
    // The page shown when the find was shown: its own, or the page under a popup's find.
    int32_t shown_on_page = -1;
    // Where the find's line was drawn last (display lines count the lines pictures reserve).
    int32_t display_line = -1;
};
SearchSession session;

ViewState& view() {
    return main_window.view;
}

// The go-on check of a search: after half a second the wait cursor, then a look at the keys
// every kKeyLookMs; Esc ends the search. Key presses of those moments are taken from the queue
// (they were typed at a busy window). The arrow comes back with the end of the search.
class SearchInterruption {
   public:
    SearchInterruption() : start_(GetTickCount()) {}
    ~SearchInterruption() {
        if (waited_) SetCursor(LoadCursor(nullptr, IDC_ARROW));
    }
    SearchInterruption(const SearchInterruption&) = delete;
    SearchInterruption& operator=(const SearchInterruption&) = delete;

    SearchGoOn check() {
        return [this] { return go_on(); };
    }

   private:
    bool go_on() {
        const DWORD now = GetTickCount();
        if (now - start_ < kPatientSearchMs) return true;
        if (!waited_) {
            waited_ = true;
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
        }
        if (now - last_look_ < kKeyLookMs) return true;
        last_look_ = now;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
            if (msg.wParam == VK_ESCAPE) return false;
        }
        return true;
    }

    DWORD start_;
    DWORD last_look_ = 0;
    bool waited_ = false;
};

bool prepare(SearchPattern& pattern) {
    const Outcome prepared =
        session.typed_utf8.empty()
            ? pattern.prepare(session.text, document.source_charset, session.match_case)
            : pattern.prepare_utf8(session.typed_utf8, document.source_charset, session.match_case);
    return report_failure(main_window.hwnd, prepared);
}

// --- the dialog ------------------------------------------------------------------------------

INT_PTR CALLBACK search_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            HWND edit = GetDlgItem(dialog, IDC_SEARCH_TEXT);
            SendMessageA(edit, EM_LIMITTEXT, kMaxSearchText, 0);
            SetWindowTextA(edit, session.text.c_str());
            if (!session.typed_utf8.empty()) {
                wchar_t wide[kMaxSearchText + 1] = L"";
                MultiByteToWideChar(CP_UTF8, 0, session.typed_utf8.c_str(), -1, wide,
                                    kMaxSearchText + 1);
                SetWindowTextW(edit, wide);
            }
            CheckDlgButton(dialog, IDC_SEARCH_CASE,
                           session.match_case ? BST_CHECKED : BST_UNCHECKED);
            CheckRadioButton(dialog, IDC_SEARCH_THIS_PAGE, IDC_SEARCH_ALL_FILES,
                             session.where == SearchWhere::AllFiles   ? IDC_SEARCH_ALL_FILES
                             : session.where == SearchWhere::AllPages ? IDC_SEARCH_ALL_PAGES
                                                                      : IDC_SEARCH_THIS_PAGE);
            // The remembered text, selected, so that typing replaces it.
            SendMessageA(edit, EM_SETSEL, 0, -1);
            SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK: {
                    char text[kMaxSearchText + 1] = "";
                    GetDlgItemTextA(dialog, IDC_SEARCH_TEXT, text, sizeof text);
                    if (text[0] == 0) {
                        // Refused where it was typed: the dialog stays for the text.
                        MessageBoxA(dialog, kSearchEmptyMessage, "Suchen",
                                    MB_OK | MB_ICONINFORMATION);
                        SetFocus(GetDlgItem(dialog, IDC_SEARCH_TEXT));
                        return TRUE;
                    }
                    session.text = text;
                    // The dialog is a Unicode window: a pasted arrow is still itself here.
                    wchar_t wide[kMaxSearchText + 1] = L"";
                    GetDlgItemTextW(dialog, IDC_SEARCH_TEXT, wide, kMaxSearchText + 1);
                    char utf8[4 * kMaxSearchText + 1] = "";
                    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
                    std::string ansi;
                    session.typed_utf8 = utf8_to_ansi(utf8, ansi) ? std::string() : utf8;
                    session.match_case = IsDlgButtonChecked(dialog, IDC_SEARCH_CASE) == BST_CHECKED;
                    session.where =
                        IsDlgButtonChecked(dialog, IDC_SEARCH_ALL_FILES) == BST_CHECKED
                            ? SearchWhere::AllFiles
                        : IsDlgButtonChecked(dialog, IDC_SEARCH_ALL_PAGES) == BST_CHECKED
                            ? SearchWhere::AllPages
                            : SearchWhere::ThisPage;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

// --- the result list -------------------------------------------------------------------------

struct ResultDialog {
    const SearchList* list = nullptr;
    std::string note;
    int chosen = -1;
};

INT_PTR CALLBACK results_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<ResultDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<ResultDialog*>(lparam);
            SetWindowLongPtrA(dialog, DWLP_USER, lparam);
            SetDlgItemTextA(dialog, IDC_SEARCH_NOTE, state->note.c_str());
            HWND list = GetDlgItem(dialog, IDC_SEARCH_LIST);
            // Columns in dialog units: [file name,] page name, line number, the line.
            INT page_stops[2] = {120, 150};
            INT file_stops[3] = {70, 170, 200};
            if (state->list->several_files) {
                SendMessageA(list, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(file_stops));
            } else {
                SendMessageA(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(page_stops));
            }
            SendMessageA(list, WM_SETREDRAW, FALSE, 0);
            HDC dc = GetDC(list);
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
            LONG widest = 0;
            for (const SearchListRow& row : state->list->rows) {
                const std::string text = search_list_row_text(*state->list, row);
                SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
                SIZE size{};
                GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
                widest = std::max(widest, size.cx);
            }
            SelectObject(dc, old);
            ReleaseDC(list, dc);
            // Long lines can be scrolled to (the tab columns add about a third of the width).
            SendMessageA(list, LB_SETHORIZONTALEXTENT, widest + widest / 3, 0);
            SendMessageA(list, WM_SETREDRAW, TRUE, 0);
            SendMessageA(list, LB_SETCURSEL, 0, 0);
            EnableWindow(GetDlgItem(dialog, IDOK), !state->list->rows.empty());
            SetFocus(list);
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDC_SEARCH_LIST:
                    if (HIWORD(wparam) != LBN_DBLCLK) break;
                    [[fallthrough]];
                case IDOK: {
                    const LRESULT selected =
                        SendDlgItemMessageA(dialog, IDC_SEARCH_LIST, LB_GETCURSEL, 0, 0);
                    if (selected == LB_ERR) return TRUE;
                    state->chosen = static_cast<int>(selected);
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

// --- showing a find --------------------------------------------------------------------------

RECT client_rect() {
    RECT rc{};
    GetClientRect(main_window.hwnd, &rc);
    return rc;
}

int32_t visible_lines() {
    const RECT rc = client_rect();
    return std::max<int32_t>(
        (rc.bottom - rc.top) / std::max<int32_t>(viewer.metrics.line_height, 1), 1);
}

// The horizontal position that shows columns [first, end) of a line when `left` does not: a
// few columns before the find (cells approximate the text's characters, which is enough to
// bring the find into the window).
int32_t left_column_showing(uint32_t first, uint32_t end, int32_t left) {
    const RECT rc = client_rect();
    const int32_t cells = std::max<int32_t>(
        (rc.right - rc.left) / std::max<int32_t>(viewer.metrics.cell_width, 1), 1);
    constexpr int32_t kContext = 4;
    const int64_t from = first;
    const int64_t to = int64_t{end} + 1;  // and the margin cell
    if (from >= left && to <= int64_t{left} + cells) return left;
    return static_cast<int32_t>(std::max<int64_t>(from - kContext, 0));
}

// Paints the find's page at once and, when the find's line (pushed down by pictures above it)
// lies outside the window, scrolls it to the top.
void bring_find_into_view() {
    session.display_line = -1;
    UpdateWindow(main_window.hwnd);
    const int32_t line = session.display_line;
    if (line < 0) return;
    if (line < view().top_line || line >= view().top_line + visible_lines()) {
        scroll_view(SB_VERT, SB_THUMBTRACK, line);
        UpdateWindow(main_window.hwnd);
    }
}

// Shows `match` inverted: on the shown page scrolled into view, on another page reached as a
// link reaches it (the place left is pushed on the back stack); a popup's find opens the popup.
void show_find(const SearchMatch& match) {
    session.have_find = true;
    session.find = match;
    session.find.line_text = {};
    session.find_path = document.path;
    session.shown_on_page = view().current_page;
    const int32_t line = static_cast<int32_t>(match.line);
    if (match.in_popup) {
        // A popup's text is seen in its popup, as its link would open it.
        const RECT rc = client_rect();
        open_popup_window(match.page, POINT{(rc.right - rc.left) / 2, (rc.bottom - rc.top) / 3});
        return;
    }
    if (match.page == view().current_page) {
        if (line < view().top_line || line >= view().top_line + visible_lines()) {
            scroll_view(SB_VERT, SB_THUMBTRACK, line);
        }
        const int32_t left =
            left_column_showing(match.first_column, match.end_column, view().left_column);
        if (left != view().left_column) scroll_view(SB_HORZ, SB_THUMBTRACK, left);
        InvalidateRect(main_window.hwnd, nullptr, TRUE);
        bring_find_into_view();
        return;
    }
    NavigationRequest request;
    request.target = match.page;
    request.top_line = line;
    request.left_column = left_column_showing(match.first_column, match.end_column, 0);
    navigator().show_entry(std::move(request));
    session.shown_on_page = view().current_page;
    bring_find_into_view();
}

// Shows `match` of the hypertext `path`: another file is opened at the find's page (at its first
// page for a popup's find) through the history, so that Back returns to the place left.
void show_find_in(const std::string& path, const SearchMatch& match) {
    if (!same_file_path(path, document.path)) {
        NavigationRequest request;
        if (!match.in_popup) {
            request.target = match.page;
            request.top_line = static_cast<int32_t>(match.line);
            request.left_column = left_column_showing(match.first_column, match.end_column, 0);
        }
        if (!navigator().open_and_show(LoadSource::Navigation, path, std::nullopt,
                                       std::move(request))) {
            return;
        }
    }
    show_find(match);
}

void search_this_page() {
    SearchPattern pattern;
    if (!prepare(pattern)) return;
    SearchMatch match;
    std::string line;
    const SearchPlace top{view().current_page, -1, 0};
    if (find_next(document, pattern, SearchScope::Page, top, match, line)) {
        show_find(match);
    } else {
        session.have_find = false;
        InvalidateRect(main_window.hwnd, nullptr, TRUE);
        show_message(main_window.hwnd, search_not_found_message(session.text, SearchScope::Page));
    }
}

void search_all_pages() {
    SearchPattern pattern;
    if (!prepare(pattern)) return;
    SearchList list;
    if (session.where == SearchWhere::AllFiles) {
        session.files = shelf_files(document.path, hyp_path_setting());
        SearchInterruption interruption;
        list = list_matches_in_files(document, session.files, {session.text, session.typed_utf8},
                                     session.match_case, kSearchListLimit, interruption.check());
    } else {
        SearchInterruption interruption;
        list = list_matches(document, pattern, kSearchListLimit, interruption.check());
    }
    if (list.rows.empty() && list.skipped == 0) {
        if (list.ended) return;  // ended by the user before anything was found
        show_message(main_window.hwnd,
                     search_not_found_message(session.text, SearchScope::AllPages));
        return;
    }
    ResultDialog state;
    state.list = &list;
    state.note = search_list_note(session.text, list);
    const INT_PTR result =
        DialogBoxParamA(viewer.instance, MAKEINTRESOURCEA(IDD_SEARCH_RESULTS), main_window.hwnd,
                        results_dialog_procedure, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK && state.chosen >= 0 &&
        static_cast<size_t>(state.chosen) < list.rows.size()) {
        const SearchListRow& row = list.rows[static_cast<size_t>(state.chosen)];
        show_find_in(list.files[row.file].path, row.match);
    }
}

}  // namespace

void find_command() {
    if (document.index.empty()) return;
    // Unicode, so that a character the Windows set lacks can be pasted into the text.
    const INT_PTR result = DialogBoxParamW(viewer.instance, MAKEINTRESOURCEW(IDD_SEARCH),
                                           main_window.hwnd, search_dialog_procedure, 0);
    if (result != IDOK) return;
    if (session.where != SearchWhere::ThisPage) {
        search_all_pages();
    } else {
        search_this_page();
    }
}

void find_next_command() {
    if (document.index.empty()) return;
    if (session.text.empty()) {
        find_command();
        return;
    }
    SearchPattern pattern;
    if (!prepare(pattern)) return;
    // Weitersuchen goes on from the find shown last while its page (or the page under its
    // popup) is still shown; otherwise from the top of the shown page.
    const bool from_find = session.have_find && session.find_path == document.path &&
                           session.shown_on_page == view().current_page;
    const SearchPlace from =
        from_find ? SearchPlace{session.find.page, static_cast<int32_t>(session.find.line),
                                static_cast<int32_t>(session.find.first_column)}
                  : SearchPlace{view().current_page, -1, 0};
    FileFind next;
    {
        SearchInterruption interruption;
        if (session.where == SearchWhere::AllFiles && !session.files.empty()) {
            next = find_next_in_files(document, session.files, from,
                                      {session.text, session.typed_utf8}, session.match_case,
                                      interruption.check());
        } else {
            next.path = document.path;
            next.found = find_next(document, pattern, SearchScope::AllPages, from, next.match,
                                   next.line_text);
        }
    }
    if (next.ended) return;  // Esc: the view stays
    if (!next.found) {
        show_message(main_window.hwnd,
                     search_not_found_message(session.text, SearchScope::AllPages));
        return;
    }
    const SearchMatch& match = next.match;
    if (from_find && same_file_path(next.path, document.path) && match.page == session.find.page &&
        match.line == session.find.line && match.first_column == session.find.first_column) {
        // Round the whole hypertext (or every file) back to the find shown: there is no other.
        show_message(main_window.hwnd, search_no_further_message(session.text));
        return;
    }
    show_find_in(next.path, match);
}

TextSpan search_highlight(int32_t page) {
    TextSpan span;
    if (session.have_find && session.find.page == page && session.find_path == document.path) {
        span.line = static_cast<int32_t>(session.find.line);
        span.first = session.find.first_column;
        span.end = session.find.end_column;
        span.display_line = &session.display_line;
    }
    return span;
}

// The viewer's search: the "Suchen" dialog, "Weitersuchen", the result list and the shown find.
#include "win32/search_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/search.h"
#include "app/search_session.h"
#include "app/shelf.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "win32/navigation_win32.h"
#include "win32/popup_window_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

// Longest search text the dialog takes, in characters.
constexpr int kMaxSearchText = 255;

// A search running this long (milliseconds) shows the wait cursor and listens for Esc.
constexpr DWORD kPatientSearchMs = 500;
// How often a long search looks at the keys, in milliseconds: Esc is seen at once to the eye,
// and the look costs nothing beside the pages read in between.
constexpr DWORD kKeyLookMs = 50;

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

// --- the dialog ------------------------------------------------------------------------------

// The procedure both search dialogs share: the state handed over on creation (the dialog is
// shown with its focus set), Cancel, and OK where `Dialog::accept` takes what was entered (a
// refusal leaves the dialog open). `Dialog` supplies State, show, is_ok (which commands mean OK)
// and accept.
template <class Dialog>
INT_PTR CALLBACK search_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    using State = typename Dialog::State;
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        Dialog::show(dialog, *reinterpret_cast<State*>(lparam));
        return FALSE;  // the focus is set
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wparam);
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (!Dialog::is_ok(id, HIWORD(wparam))) return FALSE;
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (Dialog::accept(dialog, *state)) EndDialog(dialog, IDOK);
    return TRUE;
}

struct SearchDialog {
    using State = SearchRequest;

    static void show(HWND dialog, const SearchRequest& request) {
        HWND edit = GetDlgItem(dialog, IDC_SEARCH_TEXT);
        SendMessageA(edit, EM_LIMITTEXT, kMaxSearchText, 0);
        SetWindowTextA(edit, request.text.c_str());
        if (!request.typed_utf8.empty()) {
            wchar_t wide[kMaxSearchText + 1] = L"";
            MultiByteToWideChar(CP_UTF8, 0, request.typed_utf8.c_str(), -1, wide,
                                kMaxSearchText + 1);
            SetWindowTextW(edit, wide);
        }
        CheckDlgButton(dialog, IDC_SEARCH_CASE, request.match_case ? BST_CHECKED : BST_UNCHECKED);
        CheckRadioButton(dialog, IDC_SEARCH_THIS_PAGE, IDC_SEARCH_ALL_FILES,
                         request.where == SearchWhere::AllFiles   ? IDC_SEARCH_ALL_FILES
                         : request.where == SearchWhere::AllPages ? IDC_SEARCH_ALL_PAGES
                                                                  : IDC_SEARCH_THIS_PAGE);
        // The remembered text, selected, so that typing replaces it.
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SetFocus(edit);
    }

    static bool is_ok(int id, int) { return id == IDOK; }

    static bool accept(HWND dialog, SearchRequest& request) {
        char text[kMaxSearchText + 1] = "";
        GetDlgItemTextA(dialog, IDC_SEARCH_TEXT, text, sizeof text);
        const Outcome accepted = check_search_text(text);
        if (!accepted) {
            // Refused where it was typed: the dialog stays for the text.
            MessageBoxA(dialog, accepted.failure().message.c_str(), "Suchen",
                        MB_OK | MB_ICONINFORMATION);
            SetFocus(GetDlgItem(dialog, IDC_SEARCH_TEXT));
            return false;
        }
        request.text = text;
        // The dialog is a Unicode window: a pasted arrow is still itself here.
        wchar_t wide[kMaxSearchText + 1] = L"";
        GetDlgItemTextW(dialog, IDC_SEARCH_TEXT, wide, kMaxSearchText + 1);
        char utf8[4 * kMaxSearchText + 1] = "";
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
        std::string ansi;
        request.typed_utf8 = utf8_to_ansi(utf8, ansi) ? std::string() : utf8;
        request.match_case = IsDlgButtonChecked(dialog, IDC_SEARCH_CASE) == BST_CHECKED;
        request.where = IsDlgButtonChecked(dialog, IDC_SEARCH_ALL_FILES) == BST_CHECKED
                            ? SearchWhere::AllFiles
                        : IsDlgButtonChecked(dialog, IDC_SEARCH_ALL_PAGES) == BST_CHECKED
                            ? SearchWhere::AllPages
                            : SearchWhere::ThisPage;
        return true;
    }
};

// --- the result list -------------------------------------------------------------------------

struct ResultChoice {
    const SearchList* list = nullptr;
    std::string note;
    int chosen = -1;
};

struct ResultsDialog {
    using State = ResultChoice;

    static void show(HWND dialog, const ResultChoice& state) {
        SetDlgItemTextA(dialog, IDC_SEARCH_NOTE, state.note.c_str());
        HWND list = GetDlgItem(dialog, IDC_SEARCH_LIST);
        // Columns in dialog units: [file name,] page name, line number, the line.
        INT page_stops[2] = {120, 150};
        INT file_stops[3] = {70, 170, 200};
        if (state.list->several_files) {
            SendMessageA(list, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(file_stops));
        } else {
            SendMessageA(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(page_stops));
        }
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        HDC dc = GetDC(list);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
        LONG widest = 0;
        for (const SearchListRow& row : state.list->rows) {
            const std::string text = search_list_row_text(*state.list, row);
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
        EnableWindow(GetDlgItem(dialog, IDOK), !state.list->rows.empty());
        SetFocus(list);
    }

    // A double click in the list chooses as OK does.
    static bool is_ok(int id, int notification) {
        return id == IDOK || (id == IDC_SEARCH_LIST && notification == LBN_DBLCLK);
    }

    static bool accept(HWND dialog, ResultChoice& state) {
        const LRESULT selected = SendDlgItemMessageA(dialog, IDC_SEARCH_LIST, LB_GETCURSEL, 0, 0);
        if (selected == LB_ERR) return false;
        state.chosen = static_cast<int>(selected);
        return true;
    }
};

// --- the window's side of the session --------------------------------------------------------

RECT client_rect() {
    ViewerWindow& w = viewer_window();
    RECT rc{};
    GetClientRect(w.hwnd, &rc);
    return rc;
}

class WindowSearchHost : public SearchHost {
   public:
    explicit WindowSearchHost(ViewerWindow& window) : w(window) {}

    HypDocument& document() override { return ::document; }
    const ViewState& view() override { return w.view; }
    int32_t visible_lines() override {
        const RECT rc = client_rect();
        return std::max<int32_t>((rc.bottom - rc.top) / std::max<int32_t>(w.metrics.line_height, 1),
                                 1);
    }
    int32_t visible_cells() override {
        const RECT rc = client_rect();
        return std::max<int32_t>((rc.right - rc.left) / std::max<int32_t>(w.metrics.cell_width, 1),
                                 1);
    }

    bool ask(SearchRequest& request) override {
        // Unicode, so that a character the Windows set lacks can be pasted into the text.
        SearchRequest asked = request;
        const INT_PTR result =
            DialogBoxParamW(w.instance, MAKEINTRESOURCEW(IDD_SEARCH), w.hwnd,
                            search_procedure<SearchDialog>, reinterpret_cast<LPARAM>(&asked));
        if (result != IDOK) return false;
        request = std::move(asked);
        return true;
    }
    int choose(const SearchList& list, const std::string& note) override {
        ResultChoice state;
        state.list = &list;
        state.note = note;
        const INT_PTR result =
            DialogBoxParamA(w.instance, MAKEINTRESOURCEA(IDD_SEARCH_RESULTS), w.hwnd,
                            search_procedure<ResultsDialog>, reinterpret_cast<LPARAM>(&state));
        return result == IDOK ? state.chosen : -1;
    }
    void show_message(const std::string& text) override { ::show_message(w.hwnd, text); }
    std::vector<std::string> shelf() override {
        return shelf_files(::document.path, hyp_path_setting());
    }
    SearchGoOn begin_patience() override {
        interruption_.emplace();
        return interruption_->check();
    }
    void end_patience() override { interruption_.reset(); }

    void scroll_to_line(int32_t line) override { scroll_view(SB_VERT, SB_THUMBTRACK, line); }
    void scroll_to_column(int32_t column) override { scroll_view(SB_HORZ, SB_THUMBTRACK, column); }
    void repaint() override { InvalidateRect(w.hwnd, nullptr, TRUE); }
    void paint_now() override { UpdateWindow(w.hwnd); }
    void open_popup(uint16_t page) override {
        const RECT rc = client_rect();
        open_popup_window(page, POINT{(rc.right - rc.left) / 2, (rc.bottom - rc.top) / 3});
    }
    void show_entry(NavigationRequest request) override {
        navigator().show_entry(std::move(request));
    }
    bool open_and_show(const std::string& path, NavigationRequest request) override {
        return navigator().open_and_show(LoadSource::Navigation, path, std::nullopt,
                                         std::move(request));
    }

   private:
    ViewerWindow& w;
    std::optional<SearchInterruption> interruption_;
};

}  // namespace

void attach_search(ViewerWindow& window) {
    window.search_host = std::make_unique<WindowSearchHost>(window);
    window.search = std::make_unique<SearchSession>(*window.search_host);
}

void find_command() {
    viewer_window().search->find();
}

void find_next_command() {
    viewer_window().search->find_next();
}

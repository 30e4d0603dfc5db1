// The catalogue window: a tab control over three parts, filled from the portable catalogue, the
// keyword matches and the contents tree; every choice opens through the main window's navigator.
#include "win32/catalogue_window_win32.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "app/catalogue_place.h"
#include "app/contents_tree.h"
#include "app/shelf.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/paths.h"
#include "settings/settings.h"
#include "win32/viewer_window_win32.h"

namespace {

constexpr const char* CATALOGUE_CLASS_NAME = "VellumarKatalog";
constexpr const char* CATALOGUE_CAPTION = "Katalog";
constexpr int PART_KEYWORDS = 0;
constexpr int PART_CONTENTS = 1;
constexpr int PART_SHELF = 2;
constexpr int PART_COUNT = 3;
const char* const PART_NAMES[PART_COUNT] = {"Stichwörter", "Inhalt", "Hypertexte"};
// The keyword field's label: what a screen reader calls the field, and Alt+S reaches it.
constexpr const char* KEYWORD_LABEL = "&Stichwort:";

// Child ids (the notifications name their sender by it).
constexpr int ID_TABS = 100;
constexpr int ID_EDIT = 101;
constexpr int ID_KEYWORDS = 102;
constexpr int ID_TREE = 103;
constexpr int ID_SHELF = 104;
constexpr int ID_LABEL = 105;

// The fill timer: each tick reads files for at most FILL_SLICE_MS, so the window answers the
// reader between ticks while the list grows.
constexpr UINT_PTR FILL_TIMER = 1;
constexpr UINT FILL_INTERVAL_MS = 10;
constexpr DWORD FILL_SLICE_MS = 40;

// Sizes at 96 dpi.
constexpr int DEFAULT_WIDTH = 380;
constexpr int EDIT_HEIGHT = 22;
constexpr int GAP = 4;

int scaled(const ViewerWindow& w, int pixels) {
    return MulDiv(pixels, w.dpi, 96);
}

CatalogueWindow& state_of(HWND hwnd) {
    return *reinterpret_cast<CatalogueWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// --- opening a place -------------------------------------------------------------------------

// Shows page `page` of `path` at top line `line` through the history (Back returns).
void open_place(const std::string& path, int32_t page, int32_t line) {
    NavigationRequest request;
    request.target = page;
    request.top_line = std::max<int32_t>(line, 0);
    Navigator& navigator = *viewer_window().navigator;
    if (same_file_path(path, document.path)) {
        navigator.show_entry(std::move(request));
    } else {
        navigator.open_and_show(LoadSource::Navigation, path, std::nullopt, std::move(request));
    }
}

int selected_item(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                         LVNI_SELECTED));
}

void open_keyword(CatalogueWindow& c) {
    const int item = selected_item(c.keyword_list);
    if (item < 0 || static_cast<std::size_t>(item) >= c.matches.rows().size()) return;
    const uint32_t index = c.matches.rows()[item];
    if (index >= c.catalogue.rows().size()) return;
    const CatalogueRow& row = c.catalogue.rows()[index];
    const Keyword& keyword = c.catalogue.keyword(row);
    open_place(c.catalogue.file(row).path, keyword.page, keyword.line);
}

void open_shelf_entry(CatalogueWindow& c) {
    const int item = selected_item(c.shelf_list);
    if (item < 0 || static_cast<std::size_t>(item) >= c.shelf.size()) return;
    open_place(c.shelf[item].file->path, 0, 0);
}

void open_tree_selection(CatalogueWindow& c) {
    HTREEITEM item = TreeView_GetSelection(c.tree);
    if (item == nullptr) return;
    TVITEMA data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageA(c.tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return;
    const auto page = static_cast<int32_t>(data.lParam);
    if (page != viewer_window().view.current_page) open_place(document.path, page, 0);
}

// --- the keyword list ------------------------------------------------------------------------

void select_list_item(HWND list, int item) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (item < 0) return;
    ListView_SetItemState(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, item, FALSE);
}

// Narrows the list to the edit field's text; the first row is selected after each key.
void narrow_keywords(CatalogueWindow& c, bool keep_selection) {
    char typed[256] = "";
    GetWindowTextA(c.edit, typed, sizeof(typed));
    const int before = selected_item(c.keyword_list);
    // Text that cannot be folded matches nothing: the empty list says so.
    (void)c.matches.narrow(c.catalogue, SearchText(typed));
    const int count = static_cast<int>(c.matches.rows().size());
    ListView_SetItemCountEx(c.keyword_list, count, LVSICF_NOSCROLL);
    InvalidateRect(c.keyword_list, nullptr, FALSE);
    int item = count > 0 ? 0 : -1;
    if (keep_selection && before >= 0 && before < count) item = before;
    select_list_item(c.keyword_list, item);
}

void move_keyword_selection(CatalogueWindow& c, int delta) {
    const int count = static_cast<int>(c.matches.rows().size());
    if (count == 0) return;
    const int item = std::clamp(selected_item(c.keyword_list) + delta, 0, count - 1);
    select_list_item(c.keyword_list, item);
}

void copy_text(const std::string& text, LPSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) return;
    lstrcpynA(buffer, text.c_str(), size);
}

void keyword_display(CatalogueWindow& c, NMLVDISPINFOA& info) {
    if (!(info.item.mask & LVIF_TEXT)) return;
    const auto item = static_cast<std::size_t>(info.item.iItem);
    if (item >= c.matches.rows().size()) return;
    const uint32_t index = c.matches.rows()[item];
    if (index >= c.catalogue.rows().size()) return;
    const CatalogueRow& row = c.catalogue.rows()[index];
    const CatalogueFile& file = c.catalogue.file(row);
    if (info.item.iSubItem == 0) {
        copy_text(convert_charset(c.catalogue.keyword(row).text, false,
                                  screen_conversion(file.hypertext.source_charset)),
                  info.item.pszText, info.item.cchTextMax);
    } else {
        copy_text(catalogue_title(file), info.item.pszText, info.item.cchTextMax);
    }
}

// --- the shelf list --------------------------------------------------------------------------

void set_list_text(HWND list, int item, int column, const std::string& text) {
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&cell));
}

void fill_shelf(CatalogueWindow& c) {
    c.shelf = c.catalogue.shelf();
    SendMessageA(c.shelf_list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(c.shelf_list);
    for (std::size_t i = 0; i < c.shelf.size(); ++i) {
        const ShelfEntry& entry = c.shelf[i];
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(entry.title.c_str());
        SendMessageA(c.shelf_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        set_list_text(c.shelf_list, item.iItem, 1, entry.file_name);
        set_list_text(c.shelf_list, item.iItem, 2, std::to_string(entry.page_count));
        set_list_text(c.shelf_list, item.iItem, 3, std::to_string(entry.size));
    }
    SendMessageA(c.shelf_list, WM_SETREDRAW, TRUE, 0);
    if (!c.shelf.empty()) select_list_item(c.shelf_list, 0);
}

// --- filling ---------------------------------------------------------------------------------

// One tick of the fill: files read for a slice of time, the lists shown as far as they are.
void fill_step(CatalogueWindow& c) {
    const DWORD start = GetTickCount();
    bool more = true;
    while (more && GetTickCount() - start < FILL_SLICE_MS) more = c.catalogue.step();
    narrow_keywords(c, true);
    if (!more || c.catalogue.complete()) {
        KillTimer(c.hwnd, FILL_TIMER);
        c.filling = false;
        fill_shelf(c);
    }
}

// Brings the catalogue to the open file's shelf: files unchanged in size and time keep their
// keywords, the others are read by the fill timer.
void renew_shelf(CatalogueWindow& c) {
    const std::vector<std::string> paths = shelf_files(document.path, settings.HypPath);
    c.catalogue.begin(paths);
    c.shelf_paths = paths;
    c.shelf_folder = path_directory(document.path);
    if (c.catalogue.complete()) {
        narrow_keywords(c, true);
        fill_shelf(c);
        return;
    }
    c.filling = true;
    SetTimer(c.hwnd, FILL_TIMER, FILL_INTERVAL_MS, nullptr);
}

// --- the contents tree -----------------------------------------------------------------------

std::string page_title(uint16_t page) {
    return convert_charset(entry_name(document, page), false,
                           screen_conversion(document.source_charset));
}

void fill_tree(CatalogueWindow& c) {
    c.contents_path = document.path;
    c.contents_entries = document.index.size();
    c.tree_items.assign(document.index.size(), nullptr);
    SendMessageA(c.tree, WM_SETREDRAW, FALSE, 0);
    c.selecting = true;
    TreeView_DeleteAllItems(c.tree);
    c.selecting = false;
    const ContentsTree tree = build_contents_tree(document.index);
    // The last item inserted at each depth: the parent of the next line one deeper.
    std::vector<HTREEITEM> parents;
    for (const ContentsLine& line : contents_lines(tree)) {
        if (line.page >= c.tree_items.size() || line.depth > parents.size()) continue;
        parents.resize(line.depth);
        const std::string text = page_title(line.page);
        TVINSERTSTRUCTA insert{};
        insert.hParent = parents.empty() ? TVI_ROOT : parents.back();
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(text.c_str());
        insert.item.lParam = line.page;
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageA(c.tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        c.tree_items[line.page] = item;
        parents.push_back(item);
    }
    SendMessageA(c.tree, WM_SETREDRAW, TRUE, 0);
}

void follow_contents(CatalogueWindow& c) {
    if (c.contents_path != document.path || c.contents_entries != document.index.size()) {
        fill_tree(c);
    }
    const int32_t page = viewer_window().view.current_page;
    if (page < 0 || static_cast<std::size_t>(page) >= c.tree_items.size()) return;
    HTREEITEM item = c.tree_items[page];
    if (item == nullptr || TreeView_GetSelection(c.tree) == item) return;
    c.selecting = true;
    TreeView_SelectItem(c.tree, item);
    TreeView_EnsureVisible(c.tree, item);
    c.selecting = false;
}

// --- layout and parts ------------------------------------------------------------------------

// Shows a part; the focus goes into it when the window is active, unless `focus_part` is false
// (the reader moves through the tabs with the arrow keys and the focus stays on them).
void show_part(CatalogueWindow& c, int part, bool focus_part = true) {
    c.part = part;
    ShowWindow(c.label, part == PART_KEYWORDS ? SW_SHOW : SW_HIDE);
    ShowWindow(c.edit, part == PART_KEYWORDS ? SW_SHOW : SW_HIDE);
    ShowWindow(c.keyword_list, part == PART_KEYWORDS ? SW_SHOW : SW_HIDE);
    ShowWindow(c.tree, part == PART_CONTENTS ? SW_SHOW : SW_HIDE);
    ShowWindow(c.shelf_list, part == PART_SHELF ? SW_SHOW : SW_HIDE);
    if (TabCtrl_GetCurSel(c.tabs) != part) TabCtrl_SetCurSel(c.tabs, part);
    HWND focus = part == PART_KEYWORDS ? c.edit : part == PART_CONTENTS ? c.tree : c.shelf_list;
    if (focus_part && GetActiveWindow() == c.hwnd) SetFocus(focus);
}

void layout(CatalogueWindow& c) {
    const ViewerWindow& w = viewer_window();
    RECT rc{};
    GetClientRect(c.hwnd, &rc);
    MoveWindow(c.tabs, 0, 0, rc.right, rc.bottom, TRUE);
    RECT inner = rc;
    TabCtrl_AdjustRect(c.tabs, FALSE, &inner);
    const int width = std::max<int>(inner.right - inner.left, 0);
    const int height = std::max<int>(inner.bottom - inner.top, 0);
    const int edit_height = scaled(w, EDIT_HEIGHT);
    const int gap = scaled(w, GAP);
    // The label left of the field, as wide as its text, on the field's middle.
    char text[64] = "";
    GetWindowTextA(c.label, text, sizeof(text));
    RECT label_rect{0, 0, 0, 0};
    HDC dc = GetDC(c.label);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(c.label, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text, -1, &label_rect, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(c.label, dc);
    const int label_width = std::min<int>(label_rect.right + gap, width);
    MoveWindow(c.label, inner.left, inner.top + (edit_height - label_rect.bottom) / 2, label_width,
               label_rect.bottom, TRUE);
    MoveWindow(c.edit, inner.left + label_width, inner.top, width - label_width, edit_height, TRUE);
    MoveWindow(c.keyword_list, inner.left, inner.top + edit_height + gap, width,
               std::max(height - edit_height - gap, 0), TRUE);
    MoveWindow(c.tree, inner.left, inner.top, width, height, TRUE);
    MoveWindow(c.shelf_list, inner.left, inner.top, width, height, TRUE);
}

void add_column(HWND list, int index, const char* title, int width, int format = LVCFMT_LEFT) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

HWND make_child(HWND parent, const char* class_name, DWORD style, int id, DWORD ex_style = 0) {
    HWND child = CreateWindowExA(ex_style, class_name, "", WS_CHILD | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 viewer_window().instance, nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return child;
}

void on_create(CatalogueWindow& c) {
    const ViewerWindow& w = viewer_window();
    c.tabs = make_child(c.hwnd, WC_TABCONTROLA, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, ID_TABS);
    for (int part = 0; part < PART_COUNT; ++part) {
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char*>(PART_NAMES[part]);
        SendMessageA(c.tabs, TCM_INSERTITEMA, part, reinterpret_cast<LPARAM>(&tab));
    }
    // The label comes just before its field: a screen reader names the field by it, and its
    // mnemonic moves the focus to the next stop, the field.
    c.label = make_child(c.hwnd, "STATIC", SS_LEFT, ID_LABEL);
    SetWindowTextA(c.label, KEYWORD_LABEL);
    c.edit = make_child(c.hwnd, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, ID_EDIT, WS_EX_CLIENTEDGE);
    const DWORD list_style = WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
    c.keyword_list = make_child(c.hwnd, WC_LISTVIEWA, list_style | LVS_OWNERDATA, ID_KEYWORDS,
                                WS_EX_CLIENTEDGE);
    add_column(c.keyword_list, 0, "Stichwort", scaled(w, 190));
    add_column(c.keyword_list, 1, "Hypertext", scaled(w, 150));
    c.tree = make_child(c.hwnd, WC_TREEVIEWA,
                        WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                            TVS_SHOWSELALWAYS,
                        ID_TREE, WS_EX_CLIENTEDGE);
    c.shelf_list = make_child(c.hwnd, WC_LISTVIEWA, list_style, ID_SHELF, WS_EX_CLIENTEDGE);
    add_column(c.shelf_list, 0, "Titel", scaled(w, 150));
    add_column(c.shelf_list, 1, "Datei", scaled(w, 90));
    add_column(c.shelf_list, 2, "Seiten", scaled(w, 50), LVCFMT_RIGHT);
    add_column(c.shelf_list, 3, "Größe", scaled(w, 70), LVCFMT_RIGHT);
    for (HWND list : {c.keyword_list, c.shelf_list}) {
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    }
    // The tab control lies under the parts it frames.
    SetWindowPos(c.tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    show_part(c, PART_KEYWORDS);
}

// The window's place in the settings (a registry write only when it changed).
void save_place(CatalogueWindow& c) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(c.hwnd, &placement)) return;
    placement.showCmd = SW_SHOWNORMAL;
    static_assert(sizeof(placement) == sizeof(settings.CatalogPlacement), "placement record");
    if (std::memcmp(&placement, &settings.CatalogPlacement, sizeof(placement)) == 0) return;
    std::memcpy(&settings.CatalogPlacement, &placement, sizeof(placement));
    report_failure(viewer_window().hwnd, save_settings_div());
}

void hide(CatalogueWindow& c) {
    save_place(c);
    ShowWindow(c.hwnd, SW_HIDE);
    SetActiveWindow(viewer_window().hwnd);
}

LRESULT on_notify(CatalogueWindow& c, const NMHDR& header) {
    switch (header.idFrom) {
        case ID_TABS:
            // A click goes on into the part; the arrow keys keep the focus on the tabs.
            if (header.code == TCN_SELCHANGE) {
                show_part(c, TabCtrl_GetCurSel(c.tabs), GetKeyState(VK_LBUTTON) < 0);
            }
            return 0;
        case ID_KEYWORDS:
            if (header.code == LVN_GETDISPINFOA) {
                keyword_display(c, *reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header)));
            } else if (header.code == NM_DBLCLK) {
                open_keyword(c);
            }
            return 0;
        case ID_SHELF:
            if (header.code == NM_DBLCLK) open_shelf_entry(c);
            return 0;
        case ID_TREE:
            if (header.code == TVN_SELCHANGEDA && !c.selecting &&
                reinterpret_cast<const NMTREEVIEWA&>(header).action == TVC_BYMOUSE) {
                open_tree_selection(c);
            }
            return 0;
        default:
            return 0;
    }
}

LRESULT CALLBACK catalogue_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        state_of(hwnd).hwnd = hwnd;
    }
    if (GetWindowLongPtrA(hwnd, GWLP_USERDATA) == 0) {
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
    CatalogueWindow& c = state_of(hwnd);
    switch (message) {
        case WM_CREATE:
            on_create(c);
            return 0;
        case WM_SIZE:
            layout(c);
            return 0;
        case WM_EXITSIZEMOVE:
            save_place(c);
            return 0;
        case WM_CLOSE:
            hide(c);
            return 0;
        case WM_TIMER:
            if (wparam == FILL_TIMER) fill_step(c);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wparam) == ID_EDIT && HIWORD(wparam) == EN_CHANGE) {
                narrow_keywords(c, false);
            }
            return 0;
        case WM_NOTIFY:
            return on_notify(c, *reinterpret_cast<const NMHDR*>(lparam));
        case WM_NEXTDLGCTL:
            // Sent by the keyboard handling of a dialog's keys (a label's mnemonic): the focus
            // to the given control, or to the next (previous) stop, as in a dialog.
            if (lparam) {
                SetFocus(reinterpret_cast<HWND>(wparam));
            } else if (HWND next = GetNextDlgTabItem(hwnd, GetFocus(), wparam != 0)) {
                SetFocus(next);
                // A field reached so shows its text selected: what is typed replaces it.
                if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
                    SendMessageA(next, EM_SETSEL, 0, -1);
                }
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wparam) != WA_INACTIVE) show_part(c, c.part);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

void make_window(ViewerWindow& w) {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = catalogue_procedure;
    window_class.hInstance = w.instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = CATALOGUE_CLASS_NAME;
    window_class.hIcon = LoadIcon(w.instance, MAKEINTRESOURCE(1));
    RegisterClassA(&window_class);

    RECT main{};
    GetWindowRect(w.hwnd, &main);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(w.hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const ScreenRect place =
        catalogue_beside({main.left, main.top, main.right, main.bottom},
                         {work.left, work.top, work.right, work.bottom}, scaled(w, DEFAULT_WIDTH));

    w.catalogue.reset(new CatalogueWindow());
    CreateWindowExA(0, CATALOGUE_CLASS_NAME, CATALOGUE_CAPTION,
                    WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX, place.left, place.top,
                    place.right - place.left, place.bottom - place.top, w.hwnd, nullptr, w.instance,
                    w.catalogue.get());
    if (w.catalogue->hwnd == nullptr) {
        w.catalogue.reset();
        return;
    }
    if (settings.CatalogPlacement.length == sizeof(WINDOWPLACEMENT)) {
        WINDOWPLACEMENT stored{};
        std::memcpy(&stored, &settings.CatalogPlacement, sizeof(stored));
        stored.showCmd = SW_HIDE;
        SetWindowPlacement(w.catalogue->hwnd, &stored);
    }
}

}  // namespace

void show_catalogue(ViewerWindow& w) {
    if (!w.catalogue) make_window(w);
    if (!w.catalogue) return;
    CatalogueWindow& c = *w.catalogue;
    renew_shelf(c);
    follow_contents(c);
    ShowWindow(c.hwnd, SW_SHOW);
    SetForegroundWindow(c.hwnd);
    show_part(c, c.part);
    // What the reader types next replaces the last keyword.
    SendMessageA(c.edit, EM_SETSEL, 0, -1);
}

void catalogue_follow_view(ViewerWindow& w) {
    if (!w.catalogue || !IsWindowVisible(w.catalogue->hwnd)) return;
    CatalogueWindow& c = *w.catalogue;
    // Another folder is another shelf; within one folder the rows stay as the reader left them.
    if (path_directory(document.path) != c.shelf_folder) renew_shelf(c);
    follow_contents(c);
}

bool catalogue_message(ViewerWindow& w, MSG& msg) {
    if (!w.catalogue) return false;
    CatalogueWindow& c = *w.catalogue;
    if (msg.hwnd != c.hwnd && !IsChild(c.hwnd, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        switch (msg.wParam) {
            case VK_ESCAPE:
                hide(c);
                return true;
            case VK_RETURN:
                if (c.part == PART_KEYWORDS) open_keyword(c);
                if (c.part == PART_CONTENTS) open_tree_selection(c);
                if (c.part == PART_SHELF) open_shelf_entry(c);
                return true;
            case VK_UP:
            case VK_DOWN:
            case VK_PRIOR:
            case VK_NEXT:
                if (msg.hwnd != c.edit) break;
                {
                    const int page = std::max(ListView_GetCountPerPage(c.keyword_list) - 1, 1);
                    const int step = msg.wParam == VK_PRIOR || msg.wParam == VK_NEXT ? page : 1;
                    const bool back = msg.wParam == VK_UP || msg.wParam == VK_PRIOR;
                    move_keyword_selection(c, back ? -step : step);
                }
                return true;
            case VK_TAB:
                if (!ctrl) break;
                show_part(c,
                          (c.part + (GetKeyState(VK_SHIFT) < 0 ? PART_COUNT - 1 : 1)) % PART_COUNT);
                return true;
            default:
                break;
        }
    }
    return IsDialogMessageA(c.hwnd, &msg) != FALSE;
}

void CatalogueWindowDeleter::operator()(CatalogueWindow* catalogue) const {
    delete catalogue;
}

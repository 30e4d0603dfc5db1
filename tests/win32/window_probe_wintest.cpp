// Looks at the running viewer from outside, for the Wine tests of navigation, popups and the
// document commands: titles, the popup window, message boxes and the file dialogs.
//
//   window_probe_wintest wait-main [MS]            waits for the main window and for the viewer
//                                                  to wait for input; prints the title
//   window_probe_wintest title                     the main window's title
//   window_probe_wintest popup                     "x y width height" of the open popup, or "none"
//   window_probe_wintest popup-metrics             what a popup's size and place are made of:
//                                                  "FRAME_W FRAME_H SCREEN_W SCREEN_H CELL_W
//                                                  LINE_H" (the fonts of the registry, measured
//                                                  here with the display's own text metrics)
//   window_probe_wintest box [MS]                  waits for a message box; prints its caption,
//                                                  a line "--", its text, a line "--end";
//                                                  then presses OK
//   window_probe_wintest save-dialog [NAME] [MS]   waits for a file dialog, prints the file name
//                                                  it proposes, replaces it by NAME if given,
//                                                  presses OK
//   window_probe_wintest menu [MS]                 waits for an open popup menu; prints
//                                                  "x y width height" of its window
//   window_probe_wintest no-box                    exit 1 when a dialog of the viewer is open
//   window_probe_wintest wait-no-box [MS]          waits until no dialog of the viewer is open;
//                                                  exit 1 with a line "still open: CAPTION" for
//                                                  each one left when the time is up
//   window_probe_wintest wait-closed TEXT [MS]     the same for the dialogs whose caption holds
//                                                  TEXT
//   window_probe_wintest wait-no-chooser [MS]      the same for the colour and font choosers
//   window_probe_wintest wait-focus TEXT [MS]      waits until the viewer's dialog whose caption
//                                                  holds TEXT ("": any) has the keyboard focus;
//                                                  prints its caption
//   window_probe_wintest command ID                sends the main window the command ID
//   window_probe_wintest dialog [MS]               waits for a dialog of the viewer other than a
//                                                  file dialog or a chooser; prints its caption
//   window_probe_wintest dialog-item ID            the text of control ID of that dialog
//   window_probe_wintest dialog-set ID TEXT        sets the text of control ID of that dialog
//   window_probe_wintest dialog-click ID           clicks button ID of that dialog
//   window_probe_wintest choose-colour R G B [MS]  waits for the colour chooser, enters the
//                                                  colour in its number fields, presses OK
//   window_probe_wintest choose-font SIZE [MS]     waits for the font chooser, enters the size
//                                                  in points, presses OK
//   window_probe_wintest wait-dialog TEXT [MS]     waits for a dialog of the viewer whose caption
//                                                  holds TEXT; prints its caption, touches nothing
//   window_probe_wintest dialog-controls TEXT      for that dialog: one line per control,
//                                                  "ID enabled|disabled focus|- X Y W H TEXT"
//                                                  (screen rectangle)
//   window_probe_wintest printer-caps              the default printer as GDI reports it:
//                                                  "LOGPIXELSX LOGPIXELSY HORZRES VERTRES"
//   window_probe_wintest preview-forward-timed     in the open page preview: "Vor" and the paint
//                                                  that follows, sent one after the other; prints
//                                                  the milliseconds until both have run
//   window_probe_wintest client-top                the client area's top in window
//                                                  coordinates (below both rows of the menu bar)
//   window_probe_wintest font-metrics FACE HEIGHT [WIDTH]
//                                                  a font of that LOGFONT height (and width) on
//                                                  the display: "tmHeight+tmExternalLeading
//                                                  tmAveCharWidth"
//
// Texts are printed as the windows hold them (Windows character set). Exit 0 on success, 1 when
// the window looked for does not appear, 2 on wrong use.
#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/win32/probe_windows.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/registry_store_win32.h"
#include "win32/viewer_win32.h"

namespace {

using probe::find_main;
using probe::process_of;
using probe::text_of;

std::string class_of(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

struct WindowSearch {
    DWORD pid;
    const char* cls;
    std::vector<HWND> found;
};

// Window enumeration callbacks: named functions, since only they carry the system's calling
// convention on 32-bit Windows (a lambda does not convert to WNDENUMPROC there).
BOOL CALLBACK collect_viewer_window(HWND hwnd, LPARAM data) {
    auto* s = reinterpret_cast<WindowSearch*>(data);
    if (IsWindowVisible(hwnd) && process_of(hwnd) == s->pid && class_of(hwnd) == s->cls) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK collect_child(HWND hwnd, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    return TRUE;
}

// Visible top-level windows of class `cls` in the viewer's process.
std::vector<HWND> viewer_windows(const char* cls) {
    WindowSearch search{0, cls, {}};
    if (HWND main = find_main()) search.pid = process_of(main);
    if (search.pid == 0) return {};
    EnumWindows(collect_viewer_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Find>
HWND wait_for(Find find, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = find()) return hwnd;
        if (GetTickCount() - start > timeout_ms) return nullptr;
        Sleep(100);
    }
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> list;
    EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&list));
    return list;
}

// A dialog with a file name field is a file dialog; every other one a message box.
HWND file_name_field(HWND dialog) {
    for (int id : {0x47c /* cmb13 */, 0x480 /* edt1 */}) {
        if (HWND field = GetDlgItem(dialog, id)) return field;
    }
    return nullptr;
}

// The system's colour and font choosers, told apart by their controls: the red number field of
// the colour chooser, the size box of the font chooser.
constexpr int COLOUR_RED_FIELD = 706;
constexpr int COLOUR_GREEN_FIELD = 707;
constexpr int COLOUR_BLUE_FIELD = 708;
constexpr int FONT_SIZE_BOX = 0x472; /* cmb3 */

bool is_colour_chooser(HWND dialog) {
    return GetDlgItem(dialog, COLOUR_RED_FIELD) != nullptr;
}
bool is_font_chooser(HWND dialog) {
    return GetDlgItem(dialog, FONT_SIZE_BOX) != nullptr;
}

HWND find_dialog(bool file_dialog) {
    for (HWND dialog : viewer_windows("#32770")) {
        if ((file_name_field(dialog) != nullptr) == file_dialog) return dialog;
    }
    return nullptr;
}

// A dialog of the viewer's own: no file dialog and no chooser.
HWND find_own_dialog() {
    for (HWND dialog : viewer_windows("#32770")) {
        if (file_name_field(dialog) == nullptr && !is_colour_chooser(dialog) &&
            !is_font_chooser(dialog)) {
            return dialog;
        }
    }
    return nullptr;
}

HWND find_chooser(bool colour) {
    for (HWND dialog : viewer_windows("#32770")) {
        if (colour ? is_colour_chooser(dialog) : is_font_chooser(dialog)) return dialog;
    }
    return nullptr;
}

void press_ok(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

DWORD timeout_arg(int argc, char** argv, int at, DWORD fallback) {
    return argc > at ? static_cast<DWORD>(std::strtoul(argv[at], nullptr, 10)) : fallback;
}

int wait_main(DWORD timeout) {
    const DWORD start = GetTickCount();
    HWND main =
        wait_for([] { return IsWindowVisible(find_main()) ? find_main() : nullptr; }, timeout);
    if (main == nullptr) return 1;
    // A window is shown before its program has finished starting: keys sent before it first
    // waits for input may be handled before its page is there. The window is there, so the
    // title is printed even when that wait runs out (the checks that follow wait themselves).
    if (HANDLE process =
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process_of(main))) {
        const DWORD spent = GetTickCount() - start;
        WaitForInputIdle(process, spent < timeout ? timeout - spent : 0);
        CloseHandle(process);
    }
    print(text_of(main) + "\n");
    return 0;
}

// Waits until none of the viewer's dialogs for which `open` holds is shown; 1 after `timeout`
// milliseconds, naming those still open.
template <typename Open>
int wait_closed(Open open, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> left;
        for (HWND dialog : viewer_windows("#32770")) {
            if (open(dialog)) left.push_back(dialog);
        }
        if (left.empty()) return 0;
        if (GetTickCount() - start > timeout) {
            for (HWND dialog : left) print("still open: " + text_of(dialog) + "\n");
            return 1;
        }
        Sleep(100);
    }
}

int box(DWORD timeout) {
    HWND dialog = wait_for([] { return find_dialog(false); }, timeout);
    if (dialog == nullptr) return 1;
    Sleep(200);  // let it finish laying out its controls
    std::string text;
    for (HWND child : children(dialog)) {
        if (class_of(child) != "Static") continue;
        const std::string part = text_of(child);
        if (!part.empty()) text += part;
    }
    // The end mark keeps line ends at the end of the text visible to the caller.
    print(text_of(dialog) + "\n--\n" + text + "\n--end\n");
    press_ok(dialog);
    return 0;
}

int save_dialog(const char* name, DWORD timeout) {
    const DWORD start = GetTickCount();
    HWND dialog = wait_for([] { return find_dialog(true); }, timeout);
    if (dialog == nullptr) return 1;
    // The dialog shows before it has filled in its proposal (on a busy machine, seconds
    // before): wait for it; one that proposes nothing is seen so when the time is up.
    HWND field = file_name_field(dialog);
    std::string proposal;
    while ((proposal = text_of(field)).empty() && GetTickCount() - start <= timeout) Sleep(100);
    print(proposal + "\n");
    if (name != nullptr) {
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    }
    press_ok(dialog);
    return 0;
}

HWND find_menu() {
    const std::vector<HWND> menus = viewer_windows("#32768");
    return menus.empty() ? nullptr : menus[0];
}

int menu_rect(DWORD timeout) {
    // Another process's menus cannot be read here, but the window that shows one can.
    HWND window = wait_for(find_menu, timeout);
    if (window == nullptr) return 1;
    Sleep(200);
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

int popup_rect() {
    const std::vector<HWND> popups = viewer_windows("Popup");
    if (popups.empty()) {
        print("none\n");
        return 0;
    }
    RECT r{};
    GetWindowRect(popups[0], &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

// The metrics of `font` on the information context `ic`.
TEXTMETRICA text_metrics(HDC ic, const LOGFONTA& font) {
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(ic, handle);
    TEXTMETRICA tm{};
    GetTextMetricsA(ic, &tm);
    SelectObject(ic, old);
    DeleteObject(handle);
    return tm;
}

// The metrics the viewer's popup size depends on, measured here straight from the system: the
// test scripts put them together with the page's known size, so that the viewer's own
// measuring and placing are what is checked.
int popup_metrics() {
    load_settings();
    HDC ic = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    auto measure = [&](const LogFontRecord& record) {
        LOGFONTA font;
        static_assert(sizeof font == sizeof record, "a stored font is a LOGFONTA");
        std::memcpy(&font, &record, sizeof font);
        font.lfWeight = FW_NORMAL;  // the viewer measures its fonts upright and underlined
        font.lfUnderline = 1;
        return text_metrics(ic, font);
    };
    const TEXTMETRICA text = measure(settings.FONT);
    const TEXTMETRICA alt = measure(settings.XFONT);
    DeleteDC(ic);
    std::printf("%d %d %d %d %ld %ld\n", GetSystemMetrics(SM_CXDLGFRAME),
                GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN), alt.tmAveCharWidth,
                text.tmHeight + text.tmExternalLeading);
    return 0;
}

int own_dialog(DWORD timeout) {
    HWND dialog = wait_for(find_own_dialog, timeout);
    if (dialog == nullptr) return 1;
    print(text_of(dialog) + "\n");
    return 0;
}

HWND own_dialog_item(const char* id) {
    HWND dialog = find_own_dialog();
    return dialog ? GetDlgItem(dialog, std::atoi(id)) : nullptr;
}

// Enters the text as typing would (the field tells its dialog of the change), then OK.
void enter_and_confirm(HWND dialog, const std::vector<std::pair<int, std::string>>& fields) {
    Sleep(300);
    for (const auto& [id, text] : fields) {
        HWND field = GetDlgItem(dialog, id);
        // The size box of the font chooser is a combo box; its edit part takes the text.
        if (HWND edit = FindWindowExA(field, nullptr, "Edit", nullptr)) field = edit;
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    Sleep(200);
    press_ok(dialog);
}

int choose_colour(const char* r, const char* g, const char* b, DWORD timeout) {
    HWND dialog = wait_for([] { return find_chooser(true); }, timeout);
    if (dialog == nullptr) return 1;
    enter_and_confirm(dialog,
                      {{COLOUR_RED_FIELD, r}, {COLOUR_GREEN_FIELD, g}, {COLOUR_BLUE_FIELD, b}});
    return 0;
}

int choose_font(const char* size, DWORD timeout) {
    HWND dialog = wait_for([] { return find_chooser(false); }, timeout);
    if (dialog == nullptr) return 1;
    enter_and_confirm(dialog, {{FONT_SIZE_BOX, size}});
    return 0;
}

HWND find_dialog_captioned(const char* text) {
    for (HWND dialog : viewer_windows("#32770")) {
        if (text_of(dialog).find(text) != std::string::npos) return dialog;
    }
    return nullptr;
}

int wait_dialog(const char* text, DWORD timeout) {
    HWND dialog = wait_for([text] { return find_dialog_captioned(text); }, timeout);
    if (dialog == nullptr) return 1;
    print(text_of(dialog) + "\n");
    return 0;
}

// The focus belongs to the viewer's thread: attach to it to ask.
HWND focus_of(HWND dialog) {
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const DWORD own = GetCurrentThreadId();
    AttachThreadInput(own, thread, TRUE);
    HWND focus = GetFocus();
    AttachThreadInput(own, thread, FALSE);
    return focus;
}

int wait_focus(const char* text, DWORD timeout) {
    HWND dialog = wait_for(
        [text]() -> HWND {
            HWND found = find_dialog_captioned(text);
            if (found == nullptr) return nullptr;
            HWND focus = focus_of(found);
            return focus == found || IsChild(found, focus) ? found : nullptr;
        },
        timeout);
    if (dialog == nullptr) return 1;
    print(text_of(dialog) + "\n");
    return 0;
}

int dialog_controls(const char* text) {
    HWND dialog = find_dialog_captioned(text);
    if (dialog == nullptr) return 1;
    HWND focus = focus_of(dialog);
    for (HWND child : children(dialog)) {
        RECT r{};
        GetWindowRect(child, &r);
        std::printf("%d %s %s %ld %ld %ld %ld ", GetDlgCtrlID(child),
                    IsWindowEnabled(child) ? "enabled" : "disabled", child == focus ? "focus" : "-",
                    r.left, r.top, r.right - r.left, r.bottom - r.top);
        print(text_of(child) + "\n");
    }
    return 0;
}

int preview_forward_timed() {
    HWND dialog = find_dialog_captioned("Seitenvorschau");
    if (dialog == nullptr) return 1;
    HWND forward = GetDlgItem(dialog, 12);
    if (forward == nullptr || !IsWindowEnabled(forward)) return 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), reinterpret_cast<LPARAM>(forward));
    // The paint the click asked for, at once rather than when the viewer's queue is empty.
    SendMessageA(dialog, WM_PAINT, 0, 0);
    QueryPerformanceCounter(&end);
    std::printf("%.1f\n", 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return 0;
}

int printer_caps() {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof(pd);
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNIC;
    if (!deferred::PrintDlgA(&pd) || pd.hDC == nullptr) return 1;
    std::printf("%d %d %d %d\n", GetDeviceCaps(pd.hDC, LOGPIXELSX),
                GetDeviceCaps(pd.hDC, LOGPIXELSY), GetDeviceCaps(pd.hDC, HORZRES),
                GetDeviceCaps(pd.hDC, VERTRES));
    DeleteDC(pd.hDC);
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    return 0;
}

int font_metrics(const char* face, int height, int width) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = 400;
    font.lfUnderline = 1;
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", face);
    HDC ic = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    const TEXTMETRICA tm = text_metrics(ic, font);
    DeleteDC(ic);
    std::printf("%ld %ld\n", tm.tmHeight + tm.tmExternalLeading, tm.tmAveCharWidth);
    return 0;
}

int client_top() {
    HWND main = find_main();
    if (main == nullptr) return 1;
    RECT window{};
    GetWindowRect(main, &window);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    std::printf("%ld\n", origin.y - window.top);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    use_settings_store(registry_settings_store());
    if (argc < 2) return 2;
    const std::string verb = argv[1];
    if (verb == "wait-main") return wait_main(timeout_arg(argc, argv, 2, 20000));
    if (verb == "title") {
        HWND main = find_main();
        if (main == nullptr) return 1;
        print(text_of(main) + "\n");
        return 0;
    }
    if (verb == "popup") return popup_rect();
    if (verb == "popup-metrics") return popup_metrics();
    if (verb == "box") return box(timeout_arg(argc, argv, 2, 10000));
    if (verb == "save-dialog") {
        const char* name = argc > 2 && argv[2][0] ? argv[2] : nullptr;
        return save_dialog(name, timeout_arg(argc, argv, 3, 10000));
    }
    if (verb == "menu") return menu_rect(timeout_arg(argc, argv, 2, 10000));
    if (verb == "no-box") return viewer_windows("#32770").empty() ? 0 : 1;
    if (verb == "wait-no-box") {
        return wait_closed([](HWND) { return true; }, timeout_arg(argc, argv, 2, 10000));
    }
    if (verb == "wait-closed" && argc >= 3) {
        const std::string text = argv[2];
        return wait_closed(
            [&text](HWND dialog) { return text_of(dialog).find(text) != std::string::npos; },
            timeout_arg(argc, argv, 3, 10000));
    }
    if (verb == "wait-no-chooser") {
        return wait_closed(
            [](HWND dialog) { return is_colour_chooser(dialog) || is_font_chooser(dialog); },
            timeout_arg(argc, argv, 2, 10000));
    }
    if (verb == "wait-focus" && argc >= 3)
        return wait_focus(argv[2], timeout_arg(argc, argv, 3, 10000));
    if (verb == "command" && argc == 3) {
        HWND main = find_main();
        if (main == nullptr) return 1;
        PostMessageA(main, WM_COMMAND, std::strtoul(argv[2], nullptr, 10), 0);
        return 0;
    }
    if (verb == "dialog") return own_dialog(timeout_arg(argc, argv, 2, 10000));
    if (verb == "dialog-item" && argc == 3) {
        HWND item = own_dialog_item(argv[2]);
        if (item == nullptr) return 1;
        print(text_of(item) + "\n");
        return 0;
    }
    if (verb == "dialog-set" && argc == 4) {
        HWND item = own_dialog_item(argv[2]);
        if (item == nullptr) return 1;
        SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
        return 0;
    }
    if (verb == "dialog-click" && argc == 3) {
        HWND item = own_dialog_item(argv[2]);
        if (item == nullptr) return 1;
        // Posted: a button that opens a chooser would not return before the chooser closes.
        PostMessageA(item, BM_CLICK, 0, 0);
        return 0;
    }
    if (verb == "choose-colour" && argc >= 5) {
        return choose_colour(argv[2], argv[3], argv[4], timeout_arg(argc, argv, 5, 10000));
    }
    if (verb == "choose-font" && argc >= 3) {
        return choose_font(argv[2], timeout_arg(argc, argv, 3, 10000));
    }
    if (verb == "wait-dialog" && argc >= 3)
        return wait_dialog(argv[2], timeout_arg(argc, argv, 3, 10000));
    if (verb == "dialog-controls" && argc == 3) return dialog_controls(argv[2]);
    if (verb == "printer-caps") return printer_caps();
    if (verb == "preview-forward-timed") return preview_forward_timed();
    if (verb == "client-top") return client_top();
    if (verb == "font-metrics" && argc >= 4) {
        return font_metrics(argv[2], std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 0);
    }
    return 2;
}

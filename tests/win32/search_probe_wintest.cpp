// Looks at the viewer's search dialogs from outside, for the Wine test of the search:
//
//   search_probe_wintest client                    "x y width height" of the main window's
//                                                  client area on the screen
//   search_probe_wintest dialog CAPTION [MS]       waits for the viewer's dialog CAPTION
//   search_probe_wintest list [MS]                 waits for the list of finds; prints its note,
//                                                  a line "--", one line per row, a line "--end"
//   search_probe_wintest return-to-list [MS]       waits for the "Suchen" dialog, prints "ready",
//                                                  and from the moment Return is down prints the
//                                                  milliseconds until the list of finds is shown
//                                                  and filled, and until the dialog went
//
// Texts are printed as the windows hold them (Windows character set). Exit 0 on success, 1 when
// the window looked for does not appear, 2 on wrong use.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/win32/probe_windows.h"

namespace {

constexpr const char* kResultsCaption = "Fundstellen";
constexpr const char* kSearchCaption = "Suchen";
constexpr int kListId = 4005;  // IDC_SEARCH_LIST
constexpr int kNoteId = 4006;  // IDC_SEARCH_NOTE

using probe::find_main;
using probe::process_of;
using probe::text_of;

struct DialogSearch {
    DWORD pid;
    std::string caption;
    HWND found;
};

// A named function: only it carries the system's calling convention on 32-bit Windows.
BOOL CALLBACK match_dialog(HWND hwnd, LPARAM data) {
    auto* s = reinterpret_cast<DialogSearch*>(data);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    // The caption through GetWindowText: for another process's window it is read without a
    // message, so a viewer busy searching does not hold the probe up (which would falsify the
    // time measured).
    char caption[256] = {};
    if (!IsWindowVisible(hwnd) || process_of(hwnd) != s->pid || std::string(cls) != "#32770") {
        return TRUE;
    }
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (caption == s->caption) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND find_dialog(const std::string& caption) {
    HWND main = find_main();
    if (main == nullptr) return nullptr;
    DialogSearch search{process_of(main), caption, nullptr};
    EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_dialog(const std::string& caption, DWORD timeout, DWORD poll_ms = 100) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND dialog = find_dialog(caption)) return dialog;
        if (GetTickCount() - start > timeout) return nullptr;
        Sleep(poll_ms);
    }
}

LRESULT list_count(HWND dialog) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, kListId), LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 50,
                             &count)) {
        return 0;
    }
    return static_cast<LRESULT>(count);
}

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

DWORD timeout_arg(int argc, char** argv, int at, DWORD fallback) {
    return argc > at ? static_cast<DWORD>(std::strtoul(argv[at], nullptr, 10)) : fallback;
}

int client() {
    HWND main = find_main();
    if (main == nullptr) return 1;
    RECT rc{};
    GetClientRect(main, &rc);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, rc.right - rc.left, rc.bottom - rc.top);
    return 0;
}

int list(DWORD timeout) {
    HWND dialog = wait_dialog(kResultsCaption, timeout);
    if (dialog == nullptr) return 1;
    Sleep(200);
    HWND box = GetDlgItem(dialog, kListId);
    std::string out = text_of(GetDlgItem(dialog, kNoteId)) + "\n--\n";
    const LRESULT count = list_count(dialog);
    for (LRESULT i = 0; i < count; ++i) {
        // Another process's list box is read in Unicode: the system copies those texts across.
        const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, i, 0);
        if (length < 0) continue;
        std::vector<wchar_t> row(static_cast<size_t>(length) + 1);
        SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()));
        char narrow[8192] = {};
        WideCharToMultiByte(1252, 0, row.data(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        out += narrow;
        out += "\n";
    }
    print(out + "--end\n");
    return 0;
}

int return_to_list(DWORD timeout) {
    HWND search = wait_dialog(kSearchCaption, timeout);
    if (search == nullptr) return 1;
    // Ready: the caller presses Return now (held for a moment, so that it is seen down). The
    // first call clears the "pressed since the last call" bit; that bit, or the dialog gone,
    // still tells a probe kept off the processor past the key's release (a loaded machine) that
    // Return came, later than it did.
    GetAsyncKeyState(VK_RETURN);
    std::printf("ready\n");
    std::fflush(stdout);
    const DWORD waiting = GetTickCount();
    while ((GetAsyncKeyState(VK_RETURN) & 0x8001) == 0 && IsWindowVisible(search)) {
        if (GetTickCount() - waiting > timeout) return 1;
        Sleep(1);
    }
    const DWORD start = GetTickCount();
    DWORD closed = 0;  // when the "Suchen" dialog went: the search begins
    for (;;) {
        if (closed == 0 && !IsWindowVisible(search)) closed = GetTickCount() - start;
        HWND results = find_dialog(kResultsCaption);
        if (results != nullptr && list_count(results) > 0) break;
        if (GetTickCount() - start > timeout) return 1;
        Sleep(2);
    }
    std::printf("%lu %lu\n", static_cast<unsigned long>(GetTickCount() - start),
                static_cast<unsigned long>(closed));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string verb = argv[1];
    if (verb == "client") return client();
    if (verb == "dialog" && argc >= 3) {
        return wait_dialog(argv[2], timeout_arg(argc, argv, 3, 10000)) ? 0 : 1;
    }
    if (verb == "list") return list(timeout_arg(argc, argv, 2, 10000));
    if (verb == "return-to-list") return return_to_list(timeout_arg(argc, argv, 2, 10000));
    return 2;
}

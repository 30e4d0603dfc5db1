// Where the running viewer's keyboard focus is, for the keyboard-only Wine tests:
//
//   focus_probe_wintest focus    "ID CAPTION": the control id of the focused window within its
//                                top-level window (0 when that window itself has the focus)
//                                and the top-level window's caption (Windows set); "none" when
//                                no window of the viewer has it
//
// Asked of the viewer's thread from outside, so the probe does not disturb the focus it reads.
// Exit 0 on success, 1 without a focus or viewer, 2 on wrong use.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/win32/probe_windows.h"

namespace {

int focus() {
    HWND main = probe::find_main();
    if (main == nullptr) {
        std::printf("none\n");
        return 1;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ||
        info.hwndFocus == nullptr) {
        std::printf("none\n");
        return 1;
    }
    HWND top = GetAncestor(info.hwndFocus, GA_ROOT);
    const int id = info.hwndFocus == top ? 0 : GetDlgCtrlID(info.hwndFocus);
    std::printf("%d %s\n", id, probe::text_of(top).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "focus") return focus();
    std::fprintf(stderr, "usage: focus_probe_wintest focus\n");
    return 2;
}

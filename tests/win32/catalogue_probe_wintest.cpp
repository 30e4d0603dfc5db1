// Looks at the viewer's catalogue window from outside, for its Wine test:
//
//   catalogue_probe_wintest shown [MS]        waits until the catalogue window is visible
//   catalogue_probe_wintest hidden [MS]       waits until it is hidden (or gone)
//   catalogue_probe_wintest part              the tab shown: 0 keywords, 1 contents, 2 shelf
//   catalogue_probe_wintest tree-selection    the text of the contents tree's selected item
//   catalogue_probe_wintest rows              the keyword list's row count
//
// The tree and list live in the viewer's process: their items are read through a buffer placed
// in that process. Texts are printed as the windows hold them (Windows set). Exit 0 on success,
// 1 when the window or the item looked for is not there, 2 on wrong use.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/win32/probe_windows.h"

namespace {

constexpr const char* kClass = "VellumarKatalog";
constexpr int kTabsId = 100;
constexpr int kKeywordsId = 102;
constexpr int kTreeId = 103;

HWND find_catalogue() {
    HWND main = probe::find_main();
    if (main == nullptr) return nullptr;
    HWND found = FindWindowA(kClass, nullptr);
    return found && probe::process_of(found) == probe::process_of(main) ? found : nullptr;
}

bool wait_visible(bool visible, DWORD timeout) {
    const DWORD start = GetTickCount();
    do {
        HWND window = find_catalogue();
        if ((window != nullptr && IsWindowVisible(window)) == visible) return true;
        Sleep(50);
    } while (GetTickCount() - start < timeout);
    return false;
}

// The selected item's text of the tree: the item record and its text buffer in the viewer.
int tree_selection(HWND tree) {
    const auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr) {
        std::printf("none\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 probe::process_of(tree));
    if (process == nullptr) return 1;
    constexpr SIZE_T kTextSize = 512;
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(TVITEMA) + kTextSize,
                                                     MEM_COMMIT, PAGE_READWRITE));
    int status = 1;
    if (remote != nullptr) {
        TVITEMA record{};
        record.mask = TVIF_TEXT;
        record.hItem = item;
        record.pszText = remote + sizeof(TVITEMA);
        record.cchTextMax = kTextSize;
        char text[kTextSize] = {};
        if (WriteProcessMemory(process, remote, &record, sizeof(record), nullptr) &&
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote)) &&
            ReadProcessMemory(process, remote + sizeof(TVITEMA), text, kTextSize - 1, nullptr)) {
            std::printf("%s\n", text);
            status = 0;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return status;
}

DWORD timeout_arg(int argc, char** argv) {
    return argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 10000;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string verb = argv[1];
    if (verb == "shown") return wait_visible(true, timeout_arg(argc, argv)) ? 0 : 1;
    if (verb == "hidden") return wait_visible(false, timeout_arg(argc, argv)) ? 0 : 1;
    HWND window = find_catalogue();
    if (window == nullptr) return 1;
    if (verb == "part") {
        std::printf("%d\n", static_cast<int>(SendMessageA(GetDlgItem(window, kTabsId),
                                                          TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    if (verb == "tree-selection") return tree_selection(GetDlgItem(window, kTreeId));
    if (verb == "rows") {
        std::printf("%d\n", static_cast<int>(SendMessageA(GetDlgItem(window, kKeywordsId),
                                                          LVM_GETITEMCOUNT, 0, 0)));
        return 0;
    }
    return 2;
}

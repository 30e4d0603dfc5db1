// The recent-files list of the viewer: one list for the run, written after every change.
#include "win32/recent_files_win32.h"

#include <windows.h>

#include "app/command_ids.h"
#include "app/recent_files.h"
#include "settings/settings_store.h"
#include "win32/viewer_window_win32.h"

namespace {

constexpr unsigned FILE_MENU_POSITION = 0;

void store_list() {
    ViewerWindow& w = viewer_window();
    w.recent_files.save(*open_platform_settings_store());  // a failed write keeps the old list
}

bool file_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The position just below "Beenden": everything from there on is the list's.
int list_start(HMENU file_menu) {
    const int count = GetMenuItemCount(file_menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(file_menu, i) == CM_QUIT) return i + 1;
    }
    return count;
}

}  // namespace

void load_recent_files() {
    ViewerWindow& w = viewer_window();
    w.recent_files.load(*open_platform_settings_store());
}

void note_opened_hypertext(const std::string& path) {
    ViewerWindow& w = viewer_window();
    w.recent_files.add(path);
    store_list();
    renew_recent_menu();
}

void renew_recent_menu() {
    ViewerWindow& w = viewer_window();
    HMENU bar = w.hwnd ? GetMenu(w.hwnd) : nullptr;
    HMENU file_menu = bar ? GetSubMenu(bar, FILE_MENU_POSITION) : nullptr;
    if (file_menu == nullptr) return;
    const int start = list_start(file_menu);
    while (GetMenuItemCount(file_menu) > start) DeleteMenu(file_menu, start, MF_BYPOSITION);
    const std::vector<std::string>& paths = w.recent_files.paths();
    if (paths.empty()) return;
    AppendMenuA(file_menu, MF_SEPARATOR, 0, nullptr);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        AppendMenuA(file_menu, MF_STRING, CM_RECENT_FIRST + i,
                    recent_menu_text(i, paths[i]).c_str());
    }
}

std::optional<std::string> recent_file_to_open(unsigned index) {
    ViewerWindow& w = viewer_window();
    const std::vector<std::string>& paths = w.recent_files.paths();
    if (index >= paths.size()) return std::nullopt;
    const std::string path = paths[index];  // a copy: opening changes the list
    if (!file_exists(path)) {
        show_message(w.hwnd, recent_file_missing_message(path));
        w.recent_files.remove(path);
        store_list();
        renew_recent_menu();
        return std::nullopt;
    }
    return path;
}

// Start-up, message loop and shutdown of the viewer; the font measurement they share.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/start_choice.h"
#include "hyp/charset.h"
#include "hyp/paths.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "win32/catalogue_window_win32.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/main_window_win32.h"
#include "win32/navigation_win32.h"
#include "win32/popup_window_win32.h"
#include "win32/print_win32.h"
#include "win32/recent_files_win32.h"
#include "win32/registry_store_win32.h"
#include "win32/reload_win32.h"
#include "win32/search_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_win32.h"
#include "win32/viewer_window_win32.h"

// Every button has its picture and every fill pattern its bitmap.
static_assert(IDB_TOOLBAR_LAST - IDB_TOOLBAR_FIRST + 1 == TOOLBAR_BUTTON_COUNT, "button bitmaps");
static_assert(IDB_PATTERN_LAST - IDB_PATTERN_FIRST + 1 == PATTERN_COUNT, "pattern bitmaps");

namespace {

void copy_setting(char (&setting)[SETTINGS_PATH_SIZE], const std::string& value) {
    snprintf(setting, sizeof(setting), "%s", value.c_str());
}

// The file-open dialog of start-up: no owner, in the directory of the hypertext opened last
// and with its name proposed. False when the user cancels.
bool ask_for_hypertext(std::string& path) {
    const std::string last = settings.LastLoadPath;
    const std::optional<std::string> chosen =
        choose_hypertext_file(nullptr, path_directory(last), path_file_name(last));
    if (!chosen) return false;
    path = *chosen;
    return true;
}

// Chooses and opens the first hypertext: the command line, then the StartUp setting, then the
// file dialog, which alone is offered again after a failed attempt. Sets the page to show and
// the document's start line.
bool open_first_hypertext() {
    ViewerWindow& w = viewer_window();
    const StartSettings stored{settings.StartUp, settings.DefHyp, settings.LastLoadPath,
                               settings.LastLoadIndex, settings.LastLoadZeile};
    StartChoice choice = choose_start(start_arguments(w.arguments), stored);
    ViewState& view = w.view;
    for (;;) {
        std::string path = choice.path;
        if (choice.source == StartSource::FileDialog && !ask_for_hypertext(path)) return false;
        copy_setting(settings.LastLoadPath, path);
        measure_screen_fonts();
        view.conversion = 0;
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        // The remembered page is applied after opening, when the file's length is known.
        view.current_page = -1;
        note_opening_hypertext(path);
        const Outcome opened = open_hypertext(path, choice.node_name, -1, view.current_page);
        if (opened) {
            note_opened_hypertext(path);
            follow_opened_hypertext();
            const StartPosition at =
                start_position(choice, view.current_page, document.start_line,
                               document.index.size(), document.last_node_index);
            view.current_page = at.page;
            document.start_line = at.line;
            return true;
        }
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        report_failure(nullptr, opened);
        choice = StartChoice{};  // after a failure only the file dialog is offered
    }
}

bool register_classes() {
    ViewerWindow& w = viewer_window();
    WNDCLASSA main_class{};
    main_class.style = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT;
    main_class.lpfnWndProc = main_window_procedure;
    main_class.hInstance = w.instance;
    main_class.hIcon = LoadIconA(w.instance, MAKEINTRESOURCEA(IDI_VELLUMAR));
    main_class.hCursor = nullptr;  // the window procedure sets the cursor on every move
    w.main_brush = CreateSolidBrush(settings.BCKCOLOR());
    main_class.hbrBackground = w.main_brush;
    main_class.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    main_class.lpszClassName = MAIN_CLASS_NAME;
    if (!RegisterClassA(&main_class)) return false;

    WNDCLASSA& popup = w.popup_class;
    popup = WNDCLASSA{};
    popup.style = CS_VREDRAW | CS_HREDRAW | CS_SAVEBITS;
    popup.lpfnWndProc = popup_window_procedure;
    popup.hInstance = w.instance;
    popup.hCursor = LoadCursor(nullptr, IDC_ARROW);
    w.popup_brush = CreateSolidBrush(settings.POPCOLOR());
    popup.hbrBackground = w.popup_brush;
    popup.lpszClassName = POPUP_CLASS_NAME;
    return RegisterClassA(&popup) != 0;
}

}  // namespace

bool start_viewer(ViewerWindow& w, HINSTANCE instance, const char* command_line, int show_command) {
    set_viewer_window(&w);
    attach_navigation(w);
    attach_search(w);
    attach_file_follower(w);
    w.instance = instance;
    w.show_command = show_command;
    w.text_font = &settings.FONT;

    use_settings_store(registry_settings_store());
    load_settings();              // resets the custom colours to their defaults first
    w.dpi = window_dpi(nullptr);  // the system's, until the window knows its screen
    load_recent_files();

    char module[MODULE_PATH_SIZE] = "";
    GetModuleFileNameA(nullptr, module, sizeof(module));
    w.arguments = split_command_line(command_line ? command_line : "", module);

    if (!open_first_hypertext()) return false;

    ViewState& view = w.view;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    view.conversion = screen_conversion(document.source_charset);

    if (!register_classes()) return false;
    load_toolbar_bitmaps();
    load_link_cursors();

    w.title = window_title_for(view.current_page);
    HWND hwnd =
        // WS_EX_ACCEPTFILES: dropped files arrive as WM_DROPFILES.
        CreateWindowExA(WS_EX_ACCEPTFILES, MAIN_CLASS_NAME, w.title.c_str(),
                        WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, &w);
    if (hwnd == nullptr) return false;
    w.hwnd = hwnd;
    adopt_window_dpi(hwnd);
    renew_recent_menu();
    w.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
    w.light_grey_brush = CreateSolidBrush(PREVIEW_GREY);

    if (settings.WindowPlacement.length != 0) {
        WINDOWPLACEMENT placement;
        memcpy(&placement, &settings.WindowPlacement, sizeof(placement));
        placement.length = sizeof(placement);
        SetWindowPlacement(hwnd, &placement);
    } else {
        ShowWindow(hwnd, show_command);
    }

    if (settings.DefHyp[0] == '\0') copy_setting(settings.DefHyp, document.path);
    if (settings.HypPath[0] == '\0') copy_setting(settings.HypPath, path_directory(document.path));
    // The first page first; the settings are written after it is on the screen.
    UpdateWindow(hwnd);
    save_window_placement();
    return true;
}

int run_message_loop() {
    ViewerWindow& w = viewer_window();
    MSG msg{};
    // GetMessage gives -1 on failure: the loop ends then as well.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (catalogue_message(w, msg)) continue;
        if (!TranslateAcceleratorA(w.hwnd, w.accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

void shutdown_viewer() {
    ViewerWindow& w = viewer_window();
    release_print_device();
    for (HBITMAP& bitmap : w.toolbar_bitmaps) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (w.popup_brush) DeleteObject(w.popup_brush);
    if (w.main_brush) DeleteObject(w.main_brush);
    if (w.light_grey_brush) DeleteObject(w.light_grey_brush);
    w.popup_brush = w.main_brush = w.light_grey_brush = nullptr;
    w.history.clear();
    close_hypertext();
    set_viewer_window(nullptr);
}

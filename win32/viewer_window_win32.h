// The viewer's one state object (the program's handles, the main window, its view and every part
// the front end keeps between messages), and the services every part of the front end uses.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/history.h"
#include "app/kept_page.h"
#include "app/navigation.h"
#include "app/print_layout.h"
#include "app/recent_files.h"
#include "app/reload.h"
#include "app/search_session.h"
#include "app/text_selection.h"
#include "app/view_state.h"
#include "app/wheel.h"
#include "hyp/failure.h"
#include "render/page_recording.h"
#include "render/screen_metrics.h"
#include "resources/resource.h"
#include "settings/settings_layout.h"
#include "win32/accessibility_state_win32.h"
#include "win32/gdi_device_win32.h"

constexpr const char* MAIN_CLASS_NAME = "Vellumar";
constexpr const char* POPUP_CLASS_NAME = "Popup";
// The light grey of the option dialogs and the page preview.
constexpr COLORREF PREVIEW_GREY = 0xC0C0C0;

// Figures of the page view since the start (the bench reads them): recordings of the kept
// page and the paints drawn from it, with their times in milliseconds.
struct PageViewFigures {
    uint32_t recordings = 0;
    double recording_ms = 0;
    uint32_t paints = 0;
    double replay_ms = 0;
    double transfer_ms = 0;
    std::size_t kept_page_bytes = 0;  // the page kept now
    std::size_t bitmap_bytes = 0;
};

// The shown page as recorded, with what the recording walk left on its entry: link areas and
// picture heights are put back before each paint, as a walk would rebuild them (printing
// rewrites them in printer units meanwhile).
struct KeptPage {
    std::unique_ptr<PageRecording> recording;
    KeptPageKey key;
    std::vector<LinkArea> links;
    std::vector<int32_t> image_line_heights;
    int32_t display_line = -1;  // where the search find's line was drawn; -1 none
    // The display line of each text line, from the recording walk: the selection's map.
    DisplayLines text_line_display;
};

// The main window's page on screen: the kept page and the bitmap it is painted into.
struct PageView {
    // Deletes the recordings' fonts, pens and brushes: GDI objects need no context for that.
    // Declared before the kept page, so that it outlives it.
    GdiDevice object_releaser{nullptr};
    KeptPage kept;
    OffscreenBitmap offscreen;
    PageViewFigures figures;
};

// Printing: the dialog record of the run (its owner is the main window, its flags carry over
// from dialog to dialog), the printer chosen in the last dialog (the next one opens with it),
// and the geometry of the last print or preview (the preview dialog draws with it).
struct PrintState {
    PRINTDLGA dialog{};
    HGLOBAL devmode = nullptr;
    HGLOBAL devnames = nullptr;
    PrintMetrics geometry;
    PreviewButtons preview_buttons;
};

// One accumulator per use of the wheel: parts of a notch never carry from one to another.
struct WheelState {
    WheelAccumulator vertical;
    WheelAccumulator horizontal;
    WheelAccumulator zoom;
};

// The text selection on the shown page: the page's cells (collected when first needed, in the
// clipboard's set), the selection, and a press of the left button in progress.
struct SelectionState {
    int32_t text_page = -1;  // the page `text` holds; -1: none collected
    uint32_t text_target = 0;  // the clipboard's set it was collected in
    PageText text;
    TextSelection selection;
    bool pressed = false;        // the left button went down on the page and is held
    bool press_on_link = false;  // ...on a link: a click follows it, a drag selects
    bool selecting = false;      // the pointer's moves extend the selection
    bool anchored = false;       // a press on this page set the anchor Shift+click extends from
    POINT press_point{};
    POINT drag_point{};  // the pointer's last place in a drag (client; beyond it while captured)
    int clicks = 0;  // 1, 2 (a word) or 3 (a line) presses in a row
    LONG last_press_time = 0;
    POINT last_press_point{};
    bool scrolling = false;  // the drag's scroll timer runs
};

// Everything the viewer keeps from start-up to shutdown. Made by start_viewer, reached from the
// main window (its user data) and through viewer_window().
struct CatalogueWindow;
// Frees the catalogue window (where its type is complete: win32/catalogue_window_win32.cpp).
struct CatalogueWindowDeleter {
    void operator()(CatalogueWindow* catalogue) const;
};

struct ViewerWindow {
    ViewerWindow();
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    // --- the program
    HINSTANCE instance = nullptr;
    int dpi = 96;  // of the main window's screen; every 96-dpi pixel size is scaled by it
    int show_command = SW_SHOWDEFAULT;  // used only when no window placement is stored
    // The text font: FONT, or XFONT while the alternative-font toggle is on.
    LogFontRecord* text_font = nullptr;
    // The display fonts at the screen's DPI (used only when it is not 96).
    LogFontRecord scaled_text_font{};
    LogFontRecord scaled_alt_font{};
    ScreenMetrics metrics;
    WNDCLASSA popup_class{};  // kept: the colour command registers the class again
    HBRUSH main_brush = nullptr;
    HBRUSH popup_brush = nullptr;
    HBRUSH light_grey_brush = nullptr;  // 0xC0C0C0: the option dialogs and the page preview
    HBITMAP toolbar_bitmaps[TOOLBAR_BUTTON_COUNT] = {};
    HACCEL accelerators = nullptr;
    std::vector<std::string> arguments;  // from split_command_line, kept for the whole run
    // The title buffer: "Vellumar - " and the shown entry's name; also the print job's name.
    std::string title;

    // --- the main window
    HWND hwnd = nullptr;
    ViewState view;
    bool window_created = false;       // set at the end of WM_CREATE
    bool menu_tracking = false;        // one of the window's popup menus is being tracked
    HWND popup_window = nullptr;       // the open popup window, if any
    int32_t popup_entry = 0;           // the entry the popup shows
    HCURSOR link_cursor = nullptr;     // cursor 1
    HCURSOR pressed_cursor = nullptr;  // cursor 2
    // Whether the link cursors were made at another size (then they are ours to destroy).
    bool own_cursors = false;

    // --- its parts
    HistoryStack history;
    std::unique_ptr<NavigationHost> navigation_host;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<SearchHost> search_host;
    std::unique_ptr<SearchSession> search;
    PageView page_view;
    PrintState print;
    RecentFiles recent_files;
    WheelState wheel;
    std::unique_ptr<CatalogueWindow, CatalogueWindowDeleter> catalogue;  // made when first shown
    AccessibilityState accessibility;
    // Following the open file on disk (win32/reload_win32.h).
    std::unique_ptr<FileFollower> file_follower;
    FileIdentity opening_identity;  // of the file being opened, read right before
    bool looking_at_file = false;   // a look is running (its message box may run a loop)
    uint32_t last_tick = 0;         // GetTickCount of the last look, and the wraps seen since:
    int64_t tick_wraps = 0;         // the looks' clock in milliseconds that never runs back
    // The text selection on the shown page (win32/selection_win32.h).
    SelectionState selection;
};

// The viewer's state object while there is one (between start_viewer and shutdown_viewer).
ViewerWindow& viewer_window();
// Makes `window` the viewer's state object (nullptr: none any more).
void set_viewer_window(ViewerWindow* window);

// Measures the two fonts on an information context of the display: char_width and line_height
// from `text_font`, cell_width from `alt_font`. Both records get weight 400 and the underline
// flag set, in place, before they are measured.
void measure_fonts(LogFontRecord& text_font, LogFontRecord& alt_font, ScreenMetrics& metrics);

// The file-open dialog for a hypertext (*.hyp; with the default flags the file must exist),
// owned by `owner` (none at start-up), opening in `directory` with `file_name` proposed. The
// chosen path; none when the user cancels.
std::optional<std::string> choose_hypertext_file(HWND owner, const std::string& directory,
                                                 const std::string& file_name,
                                                 DWORD flags = OFN_FILEMUSTEXIST |
                                                               OFN_HIDEREADONLY);

// A message box with the system's caption (`caption` nullptr) and an OK button.
void show_message(HWND owner, const std::string& text, const char* caption = nullptr);

// The one place a failure reaches the viewer's user: its message in a message box (nothing
// when `outcome` succeeded). Returns whether it succeeded.
bool report_failure(HWND owner, const Outcome& outcome);

// Program-wide state of the Windows viewer, start-up and shutdown, and the shared helpers.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "render/page_walk.h"
#include "render/screen_metrics.h"
#include "resources/resource.h"
#include "settings/settings_layout.h"

// One instance each, created at start-up and released at shutdown.
struct Viewer {
    HINSTANCE instance = nullptr;
    int show_command = SW_SHOWDEFAULT;  // used only when no window placement is stored
    // The text font: FONT, or XFONT while the alternative-font toggle is on.
    LogFontRecord* text_font = nullptr;
    ScreenMetrics metrics;
    WNDCLASSA popup_class{};  // kept: the colour command registers the class again
    HBRUSH main_brush = nullptr;
    HBRUSH popup_brush = nullptr;
    HBRUSH light_grey_brush = nullptr;  // 0xC0C0C0: the option dialogs and the page preview
    HBITMAP toolbar_bitmaps[TOOLBAR_BUTTON_COUNT] = {};
    HACCEL accelerators = nullptr;
    HWND main_window = nullptr;
    std::vector<std::string> arguments;  // from split_command_line, kept for the whole run
    // The title buffer: "Vellumar - " and the shown entry's name; also the print job's name.
    std::string title;
};
extern Viewer viewer;

constexpr const char* MAIN_CLASS_NAME = "Vellumar";
constexpr const char* POPUP_CLASS_NAME = "Popup";
// The light grey of the option dialogs and the page preview.
constexpr COLORREF PREVIEW_GREY = 0xC0C0C0;

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

// What the main window and the popup walk their pages with: the screen's metrics, the text font
// and XFONT, and the picture scaling setting.
WalkFonts viewer_walk_fonts();

// "Vellumar - " and the entry's name converted for the screen.
std::string window_title_for(unsigned entry);

// Start-up up to the first paint: settings, command line, the first hypertext (with its file
// dialog and message boxes), the window classes, the main window and its placement. Returns
// false when the user cancelled the first file dialog (nothing is created then).
bool start_viewer(HINSTANCE instance, const char* command_line, int show_command);

// The message loop: every message passes the accelerators of the main window first. Returns
// the quit message's code.
int run_message_loop();

// Releases everything start_viewer created, the history and the document.
void shutdown_viewer();

// A message box with the system's caption (`caption` nullptr) and an OK button.
void show_message(HWND owner, const std::string& text, const char* caption = nullptr);

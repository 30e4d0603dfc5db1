// The viewer's one state object, and the services every part of the front end uses.
#include "win32/viewer_window_win32.h"

#include <cstdio>

#include "win32/deferred_dlls_win32.h"

namespace {

// The state object of the running viewer: start_viewer sets it, shutdown_viewer clears it.
ViewerWindow* current_window = nullptr;

}  // namespace

ViewerWindow::ViewerWindow() {
    print.dialog.lStructSize = sizeof(print.dialog);
    print.dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS;
}

ViewerWindow::~ViewerWindow() = default;

ViewerWindow& viewer_window() {
    return *current_window;
}

void set_viewer_window(ViewerWindow* window) {
    current_window = window;
}

std::optional<std::string> choose_hypertext_file(HWND owner, const std::string& directory,
                                                 const std::string& file_name, DWORD flags) {
    char file[SETTINGS_PATH_SIZE];
    snprintf(file, sizeof(file), "%s", file_name.c_str());
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "ST-Guide-Hypertexte (*.HYP)\0*.hyp\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    ofn.lpstrDefExt = "hyp";
    ofn.Flags = flags;
    if (!deferred::GetOpenFileNameA(&ofn)) return std::nullopt;
    return std::string(file);
}

void measure_fonts(LogFontRecord& text_font, LogFontRecord& alt_font, ScreenMetrics& metrics) {
    HDC ic = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    auto measure = [&](LogFontRecord& record, TEXTMETRICA& tm) {
        record.lfWeight = 400;
        record.lfUnderline = 1;
        HFONT handle = create_gdi_font(record);
        HGDIOBJ old = SelectObject(ic, handle);
        tm = TEXTMETRICA{};
        GetTextMetricsA(ic, &tm);
        SelectObject(ic, old);
        DeleteObject(handle);
    };
    TEXTMETRICA text{}, alt{};
    measure(text_font, text);
    measure(alt_font, alt);
    DeleteDC(ic);
    metrics.char_width = text.tmAveCharWidth;
    metrics.line_height = text.tmHeight + text.tmExternalLeading;
    metrics.cell_width = alt.tmAveCharWidth;
}

void show_message(HWND owner, const std::string& text, const char* caption) {
    MessageBoxA(owner, text.c_str(), caption, MB_OK);
}

bool report_failure(HWND owner, const Outcome& outcome) {
    if (!outcome) show_message(owner, outcome.failure().message);
    return static_cast<bool>(outcome);
}

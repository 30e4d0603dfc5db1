// The main window's document commands: exports through the save dialog, the clipboard copy of
// the shown page, and the keyboard help.
#include "win32/document_commands_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "app/document_commands.h"
#include "app/page_copy.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "hyp/charset.h"
#include "hyp/paths.h"
#include "settings/settings.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/scoped_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

void wait_cursor(bool wait) {
    SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

// The save dialog of an export, editing `path` (at most SETTINGS_PATH_SIZE characters).
bool choose_export_file(const ExportDialogSpec& dialog, std::string& path) {
    ViewerWindow& w = viewer_window();
    char file[SETTINGS_PATH_SIZE];
    std::snprintf(file, sizeof file, "%s", path.c_str());
    const std::string filter = export_filter(dialog);
    const std::string directory = path_directory(document.path);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = w.hwnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    ofn.lpstrDefExt = dialog.extension;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!deferred::GetSaveFileNameA(&ofn)) return false;
    path = file;
    return true;
}

void store_setting_path(char (&buffer)[SETTINGS_PATH_SIZE], const std::string& path) {
    std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
}

std::wstring wide_from_utf8(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<size_t>(size), L'\0');  // never more units than bytes
    wide.resize(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size)));
    return wide;
}

}  // namespace

void put_text_on_clipboard(const std::string& text, const std::string& utf8) {
    ViewerWindow& w = viewer_window();
    // The Unicode text is made before the clipboard is touched: without it the clipboard stays
    // as it was.
    std::wstring unicode;
    try {
        unicode = wide_from_utf8(utf8);
    } catch (const std::bad_alloc&) {
        show_message(w.hwnd, COPY_TEMP_FAILED);
        return;
    }
    ClipboardSession clipboard;
    const UINT format = clipboard_takes_oem_text(settings.char_conv) ? CF_OEMTEXT : CF_TEXT;
    if (clipboard.usable() && !clipboard.set_text(text, format)) {
        show_message(w.hwnd, COPY_MEMORY_FAILED);
    } else if (clipboard.usable()) {
        clipboard.set_unicode_text(unicode);
    }
}

void export_command(ExportMode mode) {
    ViewerWindow& w = viewer_window();
    const ExportDialogSpec& dialog = export_dialog_spec(mode);
    std::string chosen = proposed_export_name(document.path, mode);
    if (!choose_export_file(dialog, chosen)) return;
    store_setting_path(settings.LastSavePath, chosen);
    report_failure(w.hwnd, save_settings_div());
    wait_cursor(true);

    const ExportRun run = export_run(mode, chosen, document.source_charset);
    bool open_failed = false;
    {
        // Binary: the writers end every line with CR LF themselves, as the files must have.
        std::FILE* file = nullptr;
        if (mode != ExportMode::Html) {
            file = std::fopen(run.path.c_str(), "wb");
            open_failed = file == nullptr;
        }
        if (!open_failed) {
            ExportOutput output(file);
            std::string first_html_file;
            const Outcome exported =
                export_hypertext(run, *w.text_font, mode == ExportMode::Html ? nullptr : &output,
                                 {}, &first_html_file);
            if (!exported) {
                wait_cursor(false);
                report_failure(w.hwnd, exported);
            } else if (mode == ExportMode::Html) {
                MessageBoxA(nullptr, html_success_message(first_html_file).c_str(),
                            HTML_SUCCESS_CAPTION, MB_OK);
            }
        }
        if (file != nullptr) std::fclose(file);
    }

    wait_cursor(false);
    if (open_failed) show_message(w.hwnd, EXPORT_OPEN_FAILED);
}

void copy_page_command() {
    ViewerWindow& w = viewer_window();
    const uint16_t page = static_cast<uint16_t>(w.view.current_page);
    // The page text in the clipboard's set, and as UTF-8 the characters the Windows set lacks
    // (the Atari arrows, Greek letters...) as the characters they are.
    std::string text;
    std::string utf8;
    try {
        copy_page_text(document, page, settings.char_conv, text);
        copy_page_text(document, page, TARGET_UTF8, utf8);
    } catch (const std::bad_alloc&) {
        show_message(w.hwnd, COPY_TEMP_FAILED);
        return;
    }
    put_text_on_clipboard(text, utf8);
}

void key_help_command() {
    ViewerWindow& w = viewer_window();
    show_message(w.hwnd, KEY_HELP_TEXT, KEY_HELP_CAPTION);
}

// The main window's commands: the handler of each command of the list, and the dispatch.
#include "win32/commands_win32.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "app/command_host.h"
#include "app/file_info.h"
#include "app/link_selection.h"
#include "settings/settings.h"
#include "win32/catalogue_window_win32.h"
#include "win32/document_commands_win32.h"
#include "win32/navigation_win32.h"
#include "win32/options_dialogs_win32.h"
#include "win32/print_win32.h"
#include "win32/recent_files_win32.h"
#include "win32/search_win32.h"
#include "win32/selection_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

ViewState& view() {
    return viewer_window().view;
}

const IndexEntry* current_entry() {
    const int32_t page = view().current_page;
    if (page < 0 || static_cast<std::size_t>(page) >= document.index.size()) return nullptr;
    return &document.index[page];
}

ScreenLines screen_lines() {
    ViewerWindow& w = viewer_window();
    RECT rc{};
    GetClientRect(w.hwnd, &rc);
    return {view().top_line, (rc.bottom - rc.top) / std::max<int32_t>(w.metrics.line_height, 1)};
}

// The part of a link's area inside the client area is drawn again (erasing the inversion, or
// drawing it).
void invalidate_link(const LinkArea& area) {
    ViewerWindow& w = viewer_window();
    const DeviceRect at = link_client_rect(area, view().top_line, view().left_column,
                                           w.metrics.line_height, w.metrics.cell_width);
    const RECT r{at.left, at.top, at.right, at.bottom};
    RECT client{}, visible{};
    GetClientRect(w.hwnd, &client);
    if (IntersectRect(&visible, &r, &client)) InvalidateRect(w.hwnd, &visible, TRUE);
}

void step_selection(int direction) {
    const IndexEntry* entry = current_entry();
    if (entry == nullptr) return;
    const uint16_t old = view().selected_link;
    const ScreenLines screen = screen_lines();
    view().selected_link =
        step_link_selection(old, *entry, direction, settings.linksel_visible != 0, screen);
    if (view().selected_link == old) return;
    if (old != 0) {
        if (const LinkArea* area = link_at_ordinal(*entry, old)) invalidate_link(*area);
    }
    if (view().selected_link == 0) return;
    const LinkArea* area = link_at_ordinal(*entry, view().selected_link);
    if (area == nullptr) return;
    if (!screen.shows(area->line)) {
        // Brings the link's line to the top as far as the range allows.
        scroll_view(SB_VERT, SB_THUMBTRACK, area->line);
    }
    // Also after scrolling: the moved pixels never showed this link inverted.
    invalidate_link(*area);
}

void follow_selection() {
    ViewerWindow& w = viewer_window();
    const IndexEntry* entry = current_entry();
    if (entry == nullptr) return;
    view().selected_link =
        link_visible(view().selected_link, *entry, settings.linksel_visible != 0, screen_lines());
    if (view().selected_link == 0) return;
    const LinkArea* area = link_at_ordinal(*entry, view().selected_link);
    if (area == nullptr) return;
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(w.hwnd, &cursor);
    follow_link(*area, cursor);
}

void show_extra_menu() {
    ViewerWindow& w = viewer_window();
    HMENU resource = LoadMenuA(w.instance, MAKEINTRESOURCEA(IDM_EXTRA));
    if (resource == nullptr) return;
    HMENU menu = GetSubMenu(resource, 0);
    EnableMenuItem(menu, CM_CLEAR_STACK,
                   MF_BYCOMMAND | (history_not_empty() ? MF_ENABLED : MF_GRAYED));
    track_popup_menu(menu);
    DestroyMenu(resource);
}

void toggle_xfont() {
    ViewerWindow& w = viewer_window();
    w.text_font = w.text_font == &settings.XFONT ? &settings.FONT : &settings.XFONT;
    relayout_view(false);
}

void toggle_multispace() {
    ViewerWindow& w = viewer_window();
    settings.expmultispace = settings.expmultispace ? 0 : 1;
    report_failure(w.hwnd, save_settings_div());
    relayout_view(false);
}

void toggle_scale_bitmaps() {
    ViewerWindow& w = viewer_window();
    settings.scale_bitmaps = settings.scale_bitmaps ? 0 : 1;
    report_failure(w.hwnd, save_settings_div());
    relayout_view(true);
}

void show_file_info() {
    ViewerWindow& w = viewer_window();
    show_message(w.hwnd, file_info_text(document), FILE_INFO_CAPTION);
}

// The window's handlers of the command list.
class WindowCommands : public CommandHost {
   public:
    EnableState enable_state() override { return current_enable_state(); }

    void open(unsigned) override { open_from_dialog(); }
    void save_text(unsigned) override { export_command(ExportMode::Text); }
    void recompile(unsigned) override { export_command(ExportMode::Stg); }
    void html(unsigned) override { export_command(ExportMode::Html); }
    void print(unsigned) override { print_command(); }
    void preview(unsigned) override { preview_command(); }
    void file_info(unsigned) override { show_file_info(); }
    void quit(unsigned) override { navigator().quit(); }
    void copy(unsigned) override { copy_command(); }
    void select_all(unsigned) override { select_all_command(); }
    void find(unsigned) override {
        find_command();
        select_shown_find();
    }
    void find_next(unsigned) override {
        find_next_command();
        select_shown_find();
    }
    void navigate(unsigned id) override { navigation_command(id); }
    void catalogue(unsigned) override { show_catalogue(viewer_window()); }
    void fonts(unsigned) override { fonts_command(); }
    void colours(unsigned) override { colours_command(); }
    void output_options(unsigned) override { output_options_command(); }
    void toggle_xfont(unsigned) override { ::toggle_xfont(); }
    void toggle_multispace(unsigned) override { ::toggle_multispace(); }
    void toggle_scale_bitmaps(unsigned) override { ::toggle_scale_bitmaps(); }
    void misc_options(unsigned) override { misc_options_command(); }
    void key_help(unsigned) override { key_help_command(); }
    void about(unsigned) override { about_command(); }
    void history_menu(unsigned) override { show_history_menu(); }
    void marks_menu(unsigned) override { show_marks_menu(); }
    void xref_menu(unsigned) override { show_xref_menu(); }
    void extra_menu(unsigned) override { show_extra_menu(); }
    void next_link(unsigned) override { step_selection(LINK_NEXT); }
    void previous_link(unsigned) override { step_selection(LINK_PREVIOUS); }
    void follow_link(unsigned) override { follow_selection(); }
    void open_recent(unsigned index) override {
        // As "Öffnen..." without the dialog, through the history.
        if (const std::optional<std::string> path = recent_file_to_open(index)) {
            open_dropped_file(*path);
        }
    }
};

}  // namespace

void run_command(unsigned id) {
    WindowCommands commands;
    ::run_command(commands, id);
}

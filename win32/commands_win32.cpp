// The main window's commands: the handler of each command of the list, and the dispatch.
#include "win32/commands_win32.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "app/command_table.h"
#include "app/file_info.h"
#include "app/link_selection.h"
#include "settings/settings.h"
#include "win32/document_commands_win32.h"
#include "win32/main_window_win32.h"
#include "win32/navigation_win32.h"
#include "win32/options_dialogs_win32.h"
#include "win32/print_win32.h"
#include "win32/recent_files_win32.h"
#include "win32/search_win32.h"
#include "win32/viewer_win32.h"

namespace {

ViewState& view() {
    return main_window.view;
}

const IndexEntry* current_entry() {
    const int32_t page = view().current_page;
    if (page < 0 || static_cast<std::size_t>(page) >= document.index.size()) return nullptr;
    return &document.index[page];
}

ScreenLines screen_lines() {
    RECT rc{};
    GetClientRect(main_window.hwnd, &rc);
    return {view().top_line,
            (rc.bottom - rc.top) / std::max<int32_t>(viewer.metrics.line_height, 1)};
}

// The part of a link's area inside the client area is drawn again (erasing the inversion, or
// drawing it).
void invalidate_link(const LinkArea& area) {
    const int32_t lh = viewer.metrics.line_height;
    RECT r;
    r.left = area.x - view().left_column * viewer.metrics.cell_width;
    r.top = (area.line - view().top_line) * lh;
    r.right = r.left + area.width;
    r.bottom = r.top + lh;
    RECT client{}, visible{};
    GetClientRect(main_window.hwnd, &client);
    if (IntersectRect(&visible, &r, &client)) InvalidateRect(main_window.hwnd, &visible, TRUE);
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
    const IndexEntry* entry = current_entry();
    if (entry == nullptr) return;
    view().selected_link =
        link_visible(view().selected_link, *entry, settings.linksel_visible != 0, screen_lines());
    if (view().selected_link == 0) return;
    const LinkArea* area = link_at_ordinal(*entry, view().selected_link);
    if (area == nullptr) return;
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(main_window.hwnd, &cursor);
    follow_link(*area, cursor);
}

void show_extra_menu() {
    HMENU resource = LoadMenuA(viewer.instance, MAKEINTRESOURCEA(IDM_EXTRA));
    if (resource == nullptr) return;
    HMENU menu = GetSubMenu(resource, 0);
    EnableMenuItem(menu, CM_CLEAR_STACK,
                   MF_BYCOMMAND | (history_not_empty() ? MF_ENABLED : MF_GRAYED));
    track_popup_menu(menu);
    DestroyMenu(resource);
}

void toggle_xfont() {
    viewer.text_font = viewer.text_font == &settings.XFONT ? &settings.FONT : &settings.XFONT;
    relayout_view(false);
}

void toggle_multispace() {
    settings.expmultispace = settings.expmultispace ? 0 : 1;
    report_failure(main_window.hwnd, save_settings_div());
    relayout_view(false);
}

void toggle_scale_bitmaps() {
    settings.scale_bitmaps = settings.scale_bitmaps ? 0 : 1;
    report_failure(main_window.hwnd, save_settings_div());
    relayout_view(true);
}

void show_file_info() {
    show_message(main_window.hwnd, file_info_text(document), FILE_INFO_CAPTION);
}

void navigate(unsigned id) {
    navigation_command(id);
}

struct Handler {
    uint16_t id;
    void (*run)(unsigned member);
};

const Handler handlers[] = {
    {CM_OPEN, [](unsigned) { open_from_dialog(); }},
    {CM_SAVE_TEXT, [](unsigned) { export_command(ExportMode::Text); }},
    {CM_RECOMPILE, [](unsigned) { export_command(ExportMode::Stg); }},
    {CM_HTML, [](unsigned) { export_command(ExportMode::Html); }},
    {CM_PRINT, [](unsigned) { print_command(); }},
    {CM_PREVIEW, [](unsigned) { preview_command(); }},
    {CM_FILE_INFO, [](unsigned) { show_file_info(); }},
    {CM_QUIT, [](unsigned) { navigator().quit(); }},
    {CM_COPY, [](unsigned) { copy_page_command(); }},
    {CM_FIND, [](unsigned) { find_command(); }},
    {CM_FIND_NEXT, [](unsigned) { find_next_command(); }},
    {CM_PREV_LOGICAL, [](unsigned) { navigate(CM_PREV_LOGICAL); }},
    {CM_NEXT_LOGICAL, [](unsigned) { navigate(CM_NEXT_LOGICAL); }},
    {CM_PREV_PHYSICAL, [](unsigned) { navigate(CM_PREV_PHYSICAL); }},
    {CM_NEXT_PHYSICAL, [](unsigned) { navigate(CM_NEXT_PHYSICAL); }},
    {CM_FIRST_PAGE, [](unsigned) { navigate(CM_FIRST_PAGE); }},
    {CM_LAST_PAGE, [](unsigned) { navigate(CM_LAST_PAGE); }},
    {CM_TOC, [](unsigned) { navigate(CM_TOC); }},
    {CM_INDEX_PAGE, [](unsigned) { navigate(CM_INDEX_PAGE); }},
    {CM_HELP_PAGE, [](unsigned) { navigate(CM_HELP_PAGE); }},
    {CM_BACK, [](unsigned) { navigate(CM_BACK); }},
    {CM_CLEAR_STACK, [](unsigned) { navigate(CM_CLEAR_STACK); }},
    {CM_FONTS, [](unsigned) { fonts_command(); }},
    {CM_COLOURS, [](unsigned) { colours_command(); }},
    {CM_OUTPUT_OPTIONS, [](unsigned) { output_options_command(); }},
    {CM_TOGGLE_XFONT, [](unsigned) { toggle_xfont(); }},
    {CM_TOGGLE_MULTISPACE, [](unsigned) { toggle_multispace(); }},
    {CM_TOGGLE_SCALE_BITMAPS, [](unsigned) { toggle_scale_bitmaps(); }},
    {CM_MISC_OPTIONS, [](unsigned) { misc_options_command(); }},
    {CM_KEY_HELP, [](unsigned) { key_help_command(); }},
    {CM_ABOUT, [](unsigned) { about_command(); }},
    {TB_HISTORY, [](unsigned) { show_history_menu(); }},
    {TB_MARKS, [](unsigned) { show_marks_menu(); }},
    {TB_XREFS, [](unsigned) { show_xref_menu(); }},
    {TB_EXTRA, [](unsigned) { show_extra_menu(); }},
    {CM_GOTO_MARK, [](unsigned m) { navigate(CM_GOTO_MARK + m); }},
    {CM_SET_MARK, [](unsigned m) { navigate(CM_SET_MARK + m); }},
    {CM_DELETE_MARK, [](unsigned m) { navigate(CM_DELETE_MARK + m); }},
    {CM_NEXT_LINK, [](unsigned) { step_selection(LINK_NEXT); }},
    {CM_PREV_LINK, [](unsigned) { step_selection(LINK_PREVIOUS); }},
    {CM_FOLLOW_LINK, [](unsigned) { follow_selection(); }},
};

}  // namespace

void run_command(unsigned id) {
    if (id >= CM_XREF_FIRST && id <= CM_HISTORY_LAST) {  // the menus built at run time
        navigation_command(id);
        return;
    }
    if (id >= CM_RECENT_FIRST && id <= CM_RECENT_LAST) {
        open_recent_file(id - CM_RECENT_FIRST);
        return;
    }
    unsigned member = 0;
    const CommandSpec* command = find_command(id, &member);
    if (command == nullptr || !rule_allows(command->rule, current_enable_state())) return;
    const unsigned performed = command->acts_as ? command->acts_as : command->id;
    const auto handler = std::find_if(std::begin(handlers), std::end(handlers),
                                      [&](const Handler& h) { return h.id == performed; });
    if (handler != std::end(handlers)) handler->run(member);
}

// The one list of the viewer's commands; the menus and accelerators of the resources are
// generated from it (tools/resgen), the window dispatches and enables through it.
#include "app/command_table.h"

#include <iterator>

#include "app/command_host.h"
#include "app/recent_files.h"

namespace {

constexpr CommandKey NO_KEY{};
constexpr CommandKey letter(char c) {
    return {KeyKind::Letter, static_cast<uint8_t>(c), 0};
}
constexpr CommandKey typed(char c) {
    return {KeyKind::Typed, static_cast<uint8_t>(c), 0};
}
constexpr CommandKey vkey(uint8_t code, uint8_t modifiers = KEYMOD_NONE) {
    return {KeyKind::Virtual, code, modifiers};
}
constexpr CommandKey ctrl(char c) {
    return vkey(static_cast<uint8_t>(c), KEYMOD_CTRL);
}

using R = EnableRule;
using H = CommandHost;

// The grayed items: no handler, and never enabled.
constexpr CommandHandler DOES_NOTHING = nullptr;

}  // namespace

// The name of each entry is the id's own name, so code, resources and this list agree.
#define COMMAND(id, text, key1, key2, rule, handler) \
    { id, 1, #id, text, {key1, key2}, rule, 0, handler }
#define FAMILY(id, count, key, handler) \
    { id, count, #id, nullptr, {key, NO_KEY}, R::Always, 0, handler }
// A picture button that performs a command of the list.
#define BUTTON(id, acts_as, rule) \
    { id, 1, #id, "X", {NO_KEY, NO_KEY}, rule, acts_as, nullptr }
// A picture button with an action of its own.
#define TOOL(id, rule, handler) \
    { id, 1, #id, "X", {NO_KEY, NO_KEY}, rule, 0, handler }

const CommandSpec command_list[] = {
    COMMAND(CM_OPEN, "Ö&ffnen...\tO", letter('O'), NO_KEY, R::Always, &H::open),
    COMMAND(CM_SAVE_TEXT, "&Als Text speichern...\tA", letter('A'), NO_KEY, R::Always,
            &H::save_text),
    COMMAND(CM_RECOMPILE, "&Recompilieren...\tR", letter('R'), NO_KEY, R::Always, &H::recompile),
    COMMAND(CM_HTML, "&HTML-Ausgabe...\tM", letter('M'), NO_KEY, R::Always, &H::html),
    COMMAND(CM_PRINT, "&Seite drucken...\tStrg+P", ctrl('P'), NO_KEY, R::Always, &H::print),
    COMMAND(CM_PREVIEW, "S&eitenvorschau...\tP", letter('P'), NO_KEY, R::Always, &H::preview),
    COMMAND(CM_FILE_INFO, "Da&teiinfo...\tI", letter('I'), NO_KEY, R::Always, &H::file_info),
    COMMAND(CM_QUIT, "&Beenden\tQ", letter('Q'), NO_KEY, R::Always, &H::quit),
    COMMAND(CM_UNDO, "&Rückgängig\tStrg+Z", ctrl('Z'), NO_KEY, R::Never, DOES_NOTHING),
    COMMAND(CM_CUT, "&Ausschneiden\tStrg+X", ctrl('X'), NO_KEY, R::Never, DOES_NOTHING),
    COMMAND(CM_COPY, "&Kopieren\tStrg+C", ctrl('C'), NO_KEY, R::Always, &H::copy),
    COMMAND(CM_PASTE, "&Einfügen\tStrg+V", ctrl('V'), NO_KEY, R::Never, DOES_NOTHING),
    COMMAND(CM_SELECT_ALL, "&Alles markieren\tStrg+A", ctrl('A'), NO_KEY, R::Always,
            &H::select_all),
    COMMAND(CM_FIND, "&Suchen...\tStrg+F", ctrl('F'), NO_KEY, R::Always, &H::find),
    COMMAND(CM_FIND_NEXT, "&Weitersuchen\tStrg+G", ctrl('G'), NO_KEY, R::Always, &H::find_next),
    COMMAND(CM_PREV_LOGICAL, "&Vorherige logische Seite\t-", typed('-'), NO_KEY,
            R::HasPreviousLogical, &H::navigate),
    COMMAND(CM_NEXT_LOGICAL, "&Nächste logische Seite\t+", typed('+'), NO_KEY, R::HasNextLogical,
            &H::navigate),
    COMMAND(CM_PREV_PHYSICAL, "V&orherige physikalische Seite\t/", typed('/'), NO_KEY,
            R::NotFirstPage, &H::navigate),
    COMMAND(CM_NEXT_PHYSICAL, "Nä&chste physikalische Seite\t*", typed('*'), NO_KEY, R::NotLastPage,
            &H::navigate),
    COMMAND(CM_FIRST_PAGE, "&Erste Seite\t<", typed('<'), NO_KEY, R::NotFirstPage, &H::navigate),
    COMMAND(CM_LAST_PAGE, "&Letzte Seite\t>", typed('>'), NO_KEY, R::NotLastPage, &H::navigate),
    COMMAND(CM_TOC, "&Zur Inhaltsseite\tT", letter('T'), NO_KEY, R::TocElsewhere, &H::navigate),
    COMMAND(CM_INDEX_PAGE, "Z&um Index\tX", letter('X'), NO_KEY, R::IndexElsewhere, &H::navigate),
    COMMAND(CM_HELP_PAGE, "Zu&r Hilfeseite\tH", letter('H'), NO_KEY, R::HelpElsewhere,
            &H::navigate),
    COMMAND(CM_BACK, "Zurü&ck im Stack\tU,Esc", letter('U'), vkey(VKEY_ESCAPE), R::HistoryNotEmpty,
            &H::navigate),
    COMMAND(CM_CLEAR_STACK, "&Stack löschen\tE", letter('E'), NO_KEY, R::HistoryNotEmpty,
            &H::navigate),
    COMMAND(CM_CATALOGUE, "&Katalog...\tStrg+K", ctrl('K'), NO_KEY, R::Always, &H::catalogue),
    COMMAND(CM_FONTS, "&Schrift...\tZ", letter('Z'), NO_KEY, R::Always, &H::fonts),
    COMMAND(CM_COLOURS, "&Farben...\tC", letter('C'), NO_KEY, R::Always, &H::colours),
    COMMAND(CM_OUTPUT_OPTIONS, "&Ausgabe...\tG", letter('G'), NO_KEY, R::Always,
            &H::output_options),
    COMMAND(CM_TOGGLE_XFONT, "A&lternativschrift (XFONT)\tStrg+Umschalt+Z",
            vkey('Z', KEYMOD_CTRL | KEYMOD_SHIFT), NO_KEY, R::Always, &H::toggle_xfont),
    COMMAND(CM_TOGGLE_MULTISPACE, "&Mehrfachleerzeichen expandieren\tStrg+L", ctrl('L'), NO_KEY,
            R::Always, &H::toggle_multispace),
    COMMAND(CM_TOGGLE_SCALE_BITMAPS, "&Bitmaps skalieren\tStrg+B", ctrl('B'), NO_KEY, R::Always,
            &H::toggle_scale_bitmaps),
    COMMAND(CM_MISC_OPTIONS, "&Verschiedenes...\tV", letter('V'), NO_KEY, R::Always,
            &H::misc_options),
    COMMAND(CM_KEY_HELP, "&Kurzhilfe...\tF1", vkey(vkey_f(1)), NO_KEY, R::Always, &H::key_help),
    COMMAND(CM_ABOUT, "&Info über...\t?", typed('?'), NO_KEY, R::Always, &H::about),
    BUTTON(TB_BACK, CM_BACK, R::HistoryNotEmpty),
    TOOL(TB_HISTORY, R::HistoryNotEmpty, &H::history_menu),
    TOOL(TB_MARKS, R::BookmarkSet, &H::marks_menu),
    BUTTON(TB_FIRST_PAGE, CM_FIRST_PAGE, R::NotFirstPage),
    BUTTON(TB_PREV_PHYSICAL, CM_PREV_PHYSICAL, R::NotFirstPage),
    BUTTON(TB_PREV_LOGICAL, CM_PREV_LOGICAL, R::HasPreviousLogical),
    BUTTON(TB_TOC, CM_TOC, R::TocElsewhere),
    BUTTON(TB_NEXT_LOGICAL, CM_NEXT_LOGICAL, R::HasNextLogical),
    BUTTON(TB_NEXT_PHYSICAL, CM_NEXT_PHYSICAL, R::NotLastPage),
    BUTTON(TB_LAST_PAGE, CM_LAST_PAGE, R::NotLastPage),
    BUTTON(TB_INDEX, CM_INDEX_PAGE, R::IndexElsewhere),
    BUTTON(TB_CATALOGUE, CM_CATALOGUE, R::Always),
    TOOL(TB_XREFS, R::HasXrefs, &H::xref_menu),
    BUTTON(TB_HELP, CM_HELP_PAGE, R::HelpElsewhere),
    BUTTON(TB_INFO, CM_FILE_INFO, R::Always),
    BUTTON(TB_OPEN, CM_OPEN, R::Always),
    TOOL(TB_EXTRA, R::Always, &H::extra_menu),
    TOOL(TB_REMARKER, R::Never, DOES_NOTHING),
    FAMILY(CM_GOTO_MARK, BOOKMARK_KEYS, vkey(vkey_f(2)), &H::navigate),
    FAMILY(CM_SET_MARK, BOOKMARK_KEYS, vkey(vkey_f(2), KEYMOD_SHIFT), &H::navigate),
    FAMILY(CM_DELETE_MARK, BOOKMARK_KEYS, vkey(vkey_f(2), KEYMOD_CTRL | KEYMOD_SHIFT),
           &H::navigate),
    COMMAND(CM_NEXT_LINK, nullptr, vkey(VKEY_TAB), NO_KEY, R::Always, &H::next_link),
    COMMAND(CM_PREV_LINK, nullptr, vkey(VKEY_TAB, KEYMOD_SHIFT), NO_KEY, R::Always,
            &H::previous_link),
    COMMAND(CM_FOLLOW_LINK, nullptr, vkey(VKEY_RETURN), NO_KEY, R::Always, &H::follow_link),
};
const std::size_t command_count = std::size(command_list);

#undef COMMAND
#undef FAMILY
#undef BUTTON
#undef TOOL

// The id ranges the window relies on: one id per button, the three bookmark
// families hold one id per F key, and no fixed command reaches the run-time menu ranges.
static_assert(TB_LAST_BUTTON - TB_FIRST_BUTTON + 1 == TOOLBAR_BUTTON_COUNT, "button ids");
static_assert(CM_GOTO_MARK + BOOKMARK_KEYS <= CM_SET_MARK, "bookmark families overlap");
static_assert(CM_SET_MARK + BOOKMARK_KEYS <= CM_DELETE_MARK, "bookmark families overlap");
static_assert(CM_DELETE_MARK + BOOKMARK_KEYS <= CM_NEXT_LINK, "bookmark families overlap");
static_assert(CM_FOLLOW_LINK < CM_XREF_FIRST, "fixed commands stay below the menu ranges");
static_assert(CM_XREF_LAST - CM_XREF_FIRST + 1 == 50, "fifty cross references");
static_assert(CM_XREF_LAST + 1 == CM_HISTORY_FIRST, "history follows the cross references");
static_assert(CM_HISTORY_LAST - CM_HISTORY_FIRST + 1 == 49, "history menu ids");
static_assert(CM_HISTORY_LAST < CM_RECENT_FIRST, "the recent files follow the history");
static_assert(CM_RECENT_LAST - CM_RECENT_FIRST + 1 == RECENT_FILES_MAX, "one id per recent file");
static_assert(CM_RECENT_LAST < 0x8000, "command ids fit the menu item range");

const CommandSpec* find_command(unsigned id, unsigned* member) {
    for (const CommandSpec& command : command_list) {
        if (id >= command.id && id < static_cast<unsigned>(command.id) + command.count) {
            if (member) *member = id - command.id;
            return &command;
        }
    }
    return nullptr;
}

unsigned effective_command(unsigned id) {
    const CommandSpec* command = find_command(id);
    return command && command->acts_as ? command->acts_as : id;
}

bool rule_allows(EnableRule rule, const EnableState& s) {
    switch (rule) {
        case R::Always:
            return true;
        case R::Never:
            return false;
        case R::HasPreviousLogical:
            return s.has_previous_logical;
        case R::HasNextLogical:
            return s.has_next_logical;
        case R::NotFirstPage:
            return s.not_first_page;
        case R::NotLastPage:
            return s.not_last_page;
        case R::TocElsewhere:
            return s.toc_elsewhere;
        case R::IndexElsewhere:
            return s.index_elsewhere;
        case R::HelpElsewhere:
            return s.help_elsewhere;
        case R::HistoryNotEmpty:
            return s.history_not_empty;
        case R::BookmarkSet:
            return s.bookmark_set;
        case R::HasXrefs:
            return s.has_xrefs;
    }
    return false;
}

bool command_enabled(unsigned id, const EnableState& state) {
    const CommandSpec* command = find_command(id);
    return command != nullptr && rule_allows(command->rule, state);
}

std::vector<AcceleratorEntry> accelerator_entries() {
    std::vector<AcceleratorEntry> entries;
    for (const CommandSpec& command : command_list) {
        for (unsigned member = 0; member < command.count; ++member) {
            const uint16_t id = static_cast<uint16_t>(command.id + member);
            for (const CommandKey& key : command.keys) {
                const uint8_t code = static_cast<uint8_t>(key.code + member);
                switch (key.kind) {
                    case KeyKind::None:
                        break;
                    case KeyKind::Letter:
                        entries.push_back({true, code, KEYMOD_NONE, id});
                        entries.push_back({true, code, KEYMOD_SHIFT, id});
                        break;
                    case KeyKind::Typed:
                        entries.push_back({false, code, KEYMOD_NONE, id});
                        break;
                    case KeyKind::Virtual:
                        entries.push_back({true, code, key.modifiers, id});
                        break;
                }
            }
        }
    }
    return entries;
}

namespace {
constexpr MenuLayoutItem popup(const char* title) {
    return {MenuItemKind::Popup, 0, title, 0};
}
constexpr MenuLayoutItem item(uint16_t id, uint8_t flags = 0) {
    return {MenuItemKind::Item, id, nullptr, flags};
}
constexpr MenuLayoutItem text_item(uint16_t id, const char* text, uint8_t flags = 0) {
    return {MenuItemKind::Item, id, text, flags};
}
constexpr MenuLayoutItem separator() {
    return {MenuItemKind::Separator, 0, nullptr, 0};
}
constexpr MenuLayoutItem end_popup() {
    return {MenuItemKind::EndPopup, 0, nullptr, 0};
}
}  // namespace

const MenuLayoutItem main_menu_layout[] = {
    popup("&Datei"),
    item(CM_OPEN),
    separator(),
    item(CM_SAVE_TEXT),
    item(CM_RECOMPILE),
    item(CM_HTML),
    separator(),
    item(CM_PRINT),
    item(CM_PREVIEW),
    separator(),
    item(CM_FILE_INFO),
    separator(),
    item(CM_QUIT),
    end_popup(),
    popup("&Bearbeiten"),
    item(CM_UNDO, MENU_GRAYED),
    item(CM_CUT, MENU_GRAYED),
    item(CM_COPY),
    item(CM_PASTE, MENU_GRAYED),
    item(CM_SELECT_ALL),
    separator(),
    item(CM_FIND),
    item(CM_FIND_NEXT),
    end_popup(),
    popup("&Navigieren"),
    item(CM_PREV_LOGICAL),
    item(CM_NEXT_LOGICAL),
    separator(),
    item(CM_PREV_PHYSICAL),
    item(CM_NEXT_PHYSICAL),
    separator(),
    item(CM_FIRST_PAGE),
    item(CM_LAST_PAGE),
    separator(),
    item(CM_TOC),
    item(CM_INDEX_PAGE),
    item(CM_HELP_PAGE),
    separator(),
    item(CM_BACK),
    item(CM_CLEAR_STACK),
    separator(),
    item(CM_CATALOGUE),
    end_popup(),
    popup("&Optionen"),
    item(CM_FONTS),
    item(CM_COLOURS),
    separator(),
    item(CM_OUTPUT_OPTIONS),
    separator(),
    item(CM_TOGGLE_XFONT),
    item(CM_TOGGLE_MULTISPACE),
    item(CM_TOGGLE_SCALE_BITMAPS),
    separator(),
    item(CM_MISC_OPTIONS),
    end_popup(),
    popup("&Hilfe"),
    item(CM_KEY_HELP),
    separator(),
    item(CM_ABOUT),
    end_popup(),
    // The picture row: the first button starts a second row of the menu bar.
    item(TB_BACK, MENU_BARBREAK),
    item(TB_HISTORY),
    item(TB_MARKS),
    item(TB_FIRST_PAGE),
    item(TB_PREV_PHYSICAL),
    item(TB_PREV_LOGICAL),
    item(TB_TOC),
    item(TB_NEXT_LOGICAL),
    item(TB_NEXT_PHYSICAL),
    item(TB_LAST_PAGE),
    item(TB_INDEX),
    item(TB_CATALOGUE),
    item(TB_XREFS),
    item(TB_HELP),
    item(TB_INFO),
    item(TB_OPEN),
    item(TB_EXTRA),
    item(TB_REMARKER, MENU_GRAYED),
};
const std::size_t main_menu_layout_count = std::size(main_menu_layout);

const MenuLayoutItem extra_menu_layout[] = {
    popup("Extra"),
    text_item(CM_NO_COMMAND, "Extra:", MENU_INACTIVE),
    separator(),
    item(CM_FIND),
    item(CM_FIND_NEXT),
    text_item(CM_CLEAR_STACK, "S&tack löschen\tE"),
    separator(),
    text_item(CM_COPY, "&Kopieren\tStrg+C"),
    text_item(CM_PASTE, "&Einfügen\tStrg+V", MENU_GRAYED),
    text_item(CM_PRINT, "Se&ite drucken...\tP"),
    separator(),
    text_item(CM_FONTS, "&Font...\tZ"),
    text_item(CM_NO_COMMAND, "&Remarker\tR", MENU_GRAYED),
    end_popup(),
};
const std::size_t extra_menu_layout_count = std::size(extra_menu_layout);

const char* menu_item_text(const MenuLayoutItem& item) {
    if (item.text) return item.text;
    const CommandSpec* command = find_command(item.id);
    return command && command->menu_text ? command->menu_text : "";
}

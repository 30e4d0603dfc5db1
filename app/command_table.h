// The viewer's commands in one list: ids, names, menu texts, keys, enable rules and menu layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/command_ids.h"

// Key codes of the accelerators: the platform's virtual-key numbers (letters are their capital
// ASCII codes). Kept here as plain numbers so the list stays portable.
constexpr uint8_t VKEY_TAB = 0x09;
constexpr uint8_t VKEY_RETURN = 0x0D;
constexpr uint8_t VKEY_ESCAPE = 0x1B;
constexpr uint8_t VKEY_F1 = 0x70;
constexpr uint8_t vkey_f(int n) {
    return static_cast<uint8_t>(VKEY_F1 + n - 1);
}

enum class KeyKind : uint8_t {
    None,
    Letter,   // a virtual key without modifiers and the same key with Shift (two accelerators)
    Typed,    // a typed character, whatever keys produce it
    Virtual,  // a virtual key with exactly the given modifiers
};
constexpr uint8_t KEYMOD_NONE = 0;
constexpr uint8_t KEYMOD_SHIFT = 1;
constexpr uint8_t KEYMOD_CTRL = 2;

struct CommandKey {
    KeyKind kind = KeyKind::None;
    uint8_t code = 0;       // virtual key or character
    uint8_t modifiers = 0;  // KEYMOD_* (Virtual only)
};

// When a command (and the menu item or picture button that gives it) is available. Grayed
// items produce no command, so keys and buttons follow the same states as the menu.
enum class EnableRule : uint8_t {
    Always,
    Never,               // grayed in the resource for good
    HasPreviousLogical,  // the page's `previous` is not the current page
    HasNextLogical,      // the page's `next` is not the current page
    NotFirstPage,        // current_page > 0
    NotLastPage,         // current_page < last_node_index
    TocElsewhere,        // the page's `toc` is not the current page
    IndexElsewhere,      // an entry named "Index" exists and is not the current page
    HelpElsewhere,       // some "@help" header names an existing entry that is not current
    HistoryNotEmpty,     // the back stack holds an entry
    BookmarkSet,         // at least one bookmark is in use
    HasXrefs,            // the page has "@xref" entries
};

class CommandHost;
// What a command does: a member of the window's CommandHost, given the id run. None for the
// grayed items that do nothing (their rule is Never) and for buttons that act as a command.
using CommandHandler = void (CommandHost::*)(unsigned id);

struct CommandSpec {
    uint16_t id;            // first id of the command
    uint16_t count;         // ids id .. id + count - 1 (the bookmark families); 1 otherwise
    const char* name;       // the id's name, e.g. "CM_OPEN" (or "TB_BACK" for buttons)
    const char* menu_text;  // text in menu resource 1; nullptr when not in that menu
    CommandKey keys[2];     // for a family, the key of member 0; member i adds i to the code
    EnableRule rule;        // when the item is enabled
    uint16_t acts_as;       // picture buttons: the command they perform; 0 = own action
    CommandHandler handler;  // nullptr: acts as another command, or does nothing
};

// The whole list, in id order.
extern const CommandSpec command_list[];
extern const std::size_t command_count;

// The command that owns `id`, or nullptr for ids not in the list (310, unknown ids, and the
// "Siehe auch" and history ranges, whose menus are built at run time). `member` receives
// id - command.id (the bookmark number of a family; 0 otherwise).
const CommandSpec* find_command(unsigned id, unsigned* member = nullptr);

// The command that `id` performs: the button's `acts_as` when it has one, else `id` itself.
unsigned effective_command(unsigned id);

// Facts about the shown page that decide the enable rules (see EnableRule).
struct EnableState {
    bool has_previous_logical = false;
    bool has_next_logical = false;
    bool not_first_page = false;
    bool not_last_page = false;
    bool toc_elsewhere = false;
    bool index_elsewhere = false;
    bool help_elsewhere = false;
    bool history_not_empty = false;
    bool bookmark_set = false;
    bool has_xrefs = false;
};

bool rule_allows(EnableRule rule, const EnableState& state);
// Whether command `id` is enabled; ids without a command are not.
bool command_enabled(unsigned id, const EnableState& state);

// --- accelerators ----------------------------------------------------------------------------

struct AcceleratorEntry {
    bool virtual_key;   // false: a typed character
    uint8_t code;       // virtual key or character
    uint8_t modifiers;  // KEYMOD_*
    uint16_t command;
};

// Every accelerator of table 1, generated from the keys of the list (letters twice).
std::vector<AcceleratorEntry> accelerator_entries();

// --- menu layout -----------------------------------------------------------------------------

enum class MenuItemKind : uint8_t { Popup, Item, Separator, EndPopup };
constexpr uint8_t MENU_GRAYED = 1;
constexpr uint8_t MENU_INACTIVE = 2;  // a title: not selectable, drawn normally
constexpr uint8_t MENU_BARBREAK = 4;  // starts a new row of the menu bar

struct MenuLayoutItem {
    MenuItemKind kind;
    uint16_t id;       // command id of an Item (CM_NO_COMMAND for texts without a command)
    const char* text;  // Popup title, or an Item's own text; nullptr: the command's menu_text
    uint8_t flags;     // MENU_*
};

// Menu resource 1 (the five menus and the picture row) and menu resource 2 (the "Extra" popup).
extern const MenuLayoutItem main_menu_layout[];
extern const std::size_t main_menu_layout_count;
extern const MenuLayoutItem extra_menu_layout[];
extern const std::size_t extra_menu_layout_count;

// The text an Item shows: its own text, or its command's menu text.
const char* menu_item_text(const MenuLayoutItem& item);

// Positions of the menu-bar menus whose states WM_INITMENUPOPUP sets.
constexpr unsigned MENU_POSITION_NAVIGATE = 2;
constexpr unsigned MENU_POSITION_OPTIONS = 3;

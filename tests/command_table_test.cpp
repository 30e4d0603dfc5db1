// The command list: every command reachable as the menus and keys promise, no key twice.
#include "app/command_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace {

TEST(CommandTable, IdsAreUniqueAndNamesFollowTheirIds) {
    std::set<unsigned> ids;
    for (std::size_t i = 0; i < command_count; ++i) {
        const CommandSpec& command = command_list[i];
        for (unsigned m = 0; m < command.count; ++m) {
            EXPECT_TRUE(ids.insert(command.id + m).second) << command.name << " overlaps";
        }
        const std::string name = command.name;
        EXPECT_TRUE(name.rfind("CM_", 0) == 0 || name.rfind("TB_", 0) == 0) << name;
    }
    EXPECT_EQ(find_command(310), nullptr);
    EXPECT_EQ(find_command(CM_XREF_FIRST), nullptr);
    unsigned member = 99;
    ASSERT_NE(find_command(CM_SET_MARK + 10, &member), nullptr);
    EXPECT_EQ(member, 10u);
    EXPECT_EQ(find_command(CM_SET_MARK + 11), nullptr);
}

TEST(CommandTable, ButtonsActAsTheirCommands) {
    struct Case {
        unsigned button, command;
    };
    const Case cases[] = {{TB_BACK, CM_BACK},
                          {TB_FIRST_PAGE, CM_FIRST_PAGE},
                          {TB_PREV_PHYSICAL, CM_PREV_PHYSICAL},
                          {TB_PREV_LOGICAL, CM_PREV_LOGICAL},
                          {TB_TOC, CM_TOC},
                          {TB_NEXT_LOGICAL, CM_NEXT_LOGICAL},
                          {TB_NEXT_PHYSICAL, CM_NEXT_PHYSICAL},
                          {TB_LAST_PAGE, CM_LAST_PAGE},
                          {TB_INDEX, CM_INDEX_PAGE},
                          {TB_HELP, CM_HELP_PAGE},
                          {TB_INFO, CM_FILE_INFO},
                          {TB_OPEN, CM_OPEN},
                          {TB_HISTORY, TB_HISTORY},
                          {TB_CATALOGUE, CM_CATALOGUE}};
    for (const Case& c : cases) EXPECT_EQ(effective_command(c.button), c.command) << c.button;
    // A button is enabled exactly when the command it performs is.
    EnableState none;
    EnableState all{true, true, true, true, true, true, true, true, true, true};
    for (const Case& c : cases) {
        if (c.button == c.command) continue;
        EXPECT_EQ(command_enabled(c.button, none), command_enabled(c.command, none)) << c.button;
        EXPECT_EQ(command_enabled(c.button, all), command_enabled(c.command, all)) << c.button;
    }
    EXPECT_TRUE(command_enabled(TB_CATALOGUE, none));
    EXPECT_FALSE(command_enabled(TB_REMARKER, all));
    EXPECT_FALSE(command_enabled(CM_UNDO, all));
    EXPECT_TRUE(command_enabled(TB_EXTRA, none));
    EXPECT_FALSE(command_enabled(310, all));
}

TEST(CommandTable, EveryKeyIsUniqueAndTheSpecialKeysArePresent) {
    std::set<std::tuple<bool, unsigned, unsigned>> keys;
    for (const AcceleratorEntry& e : accelerator_entries()) {
        EXPECT_TRUE(keys.insert({e.virtual_key, e.code, e.modifiers}).second)
            << "key " << unsigned(e.code) << " twice";
    }
    struct Case {
        const char* name;
        bool virtual_key;
        uint8_t code, modifiers;
        unsigned command;
    };
    const Case cases[] = {
        {"O", true, 'O', KEYMOD_NONE, CM_OPEN},
        {"Shift+O", true, 'O', KEYMOD_SHIFT, CM_OPEN},
        {"Ctrl+P", true, 'P', KEYMOD_CTRL, CM_PRINT},
        {"P", true, 'P', KEYMOD_NONE, CM_PREVIEW},
        {"Esc", true, VKEY_ESCAPE, KEYMOD_NONE, CM_BACK},
        {"'+'", false, '+', KEYMOD_NONE, CM_NEXT_LOGICAL},
        {"'?'", false, '?', KEYMOD_NONE, CM_ABOUT},
        {"Ctrl+Shift+Z", true, 'Z', KEYMOD_CTRL | KEYMOD_SHIFT, CM_TOGGLE_XFONT},
        {"F1", true, vkey_f(1), KEYMOD_NONE, CM_KEY_HELP},
        {"F2", true, vkey_f(2), KEYMOD_NONE, CM_GOTO_MARK},
        {"F12", true, vkey_f(12), KEYMOD_NONE, CM_GOTO_MARK + 10},
        {"Shift+F7", true, vkey_f(7), KEYMOD_SHIFT, CM_SET_MARK + 5},
        {"Ctrl+Shift+F12", true, vkey_f(12), KEYMOD_CTRL | KEYMOD_SHIFT, CM_DELETE_MARK + 10},
        {"Tab", true, VKEY_TAB, KEYMOD_NONE, CM_NEXT_LINK},
        {"Shift+Tab", true, VKEY_TAB, KEYMOD_SHIFT, CM_PREV_LINK},
        {"Return", true, VKEY_RETURN, KEYMOD_NONE, CM_FOLLOW_LINK},
    };
    const auto entries = accelerator_entries();
    for (const Case& c : cases) {
        bool found = false;
        for (const AcceleratorEntry& e : entries) {
            if (e.virtual_key == c.virtual_key && e.code == c.code && e.modifiers == c.modifiers) {
                EXPECT_EQ(e.command, c.command) << c.name;
                found = true;
            }
        }
        EXPECT_TRUE(found) << c.name;
    }
}

TEST(CommandTable, MainMenuHoldsEveryMenuTextOnceAndTheButtonRow) {
    std::set<unsigned> in_menu;
    int popups = 0, depth = 0, buttons = 0;
    for (std::size_t i = 0; i < main_menu_layout_count; ++i) {
        const MenuLayoutItem& item = main_menu_layout[i];
        if (item.kind == MenuItemKind::Popup) ++popups, ++depth;
        if (item.kind == MenuItemKind::EndPopup) --depth;
        if (item.kind != MenuItemKind::Item) continue;
        EXPECT_TRUE(in_menu.insert(item.id).second) << item.id;
        if (item.id >= TB_FIRST_BUTTON && item.id <= TB_LAST_BUTTON) {
            EXPECT_EQ(depth, 0) << "buttons sit in the menu bar";
            EXPECT_EQ(std::string(menu_item_text(item)), "X");
            EXPECT_EQ((item.flags & MENU_BARBREAK) != 0, item.id == TB_FIRST_BUTTON);
            ++buttons;
        }
    }
    EXPECT_EQ(popups, 5);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(buttons, TOOLBAR_BUTTON_COUNT);
    for (std::size_t i = 0; i < command_count; ++i) {
        if (command_list[i].menu_text) {
            EXPECT_TRUE(in_menu.count(command_list[i].id)) << command_list[i].name;
        }
    }
    // The states set when a menu opens go by position: Navigieren is the third, Optionen the
    // fourth popup.
    int position = -1;
    for (std::size_t i = 0; i < main_menu_layout_count; ++i) {
        if (main_menu_layout[i].kind != MenuItemKind::Popup) continue;
        ++position;
        const std::string title = main_menu_layout[i].text;
        if (title == "&Navigieren") {
            EXPECT_EQ(position, int(MENU_POSITION_NAVIGATE));
        }
        if (title == "&Optionen") {
            EXPECT_EQ(position, int(MENU_POSITION_OPTIONS));
        }
    }
}

}  // namespace

namespace {

// The picture button's "Extra" menu reaches the search commands the keys reach, enabled.
TEST(CommandTable, ExtraMenuSearchEntriesAreTheCommands) {
    for (const unsigned id : {CM_FIND, CM_FIND_NEXT}) {
        SCOPED_TRACE(id);
        int found = 0;
        for (std::size_t i = 0; i < extra_menu_layout_count; ++i) {
            const MenuLayoutItem& item = extra_menu_layout[i];
            if (item.kind != MenuItemKind::Item || item.id != id) continue;
            ++found;
            EXPECT_EQ(item.flags & MENU_GRAYED, 0);
        }
        EXPECT_EQ(found, 1);
    }
}

}  // namespace

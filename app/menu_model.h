// The items of a popup menu the main window builds at run time (history, marks, "Siehe auch").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One selectable item: the command it sends and its text in the Windows character set ("\t"
// separates the right-aligned part).
struct MenuModelItem {
    uint16_t id = 0;
    std::string text;
};

// A popup menu: an inactive title, a separator, then the items in order.
struct PopupMenuModel {
    std::string title;
    std::vector<MenuModelItem> items;
};

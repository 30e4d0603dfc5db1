// The eleven bookmarks F2 to F12 over their stored records (`Marken`), and the marks menu.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/menu_model.h"
#include "settings/settings_layout.h"

constexpr const char* MARKS_MENU_TITLE = "Marken (Setzen/Löschen mit Umschalt/Strg+[F2..F12]):";

// A place a bookmark holds, with its texts read safely from the record (a record loaded from
// the settings need not end its texts with a NUL).
struct BookmarkPlace {
    uint16_t page = 0;
    uint16_t top_line = 0;
    uint16_t left_column = 0;
    std::string path;
    std::string node_name;
};

// Fills `mark` as a set bookmark. The path is cut to 511 and the name to 127 characters, and
// the unused rest of both text fields is zeroed, so the stored record depends only on the place.
void set_bookmark(Bookmark& mark, const BookmarkPlace& place);

// Marks the bookmark unused; its texts stay but mean nothing.
inline void delete_bookmark(Bookmark& mark) {
    mark.in_use = 0;
}

inline bool bookmark_in_use(const Bookmark& mark) {
    return mark.in_use != 0;
}

// Whether any of the eleven is in use.
bool some_bookmark_set(const Bookmark (&marks)[BOOKMARK_COUNT]);

// The place a bookmark holds.
BookmarkPlace bookmark_place(const Bookmark& mark);

// The marks menu: for each bookmark in use, in order, "file / node\tF<n>" with the file name
// part of its path, its name converted through table `conversion` and n = number + 2; id
// CM_GOTO_MARK + number.
PopupMenuModel marks_menu(const Bookmark (&marks)[BOOKMARK_COUNT], unsigned conversion);

// The bookmarks over their stored records, and the marks menu.
#include "app/bookmarks.h"

#include <algorithm>
#include <cstring>

#include "app/command_ids.h"
#include "hyp/charset.h"
#include "hyp/paths.h"

static_assert(BOOKMARK_KEYS == BOOKMARK_COUNT, "one bookmark per key F2 to F12");

namespace {

// Copies `text` into a field of `size` bytes: at most size - 1 characters, then NULs to the end.
void put_text(char* field, std::size_t size, const std::string& text) {
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, size - length);
}

// A text field up to its first NUL, or the whole field when it has none.
std::string get_text(const char* field, std::size_t size) {
    const void* nul = std::memchr(field, 0, size);
    return std::string(field, nul ? static_cast<const char*>(nul) - field : size);
}

}  // namespace

void set_bookmark(Bookmark& mark, const BookmarkPlace& place) {
    mark.page = place.page;
    mark.top_line = place.top_line;
    mark.left_column = place.left_column;
    mark.in_use = 1;
    put_text(mark.path, sizeof mark.path, place.path);
    put_text(mark.node_name, sizeof mark.node_name, place.node_name);
}

bool some_bookmark_set(const Bookmark (&marks)[BOOKMARK_COUNT]) {
    return std::any_of(std::begin(marks), std::end(marks), bookmark_in_use);
}

BookmarkPlace bookmark_place(const Bookmark& mark) {
    BookmarkPlace place;
    place.page = mark.page;
    place.top_line = mark.top_line;
    place.left_column = mark.left_column;
    place.path = get_text(mark.path, sizeof mark.path);
    place.node_name = get_text(mark.node_name, sizeof mark.node_name);
    return place;
}

PopupMenuModel marks_menu(const Bookmark (&marks)[BOOKMARK_COUNT], unsigned conversion) {
    PopupMenuModel menu;
    menu.title = MARKS_MENU_TITLE;
    for (std::size_t i = 0; i < BOOKMARK_COUNT; ++i) {
        if (!bookmark_in_use(marks[i])) continue;
        const BookmarkPlace place = bookmark_place(marks[i]);
        menu.items.push_back({static_cast<uint16_t>(CM_GOTO_MARK + i),
                              path_file_name(place.path) + " / " +
                                  convert_charset(place.node_name, false, conversion) + "\tF" +
                                  std::to_string(i + 2)});
    }
    return menu;
}

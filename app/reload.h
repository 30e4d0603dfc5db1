// Reading the open hypertext again in place: the same page by name at the same line, and the
// history and bookmarks following their pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/history.h"
#include "app/navigation.h"
#include "app/view_state.h"
#include "hyp/document.h"
#include "hyp/failure.h"
#include "settings/settings_layout.h"

// The page (ENTRY_NODE) of `doc` named `name`: the first one named exactly so, else the first
// whose name differs only in letter case. None for an empty name.
std::optional<uint16_t> page_by_name(const HypDocument& doc, std::string_view name);

// Where a place recorded as page `page` named `name` is in `doc`, read again: the page of that
// name; for a place recorded without a name (a page that had none), the same index while it is
// still a page without a name. None when the page is gone.
std::optional<uint16_t> page_of_place(const HypDocument& doc, uint16_t page, std::string_view name);

// The history entries of doc.path (its path compared ignoring letter case, as the navigation
// does) take their page's index in `doc`; those whose page is gone are dropped. Entries of other
// hypertexts stay as they are. Returns how many were dropped.
std::size_t follow_history_pages(HistoryStack& history, const HypDocument& doc);

// The bookmarks in use that hold a place of doc.path take their page's index in `doc`. One
// whose page is gone leads to the first page, at its top, and keeps its name, so its menu item
// still says what it held (and it finds the page again should it come back). Returns whether a
// record changed (the caller saves the bookmarks then).
bool follow_bookmark_pages(Bookmark (&marks)[BOOKMARK_COUNT], const HypDocument& doc);

// The top line for a page read again: the line shown before, as far as the page still reaches
// (no further than the vertical range's maximum for its new length).
int32_t reload_top_line(int32_t old_top_line, int32_t line_count, const ViewMetrics& metrics);

// What reload_in_place did.
struct ReloadResult {
    // Failure: the file is no whole hypertext (reload_damaged_failure), is gone
    // (reload_vanished_failure), or could not be opened (opening's message); the document, the
    // view, the history and the bookmarks are as they were.
    Outcome opened;
    bool same_page = false;           // the page shown before was found by its name
    std::size_t history_dropped = 0;  // history entries whose page is gone
    bool bookmarks_changed = false;   // the bookmarks must be saved
    // After a reload the popup window, a text selection and the kept recording of the page
    // belong to the old file: the window closes and drops them. Set whenever `opened` succeeded.
    bool views_stale = false;
};

// Reads doc.path through (probe_hypertext) and, when it is whole, again into `doc`, and shows,
// through `navigator`, the page that was shown by its name (the first page when the name is gone)
// at its top line as far as the page reaches; nothing is pushed onto the history and the keyboard
// selection is cleared. History and bookmarks follow their pages (above). The page is laid out
// through `host` before it is shown, so that the window's caption and scroll range come from the
// new page.
ReloadResult reload_in_place(HypDocument& doc, ViewState& view, HistoryStack& history,
                             Bookmark (&marks)[BOOKMARK_COUNT], Navigator& navigator,
                             NavigationHost& host);

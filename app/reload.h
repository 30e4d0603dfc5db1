// Reading the open hypertext again in place: the same page by name at the same line, and the
// history and bookmarks following their pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/history.h"
#include "app/navigation.h"
#include "app/reload_watch.h"
#include "app/view_state.h"
#include "hyp/document.h"
#include "hyp/failure.h"
#include "hyp/file_identity.h"
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

// The window's side of following the open file: one call per look (on the timer, every
// RELOAD_POLL_MS while the window is shown, and when it is activated) does the rest through the
// navigation and its host: reads the file again when the rules say so, and shows the message of
// a damaged or vanished file once (through host.show_message; the rules have recorded it as
// told before the box opens, so a look from inside the box's message loop does not show it again).
class FileFollower {
   public:
    FileFollower(HypDocument& doc, ViewState& view, HistoryStack& history,
                 Bookmark (&marks)[BOOKMARK_COUNT], Navigator& navigator, NavigationHost& host)
        : doc_(doc),
          view_(view),
          history_(history),
          marks_(marks),
          navigator_(navigator),
          host_(host) {}

    // Starts following doc.path as it is now. Called best right before a file is opened, with
    // the identity read then (a change made while it is read is seen); a look finds another
    // document's path by itself and starts over for it, taking the file as it is then.
    void follow(const FileIdentity& before_opening);

    // One look at `now_ms` (monotonic milliseconds). Returns the step the rules gave; after
    // Reload, last_reload() says how the reading went (when it failed, the next looks try again).
    ReloadStep look(int64_t now_ms);
    const ReloadResult& last_reload() const { return last_reload_; }

   private:
    HypDocument& doc_;
    ViewState& view_;
    HistoryStack& history_;
    Bookmark (&marks_)[BOOKMARK_COUNT];
    Navigator& navigator_;
    NavigationHost& host_;
    std::string path_;  // the file followed; empty before the first look
    ReloadWatch watch_;
    ReloadResult last_reload_;
};

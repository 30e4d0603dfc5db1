// Reading the open hypertext again in place, and the places that follow their pages by name.
#include "app/reload.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/bookmarks.h"
#include "app/reload_watch.h"
#include "app/scroll.h"
#include "hyp/ascii_case.h"
#include "hyp/file_identity.h"

namespace {

bool is_page(const IndexEntry& entry) {
    return entry.type == ENTRY_NODE;
}

// A bookmark keeps at most this many characters of a name; a name that long may be cut.
constexpr std::size_t BOOKMARK_NAME_LIMIT = BOOKMARK_NAME_SIZE - 1;

// The first page whose name begins with `stem` (the bookmark's cut name of a long page name).
std::optional<uint16_t> page_by_name_stem(const HypDocument& doc, std::string_view stem) {
    for (std::size_t i = 0; i < doc.index.size(); ++i) {
        const IndexEntry& entry = doc.index[i];
        if (is_page(entry) && entry.name && entry.name->compare(0, stem.size(), stem) == 0) {
            return static_cast<uint16_t>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<uint16_t> page_by_name(const HypDocument& doc, std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::optional<uint16_t> ignoring_case;
    for (std::size_t i = 0; i < doc.index.size(); ++i) {
        const IndexEntry& entry = doc.index[i];
        if (!is_page(entry) || !entry.name) continue;
        if (*entry.name == name) return static_cast<uint16_t>(i);
        if (!ignoring_case && equal_ignoring_case(*entry.name, name)) {
            ignoring_case = static_cast<uint16_t>(i);
        }
    }
    return ignoring_case;
}

std::optional<uint16_t> page_of_place(const HypDocument& doc, uint16_t page,
                                      std::string_view name) {
    if (!name.empty()) return page_by_name(doc, name);
    if (page < doc.index.size() && is_page(doc.index[page]) && !doc.index[page].name) return page;
    return std::nullopt;
}

std::size_t follow_history_pages(HistoryStack& history, const HypDocument& doc) {
    return history.update_each([&doc](HistoryEntry& entry) {
        if (!equal_ignoring_case(entry.path, doc.path)) return true;
        const std::optional<uint16_t> page = page_of_place(doc, entry.page, entry.node_name);
        if (!page) return false;
        entry.page = *page;
        return true;
    });
}

bool follow_bookmark_pages(Bookmark (&marks)[BOOKMARK_COUNT], const HypDocument& doc) {
    bool changed = false;
    for (Bookmark& mark : marks) {
        if (!bookmark_in_use(mark)) continue;
        BookmarkPlace place = bookmark_place(mark);
        if (!equal_ignoring_case(place.path, doc.path)) continue;
        std::optional<uint16_t> page = page_of_place(doc, place.page, place.node_name);
        if (!page && place.node_name.size() == BOOKMARK_NAME_LIMIT) {
            page = page_by_name_stem(doc, place.node_name);
        }
        if (page) {
            place.page = *page;
        } else {
            place = BookmarkPlace{0, 0, 0, std::move(place.path), std::move(place.node_name)};
        }
        const Bookmark before = mark;
        set_bookmark(mark, place);
        changed = changed || mark.page != before.page || mark.top_line != before.top_line ||
                  mark.left_column != before.left_column;
    }
    return changed;
}

int32_t reload_top_line(int32_t old_top_line, int32_t line_count, const ViewMetrics& metrics) {
    const int32_t reach = max_top_line_for(line_count, metrics.client_height, metrics.line_height);
    return std::clamp(old_top_line, 0, reach);
}

ReloadResult reload_in_place(HypDocument& doc, ViewState& view, HistoryStack& history,
                             Bookmark (&marks)[BOOKMARK_COUNT], Navigator& navigator,
                             NavigationHost& host) {
    ReloadResult result;
    const uint16_t old_page = clamp_to_u16(view.current_page);
    const std::string old_name(entry_name(doc, old_page));
    const std::string path = doc.path;  // open_hypertext assigns doc.path from its argument

    // Opening checks the header, index and extended headers; a file cut inside its objects
    // would open as well and show empty pages, so it is read through first.
    switch (probe_hypertext(path)) {
        case HypertextState::Complete:
            break;
        case HypertextState::Incomplete:
            result.opened = reload_damaged_failure(path);
            return result;
        case HypertextState::Missing:
            result.opened = reload_vanished_failure(path);
            return result;
    }
    int32_t first = -1;  // no name requested: the loader answers with entry 0
    result.opened = open_hypertext(doc, path, std::nullopt, -1, first);
    if (!result.opened) return result;
    result.views_stale = true;

    const std::optional<uint16_t> page = page_of_place(doc, old_page, old_name);
    result.same_page = page.has_value();
    result.history_dropped = follow_history_pages(history, doc);
    result.bookmarks_changed = follow_bookmark_pages(marks, doc);

    NavigationRequest request;
    request.target = page ? *page : first;
    if (page) {
        // The old line means something only on the same page.
        const uint16_t target = *page;
        if (doc.index[target].line_count == -1) host.layout_page(target);
        request.top_line = reload_top_line(view.top_line, std::max(doc.index[target].line_count, 0),
                                           host.metrics());
        request.left_column = view.left_column;
    }
    // Not a move the user made: nothing is pushed; file_loaded makes show_entry show the page
    // even where index and line are the ones shown before.
    request.no_push = true;
    request.file_loaded = true;
    navigator.show_entry(std::move(request));
    return result;
}

void FileFollower::follow(const FileIdentity& before_opening) {
    path_ = doc_.path;
    watch_.start(before_opening);
}

ReloadStep FileFollower::look(int64_t now_ms) {
    if (doc_.path.empty()) return ReloadStep::Nothing;
    const FileIdentity now = read_file_identity(doc_.path);
    if (doc_.path != path_) {
        follow(now);
        return ReloadStep::Nothing;
    }
    const ReloadStep step = watch_.observe(
        now, now_ms, [this] { return probe_hypertext(path_) == HypertextState::Complete; });
    switch (step) {
        case ReloadStep::Reload:
            last_reload_ = reload_in_place(doc_, view_, history_, marks_, navigator_, host_);
            if (last_reload_.opened) {
                watch_.reloaded(now);
                if (last_reload_.bookmarks_changed) host_.save_options_div();
            }
            break;
        case ReloadStep::TellDamaged:
            host_.show_message(reload_damaged_failure(path_).message);
            break;
        case ReloadStep::TellVanished:
            host_.show_message(reload_vanished_failure(path_).message);
            break;
        case ReloadStep::Nothing:
        case ReloadStep::Wait:
            break;
    }
    return step;
}

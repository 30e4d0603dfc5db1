// The viewer's search session: the last text and options, the find shown last, "Weitersuchen".
#include "app/search_session.h"

#include <algorithm>
#include <utility>

#include "app/shelf.h"

namespace {

// Columns shown before a find that the window scrolls sideways to.
constexpr int32_t kContextColumns = 4;

// The host's go-on check for the length of one search: begun and ended in pairs.
class Patience {
   public:
    explicit Patience(SearchHost& host) : host_(host), go_on_(host.begin_patience()) {}
    ~Patience() { host_.end_patience(); }
    Patience(const Patience&) = delete;
    Patience& operator=(const Patience&) = delete;

    const SearchGoOn& check() const { return go_on_; }

   private:
    SearchHost& host_;
    SearchGoOn go_on_;
};

}  // namespace

int32_t SearchSession::left_column_showing(uint32_t first, uint32_t end, int32_t left,
                                           int32_t cells) {
    // Cells approximate the text's characters, which is enough to bring the find into view.
    const int64_t from = first;
    const int64_t to = int64_t{end} + 1;  // and the margin cell
    if (from >= left && to <= int64_t{left} + std::max(cells, 1)) return left;
    return static_cast<int32_t>(std::max<int64_t>(from - kContextColumns, 0));
}

bool SearchSession::prepare(SearchPattern& pattern) {
    const SearchText typed{request_.text, request_.typed_utf8};
    const Outcome prepared =
        typed.prepare(pattern, host_.document().source_charset, request_.match_case);
    if (!prepared) host_.show_message(prepared.failure().message);
    return static_cast<bool>(prepared);
}

void SearchSession::find() {
    if (host_.document().index.empty()) return;
    SearchRequest asked = request_;
    if (!host_.ask(asked)) return;
    request_ = std::move(asked);
    if (request_.where != SearchWhere::ThisPage) {
        search_all_pages();
    } else {
        search_this_page();
    }
}

void SearchSession::search_this_page() {
    SearchPattern pattern;
    if (!prepare(pattern)) return;
    SearchMatch match;
    std::string line;
    const SearchPlace top{host_.view().current_page, -1, 0};
    if (::find_next(host_.document(), pattern, SearchScope::Page, top, match, line)) {
        show_find(match);
    } else {
        have_find_ = false;
        host_.repaint();
        host_.show_message(search_not_found_message(request_.text, SearchScope::Page));
    }
}

void SearchSession::search_all_pages() {
    SearchPattern pattern;
    if (!prepare(pattern)) return;
    HypDocument& doc = host_.document();
    SearchList list;
    if (request_.where == SearchWhere::AllFiles) {
        files_ = host_.shelf();
        const Patience patience(host_);
        list = list_matches_in_files(doc, files_, {request_.text, request_.typed_utf8},
                                     request_.match_case, kSearchListLimit, patience.check());
    } else {
        const Patience patience(host_);
        list = list_matches(doc, pattern, kSearchListLimit, patience.check());
    }
    if (list.rows.empty() && list.skipped == 0) {
        if (list.ended) return;  // ended by the user before anything was found
        host_.show_message(search_not_found_message(request_.text, SearchScope::AllPages));
        return;
    }
    const int chosen = host_.choose(list, search_list_note(request_.text, list));
    if (chosen >= 0 && static_cast<size_t>(chosen) < list.rows.size()) {
        const SearchListRow& row = list.rows[static_cast<size_t>(chosen)];
        show_find_in(list.files[row.file].path, row.match);
    }
}

void SearchSession::find_next() {
    HypDocument& doc = host_.document();
    if (doc.index.empty()) return;
    if (request_.text.empty()) {
        find();
        return;
    }
    SearchPattern pattern;
    if (!prepare(pattern)) return;
    // Weitersuchen goes on from the find shown last while its page (or the page under its
    // popup) is still shown; otherwise from the top of the shown page.
    const int32_t current = host_.view().current_page;
    const bool from_find = have_find_ && find_path_ == doc.path && shown_on_page_ == current;
    const SearchPlace from = from_find ? SearchPlace{find_.page, static_cast<int32_t>(find_.line),
                                                     static_cast<int32_t>(find_.first_column)}
                                       : SearchPlace{current, -1, 0};
    FileFind next;
    {
        const Patience patience(host_);
        if (request_.where == SearchWhere::AllFiles && !files_.empty()) {
            next = find_next_in_files(doc, files_, from, {request_.text, request_.typed_utf8},
                                      request_.match_case, patience.check());
        } else {
            next.path = doc.path;
            next.found =
                ::find_next(doc, pattern, SearchScope::AllPages, from, next.match, next.line_text);
        }
    }
    if (next.ended) return;  // Esc: the view stays
    if (!next.found) {
        host_.show_message(search_not_found_message(request_.text, SearchScope::AllPages));
        return;
    }
    const SearchMatch& match = next.match;
    if (from_find && same_file_path(next.path, doc.path) && match.page == find_.page &&
        match.line == find_.line && match.first_column == find_.first_column) {
        // Round the whole hypertext (or every file) back to the find shown: there is no other.
        host_.show_message(search_no_further_message(request_.text));
        return;
    }
    show_find_in(next.path, match);
}

// Paints the find's page at once and, when the find's line (pushed down by pictures above it)
// lies outside the window, scrolls it to the top.
void SearchSession::bring_find_into_view() {
    display_line_ = -1;
    host_.paint_now();
    const int32_t line = display_line_;
    if (line < 0) return;
    const ViewState& view = host_.view();
    if (line < view.top_line || line >= view.top_line + host_.visible_lines()) {
        host_.scroll_to_line(line);
        host_.paint_now();
    }
}

// Shows `match` inverted: on the shown page scrolled into view, on another page reached as a
// link reaches it (the place left is pushed on the back stack); a popup's find opens the popup.
void SearchSession::show_find(const SearchMatch& match) {
    have_find_ = true;
    find_ = match;
    find_.line_text = {};
    find_path_ = host_.document().path;
    shown_on_page_ = host_.view().current_page;
    const int32_t line = static_cast<int32_t>(match.line);
    if (match.in_popup) {
        // A popup's text is seen in its popup, as its link would open it.
        host_.open_popup(match.page);
        return;
    }
    if (match.page == host_.view().current_page) {
        const ViewState& view = host_.view();
        if (line < view.top_line || line >= view.top_line + host_.visible_lines()) {
            host_.scroll_to_line(line);
        }
        const int32_t left = left_column_showing(match.first_column, match.end_column,
                                                 view.left_column, host_.visible_cells());
        if (left != view.left_column) host_.scroll_to_column(left);
        host_.repaint();
        bring_find_into_view();
        return;
    }
    NavigationRequest request;
    request.target = match.page;
    request.top_line = line;
    request.left_column =
        left_column_showing(match.first_column, match.end_column, 0, host_.visible_cells());
    host_.show_entry(std::move(request));
    shown_on_page_ = host_.view().current_page;
    bring_find_into_view();
}

// Shows `match` of the hypertext `path`: another file is opened at the find's page (at its first
// page for a popup's find) through the history, so that Back returns to the place left.
void SearchSession::show_find_in(const std::string& path, const SearchMatch& match) {
    if (!same_file_path(path, host_.document().path)) {
        NavigationRequest request;
        if (!match.in_popup) {
            request.target = match.page;
            request.top_line = static_cast<int32_t>(match.line);
            request.left_column =
                left_column_showing(match.first_column, match.end_column, 0, host_.visible_cells());
        }
        if (!host_.open_and_show(path, std::move(request))) return;
    }
    show_find(match);
}

TextSpan SearchSession::highlight(int32_t page) {
    TextSpan span;
    if (have_find_ && find_.page == page && find_path_ == host_.document().path) {
        span.line = static_cast<int32_t>(find_.line);
        span.first = find_.first_column;
        span.end = find_.end_column;
        span.display_line = &display_line_;
    }
    return span;
}

// The viewer's search session: the last text and options, the find shown last, "Weitersuchen".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/navigation.h"
#include "app/search.h"
#include "hyp/document.h"
#include "render/page_walk.h"

// Where the dialog's radio buttons send the search.
enum class SearchWhere : uint8_t { ThisPage, AllPages, AllFiles };

// What the "Suchen" dialog asks for.
struct SearchRequest {
    std::string text;  // Windows set, as typed
    // As typed in UTF-8 when it holds characters the Windows set lacks (pasted); else empty.
    std::string typed_utf8;
    bool match_case = false;
    SearchWhere where = SearchWhere::ThisPage;
};

// What the session needs of the window. The window implements it; tests record the calls.
class SearchHost {
   public:
    virtual ~SearchHost() = default;

    // The open hypertext and what the window shows of it.
    virtual HypDocument& document() = 0;
    virtual const ViewState& view() = 0;
    // Whole lines and cells the client area shows (each at least 1).
    virtual int32_t visible_lines() = 0;
    virtual int32_t visible_cells() = 0;

    // The "Suchen" dialog, filled with `request`; false when cancelled (request unchanged).
    virtual bool ask(SearchRequest& request) = 0;
    // The result list with `note` above it; the chosen row, or -1 when cancelled.
    virtual int choose(const SearchList& list, const std::string& note) = 0;
    // A message box owned by the main window.
    virtual void show_message(const std::string& text) = 0;
    // The hypertexts a search through all of them reads, the open one first.
    virtual std::vector<std::string> shelf() = 0;
    // Asked between the pages of a long search: false ends it (the window's Esc).
    // end_patience follows every begin_patience.
    virtual SearchGoOn begin_patience() = 0;
    virtual void end_patience() = 0;

    // Scrolls one axis of the shown page to a line or a column.
    virtual void scroll_to_line(int32_t line) = 0;
    virtual void scroll_to_column(int32_t column) = 0;
    // Draws the whole client area again with the next paint, or at once.
    virtual void repaint() = 0;
    virtual void paint_now() = 0;
    // Opens the popup window of `page` as its link would, about the window's middle.
    virtual void open_popup(uint16_t page) = 0;
    // Shows another page of the open hypertext, or another hypertext, through the history.
    virtual void show_entry(NavigationRequest request) = 0;
    virtual bool open_and_show(const std::string& path, NavigationRequest request) = 0;
};

// The session of the main window: CM_FIND and CM_FIND_NEXT, and the find drawn inverted.
class SearchSession {
   public:
    explicit SearchSession(SearchHost& host) : host_(host) {}

    // CM_FIND: the dialog; then the first find on the shown page, or the list of all pages'
    // (or all hypertexts') finds, of which the chosen one is shown.
    void find();
    // CM_FIND_NEXT: the next find after the one shown last (while its page is shown; else after
    // the top of the shown page), on through the following pages and, for a search through
    // all hypertexts, the other files, wrapping round once; the dialog when nothing was
    // searched yet.
    void find_next();

    // The find to draw inverted on `page` of the open hypertext; none (line -1) elsewhere.
    TextSpan highlight(int32_t page);

    const SearchRequest& request() const { return request_; }

    // Of the columns [first, end) of a line, the horizontal position that shows them in `cells`
    // cells when `left` does not: a few columns before the find.
    static int32_t left_column_showing(uint32_t first, uint32_t end, int32_t left, int32_t cells);

   private:
    bool prepare(SearchPattern& pattern);
    void search_this_page();
    void search_all_pages();
    void show_find(const SearchMatch& match);
    void show_find_in(const std::string& path, const SearchMatch& match);
    void bring_find_into_view();

    SearchHost& host_;
    SearchRequest request_;
    // The hypertexts of the last search through all of them, the open one first: "Weitersuchen"
    // goes on through them.
    std::vector<std::string> files_;
    bool have_find_ = false;
    std::string find_path_;  // the document the find belongs to
    SearchMatch find_;       // line_text unused
    // The page shown when the find was shown: its own, or the page under a popup's find.
    int32_t shown_on_page_ = -1;
    // Where the find's line was drawn last (display lines count the lines pictures reserve).
    int32_t display_line_ = -1;
};

// The search session's rules: the find shown, "Weitersuchen" after it, wrapping round, on through
// other hypertexts, and what ends a search without showing anything.
#include "app/search_session.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/temp_dir.h"
#include "hyp/document.h"
#include "hyp/paths.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

constexpr int32_t kVisibleLines = 10;
constexpr int32_t kVisibleCells = 20;

// A step of a case: what the user does, and what the window shows after it.
enum class Act { Find, FindNext, ShowPage };

struct Step {
    Act act;
    SearchRequest asked;  // Find (and FindNext before any search): what the dialog returns
    int32_t page = 0;     // ShowPage: the page the user went to
    // After the step: "file:page:line:column" of the find drawn inverted (with " top=N" and
    // " left=N" when the view was scrolled or shown there; the window's own clamping to the
    // page's length is not the session's), "popup:N", "msg:TEXT", "asked" (the dialog was
    // cancelled) or "nothing".
    std::string shows;
};

// The window: one open hypertext, its view, and what reached it during a step.
class FakeWindow : public SearchHost {
   public:
    explicit FakeWindow(std::vector<std::string> shelf) : shelf_(std::move(shelf)) {}
    ~FakeWindow() override { close_hypertext(doc_); }

    SearchSession session{*this};
    std::vector<SearchRequest> answers;  // what the dialog returns, in turn
    bool escape = false;                 // a long search is ended by Esc at once

    bool open(const std::string& path) {
        close_hypertext(doc_);
        int32_t first = -1;
        view_ = ViewState{};
        return succeeded(open_hypertext(doc_, path, std::nullopt, -1, first));
    }
    void show_page(int32_t page) {
        view_ = ViewState{};
        view_.current_page = page;
    }
    void start_step() {
        message_.clear();
        popup_ = -1;
        asked_ = false;
    }
    // What the window shows now (see Step::shows).
    std::string shows() {
        if (!message_.empty()) return "msg:" + message_;
        if (popup_ >= 0) return "popup:" + std::to_string(popup_);
        const TextSpan span = session.highlight(view_.current_page);
        if (span.line < 0) return asked_ ? "asked" : "nothing";
        std::string text = path_file_name(doc_.path) + ":" + std::to_string(view_.current_page) +
                           ":" + std::to_string(span.line) + ":" + std::to_string(span.first);
        if (view_.top_line != 0) text += " top=" + std::to_string(view_.top_line);
        if (view_.left_column != 0) text += " left=" + std::to_string(view_.left_column);
        return text;
    }

    HypDocument& document() override { return doc_; }
    const ViewState& view() override { return view_; }
    int32_t visible_lines() override { return kVisibleLines; }
    int32_t visible_cells() override { return kVisibleCells; }
    bool ask(SearchRequest& request) override {
        if (answers.empty()) {
            asked_ = true;  // and cancelled
            return false;
        }
        request = answers.front();
        answers.erase(answers.begin());
        return true;
    }
    // The list: its first row is chosen.
    int choose(const SearchList& list, const std::string&) override {
        return list.rows.empty() ? -1 : 0;
    }
    void show_message(const std::string& text) override { message_ = text; }
    std::vector<std::string> shelf() override { return shelf_; }
    SearchGoOn begin_patience() override {
        EXPECT_FALSE(patient_) << "patience begun twice";
        patient_ = true;
        return [this] { return !escape; };
    }
    void end_patience() override {
        EXPECT_TRUE(patient_) << "patience ended unbegun";
        patient_ = false;
    }
    void scroll_to_line(int32_t line) override { view_.top_line = line; }
    void scroll_to_column(int32_t column) override { view_.left_column = column; }
    void repaint() override {}
    // Pictures reserve no lines here: the find's line is drawn at its own line.
    void paint_now() override {
        const TextSpan span = session.highlight(view_.current_page);
        if (span.display_line != nullptr) *span.display_line = span.line;
    }
    void open_popup(uint16_t page) override { popup_ = page; }
    void show_entry(NavigationRequest request) override {
        view_ = ViewState{};
        view_.current_page = request.target;
        view_.top_line = request.top_line;
        view_.left_column = request.left_column;
    }
    bool open_and_show(const std::string& path, NavigationRequest request) override {
        if (!open(path)) return false;
        show_entry(std::move(request));
        return true;
    }

   private:
    HypDocument doc_;
    ViewState view_;
    std::vector<std::string> shelf_;
    std::string message_;
    int32_t popup_ = -1;
    bool asked_ = false;
    bool patient_ = false;
};

SearchRequest typed(const char* text, SearchWhere where, bool match_case = false) {
    SearchRequest r;
    r.text = text;
    r.match_case = match_case;
    r.where = where;
    return r;
}

Step find(SearchRequest asked, std::string shows) {
    return {Act::Find, std::move(asked), 0, std::move(shows)};
}
Step next(std::string shows) {
    return {Act::FindNext, {}, 0, std::move(shows)};
}
Step go_to(int32_t page) {
    return {Act::ShowPage, {}, page, ""};
}

struct Case {
    const char* name;
    const char* open;  // the file shown first
    std::vector<Step> steps;
    bool escape = false;
};

class SearchSessionTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        document.page_cache = PageCache{};
        // a: "Nadel" twice on page 0's second line, once on page 1, once far right on page 2,
        // once deep down on page 3, and once in a popup.
        write("a.hyp", "A",
              {{"erste Zeile", "Nadel und Nadel"},
               {"Nadel"},
               {"ganz weit rechts steht die Nadel"},
               {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "Nadel"}},
              {"nur im Popup: Nadel"});
        write("b.hyp", "B", {{"nichts"}});
        write("c.hyp", "C", {{"leer"}, {"x Nadel"}});
        write("one.hyp", "O", {{"die eine Nadel"}, {"sonst nichts"}});
    }

    void write(const char* file, const std::string& name,
               const std::vector<std::vector<std::string>>& pages,
               const std::vector<std::string>& popup = {}) {
        fixture::HypBuilder builder;
        for (size_t i = 0; i < pages.size(); ++i) {
            builder.node(name + std::to_string(i), fixture::text_page(pages[i]));
        }
        if (!popup.empty()) builder.popup(name + "P", fixture::text_page(popup));
        ASSERT_TRUE(builder.write(dir_.file(file))) << builder.error();
    }

    void run(const Case& c) {
        SCOPED_TRACE(c.name);
        FakeWindow window({dir_.file("a.hyp"), dir_.file("b.hyp"), dir_.file("c.hyp")});
        ASSERT_TRUE(window.open(dir_.file(c.open)));
        window.escape = c.escape;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            window.start_step();
            switch (step.act) {
                case Act::Find:
                    window.answers.push_back(step.asked);
                    window.session.find();
                    break;
                case Act::FindNext:
                    window.session.find_next();
                    break;
                case Act::ShowPage:
                    window.show_page(step.page);
                    continue;
            }
            EXPECT_EQ(window.shows(), step.shows) << "step " << i;
        }
    }

    fixture::TempDir dir_{"search-session"};
};

TEST_F(SearchSessionTest, FindAndNextOnTheOpenHypertext) {
    const SearchRequest page = typed("nadel", SearchWhere::ThisPage);
    const Case cases[] = {
        {"this page: its first find", "a.hyp", {find(page, "a.hyp:0:1:0")}},
        {"this page, nothing there",
         "b.hyp",
         {find(page, "msg:\"nadel\" wurde auf dieser Seite nicht gefunden.")}},
        {"letter case counts when asked",
         "a.hyp",
         {find(typed("nadel", SearchWhere::ThisPage, true),
               "msg:\"nadel\" wurde auf dieser Seite nicht gefunden.")}},
        {"next: the same line, the next page, far right, deep down, the popup, round to the first",
         "a.hyp",
         {find(page, "a.hyp:0:1:0"), next("a.hyp:0:1:10"), next("a.hyp:1:0:0"),
          next("a.hyp:2:0:27 left=23"), next("a.hyp:3:13:0 top=13"), next("popup:4"),
          next("a.hyp:0:1:0 top=1")}},
        {"next after the user moved: from the top of the page shown",
         "a.hyp",
         {find(page, "a.hyp:0:1:0"), go_to(2), next("a.hyp:2:0:27 left=23")}},
        {"the only find: no further one",
         "one.hyp",
         {find(page, "one.hyp:0:0:9"), next("msg:Keine weitere Fundstelle f\xFCr \"nadel\".")}},
        {"next before any search: the dialog first", "a.hyp", {next("asked")}},
        {"the list of all pages: its first row shown",
         "a.hyp",
         {go_to(2), find(typed("nadel", SearchWhere::AllPages), "a.hyp:0:1:0 top=1")}},
        {"an empty text is refused",
         "a.hyp",
         {find(typed("", SearchWhere::ThisPage), "msg:Bitte geben Sie einen Suchtext ein.")}},
    };
    for (const Case& c : cases) run(c);
}

TEST_F(SearchSessionTest, NextGoesOnThroughTheOtherHypertexts) {
    const SearchRequest all = typed("NADEL", SearchWhere::AllFiles);
    const Case cases[] = {
        {"from a's last find over b (none) into c, and round to a",
         "a.hyp",
         {find(all, "a.hyp:0:1:0"), go_to(3), next("a.hyp:3:13:0 top=13"), next("popup:4"),
          next("c.hyp:1:0:2"), next("a.hyp:0:1:0 top=1")}},
        {"the list's first row in another hypertext opens it",
         "b.hyp",
         {find(all, "a.hyp:0:1:0 top=1")}},
        {"Esc ends the search: nothing shown, nothing said", "c.hyp", {find(all, "nothing")}, true},
    };
    for (const Case& c : cases) run(c);
}

TEST(SearchSessionColumns, TheFindIsBroughtIntoTheWindowWithSomeColumnsBeforeIt) {
    struct Case {
        const char* name;
        uint32_t first, end;
        int32_t left, cells, expected;
    };
    const Case cases[] = {
        {"shown already", 3, 8, 0, 20, 0},
        {"its end beyond the window", 16, 21, 0, 20, 12},
        {"its end and the margin cell just inside", 14, 19, 0, 20, 0},
        {"left of the window", 2, 5, 10, 20, 0},
        {"near the start: not before column 0", 3, 5, 10, 20, 0},
        {"scrolled and beyond", 40, 45, 10, 20, 36},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SearchSession::left_column_showing(c.first, c.end, c.left, c.cells), c.expected)
            << c.name;
    }
}

}  // namespace

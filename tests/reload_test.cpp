// Reading a rebuilt hypertext again in place: the same page by name at the same line, history
// and bookmarks following their pages, and a cut or deleted file leaving everything as it was.
#include "app/reload.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "app/bookmarks.h"
#include "app/reload_watch.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/temp_dir.h"
#include "hyp/page_loader.h"
#include "render/page_walk.h"
#include "walk_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One page of a version: `count` numbered lines of `stem`.
struct VersionPage {
    std::string name;
    int count;
    std::string stem;
    bool popup = false;
};

Bytes version(const std::vector<VersionPage>& pages) {
    fixture::HypBuilder b;
    for (const VersionPage& p : pages) {
        std::vector<std::string> text;
        for (int i = 0; i < p.count; ++i) text.push_back(p.stem + " " + std::to_string(i));
        const Bytes page = fixture::text_page(text);
        p.popup ? b.popup(p.name, page) : b.node(p.name, page);
    }
    return b.build();
}

// The file as first read: Main 0, Kapitel 1, Pop 2 (popup), Anhang 3, Weg 4, Schluss 5.
Bytes first_version() {
    // clang-format off
    return version({{"Main", 10, "main"}, {"Kapitel", 60, "kapitel alt"}, {"Pop", 2, "pop", true},
                    {"Anhang", 30, "anhang"}, {"Weg", 5, "weg"}, {"Schluss", 3, "schluss"}});
    // clang-format on
}

// A page name longer than a bookmark keeps.
const std::string LONG_NAME(BOOKMARK_NAME_SIZE + 20, 'L');

// Rebuilt: pages added before and after, Kapitel's text changed, Anhang shorter, Weg gone, and
// Schluss renamed in letter case only.
// clang-format off
enum : uint16_t { V2_NEU, V2_MAIN, V2_VORWORT, V2_KAPITEL, V2_POP, V2_ANHANG, V2_SCHLUSS, V2_ENDE,
                  V2_LONG };
Bytes second_version() {
    return version({{"Neu", 4, "neu"}, {"Main", 10, "main"}, {"Vorwort", 12, "vorwort"},
                    {"Kapitel", 60, "kapitel neu"}, {"Pop", 2, "pop", true},
                    {"Anhang", 25, "anhang"}, {"SCHLUSS", 3, "schluss"}, {"Ende", 2, "ende"},
                    {LONG_NAME, 40, "lang"}});  // compressed: a cut inside it shows
}
// clang-format on

class RecordingHost : public NavigationHost {
   public:
    explicit RecordingHost(HypDocument& doc) : doc_(doc) {}
    void set_title(const std::string& title) override { titles.push_back(title); }
    void set_wide_title(const std::u16string&) override {}
    void layout_page(uint16_t page) override { interpret_page(walktest::layout_args(doc_, page)); }
    ViewMetrics metrics() override { return {640, 400, 20, 8}; }  // 20 lines shown
    void show_view(const ViewState& view) override {
        ++shows;
        shown = view;
    }
    void update_buttons() override {}
    void repaint_now() override {}
    void show_message(const std::string& text) override { messages.push_back(text); }
    void open_popup(uint16_t, ClientPoint) override {}
    std::optional<std::string> choose_hypertext(const std::string&, const std::string&) override {
        return {};
    }
    void set_wait_cursor(bool) override {}
    void save_options_div() override { ++saves; }
    void post_quit() override {}
    bool ctrl_held() override { return false; }

    std::vector<std::string> titles, messages;
    int shows = 0, saves = 0;
    ViewState shown;

   private:
    HypDocument& doc_;
};

// The text of entry `page` as loaded from the file, lines joined by '|'.
std::string page_text(HypDocument& doc, uint16_t page) {
    load_page(doc, page);
    std::string text;
    for (std::size_t i = 0; i < page_length(doc.index[page]); ++i) {
        const char c = static_cast<char>(doc.index[page].page_data[i]);
        text += c == 0 ? '|' : c;
    }
    return text;
}

HistoryEntry history_entry(const std::string& path, uint16_t page, const std::string& name) {
    HistoryEntry entry;
    entry.page = page;
    entry.top_line = 17;
    entry.left_column = 4;
    entry.path = path;
    entry.node_name = name;
    return entry;
}

class ReloadTest : public ::testing::Test {
   protected:
    void SetUp() override {
        walktest::reset_walk_state();
        path = dir.write("doc.hyp", first_version());
        other = dir.file("other.hyp");
        int32_t page = -1;
        ASSERT_TRUE(succeeded(open_hypertext(doc, path, std::nullopt, -1, page)));
    }

    // Shows `name` of the first version at `top_line`, as a navigation would.
    void show(const std::string& name, int32_t top_line, int32_t left_column = 0) {
        const std::optional<uint16_t> page = page_by_name(doc, name);
        ASSERT_TRUE(page) << name;
        NavigationRequest request;
        request.target = *page;
        request.top_line = top_line;
        request.left_column = left_column;
        request.no_push = true;
        nav.show_entry(request);
        page_text(doc, *page);  // drawn: the page's bytes are loaded
    }

    ReloadResult reload() { return reload_in_place(doc, view, history, marks, nav, host); }

    // The second version written over the file and opened in the document.
    void open_second_version() {
        ASSERT_TRUE(fixture::write_file(path, second_version()));
        int32_t page = -1;
        ASSERT_TRUE(succeeded(open_hypertext(doc, path, std::nullopt, -1, page)));
    }

    fixture::TempDir dir{"reload"};
    std::string path, other;
    HypDocument doc;
    ViewState view;
    HistoryStack history;
    Bookmark marks[BOOKMARK_COUNT]{};
    RecordingHost host{doc};
    Navigator nav{doc, view, history, host};
};

// One reload after the file changed under a place shown, with a history entry and a bookmark
// on the first version. Rebuilt: the same page by name at the same line as far as it reaches.
// Cut, emptied or deleted: everything as it was, the page on screen keeping the text it loaded.
TEST_F(ReloadTest, OneReloadAfterTheFileWasRebuiltCutOrDeleted) {
    const Bytes whole = second_version();
    const std::string damaged = reload_damaged_failure(path).message;
    struct Case {
        const char* name;
        Bytes bytes;  // written over the file; with `remove` the file is deleted
        bool remove;
        const char* shown;
        int32_t top_line, left_column;
        std::string message;  // empty: read
        uint16_t page;        // shown afterwards
        int32_t expected_top, expected_left;
        bool same_page;
        const char* first_line;  // of that page
    };
    // Not read: Kapitel stays at its place, with the text it loaded before the file changed.
    const auto kept = [](const char* name, Bytes bytes, std::string message, bool remove = false) {
        return Case{name,  std::move(bytes), remove, "Kapitel", 25, 3, std::move(message), 1, 25, 3,
                    false, "kapitel alt 0"};
    };
    // 20 lines fit the window: a page of n lines scrolls to n + 1 - 20 at most.
    // clang-format off
    const Case cases[] = {
        {"changed text, moved by added pages", whole, false, "Kapitel", 25, 3, "", V2_KAPITEL,
         25, 3, true, "kapitel neu 0"},
        {"at the end of an unchanged length", whole, false, "Kapitel", 41, 0, "", V2_KAPITEL,
         41, 0, true, "kapitel neu 0"},
        {"shorter now: as far as it reaches", whole, false, "Anhang", 20, 0, "", V2_ANHANG,
         6, 0, true, "anhang 0"},
        {"renamed in letter case only", whole, false, "Schluss", 0, 0, "", V2_SCHLUSS,
         0, 0, true, "schluss 0"},
        {"gone: the first page, at its top", whole, false, "Weg", 3, 2, "", V2_NEU,
         0, 0, false, "neu 0"},
        kept("cut inside the index", fixture::truncated(whole, 40), damaged),
        kept("cut inside the pages", fixture::truncated(whole, whole.size() / 2), damaged),
        kept("cut inside the last page", fixture::truncated(whole, whole.size() - 6), damaged),
        kept("emptied", Bytes(), damaged),
        kept("deleted", Bytes(), reload_vanished_failure(path).message, true),
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(fixture::write_file(path, first_version()));
        int32_t first = -1;
        ASSERT_TRUE(succeeded(open_hypertext(doc, path, std::nullopt, -1, first)));
        show(c.shown, c.top_line, c.left_column);
        view.selected_link = 2;
        history.clear();
        history.push(history_entry(path, 3, "Anhang"));
        set_bookmark(marks[0], BookmarkPlace{1, 7, 0, path, "Kapitel"});
        const int shows = host.shows;
        if (c.remove) {
            ASSERT_EQ(std::remove(path.c_str()), 0);
        } else {
            ASSERT_TRUE(fixture::write_file(path, c.bytes));
        }

        const ReloadResult result = reload();
        const bool read = c.message.empty();
        EXPECT_EQ(succeeded(result.opened) ? "" : result.opened.failure().message, c.message);
        EXPECT_EQ(
            std::make_tuple(doc.index.size(), view.current_page, view.top_line, view.left_column,
                            result.same_page),
            std::make_tuple(read ? 9u : 6u, c.page, c.expected_top, c.expected_left, c.same_page))
            << "entries, page, top line, column, same page";
        EXPECT_EQ(page_text(doc, c.page).rfind(c.first_line, 0), 0u) << page_text(doc, c.page);
        EXPECT_EQ(view.selected_link, read ? 0 : 2) << "the keyboard selection closes on a read";
        EXPECT_EQ(result.views_stale, read);
        // A reload is no move of the user: nothing pushed; history and bookmark follow their
        // pages when read, and stay when not.
        ASSERT_EQ(history.depth(), 1u);
        EXPECT_EQ(std::make_tuple(history.back(1).page, bookmark_place(marks[0]).page,
                                  result.bookmarks_changed),
                  std::make_tuple(read ? V2_ANHANG : 3, read ? V2_KAPITEL : 1, read))
            << "history page, bookmark page, bookmarks changed";
        if (read) {
            EXPECT_EQ(host.shown.current_page, c.page) << "the window was told";
            ASSERT_FALSE(host.titles.empty());
            EXPECT_EQ(host.titles.back(), "Vellumar - " + std::string(entry_name(doc, c.page)));
        } else {
            EXPECT_EQ(host.shows, shows) << "nothing shown anew";
        }
    }
}

TEST_F(ReloadTest, HistoryEntriesFollowTheirPagesByName) {
    ASSERT_NO_FATAL_FAILURE(open_second_version());
    std::string upper_path = path;
    for (char& ch : upper_path)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));

    struct Case {
        const char* name;
        std::string path;
        uint16_t page;
        std::string node_name;
        int expected_page;  // -1: dropped
    };
    // clang-format off
    const Case cases[] = {
        {"moved by added pages", path, 1, "Kapitel", V2_KAPITEL},
        {"another hypertext stays", other, 4, "Weg", 4},
        {"gone: dropped", path, 4, "Weg", -1},
        {"the path in other letter case is this file", upper_path, 0, "Main", V2_MAIN},
        {"the name in other letter case", path, 5, "Schluss", V2_SCHLUSS},
        {"a popup's name is no page", path, 2, "Pop", -1},
        {"a page without name at an index that now has one", path, 0, "", -1},
    };
    // clang-format on
    for (const Case& c : cases) history.push(history_entry(c.path, c.page, c.node_name));
    const std::size_t dropped = follow_history_pages(history, doc);

    std::size_t expected_dropped = 0, k = history.depth();
    for (const Case& c : cases) {
        if (c.expected_page < 0) {
            ++expected_dropped;
            continue;
        }
        ASSERT_GE(k, 1u) << c.name;
        const HistoryEntry& e = history.back(k--);  // oldest first, order kept
        EXPECT_EQ(std::make_tuple(e.node_name, e.page, e.top_line, e.left_column, e.path),
                  std::make_tuple(c.node_name, c.expected_page, 17, 4, c.path))
            << c.name;
    }
    EXPECT_EQ(k, 0u);
    EXPECT_EQ(dropped, expected_dropped);
}

TEST_F(ReloadTest, BookmarksFollowTheirPagesByName) {
    ASSERT_NO_FATAL_FAILURE(open_second_version());

    struct Case {
        const char* name;
        bool in_use;
        BookmarkPlace place;
        BookmarkPlace expected;
    };
    // clang-format off
    const Case cases[] = {
        {"moved by added pages", true, {1, 7, 3, path, "Kapitel"},
         {V2_KAPITEL, 7, 3, path, "Kapitel"}},
        {"another hypertext stays", true, {4, 2, 0, other, "Weg"}, {4, 2, 0, other, "Weg"}},
        {"gone: the first page, name kept", true, {4, 2, 1, path, "Weg"}, {0, 0, 0, path, "Weg"}},
        {"unused stays unused", false, {4, 2, 1, path, "Kapitel"}, {4, 2, 1, path, "Kapitel"}},
        {"a long name, cut in the record", true, {2, 0, 0, path, LONG_NAME},
         {V2_LONG, 0, 0, path, LONG_NAME.substr(0, BOOKMARK_NAME_SIZE - 1)}},
        {"unchanged place", true, {V2_ENDE, 1, 0, path, "Ende"}, {V2_ENDE, 1, 0, path, "Ende"}},
    };
    // clang-format on
    static_assert(std::size(cases) <= BOOKMARK_COUNT, "one bookmark per case");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        set_bookmark(marks[i], cases[i].place);
        if (!cases[i].in_use) delete_bookmark(marks[i]);
    }
    EXPECT_TRUE(follow_bookmark_pages(marks, doc));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(bookmark_in_use(marks[i]), c.in_use) << c.name;
        const BookmarkPlace got = bookmark_place(marks[i]), want = c.expected;
        EXPECT_EQ(
            std::make_tuple(got.page, got.top_line, got.left_column, got.path, got.node_name),
            std::make_tuple(want.page, want.top_line, want.left_column, want.path, want.node_name))
            << c.name;
    }
    EXPECT_FALSE(follow_bookmark_pages(marks, doc)) << "followed once, nothing is left to change";
}

// The window's looks while an author rebuilds the file, through the real file and its reading
// (the rules alone are tested with ReloadWatch): each look with what must be on screen after it
// (the page's first line; the old page while the file is written, cut or gone), the messages
// shown so far, and the step.
TEST_F(ReloadTest, LooksWhileTheFileIsRebuiltCutAndDeleted) {
    show("Kapitel", 25);
    set_bookmark(marks[0], BookmarkPlace{1, 7, 0, path, "Kapitel"});
    FileFollower follower(doc, view, history, marks, nav, host);
    follower.follow(read_file_identity(path));
    const Bytes rebuilt = second_version();

    struct Look {
        const char* name;
        int action;  // 0 none, 1 write the rebuilt file, 2 write a cut copy, 3 delete
        int64_t at_ms;
        ReloadStep step;
        const char* first_line;
        std::size_t messages;
    };
    const Look looks[] = {
        {"rebuilt: seen", 1, 400, ReloadStep::Wait, "kapitel alt 0", 0},
        {"rebuilt: settled, read", 0, 800, ReloadStep::Reload, "kapitel neu 0", 0},
        {"as read: the new file is the one followed", 0, 1200, ReloadStep::Nothing, "kapitel neu 0",
         0},
        {"cut copy written", 2, 1600, ReloadStep::Wait, "kapitel neu 0", 0},
        {"cut copy settled: read through, not whole", 0, 2000, ReloadStep::Wait, "kapitel neu 0",
         0},
        {"deleted", 3, 2400, ReloadStep::Wait, "kapitel neu 0", 0},
        {"deleted too long", 0, 7400, ReloadStep::TellVanished, "kapitel neu 0", 1},
        {"back whole", 1, 7800, ReloadStep::Wait, "kapitel neu 0", 1},
        {"back whole, read", 0, 8200, ReloadStep::Reload, "kapitel neu 0", 1},
    };
    for (const Look& l : looks) {
        SCOPED_TRACE(l.name);
        if (l.action == 1 || l.action == 2) {
            const Bytes bytes =
                l.action == 1 ? rebuilt : fixture::truncated(rebuilt, rebuilt.size() / 2);
            ASSERT_TRUE(fixture::write_file(path, bytes));
        } else if (l.action == 3) {
            ASSERT_EQ(std::remove(path.c_str()), 0);
        }
        EXPECT_EQ(follower.look(l.at_ms), l.step);
        const std::string text = page_text(doc, static_cast<uint16_t>(view.current_page));
        EXPECT_EQ(text.rfind(l.first_line, 0), 0u) << text;
        EXPECT_EQ(host.messages.size(), l.messages);
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages.back(), reload_vanished_failure(path).message);
    EXPECT_EQ(host.saves, 1) << "the bookmark moved once, and was saved then";

    // Another document opened: followed from then on as it is, not read again.
    const std::string other_file = dir.write("other.hyp", first_version());
    int32_t page = -1;
    ASSERT_TRUE(succeeded(open_hypertext(doc, other_file, std::nullopt, -1, page)));
    const int shows = host.shows;
    EXPECT_EQ(follower.look(8600), ReloadStep::Nothing);
    EXPECT_EQ(follower.look(9000), ReloadStep::Nothing);
    EXPECT_EQ(host.shows, shows);
}

}  // namespace

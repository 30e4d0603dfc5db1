// Navigation over real hypertext files: command targets, show_entry, loading other files,
// following links by target type, the back stack, bookmarks and the "Siehe auch" menu.
#include "app/navigation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/bookmarks.h"
#include "app/xref_menu.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/page_builder.h"
#include "hyp/charset.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::text_page;
namespace type = fixture::type;

// --- the window, recorded ------------------------------------------------------------------

class RecordingHost : public NavigationHost {
   public:
    explicit RecordingHost(HypDocument& doc) : doc_(doc) {}

    void set_title(const std::string& title) override { titles.push_back(title); }
    void set_wide_title(const std::u16string& title) override { wide_titles.push_back(title); }
    void layout_page(uint16_t page) override {
        ++layouts;
        interpret_page(walktest::layout_args(doc_, page));
    }
    ViewMetrics metrics() override { return view_metrics; }
    void show_view(const ViewState& view) override {
        ++shows;
        shown = view;
    }
    void update_buttons() override { ++buttons; }
    void repaint_now() override { ++repaints; }
    void show_message(const std::string& text) override { messages.push_back(text); }
    void open_popup(uint16_t entry, ClientPoint point) override {
        popups.push_back({entry, point});
    }
    std::optional<std::string> choose_hypertext(const std::string& directory,
                                                const std::string& file_name) override {
        dialog_directory = directory;
        dialog_file = file_name;
        ++dialogs;
        return dialog_answer;
    }
    void set_wait_cursor(bool wait) override { wait_cursor = wait; }
    void save_options_div() override { ++saves; }
    void post_quit() override { ++quits; }
    bool ctrl_held() override { return ctrl; }
    void opening_hypertext(const std::string& path) override {
        openings.push_back({path, doc_.path});
    }

    std::vector<std::string> titles, messages;
    // Each file about to be opened, with the path the document held when the window was told.
    std::vector<std::pair<std::string, std::string>> openings;
    std::vector<std::u16string> wide_titles;
    std::vector<std::pair<uint16_t, ClientPoint>> popups;
    int layouts = 0, shows = 0, buttons = 0, repaints = 0, saves = 0, quits = 0, dialogs = 0;
    ViewState shown;
    ViewMetrics view_metrics{640, 400, 20, 8};  // 20 lines of 20 pixels, cells of 8
    bool wait_cursor = false;
    bool ctrl = false;
    std::optional<std::string> dialog_answer;
    std::string dialog_directory, dialog_file;

   private:
    HypDocument& doc_;
};

// --- the hypertexts -------------------------------------------------------------------------

// Entries of a.hyp.
enum : uint16_t {
    A_MAIN = 0,
    A_ZWEI = 1,
    A_DREI = 2,  // named with an Atari u-umlaut
    A_POPUP = 3,
    A_EXT_NODE = 4,     // "b.hyp/Kapitel 2"
    A_EXT_FILE = 5,     // "c.hyp" (only in the HypPath directory)
    A_INDEX = 6,        // "Index"
    A_SYSTEM = 7,       // "sys \x81" (system argument)
    A_IMAGE = 8,        // image, no name
    A_REXX_SCRIPT = 9,  // "script.rx"
    A_REXX_CMD = 10,    // "ADDRESS"
    A_QUIT = 11,
    A_EXT_LOCAL = 12,    // "Zwei": a node of a.hyp itself
    A_EXT_MISSING = 13,  // "Missing.HYP/Node"
    A_LAST = 14,
    A_TRAILING_POPUP = 15,
};

std::vector<uint8_t> lines(int count, const std::string& stem) {
    std::vector<std::string> text;
    for (int i = 0; i < count; ++i) text.push_back(stem + " " + std::to_string(i));
    return text_page(text);
}

std::vector<uint8_t> image_object() {
    std::vector<uint8_t> object;
    std::string error;
    fixture::make_image_object(16, 4, 1, std::vector<uint8_t>(64, 0), object, error);
    return object;
}

fixture::HypBuilder hypertext_a() {
    fixture::HypBuilder b;
    b.ext_text(fixture::ext::kHelp, "Zwei").ext_word(fixture::ext::kWidth, 60);
    b.node("Main", lines(30, "main"));
    fixture::PageBuilder zwei;
    zwei.line("zwei")
        .xref(A_MAIN,
              "Zur\x81"
              "ck")
        .xref(A_POPUP, "")
        .xref(A_EXT_FILE, "")
        .xref(A_SYSTEM, "");
    b.node("Zwei", zwei.bytes());
    b.node("Dr\x81", lines(40, "drei"));
    b.popup("Pop", lines(3, "popup text"));
    b.reference(type::kExternal, "b.hyp/Kapitel 2");
    b.reference(type::kExternal, "c.hyp");
    b.node("Index", lines(2, "index"));
    b.reference(type::kSystem, "sys \x81");
    b.image(image_object());
    b.reference(type::kRexxScript, "script.rx");
    b.reference(type::kRexxCommand, "ADDRESS");
    b.reference(type::kQuit, "quit");
    b.reference(type::kExternal, "Zwei");
    b.reference(type::kExternal, "Missing.HYP/Node");
    b.node("Last", lines(5, "last"));
    b.popup("Trailing", lines(1, "t"));
    // Logical order Main -> Zwei -> Drei -> Last; everything's table of contents is Main.
    b.entry(A_MAIN).next = A_ZWEI;
    b.entry(A_ZWEI).previous = A_MAIN;
    b.entry(A_ZWEI).next = A_DREI;
    b.entry(A_DREI).previous = A_ZWEI;
    b.entry(A_DREI).next = A_LAST;
    b.entry(A_LAST).previous = A_DREI;
    b.entry(A_LAST).next = A_LAST;
    return b;
}

class NavigationTest : public ::testing::Test {
   protected:
    void SetUp() override {
        walktest::reset_walk_state();
        dir = fixture::make_temp_directory("nav");
        hyp_dir = fixture::make_temp_directory("navpath");
        a_path = dir + "a.hyp";
        b_path = dir + "b.hyp";
        c_path = hyp_dir + "c.hyp";
        ASSERT_TRUE(hypertext_a().write(a_path));

        fixture::HypBuilder b;
        b.node("Start", lines(3, "b start"));
        b.node("Kapitel 2", lines(50, "b kapitel"));
        b.node("Other", lines(3, "b other"));
        ASSERT_TRUE(b.write(b_path));
        // A b.hyp in the HypPath directory too: the one beside the open file must win.
        fixture::HypBuilder decoy;
        decoy.node("Kapitel 2", lines(1, "decoy"));
        ASSERT_TRUE(decoy.write(hyp_dir + "b.hyp"));
        fixture::HypBuilder c;
        c.node("C-Start", lines(2, "c"));
        c.node("C-Two", lines(2, "c two"));
        ASSERT_TRUE(c.write(c_path));

        std::memset(settings.HypPath, 0, sizeof settings.HypPath);
        std::strcpy(settings.HypPath, hyp_dir.c_str());
        std::memset(settings.LastLoadPath, 0, sizeof settings.LastLoadPath);
        std::memset(settings.Marken, 0, sizeof settings.Marken);
        open(a_path);
    }

    void TearDown() override {
        close_hypertext(doc);
        fixture::remove_directory(dir);
        fixture::remove_directory(hyp_dir);
    }

    // Opens a file as start-up does and shows its first entry.
    void open(const std::string& path) {
        int32_t page = -1;
        ASSERT_TRUE(succeeded(open_hypertext(doc, path, std::nullopt, -1, page)));
        view = ViewState{};
        view.current_page = page;
        view.conversion = screen_conversion(doc.source_charset);
        interpret_page(walktest::layout_args(doc, static_cast<uint16_t>(page)));
    }

    // Puts link areas on the shown page as a drawing walk would leave them.
    void put_links(const std::vector<std::pair<uint16_t, uint16_t>>& targets_and_lines) {
        IndexEntry& entry = doc.index[view.current_page];
        entry.links.clear();
        int16_t line = 0;
        for (const auto& [target, target_line] : targets_and_lines) {
            LinkArea area;
            area.target = target;
            area.target_line = target_line;
            area.line = line++;
            area.width = 40;
            entry.links.push_back(area);
        }
    }

    // Follows the n-th (1-based) link of the shown page.
    void follow(unsigned n, ClientPoint point = {}) {
        nav.follow_link(doc.index[view.current_page].links[n - 1], point);
    }

    void go(int32_t target, int32_t top_line = 0) {
        NavigationRequest request;
        request.target = target;
        request.top_line = top_line;
        nav.show_entry(request);
    }

    std::string dir, hyp_dir, a_path, b_path, c_path;
    HypDocument doc;
    ViewState view;
    HistoryStack history;
    RecordingHost host{doc};
    Navigator nav{doc, view, history, host};
};

// --- command targets ------------------------------------------------------------------------

HypDocument& targets_document() {
    static HypDocument doc;
    if (!doc.index.empty()) return doc;
    auto add = [&](uint8_t t, const char* name, uint16_t prev, uint16_t next, uint16_t toc) {
        IndexEntry e;
        e.type = t;
        if (name) e.name = name;
        e.previous = prev;
        e.next = next;
        e.toc = toc;
        doc.index.push_back(std::move(e));
    };
    add(ENTRY_NODE, "Main", 0, 2, 0);    // 0
    add(ENTRY_PNODE, "P", 1, 1, 0);      // 1
    add(ENTRY_NODE, "B", 0, 3, 0);       // 2
    add(ENTRY_NODE, "Index", 2, 3, 2);   // 3
    add(ENTRY_IMAGE, nullptr, 0, 0, 0);  // 4
    add(ENTRY_NODE, "Hilfe", 3, 5, 3);   // 5
    add(ENTRY_PNODE, "Q", 0, 0, 0);      // 6
    doc.last_node_index = 5;
    ExtHeader miss{EXT_HELP, 5, {'N', 'o', 'p', 'e', 0}};
    ExtHeader help{EXT_HELP, 6, {'H', 'i', 'l', 'f', 'e', 0}};
    doc.ext_headers = {miss, help, ExtHeader{}};
    return doc;
}

TEST(NavigationCommandTarget, EveryCommand) {
    const HypDocument& doc = targets_document();
    struct Case {
        const char* name;
        int32_t current;
        unsigned command;
        int32_t target;
        bool push;
    };
    const Case cases[] = {
        {"previous logical", 2, CM_PREV_LOGICAL, 0, false},
        {"next logical", 2, CM_NEXT_LOGICAL, 3, false},
        {"previous physical skips the popup", 2, CM_PREV_PHYSICAL, 0, false},
        {"previous physical", 3, CM_PREV_PHYSICAL, 2, false},
        {"previous physical of the first", 0, CM_PREV_PHYSICAL, 0, false},
        {"previous physical from a popup stays", 1, CM_PREV_PHYSICAL, 1, false},
        {"next physical skips the image", 3, CM_NEXT_PHYSICAL, 5, false},
        {"next physical skips the popup", 0, CM_NEXT_PHYSICAL, 2, false},
        {"next physical of the last node stays", 5, CM_NEXT_PHYSICAL, 5, false},
        {"next physical from a popup stays", 1, CM_NEXT_PHYSICAL, 1, false},
        {"first page", 3, CM_FIRST_PAGE, 0, true},
        {"last page", 0, CM_LAST_PAGE, 5, true},
        {"table of contents", 5, CM_TOC, 3, true},
        {"index", 0, CM_INDEX_PAGE, 3, true},
        {"help: the first header that names a page decides", 0, CM_HELP_PAGE, 5, true},
    };
    for (const Case& c : cases) {
        const std::optional<CommandTarget> t = navigation_command_target(doc, c.current, c.command);
        ASSERT_TRUE(t.has_value()) << c.name;
        EXPECT_EQ(t->target, c.target) << c.name;
        EXPECT_EQ(t->push, c.push) << c.name;
    }
    EXPECT_FALSE(navigation_command_target(doc, 0, CM_BACK)) << "not a page command";
    EXPECT_FALSE(navigation_command_target(doc, 0, CM_OPEN));

    HypDocument bare;
    IndexEntry only;
    only.name = "index";  // not exactly "Index"
    bare.index.push_back(std::move(only));
    EXPECT_FALSE(navigation_command_target(bare, 0, CM_INDEX_PAGE)) << "no index page";
    EXPECT_FALSE(navigation_command_target(bare, 0, CM_HELP_PAGE)) << "no help header";
    EXPECT_EQ(navigation_command_target(HypDocument{}, 0, CM_NEXT_LOGICAL)->target, 0)
        << "empty index";
}

// --- show_entry -----------------------------------------------------------------------------

TEST_F(NavigationTest, ShowEntrySetsTitleRangesAndPushes) {
    view.top_line = 3;
    view.left_column = 2;
    view.selected_link = 4;
    go(A_DREI, 25);
    EXPECT_EQ(view.current_page, A_DREI);
    EXPECT_EQ(host.titles.back(), "Vellumar - Dr\xFC");
    EXPECT_EQ(host.layouts, 1) << "Drei was not laid out yet";
    const int32_t lines_of_drei = doc.index[A_DREI].line_count;
    EXPECT_GE(lines_of_drei, 40);
    EXPECT_EQ(view.top_line, 25) << "not clamped to the range";
    EXPECT_EQ(view.left_column, 0);
    EXPECT_EQ(view.selected_link, 0);
    EXPECT_EQ(view.max_top_line, lines_of_drei + 1 - 400 / 20);
    EXPECT_EQ(view.document_width, (60 + 2) * 8) << "@width 60";
    EXPECT_EQ(view.max_left_column, 0) << "the page fits 640 pixels";
    EXPECT_EQ(host.shows, 1);
    EXPECT_EQ(host.shown.current_page, A_DREI);
    EXPECT_GE(host.buttons, 1);

    ASSERT_EQ(history.depth(), 1u);
    const HistoryEntry& e = history.back(1);
    EXPECT_EQ(e.page, A_MAIN);
    EXPECT_EQ(e.top_line, 3);
    EXPECT_EQ(e.left_column, 2);
    EXPECT_EQ(e.selected_link, 4);
    EXPECT_EQ(e.path, a_path);
    EXPECT_EQ(e.node_name, "Main");

    host.view_metrics.client_width = 300;
    go(A_MAIN);
    EXPECT_EQ(host.layouts, 1) << "Main was laid out at the start";
    EXPECT_EQ(view.max_left_column, (62 * 8 - 300) / 8);
}

// The caption is set once per page change: to the page's own title when it has one (its
// layout found it), else to its name; the paint never sets it.
TEST_F(NavigationTest, CaptionIsSetOnceToThePagesOwnTitle) {
    fixture::HypBuilder t;
    fixture::PageBuilder narrow, wide;
    narrow.title("Erste \x84").line("eins");
    wide.title("Winkel \xE0").line("zwei");
    t.node("Eins", narrow.bytes());
    t.node("Zwei", wide.bytes());
    t.node("Drei", lines(2, "drei"));
    ASSERT_TRUE(t.write(dir + "t.hyp"));
    close_hypertext(doc);
    open(dir + "t.hyp");
    struct Case {
        int32_t page;
        std::string narrow;    // "" when the caption is set wide
        std::u16string wide;   // u"" when it is set narrow
        bool title_from_page;  // the paint must not set it again
    };
    const Case cases[] = {
        {1, "", u"Vellumar - Winkel \u03B1", true},
        {0, "Vellumar - Erste \xE4", u"", true},  // the Atari umlaut converted
        {2, "Vellumar - Drei", u"", false},
    };
    for (const Case& c : cases) {
        host.titles.clear();
        host.wide_titles.clear();
        go(c.page);
        EXPECT_EQ(host.titles.size() + host.wide_titles.size(), 1u) << c.page;
        EXPECT_EQ(host.titles.empty() ? "" : host.titles.back(), c.narrow) << c.page;
        EXPECT_EQ(host.wide_titles.empty() ? u"" : host.wide_titles.back(), c.wide) << c.page;
        EXPECT_EQ(doc.index[c.page].title.has_value(), c.title_from_page) << c.page;
    }
}

// Each hypertext opened brings its own screen table: its names reach the caption in the
// Windows set from the set it was written in.
TEST_F(NavigationTest, EachOpenedHypertextSetsTheViewsTable) {
    struct Case {
        const char* name;
        uint8_t os;           // the header's system byte: 0 Atari, 3 Macintosh
        const char* node;     // a name with the set's "ä" (Atari 0x84, Macintosh 0x8A)
        unsigned conversion;  // source set * 4 + ANSI
        std::string caption;
    };
    const Case cases[] = {
        {"Macintosh", 3, "M\x8Arz", 4, "Vellumar - M\xE4rz"},
        {"Atari after it", 0, "M\x84rz", 0, "Vellumar - M\xE4rz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::HypBuilder b;
        b.os(c.os);
        b.node(c.node, lines(2, "text"));
        const std::string path = dir + "set" + std::to_string(c.os) + ".hyp";
        ASSERT_TRUE(b.write(path));
        host.titles.clear();
        ASSERT_TRUE(nav.open_and_show(LoadSource::Dropped, path, std::nullopt, {}));
        EXPECT_EQ(view.conversion, c.conversion);
        ASSERT_FALSE(host.titles.empty());
        EXPECT_EQ(host.titles.back(), c.caption);
    }
}

TEST_F(NavigationTest, ShowEntryClampsAndKeepsTheSamePlace) {
    struct Case {
        const char* name;
        int32_t target;
        int32_t expected;
    };
    const Case cases[] = {
        {"past the last node", 999, A_LAST},
        {"the popup after the last node", A_TRAILING_POPUP, A_LAST},
        {"negative", -4, A_MAIN},
    };
    for (const Case& c : cases) {
        go(A_ZWEI);
        go(c.target);
        EXPECT_EQ(view.current_page, c.expected) << c.name;
    }
    const std::size_t depth = history.depth();
    const int shows = host.shows, buttons = host.buttons;
    const std::size_t titles = host.titles.size();
    go(view.current_page, view.top_line);
    EXPECT_EQ(history.depth(), depth) << "same place: nothing pushed";
    EXPECT_EQ(host.shows, shows) << "same place: nothing repainted";
    EXPECT_EQ(host.titles.size(), titles);
    EXPECT_EQ(host.buttons, buttons + 1) << "only the button states";
}

TEST_F(NavigationTest, BrowsingCommandsDoNotPush) {
    ASSERT_TRUE(nav.command(CM_NEXT_LOGICAL));
    EXPECT_EQ(view.current_page, A_ZWEI);
    nav.command(CM_NEXT_LOGICAL);
    EXPECT_EQ(view.current_page, A_DREI);
    nav.command(CM_NEXT_PHYSICAL);
    EXPECT_EQ(view.current_page, A_INDEX);
    EXPECT_EQ(history.depth(), 0u) << "browsing pushes nothing";
    nav.back();
    EXPECT_EQ(view.current_page, A_INDEX) << "empty stack: Back does nothing";

    nav.command(CM_LAST_PAGE);  // pushes Index
    nav.command(CM_PREV_LOGICAL);
    nav.command(CM_PREV_PHYSICAL);
    EXPECT_EQ(view.current_page, A_ZWEI);
    ASSERT_EQ(history.depth(), 1u);
    nav.command(CM_BACK);
    EXPECT_EQ(view.current_page, A_INDEX) << "back to the last pushing navigation's place";
    EXPECT_EQ(history.depth(), 0u);

    const struct {
        unsigned command;
        int32_t target;
    } pushing[] = {{CM_FIRST_PAGE, A_MAIN},
                   {CM_LAST_PAGE, A_LAST},
                   {CM_TOC, A_MAIN},
                   {CM_INDEX_PAGE, A_INDEX},
                   {CM_HELP_PAGE, A_ZWEI}};
    for (const auto& p : pushing) {
        const std::size_t before = history.depth();
        nav.command(p.command);
        EXPECT_EQ(view.current_page, p.target) << p.command;
        EXPECT_EQ(history.depth(), before + 1) << p.command;
    }
}

TEST_F(NavigationTest, OneHundredAndOneNavigationsKeepOneHundred) {
    for (int i = 0; i < 101; ++i) go(i % 2 ? A_ZWEI : A_DREI);
    EXPECT_EQ(history.depth(), 100u);
    EXPECT_EQ(history.back(100).page, A_DREI) << "the first, from Main, was dropped";
}

// --- following links ------------------------------------------------------------------------

TEST_F(NavigationTest, LinkToANodeRecordsItsOrdinal) {
    put_links({{A_ZWEI, 0}, {A_DREI, 4}, {A_MAIN, 0}});
    view.selected_link = 1;
    follow(2);
    EXPECT_EQ(view.current_page, A_DREI);
    EXPECT_EQ(view.top_line, 4) << "the link's line";
    EXPECT_EQ(view.selected_link, 0);
    ASSERT_EQ(history.depth(), 1u);
    EXPECT_EQ(history.back(1).selected_link, 2) << "the followed link";

    // A link to the place shown changes only the keyboard selection.
    put_links({{A_ZWEI, 0}, {A_DREI, 4}});
    const int shows = host.shows;
    follow(2);
    EXPECT_EQ(view.selected_link, 2);
    EXPECT_EQ(history.depth(), 1u);
    EXPECT_EQ(host.shows, shows);
}

TEST_F(NavigationTest, LinkToAPopupOpensItAndChangesNothingElse) {
    put_links({{A_POPUP, 0}});
    view.top_line = 2;
    view.selected_link = 1;
    follow(1, ClientPoint{120, 48});
    ASSERT_EQ(host.popups.size(), 1u);
    EXPECT_EQ(host.popups[0].first, A_POPUP);
    EXPECT_EQ(host.popups[0].second.x, 120);
    EXPECT_EQ(host.popups[0].second.y, 48);
    EXPECT_EQ(view.current_page, A_MAIN);
    EXPECT_EQ(view.top_line, 2);
    EXPECT_EQ(view.selected_link, 1);
    EXPECT_EQ(history.depth(), 0u);
    EXPECT_EQ(host.shows, 0);
}

TEST_F(NavigationTest, UnsupportedTargetsShowTheirTypeAndRunNothing) {
    const std::string tail = "und kann leider noch nicht angezeigt werden!";
    const struct {
        const char* name;
        uint16_t target;
        std::string message;
    } cases[] = {
        {"system argument, name converted", A_SYSTEM,
         "Der angewählte Link hat den Typ:\nSYSTEM-Argument (@{... system ARG})\n"
         "und den Wert:\nsys \xFC\n" +
             tail},
        {"image without name", A_IMAGE, "Der angewählte Link hat den Typ:\nBild (@image)\n" + tail},
        {"REXX script", A_REXX_SCRIPT,
         "Der angewählte Link hat den Typ:\nREXX-Script (@{... rxs FILE})\nund den "
         "Wert:\nscript.rx\n" +
             tail},
        {"REXX command", A_REXX_CMD,
         "Der angewählte Link hat den Typ:\nREXX-Kommando (@{... rx ARG})\nund den "
         "Wert:\nADDRESS\n" +
             tail},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        put_links({{c.target, 0}});
        follow(1);
        ASSERT_EQ(host.messages.size(), 1u) << c.name;
        EXPECT_EQ(host.messages[0], c.message) << c.name;
        EXPECT_EQ(view.current_page, A_MAIN) << c.name;
        EXPECT_EQ(history.depth(), 0u) << c.name;
        EXPECT_EQ(host.quits, 0) << c.name;
    }
    EXPECT_EQ(link_type_text(doc, A_POPUP, 0),
              "Der angewählte Link hat den Typ:\nPopup-Node (@pnode)\nund den Wert:\nPop\n");
}

TEST_F(NavigationTest, QuitLinkSavesTheStateAtExit) {
    go(A_DREI, 7);
    const int saves = host.saves;
    put_links({{A_QUIT, 0}});
    follow(1);
    EXPECT_EQ(host.quits, 1);
    EXPECT_EQ(host.saves, saves + 1);
    EXPECT_EQ(settings.LastLoadIndex, A_DREI);
    EXPECT_EQ(settings.LastLoadZeile, 7u);
}

// --- external references --------------------------------------------------------------------

TEST_F(NavigationTest, ExternalReferencesResolve) {
    struct Case {
        const char* name;
        std::string text;
        bool found;
        std::string path;
        std::optional<std::string> node;
        std::string file_part;
    };
    const Case cases[] = {
        {"file/node beside the open file first", "b.hyp/Kapitel 2", true, b_path, "Kapitel 2",
         "b.hyp"},
        {"file\\node", "b.hyp\\Other", true, b_path, "Other", "b.hyp"},
        {"split at the first separator", "b.hyp/x/y", true, b_path, "x/y", "b.hyp"},
        {"file name in any case", "B.HYP/Start", true, b_path, "Start", "B.HYP"},
        {"file in the HypPath directory", "c.hyp", true, c_path, std::nullopt, "c.hyp"},
        {".hyp in any case", "C.Hyp", true, c_path, std::nullopt, "C.Hyp"},
        {"file without node", "c.hyp/", true, c_path, std::nullopt, "c.hyp"},
        {"plain node: the open file again", "Zwei", true, a_path, "Zwei", "a.hyp"},
        {"missing file keeps its case", "Missing.HYP/Node", false, "", std::nullopt, "Missing.HYP"},
        {"missing .hyp", "nothing.hyp", false, "", std::nullopt, "nothing.hyp"},
    };
    for (const Case& c : cases) {
        const ExternalReference r = resolve_external_reference(doc, c.text);
        EXPECT_EQ(r.found, c.found) << c.name;
        EXPECT_EQ(r.file_part, c.file_part) << c.name;
        if (!c.found) continue;
        EXPECT_EQ(r.path, c.path) << c.name;
        EXPECT_EQ(r.requested_name, c.node) << c.name;
    }
    EXPECT_EQ(not_found_message("Missing.HYP"),
              "Die Hypertextdatei\n\nMissing.HYP\n\nwurde nicht gefunden!");
}

TEST_F(NavigationTest, HypPathIsSearchedByItsDirectoryPart) {
    // Without the trailing separator the last component is lost.
    std::strcpy(settings.HypPath, hyp_dir.substr(0, hyp_dir.size() - 1).c_str());
    EXPECT_FALSE(resolve_external_reference(doc, "c.hyp").found);
    std::strcpy(settings.HypPath, hyp_dir.c_str());
    EXPECT_TRUE(resolve_external_reference(doc, "c.hyp").found);
}

TEST_F(NavigationTest, ExternalLinkIntoAnotherFileAndBackAgain) {
    go(A_DREI, 5);
    view.left_column = 3;
    put_links({{A_ZWEI, 0}, {A_EXT_NODE, 0}});
    const std::size_t depth = history.depth();
    follow(2);
    EXPECT_EQ(doc.path, b_path);
    EXPECT_EQ(view.current_page, 1) << "Kapitel 2 of the b.hyp beside a.hyp";
    EXPECT_EQ(host.titles.back(), "Vellumar - Kapitel 2");
    EXPECT_STREQ(settings.LastLoadPath, b_path.c_str());
    EXPECT_FALSE(host.wait_cursor);
    ASSERT_EQ(history.depth(), depth + 1);
    const HistoryEntry& e = history.back(1);
    EXPECT_EQ(e.path, a_path);
    EXPECT_EQ(e.page, A_DREI);
    EXPECT_EQ(e.node_name, "Dr\x81");
    EXPECT_EQ(e.top_line, 5);
    EXPECT_EQ(e.left_column, 3);
    EXPECT_EQ(e.selected_link, 2);

    view.top_line = 9;
    nav.command(CM_BACK);
    EXPECT_EQ(doc.path, a_path);
    EXPECT_EQ(view.current_page, A_DREI);
    EXPECT_EQ(view.top_line, 5);
    EXPECT_EQ(view.left_column, 3);
    EXPECT_EQ(view.selected_link, 2) << "the recorded selection comes back";
    EXPECT_EQ(host.titles.back(), "Vellumar - Dr\xFC");
    EXPECT_EQ(history.depth(), depth) << "restoring pushes nothing";
    EXPECT_STREQ(settings.LastLoadPath, a_path.c_str());
}

TEST_F(NavigationTest, ExternalReferencesToFilesAndNodes) {
    put_links({{A_EXT_FILE, 0}});
    follow(1);
    EXPECT_EQ(doc.path, c_path);
    EXPECT_EQ(view.current_page, 0);
    EXPECT_EQ(history.depth(), 1u);

    nav.back();
    ASSERT_EQ(doc.path, a_path);
    put_links({{A_EXT_LOCAL, 0}});
    const int saves = host.saves;
    follow(1);
    EXPECT_EQ(doc.path, a_path) << "the open file loaded again";
    EXPECT_EQ(view.current_page, A_ZWEI);
    EXPECT_EQ(host.saves, saves + 1) << "a successful load writes OptionsDiv";

    put_links({{A_EXT_MISSING, 0}});
    const std::size_t depth = history.depth();
    follow(1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Die Hypertextdatei\n\nMissing.HYP\n\nwurde nicht gefunden!");
    EXPECT_EQ(view.current_page, A_ZWEI);
    EXPECT_EQ(history.depth(), depth);
}

TEST_F(NavigationTest, RequestedNodeMissingShowsTheFilesStart) {
    const struct {
        const char* name;
        std::optional<std::string> node;
        int32_t expected;
    } cases[] = {
        {"node found ignoring case", "kapitel 2", 1},
        {"node missing: first entry, not the page number shown before", "Nirgends", 0},
    };
    for (const auto& c : cases) {
        open(a_path);
        go(A_DREI);
        ASSERT_TRUE(nav.open_and_show(LoadSource::Navigation, b_path, c.node, {})) << c.name;
        EXPECT_EQ(view.current_page, c.expected) << c.name;
        EXPECT_EQ(view.top_line, 0) << c.name;
    }
}

// --- loading --------------------------------------------------------------------------------

TEST_F(NavigationTest, FailedLoadLeavesEverythingAsItWas) {
    const std::string text_file = dir + "text.hyp";
    ASSERT_TRUE(fixture::write_file(text_file, fixture::bytes_of("just some text")));
    go(A_DREI, 4);
    const ViewState before = view;
    const std::size_t depth = history.depth();
    const std::size_t entries = doc.index.size();
    const int shows = host.shows;
    std::strcpy(settings.LastLoadPath, "unchanged");
    EXPECT_FALSE(nav.open_and_show(LoadSource::Dropped, text_file, std::nullopt, {}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Keine HYP-Datei:\n\n" + text_file);
    EXPECT_EQ(host.repaints, 1);
    EXPECT_FALSE(host.wait_cursor);
    EXPECT_EQ(doc.path, a_path);
    EXPECT_EQ(doc.line_width, 60);
    EXPECT_EQ(doc.index.size(), entries);
    EXPECT_EQ(view.current_page, before.current_page);
    EXPECT_EQ(view.top_line, before.top_line);
    EXPECT_EQ(history.depth(), depth);
    EXPECT_EQ(host.shows, shows);
    EXPECT_STREQ(settings.LastLoadPath, "unchanged");

    EXPECT_FALSE(nav.open_and_show(LoadSource::Dropped, dir + "absent.hyp", std::nullopt, {}));
    EXPECT_EQ(host.messages.back(),
              "HYP-Datei konnte nicht geöffnet werden:\n\n" + dir + "absent.hyp");
}

TEST_F(NavigationTest, FileDialogAndDroppedFilesShowTheFirstEntry) {
    go(A_DREI);
    host.dialog_answer.reset();
    EXPECT_FALSE(nav.open_and_show(LoadSource::Dialog, std::nullopt, std::nullopt, {}));
    EXPECT_EQ(host.dialogs, 1);
    EXPECT_EQ(host.dialog_directory, dir);
    EXPECT_EQ(host.dialog_file, "a.hyp");
    EXPECT_EQ(doc.path, a_path) << "cancelled: nothing happens";

    host.dialog_answer = b_path;
    NavigationRequest request;
    request.target = 2;  // ignored: the dialog shows entry 0
    EXPECT_TRUE(nav.open_and_show(LoadSource::Dialog, std::nullopt, std::nullopt, request));
    EXPECT_EQ(doc.path, b_path);
    EXPECT_EQ(view.current_page, 0);
    EXPECT_EQ(history.back(1).page, A_DREI);
    EXPECT_EQ(history.back(1).path, a_path);

    go(2);
    EXPECT_TRUE(nav.open_and_show(LoadSource::Dropped, a_path, std::nullopt, {}));
    EXPECT_EQ(doc.path, a_path);
    EXPECT_EQ(view.current_page, 0) << "the same page number in another file still pushes";
    EXPECT_EQ(history.back(1).path, b_path);
}

TEST_F(NavigationTest, TheWindowIsToldOfAFileBeforeItIsRead) {
    const struct {
        const char* name;
        LoadSource source;
        std::string path;  // "" through the dialog, which answers b_path
        bool opens;
    } cases[] = {
        {"dropped", LoadSource::Dropped, b_path, true},
        {"through the dialog", LoadSource::Dialog, "", true},
        {"dropped, not a hypertext", LoadSource::Dropped, dir + "absent.hyp", false},
    };
    for (const auto& c : cases) {
        open(a_path);
        host.openings.clear();
        host.dialog_answer = b_path;
        const std::optional<std::string> path =
            c.path.empty() ? std::nullopt : std::optional<std::string>(c.path);
        EXPECT_EQ(nav.open_and_show(c.source, path, std::nullopt, {}), c.opens) << c.name;
        ASSERT_EQ(host.openings.size(), 1u) << c.name;
        EXPECT_EQ(host.openings[0].first, c.path.empty() ? b_path : c.path) << c.name;
        EXPECT_EQ(host.openings[0].second, a_path) << c.name << ": told after the reading";
    }
}

// --- the back stack -------------------------------------------------------------------------

TEST_F(NavigationTest, HistoryMenuStepsBackSeveralPlaces) {
    go(A_ZWEI);
    go(A_DREI);
    go(A_LAST);
    go(A_INDEX);
    ASSERT_EQ(history.depth(), 4u);
    const PopupMenuModel menu = nav.history_menu_model();
    ASSERT_EQ(menu.items.size(), 4u);
    EXPECT_EQ(menu.items[0].text, "a.hyp\tLast");
    EXPECT_EQ(menu.items[1].text, "a.hyp\tDr\xFC");
    ASSERT_TRUE(nav.command(menu.items[2].id));  // 3053: three places back
    EXPECT_EQ(view.current_page, A_ZWEI);
    EXPECT_EQ(history.depth(), 1u);

    nav.command(CM_HISTORY_FIRST + 5);  // more than held: nothing
    EXPECT_EQ(view.current_page, A_ZWEI);
    EXPECT_EQ(history.depth(), 1u);

    // A place equal to the shown one is popped and changes nothing else.
    go(A_MAIN);
    go(A_MAIN, 0);
    history.push(HistoryEntry{A_MAIN, 0, 0, a_path, "Main", 0});
    const int shows = host.shows;
    nav.back();
    EXPECT_EQ(host.shows, shows);
    EXPECT_EQ(history.depth(), 2u);

    nav.command(CM_CLEAR_STACK);
    EXPECT_EQ(history.depth(), 0u);
}

// --- bookmarks ------------------------------------------------------------------------------

TEST_F(NavigationTest, BookmarksSetGoAndDelete) {
    go(A_DREI, 12);
    view.left_column = 4;
    int saves = host.saves;
    ASSERT_TRUE(nav.command(CM_SET_MARK + 1));  // Shift+F3
    EXPECT_EQ(host.saves, ++saves);
    ASSERT_TRUE(bookmark_in_use(settings.Marken[1]));
    const BookmarkPlace place = bookmark_place(settings.Marken[1]);
    EXPECT_EQ(place.page, A_DREI);
    EXPECT_EQ(place.top_line, 12);
    EXPECT_EQ(place.left_column, 4);
    EXPECT_EQ(place.path, a_path);
    EXPECT_EQ(place.node_name, "Dr\x81");

    go(A_MAIN);
    std::size_t depth = history.depth();
    nav.command(CM_GOTO_MARK + 1);  // F3
    EXPECT_EQ(view.current_page, A_DREI);
    EXPECT_EQ(view.top_line, 12);
    EXPECT_EQ(view.left_column, 4);
    EXPECT_EQ(history.depth(), ++depth) << "going to a bookmark pushes";

    const int shows = host.shows;
    nav.command(CM_GOTO_MARK + 1);
    EXPECT_EQ(history.depth(), depth) << "already there: nothing pushed";
    EXPECT_EQ(host.shows, shows);

    nav.command(CM_GOTO_MARK + 5);  // never set
    EXPECT_EQ(view.current_page, A_DREI);

    host.ctrl = true;  // Ctrl while choosing deletes
    nav.command(CM_GOTO_MARK + 1);
    EXPECT_FALSE(bookmark_in_use(settings.Marken[1]));
    EXPECT_EQ(host.saves, ++saves);
    host.ctrl = false;

    nav.command(CM_SET_MARK + 10);
    EXPECT_TRUE(bookmark_in_use(settings.Marken[10]));
    nav.command(CM_DELETE_MARK + 10);  // Ctrl+Shift+F12
    EXPECT_FALSE(bookmark_in_use(settings.Marken[10]));
    EXPECT_EQ(host.saves, saves + 2);
    EXPECT_FALSE(some_bookmark_set(settings.Marken));
}

TEST_F(NavigationTest, BookmarkInAnotherFileLoadsIt) {
    open(b_path);
    go(1, 30);
    nav.set_mark(0);
    open(a_path);
    history.clear();
    nav.goto_mark(0);
    EXPECT_EQ(doc.path, b_path);
    EXPECT_EQ(view.current_page, 1);
    EXPECT_EQ(view.top_line, 30);
    ASSERT_EQ(history.depth(), 1u);
    EXPECT_EQ(history.back(1).path, a_path);
    const PopupMenuModel menu = nav.marks_menu_model();
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(menu.items[0].text, "b.hyp / Kapitel 2\tF2");
    EXPECT_EQ(menu.items[0].id, CM_GOTO_MARK);
}

// --- "Siehe auch" -----------------------------------------------------------------------------

TEST_F(NavigationTest, SeeAlsoMenuActsByTargetType) {
    go(A_ZWEI);
    const PopupMenuModel menu = nav.xref_menu_model();
    EXPECT_EQ(menu.title, "Siehe auch:");
    const struct {
        uint16_t id;
        const char* text;
    } items[] = {{3001,
                  "Zur\xFC"
                  "ck"},
                 {3002, "Pop"},
                 {3003, "c.hyp"},
                 {3004, "sys \xFC"}};
    ASSERT_EQ(menu.items.size(), std::size(items));
    for (std::size_t k = 0; k < std::size(items); ++k) {
        EXPECT_EQ(menu.items[k].id, items[k].id) << k;
        EXPECT_EQ(menu.items[k].text, items[k].text) << k;
    }

    nav.command(3002);  // a popup: nothing
    EXPECT_TRUE(host.popups.empty());
    EXPECT_EQ(view.current_page, A_ZWEI);
    nav.command(3004);  // system: the message, nothing run
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("SYSTEM-Argument"), std::string::npos);

    const std::size_t depth = history.depth();
    nav.command(3001);
    EXPECT_EQ(view.current_page, A_MAIN);
    EXPECT_EQ(view.top_line, 0);
    EXPECT_EQ(history.depth(), depth + 1);

    go(A_ZWEI);
    view.selected_link = 3;
    nav.command(3003);  // external: loaded as for a link, selection untouched before the push
    EXPECT_EQ(doc.path, c_path);
    EXPECT_EQ(history.back(1).selected_link, 3);

    nav.command(3010);  // beyond the page's list
    EXPECT_EQ(doc.path, c_path);
}

TEST(XrefMenu, AtMostFiftyAndNamesForUntitled) {
    HypDocument doc;
    IndexEntry target;
    target.name = "Ziel\x81";
    doc.index.push_back(std::move(target));
    IndexEntry page;
    for (int k = 0; k < 60; ++k) {
        XrefEntry xref;
        xref.target = k == 1 ? 77 : 0;  // one outside the index
        if (k % 2 == 0) xref.title = "T" + std::to_string(k);
        page.xrefs.push_back(xref);
    }
    const PopupMenuModel menu = xref_menu(doc, page, 0);
    ASSERT_EQ(menu.items.size(), 50u) << "the ids stop below the history range";
    EXPECT_EQ(menu.items.front().id, CM_XREF_FIRST);
    EXPECT_EQ(menu.items.back().id, CM_XREF_LAST);
    EXPECT_EQ(menu.items[0].text, "T0");
    EXPECT_EQ(menu.items[1].text, "") << "target outside the index";
    EXPECT_EQ(menu.items[3].text, "Ziel\xFC");
    EXPECT_EQ(xref_menu_target(page, CM_XREF_FIRST + 3), 0);
    EXPECT_FALSE(xref_menu_target(page, CM_XREF_LAST + 1));
    EXPECT_FALSE(xref_menu_target(IndexEntry{}, CM_XREF_FIRST));
}

TEST_F(NavigationTest, CommandsOfOtherModulesAreLeftAlone) {
    for (unsigned id : {101u, 203u, 107u, 108u, 310u, 1012u, 2013u, 3100u}) {
        EXPECT_FALSE(nav.command(id)) << id;
    }
    EXPECT_EQ(host.shows, 0);
}

}  // namespace

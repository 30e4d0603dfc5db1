// Drawing walks on the recording device: pen, link areas, colours, titles, visible range, print.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hyp/charset.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::DrawnText;
using fixture::LinkKind;
using fixture::PageBuilder;
using walktest::add_entry;
using walktest::add_image;
using walktest::Screen;

constexpr int32_t kCell = 8;   // cell_width of the model metrics
constexpr int32_t kLine = 20;  // line_height of the model metrics

constexpr uint16_t kTarget = 1;     // node "Target"
constexpr uint16_t kPopup = 2;      // popup "Pop"
constexpr uint16_t kExternal = 3;   // external "ext.hyp"
constexpr uint16_t kTallImage = 4;  // 16 x 40 pixels: 2 lines
constexpr uint16_t kNameless = 5;   // node without a name
constexpr uint16_t kOther = 6;      // node "Other"

void build_document(HypDocument& doc, const PageBuilder& page) {
    add_entry(doc, ENTRY_NODE, "Main", page.bytes());
    add_entry(doc, ENTRY_NODE, "Target", fixture::text_page({"target"}));
    add_entry(doc, ENTRY_PNODE, "Pop", fixture::text_page({"pop"}));
    add_entry(doc, ENTRY_EXTERNAL, "ext.hyp");
    add_image(doc, 16, 40);
    add_entry(doc, ENTRY_NODE, std::nullopt, fixture::text_page({"x"}));
    add_entry(doc, ENTRY_NODE, "Other", fixture::text_page({"other", "page"}));
}

// Width of a text in the model's default text font (Arial-like, 16 px).
int32_t width_of(const std::string& text, bool bold = false) {
    LogFontRecord font = fixture::default_text_font();
    if (bold) font.lfWeight = 700;
    int32_t width = 0;
    for (char c : text) width += fixture::model_char_width(font, static_cast<unsigned char>(c));
    return width;
}

class PageWalkScreenTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        walktest::reset_walk_state();
    }

    // Lays the page out, then walks it on the screen.
    WalkResult show(Screen& screen, HypDocument& doc, PageWalkArgs args) {
        if (doc.index[args.page].line_count < 0) {
            interpret_page(walktest::layout_args(doc, args.page, args.metrics));
        }
        return interpret_page(args);
    }
};

struct Area {
    int32_t x;
    int32_t width;
    int16_t line;
    uint16_t target;
    uint16_t target_line;
    std::vector<int32_t> images_above;
};

TEST_F(PageWalkScreenTest, LinkAreas) {
    struct Case {
        const char* name;
        std::function<void(PageBuilder&)> page;
        int32_t origin_column;
        std::vector<Area> areas;
    };
    const int32_t ext_width = width_of("ext.hyp");
    const Case cases[] = {
        {"links on three lines",
         [](PageBuilder& p) {
             p.text("ab").link(LinkKind::Link, kTarget, "cd").line(" x");
             p.link(LinkKind::LinkLine, kPopup, "Pp", 7).end_line();
             p.link(LinkKind::Alink, kExternal, "").end_line();
         },
         0,
         {{kCell + width_of("ab"), width_of("cd"), 0, kTarget, 0, {}},
          {kCell, width_of("Pp"), 1, kPopup, 7, {}},
          {kCell, ext_width, 2, kExternal, 0, {}}}},
        {"x is measured without horizontal scrolling",
         [](PageBuilder& p) { p.text("ab").link(LinkKind::Link, kTarget, "cd").end_line(); },
         -2,
         {{kCell + width_of("ab"), width_of("cd"), 0, kTarget, 0, {}}}},
        {"a link below a line-reserving picture",
         [](PageBuilder& p) {
             p.picture(kTallImage, 0, 0, true);
             p.line("first");
             p.link(LinkKind::AlinkLine, kOther, "o", 3).end_line();
         },
         0,
         {{kCell, width_of("o"), 3, kOther, 3, {40}}}},
        {"blank link texts move by cells and take that width",
         [](PageBuilder& p) {
             p.text("a").link(LinkKind::Link, kTarget, "   ").link(LinkKind::Link, kNameless, "");
             p.link(LinkKind::Link, kTarget, "z").end_line();
         },
         0,
         {{kCell + width_of("a"), 3 * kCell, 0, kTarget, 0, {}},
          {kCell + width_of("a") + 3 * kCell, 0, 0, kNameless, 0, {}},
          {kCell + width_of("a") + 3 * kCell, width_of("z"), 0, kTarget, 0, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HypDocument doc;
        if (!walktest::build_case(doc, c.page, build_document)) continue;
        Screen screen;
        PageWalkArgs args = screen.args(doc, 0);
        args.origin_column = c.origin_column;
        EXPECT_TRUE(show(screen, doc, args).walked);

        const IndexEntry& entry = doc.index[0];
        ASSERT_EQ(entry.links.size(), c.areas.size());
        for (size_t i = 0; i < c.areas.size(); ++i) {
            SCOPED_TRACE("link " + std::to_string(i + 1));
            const LinkArea& got = entry.links[i];
            EXPECT_EQ(got.x, c.areas[i].x);
            EXPECT_EQ(got.width, c.areas[i].width);
            EXPECT_EQ(got.line, c.areas[i].line);
            EXPECT_EQ(got.target, c.areas[i].target);
            EXPECT_EQ(got.target_line, c.areas[i].target_line);
            EXPECT_EQ(got.images_above, c.areas[i].images_above);
        }
        EXPECT_EQ(screen.dc.bad_deletes, 0);
        EXPECT_EQ(screen.dc.bad_selects, 0);
        EXPECT_EQ(screen.dc.leaked_fonts(), 0);
    }
}

TEST_F(PageWalkScreenTest, BlankLinkTextsDrawNothing) {
    PageBuilder page;
    page.link(LinkKind::Link, kTarget, "    ").link(LinkKind::Link, kNameless, "").line("x");
    HypDocument doc;
    build_document(doc, page);
    Screen screen;
    show(screen, doc, screen.args(doc, 0));
    const std::vector<DrawnText> runs = screen.dc.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "x");
    EXPECT_EQ(runs[0].x, kCell + 4 * kCell);
}

TEST_F(PageWalkScreenTest, LinkInGhostedTextAndTheTextAfterIt) {
    PageBuilder page;
    page.attributes(ATTR_GHOSTED).text("ab").link(LinkKind::Link, kPopup, "cd").text("ef");
    page.link(LinkKind::Link, kExternal, "gh").attributes(ATTR_GHOSTED | ATTR_BOLD).line("ij");
    HypDocument doc;
    build_document(doc, page);
    Screen screen;
    show(screen, doc, screen.args(doc, 0));

    struct Expect {
        const char* text;
        Colour colour;
        bool underline;
        int32_t weight;
    };
    const Expect expected[] = {
        {"ab", settings.GTXTCOLOR(), false, 400},
        {"cd", settings.REFCOLOR_POPUP_NODE(), true, 400},
        // After a link the text goes on in TXTCOLOR until the next attribute code.
        {"ef", settings.TXTCOLOR(), false, 400},
        {"gh", settings.REFCOLOR_EXTERNE_REFERENZ(), true, 400},
        {"ij", settings.GTXTCOLOR(), false, 700},
    };
    const std::vector<DrawnText> runs = screen.dc.runs();
    ASSERT_EQ(runs.size(), std::size(expected));
    int32_t x = kCell;
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(runs[i].text, expected[i].text);
        EXPECT_EQ(runs[i].colour, expected[i].colour);
        EXPECT_EQ(runs[i].font.lfUnderline, expected[i].underline ? 1 : 0);
        EXPECT_EQ(runs[i].font.lfWeight, expected[i].weight);
        EXPECT_EQ(runs[i].x, x);
        x += width_of(expected[i].text, expected[i].weight == 700);
    }
    EXPECT_EQ(screen.dc.leaked_fonts(), 0);
    EXPECT_EQ(screen.dc.bad_deletes, 0);
}

TEST_F(PageWalkScreenTest, ExpandedBlankRunsReturnToTheColumnGrid) {
    struct Case {
        const char* name;
        uint32_t expmultispace;
        uint8_t attributes;
        const char* line;
        // (text, x) of every run drawn, in order.
        std::vector<std::pair<std::string, int32_t>> runs;
    };
    const int32_t blank = width_of(" ");
    const int32_t m = width_of("m");
    const Case cases[] = {
        {"off: blanks are measured in the font", 0, 0, "a  b", {{"a  b", kCell}}},
        {"on: the character after two blanks lands in column 3",
         1,
         0,
         "a  b",
         {{"a", kCell}, {"b", kCell + 3 * kCell}}},
        {"a single blank stays in the run", 1, 0, "a b", {{"a b", kCell}}},
        {"wide letters before the gap push the pen past the grid",
         1,
         0,
         "mmmmm  x",
         {{"mmmmm", kCell}, {"x", kCell + 5 * m}}},
        {"underlined gaps are drawn with blanks",
         1,
         ATTR_UNDERLINE,
         "a  b",
         {{"a", kCell},
          {" ", kCell + width_of("a")},
          {" ", kCell + width_of("a") + blank},
          {" ", kCell + width_of("a") + 2 * blank},
          {" ", kCell + width_of("a") + 3 * blank},
          {"b", kCell + 3 * kCell}}},
        {"two gaps",
         1,
         0,
         "a  b   c",
         {{"a", kCell}, {"b", kCell + 3 * kCell}, {"c", kCell + 7 * kCell}}},
        {"trailing blanks move the pen only", 1, 0, "ab  ", {{"ab", kCell}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        walktest::reset_walk_state();
        settings.expmultispace = c.expmultispace;
        PageBuilder page;
        if (c.attributes) page.attributes(c.attributes);
        page.line(c.line);
        HypDocument doc;
        build_document(doc, page);
        Screen screen;
        show(screen, doc, screen.args(doc, 0));
        std::vector<std::pair<std::string, int32_t>> runs;
        for (const DrawnText& run : screen.dc.runs()) runs.push_back({run.text, run.x});
        EXPECT_EQ(runs, c.runs);
    }
}

TEST_F(PageWalkScreenTest, OnlyVisibleLinesAreDrawnButAllAreMeasured) {
    PageBuilder page;
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        page.text("line" + n + " ").link(LinkKind::Link, kTarget, "link" + n).end_line();
    }
    HypDocument doc;
    build_document(doc, page);
    Screen screen;
    show(screen, doc, screen.args(doc, 0, 1, 2));

    std::vector<std::string> drawn;
    for (const DrawnText& run : screen.dc.runs()) drawn.push_back(run.text);
    EXPECT_EQ(drawn, (std::vector<std::string>{"line1 ", "link1", "line2 ", "link2"}));
    const IndexEntry& entry = doc.index[0];
    ASSERT_EQ(entry.links.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entry.links[i].line, i);
        EXPECT_EQ(entry.links[i].x, kCell + width_of("line0 "));
        EXPECT_EQ(entry.links[i].width, width_of("link0"));
    }
    // Measured lines are measured in the text font, not the link font.
    EXPECT_EQ(screen.dc.leaked_fonts(), 0);
}

TEST_F(PageWalkScreenTest, SelectedLinkIsInverted) {
    struct Case {
        const char* name;
        uint16_t selected;
        int32_t first;
        int32_t last;
        int32_t origin_column;
        int32_t origin_line;
        std::vector<DeviceRect> inversions;
    };
    const int32_t x2 = kCell + width_of("ab");
    const int32_t w2 = width_of("second");
    const Case cases[] = {
        {"none selected", 0, 0, 10, 0, 0, {}},
        {"second link", 2, 0, 10, 0, 0, {{x2, kLine, x2 + w2, 2 * kLine}}},
        {"scrolled", 2, 1, 10, -1, -1, {{x2 - kCell, 0, x2 - kCell + w2, kLine}}},
        {"line outside the visible range", 2, 2, 10, 0, 0, {}},
        {"ordinal beyond the links", 3, 0, 10, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        walktest::reset_walk_state();
        PageBuilder page;
        page.link(LinkKind::Link, kTarget, "first").end_line();
        page.text("ab").link(LinkKind::Link, kOther, "second").end_line();
        HypDocument doc;
        build_document(doc, page);
        Screen screen;
        PageWalkArgs args = screen.args(doc, 0, c.first, c.last);
        args.selected_link = c.selected;
        args.origin_column = c.origin_column;
        args.origin_line = c.origin_line;
        show(screen, doc, args);
        ASSERT_EQ(screen.dc.inversions.size(), c.inversions.size());
        for (size_t i = 0; i < c.inversions.size(); ++i) {
            EXPECT_EQ(screen.dc.inversions[i].left, c.inversions[i].left);
            EXPECT_EQ(screen.dc.inversions[i].top, c.inversions[i].top);
            EXPECT_EQ(screen.dc.inversions[i].right, c.inversions[i].right);
            EXPECT_EQ(screen.dc.inversions[i].bottom, c.inversions[i].bottom);
        }
    }
}

// Every walk reports the page's first title as stored; none sets a caption (the navigation
// does, once per page change).
TEST_F(PageWalkScreenTest, TheWalkReportsTheFirstTitleAndSetsNoCaption) {
    PageBuilder page;
    page.title("First \x84").line("text").title("Second");
    HypDocument doc;
    build_document(doc, page);

    Screen screen, popup;
    const struct {
        const char* name;
        Screen& screen;
        PageWalkArgs args;
    } cases[] = {
        {"main window", screen, screen.args(doc, 0)},
        {"popup", popup, popup.args(doc, 0, 0, 10, WindowRole::Popup)},
        {"printer", screen, screen.printed(doc, 0, -1, {1, 0, 50})},
    };
    for (const auto& c : cases) {
        const WalkResult result = interpret_page(c.args);
        ASSERT_TRUE(result.title.has_value()) << c.name;
        EXPECT_EQ(*result.title, "First \x84") << c.name;
        EXPECT_TRUE(c.screen.dc.titles.empty()) << c.name;
    }
    PageBuilder untitled;
    untitled.line("text");
    HypDocument plain;
    build_document(plain, untitled);
    Screen other;
    EXPECT_FALSE(interpret_page(other.args(plain, 0)).title.has_value());
}

TEST_F(PageWalkScreenTest, OutlinedTextInAPopupIsFilledWithThePopupColour) {
    PageBuilder page;
    page.attributes(ATTR_OUTLINE).line("o");
    HypDocument doc;
    build_document(doc, page);
    Screen main;
    show(main, doc, main.args(doc, 0));
    Screen popup;
    interpret_page(popup.args(doc, 0, 0, 10, WindowRole::Popup));
    ASSERT_FALSE(main.dc.runs().empty());
    ASSERT_FALSE(popup.dc.runs().empty());
    EXPECT_EQ(main.dc.runs().back().colour, settings.BCKCOLOR());
    EXPECT_EQ(popup.dc.runs().back().colour, settings.POPCOLOR());
}

TEST_F(PageWalkScreenTest, PrintedPagesBreakAfterLinesPerPage) {
    struct Case {
        const char* name;
        int lines;
        int32_t print_page;
        int result;
        std::vector<std::string> drawn;
        int pages_ended;  // by the walk; the caller ends the last
    };
    const Case cases[] = {
        {"print: five lines on pages of two", 5, -1, 1, {"L0", "L1", "L2", "L3", "L4"}, 2},
        {"print: a page that fills its printed pages leaves no empty sheet",
         4,
         -1,
         1,
         {"L0", "L1", "L2", "L3"},
         1},
        {"preview 1 of 3", 5, 1, 1, {"L0", "L1"}, 0},
        {"preview 2 of 3", 5, 2, 1, {"L2", "L3"}, 0},
        {"preview 3 of 3", 5, 3, 0, {"L4"}, 0},
        {"preview beyond the pages", 5, 4, 0, {}, 0},
        {"preview of a page shorter than a printed page", 1, 1, 0, {"L0"}, 0},
        {"preview of a page of exactly one printed page", 2, 1, 0, {"L0", "L1"}, 0},
        {"preview of a page longer than one printed page", 3, 1, 1, {"L0", "L1"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        walktest::reset_walk_state();
        PageBuilder page;
        for (int i = 0; i < c.lines; ++i) page.line("L" + std::to_string(i));
        HypDocument doc;
        build_document(doc, page);
        Screen printer;
        const PageWalkArgs args = printer.printed(doc, 0, c.print_page, {3, 2, 2});
        EXPECT_EQ(show(printer, doc, args).more_printed_pages, c.result != 0);

        std::vector<std::string> drawn;
        for (const DrawnText& run : printer.dc.runs()) {
            drawn.push_back(run.text);
            // Every printed page starts at the margins.
            const int line_on_page = (std::stoi(run.text.substr(1)) % 2);
            EXPECT_EQ(run.x, 3 * kCell) << run.text;
            EXPECT_EQ(run.y, (2 + line_on_page) * kLine) << run.text;
        }
        EXPECT_EQ(drawn, c.drawn);
        EXPECT_EQ(printer.dc.pages_ended, c.pages_ended);
        EXPECT_EQ(printer.dc.pages_started, c.pages_ended);
        EXPECT_EQ(printer.dc.leaked_fonts(), 0);
        EXPECT_EQ(printer.dc.bad_deletes, 0);
    }
}

TEST_F(PageWalkScreenTest, PrintRestoresTheTextStateOnEveryNewPage) {
    PageBuilder page;
    page.attributes(ATTR_ITALIC | ATTR_GHOSTED).line("a").line("b").line("c");
    HypDocument doc;
    build_document(doc, page);
    Screen printer;
    show(printer, doc, printer.printed(doc, 0, -1, {1, 0, 1}));
    const std::vector<DrawnText> runs = printer.dc.runs();
    ASSERT_EQ(runs.size(), 3u);
    for (const DrawnText& run : runs) {
        EXPECT_EQ(run.colour, settings.GTXTCOLOR()) << run.text;
        EXPECT_EQ(run.font.lfItalic, 1) << run.text;
    }
    EXPECT_EQ(printer.dc.pages_ended, 2);
}

}  // namespace

// The Atari arrows take one column each: the text after the gap lands on the same column as
// after plain letters, the caption carries them, and a highlight over them covers their width.
TEST_F(PageWalkScreenTest, WideCharactersKeepTheirColumnAndAreCoveredByTheHighlight) {
    settings.expmultispace = 1;
    PageBuilder page;
    page.title("\x01 keys").line("\x01, \x02  up").line("x, y  up");
    HypDocument doc;
    build_document(doc, page);
    Screen screen;
    PageWalkArgs args = screen.args(doc, 0);
    args.highlight = {0, 0, 1, nullptr};  // the first arrow
    show(screen, doc, args);

    const int32_t arrow = width_of("W");  // the model measures a wide character as "W"
    std::vector<std::pair<std::u16string, int32_t>> runs;
    for (const DrawnText& run : screen.dc.runs()) {
        runs.push_back(
            {run.text.empty() ? run.wide_text : std::u16string(run.text.begin(), run.text.end()),
             run.x});
    }
    const std::vector<std::pair<std::u16string, int32_t>> expected = {
        {u"\u21E7", kCell},
        {u", ", kCell + arrow},
        {u"\u21E9", kCell + arrow + width_of(", ")},
        {u"up", kCell + 6 * kCell},
        {u"x, y", kCell},
        {u"up", kCell + 6 * kCell},
    };
    EXPECT_EQ(runs, expected);
    // The caption made of the title the walk reports carries them.
    const std::optional<std::string> title = interpret_page(screen.args(doc, 0)).title;
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(
        window_caption(*title, doc.source_charset, screen_conversion(doc.source_charset)).wide,
        u"Vellumar - \u21E7 keys");
    ASSERT_EQ(screen.dc.inversions.size(), 1u);
    EXPECT_EQ(screen.dc.inversions[0].left, kCell);
    EXPECT_EQ(screen.dc.inversions[0].right, kCell + arrow);
}

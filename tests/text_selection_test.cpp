// Selecting on a shown page: every expected text is cut from the page copy (the text export of
// the page), every place from the fixture page's known layout.
#include "app/text_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/page_copy.h"
#include "app/search.h"
#include "fixture/outcome_check.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::LinkKind;
using fixture::PageBuilder;

constexpr int32_t kCell = 8;   // cell_width of the model metrics
constexpr int32_t kLine = 20;  // line_height of the model metrics
constexpr unsigned kAnsi = TARGET_ANSI;
constexpr unsigned kUtf8 = TARGET_UTF8;

// The page's text lines 0 to 4; a picture 40 pixels high reserves two lines above line 2, a box
// sits on line 3 and a title starts line 4. In the copy a heading comes first and another
// before line 4, so text line t is line kCopyLine[t] of the copy.
const char* const kStored[] = {"Gr\201\236e an alle   ", "see next too", "a\033b", "\340\341 = x_1",
                               "after"};
constexpr int kCopyLine[] = {1, 2, 3, 4, 6};
const DisplayLines kDisplay = {0, 1, 4, 5, 6};

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = std::min(text.find("\r\n", at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Characters [from, to) of a line of the copy; in UTF-8 a character is its lead byte and the
// continuation bytes 10xxxxxx after it.
std::string characters(const std::string& line, size_t from, size_t to, bool utf8) {
    if (!utf8) return line.substr(from, to - from);
    std::vector<size_t> starts;
    for (size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<uint8_t>(line[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(line.size());
    return line.substr(starts[from], starts[std::min(to, starts.size() - 1)] - starts[from]);
}

std::string selected(const PageText& text, TextPosition anchor, TextPosition active) {
    TextSelection selection;
    selection.select(anchor, active);
    return selected_text(text, selection);
}

class TextSelectionTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        walktest::reset_walk_state();
        PageBuilder page;
        page.picture(2, 0, 2, true).box(1, 3, 4, 1);
        page.line(kStored[0]).text("see ").link(LinkKind::Link, 0, "next").text(" too").end_line();
        page.text("a").literal_esc().text("b").end_line();
        page.line(kStored[3]).title("Mid").line(kStored[4]);
        ASSERT_TRUE(page.ok()) << page.error();
        walktest::add_entry(doc_, ENTRY_NODE, "Main", page.bytes());
        walktest::add_entry(doc_, ENTRY_NODE, "Empty", {});
        walktest::add_image(doc_, 16, 40);
    }

    // The page's text for `target`, links framed or not, and its copy split into lines.
    PageText collect(unsigned target, uint32_t framed = 0) {
        settings.alllinks_txt = framed;
        PageText text;
        EXPECT_TRUE(collect_page_text(doc_, 0, target, text));
        copy_.clear();  // the copy is appended
        copy_page_text(doc_, 0, target, copy_);
        copied_ = split_lines(copy_);
        return text;
    }

    HypDocument doc_;
    std::string copy_;
    std::vector<std::string> copied_;
};

TEST_F(TextSelectionTest, ScreenWalkGivesTheDisplayLineOfEachTextLine) {
    walktest::Screen screen;
    walktest::RecordingGraphics graphics;
    DisplayLines display{99};
    interpret_page(walktest::layout_args(doc_, 0));  // the screen reserves lines after a layout
    PageWalkArgs args = screen.args(doc_, 0);
    args.graphics = &graphics;
    args.text_line_display = &display;
    ASSERT_TRUE(interpret_page(args).walked);
    EXPECT_EQ(display, kDisplay);
}

// The page's lines and cells, and the whole page selected, are the copy's.
TEST_F(TextSelectionTest, PageTextIsTheCopy) {
    struct Case {
        const char* name;
        unsigned target;
        uint32_t framed;
    };
    for (const Case& c : {Case{"Windows set", kAnsi, 0}, Case{"DOS set", TARGET_OEM, 0},
                          Case{"UTF-8", kUtf8, 0}, Case{"links framed", kAnsi, 1}}) {
        SCOPED_TRACE(c.name);
        const PageText text = collect(c.target, c.framed);
        EXPECT_EQ(text.page_copy, copy_);
        ASSERT_EQ(text.lines.size(), 5u);
        for (size_t t = 0; t < text.lines.size(); ++t) {
            SCOPED_TRACE("line " + std::to_string(t));
            const PageTextLine& line = text.lines[t];
            EXPECT_EQ(line.stored, kStored[t]);
            EXPECT_EQ(line.text, copied_[kCopyLine[t]]);
            if (t == 1) continue;  // the link's markers stand between its cells and the copy
            for (uint32_t cell = 0; cell < line.cells(); ++cell) {
                EXPECT_EQ(line.cell_text(cell, cell + 1),
                          characters(copied_[kCopyLine[t]], cell, cell + 1, c.target == kUtf8))
                    << "cell " << cell;
            }
        }
        TextSelection selection;
        selection.select_all(text);
        EXPECT_EQ(selected_text(text, selection), copy_);
        selection.extend({4, 5});  // moving an end makes it a selection of cells again
        EXPECT_FALSE(selection.whole_page());
        EXPECT_EQ(selected_text(text, selection).find("Main"), std::string::npos);
    }
    PageText empty;
    ASSERT_TRUE(collect_page_text(doc_, 1, kAnsi, empty));
    EXPECT_TRUE(empty.lines.empty());
    EXPECT_FALSE(collect_page_text(doc_, 3, kAnsi, empty));
}

TEST_F(TextSelectionTest, SelectedTextIsCutFromTheCopy) {
    struct Piece {
        int line;  // of the copy
        size_t from, to;
    };
    struct Case {
        const char* name;
        unsigned target;
        uint32_t framed;
        TextPosition anchor, active;
        std::vector<Piece> pieces;  // joined by CR LF
    };
    // clang-format off
    const Case cases[] = {
        {"a word",                       kAnsi, 0, {0, 0},  {0, 5},  {{1, 0, 5}}},
        {"two lines, no trailing blanks", kAnsi, 0, {0, 6},  {1, 3},  {{1, 6, 13}, {2, 0, 3}}},
        {"dragged backwards",            kAnsi, 0, {1, 3},  {0, 6},  {{1, 6, 13}, {2, 0, 3}}},
        {"blanks only, to a line start", kAnsi, 0, {0, 14}, {1, 0},  {{1, 0, 0}, {2, 0, 0}}},
        {"a literal ESC",                kAnsi, 0, {2, 0},  {2, 3},  {{3, 0, 3}}},
        {"a link's cells",               kAnsi, 0, {1, 4},  {1, 8},  {{2, 4, 8}}},
        {"a framed link whole",          kAnsi, 1, {1, 4},  {1, 8},  {{2, 4, 10}}},
        {"a framed link's start",        kAnsi, 1, {1, 2},  {1, 6},  {{2, 2, 7}}},
        {"a framed link's end",          kAnsi, 1, {1, 6},  {1, 12}, {{2, 7, 14}}},
        {"wide cells in UTF-8",          kUtf8, 0, {3, 0},  {3, 2},  {{4, 0, 2}}},
        {"over a picture",               kUtf8, 0, {1, 9},  {3, 3},  {{2, 9, 12}, {3, 0, 3}, {4, 0, 3}}},
        {"across a title, no heading",   kAnsi, 0, {3, 5},  {4, 99}, {{4, 5, 8}, {6, 0, 5}}},
        {"nothing: anchor is the end",   kAnsi, 0, {1, 5},  {1, 5},  {}},
        {"beyond the page",              kAnsi, 0, {7, 0},  {9, 0},  {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PageText text = collect(c.target, c.framed);
        std::string expected;
        for (const Piece& p : c.pieces) {
            if (&p != &c.pieces.front()) expected += "\r\n";
            expected += characters(copied_[p.line], p.from, p.to, c.target == kUtf8);
        }
        EXPECT_EQ(selected(text, c.anchor, c.active), expected);
    }
}

// The window selects a find of the search by its line and columns: they must name the same
// cells as the page's text, or Ctrl+C after Ctrl+F copies other characters than were found.
TEST_F(TextSelectionTest, AFindSelectedCopiesTheFoundText) {
    const PageText text = collect(kAnsi);
    // Typed in the Windows set, as the dialog gives it: umlauts at the page's start, after
    // blanks, a link's text, beside a literal ESC, below a picture's lines, after a heading.
    for (const char* typed : {"Gr\xFC\xDF"
                              "e",
                              "an alle", "next too", "b", "x_1", "fter"}) {
        SCOPED_TRACE(typed);
        SearchPattern pattern;
        ASSERT_TRUE(succeeded(pattern.prepare(typed, doc_.source_charset, true)));
        SearchMatch match;
        std::string line;
        ASSERT_TRUE(find_next(doc_, pattern, SearchScope::Page, {0, -1, 0}, match, line));
        const auto at = [&](uint32_t column) {
            return TextPosition{static_cast<int32_t>(match.line), static_cast<int32_t>(column)};
        };
        EXPECT_EQ(selected(text, at(match.first_column), at(match.end_column)), typed);
    }
}

TEST_F(TextSelectionTest, PointToCharacter) {
    struct Case {
        const char* name;
        int32_t scroll_column, scroll_line;
        int32_t x, y;
        TextPosition boundary, cell;
        bool on_text;
    };
    // The margin is one cell: column c starts at x = (1 + c - scroll_column) * kCell.
    // clang-format off
    const Case cases[] = {
        {"first cell",                   0, 0, kCell + 1,     5,               {0, 0},  {0, 0},  true},
        {"left half: the gap before",    0, 0, 5 * kCell + 3, 5,               {0, 4},  {0, 4},  true},
        {"right half: the gap after",    0, 0, 5 * kCell + 4, 5,               {0, 5},  {0, 4},  true},
        {"in the margin",                0, 0, 3,             kLine + 2,       {1, 0},  {1, -1}, false},
        {"on trailing blanks",           0, 0, 15 * kCell,    5,               {0, 14}, {0, 14}, false},
        {"right of the line",            0, 0, 40 * kCell,    kLine,           {1, 12}, {1, 39}, false},
        {"a picture's reserved line",    0, 0, 3 * kCell,     3 * kLine + 19,  {2, 0},  {2, 0},  false},
        {"the line below the picture",   0, 0, 2 * kCell + 1, 4 * kLine,       {2, 1},  {2, 1},  true},
        {"below the last line",          0, 0, 2 * kCell,     30 * kLine,      {4, 5},  {4, 5},  false},
        {"above the page",               0, 0, 2 * kCell,     -1,              {0, 0},  {0, 1},  false},
        {"scrolled both ways",           2, 4, kCell + 1,     19,              {2, 2},  {2, 2},  true},
        {"scrolled to the last line",    2, 4, 3 * kCell,     2 * kLine,       {4, 4},  {4, 4},  true},
    };
    // clang-format on
    const PageText text = collect(kAnsi);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SelectionView view{kCell, kLine, c.scroll_column, c.scroll_line, 1, 400, 200};
        const TextHit hit = hit_text(text, kDisplay, view, c.x, c.y);
        EXPECT_EQ(hit.boundary, c.boundary) << hit.boundary.line << "," << hit.boundary.column;
        EXPECT_EQ(hit.cell, c.cell) << hit.cell.line << "," << hit.cell.column;
        EXPECT_EQ(hit.on_text, c.on_text);
    }
    // A page without reserved lines, no map: display line d is text line d.
    const TextHit plain = hit_text(text, {}, {kCell, kLine, 0, 0, 1, 400, 200}, kCell, 2 * kLine);
    EXPECT_EQ(plain.boundary, (TextPosition{2, 0}));
}

TEST_F(TextSelectionTest, WordsAndLines) {
    // "Grüße an alle   ", "see next too", "a<ESC>b", "αβ = x_1"; cell -> word's [first, end)
    const int32_t words[][4] = {{0, 2, 0, 5}, {0, 5, 5, 6},  {0, 13, 13, 16}, {0, 40, 16, 16},
                                {1, 5, 4, 8}, {2, 1, 1, 2},  {3, 1, 0, 2},    {3, 3, 3, 4},
                                {3, 6, 5, 8}, {0, -1, 0, 0}, {5, 0, 0, 0}};
    const PageText text = collect(kAnsi);
    for (const auto& w : words) {
        const CellRange got = word_bounds(text, {w[0], w[1]});
        EXPECT_EQ(std::vector<int32_t>({got.first, got.end}), std::vector<int32_t>({w[2], w[3]}))
            << "cell " << w[0] << "," << w[1];
    }
    EXPECT_EQ(line_bounds(text, 0).end, 16);
    EXPECT_EQ(line_bounds(text, 5).end, 0);

    // Bytes that are word characters and bytes that are not, per character set.
    struct Bytes {
        unsigned set;
        const char* word;
        const char* other;
    };
    for (const Bytes& b :
         {Bytes{CHARSET_TOS, "\x84\x9E\xC2\xE0\xB5_7", "\x9C\xF8\xAB\xFD\x01\x1A-"},
          Bytes{CHARSET_MAC, "\x8A\xDE", "\xA5\xD6"}}) {
        SCOPED_TRACE("set " + std::to_string(b.set));
        for (const char* p = b.word; *p; ++p) EXPECT_TRUE(is_word_byte(b.set, *p)) << +uint8_t(*p);
        for (const char* p = b.other; *p; ++p) {
            EXPECT_FALSE(is_word_byte(b.set, *p)) << +uint8_t(*p);
        }
    }
}

// Highlight runs as "display line:first-end", blank-separated.
std::string runs_text(const std::vector<HighlightRun>& runs) {
    std::string text;
    for (const HighlightRun& r : runs) {
        text += (text.empty() ? "" : " ") + std::to_string(r.display_line) + ":" +
                std::to_string(r.first) + "-" + std::to_string(r.end);
    }
    return text;
}

TEST_F(TextSelectionTest, HighlightedCells) {
    struct Case {
        const char* name;
        TextPosition anchor, active;
        int32_t scroll_line;
        const char* runs;
    };
    const Case cases[] = {
        {"scrolled off and picture lines have none", {0, 6}, {3, 2}, 1, "1:0-12 4:0-3 5:0-2"},
        {"trailing blanks are not highlighted", {0, 10}, {1, 0}, 0, "0:10-13"},
        {"lines below the view are left out", {0, 0}, {4, 5}, 0, "0:0-13 1:0-12 4:0-3"},
        {"nothing selected", {2, 1}, {2, 1}, 0, ""},
    };
    const PageText text = collect(kAnsi);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextSelection selection;
        selection.select(c.anchor, c.active);
        // 81 pixels: four display lines from the scroll position, a fifth partly.
        const SelectionView view{kCell, kLine, 0, c.scroll_line, 1, 400, 4 * kLine + 1};
        EXPECT_EQ(runs_text(highlight_runs(text, kDisplay, selection, view)), c.runs);
    }
    const DeviceRect rect = highlight_rect({4, 2, 5}, {kCell, kLine, 1, 1, 1, 400, 200});
    EXPECT_EQ(std::vector<int32_t>({rect.left, rect.top, rect.right, rect.bottom}),
              std::vector<int32_t>({2 * kCell, 3 * kLine, 5 * kCell, 4 * kLine}));
}

TEST(DragScrollTest, GrowsWithTheDistanceBeyondTheEdge) {
    struct Case {
        const char* name;
        int32_t x, y;
        int32_t columns, lines;
    };
    // Page area 400 x 200 pixels (50 cells, 10 lines); the edge bands are 5 and 2 pixels.
    const Case cases[] = {
        {"inside", 200, 100, 0, 0},
        {"inside, next to the bands", 2, 5, 0, 0},
        {"in the top band", 200, 4, 0, -1},
        {"just above", 200, -1, 0, -1},
        {"a line above", 200, -kLine, 0, -2},
        {"far below: at most a page", 200, 5000, 0, 10},
        {"in the bottom band", 200, 195, 0, 1},
        {"a line below", 200, 199 + kLine, 0, 2},
        {"left, two cells out", -2 * kCell, 100, -3, 0},
        {"in the right band", 398, 100, 1, 0},
        {"beyond a corner", 401 + kCell, -3 * kLine, 2, -4},
    };
    const SelectionView view{kCell, kLine, 0, 0, 1, 400, 200};
    for (const Case& c : cases) {
        const DragScroll scroll = drag_scroll(view, c.x, c.y);
        EXPECT_EQ(std::vector<int32_t>({scroll.columns, scroll.lines}),
                  std::vector<int32_t>({c.columns, c.lines}))
            << c.name;
    }
    EXPECT_EQ(drag_scroll({kCell, kLine, 0, 0, 1, 0, 0}, -50, -50).lines, 0);
}

// Every text line of the real hypertexts, selected whole, is its line of the page copy without
// its trailing blanks; only headings lie between them.
TEST(TextSelectionCorpusTest, WholeLinesAreTheCopysLines) {
    std::error_code error;
    if (!std::filesystem::is_directory(VELLUMAR_CORPUS_DIR, error)) GTEST_SKIP() << "no corpus";
    restore_default_settings();
    size_t pages = 0;
    for (const char* name : {"gemma.hyp", "led-en.hyp", "mint-en.hyp"}) {
        SCOPED_TRACE(name);
        walktest::reset_walk_state();
        int32_t current = -1;
        const std::string path = std::string(VELLUMAR_CORPUS_DIR) + "/" + name;
        ASSERT_TRUE(succeeded(open_hypertext(document, path, std::nullopt, -1, current)));
        for (uint16_t page = 0; page < document.index.size(); ++page) {
            const uint8_t type = document.index[page].type;
            if (type != ENTRY_NODE && type != ENTRY_PNODE) continue;
            ++pages;
            SCOPED_TRACE("page " + std::to_string(page));
            PageText text;
            std::string copy;
            ASSERT_TRUE(collect_page_text(document, page, TARGET_ANSI, text));
            copy_page_text(document, page, TARGET_ANSI, copy);
            ASSERT_EQ(text.page_copy, copy);
            const std::vector<std::string> copied = split_lines(copy);
            size_t at = 0;
            for (int32_t t = 0; t < static_cast<int32_t>(text.lines.size()); ++t, ++at) {
                const std::string got = selected(text, {t, 0}, {t, line_bounds(text, t).end});
                for (; at < copied.size(); ++at) {
                    std::string want = copied[at];
                    want.erase(want.find_last_not_of(' ') + 1);
                    if (want == got) break;
                    ASSERT_EQ(copied[at].substr(0, 1), "#") << "line " << t;
                }
                ASSERT_LT(at, copied.size()) << "line " << t;
            }
        }
        close_hypertext(document);
    }
    EXPECT_GT(pages, 30u);
}

}  // namespace

// Search through the lines a page shows: what matches, where, in which order, and what is skipped.
#include "app/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "fixture/document_test.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/page_builder.h"
#include "hyp/document.h"
#include "hyp/page_loader.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::LinkKind;
using fixture::PageBuilder;
namespace code = fixture::page_code;

// Compile system bytes of the header (Atari texts, Macintosh texts).
constexpr uint8_t kOsAtari = 0;
constexpr uint8_t kOsMac = 3;

using Hit = std::tuple<int, int, int, int>;  // page, line, first column, end column

struct Page {
    std::string name;
    std::vector<uint8_t> bytes;
    bool damaged = false;  // the end of its LH5 stream is overwritten
};

Page page(std::string name, const PageBuilder& builder) {
    EXPECT_TRUE(builder.ok()) << builder.error();
    return {std::move(name), builder.bytes(), false};
}

Page lines(std::string name, const std::vector<std::string>& text) {
    return {std::move(name), fixture::text_page(text), false};
}

// A page long enough to be stored compressed, whose first line holds `first`.
Page damaged(std::string name, const std::string& first) {
    std::vector<std::string> text{first};
    for (int i = 0; i < 60; ++i) text.push_back("Fuellzeile mit etwas Text " + std::to_string(i));
    return {std::move(name), fixture::text_page(text), true};
}

struct Case {
    const char* name;
    uint8_t os;
    std::vector<Page> pages;
    std::string needle;  // as typed, Windows set
    bool match_case;
    SearchScope scope;
    SearchPlace from;
    std::vector<Hit> hits;
};

class SearchTest : public fixture::DocumentTest {
   protected:
    SearchTest() : DocumentTest("search") {}

    // Writes the pages as a file and opens it; damaged pages get their stream's end wrecked.
    void open_pages(uint8_t os, const std::vector<Page>& pages) {
        fixture::HypBuilder builder;
        builder.os(os);
        for (const Page& p : pages) builder.node(p.name, p.bytes);
        fixture::HypLayout layout;
        std::vector<uint8_t> file = builder.build(&layout);
        ASSERT_FALSE(file.empty()) << builder.error();
        for (size_t i = 0; i < pages.size(); ++i) {
            if (!pages[i].damaged) continue;
            ASSERT_TRUE(layout.compressed[i]);
            const size_t middle = layout.object_offset[i] + layout.object_size[i] / 2;
            for (size_t k = middle; k < middle + 60; ++k) file[k] = 0xFF;
        }
        const std::string path = dir_ + "/s.hyp";
        ASSERT_TRUE(fixture::write_file(path, file));
        close_hypertext(document);
        int32_t current = -1;
        ASSERT_TRUE(succeeded(open_hypertext(document, path, std::nullopt, -1, current)));
        for (size_t i = 0; i < pages.size(); ++i) {
            if (!pages[i].damaged) continue;
            // The fixture is meaningful only if the loader itself finds the page damaged.
            HypDocument probe;
            int32_t unused = -1;
            ASSERT_TRUE(open_hypertext(probe, path, std::nullopt, -1, unused));
            ASSERT_NE(load_page_checked(probe, static_cast<unsigned>(i)), PageLoadResult::Complete);
            ASSERT_NE(page_length(probe.index[i]), 0u);
        }
    }
};

TEST_F(SearchTest, MatchesTheLinesAsShown) {
    PageBuilder link_page;
    link_page.text("siehe ").link(LinkKind::Link, 1, "Kapitel Suche").text(" hier").end_line();
    link_page.text("und ").link_without_text(LinkKind::Link, 1, 0).end_line();

    PageBuilder attributes;
    attributes.text("ab").attributes(fixture::attr::kBold).text("cd");
    attributes.attributes(fixture::attr::kItalic | fixture::attr::kUnderline).text("ef");
    attributes.attributes(0).end_line();

    // Bytes that look like the needles but lie inside sequences, which show nothing.
    PageBuilder hidden;
    hidden.title("geheim").text("ab").data_block(0, fixture::bytes_of("geheim"));
    hidden.xref(1, "geheim").text("sichtbar");
    hidden.graphics_raw(code::kBox, 'g', 0, 'e', 'h', 'i').end_line();
    hidden.picture(1, 'g', 0, false, 'e').line("zweite");

    // "Grüße für ÄRGER" in the Atari set (ü 0x81, ß 0x9E, Ä 0x8E) and the Macintosh set
    // (ü 0x9F, ß 0xA7, Ä 0x80).
    const Page atari = lines("A", {std::string("Gr\x81\x9E") + "e f\x81r \x8ERGER"});
    const Page mac = lines("M", {std::string("Gr\x9F\xA7") + "e f\x9Fr \x80RGER"});

    const std::vector<Page> three = {lines("Eins", {"x Nadel"}), lines("Zwei", {"Nadel Nadel"}),
                                     lines("Drei", {"Nadel"})};
    const SearchPlace top{0, -1, 0};

    // clang-format off
    const Case cases[] = {
        {"plain text, every occurrence", kOsAtari,
         {lines("Main", {"Hello world", "second world of words", "", "WORLD"})}, "world", false,
         SearchScope::Page, top, {{0, 0, 6, 11}, {0, 1, 7, 12}, {0, 3, 0, 5}}},
        {"match case", kOsAtari, {lines("Main", {"Hello world", "WORLD"})}, "WORLD", true,
         SearchScope::Page, top, {{0, 1, 0, 5}}},
        {"inside a link text", kOsAtari, {page("Main", link_page), lines("Zielseite", {"-"})},
         "suche hi", false, SearchScope::Page, top, {{0, 0, 14, 22}}},
        {"the target's name of a link without text", kOsAtari,
         {page("Main", link_page), lines("Zielseite", {"-"})}, "und ziel", false,
         SearchScope::Page, top, {{0, 1, 0, 8}}},
        {"across attribute changes", kOsAtari, {page("Main", attributes)}, "bcde", false,
         SearchScope::Page, top, {{0, 0, 1, 5}}},
        {"not in data blocks, cross references or titles", kOsAtari, {page("Main", hidden)},
         "geheim", false, SearchScope::AllPages, kBeforeFirstPage, {}},
        {"not in graphics or picture records", kOsAtari, {page("Main", hidden)}, "ehi", false,
         SearchScope::AllPages, kBeforeFirstPage, {}},
        {"columns count shown characters only", kOsAtari, {page("Main", hidden)}, "sichtbar",
         false, SearchScope::Page, top, {{0, 0, 2, 10}}},
        {"Atari umlauts fold", kOsAtari, {atari}, "F\xDCR \xE4rger", false, SearchScope::Page,
         top, {{0, 0, 6, 15}}},
        {"Atari sharp s and umlaut as typed", kOsAtari, {atari}, "gr\xFC\xDF" "e", false,
         SearchScope::Page, top, {{0, 0, 0, 5}}},
        {"Atari umlauts with match case", kOsAtari, {atari}, "F\xDCR", true, SearchScope::Page,
         top, {}},
        {"Macintosh umlauts fold", kOsMac, {mac}, "F\xDCR \xE4rger", false, SearchScope::Page,
         top, {{0, 0, 6, 15}}},
        {"Macintosh sharp s and umlaut as typed", kOsMac, {mac}, "GR\xDC\xDF" "E", false,
         SearchScope::Page, top, {{0, 0, 0, 5}}},
        {"needle longer than any line", kOsAtari, {lines("Main", {"kurz", "auch kurz"})},
         "kurz auch kurz kurz", false, SearchScope::AllPages, kBeforeFirstPage, {}},
        {"a page that fails to unpack is skipped", kOsAtari,
         {lines("Eins", {"Nadel 1"}), damaged("Kaputt", "Nadel im Heu"), lines("Drei", {"Nadel"})},
         "nadel", false, SearchScope::AllPages, kBeforeFirstPage, {{0, 0, 0, 5}, {2, 0, 0, 5}}},
        {"all pages in index order", kOsAtari, three, "nadel", false, SearchScope::AllPages,
         kBeforeFirstPage, {{0, 0, 2, 7}, {1, 0, 0, 5}, {1, 0, 6, 11}, {2, 0, 0, 5}}},
        {"after a place, wrapping round once", kOsAtari, three, "nadel", false,
         SearchScope::AllPages, {1, 0, 0}, {{1, 0, 6, 11}, {2, 0, 0, 5}, {0, 0, 2, 7}, {1, 0, 0, 5}}},
        {"the only match is found again after wrapping", kOsAtari, three, "x", false,
         SearchScope::AllPages, {0, 0, 0}, {{0, 0, 0, 1}}},
        {"page scope stays on its page", kOsAtari, three, "nadel", false, SearchScope::Page,
         {1, 0, 0}, {{1, 0, 6, 11}}},
    };
    // clang-format on

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open_pages(c.os, c.pages);
        if (HasFatalFailure()) return;
        SearchPattern pattern;
        ASSERT_TRUE(pattern.prepare(c.needle, document.source_charset, c.match_case));
        std::vector<Hit> hits;
        search_document(document, pattern, c.scope, c.from, [&](const SearchMatch& m) {
            hits.emplace_back(m.page, m.line, m.first_column, m.end_column);
            return true;
        });
        EXPECT_EQ(hits, c.hits);
    }
}

TEST_F(SearchTest, EmptyNeedleIsRefused) {
    SearchPattern pattern;
    const Outcome prepared = pattern.prepare("", CHARSET_TOS, false);
    ASSERT_FALSE(prepared);
    EXPECT_EQ(prepared.failure().message, "Bitte geben Sie einen Suchtext ein.");
}

// The viewer's list: one row per line holding the text (its first find), at most `limit` rows,
// and a note that says whether there are more.
TEST_F(SearchTest, ListHasOneRowPerLineUpToTheLimit) {
    open_pages(kOsAtari, {lines("Eins", {"Nadel und Nadel", "keine", "NADEL"}),
                          lines("Zwei", {"eine Nadel"})});
    if (HasFatalFailure()) return;
    SearchPattern pattern;
    ASSERT_TRUE(pattern.prepare("nadel", document.source_charset, false));
    struct Case {
        size_t limit;
        std::vector<Hit> rows;
        bool more;
        std::string note;
    };
    const Case cases[] = {
        {10, {{0, 0, 0, 5}, {0, 2, 0, 5}, {1, 0, 5, 10}}, false, "3 Zeilen mit \"nadel\""},
        {3, {{0, 0, 0, 5}, {0, 2, 0, 5}, {1, 0, 5, 10}}, false, "3 Zeilen mit \"nadel\""},
        {2,
         {{0, 0, 0, 5}, {0, 2, 0, 5}},
         true,
         "Mehr als 2 Zeilen mit \"nadel\"; gezeigt werden die ersten 2."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        const SearchList list = list_matches(document, pattern, c.limit);
        std::vector<Hit> rows;
        for (const SearchListRow& row : list.rows) {
            rows.emplace_back(row.match.page, row.match.line, row.match.first_column,
                              row.match.end_column);
        }
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(list.more, c.more);
        EXPECT_EQ(search_list_note("nadel", list), c.note);
    }
    EXPECT_EQ(list_matches(document, pattern).rows.front().line_text, "Nadel und Nadel");
}

// Only the walked page stays unpacked: a search through every page leaves at most the last one
// and never a page it skipped.
TEST_F(SearchTest, KeepsOnePageUnpacked) {
    open_pages(kOsAtari, {lines("Eins", {"Nadel"}), damaged("Kaputt", "Nadel"),
                          lines("Drei", {"keine"}), damaged("Ende", "Nadel")});
    if (HasFatalFailure()) return;
    SearchPattern pattern;
    ASSERT_TRUE(pattern.prepare("nadel", document.source_charset, false));
    size_t most_loaded = 0;
    search_document(document, pattern, SearchScope::AllPages, kBeforeFirstPage,
                    [&](const SearchMatch&) {
                        size_t loaded = 0;
                        for (const IndexEntry& e : document.index) loaded += !e.page_data.empty();
                        most_loaded = std::max(most_loaded, loaded);
                        return true;
                    });
    EXPECT_EQ(most_loaded, 1u);
    size_t loaded = 0;
    for (const IndexEntry& e : document.index) loaded += !e.page_data.empty();
    EXPECT_LE(loaded, 1u);
}

// The screen draws a find inverted over exactly its characters, wherever attributes and links put
// them. The recording device's model font (Arial 16): blanks and "il" 4 pixels, "mwMW" 12, other
// letters 8, one more when bold; lines 20 pixels; the left margin is one cell of 8.
TEST(SearchHighlight, DrawnInvertedOverTheFind) {
    PageBuilder builder;
    builder.line("erste Zeile");
    builder.text("ab").attributes(fixture::attr::kBold).text("cd").attributes(0);
    builder.text(" Hallo ").link(LinkKind::Link, 0, "Welt").end_line();
    struct Case {
        const char* name;
        TextSpan span;
        int32_t origin_line;
        int32_t first_visible, last_visible;
        std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> rects;  // l, t, r, b
    };
    const Case cases[] = {
        // "Zeile": "erste " is 8+8+8+8+8+4 = 44 after the margin; Z e i l e = 8+8+4+4+8.
        {"plain text", {0, 6, 11}, 0, 0, 10, {{52, 0, 84, 20}}},
        // "bc": a 8, b 8, bold c 9.
        {"across a change to bold", {1, 1, 3}, 0, 0, 10, {{16, 20, 33, 40}}},
        // margin 8, "ab" 16, bold "cd" 18, " Hallo " 4+8+8+4+4+8+4: the link "Welt" 12+8+4+8
        // from 82.
        {"a link's text", {1, 11, 15}, 0, 0, 10, {{82, 20, 114, 40}}},
        {"scrolled by one line", {1, 1, 3}, -1, 0, 10, {{16, 0, 33, 20}}},
        {"line not painted", {1, 1, 3}, 0, 0, 0, {}},
        {"no highlight", {}, 0, 0, 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        walktest::reset_walk_state();
        HypDocument doc;
        walktest::add_entry(doc, ENTRY_NODE, std::string("Main"), builder.bytes());
        walktest::Screen screen;
        PageWalkArgs args = screen.args(doc, 0, c.first_visible, c.last_visible);
        args.origin_line = c.origin_line;
        args.highlight = c.span;
        interpret_page(args);
        std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> rects;
        for (const DeviceRect& r : screen.dc.inversions)
            rects.emplace_back(r.left, r.top, r.right, r.bottom);
        EXPECT_EQ(rects, c.rects);
    }
}

// The display line of a find: pictures that reserve lines above it push it down. The text's own
// drawing position (y / 20) is the independent measure.
TEST(SearchHighlight, ReportsTheDisplayLineOfTheFind) {
    struct Case {
        const char* name;
        bool picture;
        int32_t first_visible, last_visible;
    };
    const Case cases[] = {
        {"plain page", false, 0, 10},
        {"below a picture of 40 pixels reserving two lines", true, 0, 10},
        {"the line scrolled out of view", true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        walktest::reset_walk_state();
        PageBuilder builder;
        if (c.picture) builder.picture(1, 0, 0, true);
        builder.line("oben").text("ab ").link(LinkKind::Link, 0, "Nadel").end_line();
        HypDocument doc;
        walktest::add_entry(doc, ENTRY_NODE, std::string("Main"), builder.bytes());
        walktest::add_image(doc, 16, 40);
        walktest::RecordingGraphics graphics;
        PageWalkArgs layout = walktest::layout_args(doc, 0);
        layout.graphics = &graphics;
        interpret_page(layout);

        walktest::Screen shown;
        PageWalkArgs all = shown.args(doc, 0, 0, 10);
        all.graphics = &graphics;
        interpret_page(all);
        int32_t drawn_line = -1;
        for (const fixture::DrawnText& run : shown.dc.runs()) {
            if (run.text == "Nadel") drawn_line = run.y / 20;
        }
        ASSERT_GE(drawn_line, 1);

        walktest::Screen screen;
        PageWalkArgs args = screen.args(doc, 0, c.first_visible, c.last_visible);
        args.graphics = &graphics;
        int32_t display_line = -1;
        args.highlight = {1, 3, 8, &display_line};
        interpret_page(args);
        EXPECT_EQ(display_line, drawn_line);
        EXPECT_EQ(display_line, c.picture ? 3 : 1);
    }
}

}  // namespace

// A pasted character the Windows set lacks is searched as the byte of the hypertext's set that
// is that character (Atari arrows 0x01 to 0x04, alpha 0xE0; Macintosh pi 0xB9).
TEST(SearchUtf8Test, CharactersTheWindowsSetLacksBecomeTheSetsOwnBytes) {
    struct Case {
        const char* name;
        uint8_t set;
        const char* typed;
        std::string converted;  // where complete
        bool complete;
        bool valid;
    };
    const Case cases[] = {
        {"Atari arrows with text", CHARSET_TOS, u8"shift \u21E9", "shift \x02", true, true},
        {"Atari alpha", CHARSET_TOS, u8"\u03B1", "\xE0", true, true},
        {"Atari u-umlaut through the Windows set", CHARSET_TOS, u8"\u00FC", "\x81", true, true},
        {"Macintosh pi", CHARSET_MAC, u8"\u03C0", "\xB9", true, true},
        {"Macintosh has no arrows", CHARSET_MAC, u8"\u21E7", "", false, true},
        {"no set has a snowman", CHARSET_TOS, u8"\u2603", "", false, true},
        {"not UTF-8", CHARSET_TOS, "\xFF\xFE", "", false, false},
        {"cut sequence", CHARSET_TOS, "\xE2\x87", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string converted;
        bool valid = true;
        EXPECT_EQ(utf8_to_document_set(c.typed, c.set, converted, valid), c.complete);
        EXPECT_EQ(valid, c.valid);
        if (c.complete) EXPECT_EQ(converted, c.converted);
    }
}

// Narrowing the keyword list of a shelf: keywords that begin with the typed text before those
// holding it, letter case and umlauts folded in each file's own set, one row per hypertext, and
// one more typed character looking only at the previous result.
#include "app/keyword_matches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalogue.h"
#include "fixture/hyp_builder.h"
#include "fixture/temp_dir.h"

namespace {

// An Atari file (a) and a Macintosh file (b). Their umlauts are stored in their own sets:
// Ä is 0x8E in the Atari set and 0x80 in the Macintosh set, ä is 0x84 and 0x8A, ß 0x9E and 0xA7.
struct ShelfOfTwo {
    ShelfOfTwo() {
        fixture::HypBuilder a;
        for (const char* name : {"Fsfirst", "Fsnext", "Halfsize", "\x8E" "nderung", "Stra\x9E" "e",
                                 "GROSS", "Dfree", "Systest"}) {
            a.node(name, fixture::text_page({"text"}));
        }
        fixture::HypBuilder b;
        b.os(3);
        for (const char* name : {"fsfirst", "\x8A" "nderung", "Strasse"}) {
            b.node(name, fixture::text_page({"text"}));
        }
        paths = {dir.write("a.hyp", a.build()), dir.write("b.hyp", b.build())};
        catalogue.build(paths);
    }

    // Rows [from, to) of `m` as "a:Fsfirst" (file letter, keyword in its own set); `whole_only`
    // keeps those whose keyword is the typed text itself.
    std::vector<std::string> names(const KeywordMatches& m, size_t from, size_t to,
                                   bool whole_only = false) const {
        std::vector<std::string> out;
        for (size_t i = from; i < to; ++i) {
            if (whole_only && !m.whole(catalogue, i)) continue;
            const CatalogueRow& r = catalogue.rows()[m.rows()[i]];
            out.push_back(std::string(1, static_cast<char>('a' + r.file)) + ":" +
                          catalogue.keyword(r).text);
        }
        return out;
    }

    fixture::TempDir dir{"kwm"};
    std::vector<std::string> paths;
    Catalogue catalogue;
};

TEST(KeywordMatches, PrefixBeforeContainsWithFolding) {
    ShelfOfTwo shelf;
    struct Case {
        const char* name;
        SearchText typed;  // as the window hands it: Windows set (Ä 0xC4, ä 0xE4, ß 0xDF)
        std::vector<std::string> prefix;
        std::vector<std::string> inside;
        std::vector<std::string> whole;  // of prefix: the keyword is the text itself
    };
    const std::vector<std::string> both_aenderung = {"a:\x8E" "nderung", "b:\x8A" "nderung"};
    const Case cases[] = {
        // Sorted as the screen shows the folded texts; equal texts by file. Umlauts and sharp s
        // (Windows 0xE4, 0xDF) sort after the plain letters.
        {"empty text: every row in order",
         "",
         {"a:Dfree", "a:Fsfirst", "b:fsfirst", "a:Fsnext", "a:GROSS", "a:Halfsize", "b:Strasse",
          "a:Stra\x9E" "e", "a:Systest", "a:\x8E" "nderung", "b:\x8A" "nderung"},
         {},
         {}},
        {"beginning, then holding; one row per file",
         "fs",
         {"a:Fsfirst", "b:fsfirst", "a:Fsnext"},
         {"a:Halfsize"},
         {}},
        {"capitals typed", "FSF", {"a:Fsfirst", "b:fsfirst"}, {}, {}},
        {"the whole keyword", "fsfirst", {"a:Fsfirst", "b:fsfirst"}, {}, {"a:Fsfirst", "b:fsfirst"}},
        {"small umlaut finds capital and small in both sets", "\xE4nd", both_aenderung, {}, {}},
        {"capital umlaut typed", "\xC4NDERUNG", both_aenderung, {}, both_aenderung},
        {"sharp s is its own letter", "stra\xDF", {"a:Stra\x9E" "e"}, {}, {}},
        {"ss is not sharp s", "ss", {}, {"a:GROSS", "b:Strasse"}, {}},
        {"typed in UTF-8 (as the converter takes it)",
         SearchText(std::string(), "\xC3\x84nderung"), both_aenderung, {}, both_aenderung},
        {"nothing", "xyz", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeywordMatches m;
        ASSERT_TRUE(m.narrow(shelf.catalogue, c.typed));
        EXPECT_EQ(shelf.names(m, 0, m.prefix_count()), c.prefix);
        EXPECT_EQ(shelf.names(m, m.prefix_count(), m.rows().size()), c.inside);
        EXPECT_EQ(shelf.names(m, 0, m.rows().size(), true), c.whole);
    }
}

TEST(KeywordMatches, OneMoreCharacterLooksAtThePreviousResultOnly) {
    ShelfOfTwo shelf;
    const size_t all = shelf.catalogue.rows().size();
    struct Step {
        const char* name;
        SearchText typed;
        size_t examined;  // rows looked at
        size_t found;
    };
    // "s" is in 8 keywords; "st" in the two Stra..., Systest and Fsfirst twice; "str" in two.
    // Systest began with "s" but holds "st" further on: it joins the Fsfirst rows in order.
    const Step steps[] = {
        {"first character: every row", "s", all, 8},
        {"one more: the 8 of before", "st", 8, 5},
        {"capital typed over: every row again", "St", all, 5},
        {"one more again", "Str", 5, 2},
        {"a character taken back: every row", "St", all, 5},
    };
    KeywordMatches m;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        ASSERT_TRUE(m.narrow(shelf.catalogue, s.typed));
        EXPECT_EQ(m.examined(), s.examined);
        EXPECT_EQ(m.rows().size(), s.found);
        // Narrowed from the previous result or afresh, the rows are the same.
        KeywordMatches fresh;
        ASSERT_TRUE(fresh.narrow(shelf.catalogue, s.typed));
        EXPECT_EQ(m.rows(), fresh.rows());
        EXPECT_EQ(m.prefix_count(), fresh.prefix_count());
    }

    // Rows that changed (another shelf) are never narrowed from a stale result; an unchanged
    // shelf read again keeps its rows, and the result stays good.
    shelf.catalogue.build(shelf.paths);
    ASSERT_TRUE(m.narrow(shelf.catalogue, "Stra"));
    EXPECT_EQ(m.examined(), 5u) << "unchanged shelf";
    shelf.catalogue.build({shelf.paths[0]});
    ASSERT_TRUE(m.narrow(shelf.catalogue, "Stra\xDF"));
    EXPECT_EQ(m.examined(), 8u) << "the Atari file alone: each of its rows";
    EXPECT_EQ(m.rows().size(), 1u);
}

}  // namespace

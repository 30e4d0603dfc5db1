// Gathering a hypertext's keywords: the REF file's nodes, aliases and labels, the index's node
// names and the index page's link symbols, each once and only where the viewer can open them.
#include "app/hypertext_keywords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "fixture/ref_builder.h"
#include "fixture/temp_dir.h"
#include "hyp/document.h"

namespace {

using fixture::HypBuilder;
using fixture::LinkKind;
using fixture::PageBuilder;

// Entries of the fixture file, in index order.
constexpr uint16_t kMain = 0;
constexpr uint16_t kFsfirst = 1;
constexpr uint16_t kPopup = 2;
constexpr uint16_t kIndex = 3;

// A keyword as expected: text (in the Atari set), page, line, kind.
struct Expected {
    std::string text;
    uint16_t page;
    int32_t line;
    KeywordKind kind;
};

// The fixture: three pages, a popup and an image. The page "Index" links to Fsfirst by two
// texts of its own (one with a line, its "ü" as the Atari set's 0x81) and by one the REF file
// knows; `index_option` writes "-i" into its options, which makes those links symbols.
HypBuilder fixture_file(bool index_option, bool with_database) {
    HypBuilder b;
    if (with_database) b.ext_text(fixture::ext::kDatabase, "Demo-Buch");
    if (index_option) b.ext_text(fixture::ext::kOptions, "-s -i");
    b.node("Main", fixture::text_page({"Start page"}));
    b.node("Fsfirst", fixture::text_page({"first file", "", "errors"}));
    b.popup("Popup note", fixture::text_page({"a note"}));
    PageBuilder index;
    index.link(LinkKind::Link, kFsfirst, "Datei suchen").end_line();
    index
        .link(LinkKind::LinkLine, kFsfirst,
              "R\x81"
              "ckgabe",
              7)
        .end_line();
    index.link(LinkKind::Link, kFsfirst, "Suche").end_line();
    index.link(LinkKind::Link, kPopup, "Notiz").end_line();
    b.node("Index", index.bytes());
    b.image(fixture::bytes_of("not drawn"));
    return b;
}

// Its REF file: aliases and labels of pages, of the popup and of a node the file lacks.
fixture::RefBuilder fixture_ref() {
    fixture::RefBuilder r;
    r.module().file_name("k").database("Demo").compiled_on(2);
    r.node("Main").alias("Start");
    r.node("Fsfirst").label("Fehler", 12).alias("Suche").alias("Start");
    r.node("Popup note").label("Hidden", 3);
    r.node("Elsewhere").alias("Gone");
    return r;
}

TEST(GatherKeywords, FromRefFileIndexAndIndexPage) {
    struct Case {
        const char* name;
        bool with_ref;
        bool index_option;
        std::vector<Expected> expected;
    };
    const std::vector<Expected> index_page_symbols = {
        {"Datei suchen", kFsfirst, 0, KeywordKind::Alias},
        {"R\x81"
         "ckgabe",
         kFsfirst, 7, KeywordKind::Label},
    };
    // What the REF file names, in its order, then the index names it does not.
    const std::vector<Expected> ref_rows = {
        {"Main", kMain, 0, KeywordKind::Node},       {"Start", kMain, 0, KeywordKind::Alias},
        {"Fsfirst", kFsfirst, 0, KeywordKind::Node}, {"Fehler", kFsfirst, 12, KeywordKind::Label},
        {"Suche", kFsfirst, 0, KeywordKind::Alias},  {"Start", kFsfirst, 0, KeywordKind::Alias},
        {"Index", kIndex, 0, KeywordKind::Node}};
    std::vector<Case> cases = {
        {"REF file, then index names, then index page symbols", true, true, ref_rows},
        {"REF file without index symbols", true, false, ref_rows},
        {"no REF file: index names and index page symbols",
         false,
         true,
         {{"Main", kMain, 0, KeywordKind::Node},
          {"Fsfirst", kFsfirst, 0, KeywordKind::Node},
          {"Index", kIndex, 0, KeywordKind::Node},
          {"Datei suchen", kFsfirst, 0, KeywordKind::Alias},
          {"R\x81"
           "ckgabe",
           kFsfirst, 7, KeywordKind::Label},
          {"Suche", kFsfirst, 0, KeywordKind::Alias}}},
        {"no REF file, no index symbols: the index names alone",
         false,
         false,
         {{"Main", kMain, 0, KeywordKind::Node},
          {"Fsfirst", kFsfirst, 0, KeywordKind::Node},
          {"Index", kIndex, 0, KeywordKind::Node}}},
    };
    // With the REF file the index page's own texts follow its entries ("Suche" is known there).
    cases[0].expected.insert(cases[0].expected.end(), index_page_symbols.begin(),
                             index_page_symbols.end());

    for (const Case& c : cases) {
        fixture::TempDir dir("kw");
        const std::string path = dir.write("k.hyp", fixture_file(c.index_option, true).build());
        if (c.with_ref) dir.write("k.ref", fixture_ref().build());
        HypDocument doc;
        int32_t page = -1;
        ASSERT_TRUE(open_hypertext(doc, path, std::nullopt, -1, page)) << c.name;
        const HypertextKeywords got = gather_keywords(doc);
        ASSERT_EQ(got.keywords.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            const Keyword& k = got.keywords[i];
            const Expected& e = c.expected[i];
            EXPECT_EQ(k.text, e.text) << c.name << " #" << i;
            EXPECT_EQ(k.page, e.page) << c.name << " #" << i << " " << e.text;
            EXPECT_EQ(k.line, e.line) << c.name << " #" << i << " " << e.text;
            EXPECT_EQ(k.kind, e.kind) << c.name << " #" << i << " " << e.text;
        }
        EXPECT_EQ(got.page_count, 3u) << c.name;
        ASSERT_EQ(got.page_names.size(), 5u) << c.name;
        EXPECT_EQ(got.page_names[kFsfirst], "Fsfirst") << c.name;
        EXPECT_EQ(got.page_names[kPopup], "") << c.name << ": a popup is no page";
        // The index page was loaded for the scan only.
        EXPECT_TRUE(doc.index[kIndex].page_data.empty()) << c.name;
    }
}

TEST(GatherKeywords, TitleAndCharacterSet) {
    struct Case {
        const char* name;
        bool with_database;
        uint8_t os;
        std::string title;
        uint8_t source_charset;
    };
    const Case cases[] = {
        {"@database of an Atari file", true, 2, "Demo-Buch", 0},
        {"no @database: empty (the shelf shows the file name)", false, 2, "", 0},
        {"Macintosh file", true, 3, "Demo-Buch", 1},
    };
    for (const Case& c : cases) {
        fixture::TempDir dir("kwt");
        HypBuilder b = fixture_file(false, c.with_database);
        b.os(c.os);
        const std::string path = dir.write("k.hyp", b.build());
        HypDocument doc;
        int32_t page = -1;
        ASSERT_TRUE(open_hypertext(doc, path, std::nullopt, -1, page)) << c.name;
        const HypertextKeywords got = gather_keywords(doc);
        EXPECT_EQ(got.title, c.title) << c.name;
        EXPECT_EQ(got.source_charset, c.source_charset) << c.name;
    }
}

}  // namespace

// Gathering a hypertext's keywords: the REF file's nodes, aliases and labels, the index's node
// names and the index page's link symbols, each once and only where the viewer can open them.
#include "app/hypertext_keywords.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "fixture/ref_builder.h"
#include "fixture/temp_dir.h"
#include "hyp/document.h"

namespace {

using fixture::LinkKind;

// Entries of the fixture file, in index order.
constexpr uint16_t kMain = 0;
constexpr uint16_t kFsfirst = 1;
constexpr uint16_t kPopup = 2;
constexpr uint16_t kIndex = 3;

// A keyword as text (in the Atari set), page, line, kind.
using Expected = std::tuple<std::string, uint16_t, int32_t, KeywordKind>;
constexpr KeywordKind kNode = KeywordKind::Node;
constexpr KeywordKind kAlias = KeywordKind::Alias;
constexpr KeywordKind kLabel = KeywordKind::Label;
const char* const kRueckgabe = "R\x81" "ckgabe";  // "ü" as the Atari set's 0x81

// The fixture: three pages, a popup and an image. The page "Index" links to Fsfirst by two
// texts of its own (one with a line) and by one the REF file knows; `index_option` writes "-i"
// into its options, which makes those links symbols.
fixture::HypBuilder fixture_file(bool index_option, bool with_database, uint8_t os) {
    fixture::HypBuilder b;
    b.os(os);
    if (with_database) b.ext_text(fixture::ext::kDatabase, "Demo-Buch");
    if (index_option) b.ext_text(fixture::ext::kOptions, "-s -i");
    b.node("Main", fixture::text_page({"Start page"}));
    b.node("Fsfirst", fixture::text_page({"first file", "", "errors"}));
    b.popup("Popup note", fixture::text_page({"a note"}));
    fixture::PageBuilder index;
    index.link(LinkKind::Link, kFsfirst, "Datei suchen").end_line();
    index.link(LinkKind::LinkLine, kFsfirst, kRueckgabe, 7).end_line();
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
        bool with_ref, index_option, with_database;
        uint8_t os;
        std::vector<Expected> keywords;
        std::string title;
        uint8_t source_charset;
    };
    const std::vector<Expected> index_names = {
        {"Main", kMain, 0, kNode}, {"Fsfirst", kFsfirst, 0, kNode}, {"Index", kIndex, 0, kNode}};
    // What the REF file names, in its order, then the index names it does not.
    const std::vector<Expected> ref_rows = {
        {"Main", kMain, 0, kNode},       {"Start", kMain, 0, kAlias},
        {"Fsfirst", kFsfirst, 0, kNode}, {"Fehler", kFsfirst, 12, kLabel},
        {"Suche", kFsfirst, 0, kAlias},  {"Start", kFsfirst, 0, kAlias},
        {"Index", kIndex, 0, kNode}};
    const Expected datei{"Datei suchen", kFsfirst, 0, kAlias};
    const Expected rueckgabe{kRueckgabe, kFsfirst, 7, kLabel};
    std::vector<Expected> ref_and_symbols = ref_rows;  // "Suche" the REF file knows already
    ref_and_symbols.insert(ref_and_symbols.end(), {datei, rueckgabe});
    std::vector<Expected> names_and_symbols = index_names;
    names_and_symbols.insert(names_and_symbols.end(),
                             {datei, rueckgabe, {"Suche", kFsfirst, 0, kAlias}});
    const Case cases[] = {
        {"REF file, then index names, then index page symbols", true, true, true, 2,
         ref_and_symbols, "Demo-Buch", 0},
        {"REF file without index symbols", true, false, true, 2, ref_rows, "Demo-Buch", 0},
        {"no REF file: index names and index page symbols", false, true, true, 2,
         names_and_symbols, "Demo-Buch", 0},
        {"no REF file, no index symbols: the index names alone", false, false, true, 2,
         index_names, "Demo-Buch", 0},
        {"no @database: empty title (the shelf shows the file name)", false, false, false, 2,
         index_names, "", 0},
        {"Macintosh file", false, false, true, 3, index_names, "Demo-Buch", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::TempDir dir("kw");
        const std::string path =
            dir.write("k.hyp", fixture_file(c.index_option, c.with_database, c.os).build());
        if (c.with_ref) dir.write("k.ref", fixture_ref().build());
        HypDocument doc;
        int32_t page = -1;
        ASSERT_TRUE(open_hypertext(doc, path, std::nullopt, -1, page));
        const HypertextKeywords got = gather_keywords(doc);
        std::vector<Expected> keywords;
        for (const Keyword& k : got.keywords) keywords.emplace_back(k.text, k.page, k.line, k.kind);
        EXPECT_EQ(keywords, c.keywords);
        EXPECT_EQ(got.title, c.title);
        EXPECT_EQ(got.source_charset, c.source_charset);
        EXPECT_EQ(got.page_count, 3u);
        EXPECT_EQ(got.page_names, (std::vector<std::string>{"Main", "Fsfirst", "", "Index", ""}))
            << "a popup and an image are no pages";
        // The index page was loaded for the scan only.
        EXPECT_TRUE(doc.index[kIndex].page_data.empty());
    }
}

}  // namespace

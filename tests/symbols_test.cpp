// Completing the symbol list from page links: flags for ordinary and index pages, entries the
// index page adds, targets that never count, and the skipping of every other page code.
#include "hyp/symbols.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "fixture/ref_builder.h"
#include "fixture/temp_dir.h"
#include "hyp/document.h"
#include "hyp/page_loader.h"
#include "hyp/ref_file.h"

namespace {

using Bytes = std::vector<uint8_t>;
using fixture::HypBuilder;
using fixture::LinkKind;
using fixture::PageBuilder;

// Each test's scratch folder, named after this suite.
class TempDir : public fixture::TempDir {
   public:
    TempDir() : fixture::TempDir("sym") {}
};

struct Sym {
    uint8_t kind;
    uint8_t length;
    uint8_t flags;
    int32_t line;
    Bytes name;
};

Bytes text_bytes(const std::string& text) {
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

// Opens the hypertext (with its REF file, when given) and collects the page symbols.
void collect(const TempDir& dir, const HypBuilder& b, const fixture::RefBuilder* ref,
             HypDocument& doc) {
    const std::string path = dir.write("s.hyp", b.build());
    std::remove(dir.file("s.ref").c_str());
    if (ref) dir.write("s.ref", ref->build());
    int32_t page = -1;
    ASSERT_TRUE(open_hypertext(doc, path, std::nullopt, -1, page));
    load_ref_file(doc);
    collect_page_symbols(doc, load_page);
}

void expect_symbols(const HypDocument& doc, const std::vector<Sym>& expected, const char* name) {
    ASSERT_EQ(doc.symbols.size(), expected.size()) << name;
    for (size_t i = 0; i < expected.size(); ++i) {
        const SymbolEntry& s = doc.symbols[i];
        EXPECT_EQ(s.kind, expected[i].kind) << name << " #" << i;
        EXPECT_EQ(s.length, expected[i].length) << name << " #" << i;
        EXPECT_EQ(s.flags, expected[i].flags) << name << " #" << i;
        EXPECT_EQ(s.line, expected[i].line) << name << " #" << i;
        EXPECT_EQ(s.name, expected[i].name) << name << " #" << i;
    }
}

TEST(CollectPageSymbols, FlagsAndAddedEntries) {
    TempDir dir;
    struct Case {
        const char* name;
        bool index_option;
        std::string index_name;  // name of entry 1, the page with the links
        PageBuilder links;
        std::vector<Sym> expected;  // after the REF file's four symbols
        uint8_t alias_flags;        // flags of the REF alias "Known"
        uint8_t label_flags;        // flags of the REF label "Spot" (line 3)
    };
    std::vector<Case> cases;
    {
        PageBuilder p;
        p.link(LinkKind::Link, 0, "Known").end_line();
        cases.push_back({"ordinary page marks a known alias", false, "Index", p, {}, 5, 4});
    }
    {
        PageBuilder p;
        p.link(LinkKind::Alink, 0, "Unknown").end_line();
        cases.push_back({"ordinary page adds nothing", true, "Links", p, {}, 4, 4});
    }
    {
        PageBuilder p;
        p.link(LinkKind::Link, 0, "Known").end_line();
        cases.push_back({"index page marks with bit 1", true, "Index", p, {}, 6, 4});
    }
    {
        PageBuilder p;
        p.link(LinkKind::Link, 0, "Known").end_line();
        cases.push_back({"page named index is ordinary without -i", false, "Index", p, {}, 5, 4});
    }
    {
        PageBuilder p;
        p.link(LinkKind::LinkLine, 0, "Spot", 3).link(LinkKind::LinkLine, 0, "Known", 3);
        p.end_line();
        cases.push_back({"labels match by line", false, "X", p, {}, 4, 5});
    }
    {
        PageBuilder p;
        p.link(LinkKind::Link, 0, "Fresh").link(LinkKind::AlinkLine, 2, "Deep", 300).end_line();
        p.link(LinkKind::Link, 0, "Fresh").end_line();
        cases.push_back({"index page adds node and alias or label",
                         true,
                         "Index",
                         p,
                         {{1, 7, 2, -1, text_bytes("Main")},
                          {2, 8, 2, 0, text_bytes("Fresh")},
                          {1, 7, 2, -1, text_bytes("Last")},
                          {3, 9, 2, 300, {'D', 'e', 'e', 'p', 0, 1, 44}}},
                         4,
                         4});
    }
    {
        PageBuilder p;
        p.link(LinkKind::Link, 3, "ToImage").link(LinkKind::Link, 4, "ToExternal");
        p.link(LinkKind::Link, 5, "ToSystem").link(LinkKind::Link, 60000, "Nowhere");
        p.link_without_text(LinkKind::Link, 0, 0).link_without_text(LinkKind::Link, 0, 0, 10);
        p.end_line();
        cases.push_back({"targets that never count", true, "Index", p, {}, 4, 4});
    }
    {
        // Codes whose operands hold bytes that look like links must be skipped whole.
        const Bytes fake = {0x1B, 0x24, 1, 1, 32 + 5, 'F', 'a', 'k', 'e', 'd'};
        PageBuilder p;
        p.title("\x1B$\x01\x01%Faked");
        p.data_block(0, fake).xref(0, "\x1B$\x01\x01%Faked").tree(1, 2, 3, 4);
        p.picture(3, 0x1B, 0, false, 0x24).draw_line(0x1B, 0, 0, 0).box(0x1B, 0, 0x24, 1, 0);
        p.rbox(0x1B, 0, 0x24, 1).attributes(5).esc(0x1B).esc(0x40).literal_esc();
        p.text("plain").end_line();
        cases.push_back({"other codes are skipped", true, "Index", p, {}, 4, 4});
    }
    {
        // A stored length below the sequence's own three bytes must not stall the scan.
        PageBuilder p;
        p.raw(Bytes{0x1B, 0x28, 0x00}).raw(Bytes{0x1B, 0x30, 0x01});
        p.link(LinkKind::Link, 0, "Known").end_line();
        cases.push_back({"sized codes of length 0 and 1", false, "X", p, {}, 5, 4});
    }
    for (Case& c : cases) {
        ASSERT_TRUE(c.links.ok()) << c.name << ": " << c.links.error();
        HypBuilder b;
        if (c.index_option) b.ext_text(fixture::ext::kOptions, "-i");
        b.node("Main", fixture::text_page({"main"}));  // 0
        b.node(c.index_name, c.links.bytes());         // 1
        b.node("Last", fixture::text_page({"last"}));  // 2
        b.image(Bytes(16, 0), std::string("Pic"));     // 3
        b.reference(fixture::type::kExternal, "Ext");  // 4
        b.reference(fixture::type::kSystem, "Sys");    // 5
        fixture::RefBuilder ref;
        ref.file_name("s.hyp").node("Main").alias("Known").label("Spot", 3);
        HypDocument doc;
        collect(dir, b, &ref, doc);
        EXPECT_TRUE(doc.symbols_collected) << c.name;
        std::vector<Sym> expected = {{0, 8, 4, -1, text_bytes("s.hyp")},
                                     {1, 7, 5, -1, text_bytes("Main")},
                                     {2, 8, c.alias_flags, 0, text_bytes("Known")},
                                     {3, 9, c.label_flags, 3, {'S', 'p', 'o', 't', 0, 0, 3}}};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        expect_symbols(doc, expected, c.name);
        for (const IndexEntry& e : doc.index) {
            EXPECT_TRUE(e.page_data.empty()) << c.name << ": scanned pages are dropped";
        }
    }
}

// Pages are scanned from the last to the first, so an index page late in the file adds its
// entries before an earlier page marks them.
TEST(CollectPageSymbols, OrderAndPagesHeldByOthers) {
    TempDir dir;
    PageBuilder early;
    early.link(LinkKind::Link, 2, "Word").end_line();
    PageBuilder index;
    index.link(LinkKind::Link, 0, "Word").end_line();
    HypBuilder b;
    b.ext_text(fixture::ext::kOptions, "-i");
    b.popup("Early", early.bytes());  // 0: a popup is scanned like a node
    b.node("Other", fixture::text_page({"x"}));
    b.node("Index", index.bytes());  // 2
    HypDocument doc;
    const std::string path = dir.write("o.hyp", b.build());
    int32_t page = -1;
    ASSERT_TRUE(open_hypertext(doc, path, std::nullopt, -1, page));
    load_page(doc, 1);  // the page on screen
    collect_page_symbols(doc, load_page);
    ASSERT_EQ(doc.symbols.size(), 2u);
    EXPECT_EQ(symbol_text(doc.symbols[0]), "Early");
    EXPECT_EQ(symbol_text(doc.symbols[1]), "Word");
    EXPECT_EQ(doc.symbols[1].flags, SYMBOL_FLAG_INDEX | SYMBOL_FLAG_USED);
    EXPECT_FALSE(doc.index[1].page_data.empty()) << "a page loaded before stays loaded";
}

// Pages cut anywhere, even inside a sequence, are scanned without reading past them.
TEST(CollectPageSymbols, CutPages) {
    TempDir dir;
    PageBuilder p;
    p.text("a").link(LinkKind::LinkLine, 0, "Text", 2).title("T").data_block(1, {1, 2, 3});
    p.link(LinkKind::Link, 0, "More").end_line();
    const Bytes whole = p.bytes();
    for (size_t size = 0; size <= whole.size(); ++size) {
        HypBuilder b;
        b.ext_text(fixture::ext::kOptions, "-i");
        b.node("Index", fixture::truncated(whole, size), fixture::Storage::Raw);
        HypDocument doc;
        int32_t page = -1;
        ASSERT_TRUE(open_hypertext(doc, dir.write("c.hyp", b.build()), std::nullopt, -1, page));
        collect_page_symbols(doc, load_page);
        EXPECT_LE(doc.symbols.size(), 4u) << size;
    }
}

}  // namespace

// REF files: the symbol list they give, name resolution through aliases and labels, files that
// are missing or foreign, and damaged modules that must be read only as far as they reach.
#include "hyp/ref_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/ref_builder.h"
#include "fixture/temp_dir.h"
#include "hyp/document.h"

namespace {

using Bytes = std::vector<uint8_t>;
using fixture::RefBuilder;

// Each test's scratch folder, named after this suite.
class TempDir : public fixture::TempDir {
   public:
    TempDir() : fixture::TempDir("ref") {}
};

struct Sym {
    uint8_t kind;
    uint8_t length;
    uint8_t flags;
    int32_t line;
    std::string text;
};

std::vector<Sym> symbols_of(const HypDocument& doc) {
    std::vector<Sym> out;
    for (const SymbolEntry& s : doc.symbols) {
        out.push_back({s.kind, s.length, s.flags, s.line, symbol_text(s)});
    }
    return out;
}

void expect_symbols(const HypDocument& doc, const std::vector<Sym>& expected, const char* name) {
    const std::vector<Sym> got = symbols_of(doc);
    ASSERT_EQ(got.size(), expected.size()) << name;
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].kind, expected[i].kind) << name << " #" << i;
        EXPECT_EQ(got[i].length, expected[i].length) << name << " #" << i;
        EXPECT_EQ(got[i].flags, expected[i].flags) << name << " #" << i;
        EXPECT_EQ(got[i].line, expected[i].line) << name << " #" << i;
        EXPECT_EQ(got[i].text, expected[i].text) << name << " #" << i;
    }
}

TEST(LoadRefFile, SymbolListOfEveryKind) {
    TempDir dir;
    RefBuilder r;
    r.module().file_name("demo.hyp").database("Demo").compiled_on(2).node("Start");
    r.alias("Begin").label("here", 12).entry(9, {'x', 0});
    r.module().file_name("other.hyp").node("Far");
    dir.write("demo.ref", r.build());
    HypDocument doc;
    doc.path = dir.file("demo.hyp");
    ASSERT_TRUE(load_ref_file(doc));
    expect_symbols(doc,
                   {{0, 11, 4, -1, "demo.hyp"},
                    {4, 7, 4, -1, "Demo"},
                    {5, 4, 4, -1, "2"},
                    {1, 8, 5, -1, "Start"},
                    {2, 8, 4, 0, "Begin"},
                    {3, 9, 4, 12, "here"},
                    {9, 4, 4, -1, "x"},
                    {0, 12, 4, -1, "other.hyp"},
                    {1, 6, 5, -1, "Far"}},
                   "every kind");
    EXPECT_EQ(doc.symbols[5].name, (Bytes{'h', 'e', 'r', 'e', 0, 0, 12})) << "label payload";
    // A second call on the same document adds nothing.
    ASSERT_TRUE(load_ref_file(doc));
    EXPECT_EQ(doc.symbols.size(), 9u);
}

TEST(LoadRefFile, RefusedFiles) {
    TempDir dir;
    struct Case {
        const char* name;
        std::optional<Bytes> bytes;  // none: no file
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt},
        {"empty", Bytes{}},
        {"three bytes", fixture::bytes_of("HRE")},
        {"lower-case magic", RefBuilder().magic("href").node("A").build()},
        {"HYP magic", RefBuilder().magic("HDOC").node("A").build()},
    };
    for (const Case& c : cases) {
        HypDocument doc;
        doc.path = dir.file("x.hyp");
        std::remove(dir.file("x.ref").c_str());
        if (c.bytes) dir.write("x.ref", *c.bytes);
        EXPECT_FALSE(load_ref_file(doc)) << c.name;
        EXPECT_TRUE(doc.symbols.empty()) << c.name;
    }
    // "HREF" directly followed by a zero module header: an empty list, read successfully.
    HypDocument doc;
    doc.path = dir.file("x.hyp");
    dir.write("x.ref", RefBuilder().build());
    EXPECT_TRUE(load_ref_file(doc));
    EXPECT_TRUE(doc.symbols.empty());
}

#ifndef _WIN32
TEST(LoadRefFile, FileNameMatchesIgnoringCase) {
    TempDir dir;
    dir.write("LED.REF", RefBuilder().node("Main").build());
    HypDocument doc;
    doc.path = dir.file("LED.HYP");
    EXPECT_TRUE(load_ref_file(doc));
    EXPECT_EQ(doc.symbols.size(), 1u);
}
#endif

// Damaged modules: entries are read only inside the data the module really has.
TEST(LoadRefFile, DamagedModules) {
    TempDir dir;
    struct Case {
        const char* name;
        RefBuilder ref;
        std::vector<std::string> texts;  // texts of the symbols that must be read
    };
    std::vector<Case> cases;
    {
        RefBuilder r;
        r.module().node("A").alias("B").entry_count_field(1000);
        r.module().node("C");
        cases.push_back({"entry count past the module", r, {"A", "B", "C"}});
    }
    {
        RefBuilder r;
        r.module().node("A").entry(2, {'B', 0}, 1).node("Lost");
        r.module().node("C");
        cases.push_back({"entry length below 2", r, {"A", "C"}});
    }
    {
        RefBuilder r;
        r.module().node("A").entry(2, {'B', 0}, 0);
        cases.push_back({"entry length 0", r, {"A"}});
    }
    {
        RefBuilder r;
        r.module().node("A").entry(2, {'B', 0}, 200);
        r.module().node("C");
        cases.push_back({"entry past its module", r, {"A", "C"}});
    }
    {
        RefBuilder r;
        r.module().node("A").entry(2, {'N', 'o', 'N', 'u', 'l'});
        cases.push_back({"text without NUL", r, {"A", "NoNul"}});
    }
    {
        RefBuilder r;
        r.module().node("A").entry(3, {'L'}).entry(3, {});
        cases.push_back({"labels too short for a line", r, {"A", "L", ""}});
    }
    {
        RefBuilder r;
        r.module().node("A").alias("B").module_length_field(0x7FFFFFFF).terminator(false);
        cases.push_back({"module longer than the file", r, {"A", "B"}});
    }
    {
        RefBuilder r;
        r.module().node("A").alias("B").module_length_field(5);
        cases.push_back({"module shorter than its entries", r, {"A"}});
    }
    {
        RefBuilder r;
        r.module().node("A").terminator(false).trailing({0, 0, 0});
        cases.push_back({"cut module header at the end", r, {"A"}});
    }
    for (const Case& c : cases) {
        HypDocument doc;
        doc.path = dir.file("d.hyp");
        dir.write("d.ref", c.ref.build());
        EXPECT_TRUE(load_ref_file(doc)) << c.name;
        std::vector<std::string> texts;
        for (const SymbolEntry& s : doc.symbols) texts.push_back(symbol_text(s));
        EXPECT_EQ(texts, c.texts) << c.name;
    }
    // Every prefix of a REF file is read without trouble.
    RefBuilder r;
    r.module().file_name("d.hyp").node("Start").alias("a").label("b", 3).module().node("X");
    const Bytes whole = r.build();
    for (size_t size = 0; size <= whole.size(); ++size) {
        HypDocument doc;
        doc.path = dir.file("d.hyp");
        dir.write("d.ref", fixture::truncated(whole, size));
        EXPECT_EQ(load_ref_file(doc), size >= 4) << size;
        EXPECT_LE(doc.symbols.size(), 6u) << size;
    }
}

// --- resolution of the requested name, through open_hypertext ----------------------------------

struct ResolveCase {
    const char* name;
    RefBuilder ref;
    std::string requested;
    int32_t expected_page;
    int32_t expected_start_line;
};

TEST(LoadRefFile, ResolvesTheRequestedName) {
    TempDir dir;
    fixture::HypBuilder b;
    b.node("Main", fixture::text_page({"main"}));    // 0
    b.node("Start", fixture::text_page({"start"}));  // 1
    b.node("Other", fixture::text_page({"other"}));  // 2
    const std::string path = dir.write("res.hyp", b.build());

    std::vector<ResolveCase> cases;
    cases.push_back(
        {"label with line", RefBuilder().node("Start").label("intro", 12), "INTRO", 1, 12});
    cases.push_back(
        {"alias keeps the start line", RefBuilder().node("Start").alias("intro"), "INTRO", 1, 5});
    cases.push_back({"label with line 0 keeps the start line",
                     RefBuilder().node("Start").label("intro", 0), "intro", 1, 5});
    cases.push_back({"last matching entry wins",
                     RefBuilder().node("Start").alias("x").node("Other").label("X", 7), "x", 2, 7});
    cases.push_back({"current node carries over modules",
                     RefBuilder().module().node("Other").module().file_name("f").alias("later"),
                     "later", 2, 5});
    cases.push_back({"alias before any node is ignored", RefBuilder().alias("x"), "x", 0, -1});
    cases.push_back({"node names do not resolve", RefBuilder().node("Other"), "other", 2, 5});
    cases.push_back(
        {"no match leaves the name", RefBuilder().node("Start").alias("y"), "Main", 0, 5});
    cases.push_back({"resolved name unknown to the file",
                     RefBuilder().node("Elsewhere").label("z", 4), "z", 0, -1});
    for (const ResolveCase& c : cases) {
        dir.write("res.ref", c.ref.build());
        HypDocument doc;
        int32_t page = -1;
        ASSERT_TRUE(open_hypertext(doc, path, c.requested, 5, page)) << c.name;
        EXPECT_EQ(page, c.expected_page) << c.name;
        EXPECT_EQ(doc.start_line, c.expected_start_line) << c.name;
        EXPECT_FALSE(doc.symbols.empty()) << c.name;
    }
    // Without a requested name the REF file is not read.
    HypDocument doc;
    int32_t page = -1;
    ASSERT_TRUE(open_hypertext(doc, path, std::nullopt, 5, page));
    EXPECT_TRUE(doc.symbols.empty());
}

}  // namespace

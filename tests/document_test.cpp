// Opening hypertexts into the document model: header check, index and extended headers, the
// start entry by name, failures that keep the previous document, damaged files, export reopen,
// releasing, and finding other hypertext files.
#include "hyp/document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "fixture/ref_builder.h"
#include "fixture/temp_dir.h"
#include "hyp/message_text.h"
#include "hyp/page_loader.h"

namespace {

using Bytes = std::vector<uint8_t>;
using fixture::HypBuilder;
using fixture::HypLayout;

// Each test's scratch folder, named after this suite.
class TempDir : public fixture::TempDir {
   public:
    TempDir() : fixture::TempDir("doc") {}
};

std::string message(const char* format, const std::string& path) {
    std::string text = format;
    return text.replace(text.find("%s"), 2, path);
}

const char* const CANNOT_OPEN = "HYP-Datei konnte nicht geöffnet werden:\n\n%s";
const char* const NOT_HYP = "Keine HYP-Datei:\n\n%s";
const char* const DAMAGED = "Die HYP-Datei ist beschädigt:\n\n%s";

// A small sound file: two nodes, a popup, an image, an external reference.
HypBuilder sample_builder() {
    HypBuilder b;
    b.ext_text(fixture::ext::kDatabase, "Sample").ext_word(fixture::ext::kWidth, 70);
    b.node("Main", fixture::text_page({"First page", "with two lines"}));
    b.node("Second", fixture::text_page({"Second page"}));
    b.popup("Note", fixture::text_page({"A popup"}));
    b.image(Bytes(64, 0));
    b.reference(fixture::type::kExternal, "other.hyp/Main");
    return b;
}

// Opens a file into a fresh document with the given request; returns the success.
struct OpenResult {
    bool ok = false;
    int32_t current_page = -1;
};
OpenResult open(HypDocument& doc, const std::string& path,
                const std::optional<std::string>& requested = std::nullopt,
                int32_t current_page = -1, int32_t start_line = -1) {
    OpenResult r;
    r.current_page = current_page;
    r.ok = open_hypertext(doc, path, requested, start_line, r.current_page);
    return r;
}

// --- header check ---------------------------------------------------------------------------

TEST(OpenHypertext, RefusesWhatIsNoHypFile) {
    TempDir dir;
    const Bytes good = sample_builder().build();
    struct Case {
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases = {
        {"empty file", {}},
        {"eleven bytes", fixture::truncated(good, 11)},
        {"lower-case magic", HypBuilder(sample_builder()).magic("hdoc").build()},
        {"magic HDOX", HypBuilder(sample_builder()).magic("HDOX").build()},
        {"magic with NUL", HypBuilder(sample_builder()).magic(std::string("HDO\0", 4)).build()},
        {"text file", fixture::bytes_of("This is just some text, not a hypertext.\n")},
    };
    for (const Case& c : cases) {
        HypDocument doc;
        const std::string path = dir.write("case.hyp", c.bytes);
        message_text.clear();
        EXPECT_FALSE(open(doc, path).ok) << c.name;
        EXPECT_EQ(message_text, message(NOT_HYP, path)) << c.name;
    }
}

TEST(OpenHypertext, MissingFileCannotBeOpened) {
    TempDir dir;
    HypDocument doc;
    const std::string path = dir.file("absent.hyp");
    OpenResult r = open(doc, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(message_text, message(CANNOT_OPEN, path));
    EXPECT_EQ(r.current_page, 0);  // an undetermined start becomes 0 in every case
}

// A failed open leaves the shown document exactly as it was.
TEST(OpenHypertext, FailureKeepsThePreviousDocument) {
    TempDir dir;
    const std::string good = dir.write("good.hyp", sample_builder().build());
    Bytes damaged = sample_builder().build();
    fixture::put_be32(damaged, fixture::hdr::kIndexLength, 1000000);
    struct Case {
        const char* name;
        std::string path;
        const char* format;
    };
    const std::vector<Case> cases = {
        {"missing file", dir.file("absent.hyp"), CANNOT_OPEN},
        {"text file", dir.write("text.hyp", fixture::bytes_of("plain text, long enough")), NOT_HYP},
        {"damaged index", dir.write("damaged.hyp", damaged), DAMAGED},
    };
    for (const Case& c : cases) {
        HypDocument doc;
        ASSERT_TRUE(open(doc, good).ok);
        load_page(doc, 1);
        doc.symbols.push_back(SymbolEntry{});
        const uint16_t count = doc.header.index_count;
        int32_t page = 1;
        EXPECT_FALSE(open_hypertext(doc, c.path, std::string("Second"), 7, page)) << c.name;
        EXPECT_EQ(message_text, message(c.format, c.path)) << c.name;
        EXPECT_EQ(page, 1) << c.name;
        EXPECT_EQ(doc.path, good) << c.name;
        EXPECT_EQ(doc.header.index_count, count) << c.name;
        EXPECT_EQ(std::memcmp(doc.header.magic, "HDOC", 4), 0) << c.name;
        ASSERT_EQ(doc.index.size(), 5u) << c.name;
        EXPECT_EQ(doc.index[1].name.value_or(""), "Second") << c.name;
        EXPECT_FALSE(doc.index[1].page_data.empty()) << c.name;
        EXPECT_EQ(doc.line_width, 70) << c.name;
        EXPECT_EQ(doc.ext_headers.size(), 3u) << c.name;
        EXPECT_EQ(doc.symbols.size(), 1u) << c.name;
        EXPECT_EQ(doc.start_line, -1) << c.name;
    }
}

// --- index records and extended headers -------------------------------------------------------

TEST(OpenHypertext, ReadsIndexRecords) {
    TempDir dir;
    HypBuilder b;
    b.os(3).hcp_version(5);
    fixture::HypEntry e;
    e.name = "Main";
    e.data = fixture::text_page({"x"});
    e.storage = fixture::Storage::Raw;
    e.next = 1;
    e.previous = 0;
    e.toc = 2;
    b.add(e);
    e.name.reset();  // entry_length 14: no name
    e.next = 2;
    e.previous = 0;
    b.add(e);
    e.name = "";  // entry_length 15: empty name
    b.add(e);
    HypLayout layout;
    const std::string path = dir.write("a.hyp", b.build(&layout));
    HypDocument doc;
    ASSERT_TRUE(open(doc, path).ok) << message_text;
    EXPECT_EQ(doc.header.index_count, 3);
    EXPECT_EQ(doc.header.hcp_version, 5);
    EXPECT_EQ(doc.header.os, 3);
    EXPECT_EQ(doc.source_charset, CHARSET_MAC);
    ASSERT_EQ(doc.index.size(), 3u);
    EXPECT_EQ(doc.index[0].entry_length, 19);
    EXPECT_EQ(doc.index[0].name.value_or("?"), "Main");
    EXPECT_EQ(doc.index[0].next, 1);
    EXPECT_EQ(doc.index[0].toc, 2);
    EXPECT_EQ(doc.index[0].seek_offset, layout.object_offset[0]);
    EXPECT_EQ(doc.index[1].entry_length, 14);
    EXPECT_FALSE(doc.index[1].name.has_value());
    EXPECT_EQ(doc.index[2].entry_length, 15);
    ASSERT_TRUE(doc.index[2].name.has_value());
    EXPECT_EQ(*doc.index[2].name, "");
    for (const IndexEntry& entry : doc.index) {
        EXPECT_EQ(entry.line_count, -1);
        EXPECT_EQ(entry.max_columns, -1);
        EXPECT_TRUE(entry.page_data.empty());
        EXPECT_TRUE(entry.links.empty());
    }
    EXPECT_EQ(doc.file, nullptr) << "the file is closed after opening";
}

TEST(OpenHypertext, SourceCharsetFollowsCompileSystem) {
    TempDir dir;
    const struct {
        uint8_t os;
        uint8_t charset;
    } cases[] = {{0, CHARSET_TOS}, {1, CHARSET_TOS}, {2, CHARSET_TOS}, {3, CHARSET_MAC},
                 {4, CHARSET_TOS}, {5, CHARSET_TOS}, {7, CHARSET_TOS}, {255, CHARSET_TOS}};
    for (const auto& c : cases) {
        HypDocument doc;
        const std::string path = dir.write("os.hyp", HypBuilder(sample_builder()).os(c.os).build());
        ASSERT_TRUE(open(doc, path).ok);
        EXPECT_EQ(doc.source_charset, c.charset) << "os " << int(c.os);
    }
}

TEST(OpenHypertext, SizesOfStoredObjects) {
    TempDir dir;
    HypBuilder b;
    fixture::HypEntry image;
    image.type = fixture::type::kImage;
    image.data = Bytes(10, 1);
    image.storage = fixture::Storage::Raw;
    image.comp_diff_field = 0x0010;
    image.next_field = 0x0002;
    b.add(image);
    fixture::HypEntry node = image;
    node.type = fixture::type::kNode;
    node.name = "N";
    b.add(node);
    fixture::HypEntry last;
    last.name = "Last";
    last.data = Bytes(7, 'a');
    last.storage = fixture::Storage::Raw;
    b.add(last);
    b.trailing(Bytes(5, 'z'));
    const std::string path = dir.write("s.hyp", b.build());
    HypDocument doc;
    ASSERT_TRUE(open(doc, path).ok);
    EXPECT_EQ(doc.index[0].size_difference, 0x00020010u) << "image: next is the high half";
    EXPECT_EQ(doc.index[1].size_difference, 16u) << "node: next is a page index";
    EXPECT_EQ(doc.index[1].next, 2);
    EXPECT_EQ(doc.index[0].stored_length, 10u);
    EXPECT_EQ(doc.index[2].stored_length, 12u) << "trailing bytes belong to the last object";
    EXPECT_EQ(unpacked_size(doc.index[0]), 10u + 0x00020010u);
}

TEST(OpenHypertext, ExtendedHeaderWords) {
    TempDir dir;
    struct Case {
        const char* name;
        std::function<void(HypBuilder&)> ext;
        uint16_t line_width;
        bool scrambled;
    };
    const std::vector<Case> cases = {
        {"no width", [](HypBuilder&) {}, 85, false},
        {"width 4B 00",
         [](HypBuilder& b) {
             b.ext(fixture::ext::kWidth, {0x4B, 0x00});
         },
         75, false},
        {"width 00 4B",
         [](HypBuilder& b) {
             b.ext(fixture::ext::kWidth, {0x00, 0x4B});
         },
         19200, false},
        {"width of four bytes",
         [](HypBuilder& b) {
             b.ext(fixture::ext::kWidth, {0x50, 0x00, 0x01, 0x02});
         },
         80, false},
        {"flags 0x0002", [](HypBuilder& b) { b.ext_word(fixture::ext::kFlags, 2); }, 85, true},
        {"flags 0x0003", [](HypBuilder& b) { b.ext_word(fixture::ext::kFlags, 3); }, 85, true},
        {"flags 0x0001", [](HypBuilder& b) { b.ext_word(fixture::ext::kFlags, 1); }, 85, false},
        {"flags 0x0004", [](HypBuilder& b) { b.ext_word(fixture::ext::kFlags, 4); }, 85, false},
        {"flags 0x0200 (big-endian 2)",
         [](HypBuilder& b) {
             b.ext(fixture::ext::kFlags, {0x00, 0x02});
         },
         85, false},
        {"flags of one byte", [](HypBuilder& b) { b.ext(fixture::ext::kFlags, {0x02}); }, 85, true},
        {"empty width record", [](HypBuilder& b) { b.ext(fixture::ext::kWidth, {}); }, 85, false},
        {"unknown types kept",
         [](HypBuilder& b) { b.ext(30, Bytes(8, 1)).ext(31, Bytes(4, 2)).ext(500, {}); }, 85,
         false},
        {"end record with trailing data",
         [](HypBuilder& b) {
             b.end_record(171, {0xAB, 0xCD});
         },
         85, false},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.node("Main", fixture::text_page({"x"}));
        c.ext(b);
        HypDocument doc;
        doc.line_width = 85;
        ASSERT_TRUE(open(doc, dir.write("e.hyp", b.build())).ok) << c.name << ": " << message_text;
        EXPECT_EQ(doc.line_width, c.line_width) << c.name;
        EXPECT_EQ(doc.pages_scrambled, c.scrambled) << c.name;
        EXPECT_EQ(doc.ext_headers.back().type, EXT_END) << c.name;
    }
}

TEST(OpenHypertext, KeepsExtendedHeadersInOrder) {
    TempDir dir;
    HypBuilder b;
    b.ext_text(fixture::ext::kDatabase, "DB").ext(40, Bytes{1, 2, 3}).ext(fixture::ext::kHelp, {});
    b.ext_text(fixture::ext::kOptions, "+z -i -s").end_record(33, {9, 9, 9});
    b.node("Main", fixture::text_page({"x"}));
    HypDocument doc;
    ASSERT_TRUE(open(doc, dir.write("o.hyp", b.build())).ok);
    ASSERT_EQ(doc.ext_headers.size(), 5u);
    EXPECT_EQ(doc.ext_headers[0].type, EXT_DATABASE);
    EXPECT_EQ(ext_header_text(doc.ext_headers[0]), "DB");
    EXPECT_EQ(doc.ext_headers[1].type, 40);
    EXPECT_EQ(doc.ext_headers[1].data, (Bytes{1, 2, 3}));
    EXPECT_EQ(doc.ext_headers[2].length, 0);
    EXPECT_TRUE(doc.ext_headers[2].data.empty());
    EXPECT_EQ(doc.ext_headers[4].type, EXT_END);
    EXPECT_EQ(doc.ext_headers[4].length, 33);
    EXPECT_TRUE(doc.ext_headers[4].data.empty()) << "the end record's data is not read";
    EXPECT_TRUE(doc.index_option);
    EXPECT_FALSE(doc.default_name.has_value()) << "no name requested";
}

TEST(OpenHypertext, IndexOption) {
    TempDir dir;
    const struct {
        const char* options;
        bool index;
    } cases[] = {{"-i", true},  {"-s -i", true}, {"x-iy", true},
                 {"-I", false}, {"-s", false},   {"", false}};
    for (const auto& c : cases) {
        HypBuilder b;
        b.ext_text(fixture::ext::kOptions, c.options);
        b.node("Main", fixture::text_page({"x"}));
        HypDocument doc;
        ASSERT_TRUE(open(doc, dir.write("i.hyp", b.build())).ok);
        EXPECT_EQ(doc.index_option, c.index) << '"' << c.options << '"';
    }
}

TEST(OpenHypertext, LastNodeIndex) {
    TempDir dir;
    {
        HypBuilder b;
        for (int i = 0; i <= 40; ++i) b.node("N" + std::to_string(i), fixture::text_page({"x"}));
        for (int i = 41; i <= 60; ++i) b.image(Bytes(16, 0));
        HypDocument doc;
        ASSERT_TRUE(open(doc, dir.write("n.hyp", b.build())).ok);
        EXPECT_EQ(doc.last_node_index, 40);
    }
    {
        HypBuilder b;
        b.popup("P", fixture::text_page({"x"}));
        b.image(Bytes(16, 0));
        HypDocument doc;
        ASSERT_TRUE(open(doc, dir.write("n.hyp", b.build())).ok);
        EXPECT_EQ(doc.last_node_index, 0) << "no node at all";
    }
}

// --- the entry shown first ---------------------------------------------------------------------

struct StartCase {
    const char* name;
    std::vector<std::pair<uint8_t, std::string>> entries;  // type, name
    std::optional<std::string> default_name;
    std::optional<std::string> requested;
    int32_t current_page_in;
    int32_t expected_page;
    int32_t start_line_in;
    int32_t expected_start_line;
};

TEST(OpenHypertext, ChoosesTheStartEntry) {
    const uint8_t N = fixture::type::kNode, P = fixture::type::kPnode;
    const std::vector<std::pair<uint8_t, std::string>> intro = {
        {N, "A"}, {N, "B"}, {N, "C"}, {N, "Intro"}, {N, "D"}, {N, "E"},
        {N, "F"}, {N, "G"}, {N, "H"}, {N, "intro"}, {N, "I"}};
    const std::vector<StartCase> cases = {
        {"INDEX finds node Index",
         {{N, "Start"}, {P, "INDEX"}, {N, "Index"}},
         std::nullopt,
         "INDEX",
         -1,
         2,
         4,
         4},
        {"popup of the name is never chosen",
         {{N, "Start"}, {P, "Index"}},
         std::nullopt,
         "Index",
         -1,
         0,
         4,
         -1},
        {"last of two case variants", intro, std::nullopt, "INTRO", -1, 9, -1, -1},
        {"default Main, first exact match",
         {{N, "X"}, {N, "main"}, {N, "Main"}, {N, "Main"}},
         "Main",
         "nothing",
         -1,
         2,
         3,
         3},
        {"default Main, only main", {{N, "X"}, {N, "main"}}, "Main", "nothing", -1, 0, 3, -1},
        {"default not consulted with a current page",
         {{N, "X"}, {N, "Main"}, {N, "a"}, {N, "b"}, {N, "c"}, {N, "d"}},
         "Main",
         "nothing",
         5,
         5,
         3,
         3},
        {"default not consulted without request",
         {{N, "X"}, {N, "Main"}},
         "Main",
         std::nullopt,
         -1,
         0,
         3,
         -1},
        {"no request keeps the current page",
         {{N, "X"}, {N, "Y"}},
         std::nullopt,
         std::nullopt,
         1,
         1,
         6,
         6},
        {"found name wins over the current page",
         {{N, "X"}, {N, "Y"}},
         std::nullopt,
         "y",
         0,
         1,
         2,
         2},
        {"unnamed entries never match", {{N, ""}, {N, "Y"}}, std::nullopt, "", -1, 0, 2, -1},
        {"a current page the file lacks starts at 0",
         {{N, "X"}, {N, "Y"}},
         std::nullopt,
         std::nullopt,
         9,
         0,
         6,
         -1},
    };
    TempDir dir;
    for (const StartCase& c : cases) {
        HypBuilder b;
        if (c.default_name) b.ext_text(fixture::ext::kDefault, *c.default_name);
        for (const auto& [type, name] : c.entries) {
            fixture::HypEntry e;
            e.type = type;
            e.data = fixture::text_page({name});
            if (!name.empty()) e.name = name;
            b.add(e);
        }
        HypDocument doc;
        int32_t page = c.current_page_in;
        ASSERT_TRUE(open_hypertext(doc, dir.write("start.hyp", b.build()), c.requested,
                                   c.start_line_in, page))
            << c.name;
        EXPECT_EQ(page, c.expected_page) << c.name;
        EXPECT_EQ(doc.start_line, c.expected_start_line) << c.name;
        EXPECT_FALSE(doc.requested_name.has_value()) << c.name << ": consumed";
    }
}

TEST(Lookups, CaseRulesAndTieBreaks) {
    TempDir dir;
    HypBuilder b;
    b.node("Index", fixture::text_page({"x"}));  // 0
    b.popup("Main", fixture::text_page({"x"}));  // 1
    b.node("main", fixture::text_page({"x"}));   // 2
    b.node("Main", fixture::text_page({"x"}));   // 3
    b.node("MAIN", fixture::text_page({"x"}));   // 4
    b.node("Index", fixture::text_page({"x"}));  // 5
    b.image(Bytes(16, 0), std::string("Pic"));   // 6
    HypDocument doc;
    ASSERT_TRUE(open(doc, dir.write("l.hyp", b.build())).ok);
    EXPECT_EQ(find_entry_by_requested_name(doc, "main"), std::optional<uint16_t>(4));
    EXPECT_EQ(find_entry_by_default_name(doc, "Main"), std::optional<uint16_t>(3));
    EXPECT_EQ(find_entry_by_default_name(doc, "MAIN"), std::optional<uint16_t>(4));
    EXPECT_EQ(find_entry_by_default_name(doc, "mAIN"), std::nullopt);
    EXPECT_EQ(find_entry_by_requested_name(doc, "pic"), std::nullopt) << "images are not nodes";
    EXPECT_EQ(find_index_page(doc), std::optional<uint16_t>(0));

    HypBuilder c;
    c.node("Start", fixture::text_page({"x"}));   // 0
    c.popup("Index", fixture::text_page({"x"}));  // 1: any type within the page range
    c.node("Last", fixture::text_page({"x"}));    // 2
    c.node("index", fixture::text_page({"x"}));   // 3: case matters
    HypDocument doc2;
    ASSERT_TRUE(open(doc2, dir.write("l2.hyp", c.build())).ok);
    EXPECT_EQ(find_index_page(doc2), std::optional<uint16_t>(1));

    HypBuilder d;
    d.node("Start", fixture::text_page({"x"}));
    d.popup("Index", fixture::text_page({"x"}));  // after the last node: outside the pages
    HypDocument doc3;
    ASSERT_TRUE(open(doc3, dir.write("l3.hyp", d.build())).ok);
    EXPECT_EQ(find_index_page(doc3), std::nullopt);
}

// --- damaged files ---------------------------------------------------------------------------

// Each case changes exactly one field of a sound file; refused files say so, accepted ones
// keep every object inside the file.
TEST(OpenHypertext, DamagedFields) {
    TempDir dir;
    HypLayout layout;
    const HypBuilder base = sample_builder();
    const Bytes good = base.build(&layout);
    const size_t n = layout.record_offset.size();
    auto rec = [&](size_t i, size_t field) { return layout.record_field(i, field); };
    enum Expect { Refused, Accepted, Either };
    struct Case {
        const char* name;
        std::function<void(Bytes&)> patch;
        Expect expect;
    };
    const std::vector<Case> cases = {
        {"index length past the file",
         [&](Bytes& f) { fixture::put_be32(f, fixture::hdr::kIndexLength, 0xFFFFFFF0u); }, Refused},
        {"index length one record short",
         [&](Bytes& f) {
             fixture::put_be32(f, fixture::hdr::kIndexLength,
                               static_cast<uint32_t>(layout.record_offset[n - 1] - 12));
         },
         Refused},
        {"index count above the records",
         [&](Bytes& f) { fixture::put_be16(f, fixture::hdr::kIndexCount, 200); }, Refused},
        {"index count 0", [&](Bytes& f) { fixture::put_be16(f, fixture::hdr::kIndexCount, 0); },
         Refused},
        {"index count below the records (rest read as extended headers)",
         [&](Bytes& f) { fixture::put_be16(f, fixture::hdr::kIndexCount, 1); }, Either},
        {"entry length 0", [&](Bytes& f) { fixture::put_u8(f, rec(1, 0), 0); }, Refused},
        {"entry length 13", [&](Bytes& f) { fixture::put_u8(f, rec(1, 0), 13); }, Refused},
        {"entry length past the index table",
         [&](Bytes& f) { fixture::put_u8(f, rec(n - 1, 0), 255); }, Refused},
        {"seek offset past the file",
         [&](Bytes& f) { fixture::put_be32(f, rec(1, fixture::rec::kSeekOffset), 0xFFFFFF00u); },
         Accepted},
        {"seek offset decreasing",
         [&](Bytes& f) { fixture::put_be32(f, rec(2, fixture::rec::kSeekOffset), 3); }, Accepted},
        {"last seek offset past the file",
         [&](Bytes& f) {
             fixture::put_be32(f, rec(n - 1, fixture::rec::kSeekOffset), 0x7FFFFFFFu);
         },
         Accepted},
        {"extended header length past the file",
         [&](Bytes& f) { fixture::put_be16(f, layout.ext_offset[0] + 2, 0xFFFF); }, Refused},
        {"image size difference of 4 GB",
         [&](Bytes& f) {
             fixture::put_be16(f, rec(3, fixture::rec::kNext), 0xFFFF);
             fixture::put_be16(f, rec(3, fixture::rec::kCompDiff), 0xFFFF);
         },
         Accepted},
        {"compressed size difference of 64 KB",
         [&](Bytes& f) { fixture::put_be16(f, rec(0, fixture::rec::kCompDiff), 0xFFFF); },
         Accepted},
        {"entry type 255", [&](Bytes& f) { fixture::put_u8(f, rec(0, fixture::rec::kType), 255); },
         Accepted},
    };
    for (const Case& c : cases) {
        Bytes file = good;
        c.patch(file);
        const std::string path = dir.write("d.hyp", file);
        HypDocument doc;
        const bool ok = open(doc, path).ok;
        if (c.expect != Either)
            EXPECT_EQ(ok, c.expect == Accepted) << c.name << ": " << message_text;
        if (!ok) {
            EXPECT_EQ(message_text, message(DAMAGED, path)) << c.name;
            continue;
        }
        for (unsigned i = 0; i < doc.index.size(); ++i) {
            const IndexEntry& e = doc.index[i];
            if (e.stored_length > 0) {
                EXPECT_LE(uint64_t(e.seek_offset) + e.stored_length, file.size())
                    << c.name << " entry " << i;
            }
            load_page(doc, i);
            ASSERT_FALSE(e.page_data.empty()) << c.name << " entry " << i;
            EXPECT_EQ(e.page_data.back(), 0) << c.name << " entry " << i;
            EXPECT_LE(e.page_data.size(), 16u * 1024 * 1024 + 1) << c.name;
        }
    }
}

TEST(OpenHypertext, NameWithoutNulEndsAtTheRecord) {
    TempDir dir;
    HypBuilder b;
    fixture::HypEntry e;
    e.name = "NoNul";
    e.name_nul = false;
    e.data = fixture::text_page({"x"});
    b.add(e);
    b.node("After", fixture::text_page({"y"}));
    HypDocument doc;
    ASSERT_TRUE(open(doc, dir.write("nul.hyp", b.build())).ok);
    EXPECT_EQ(doc.index[0].name.value_or("?"), "NoNul");
    EXPECT_EQ(doc.index[1].name.value_or("?"), "After");
}

// Every prefix of a sound file opens cleanly or is refused; what opens loads cleanly.
TEST(OpenHypertext, EveryPrefixOfAFile) {
    TempDir dir;
    HypBuilder b = sample_builder();
    b.ext_text(fixture::ext::kDefault, "Second").scrambled();
    const Bytes good = b.build();
    const std::string path = dir.file("p.hyp");
    for (size_t size = 0; size <= good.size(); ++size) {
        fixture::write_file(path, fixture::truncated(good, size));
        HypDocument doc;
        int32_t page = -1;
        const bool ok = open_hypertext(doc, path, std::string("Main"), -1, page);
        EXPECT_GE(page, 0) << size;
        if (!ok) continue;
        EXPECT_LT(page, static_cast<int32_t>(doc.index.size())) << size;
        for (unsigned i = 0; i < doc.index.size(); ++i) {
            load_page(doc, i);
            EXPECT_FALSE(doc.index[i].page_data.empty()) << size;
        }
    }
}

// --- export reopen, release, locate -------------------------------------------------------------

TEST(ReopenForExport, RechecksTheFileAndKeepsTheDocument) {
    TempDir dir;
    fixture::PageBuilder page;
    page.text("See ").link(fixture::LinkKind::Link, 1, "Zweite").end_line();
    HypBuilder b;
    b.ext_word(fixture::ext::kWidth, 60);
    b.node("Main", page.bytes());
    b.node("Second", fixture::text_page({"two"}));
    const std::string path = dir.write("r.hyp", b.build());
    fixture::RefBuilder ref;
    ref.module().file_name("r.hyp").node("Main").node("Second").alias("Zweite");
    // The link text is the alias: links without line match symbols of line 0.
    dir.write("r.ref", ref.build());

    for (ExportMode mode : {ExportMode::Text, ExportMode::Stg, ExportMode::Html}) {
        HypDocument doc;
        ASSERT_TRUE(open(doc, path).ok);
        EXPECT_TRUE(doc.symbols.empty());
        load_page(doc, 1);
        doc.line_width = 12;
        ASSERT_TRUE(reopen_for_export(doc, mode)) << message_text;
        EXPECT_NE(doc.file, nullptr) << "left open for the export driver";
        EXPECT_EQ(doc.line_width, 60) << "EXT_WIDTH applied again";
        EXPECT_FALSE(doc.index[1].page_data.empty()) << "loaded pages are kept";
        EXPECT_TRUE(doc.index[0].page_data.empty()) << "pages scanned are dropped";
        if (mode == ExportMode::Text) {
            EXPECT_TRUE(doc.symbols.empty());
            EXPECT_FALSE(doc.symbols_collected);
        } else {
            EXPECT_EQ(doc.symbols.size(), 4u);
            EXPECT_TRUE(doc.symbols_collected);
            // The alias "Zweite" from the REF file (flags 4) is used by the link on page 0.
            EXPECT_EQ(doc.symbols[3].flags, SYMBOL_FLAG_REF | SYMBOL_FLAG_USED);
            // A second export reads nothing again.
            const SymbolList before = doc.symbols;
            ASSERT_TRUE(reopen_for_export(doc, mode));
            EXPECT_EQ(doc.symbols.size(), before.size());
        }
        close_hypertext_file(doc);
        EXPECT_EQ(doc.file, nullptr);
    }
}

TEST(ReopenForExport, Failures) {
    TempDir dir;
    const std::string path = dir.write("f.hyp", sample_builder().build());
    HypDocument doc;
    ASSERT_TRUE(open(doc, path).ok);
    dir.write("f.hyp", fixture::bytes_of("replaced by a text file"));
    EXPECT_FALSE(reopen_for_export(doc, ExportMode::Html));
    EXPECT_EQ(message_text, message(NOT_HYP, path));
    EXPECT_EQ(doc.file, nullptr);
    std::remove(path.c_str());
    EXPECT_FALSE(reopen_for_export(doc, ExportMode::Text));
    EXPECT_EQ(message_text, message(CANNOT_OPEN, path));
    EXPECT_EQ(doc.index.size(), 5u) << "the document stays";
}

TEST(CloseHypertext, ReleasesEverything) {
    TempDir dir;
    HypBuilder b = sample_builder();
    b.ext_text(fixture::ext::kDefault, "Main");
    HypDocument doc;
    int32_t page = -1;
    ASSERT_TRUE(open_hypertext(doc, dir.write("c.hyp", b.build()), std::string("zzz"), -1, page));
    EXPECT_TRUE(doc.default_name.has_value());
    load_page(doc, 0);
    doc.index[0].links.emplace_back();
    doc.index[0].xrefs.push_back(XrefEntry{1, std::string("t")});
    doc.index[3].bitmap = std::make_unique<DecodedImage>();
    doc.symbols.emplace_back();
    ASSERT_TRUE(reopen_for_export(doc, ExportMode::Text));
    close_hypertext(doc);
    EXPECT_TRUE(doc.index.empty());
    EXPECT_TRUE(doc.ext_headers.empty());
    EXPECT_TRUE(doc.symbols.empty());
    EXPECT_FALSE(doc.default_name.has_value());
    EXPECT_EQ(doc.file, nullptr);
}

TEST(LocateHypertext, BesideTheDocumentThenInHypPath) {
    TempDir dir;
    TempDir other;
    const std::string path = dir.write("Main.HYP", sample_builder().build());
    dir.write("Beside.hyp", Bytes{1});
    other.write("Far.Hyp", Bytes{1});
    other.write("Beside.hyp", Bytes{2});
    HypDocument doc;
    ASSERT_TRUE(open(doc, path).ok);
    const std::string hyp_path = other.file("");

    EXPECT_EQ(locate_hypertext(doc, "Beside.hyp", hyp_path), dir.file("Beside.hyp"));
    EXPECT_EQ(locate_hypertext(doc, "Far.Hyp", hyp_path), other.file("Far.Hyp"));
    EXPECT_EQ(locate_hypertext(doc, "nowhere.hyp", hyp_path), std::nullopt);
    EXPECT_EQ(locate_hypertext(doc, "", hyp_path), std::nullopt);
#ifndef _WIN32
    // References name files in any case, as on Windows.
    EXPECT_EQ(locate_hypertext(doc, "BESIDE.HYP", hyp_path), dir.file("Beside.hyp"));
    EXPECT_EQ(locate_hypertext(doc, "far.hyp", hyp_path), other.file("Far.Hyp"));
#endif
    // A HypPath without its trailing separator loses its last component.
    std::string no_slash = other.file("");
    no_slash.pop_back();
    EXPECT_EQ(locate_hypertext(doc, "Far.Hyp", no_slash), std::nullopt);
}

}  // namespace

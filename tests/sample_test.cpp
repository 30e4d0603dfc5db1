// Opens the bundled sample hypertext through the document model and checks its structure.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hyp/document.h"
#include "hyp/hyp_format.h"
#include "hyp/page_loader.h"
#include "hyp/symbols.h"

namespace {

const char* const kSamplePath = VELLUMAR_BINARY_DIR "/samples/sample.hyp";

// Names in the Atari character set: 0x81 small u umlaut, 0x9E sharp s, 0x9A capital U umlaut.
const std::string kEinfuehrung = "Einf\x81hrung";
const std::string kFussnote = "Fu\x9Enote";
const std::string kUeberVellumar = std::string("\x9A") + "ber Vellumar";

// What a walk over a page's bytes finds; the sequence lengths are those of the page language.
struct PageScan {
    std::string problem;  // empty when every sequence is known and lies inside the page
    int text_lines = 0;
    int widest_line = 0;
    std::set<uint8_t> codes;              // escape codes met (attribute codes as 100)
    std::set<uint8_t> link_target_types;  // entry types that links point to
    uint8_t attributes_used = 0;          // union of the attribute sets switched to
};

PageScan scan_page(const HypDocument& doc, const IndexEntry& entry) {
    PageScan scan;
    const std::vector<uint8_t>& d = entry.page_data;
    const size_t size = page_length(entry);
    int column = 0;
    size_t i = 0;
    auto problem = [&](const std::string& what) {
        if (scan.problem.empty()) scan.problem = what + " at byte " + std::to_string(i);
    };
    auto target_type = [&](size_t at) -> std::optional<uint8_t> {
        const uint16_t target = decode_base255(&d[at]);
        if (target >= doc.index.size()) return std::nullopt;
        return doc.index[target].type;
    };
    while (i < size && scan.problem.empty()) {
        if (d[i] == 0) {
            ++scan.text_lines;
            scan.widest_line = std::max(scan.widest_line, column);
            column = 0;
            ++i;
            continue;
        }
        if (d[i] != 0x1B) {
            ++column;
            ++i;
            continue;
        }
        if (i + 2 > size) {
            problem("cut escape");
            break;
        }
        const uint8_t code = d[i + 1];
        size_t length = 2;
        if (code == 0x1B) {
            ++column;
        } else if (code == 0x23) {
            length = 2;
            while (i + length < size && d[i + length] != 0) ++length;
            ++length;
        } else if (code >= 0x24 && code <= 0x27) {
            const size_t target_at = (code == 0x25 || code == 0x27) ? i + 4 : i + 2;
            const size_t length_at = target_at + 2;
            if (length_at >= size) {
                problem("cut link");
                break;
            }
            const int n = static_cast<int>(d[length_at]) - 32;
            length = length_at - i + 1 + (n > 0 ? n : 0);
            std::optional<uint8_t> type = target_type(target_at);
            if (!type) {
                problem("link to a missing entry");
                break;
            }
            scan.link_target_types.insert(*type);
            const std::optional<std::string>& name = doc.index[decode_base255(&d[target_at])].name;
            column += n > 0 ? n : static_cast<int>(name ? name->size() : 0);
        } else if (code >= 0x28 && code <= 0x30) {
            if (i + 3 > size) {
                problem("cut block");
                break;
            }
            length = d[i + 2];
            if (code == 0x30 && !target_type(i + 3)) problem("xref to a missing entry");
        } else if (code == 0x31) {
            length = 10;
        } else if (code == 0x32) {
            length = 9;
            if (i + 4 <= size && target_type(i + 2) != std::optional<uint8_t>(ENTRY_IMAGE)) {
                problem("picture that is no image entry");
            }
        } else if (code >= 0x33 && code <= 0x35) {
            length = 8;
        } else if (code >= 100) {
            scan.attributes_used |= static_cast<uint8_t>(code - 100);
        } else {
            problem("unknown code " + std::to_string(code));
        }
        scan.codes.insert(code >= 100 ? 100 : code);
        if (i + length > size) problem("sequence running past the page end");
        i += length;
    }
    if (scan.problem.empty() && size > 0 && d[size - 1] != 0) scan.problem = "last line unended";
    return scan;
}

class Sample : public ::testing::Test {
   protected:
    void SetUp() override {
        std::FILE* f = std::fopen(kSamplePath, "rb");
        ASSERT_NE(f, nullptr) << kSamplePath << " is missing: build the target sample_hypertext";
        std::fclose(f);
        int32_t current_page = -1;
        ASSERT_TRUE(open_hypertext(doc_, kSamplePath, std::nullopt, -1, current_page));
        ASSERT_EQ(current_page, 0);
    }
    void TearDown() override { close_hypertext(doc_); }

    IndexEntry& loaded(unsigned index) {
        load_page(doc_, index);
        return doc_.index[index];
    }
    std::optional<uint16_t> find(const std::string& name) const {
        for (size_t i = 0; i < doc_.index.size(); ++i) {
            if (doc_.index[i].name == name) return static_cast<uint16_t>(i);
        }
        return std::nullopt;
    }

    HypDocument doc_;
};

TEST_F(Sample, HasTheEntriesInCompilerOrder) {
    struct Expected {
        uint8_t type;
        std::optional<std::string> name;
    };
    const Expected expected[] = {
        {ENTRY_NODE, "Main"},
        {ENTRY_NODE, kEinfuehrung},
        {ENTRY_NODE, "Textattribute"},
        {ENTRY_NODE, "Verweise"},
        {ENTRY_PNODE, kFussnote},
        {ENTRY_NODE, "Grafik"},
        {ENTRY_NODE, "Bilder"},
        {ENTRY_NODE, "Leerraum"},
        {ENTRY_NODE, "Lange Seite"},
        {ENTRY_NODE, "Breite Seite"},
        {ENTRY_NODE, "Sonderzeichen & Co"},
        {ENTRY_NODE, kUeberVellumar},
        {ENTRY_NODE, "Hilfe"},
        {ENTRY_NODE, "Index"},
        {ENTRY_IMAGE, "logo.img"},
        {ENTRY_IMAGE, "farben.img"},
        {ENTRY_EXTERNAL, "andere.hyp/Main"},
        {ENTRY_EXTERNAL, "sample.hyp/Bilder"},
        {ENTRY_SYSTEM, "EDITOR.PRG LIESMICH.TXT"},
        {ENTRY_REXX_SCRIPT, "skript.rexx"},
        {ENTRY_REXX_COMMAND, "ADDRESS COMMAND dir"},
        {ENTRY_QUIT, ""},
        {255, std::nullopt},
    };
    ASSERT_EQ(doc_.index.size(), std::size(expected));
    EXPECT_EQ(doc_.header.index_count, std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(doc_.index[i].type, expected[i].type) << "entry " << i;
        EXPECT_EQ(doc_.index[i].name, expected[i].name) << "entry " << i;
    }
    EXPECT_EQ(doc_.last_node_index, 13);
    EXPECT_EQ(doc_.header.os, 2);
    EXPECT_EQ(doc_.source_charset, CHARSET_TOS);
}

TEST_F(Sample, CarriesTheDatabaseHeaders) {
    struct Expected {
        uint16_t type;
        const char* text;
    };
    const Expected expected[] = {
        {EXT_DATABASE, "Vellumar Beispiel"},
        {EXT_AUTHOR, "Vellumar-Team"},
        {EXT_SUBJECT,
         "Dokumentation/\x9A"
         "bungsbeispiele"},  // Ü in the Atari set
        {EXT_VERSION, "$VER: sample.hyp 1.0 (24.05.2024)"},
        {EXT_OPTIONS, "-s -i +z"},
        {EXT_HOSTNAME, "Vellumar"},
        {EXT_DEFAULT, "Main"},
        {EXT_HELP, "Hilfe"},
    };
    for (const Expected& e : expected) {
        bool found = false;
        for (const ExtHeader& header : doc_.ext_headers) {
            if (header.type == e.type) {
                EXPECT_EQ(ext_header_text(header), e.text) << "type " << e.type;
                found = true;
            }
        }
        EXPECT_TRUE(found) << "type " << e.type;
    }
    EXPECT_EQ(doc_.line_width, 75);
    EXPECT_TRUE(doc_.index_option);
    EXPECT_FALSE(doc_.pages_scrambled);
    EXPECT_EQ(doc_.ext_headers.back().type, EXT_END);
    EXPECT_EQ(find_entry_by_default_name(doc_, "Main"), std::optional<uint16_t>(0));
    EXPECT_EQ(find_index_page(doc_), std::optional<uint16_t>(13));
}

// The page the sample opens on when `requested` is asked for; -1 (and a failure) where it
// cannot be opened.
int32_t page_opened(HypDocument& doc, const char* requested) {
    int32_t current_page = -1;
    EXPECT_TRUE(open_hypertext(doc, kSamplePath, std::string(requested), -1, current_page))
        << requested;
    return current_page;
}

TEST_F(Sample, StartsOnTheDefaultNodeAndFindsNamesCaseBlind) {
    struct Case {
        const char* requested;
        int32_t start;
    };
    const Case cases[] = {{"gibt es nicht", 0}, {"GRAFIK", 5}, {"fu\x9Enote", 0}, {"index", 13}};
    for (const Case& c : cases) {
        HypDocument doc;
        EXPECT_EQ(page_opened(doc, c.requested), c.start) << c.requested;
        close_hypertext(doc);
    }
}

// The REF file beside the sample turns aliases and labels into pages and lines.
TEST_F(Sample, ResolvesAliasesAndLabelsThroughItsRefFile) {
    struct Case {
        const char* requested;
        int32_t page, line;
    };
    const Case cases[] = {{"intro", 1, -1}, {"MITTE", 8, 68}, {"Grafik", 5, -1}};
    for (const Case& c : cases) {
        HypDocument doc;
        EXPECT_EQ(page_opened(doc, c.requested), c.page) << c.requested;
        EXPECT_EQ(doc.start_line, c.line) << c.requested;
        // File name, system, database, then 14 pages, one alias and one label.
        ASSERT_EQ(doc.symbols.size(), 3u + 14 + 2) << c.requested;
        EXPECT_EQ(symbol_text(doc.symbols[0]), "sample");
        EXPECT_EQ(doc.symbols[3].kind, REF_NODE);
        EXPECT_EQ(symbol_text(doc.symbols[3]), "Main");
        close_hypertext(doc);
    }
}

// The page "Index" (options "-i") lists pages, the alias and the label by their own names; each
// name gets a symbol marked as used by the index (REF node entries have no line, so a page name
// is added anew as a node and alias pair).
TEST_F(Sample, IndexPageLinksMarkTheirSymbols) {
    HypDocument doc;
    int32_t current_page = -1;
    ASSERT_TRUE(open_hypertext(doc, kSamplePath, std::string("Main"), -1, current_page));
    collect_page_symbols(doc, load_page);
    for (const std::string& name : {std::string("Intro"), std::string("Mitte"),
                                    std::string("Bilder"), kFussnote, kUeberVellumar}) {
        bool marked = false;
        for (const SymbolEntry& symbol : doc.symbols) {
            if (symbol_text(symbol) == name && (symbol.flags & SYMBOL_FLAG_INDEX)) marked = true;
        }
        EXPECT_TRUE(marked) << name;
    }
    close_hypertext(doc);
}

TEST_F(Sample, NavigationFollowsTheNodesAndSkipsThePopup) {
    struct Nav {
        uint16_t index, previous, next, toc;
    };
    const Nav cases[] = {
        {0, 0, 1, 0},   {3, 2, 5, 0},    {4, 3, 4, 0},    {5, 3, 6, 0},
        {11, 0, 12, 0}, {12, 11, 13, 0}, {13, 12, 13, 0},
    };
    for (const Nav& c : cases) {
        const IndexEntry& e = doc_.index[c.index];
        EXPECT_EQ(e.previous, c.previous) << "entry " << c.index;
        EXPECT_EQ(e.next, c.next) << "entry " << c.index;
        EXPECT_EQ(e.toc, c.toc) << "entry " << c.index;
    }
}

TEST_F(Sample, EveryObjectUnpacksToAWellFormedPageOrImage) {
    std::set<uint8_t> codes;
    std::set<uint8_t> target_types;
    uint8_t attributes = 0;
    int raw_pages = 0;
    int compressed_pages = 0;
    for (unsigned i = 0; i < doc_.index.size(); ++i) {
        IndexEntry& e = loaded(i);
        const uint8_t type = e.type;
        if (type != ENTRY_NODE && type != ENTRY_PNODE && type != ENTRY_IMAGE) {
            EXPECT_EQ(page_length(e), 0u) << "entry " << i;
            continue;
        }
        EXPECT_EQ(page_length(e), unpacked_size(e)) << "entry " << i;
        EXPECT_GT(page_length(e), 0u) << "entry " << i;
        if (type == ENTRY_IMAGE) continue;
        (e.size_difference == 0 ? raw_pages : compressed_pages)++;
        const PageScan scan = scan_page(doc_, e);
        EXPECT_EQ(scan.problem, "") << "entry " << i;
        EXPECT_GT(scan.text_lines, 0) << "entry " << i;
        codes.insert(scan.codes.begin(), scan.codes.end());
        target_types.insert(scan.link_target_types.begin(), scan.link_target_types.end());
        attributes |= scan.attributes_used;
    }
    EXPECT_EQ(raw_pages, 2);
    EXPECT_GE(compressed_pages, 10);
    // Every code of the page language that the compiler writes, and links to every entry type.
    for (uint8_t code :
         {0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 100}) {
        EXPECT_EQ(codes.count(code), 1u) << "code " << int(code);
    }
    for (uint8_t type = ENTRY_NODE; type <= ENTRY_QUIT; ++type) {
        EXPECT_EQ(target_types.count(type), 1u) << "links to type " << int(type);
    }
    EXPECT_EQ(attributes, 0x7F);
}

TEST_F(Sample, HasALongAndAWidePage) {
    const PageScan long_page = scan_page(doc_, loaded(*find("Lange Seite")));
    EXPECT_GE(long_page.text_lines, 120);
    const PageScan wide_page = scan_page(doc_, loaded(*find("Breite Seite")));
    EXPECT_GT(wide_page.widest_line, 85);
}

TEST_F(Sample, ImagesHaveOneAndFourPlanes) {
    struct Expected {
        const char* name;
        unsigned width, height, planes;
        bool raw;
    };
    const Expected expected[] = {{"logo.img", 64, 32, 1, false}, {"farben.img", 32, 16, 4, true}};
    for (const Expected& x : expected) {
        const IndexEntry& e = loaded(*find(x.name));
        ASSERT_GE(page_length(e), 8u) << x.name;
        const uint8_t* d = e.page_data.data();
        EXPECT_EQ(read_be16(d), x.width) << x.name;
        EXPECT_EQ(read_be16(d + 2), x.height) << x.name;
        EXPECT_EQ(d[4], x.planes) << x.name;
        EXPECT_EQ(page_length(e), 8 + x.planes * x.height * 2 * ((x.width + 15) / 16)) << x.name;
        EXPECT_EQ(e.size_difference == 0, x.raw) << x.name;
    }
}

}  // namespace

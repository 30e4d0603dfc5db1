// Real hypertexts: every object unpacks to its size, pages are NUL-terminated lines, REF files
// load and resolve names, symbols are collected, lookups work, references into other files are
// found, and files compiled on systems other than the Macintosh read in the Atari set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "hyp/document.h"
#include "hyp/lh5.h"
#include "hyp/message_text.h"
#include "hyp/page_loader.h"
#include "hyp/ref_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const std::string CORPUS = VELLUMAR_CORPUS_DIR;

std::vector<std::string> corpus_files(const std::string& extension) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(CORPUS, ec)) {
        if (e.path().extension() == extension) files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

#define SKIP_WITHOUT_CORPUS()                                                     \
    do {                                                                          \
        if (!fs::is_directory(CORPUS)) GTEST_SKIP() << "no corpus at " << CORPUS; \
    } while (0)

bool open(HypDocument& doc, const std::string& path,
          const std::optional<std::string>& requested = std::nullopt, int32_t* page_out = nullptr) {
    int32_t page = -1;
    const bool ok = open_hypertext(doc, path, requested, -1, page);
    if (page_out) *page_out = page;
    return ok;
}

std::string upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

TEST(Corpus, EveryObjectUnpacksToItsSize) {
    SKIP_WITHOUT_CORPUS();
    const auto files = corpus_files(".hyp");
    ASSERT_FALSE(files.empty());
    for (const std::string& path : files) {
        HypDocument doc;
        ASSERT_TRUE(open(doc, path)) << path << ": " << message_text;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr) << path;
        size_t compressed = 0;
        for (unsigned i = 0; i < doc.index.size(); ++i) {
            IndexEntry& e = doc.index[i];
            const std::string where = path + " entry " + std::to_string(i);
            ASSERT_TRUE(plausible_unpacked_size(e)) << where;
            if (e.size_difference != 0) {
                Bytes stored(e.stored_length);
                ASSERT_EQ(std::fseek(f, static_cast<long>(e.seek_offset), SEEK_SET), 0) << where;
                ASSERT_EQ(std::fread(stored.data(), 1, stored.size(), f), stored.size()) << where;
                Bytes out(static_cast<size_t>(unpacked_size(e)));
                EXPECT_TRUE(lh5_decode(stored.data(), stored.size(), out.data(), out.size()))
                    << where;
                ++compressed;
            }
            load_page(doc, i);
            ASSERT_EQ(page_length(e), unpacked_size(e)) << where;
            EXPECT_EQ(e.page_data.back(), 0) << where;
            if ((e.type == ENTRY_NODE || e.type == ENTRY_PNODE) && page_length(e) > 0) {
                EXPECT_EQ(e.page_data[page_length(e) - 1], 0)
                    << where << ": a page ends with the NUL of its last line";
            }
            e.page_data.clear();
        }
        std::fclose(f);
        EXPECT_GT(compressed, 0u) << path;
    }
}

TEST(Corpus, LookupsAndStart) {
    SKIP_WITHOUT_CORPUS();
    for (const std::string& path : corpus_files(".hyp")) {
        HypDocument doc;
        ASSERT_TRUE(open(doc, path)) << path;
        EXPECT_EQ(doc.index[doc.last_node_index].type, ENTRY_NODE) << path;
        for (size_t i = doc.last_node_index + 1; i < doc.index.size(); ++i) {
            EXPECT_NE(doc.index[i].type, ENTRY_NODE) << path << " " << i;
        }
        for (size_t i = 0; i < doc.index.size(); ++i) {
            const IndexEntry& e = doc.index[i];
            if (e.type != ENTRY_NODE || !e.name) continue;
            const auto by_request = find_entry_by_requested_name(doc, upper(*e.name));
            ASSERT_TRUE(by_request.has_value()) << path << " " << *e.name;
            EXPECT_GE(*by_request, i) << path << " " << *e.name << ": the last match wins";
            EXPECT_TRUE(equal_ignoring_case(*doc.index[*by_request].name, *e.name));
            const auto by_default = find_entry_by_default_name(doc, *e.name);
            ASSERT_TRUE(by_default.has_value()) << path;
            EXPECT_LE(*by_default, i) << path << " " << *e.name << ": the first match wins";
        }
        const auto index_page = find_index_page(doc);
        if (index_page) {
            EXPECT_EQ(doc.index[*index_page].name.value_or(""), "Index") << path;
            EXPECT_LE(*index_page, doc.last_node_index) << path;
        }

        // With a name that matches nothing, the start is the @default node when there is one.
        std::optional<std::string> default_name;
        for (const ExtHeader& h : doc.ext_headers) {
            if (h.type == EXT_DEFAULT) default_name = ext_header_text(h);
        }
        HypDocument again;
        int32_t page = -1;
        ASSERT_TRUE(open(again, path, std::string("no such node \x7f"), &page)) << path;
        const auto expected = default_name ? find_entry_by_default_name(doc, *default_name)
                                           : std::optional<uint16_t>();
        EXPECT_EQ(page, expected.value_or(0)) << path;
    }
}

TEST(Corpus, RefFilesLoadAndResolve) {
    SKIP_WITHOUT_CORPUS();
    const auto refs = corpus_files(".ref");
    ASSERT_FALSE(refs.empty());
    size_t probed = 0;
    for (const std::string& ref : refs) {
        const std::string hyp = ref.substr(0, ref.size() - 4) + ".hyp";
        HypDocument doc;
        ASSERT_TRUE(open(doc, hyp)) << hyp;
        ASSERT_TRUE(load_ref_file(doc)) << ref;
        ASSERT_FALSE(doc.symbols.empty()) << ref;
        // The first alias or label of a node this file has resolves to that node.
        std::optional<std::string> node;
        std::optional<std::pair<std::string, std::string>> probe;  // symbol, node
        for (const SymbolEntry& s : doc.symbols) {
            if (s.kind == REF_NODE) node = symbol_text(s);
            if ((s.kind == REF_ALIAS || s.kind == REF_LABEL) && node &&
                find_entry_by_requested_name(doc, *node) &&
                !find_entry_by_requested_name(doc, symbol_text(s))) {
                probe.emplace(symbol_text(s), *node);
                break;
            }
        }
        if (!probe) continue;
        HypDocument resolved;
        int32_t page = -1;
        ASSERT_TRUE(open(resolved, hyp, upper(probe->first), &page)) << hyp;
        EXPECT_EQ(std::optional<uint16_t>(page), find_entry_by_requested_name(doc, probe->second))
            << ref << ": " << probe->first << " -> " << probe->second;
        ++probed;
    }
    EXPECT_GE(probed, refs.size() / 2) << "most REF files have aliases or labels";
}

TEST(Corpus, SymbolCollection) {
    SKIP_WITHOUT_CORPUS();
    for (const std::string& path : corpus_files(".hyp")) {
        for (ExportMode mode : {ExportMode::Stg, ExportMode::Html}) {
            HypDocument doc;
            ASSERT_TRUE(open(doc, path)) << path;
            ASSERT_TRUE(reopen_for_export(doc, mode)) << path;
            EXPECT_TRUE(doc.symbols_collected) << path;
            size_t used = 0;
            for (const SymbolEntry& s : doc.symbols) {
                EXPECT_EQ(s.flags & ~7, 0) << path;
                if (s.flags & (SYMBOL_FLAG_USED | SYMBOL_FLAG_INDEX)) ++used;
            }
            for (const IndexEntry& e : doc.index) EXPECT_TRUE(e.page_data.empty()) << path;
            if (mode == ExportMode::Stg && !doc.symbols.empty()) EXPECT_GT(used, 0u) << path;
            close_hypertext_file(doc);
        }
    }
}

TEST(Corpus, ReferencesIntoOtherFiles) {
    SKIP_WITHOUT_CORPUS();
    HypDocument doc;
    ASSERT_TRUE(open(doc, CORPUS + "/mintdocs.hyp"));
    size_t checked = 0;
    for (const IndexEntry& e : doc.index) {
        if (e.type != ENTRY_EXTERNAL || !e.name) continue;
        const std::string file = e.name->substr(0, e.name->find('/'));
        ASSERT_TRUE(locate_hypertext(doc, file, "").has_value()) << file;
        EXPECT_EQ(locate_hypertext(doc, file, ""), doc.path.substr(0, doc.path.size() - 12) + file);
#ifndef _WIN32
        EXPECT_EQ(locate_hypertext(doc, upper(file), ""), locate_hypertext(doc, file, "")) << file;
#endif
        ++checked;
    }
    EXPECT_EQ(checked, 24u);
    // ramdisk.hyp refers to hypertexts that are not in the corpus.
    HypDocument ramdisk;
    ASSERT_TRUE(open(ramdisk, CORPUS + "/ramdisk.hyp"));
    EXPECT_EQ(locate_hypertext(ramdisk, "magic4.hyp", ""), std::nullopt);
}

// tos-en.hyp has compile system byte 5, yet its pages hold Atari umlauts (0x81 is "ü").
TEST(Corpus, TosManualReadsInTheAtariSet) {
    SKIP_WITHOUT_CORPUS();
    HypDocument doc;
    ASSERT_TRUE(open(doc, CORPUS + "/tos-en.hyp"));
    EXPECT_EQ(doc.header.os, 5);
    EXPECT_EQ(doc.source_charset, CHARSET_TOS);
    size_t atari_umlauts = 0;
    for (unsigned i = 0; i <= doc.last_node_index; ++i) {
        load_page(doc, i);
        const Bytes& page = doc.index[i].page_data;
        atari_umlauts += std::count(page.begin(), page.end(), 0x81);
        doc.index[i].page_data.clear();
    }
    EXPECT_GT(atari_umlauts, 0u);
}

}  // namespace

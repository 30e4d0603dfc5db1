// Text export of the real hypertexts: every file completes, and each node's text agrees with the
// same node of its ST-Guide source where the source is at hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "stg_source_reader.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpus_files(const char* extension) {
    std::vector<fs::path> files;
    const fs::path dir(VELLUMAR_CORPUS_DIR);
    std::error_code error;
    if (!fs::is_directory(dir, error)) return files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        if (entry.path().extension() == extension) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The export of the open document, cut into the output of each entry.
struct SlicedExport {
    Outcome result;
    std::string text;
    std::vector<std::string> entries;  // output of entry i (empty when it wrote nothing)
};

SlicedExport export_document(unsigned target) {
    SlicedExport out;
    document.page_cache = PageCache{};
    std::vector<size_t> ends;
    {
        ExportOutput output(&out.text);
        ExportRun run;
        run.conversion = conversion_table(document.source_charset, target);
        TextWriter writer(output, run);
        out.result = export_hypertext(document, writer, run, &output, settings.FONT,
                                      [&](unsigned, unsigned) { ends.push_back(out.text.size()); });
    }
    size_t from = out.text.find(")\r\n") + 3;  // after the banner
    for (size_t end : ends) {
        out.entries.push_back(out.text.substr(from, end - from));
        from = end;
    }
    return out;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

class TextExportCorpusTest : public ::testing::Test {
   protected:
    void SetUp() override {
        if (corpus_files(".hyp").empty()) GTEST_SKIP() << "no corpus at " << VELLUMAR_CORPUS_DIR;
        restore_default_settings();
    }
    void TearDown() override { close_hypertext(document); }
};

TEST_F(TextExportCorpusTest, EveryFileExportsCompletely) {
    for (const fs::path& path : corpus_files(".hyp")) {
        SCOPED_TRACE(path.filename().string());
        int32_t current = -1;
        ASSERT_TRUE(succeeded(open_hypertext(document, path.string(), std::nullopt, -1, current)));
        for (unsigned target : {TARGET_ANSI, TARGET_OEM}) {
            const SlicedExport out = export_document(target);
            EXPECT_TRUE(succeeded(out.result));
            EXPECT_EQ(out.entries.size(), document.index.size());
            // Every page with text got its heading first.
            size_t pages = 0;
            for (size_t i = 0; i < out.entries.size(); ++i) {
                const uint8_t type = document.index[i].type;
                const bool page = type == ENTRY_NODE || type == ENTRY_PNODE;
                if (!page) {
                    EXPECT_TRUE(out.entries[i].empty()) << "entry " << i;
                    continue;
                }
                if (out.entries[i].empty()) continue;
                ++pages;
                const std::string first = out.entries[i].substr(0, out.entries[i].find("\r\n"));
                EXPECT_TRUE(first.size() >= 4 && first[0] == '#' && first.back() == '#')
                    << "entry " << i << ": " << first;
            }
            EXPECT_GT(pages, 0u);
            // No bare line feeds: every line ends in CR LF.
            for (size_t i = 0; i < out.text.size(); ++i) {
                if (out.text[i] == '\n') {
                    ASSERT_EQ(out.text[i - 1], '\r') << "at byte " << i;
                }
            }
        }
        close_hypertext(document);
    }
}

TEST_F(TextExportCorpusTest, NodeTextAgreesWithTheSource) {
    size_t files = 0;
    for (const fs::path& stg : corpus_files(".stg")) {
        fs::path hyp = stg;
        hyp.replace_extension(".hyp");
        if (!fs::exists(hyp)) continue;
        SCOPED_TRACE(hyp.filename().string());
        ++files;
        int32_t current = -1;
        ASSERT_TRUE(succeeded(open_hypertext(document, hyp.string(), std::nullopt, -1, current)));
        // Written in the document's own set, so it compares byte for byte with the source.
        const unsigned own =
            document.source_charset == CHARSET_TOS ? unsigned{TARGET_TOS} : unsigned{TARGET_MAC};
        const SlicedExport out = export_document(own);
        ASSERT_TRUE(succeeded(out.result));

        std::map<std::string, size_t> page_of;
        for (size_t i = 0; i < document.index.size(); ++i) {
            const IndexEntry& entry = document.index[i];
            if ((entry.type == ENTRY_NODE || entry.type == ENTRY_PNODE) && entry.name) {
                page_of.emplace(*entry.name, i);
            }
        }

        const std::vector<uint8_t> bytes = fixture::read_file(stg.string());
        const std::vector<stgsource::SourceNode> nodes = stgsource::read_stg_source(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        size_t source_lines = 0;
        size_t agreeing = 0;
        size_t matched_nodes = 0;
        for (const stgsource::SourceNode& node : nodes) {
            auto found = page_of.find(node.name);
            if (found == page_of.end()) continue;
            ++matched_nodes;
            std::vector<std::string> exported = split_lines(out.entries[found->second]);
            if (!exported.empty()) exported.erase(exported.begin());  // the heading
            std::vector<std::string> source;
            for (const std::string& line : node.lines)
                source.push_back(stgsource::normalised(line));
            for (std::string& line : exported) line = stgsource::normalised(line);
            // Blank lines at the end of a node carry nothing a reader sees.
            while (!source.empty() && source.back().empty()) source.pop_back();
            while (!exported.empty() && exported.back().empty()) exported.pop_back();
            source_lines += std::max(source.size(), exported.size());
            agreeing += stgsource::agreeing_lines(source, exported);
        }
        const double share = source_lines ? 100.0 * agreeing / source_lines : 100.0;
        std::printf("  %-14s %4zu of %4zu nodes, %6zu of %6zu lines agree (%.1f%%)\n",
                    hyp.filename().string().c_str(), matched_nodes, nodes.size(), agreeing,
                    source_lines, share);
        RecordProperty(hyp.filename().string(), std::to_string(share));
        EXPECT_GT(matched_nodes, nodes.size() / 2);
        EXPECT_GE(share, 90.0);
        close_hypertext(document);
    }
    EXPECT_GT(files, 0u);
}

}  // namespace

namespace {

TEST(StgSourceReaderTest, VisibleTextOfSourceLines) {
    struct Case {
        const char* line;
        const char* visible;
    };
    const Case cases[] = {
        {"plain text", "plain text"},
        {"@{B}bold@{b} and @{0}none", "bold and none"},
        {"see @{\"the manual\" link Manual} now", "see the manual now"},
        {"@{Word link \"Some node\" 12}!", "Word!"},
        {"@{\"say \\\"hi\\\"\" alink x}", "say \"hi\""},
        {"@{\"MiNT\" ignore} and @{Uu}", "MiNT and "},
        {"mail@@host @ alone", "mail@host @ alone"},
        {"cut @{B", "cut "},
    };
    for (const Case& c : cases) EXPECT_EQ(stgsource::visible_text(c.line), c.visible) << c.line;
}

TEST(StgSourceReaderTest, NodesWithoutCommandLines) {
    const std::string source =
        "@database \"x\"\r\n"
        "@NODE \"First node\" \"Its title\"\r\n"
        "@title \"x\"\r\n"
        "## a comment\r\n"
        "line @{B}one@{b}\r\n"
        "@if 0\r\n"
        "left out\r\n"
        "@endif\r\n"
        "@{U}two@{u}\r\n"
        "@EndNode\r\n"
        "between nodes\r\n"
        "@pnode Pop\n"
        "\tpopup\n"
        "@endnode\n";
    const std::vector<stgsource::SourceNode> nodes = stgsource::read_stg_source(source);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].name, "First node");
    EXPECT_FALSE(nodes[0].popup);
    EXPECT_EQ(nodes[0].lines, (std::vector<std::string>{"line one", "two"}));
    EXPECT_EQ(nodes[1].name, "Pop");
    EXPECT_TRUE(nodes[1].popup);
    EXPECT_EQ(nodes[1].lines, (std::vector<std::string>{"\tpopup"}));
    EXPECT_EQ(stgsource::normalised("  a \t b  "), "a b");
    EXPECT_EQ(stgsource::agreeing_lines({"a", "b", "c"}, {"a", "x", "c"}), 2u);
}

}  // namespace

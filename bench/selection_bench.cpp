// Benchmark of what a selection costs beside the page copy: collecting a page's cells (done
// once when a selection starts on a page) against copying the page, and copying every line of
// it selected in turn. The largest page of each corpus file, and a synthetic index-like page
// of 5,466 lines.
//   selection_bench [CORPUS_DIR]
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/page_copy.h"
#include "app/text_selection.h"
#include "bench/bench_clock.h"
#include "fixture/page_builder.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 5;

// Prints the best of kRounds for each step on page `page` of `doc`.
void measure(const char* name, HypDocument& doc, uint16_t page) {
    double copy_ms = 1e9, collect_ms = 1e9, lines_ms = 1e9;
    PageText text;
    size_t copied = 0;
    for (int round = 0; round < kRounds; ++round) {
        Clock::time_point start = Clock::now();
        std::string copy;
        copy_page_text(doc, page, TARGET_UTF8, copy);
        copy_ms = std::min(copy_ms, ms_since(start));
        copied = copy.size();

        start = Clock::now();
        collect_page_text(doc, page, TARGET_UTF8, text);
        collect_ms = std::min(collect_ms, ms_since(start));

        start = Clock::now();
        size_t bytes = 0;
        for (int32_t t = 0; t < static_cast<int32_t>(text.lines.size()); ++t) {
            TextSelection selection;
            selection.select({t, 0}, {t + 1, 0});
            bytes += selected_text(text, selection).size();
        }
        lines_ms = std::min(lines_ms, ms_since(start));
        if (bytes == 0 && copied != 0) std::printf("(no line selected)\n");
    }
    std::printf("%-22s %6zu lines %8zu bytes  copy %7.2f ms  cells %7.2f ms  each line %7.2f ms\n",
                name, text.lines.size(), copied, copy_ms, collect_ms, lines_ms);
}

uint16_t largest_page(const HypDocument& doc) {
    uint16_t best = 0;
    uint64_t size = 0;
    for (size_t i = 0; i < doc.index.size(); ++i) {
        const IndexEntry& entry = doc.index[i];
        if (entry.type != ENTRY_NODE && entry.type != ENTRY_PNODE) continue;
        if (unpacked_size(entry) >= size) {
            size = unpacked_size(entry);
            best = static_cast<uint16_t>(i);
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    restore_default_settings();
    const fs::path dir(argc > 1 ? argv[1] : VELLUMAR_CORPUS_DIR);
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_directory(dir, error)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
            if (entry.path().extension() == ".hyp") files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files) {
        document.page_cache = PageCache{};
        int32_t current = -1;
        if (!open_hypertext(document, path.string(), std::nullopt, -1, current)) continue;
        measure(path.filename().string().c_str(), document, largest_page(document));
        close_hypertext(document);
    }

    // An index page: one link per line, 5,466 lines.
    fixture::PageBuilder page;
    for (int i = 0; i < 5466; ++i) {
        page.text("  ").link(fixture::LinkKind::Link, 0, "Eintrag " + std::to_string(i)).end_line();
    }
    HypDocument synthetic;
    IndexEntry entry;
    entry.type = ENTRY_NODE;
    entry.name = "Index";
    entry.page_data = page.bytes();
    entry.page_data.push_back(0);
    entry.stored_length = static_cast<uint32_t>(page.bytes().size());
    synthetic.index.push_back(std::move(entry));
    document.page_cache = PageCache{};
    measure("index of 5466 lines", synthetic, 0);
    return 0;
}

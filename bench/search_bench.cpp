// Benchmark of the search through every page: tos-en.hyp (4,056 entries) for a word it lacks
// and for words that stand on nearly every line. Prints time (wall and CPU, best and median of
// five passes, unpacking included) and, through a counting allocator, the heap the search needs
// beyond the opened document at its peak.
//   search_bench [HYP_FILE]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/search.h"
#include "bench/bench_files.h"
#include "bench/bench_pass.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

// One search through every page of the freshly opened document (nothing unpacked before).
Pass search_once(const std::string& path, const std::string& word) {
    if (const Outcome opened = open_fresh(document, path); !opened) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), opened.failure().message.c_str());
        std::exit(1);
    }
    const Pass pass = measure_pass([&] {
        SearchPattern pattern;
        if (!pattern.prepare(word, document.source_charset, false)) std::exit(1);
        return search_document(document, pattern, SearchScope::AllPages, kBeforeFirstPage,
                               [](const SearchMatch&) { return true; });
    });
    close_hypertext(document);
    return pass;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : std::string(VELLUMAR_CORPUS_DIR) + "/tos-en.hyp";
    restore_default_settings();
    {
        int32_t current = -1;
        if (!open_hypertext(document, path, std::nullopt, -1, current)) {
            std::printf("search_bench: %s not readable, nothing measured\n", path.c_str());
            return 0;
        }
        size_t pages = 0, text = 0;
        for (const IndexEntry& e : document.index) {
            if (e.type == ENTRY_NODE || e.type == ENTRY_PNODE) {
                ++pages;
                text += static_cast<size_t>(unpacked_size(e));
            }
        }
        std::printf(
            "Search through every page of %s\n  %zu entries, %zu pages and popups, "
            "%.1f MB of page data\n",
            path.c_str(), document.index.size(), pages, text / 1e6);
        close_hypertext(document);
    }
    std::printf("  %-22s %8s %9s %9s %9s %9s %9s\n", "word", "matches", "best ms", "median ms",
                "cpu ms", "heap KiB", "goal");
    bool all_met = true;
    for (const char* word : {"xyzzy-absent", "the", "e"}) {
        search_once(path, word);  // warm-up: the file in the system's cache
        constexpr int kPasses = 5;
        std::vector<Pass> passes;
        for (int i = 0; i < kPasses; ++i) passes.push_back(search_once(path, word));
        const PassFigures f = figures_of(passes);
        const bool met = f.best.wall_ms < 100.0 && f.heap < 1024 * 1024;
        all_met = all_met && met;
        std::printf("  %-22s %8zu %9.1f %9.1f %9.1f %9.1f %9s\n", word, f.best.count,
                    f.best.wall_ms, f.median_ms, f.cpu_ms, f.heap / 1024.0, met ? "met" : "MISSED");
    }
    std::printf("  goal: under 100 ms, heap beyond the open document under 1024 KiB\n");
    (void)all_met;
    return 0;
}

// Benchmark of the catalogue: building the keyword list of the shared corpus (15 files) and of a
// folder of 300 (the corpus with its REF files copied 20 times under other names, made in a
// temporary folder), the heap the list holds, a refresh with nothing changed, the first rows of
// a list that fills file by file, and narrowing the 300-file list as a reader types keywords
// character by character. Prints time (best and median of the passes) and heap (counted).
//   catalogue_bench [CORPUS_FOLDER]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/keyword_matches.h"
#include "app/shelf.h"
#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "bench/counting_allocator.h"
#include "hyp/paths.h"
#include "settings/settings.h"

namespace {

constexpr int kCopies = 20;

// Goals: the corpus in 100 ms and 4 MiB, 300 files in 1.5 s, one more character in 16 ms.
constexpr double kCorpusGoalMs = 100.0;
constexpr size_t kCorpusGoalHeap = 4u << 20;
constexpr double kBigGoalMs = 1500.0;
constexpr double kNarrowGoalMs = 16.0;

const char* met(bool ok) {
    return ok ? "met" : "MISSED";
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Build {
    double best_ms = 0;
    double median_ms = 0;
    double cpu_ms = 0;
    double first_rows_ms = 0;  // until the first file's rows could be shown
    size_t held = 0;           // heap the finished catalogue holds
    size_t peak = 0;           // heap at the peak of the build
    size_t rows = 0;
};

// Builds a fresh catalogue of `files` `passes` times; `kept` receives the last one.
Build measure_build(const std::vector<std::string>& files, int passes, Catalogue& kept) {
    Build result;
    std::vector<double> walls;
    std::vector<double> firsts;
    for (int i = 0; i < passes + 1; ++i) {  // the first pass warms the system's file cache
        kept = Catalogue{};
        const size_t before = heap_now;
        heap_peak = heap_now;
        const double cpu_start = cpu_ms();
        const Clock::time_point start = Clock::now();
        double first = -1;
        kept.build(files, [&](const Catalogue& c) {
            if (first < 0 && !c.rows().empty()) first = ms_since(start);
        });
        const double wall = ms_since(start);
        if (i == 0) continue;
        walls.push_back(wall);
        firsts.push_back(first);
        result.cpu_ms = i == 1 ? cpu_ms() - cpu_start : std::min(result.cpu_ms, cpu_ms() - cpu_start);
        result.held = heap_now - before;
        result.peak = std::max(result.peak, heap_peak - before);
    }
    result.best_ms = *std::min_element(walls.begin(), walls.end());
    result.median_ms = median(walls);
    result.first_rows_ms = median(firsts);
    result.rows = kept.rows().size();
    return result;
}

void print_build(const char* title, size_t files, const Build& b, double goal_ms,
                 size_t goal_heap) {
    std::printf("\n%s: %zu files, %zu keyword rows\n", title, files, b.rows);
    std::printf("  build: best %.1f ms, median %.1f ms, cpu %.1f ms; first rows after %.1f ms\n",
                b.best_ms, b.median_ms, b.cpu_ms, b.first_rows_ms);
    std::printf("  heap held %.0f KiB, peak while building %.0f KiB\n", b.held / 1024.0,
                b.peak / 1024.0);
    std::printf("  goal: under %.0f ms (%s)", goal_ms, met(b.best_ms < goal_ms));
    if (goal_heap) {
        std::printf(", held under %zu KiB (%s)", goal_heap / 1024, met(b.held < goal_heap));
    }
    std::printf("\n");
}

void measure_refresh(const std::vector<std::string>& files, Catalogue& catalogue) {
    const size_t read_before = catalogue.files_read();
    const Clock::time_point start = Clock::now();
    catalogue.build(files);
    std::printf("  refresh, nothing changed: %.1f ms, %zu files read again\n", ms_since(start),
                catalogue.files_read() - read_before);
}

// Types each word character by character into a list narrowed as it goes. Each step starts
// from the list narrowed to the text before it and is repeated: the best wall time and the mean
// CPU time are kept (on a busy machine the wall clock also counts the other programs' turns).
void measure_narrowing(const Catalogue& catalogue) {
    const char* const words[] = {"fsfirst", "wind_update", "dcntl", "cookie", "appl_init",
                                 "vdi", "sprung", "xbios", "mint", "e"};
    constexpr int kRepeats = 10;
    struct Times {
        std::vector<double> wall, cpu;
    } first, more;
    for (const char* word : words) {
        KeywordMatches base;
        (void)base.narrow(catalogue, "");
        std::string typed;
        for (const char* c = word; *c; ++c) {
            typed += *c;
            double best_wall = 1e9;
            double cpu = 0;
            for (int r = 0; r < kRepeats; ++r) {
                KeywordMatches matches = base;
                const double cpu_start = cpu_ms();
                const Clock::time_point start = Clock::now();
                (void)matches.narrow(catalogue, typed.c_str());
                best_wall = std::min(best_wall, ms_since(start));
                cpu += cpu_ms() - cpu_start;
            }
            Times& times = typed.size() == 1 ? first : more;
            times.wall.push_back(best_wall);
            times.cpu.push_back(cpu / kRepeats);
            (void)base.narrow(catalogue, typed.c_str());
        }
    }
    double worst = 0;
    for (const Times* t : {&first, &more}) {
        const double worst_wall = *std::max_element(t->wall.begin(), t->wall.end());
        const double worst_cpu = *std::max_element(t->cpu.begin(), t->cpu.end());
        std::printf("  %s (%zu steps): wall median %.2f ms, worst %.2f ms; cpu median %.2f ms, "
                    "worst %.2f ms\n",
                    t == &first ? "the first character, every row looked at"
                                : "one more character, the previous result looked at",
                    t->wall.size(), median(t->wall), worst_wall, median(t->cpu), worst_cpu);
        worst = std::max(worst, worst_wall);
    }
    std::printf("  goal: each typed character under %.0f ms (%s)\n", kNarrowGoalMs,
                met(worst < kNarrowGoalMs));
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> originals = corpus_hypertexts(argc, argv, "catalogue_bench");
    if (originals.empty()) return 0;
    std::printf("Catalogue: keyword lists of a shelf\n");
    {
        Catalogue catalogue;
        const Build b = measure_build(originals, 7, catalogue);
        print_build("The corpus", originals.size(), b, kCorpusGoalMs, kCorpusGoalHeap);
        measure_refresh(originals, catalogue);
    }

    char folder_template[] = "/tmp/catalogue-bench-XXXXXX";
    const char* folder = mkdtemp(folder_template);
    if (folder == nullptr) {
        std::printf("catalogue_bench: no temporary folder, the big folder not measured\n");
        return 0;
    }
    std::vector<std::string> made;
    for (int copy = 0; copy < kCopies; ++copy) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "k%02d-", copy);
        for (const std::string& path : originals) {
            // The REF file beside each copy too: most keywords come from there.
            const std::string base = std::string(folder) + "/" + prefix + path_base_name(path);
            const std::string ref = path_directory(path) + path_base_name(path) + ".ref";
            if (!copy_file(path, base + ".hyp")) {
                std::printf("catalogue_bench: cannot copy %s\n", path.c_str());
                return 1;
            }
            made.push_back(base + ".hyp");
            if (copy_file(ref, base + ".ref")) made.push_back(base + ".ref");
        }
    }
    const std::vector<std::string> big = hypertext_files_in(folder);
    {
        Catalogue catalogue;
        const Build b = measure_build(big, 3, catalogue);
        print_build("The corpus copied 20 times", big.size(), b, kBigGoalMs, 0);
        measure_refresh(big, catalogue);
        measure_narrowing(catalogue);
    }
    for (const std::string& path : made) std::remove(path.c_str());
    rmdir(folder);
    return 0;
}

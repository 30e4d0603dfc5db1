// Benchmark of the text export: the whole corpus, and synthetic hypertexts of up to 65535
// entries. Prints time and memory: the process's peak resident size (getrusage) and, through a
// counting allocator, the heap the export needs beyond the opened document.
//   text_export_bench [CORPUS_DIR]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "bench/bench_clock.h"
#include "bench/counting_allocator.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;
// User plus system CPU time of the process so far, in milliseconds: unlike the wall clock it does
// not grow while other programs hold the processor.
long peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct RunFigures {
    double open_ms = 0;
    double export_ms = 0;
    size_t written = 0;
    size_t unpacked = 0;       // bytes of all pages, unpacked
    size_t unpacked_all = 0;   // bytes of all entries (pictures included), unpacked
    size_t largest_page = 0;   // largest unpacked page
    size_t document_heap = 0;  // heap held by the opened document
    size_t export_heap = 0;    // heap the export needed beyond that, at its peak
    bool ok = false;
};

// Opens `path` and exports it as text into `sink` (a file), measuring time and heap.
RunFigures export_file(const std::string& path, std::FILE* sink) {
    RunFigures figures;
    close_hypertext(document);
    document.page_cache = PageCache{};
    const size_t heap_before = heap_now;
    Clock::time_point start = Clock::now();
    int32_t current = -1;
    if (!open_hypertext(document, path, std::nullopt, -1, current)) {
        std::fprintf(stderr, "%s: cannot open\n", path.c_str());
        return figures;
    }
    figures.open_ms = ms_since(start);
    for (const IndexEntry& entry : document.index) {
        figures.unpacked_all += static_cast<size_t>(unpacked_size(entry));
        if (entry.type == ENTRY_NODE || entry.type == ENTRY_PNODE) {
            figures.unpacked += static_cast<size_t>(unpacked_size(entry));
            figures.largest_page =
                std::max(figures.largest_page, static_cast<size_t>(unpacked_size(entry)));
        }
    }
    figures.document_heap = heap_now - heap_before;

    std::rewind(sink);
    heap_peak = heap_now;
    const size_t heap_open = heap_now;
    start = Clock::now();
    {
        ExportOutput output(sink);
        const ExportRun run = export_run(ExportMode::Text, std::string(), document.source_charset);
        TextWriter writer(output, run);
        figures.ok = static_cast<bool>(export_hypertext(document, writer, run, &output, settings.FONT));
        output.flush();
        figures.written = output.written();
    }
    figures.export_ms = ms_since(start);
    figures.export_heap = heap_peak - heap_open;
    close_hypertext(document);
    return figures;
}

// A hypertext of `entries` nodes, each a short page of a few lines with a link to the next.
std::string make_synthetic(const std::string& dir, unsigned entries) {
    fixture::HypBuilder builder;
    builder.ext_text(1, "Synthetic").ext_word(11, 72);
    for (unsigned i = 0; i < entries; ++i) {
        fixture::PageBuilder page;
        page.title("Page number " + std::to_string(i));
        page.line("This is page " + std::to_string(i) + " of a long synthetic hypertext.");
        page.attributes(1).text("Next: ").attributes(0);
        page.link(fixture::LinkKind::Link, (i + 1) % entries, "page " + std::to_string(i + 1));
        page.end_line().line("").line("Some more text so that the page has a body of its own.");
        builder.node("Page " + std::to_string(i), page.bytes(), fixture::Storage::Raw);
    }
    const std::string path = dir + "/synthetic_" + std::to_string(entries) + ".hyp";
    if (!builder.write(path)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), builder.error().c_str());
        std::exit(1);
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string corpus = argc > 1 ? argv[1] : VELLUMAR_CORPUS_DIR;
    restore_default_settings();
    std::FILE* sink = std::tmpfile();
    if (!sink) {
        std::perror("tmpfile");
        return 1;
    }

    // --- the corpus ---
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_directory(corpus, error)) {
        for (const auto& entry : fs::directory_iterator(corpus, error)) {
            if (entry.path().extension() == ".hyp") files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::printf("corpus: none at %s\n", corpus.c_str());
    } else {
        // One warm-up pass so that the files are in the page cache of the system.
        for (const fs::path& file : files) export_file(file.string(), sink);
        std::printf("Text export of the corpus (%s)\n", corpus.c_str());
        std::printf("  %-14s %9s %9s %8s %8s %9s\n", "file", "unpacked", "written", "open ms",
                    "export ms", "heap KiB");
        // Five passes; the machine is shared, so the best and the median pass are reported.
        constexpr int kPasses = 5;
        std::vector<double> pass_ms;
        std::vector<double> pass_cpu_ms;
        size_t total_unpacked = 0;
        size_t total_all = 0;
        size_t total_written = 0;
        for (int pass = 0; pass < kPasses; ++pass) {
            double total_ms = 0;
            const double cpu_start = cpu_ms();
            for (const fs::path& file : files) {
                const RunFigures f = export_file(file.string(), sink);
                total_ms += f.open_ms + f.export_ms;
                if (pass > 0) continue;
                total_unpacked += f.unpacked;
                total_all += f.unpacked_all;
                total_written += f.written;
                std::printf("  %-14s %9zu %9zu %8.2f %8.2f %9.1f%s\n",
                            file.filename().string().c_str(), f.unpacked, f.written, f.open_ms,
                            f.export_ms, f.export_heap / 1024.0, f.ok ? "" : "  FAILED");
            }
            pass_ms.push_back(total_ms);
            pass_cpu_ms.push_back(cpu_ms() - cpu_start);
        }
        std::sort(pass_ms.begin(), pass_ms.end());
        std::sort(pass_cpu_ms.begin(), pass_cpu_ms.end());
        std::printf(
            "  all %zu files: %.1f MB in all entries, %.1f MB of them pages (unpacked by "
            "the export), %.1f MB written\n",
            files.size(), total_all / 1e6, total_unpacked / 1e6, total_written / 1e6);
        std::printf(
            "  opening and exporting all, unpacking included: best %.1f ms, median %.1f ms "
            "of %d passes (goal < 150 ms)\n",
            pass_ms.front(), pass_ms[kPasses / 2], kPasses);
        std::printf("  processor time of a pass (user + system): best %.1f ms, median %.1f ms\n",
                    pass_cpu_ms.front(), pass_cpu_ms[kPasses / 2]);
    }

    // --- synthetic hypertexts up to the largest index ---
    const std::string dir = fixture::make_temp_directory("text-export-bench");
    std::printf("\nText export of synthetic hypertexts\n");
    std::printf("  %8s %10s %9s %9s %10s %12s %12s %14s\n", "entries", "file bytes", "open ms",
                "export ms", "us/entry", "index KiB", "largest page", "export heap KiB");
    for (unsigned entries : {4095u, 16383u, 32767u, 65535u}) {
        const std::string path = make_synthetic(dir, entries);
        const size_t file_bytes = static_cast<size_t>(fs::file_size(path, error));
        const RunFigures f = export_file(path, sink);
        std::printf("  %8u %10zu %9.1f %9.1f %10.2f %12.1f %12zu %14.1f%s\n", entries, file_bytes,
                    f.open_ms, f.export_ms, 1000.0 * f.export_ms / entries,
                    f.document_heap / 1024.0, f.largest_page, f.export_heap / 1024.0,
                    f.ok ? "" : "  FAILED");
        std::printf("           goal: export heap < largest page + 1 MiB = %.1f KiB: %s\n",
                    (f.largest_page + 1048576.0) / 1024.0,
                    f.export_heap < f.largest_page + 1048576 ? "met" : "MISSED");
        fs::remove(path, error);
    }
    fixture::remove_directory(dir);
    std::fclose(sink);
    std::printf("\npeak resident size of the whole run: %ld KiB\n", peak_rss_kb());
    return 0;
}

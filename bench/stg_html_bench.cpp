// Benchmark of the STG recompilation and the HTML output over the whole corpus: every file is
// opened once, then recompiled to one STG file and written as HTML pages with their BMP files.
// Prints wall clock and CPU time per file and in all, best of several rounds (each export of a
// round starts from a freshly opened document, so REF reading and symbol collection count).
//   stg_html_bench [CORPUS_DIR [OUTPUT_DIR]]
// OUTPUT_DIR defaults to a new folder under the system's temporary folder.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/html_writer.h"
#include "export/stg_writer.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRounds = 5;

struct Figures {
    double wall = 0;
    double cpu = 0;
    size_t files = 0;  // files written (the STG file, pages, pictures)
};

bool open_readable(const std::string& path) {
    const Outcome opened = open_fresh(document, path);
    if (opened) return true;
    std::fprintf(stderr, "%s: %s\n", path.c_str(), opened.failure().message.c_str());
    return false;
}

size_t files_in(const fs::path& dir) {
    size_t n = 0;
    for (const auto& entry : fs::directory_iterator(dir)) n += entry.is_regular_file();
    return n;
}

// One export of the open document in `mode` into `dir`, timed.
Figures run(ExportMode mode, const fs::path& dir, const std::string& base) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    Figures f;
    const ExportRun export_run_value =
        export_run(mode, (dir / (base + (mode == ExportMode::Stg ? ".stg" : ".html"))).string(),
                   document.source_charset);
    const double cpu_start = cpu_ms();
    const Clock::time_point start = Clock::now();
    Outcome result = Failure{"nicht geschrieben"};
    {
        if (mode == ExportMode::Stg) {
            std::FILE* file = std::fopen(export_run_value.path.c_str(), "wb");
            if (file) {
                {
                    ExportOutput output(file);
                    StgWriter writer(output, export_run_value);
                    result = export_hypertext(document, writer, export_run_value, &output, settings.FONT);
                }
                std::fclose(file);
            }
        } else {
            HtmlWriter writer(export_run_value);
            result = export_hypertext(document, writer, export_run_value, nullptr, settings.FONT);
        }
    }
    f.wall = ms_since(start);
    f.cpu = cpu_ms() - cpu_start;
    if (!result) std::fprintf(stderr, "%s: %s\n", base.c_str(), result.failure().message.c_str());
    f.files = files_in(dir);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string corpus = argc > 1 ? argv[1] : VELLUMAR_CORPUS_DIR;
    std::error_code ec;
    const fs::path out =
        argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path(ec) / "vellumar-stg-html-bench";
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(corpus, ec)) {
        if (entry.path().extension() == ".hyp") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no HYP files in %s\n", corpus.c_str());
        return 1;
    }

    std::printf("STG and HTML export of %zu files from %s into %s, best of %d rounds\n\n",
                files.size(), corpus.c_str(), out.string().c_str(), kRounds);
    std::printf("%-12s %9s %9s %7s   %9s %9s %7s\n", "file", "STG ms", "CPU ms", "files", "HTML ms",
                "CPU ms", "files");
    Figures stg_total, html_total;
    for (const std::string& path : files) {
        const std::string base = fs::path(path).stem().string();
        Figures best_stg, best_html;
        best_stg.wall = best_html.wall = 1e30;
        for (int round = 0; round < kRounds; ++round) {
            if (!open_readable(path)) return 1;
            const Figures stg = run(ExportMode::Stg, out / base / "stg", base);
            if (stg.wall < best_stg.wall) best_stg = stg;
            if (!open_readable(path)) return 1;
            const Figures html = run(ExportMode::Html, out / base / "html", base);
            if (html.wall < best_html.wall) best_html = html;
        }
        std::printf("%-12s %9.1f %9.1f %7zu   %9.1f %9.1f %7zu\n", base.c_str(), best_stg.wall,
                    best_stg.cpu, best_stg.files, best_html.wall, best_html.cpu, best_html.files);
        stg_total.wall += best_stg.wall;
        stg_total.cpu += best_stg.cpu;
        stg_total.files += best_stg.files;
        html_total.wall += best_html.wall;
        html_total.cpu += best_html.cpu;
        html_total.files += best_html.files;
    }
    close_hypertext(document);
    std::printf("%-12s %9.1f %9.1f %7zu   %9.1f %9.1f %7zu\n", "all", stg_total.wall, stg_total.cpu,
                stg_total.files, html_total.wall, html_total.cpu, html_total.files);
    std::printf("\nSTG and HTML together: %.1f ms wall clock, %.1f ms CPU (goal: under 400 ms)\n",
                stg_total.wall + html_total.wall, stg_total.cpu + html_total.cpu);
    fs::remove_all(out, ec);
    return 0;
}

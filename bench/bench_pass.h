// One measured pass of a benchmark (wall time, CPU time, peak heap) and the figures of several.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/counting_allocator.h"

struct Pass {
    double wall_ms = 0;
    double cpu_ms = 0;
    size_t count = 0;  // what the pass counted (matches, rows)
    size_t heap = 0;   // peak heap beyond what was in use when the pass began
};

// Runs `work` once; it returns what it counted.
template <typename Work>
Pass measure_pass(Work&& work) {
    Pass pass;
    const size_t heap_open = heap_now;
    heap_peak = heap_now;
    const double cpu_start = cpu_ms();
    const Clock::time_point start = Clock::now();
    pass.count = work();
    pass.wall_ms = ms_since(start);
    pass.cpu_ms = cpu_ms() - cpu_start;
    pass.heap = heap_peak - heap_open;
    return pass;
}

// What several passes of the same work show: the fastest pass, the median wall time, the least
// CPU time and the largest heap any pass needed.
struct PassFigures {
    Pass best;
    double median_ms = 0;
    double cpu_ms = 0;
    size_t heap = 0;
};

inline PassFigures figures_of(std::vector<Pass> passes) {
    std::sort(passes.begin(), passes.end(),
              [](const Pass& a, const Pass& b) { return a.wall_ms < b.wall_ms; });
    PassFigures figures;
    figures.best = passes.front();
    figures.median_ms = passes[passes.size() / 2].wall_ms;
    figures.cpu_ms = passes.front().cpu_ms;
    for (const Pass& p : passes) {
        figures.heap = std::max(figures.heap, p.heap);
        figures.cpu_ms = std::min(figures.cpu_ms, p.cpu_ms);
    }
    return figures;
}

// Benchmark of the LH5 decoder on the compressed objects of the real hypertexts, against lhasa
// (an independent LHA extractor) unpacking the same streams from an archive.
//
// usage: lh5_bench [CORPUS_DIR [MIN_MEGABYTES]]
// Prints the throughput of both (wall clock and CPU time, best of several rounds) and the ratio.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixture/corpus_streams.h"
#include "fixture/lha_archive.h"
#include "hyp/lh5.h"

namespace {

constexpr double kMegabyte = 1e6;
constexpr double kDefaultMinimumMegabytes = 40;
constexpr int kRounds = 5;  // alternating; on a shared machine the best round of each side counts

struct Timing {
    double wall = 0;  // seconds
    double cpu = 0;   // seconds of user + system time
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double children_cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Decodes every stream `passes` times; counts streams that report a data error.
Timing time_ours(const std::vector<CompressedObject>& objects, int passes,
                 std::vector<uint8_t>& out, size_t* errors) {
    *errors = 0;
    const std::clock_t cpu_start = std::clock();
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        for (const CompressedObject& object : objects) {
            if (!lh5_decode(object.stream.data(), object.stream.size(), out.data(),
                            object.unpacked_size)) {
                ++*errors;
            }
        }
    }
    Timing t;
    t.wall = seconds_since(start);
    t.cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    return t;
}

Timing time_lhasa(const std::string& archive, int* status) {
    const std::string command = "lhasa pq '" + archive + "' > /dev/null";
    const double cpu_start = children_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    *status = std::system(command.c_str());
    Timing t;
    t.wall = seconds_since(start);
    t.cpu = children_cpu_seconds() - cpu_start;
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string corpus = argc > 1 ? argv[1] : VELLUMAR_CORPUS_DIR;
    const double minimum_mb = argc > 2 ? std::atof(argv[2]) : kDefaultMinimumMegabytes;

    std::vector<CompressedObject> objects;
    for (const std::string& file : hyp_files_in(corpus)) {
        std::vector<CompressedObject> found;
        std::string error;
        if (!read_compressed_objects(file, &found, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        for (CompressedObject& object : found) {
            // Objects with nothing stored unpack to zeros from zero bits; an archive member
            // without data is no work for the other extractor, so both sides leave them out.
            if (!object.stream.empty()) objects.push_back(std::move(object));
        }
    }
    if (objects.empty()) {
        std::fprintf(stderr, "no LH5 streams found in %s\n", corpus.c_str());
        return 1;
    }
    size_t packed = 0, unpacked = 0, largest = 0;
    for (const CompressedObject& object : objects) {
        packed += object.stream.size();
        unpacked += object.unpacked_size;
        largest = std::max(largest, object.unpacked_size);
    }
    const int passes = static_cast<int>(std::ceil(minimum_mb * kMegabyte / unpacked));
    const double total_mb = static_cast<double>(unpacked) * passes / kMegabyte;
    std::printf("%zu LH5 streams from %s: %.2f MB packed, %.2f MB unpacked; %d passes = %.1f MB\n",
                objects.size(), corpus.c_str(), packed / kMegabyte, unpacked / kMegabyte, passes,
                total_mb);

    // The same streams, `passes` times over, as members of one archive.
    std::vector<uint8_t> out(largest);
    std::vector<uint8_t> archive;
    for (const CompressedObject& object : objects) {
        lh5_decode(object.stream.data(), object.stream.size(), out.data(), object.unpacked_size);
        for (int pass = 0; pass < passes; ++pass) {
            lha_append_lh5_member(archive, std::to_string(archive.size()), object.stream,
                                  out.data(), object.unpacked_size);
        }
    }
    lha_finish(archive);
    const std::string archive_path = (std::filesystem::temp_directory_path() /
                                      ("vellumar_lh5_bench_" + std::to_string(getpid()) + ".lzh"))
                                         .string();
    std::ofstream(archive_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(archive.data()),
               static_cast<std::streamsize>(archive.size()));

    const bool have_lhasa = std::system("command -v lhasa >/dev/null 2>&1") == 0;
    Timing best_ours{1e9, 1e9}, best_lhasa{1e9, 1e9};
    size_t errors = 0;
    int lhasa_status = 0;
    for (int round = 0; round < kRounds; ++round) {
        const Timing ours = time_ours(objects, passes, out, &errors);
        best_ours.wall = std::min(best_ours.wall, ours.wall);
        best_ours.cpu = std::min(best_ours.cpu, ours.cpu);
        if (have_lhasa) {
            const Timing lhasa = time_lhasa(archive_path, &lhasa_status);
            best_lhasa.wall = std::min(best_lhasa.wall, lhasa.wall);
            best_lhasa.cpu = std::min(best_lhasa.cpu, lhasa.cpu);
        }
    }
    std::filesystem::remove(archive_path);

    std::printf("lh5_decode: %7.1f MB/s wall, %7.1f MB/s CPU (%zu data errors per run)\n",
                total_mb / best_ours.wall, total_mb / best_ours.cpu, errors);
    if (!have_lhasa) {
        std::printf("lhasa not installed (Debian package lhasa): no comparison\n");
        return 0;
    }
    std::printf("lhasa pq:   %7.1f MB/s wall, %7.1f MB/s CPU%s\n", total_mb / best_lhasa.wall,
                total_mb / best_lhasa.cpu, lhasa_status == 0 ? "" : " (it reported errors)");
    std::printf("ratio:      %7.2fx wall, %7.2fx CPU (goal: at least 4x)\n",
                best_lhasa.wall / best_ours.wall, best_lhasa.cpu / best_ours.cpu);
    return 0;
}

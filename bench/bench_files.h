// File handling shared by the benchmarks: a hypertext opened afresh, files copied, the corpus.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/shelf.h"
#include "hyp/document.h"
#include "settings/settings.h"

// Opens `path` into `doc` with nothing of an earlier file left: no page unpacked, none cached.
inline Outcome open_fresh(HypDocument& doc, const std::string& path) {
    close_hypertext(doc);
    doc.page_cache = PageCache{};
    int32_t current = -1;
    return open_hypertext(doc, path, std::nullopt, -1, current);
}

// Copies one file byte for byte; false when it cannot be read or written completely.
inline bool copy_file(const std::string& from, const std::string& to) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr) return false;
    std::FILE* out = std::fopen(to.c_str(), "wb");
    bool ok = out != nullptr;
    char buffer[1 << 16];
    size_t n = 0;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        ok = std::fwrite(buffer, 1, n, out) == n;
    }
    std::fclose(in);
    if (out != nullptr) ok = std::fclose(out) == 0 && ok;
    return ok;
}

// The hypertexts of the folder named on the command line (else the corpus), with the default
// settings in force; empty, with a line saying so, when there are none.
inline std::vector<std::string> corpus_hypertexts(int argc, char** argv, const char* bench) {
    const std::string corpus = argc > 1 ? argv[1] : std::string(VELLUMAR_CORPUS_DIR);
    restore_default_settings();
    std::vector<std::string> files = hypertext_files_in(corpus);
    if (files.empty()) std::printf("%s: no hypertexts in %s, nothing measured\n", bench, corpus.c_str());
    return files;
}

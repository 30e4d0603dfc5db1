// A scratch folder for the files a fuzz target's inputs make.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// The folder "vellumar-fuzz-TAG-XXXXXX" of this process, with a trailing "/": memory-backed
// (/dev/shm) where there is such a folder, since every input writes files; removed when the
// fuzzer ends. Made once per process; call it with the same tag every time.
inline const std::string& fuzz_work_directory(const char* tag) {
    static const std::string dir = [tag] {
        for (const char* base : {"/dev/shm", "/tmp"}) {
            std::string pattern = std::string(base) + "/vellumar-fuzz-" + tag + "-XXXXXX";
            if (mkdtemp(pattern.data()) != nullptr) return pattern;
        }
        std::abort();
    }();
    static const bool cleanup = std::atexit([] { std::filesystem::remove_all(dir); }) == 0;
    (void)cleanup;
    static const std::string with_separator = dir + "/";
    return with_separator;
}

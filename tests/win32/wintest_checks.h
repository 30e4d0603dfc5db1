// Pass/fail counting of the Windows test programs, whose last line "N passed, M failed" the
// test scripts read (tests/scripts/lib/viewer_wine.bash, run_counted).
#pragma once

#include <cstdio>
#include <string>

namespace wintest {

inline int passed = 0;
inline int failed = 0;

inline void check(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

template <typename T>
void check_eq(const T& actual, const T& expected, const std::string& what) {
    if (actual == expected) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAILED: %s: got %s, expected %s\n", what.c_str(), std::to_string(actual).c_str(),
                std::to_string(expected).c_str());
}

inline void check_text(const std::string& actual, const std::string& expected,
                       const std::string& what) {
    if (actual == expected) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAILED: %s: got \"%s\", expected \"%s\"\n", what.c_str(), actual.c_str(),
                expected.c_str());
}

// Prints the summary line; the exit status is 0 only when the run itself went well (`status`
// 0), no check failed and at least one check ran.
inline int summary(int status = 0) {
    std::printf("%d passed, %d failed\n", passed, failed);
    return status == 0 && failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace wintest

// ASCII letter case: names of pages, file names and settings compare ignoring the case of A to Z
// only; every other byte (the hypertext's own character set) compares exactly.
#pragma once

#include <string>
#include <string_view>

constexpr char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `a` and `b` have the same length and differ in the case of ASCII letters at most.
bool equal_ignoring_case(std::string_view a, std::string_view b);

// `text` with its ASCII capitals made small.
std::string ascii_lower_case(std::string text);

// ASCII letter case for name comparisons.
#include "hyp/ascii_case.h"

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

std::string ascii_lower_case(std::string text) {
    for (char& c : text) c = ascii_lower(c);
    return text;
}

// Quoting of names and texts inside the commands of ST-Guide source.
#include "export/stg_quote.h"

std::string stg_quote(std::string_view text) {
    if (text.find_first_of(" \"") == std::string_view::npos) return std::string(text);
    std::string quoted;
    quoted.reserve(text.size() + 8);
    quoted.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

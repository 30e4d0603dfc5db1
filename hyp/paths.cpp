// File-name helpers and the file-existence test with case-insensitive matching on POSIX.
#include "hyp/paths.h"

#include <sys/stat.h>

#include <vector>

#include "hyp/ascii_case.h"

#ifndef _WIN32
#include <dirent.h>
#endif

namespace {

size_t last_separator(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (is_path_separator(path[i - 1])) return i - 1;
    }
    return std::string::npos;
}

bool is_regular_file(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

#ifndef _WIN32
bool is_directory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

std::string join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

// The entry of `dir` whose name equals `name` ignoring case; of several, the smallest name, so
// that the choice does not depend on the directory's order.
std::optional<std::string> match_in_directory(const std::string& dir, const std::string& name) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* e = readdir(d)) {
        if (equal_ignoring_case(name, e->d_name) && (!best || *best > e->d_name)) best = e->d_name;
    }
    closedir(d);
    return best;
}
#endif

}  // namespace

std::string path_file_name(const std::string& path) {
    size_t sep = last_separator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string path_directory(const std::string& path) {
    size_t sep = last_separator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string path_base_name(const std::string& path) {
    std::string name = path_file_name(path);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::optional<std::string> find_existing_file(const std::string& path) {
    if (path.empty()) return std::nullopt;
    if (is_regular_file(path)) return path;
#ifdef _WIN32
    return std::nullopt;
#else
    // Walk the components, keeping each one that exists as written and otherwise looking for
    // it in its directory with letter case ignored.
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (is_path_separator(c)) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    if (parts.empty()) return std::nullopt;

    std::string current = is_path_separator(path[0]) ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        std::string candidate = join(current, parts[i]);
        if (parts[i] == "." || parts[i] == ".." ||
            (last ? is_regular_file(candidate) : is_directory(candidate))) {
            current = candidate;
            continue;
        }
        std::optional<std::string> match = match_in_directory(current, parts[i]);
        if (!match) return std::nullopt;
        current = join(current, *match);
        if (last ? !is_regular_file(current) : !is_directory(current)) return std::nullopt;
    }
    return current;
#endif
}

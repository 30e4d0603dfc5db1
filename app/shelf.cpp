// The hypertexts a search through all of them reads: the open one's folder and HypPath's folder.
#include "app/shelf.h"

#include <sys/stat.h>

#include <algorithm>

#include "hyp/paths.h"

#ifdef _WIN32
#include <io.h>
#else
#include <dirent.h>
#endif

namespace {

// The extension the viewer opens, compared in small letters.
constexpr char kHypertextExtension[] = ".hyp";

// What joins a folder and a name in the paths this module makes: the system's own separator.
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// The small letter of a byte as Windows folds file names in the Windows set (code page 1252):
// A-Z and the accented capitals À-Þ except the multiplication sign.
char fold_for_path(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
        return static_cast<char>(b + 0x20);
    }
    return is_path_separator(c) ? '/' : c;
}

// The form two paths are compared in: folded, one kind of separator, none doubled.
std::string path_key(const std::string& path) {
    std::string key;
    key.reserve(path.size());
    for (char c : path) {
        const char folded = fold_for_path(c);
        if (folded == '/' && !key.empty() && key.back() == '/') continue;
        key.push_back(folded);
    }
    return key;
}

bool has_hypertext_extension(const std::string& name) {
    const size_t n = sizeof kHypertextExtension - 1;
    if (name.size() <= n) return false;  // ".hyp" alone names no hypertext
    for (size_t i = 0; i < n; ++i) {
        if (fold_for_path(name[name.size() - n + i]) != kHypertextExtension[i]) return false;
    }
    return true;
}

bool is_regular_file(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

// The names of the entries of `folder` (the current folder when empty).
std::vector<std::string> folder_names(const std::string& folder) {
    std::vector<std::string> names;
#ifdef _WIN32
    const std::string pattern = (folder.empty() ? std::string(".\\") : folder) + "*";
    _finddata_t found{};
    const intptr_t handle = _findfirst(pattern.c_str(), &found);
    if (handle == -1) return names;
    do {
        if ((found.attrib & _A_SUBDIR) == 0) names.emplace_back(found.name);
    } while (_findnext(handle, &found) == 0);
    _findclose(handle);
#else
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
#endif
    return names;
}

bool by_name(const std::string& a, const std::string& b) {
    return path_key(path_file_name(a)) < path_key(path_file_name(b));
}

}  // namespace

bool same_file_path(const std::string& a, const std::string& b) {
    return path_key(a) == path_key(b);
}

std::vector<std::string> hypertext_files_in(const std::string& folder) {
    std::string prefix = folder;
    if (!prefix.empty() && !is_path_separator(prefix.back())) prefix += kSeparator;
    std::vector<std::string> files;
    for (const std::string& name : folder_names(folder)) {
        if (!has_hypertext_extension(name)) continue;
        std::string path = prefix + name;
        if (is_regular_file(path)) files.push_back(std::move(path));
    }
    std::sort(files.begin(), files.end(), by_name);
    return files;
}

std::vector<std::string> shelf_files(const std::string& open_path, const std::string& hyp_path) {
    std::vector<std::string> files;
    std::vector<std::string> keys;  // path_key of each file taken
    const auto take = [&](const std::string& path) {
        std::string key = path_key(path);
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) return;
        keys.push_back(std::move(key));
        files.push_back(path);
    };
    if (!open_path.empty()) take(open_path);
    const std::string open_folder = path_directory(open_path);
    const std::string hyp_folder = path_directory(hyp_path);
    std::vector<std::string> found = hypertext_files_in(open_folder);
    // An empty HypPath names no folder (the current folder is not meant).
    if (!hyp_folder.empty() && path_key(hyp_folder) != path_key(open_folder)) {
        std::vector<std::string> more = hypertext_files_in(hyp_folder);
        found.insert(found.end(), more.begin(), more.end());
    }
    // Stable: of equal names, the open file's folder keeps its place before HypPath's.
    std::stable_sort(found.begin(), found.end(), by_name);
    for (const std::string& path : found) take(path);
    return files;
}

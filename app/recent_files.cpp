// The recent-files list: at most RECENT_FILES_MAX paths, no two equal ignoring ASCII case.
#include "app/recent_files.h"

#include <algorithm>
#include <cstring>

#include "hyp/ascii_case.h"
#include "settings/settings.h"

namespace {

constexpr const char* ELLIPSIS = "...";
constexpr std::size_t ELLIPSIS_LENGTH = 3;

std::string value_name(std::size_t index) {
    return "File" + std::to_string(index + 1);
}

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

void RecentFiles::add(const std::string& path) {
    if (path.empty()) return;
    remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > RECENT_FILES_MAX) paths_.resize(RECENT_FILES_MAX);
}

void RecentFiles::remove(const std::string& path) {
    paths_.erase(std::remove_if(paths_.begin(), paths_.end(),
                                [&](const std::string& p) { return equal_ignoring_case(p, path); }),
                 paths_.end());
}

void RecentFiles::load(SettingsStore& store) {
    paths_.clear();
    std::unique_ptr<SettingsKey> key = store.open_key_for_reading(RECENT_FILES_KEY);
    if (!key) return;
    for (std::size_t i = 0; i < RECENT_FILES_MAX; ++i) {
        char buffer[SETTINGS_PATH_SIZE];
        ValueType type{};
        uint32_t length = 0;
        if (!key->query_value(value_name(i).c_str(), type, buffer, sizeof(buffer), length))
            continue;
        if (type != ValueType::Sz) continue;
        // The registry hands over the closing NUL, the settings file leaves it out; a value that
        // fills the whole buffer without one is longer than any path the list stores.
        if (length < sizeof(buffer)) {
            buffer[length] = 0;
        } else if (std::memchr(buffer, 0, sizeof(buffer)) == nullptr) {
            continue;
        }
        const std::string path(buffer);
        const bool repeated = std::any_of(paths_.begin(), paths_.end(), [&](const std::string& p) {
            return equal_ignoring_case(p, path);
        });
        if (!path.empty() && !repeated) paths_.push_back(path);
    }
    key->close();
}

bool RecentFiles::save(SettingsStore& store) const {
    std::unique_ptr<SettingsKey> key = store.create_key_for_writing(RECENT_FILES_KEY);
    if (!key) return false;
    bool written = true;
    // All eight values: the registry keeps values that are not written again, so the places
    // below the list are emptied rather than left to show files that left it.
    for (std::size_t i = 0; i < RECENT_FILES_MAX; ++i) {
        const std::string path = i < paths_.size() ? paths_[i] : std::string();
        // Cut as every stored path is, so that it reads back.
        const std::size_t length = std::min(path.size(), SETTINGS_PATH_SIZE - 1);
        const std::string stored = path.substr(0, length);
        written &= key->set_value(value_name(i).c_str(), ValueType::Sz, stored.c_str(),
                                  static_cast<uint32_t>(length + 1));
    }
    return key->close() && written;
}

std::string shorten_path(const std::string& path, std::size_t limit) {
    if (path.size() <= limit) return path;
    const std::size_t first = path.find_first_of("\\/");
    if (first != std::string::npos && first + 1 + ELLIPSIS_LENGTH < limit) {
        const std::string head = path.substr(0, first + 1);
        const std::size_t room = limit - head.size() - ELLIPSIS_LENGTH;
        // The longest tail that starts at a separator and fits.
        for (std::size_t start = first + 1; start < path.size(); ++start) {
            if (is_separator(path[start]) && path.size() - start <= room) {
                return head + ELLIPSIS + path.substr(start);
            }
        }
    }
    // The last part alone is too long: its start and end around the ellipsis.
    if (limit <= ELLIPSIS_LENGTH) return path.substr(0, limit);
    const std::size_t keep = limit - ELLIPSIS_LENGTH;
    const std::size_t front = keep / 2;
    return path.substr(0, front) + ELLIPSIS + path.substr(path.size() - (keep - front));
}

std::string recent_menu_text(std::size_t index, const std::string& path) {
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (char c : shorten_path(path)) {
        text += c;
        if (c == '&') text += '&';
    }
    return text;
}

std::string recent_file_missing_message(const std::string& path) {
    return "Die Hypertextdatei\n\n" + path +
           "\n\nwurde nicht gefunden und wird aus der Liste entfernt!";
}

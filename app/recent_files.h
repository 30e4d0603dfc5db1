// The hypertexts opened last, newest first: the list under the "Datei" menu and its stored form.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "settings/settings_store.h"

// How many the menu lists, and the stored values File1 .. File8 of the key RecentFiles.
constexpr std::size_t RECENT_FILES_MAX = 8;
constexpr const char* RECENT_FILES_KEY = "RecentFiles";
// The longest path a menu item shows whole; longer ones lose their middle.
constexpr std::size_t RECENT_MENU_PATH_LENGTH = 48;

class RecentFiles {
   public:
    const std::vector<std::string>& paths() const { return paths_; }

    // A hypertext was opened: it goes to the top; the same file further down (names compare
    // ignoring ASCII case, as the file system does) leaves its old place; the ninth drops off.
    void add(const std::string& path);
    // A listed file that no longer exists leaves the list.
    void remove(const std::string& path);

    // Reads File1 .. File8; missing values end nothing (the others are still read), values of
    // the wrong type, empty or unterminated ones and repeated paths are left out.
    void load(SettingsStore& store);
    // Writes the list as File1 .. File8, the places below it empty. False when it failed.
    bool save(SettingsStore& store) const;

   private:
    std::vector<std::string> paths_;
};

// `path` cut in the middle to at most `limit` characters: its first folder (the drive) and as
// many of its last parts as fit, around "\...\"; a file name too long by itself keeps its
// start and end around "...".
std::string shorten_path(const std::string& path, std::size_t limit = RECENT_MENU_PATH_LENGTH);

// The menu item of list position `index` (from 0): "&1 path" .. "&8 path", the path shortened
// and its "&" doubled so that it shows as written.
std::string recent_menu_text(std::size_t index, const std::string& path);

// "Die Hypertextdatei ... wurde nicht gefunden und wird aus der Liste entfernt!": a listed file
// that is gone.
std::string recent_file_missing_message(const std::string& path);

// The recently opened hypertexts below the "Datei" menu: kept in the settings store.
#pragma once

#include <optional>
#include <string>

// Reads the list from the settings store (start-up, before the first hypertext opens).
void load_recent_files();

// A hypertext was opened (by any way): it heads the list, which is stored and shown at once.
void note_opened_hypertext(const std::string& path);

// Shows the list at the end of the "Datei" menu, below a separator; nothing when it is empty.
void renew_recent_menu();

// Menu item CM_RECENT_FIRST + `index`: the file to open as "Öffnen..." opens it; none when there
// is no such item or the file is gone (which is told, and leaves the list).
std::optional<std::string> recent_file_to_open(unsigned index);

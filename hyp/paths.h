// File-name helpers: both "\" and "/" separate directories, as hypertexts name Windows paths.
#pragma once

#include <optional>
#include <string>

// True for the two directory separators "\" and "/".
inline bool is_path_separator(char c) {
    return c == '\\' || c == '/';
}

// The part after the last separator, or the whole path if it has none.
std::string path_file_name(const std::string& path);

// The part up to and including the last separator; empty if there is none.
std::string path_directory(const std::string& path);

// path_file_name without its extension: cut at the last '.', but only when that '.' comes after
// the last separator ("C:\dir.x\file" stays "file").
std::string path_base_name(const std::string& path);

// The path under which a regular file named `path` exists, or none. Where file names are
// case-sensitive, each component that does not exist as written is matched ignoring letter case
// (hypertexts and their references name files in any case, as on Windows), and backslashes are
// taken as separators; on Windows this is a plain existence test.
std::optional<std::string> find_existing_file(const std::string& path);

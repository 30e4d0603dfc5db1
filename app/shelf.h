// The hypertexts a search through all of them reads: the open one's folder and HypPath's folder.
#pragma once

#include <string>
#include <vector>

// Whether two paths name the same file as Windows compares them: letters of the Windows set in
// either case, and both separators alike.
bool same_file_path(const std::string& a, const std::string& b);

// The files named *.hyp (the extension in any case) directly in `folder`, which may end in a
// separator or not (empty: the current folder); each as `folder` joined with its name, sorted
// by name ignoring letter case. Sub-folders are not entered; a folder that cannot be read gives
// none.
std::vector<std::string> hypertext_files_in(const std::string& folder);

// The hypertexts searched by "Alle Hypertexte": `open_path` first, then the .hyp files of its
// folder and of the folder of `hyp_path` (its directory part, as the file lookup takes it: a
// path without a trailing separator loses its last component), each file once, by name; of two
// files of one name the one beside the open file comes first.
std::vector<std::string> shelf_files(const std::string& open_path, const std::string& hyp_path);

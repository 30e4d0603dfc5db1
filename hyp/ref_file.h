// Reading the REF file beside a hypertext into the symbol list and resolving requested names.
#pragma once

#include <string>

struct HypDocument;

// File name of the document's REF file: directory and base name of its path plus ".ref".
std::string ref_file_name(const HypDocument& doc);

// Reads the REF file of the document into its symbols (only when the list is empty now, so a
// second call changes nothing) and turns a requested name that is an alias or label into its
// node's name, setting start_line for a label with a line above 0. False when the file cannot
// be opened, is shorter than 4 bytes or does not start with "HREF"; the document is unchanged
// then. Damaged modules are read only as far as their data reaches.
bool load_ref_file(HypDocument& doc);

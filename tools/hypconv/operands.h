// The file operands of the verbs that read several hypertexts: files, or folders of them.
#pragma once

#include <string>
#include <vector>

// A path for the terminal: the system's names are Windows text there, UTF-8 elsewhere.
std::string path_for_terminal(const std::string& path);

// Each operand a hypertext, or a folder standing for its .hyp files (not its sub-folders); a
// folder without any is named on stderr.
std::vector<std::string> hypertext_operands(const std::vector<std::string>& operands);

// The operands of the verbs that read several hypertexts: an option word, files or folders.
#pragma once

#include <string>
#include <vector>

// A path for the terminal: the system's names are Windows text there, UTF-8 elsewhere.
std::string path_for_terminal(const std::string& path);

// Each operand a hypertext, or a folder standing for its .hyp files (not its sub-folders); a
// folder without any is named on stderr.
std::vector<std::string> hypertext_operands(const std::vector<std::string>& operands);

// The arguments other than `option`, in their order; `given` tells whether `option` was among
// them (anywhere, any number of times).
std::vector<std::string> operands_without(const std::vector<std::string>& args,
                                          const std::string& option, bool& given);

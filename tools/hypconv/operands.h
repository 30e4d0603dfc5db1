// The operands of the verbs that read several hypertexts: an option word, files or folders.
#pragma once

#include <optional>
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

// The operands of a verb given a typed text and then hypertexts, without `option` (`given`
// tells whether it was there); the files as hypertext_operands finds them. None where the verb's
// usage is due: fewer than two operands, or a text that is empty or not UTF-8 (its failure
// printed), refused before any file is read.
struct TextAndFiles {
    std::string text;
    std::vector<std::string> files;
};
std::optional<TextAndFiles> text_and_files(const std::vector<std::string>& args,
                                           const std::string& option, bool& given);

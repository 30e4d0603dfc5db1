// Splitting the program's command line into arguments, and the arguments the viewer takes.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Longest module path kept as argument 0.
constexpr std::size_t MODULE_PATH_SIZE = 512;

// Splits `command_line` (the text after the program name) into arguments; argument 0 is
// `module_path`, cut to MODULE_PATH_SIZE - 1 characters. The blank (0x20) is the only separator
// (tabs are ordinary characters) and runs of blanks count as one. A pair of double quotes
// groups: both quotes become separators and the blanks between them stay in the argument, so
// x"y z"w gives x, "y z" and w. A quote without a partner is an ordinary character.
std::vector<std::string> split_command_line(const std::string& command_line,
                                            const std::string& module_path);

// What the viewer makes of its arguments: one leading word beginning with '-' is skipped (the
// program has no options), then the hypertext's path and the name of the node to show first.
// Further arguments are ignored.
struct StartArguments {
    std::optional<std::string> path;
    std::optional<std::string> node_name;
};
StartArguments start_arguments(const std::vector<std::string>& arguments);

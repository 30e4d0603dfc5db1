// Command line splitting: quotes group, blanks separate.
#include "app/command_line.h"

namespace {

// Marks a blank inside quotes while the line is cut at blanks; turned back into a blank after.
constexpr char kQuotedBlank = '\x01';

}  // namespace

std::vector<std::string> split_command_line(const std::string& command_line,
                                            const std::string& module_path) {
    std::vector<std::string> arguments;
    arguments.push_back(module_path.substr(0, MODULE_PATH_SIZE - 1));

    std::string line = command_line;
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return arguments;
    line = line.substr(first, line.find_last_not_of(' ') - first + 1);

    // Quote pairs: both quotes become separators, blanks between them are kept.
    std::size_t search = 0;
    while (search < line.size()) {
        const std::size_t open = line.find('"', search);
        if (open == std::string::npos) break;
        const std::size_t close = line.find('"', open + 1);
        if (close == std::string::npos) break;  // a lone quote stays an ordinary character
        line[open] = ' ';
        line[close] = ' ';
        for (std::size_t i = open + 1; i < close; ++i) {
            if (line[i] == ' ') line[i] = kQuotedBlank;
        }
        search = close + 1;
    }

    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string::npos) break;
        std::size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        std::string piece = line.substr(start, end - start);
        for (char& c : piece) {
            if (c == kQuotedBlank) c = ' ';
        }
        arguments.push_back(std::move(piece));
        pos = end;
    }
    return arguments;
}

StartArguments start_arguments(const std::vector<std::string>& arguments) {
    std::size_t next = 1;
    if (next < arguments.size() && !arguments[next].empty() && arguments[next][0] == '-') ++next;
    StartArguments result;
    if (next < arguments.size()) result.path = arguments[next++];
    if (next < arguments.size()) result.node_name = arguments[next];
    return result;
}

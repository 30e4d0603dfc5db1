// The operands of the verbs that read several hypertexts: an option word, files or folders.
#include "tools/hypconv/operands.h"

#include <sys/stat.h>

#include "app/search.h"
#include "app/shelf.h"
#include "hyp/charset.h"
#include "tools/hypconv/terminal.h"

namespace {

bool is_folder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

}  // namespace

std::string path_for_terminal(const std::string& path) {
#ifdef _WIN32
    return terminal_text(ansi_text_to_utf8(path));
#else
    return terminal_text(path);
#endif
}

std::vector<std::string> hypertext_operands(const std::vector<std::string>& operands) {
    std::vector<std::string> files;
    for (const std::string& operand : operands) {
        if (!is_folder(operand)) {
            files.push_back(operand);
            continue;
        }
        const std::vector<std::string> inside = hypertext_files_in(operand);
        if (inside.empty()) print_error("Keine HYP-Dateien in " + path_for_terminal(operand));
        files.insert(files.end(), inside.begin(), inside.end());
    }
    return files;
}

std::vector<std::string> operands_without(const std::vector<std::string>& args,
                                          const std::string& option, bool& given) {
    std::vector<std::string> operands;
    given = false;
    for (const std::string& arg : args) {
        if (arg == option) {
            given = true;
        } else {
            operands.push_back(arg);
        }
    }
    return operands;
}

std::optional<TextAndFiles> text_and_files(const std::vector<std::string>& args,
                                           const std::string& option, bool& given) {
    const std::vector<std::string> operands = operands_without(args, option, given);
    if (operands.size() < 2) return std::nullopt;
    // Checked as the search takes a typed text; whether the case matches refuses nothing.
    SearchPattern check;
    if (const Outcome prepared = check.prepare_utf8(operands[0], CHARSET_TOS, false); !prepared) {
        print_failure("", prepared.failure());
        return std::nullopt;
    }
    return TextAndFiles{operands[0], hypertext_operands(std::vector<std::string>(
                                         operands.begin() + 1, operands.end()))};
}

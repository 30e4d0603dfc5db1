// --search: every line of the hypertext that holds a text, as grep would list it.
#include <cstdio>
#include <string>

#include "app/search.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "tools/hypconv/output_file.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

// Exit code when nothing was found: the line-search tools' convention (0 found, 1 none).
constexpr int EXIT_NOTHING_FOUND = 1;

}  // namespace

int verb_search(const VerbArgs& args) {
    const Verb* verb = find_verb("--search");
    std::vector<std::string> operands;
    bool match_case = false;
    for (const std::string& arg : args) {
        if (arg == "--case") {
            match_case = true;
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() != 2) return usage_error(verb);
    // The terminal's UTF-8: what the Windows set has as the viewer's dialog would be given it,
    // a character it lacks (an Atari arrow pasted from elsewhere) as the document's own.
    const std::string& typed = operands[0];
    SearchPattern pattern;
    if (!pattern.prepare_utf8(typed, CHARSET_TOS, match_case)) {
        print_failure();
        return usage_error(verb);
    }
    if (!open_document(operands[1])) return EXIT_FAILED;
    pattern.prepare_utf8(typed, document.source_charset, match_case);

    // One line per line that holds the text, at its first occurrence.
    bool found = false;
    int64_t last_page = -1;
    int64_t last_line = -1;
    search_document(
        document, pattern, SearchScope::AllPages, kBeforeFirstPage, [&](const SearchMatch& match) {
            found = true;
            if (match.page == last_page && match.line == last_line) return true;
            last_page = match.page;
            last_line = match.line;
            const IndexEntry& entry = document.index[match.page];
            const std::string name =
                entry.name ? document_text_to_utf8(*entry.name, document.source_charset)
                           : std::string();
            const std::string text =
                document_text_to_utf8(std::string(match.line_text), document.source_charset);
            std::printf("%u\t%s\t%u\t%s\n", match.page, name.c_str(), match.line + 1, text.c_str());
            return true;
        });
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        print_error("Schreibfehler auf stdout");
        return EXIT_FAILED;
    }
    return found ? EXIT_OK : EXIT_NOTHING_FOUND;
}

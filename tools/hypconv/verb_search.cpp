// --search: every line of one or more hypertexts that holds a text, as grep would list it.
#include <cstdio>
#include <string>
#include <vector>

#include "app/search.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/failure.h"
#include "tools/hypconv/operands.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

// Exit code when nothing was found: the line-search tools' convention (0 found, 1 none).
constexpr int EXIT_NOTHING_FOUND = 1;

// Prints one line per line of `doc` holding the text, at its first occurrence; `file` is the
// first column when several files are searched (else empty: no column). True when any was.
bool print_finds(HypDocument& doc, const SearchPattern& pattern, const std::string& file) {
    bool found = false;
    int64_t last_page = -1;
    int64_t last_line = -1;
    search_document(
        doc, pattern, SearchScope::AllPages, kBeforeFirstPage, [&](const SearchMatch& match) {
            found = true;
            if (match.page == last_page && match.line == last_line) return true;
            last_page = match.page;
            last_line = match.line;
            const IndexEntry& entry = doc.index[match.page];
            const std::string name =
                entry.name ? document_text_to_utf8(*entry.name, doc.source_charset) : std::string();
            const std::string text =
                document_text_to_utf8(std::string(match.line_text), doc.source_charset);
            if (!file.empty()) std::printf("%s\t", file.c_str());
            std::printf("%u\t%s\t%u\t%s\n", match.page, name.c_str(), match.line + 1, text.c_str());
            return true;
        });
    return found;
}

}  // namespace

int verb_search(const VerbArgs& args) {
    bool match_case = false;
    const std::optional<TextAndFiles> given = text_and_files(args, "--case", match_case);
    if (!given) return usage_error(find_verb("--search"));
    // The terminal's UTF-8: what the Windows set has as the viewer's dialog would be given it,
    // a character it lacks (an Atari arrow pasted from elsewhere) as the document's own.
    const std::string& typed = given->text;
    const std::vector<std::string>& files = given->files;
    SearchPattern pattern;

    bool found = false;
    const bool several = files.size() > 1;
    for (const std::string& path : files) {
        // One file open at a time; one that cannot be read is named and passed over.
        HypDocument doc;
        int32_t first_page = -1;
        if (const Outcome opened = open_hypertext(doc, path, std::nullopt, -1, first_page);
            !opened) {
            print_failure(path, opened.failure());
            continue;
        }
        // The text is not empty and is UTF-8: the first preparation said so.
        (void)pattern.prepare_utf8(typed, doc.source_charset, match_case);
        found =
            print_finds(doc, pattern, several ? path_for_terminal(path) : std::string()) || found;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        print_error("Schreibfehler auf stdout");
        return EXIT_FAILED;
    }
    return found ? EXIT_OK : EXIT_NOTHING_FOUND;
}

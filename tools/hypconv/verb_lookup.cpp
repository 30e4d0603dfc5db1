// --lookup: where a keyword (node name, alias, label) of one or more hypertexts leads.
#include <cstdio>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/keyword_matches.h"
#include "app/search.h"
#include "hyp/charset.h"
#include "hyp/failure.h"
#include "tools/hypconv/operands.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

// Exit code when nothing was found, as --search has it (0 found, 1 none).
constexpr int EXIT_NOTHING_FOUND = 1;

// FILE<TAB>PAGE<TAB>LINE<TAB>KEYWORD: what an editor needs to open the viewer there.
void print_row(const Catalogue& catalogue, const CatalogueRow& row) {
    const CatalogueFile& file = catalogue.file(row);
    const Keyword& keyword = catalogue.keyword(row);
    const uint8_t set = file.hypertext.source_charset;
    const std::string page = document_text_to_utf8(file.hypertext.page_names[keyword.page], set);
    const std::string text = document_text_to_utf8(keyword.text, set);
    std::printf("%s\t%s\t%d\t%s\n", path_for_terminal(file.path).c_str(), page.c_str(),
                static_cast<int>(keyword.line), text.c_str());
}

}  // namespace

int verb_lookup(const VerbArgs& args) {
    const Verb* verb = find_verb("--lookup");
    bool prefix = false;
    const std::optional<TextAndFiles> given = text_and_files(args, "--prefix", prefix);
    if (!given) return usage_error(verb);
    const std::string& key = given->text;

    Catalogue catalogue;
    catalogue.build(given->files);
    for (const std::unique_ptr<CatalogueFile>& file : catalogue.files()) {
        if (!file->readable) print_failure(path_for_terminal(file->path), file->failure);
    }
    KeywordMatches matches;
    if (const Outcome narrowed = matches.narrow(catalogue, SearchText(std::string(), key));
        !narrowed) {
        print_failure("", narrowed.failure());
        return usage_error(verb);
    }

    // The keywords that are the key itself first, then (asked for) those that begin with it.
    bool found = false;
    for (const bool whole : {true, false}) {
        if (!whole && !prefix) break;
        for (size_t i = 0; i < matches.prefix_count(); ++i) {
            if (matches.whole(catalogue, i) != whole) continue;
            print_row(catalogue, catalogue.rows()[matches.rows()[i]]);
            found = true;
        }
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        print_error("Schreibfehler auf stdout");
        return EXIT_FAILED;
    }
    return found ? EXIT_OK : EXIT_NOTHING_FOUND;
}

// Verbs that look at a HYP file's index and objects: --list, --unpack, --check.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "hyp/document.h"
#include "hyp/page_loader.h"
#include "tools/hypconv/output_file.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

// Parses a whole decimal number in [0, limit); false for anything else.
bool parse_index(const std::string& text, unsigned long limit, unsigned long& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    value = std::strtoul(text.c_str(), nullptr, 10);
    return value < limit;
}

}  // namespace

int verb_list(const VerbArgs& args) {
    if (args.size() != 1) return usage_error(find_verb("--list"));
    if (!open_document(args[0])) return EXIT_FAILED;
    for (size_t i = 0; i < document.index.size(); ++i) {
        const IndexEntry& entry = document.index[i];
        std::string name = entry.name ? document_text_to_utf8(*entry.name, document.source_charset)
                                      : std::string();
        std::printf("%5zu %3u %8lu %8llu %s\n", i, entry.type,
                    static_cast<unsigned long>(entry.stored_length),
                    static_cast<unsigned long long>(unpacked_size(entry)), name.c_str());
    }
    return EXIT_OK;
}

int verb_unpack(const VerbArgs& args) {
    if (args.size() != 2) return usage_error(find_verb("--unpack"));
    if (!open_document(args[1])) return EXIT_FAILED;
    unsigned long index = 0;
    if (!parse_index(args[0], document.index.size(), index)) {
        print_error("Eintrag \"" + args[0] + "\" gibt es nicht (0 bis " +
                    std::to_string(document.index.size()) + " ausschließlich)");
        return EXIT_FAILED;
    }
#ifdef _WIN32
    // The object goes out byte for byte: no LF to CR LF translation on the console stream.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    load_page(static_cast<unsigned>(index));
    const IndexEntry& entry = document.index[index];
    size_t length = page_length(entry);
    if (length > 0 && std::fwrite(entry.page_data.data(), 1, length, stdout) != length) {
        print_error("Schreibfehler auf stdout");
        return EXIT_FAILED;
    }
    return std::fflush(stdout) == 0 ? EXIT_OK : EXIT_FAILED;
}

int verb_check(const VerbArgs& args) {
    if (args.empty()) return usage_error(find_verb("--check"));
    bool all_opened = true;
    unsigned long long total = 0;
    unsigned long failures = 0;
    for (const std::string& path : args) {
        if (!open_document(path)) {
            all_opened = false;
            continue;
        }
        for (size_t i = 0; i < document.index.size(); ++i) {
            PageLoadResult result = load_page_checked(document, static_cast<unsigned>(i));
            IndexEntry& entry = document.index[i];
            if (result != PageLoadResult::Complete) {
                ++failures;
                std::printf(
                    "%s: Eintrag %zu: %s\n", path.c_str(), i,
                    result == PageLoadResult::Corrupt ? "beschädigte Daten" : "nicht lesbar");
            }
            total += page_length(entry);
            entry.page_data.clear();
            entry.page_data.shrink_to_fit();
        }
    }
    std::printf("%llu Bytes entpackt, %lu fehlerhafte Einträge\n", total, failures);
    return all_opened ? EXIT_OK : EXIT_FAILED;
}

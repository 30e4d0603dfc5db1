// Verbs that show information rather than convert: --info and --settings.
#include <cstdio>

#include "app/file_info.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "tools/hypconv/output_file.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

int verb_info(const VerbArgs& args) {
    if (args.size() != 1) return usage_error(find_verb("--info"));
    if (!open_document(args[0])) return EXIT_FAILED;
    // The same text the viewer's information box shows, with its tabs and line breaks.
    std::printf("%s\n", terminal_text(file_info_text(document, true)).c_str());
    return EXIT_OK;
}

int verb_settings(const VerbArgs& args) {
    if (!args.empty()) return usage_error(find_verb("--settings"));
    load_settings();
    std::fputs(format_settings().c_str(), stdout);
    return EXIT_OK;
}

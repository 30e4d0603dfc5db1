// Verbs that recompile hypertexts: --stg (ST-Guide source) and --html (linked HTML pages).
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/html_writer.h"
#include "export/stg_writer.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "tools/hypconv/export_options.h"
#include "tools/hypconv/output_file.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

// Loads the settings, applies the options and opens the hypertext; false when it cannot be
// opened (the reason is printed).
bool prepare(const ExportOptions& options) {
    load_settings();
    if (options.char_conv) char_conv = *options.char_conv;
    if (options.force_index) forceindex = 1;
    int32_t current_page = -1;
    if (!open_hypertext(options.input, std::nullopt, -1, current_page)) {
        print_failure();
        return false;
    }
    export_path = options.output;
    return true;
}

}  // namespace

int verb_stg(const VerbArgs& args) {
    ExportOptions options;
    if (!parse_export_options(args, OPTIONS_FORCE_INDEX, options)) {
        return usage_error(find_verb("--stg"));
    }
    if (!prepare(options)) return EXIT_FAILED;
    alllinks = options.all_links ? 1 : alllinks_stg;

    OutputFile out;
    if (!out.open(options.output)) return EXIT_FAILED;
    int result = 0;
    {
        ExportOutput output(out.get());
        const ExportConversion conversion(document.source_charset, char_conv);
        StgWriter writer(output);
        result = export_hypertext(document, writer, &output, FONT);
    }
    return out.finish(result);
}

int verb_html(const VerbArgs& args) {
    ExportOptions options;
    if (!parse_export_options(args, OPTIONS_FORCE_INDEX, options)) {
        return usage_error(find_verb("--html"));
    }
    if (!prepare(options)) return EXIT_FAILED;
    int result = 0;
    {
        const ExportConversion conversion(document.source_charset, char_conv);
        // The driver sets alllinks and forceindex to 1 for the run.
        HtmlWriter writer;
        result = export_hypertext(document, writer, nullptr, FONT);
    }
    if (result != 0) {
        print_failure();
        return EXIT_FAILED;
    }
    std::printf("%s\n", ansi_text_to_utf8(first_html_file).c_str());
    return EXIT_OK;
}

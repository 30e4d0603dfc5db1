// Verbs that recompile hypertexts: --stg (ST-Guide source) and --html (linked HTML pages).
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "export/charset.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/html_writer.h"
#include "export/stg_writer.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "tools/hypconv/output_file.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

// The options of --stg and --html, overriding the stored settings for one run.
struct RecompileOptions {
    std::string output;  // the chosen file: its directory and base name place every file
    std::string input;
    std::optional<uint32_t> char_conv;
    bool all_links = false;
    bool force_index = false;
};

bool parse_charset(const std::string& name, uint32_t& target) {
    static const struct {
        const char* name;
        uint32_t target;
    } kSets[] = {
        {"ansi", TARGET_ANSI}, {"oem", TARGET_OEM}, {"tos", TARGET_TOS}, {"mac", TARGET_MAC}};
    for (const auto& set : kSets) {
        if (name == set.name) {
            target = set.target;
            return true;
        }
    }
    return false;
}

// Parses "OUT FILE" with the options anywhere among them; false on anything unknown.
bool parse_options(const VerbArgs& args, RecompileOptions& options) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--all-links") {
            options.all_links = true;
        } else if (arg == "--force-index") {
            options.force_index = true;
        } else if (arg == "--charset" && i + 1 < args.size()) {
            uint32_t target = 0;
            if (!parse_charset(args[++i], target)) {
                print_error("unbekannter Zeichensatz \"" + args[i] +
                            "\" (ansi, oem, tos oder mac)");
                return false;
            }
            options.char_conv = target;
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            print_error("unbekannte Option \"" + arg + "\"");
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) return false;
    options.output = positional[0];
    options.input = positional[1];
    return true;
}

// Loads the settings, applies the options and opens the hypertext; false when it cannot be
// opened (the reason is printed).
bool prepare(const RecompileOptions& options) {
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
    RecompileOptions options;
    if (!parse_options(args, options)) return usage_error(find_verb("--stg"));
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
    RecompileOptions options;
    if (!parse_options(args, options)) return usage_error(find_verb("--html"));
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

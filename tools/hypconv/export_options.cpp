// The command-line options of the converter's export verbs (--text, --stg, --html).
#include "tools/hypconv/export_options.h"

#include <vector>

#include "app/document_commands.h"
#include "hyp/charset.h"
#include "settings/settings.h"
#include "tools/hypconv/terminal.h"

namespace {

bool parse_charset(const std::string& name, bool utf8_accepted, ExportOptions& options) {
    static const struct {
        const char* name;
        uint32_t char_conv;
        bool utf8;
    } kSets[] = {{"ansi", TARGET_ANSI, false},
                 {"oem", TARGET_OEM, false},
                 {"tos", TARGET_TOS, false},
                 {"mac", TARGET_MAC, false},
                 {"utf8", TARGET_UTF8, true}};
    for (const auto& set : kSets) {
        if (name == set.name && (utf8_accepted || !set.utf8)) {
            options.char_conv = set.char_conv;
            options.utf8 = set.utf8;
            return true;
        }
    }
    return false;
}

// A marker given on the command line (UTF-8): one character of the Windows set, or nothing.
bool parse_marker(const std::string& utf8, std::optional<char>& marker) {
    std::string ansi;
    if (!utf8_to_ansi(utf8, ansi) || ansi.size() > 1) return false;
    marker = ansi.empty() ? '\0' : ansi[0];
    return true;
}

}  // namespace

bool parse_export_options(const VerbArgs& args, unsigned accepted, ExportOptions& options) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool has_value = i + 1 < args.size();
        if (arg == "--all-links") {
            options.all_links = true;
        } else if (arg == "--force-index" && (accepted & OPTIONS_FORCE_INDEX)) {
            options.force_index = true;
        } else if (arg == "--web" && (accepted & OPTIONS_WEB)) {
            options.web = true;
        } else if (arg == "--charset" && has_value) {
            const bool utf8 = accepted & OPTIONS_UTF8;
            if (args[i + 1] == "utf8" && !utf8) {
                print_error(
                    "--charset utf8 ist hier nicht möglich: ein ST-Guide-Quelltext kann nicht "
                    "angeben, in welchem Zeichensatz er steht (ansi, oem, tos oder mac)");
                return false;
            }
            if (!parse_charset(args[++i], utf8, options)) {
                print_error("unbekannter Zeichensatz \"" + args[i] + "\" (ansi, oem, tos" +
                            (utf8 ? ", mac oder utf8)" : " oder mac)"));
                return false;
            }
        } else if ((arg == "--inlink" || arg == "--outlink") && has_value &&
                   (accepted & OPTIONS_MARKERS)) {
            std::optional<char>& marker = arg == "--inlink" ? options.inlink : options.outlink;
            if (!parse_marker(args[++i], marker)) {
                print_error(arg + " erwartet ein Zeichen des Windows-Zeichensatzes");
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            print_error("unbekannte Option \"" + arg + "\"");
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (options.web) {
        if (options.char_conv && !options.utf8) {
            print_error("--web schreibt UTF-8 und verträgt keinen anderen Zeichensatz");
            return false;
        }
        options.char_conv = TARGET_UTF8;
        options.utf8 = true;
    }
    const bool several = accepted & OPTIONS_SEVERAL_FILES;
    if (positional.size() < 2 || (positional.size() > 2 && !several)) return false;
    options.output = positional[0];
    options.input = positional[1];
    options.inputs.assign(positional.begin() + 1, positional.end());
    return true;
}

ExportRun make_export_run(const ExportOptions& options, ExportMode mode, const std::string& path,
                          unsigned source_charset) {
    ExportRun run = export_run(mode, path, source_charset);
    run.all_links = run.all_links || options.all_links;
    run.force_index = run.force_index || options.force_index;
    run.target = options.char_conv.value_or(run.target);
    run.conversion = conversion_table(source_charset, run.target);
    if (options.inlink) run.inlink = *options.inlink;
    if (options.outlink) run.outlink = *options.outlink;
    run.web = mode == ExportMode::Html && options.web;
    return run;
}

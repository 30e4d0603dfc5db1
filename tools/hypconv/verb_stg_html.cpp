// Verbs that recompile hypertexts: --stg (ST-Guide source) and --html (linked HTML pages).
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/html_writer.h"
#include "export/stg_writer.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/paths.h"
#include "settings/settings.h"
#include "tools/hypconv/export_options.h"
#include "tools/hypconv/output_file.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

// Loads the settings and opens the hypertext; false when it cannot
// be opened (the reason is printed).
bool prepare(const ExportOptions& options) {
    load_settings();
    return open_document(options.input);
}

}  // namespace

int verb_stg(const VerbArgs& args) {
    ExportOptions options;
    if (!parse_export_options(args, OPTIONS_FORCE_INDEX, options)) {
        return usage_error(find_verb("--stg"));
    }
    if (!prepare(options)) return EXIT_FAILED;
    return export_to_file(
        make_export_run(options, ExportMode::Stg, options.output, document.source_charset));
}

namespace {

// One hypertext as HTML pages beside `page_path` (its directory and base name place the files);
// prints the first page as `shown_directory` + its file name. False when it failed (printed).
bool export_html(const ExportOptions& options, const std::string& input,
                 const std::string& page_path, const std::string& shown_directory) {
    if (!open_document(input)) return false;
    // Every link and the page "Index" are always written in HTML.
    const ExportRun run =
        make_export_run(options, ExportMode::Html, page_path, document.source_charset);
    HtmlWriter writer(run);
    if (const Outcome exported = export_hypertext(document, writer, run, nullptr, settings.FONT);
        !exported) {
        print_failure(input, exported.failure());
        return false;
    }
    // The web form names its files in UTF-8 already.
    std::printf("%s%s\n", shown_directory.c_str(),
                run.web ? writer.first_file().c_str()
                        : ansi_text_to_utf8(writer.first_file()).c_str());
    return true;
}

bool ends_with_separator(const std::string& path) {
    return !path.empty() && is_path_separator(path.back());
}

}  // namespace

int verb_html(const VerbArgs& args) {
    ExportOptions options;
    if (!parse_export_options(
            args, OPTIONS_FORCE_INDEX | OPTIONS_UTF8 | OPTIONS_SEVERAL_FILES | OPTIONS_WEB,
            options)) {
        return usage_error(find_verb("--html"));
    }
    load_settings();

    std::error_code error;
    const bool into_folders = options.inputs.size() > 1 || ends_with_separator(options.output) ||
                              std::filesystem::is_directory(options.output, error);
    if (!into_folders) {
        // One hypertext, OUT a file name: the pages go beside it, named as OUT's base name says.
        return export_html(options, options.input, options.output, "") ? EXIT_OK : EXIT_FAILED;
    }

    // A set of hypertexts: each into OUT/<base name>/, so that links between them (written as
    // "../<base>/<page>") resolve. Two files with one base name would share a folder.
    std::map<std::string, std::string> bases;  // base name ignoring case -> its file
    for (const std::string& input : options.inputs) {
        const std::string base = path_base_name(input);
        std::string key = base;
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (base.empty()) {
            print_error("\"" + input + "\" hat keinen Dateinamen");
            return EXIT_USAGE;
        }
        if (!bases.emplace(key, input).second) {
            print_error("\"" + bases[key] + "\" und \"" + input +
                        "\" kämen in dasselbe Verzeichnis \"" + base + "\"");
            return EXIT_USAGE;
        }
    }
    const std::string root =
        ends_with_separator(options.output) ? options.output : options.output + "/";
    std::filesystem::create_directories(options.output, error);
    bool all_written = true;
    for (const std::string& input : options.inputs) {
        const std::string base = path_base_name(input);
        const std::string folder = root + base + "/";
        std::filesystem::create_directory(root + base, error);
        if (!std::filesystem::is_directory(root + base, error)) {
            print_error("das Verzeichnis \"" + root + base + "\" kann nicht angelegt werden");
            all_written = false;
            continue;
        }
        all_written = export_html(options, input, folder + base + ".html", folder) && all_written;
    }
    return all_written ? EXIT_OK : EXIT_FAILED;
}

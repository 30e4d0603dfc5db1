// The command-line options of the converter's export verbs (--text, --stg, --html).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "tools/hypconv/verbs.h"

// What one run asks for; unset values keep the stored settings.
struct ExportOptions {
    std::string output;  // the chosen file: its directory and base name place every file
    std::string input;   // the (first) hypertext
    std::vector<std::string> inputs;    // every hypertext named (OPTIONS_SEVERAL_FILES)
    std::optional<uint32_t> char_conv;  // TARGET_UTF8 for --charset utf8
    bool utf8 = false;                  // --charset utf8: straight from the hypertext's own set
    bool all_links = false;
    bool force_index = false;
    bool web = false;            // --web: HTML for publishing, in UTF-8
    std::optional<char> inlink;  // 0: no marker
    std::optional<char> outlink;
};

// Options beyond --charset ansi|oem|tos|mac and --all-links that a verb accepts.
enum ExportOptionSet : unsigned {
    OPTIONS_UTF8 = 1,           // --charset utf8
    OPTIONS_MARKERS = 2,        // --inlink C, --outlink C
    OPTIONS_FORCE_INDEX = 4,    // --force-index
    OPTIONS_SEVERAL_FILES = 8,  // "OUT FILE..." (one or more hypertexts)
    OPTIONS_WEB = 16,           // --web (implies --charset utf8)
};

// The run these options ask for in `mode` into `path`: all links and the page "Index" when
// asked for or when the stored settings say so (alllinks_txt or alllinks_stg, forceindex), the
// conversion from the hypertext's `source_charset` to the chosen set (else char_conv).
ExportRun make_export_run(const ExportOptions& options, ExportMode mode, const std::string& path,
                          unsigned source_charset);

// Parses "OUT FILE" (or "OUT FILE..." when accepted) with the options anywhere among them. False on
// anything unknown or malformed (an unknown character set or marker is also named on stderr).
bool parse_export_options(const VerbArgs& args, unsigned accepted, ExportOptions& options);

// Verbs that write hypertexts as plain text: --text (the whole file) and --page (one page).
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/page_copy.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "tools/hypconv/export_options.h"
#include "tools/hypconv/output_file.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

namespace {

bool stderr_is_terminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// Page text goes to stdout byte for byte: its CR LF line ends must not gain another CR.
void binary_stdout() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

// Shows "Seite i von n" on a terminal, rewritten in place, at most every few entries.
class Progress {
   public:
    explicit Progress(bool shown) : shown_(shown) {}
    ~Progress() {
        if (shown_ && printed_) std::fprintf(stderr, "\r%*s\r", 40, "");
    }
    void operator()(unsigned done, unsigned total) {
        if (!shown_ || (done % 64 != 0 && done != total)) return;
        std::fprintf(stderr, "\rSeite %u von %u", done, total);
        std::fflush(stderr);
        printed_ = true;
    }

   private:
    bool shown_;
    bool printed_ = false;
};

}  // namespace

int verb_text(const VerbArgs& args) {
    ExportOptions options;
    if (!parse_export_options(args, OPTIONS_UTF8 | OPTIONS_MARKERS, options)) {
        return usage_error(find_verb("--text"));
    }
    load_settings();
    if (!open_document(options.input)) return EXIT_FAILED;
    Progress progress(stderr_is_terminal());
    return export_to_file(
        make_export_run(options, ExportMode::Text, options.output, document.source_charset),
        [&](unsigned done, unsigned total) { progress(done, total); });
}

int verb_page(const VerbArgs& args) {
    if (args.size() != 2) return usage_error(find_verb("--page"));
    load_settings();
    if (!open_document(args[1])) return EXIT_FAILED;
    const std::string& number = args[0];
    const bool digits = !number.empty() && number.size() <= 9 &&
                        number.find_first_not_of("0123456789") == std::string::npos;
    const unsigned long index = digits ? std::strtoul(number.c_str(), nullptr, 10) : 0;
    if (!digits || index >= document.index.size()) {
        print_error("Eintrag \"" + number + "\" gibt es nicht (0 bis " +
                    std::to_string(document.index.size()) + " ausschließlich)");
        return EXIT_FAILED;
    }
    binary_stdout();
    {
        // The clipboard's text, in UTF-8 straight from the hypertext's own set.
        ExportOutput output(stdout);
        output.set_terminal(true);
        copy_page_text(document, static_cast<uint16_t>(index), TARGET_UTF8, output);
    }
    return std::ferror(stdout) == 0 ? EXIT_OK : EXIT_FAILED;
}

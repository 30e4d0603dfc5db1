// The export driver: reopens the document, writes the banner and walks every entry in one mode.
#include "export/export_driver.h"

#include <cstdio>

#include "export/export_output.h"
#include "export/html_writer.h"
#include "export/stg_writer.h"
#include "export/text_writer.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "render/page_writer.h"
#include "settings/settings.h"

#ifndef VELLUMAR_VERSION
#error "VELLUMAR_VERSION must name the program version (set by the build)"
#endif

namespace {

constexpr const char* kNoWriter = "Diese Ausgabeform ist in dieser Version noch nicht verfügbar.";

}  // namespace

const char* program_version() {
    // "0.5ß": the build's version number and the letter that marks a test release, kept in the
    // Atari set (ß is 0x9E there) like the texts of a hypertext.
    return VELLUMAR_VERSION "\x9E";
}
const char* build_date() {
    return __DATE__;
}
const char* build_time() {
    return __TIME__;
}

std::string export_banner(unsigned target) {
    // The version is kept in the Atari set, like the texts of a hypertext, and converted to the
    // set the export writes.
    const std::string version =
        convert_charset(program_version(), false, conversion_table(CHARSET_TOS, target));
    std::string banner = "## Erzeugt von ";
    banner.append(PROGRAM_NAME).append(" v").append(version).append(" / Modul ");
    banner.append(MODULE_NAME).append("\r\n## (Compiled ").append(build_date()).append(", ");
    banner.append(build_time()).append(")\r\n");
    return banner;
}

std::string make_ghost_font_tag(uint32_t colour) {
    char tag[40];
    std::snprintf(tag, sizeof tag, "FONT COLOR=\"#%06X\"", swap_rgb(colour) & 0xFFFFFFu);
    return tag;
}

Outcome export_hypertext(HypDocument& doc, PageWriter& writer, const ExportRun& run,
                         ExportOutput* output, const LogFontRecord& text_font,
                         const ExportProgress& progress) {
    const ExportMode mode = writer.mode();
    if (Outcome reopened = reopen_for_export(doc, mode); !reopened) return reopened;

    if (mode != ExportMode::Html && output) output->write(export_banner(run.target));
    // HTML pages always carry the page "Index", whatever the run says.
    const bool force_index = run.force_index || mode == ExportMode::Html;
    writer.begin_run(doc, text_font);

    uint16_t toc = 0;  // the table of contents announced last, across the run's pages
    bool failed = false;
    const unsigned total = static_cast<unsigned>(doc.index.size());
    for (unsigned i = 0; i < total && !failed; ++i) {
        PageWalkArgs args =
            PageWalkArgs::exported(doc, static_cast<uint16_t>(i), writer, force_index);
        args.toc = &toc;
        failed = interpret_page(args).write_failed;
        if (progress) progress(i + 1, total);
    }

    close_hypertext_file(doc);
    Outcome written = writer.end_run();
    if (output) {
        output->flush();
        if (output->error() != 0 && written) written = write_failure(output->error(), run.path);
    }
    // A page that could not be started stops the run; the writer's end_run says why.
    return written;
}

std::unique_ptr<PageWriter> make_page_writer(const ExportRun& run, ExportOutput* output) {
    if (run.mode == ExportMode::Text && output) return std::make_unique<TextWriter>(*output, run);
    if (run.mode == ExportMode::Stg && output) return std::make_unique<StgWriter>(*output, run);
    if (run.mode == ExportMode::Html) return std::make_unique<HtmlWriter>(run);
    return nullptr;
}

Outcome export_hypertext(const ExportRun& run, const LogFontRecord& text_font, ExportOutput* output,
                         const ExportProgress& progress, std::string* first_html_file) {
    std::unique_ptr<PageWriter> writer = make_page_writer(run, output);
    if (!writer) return Failure{kNoWriter};
    Outcome exported = export_hypertext(document, *writer, run, output, text_font, progress);
    if (first_html_file && run.mode == ExportMode::Html) {
        *first_html_file = static_cast<const HtmlWriter&>(*writer).first_file();
    }
    return exported;
}

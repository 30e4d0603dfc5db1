// The export driver: reopens the document, writes the banner and walks every entry in one mode.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "export/export_run.h"
#include "hyp/export_mode.h"
#include "hyp/failure.h"
#include "settings/settings_layout.h"

struct HypDocument;
class ExportOutput;
class PageWriter;

// --- program identification written into banners and HTML heads ---

constexpr const char* PROGRAM_NAME = "Vellumar";
constexpr const char* MODULE_NAME = "HYPCONV";
// The version, "0.5ß" in the Atari set, before conversion.
const char* program_version();
// When this program was built, in the forms "Aug 16 2004" and "13:41:20".
const char* build_date();
const char* build_time();

// "## Erzeugt von Vellumar v0.5ß / Modul HYPCONV\n## (Compiled DATE, TIME)\n" with CR LF line
// ends, the version converted from the Atari set to `target` (char_conv or TARGET_UTF8).
std::string export_banner(unsigned target);

// The FONT tag of ghosted text in HTML, "FONT COLOR=\"#RRGGBB\"", for a colour (0x00BBGGRR).
std::string make_ghost_font_tag(uint32_t colour);

// Called after each entry of a run: entries done, entries in all.
using ExportProgress = std::function<void(unsigned done, unsigned total)>;

// Runs one export of `doc` through `writer` (made for the run, whose mode is the writer's). For
// Text and Stg the caller has opened `output`, where the banner goes. An Html run always
// includes the page "Index"; Stg and Html runs start with no table of contents announced. Reopens and checks the file first: a file that fails the check gets
// nothing written. The failure is "HYP-Datei konnte nicht geöffnet werden:\n\n%s", "Keine
// HYP-Datei:\n\n%s", or the writer's message when a page or `output` (named by the run's path)
// could not be written. The document stays loaded; its file is closed again.
Outcome export_hypertext(HypDocument& doc, PageWriter& writer, const ExportRun& run,
                         ExportOutput* output, const LogFontRecord& text_font,
                         const ExportProgress& progress = {});

// The writer of a run, writing to `output` (Text, Stg). None when this build has no writer for
// the mode (Text and Stg without an output).
std::unique_ptr<PageWriter> make_page_writer(const ExportRun& run, ExportOutput* output);

// The whole run on the open document: make_page_writer, then export_hypertext. An Html run that
// succeeded names its first page in `first_html_file` (when given).
Outcome export_hypertext(const ExportRun& run, const LogFontRecord& text_font, ExportOutput* output,
                         const ExportProgress& progress = {},
                         std::string* first_html_file = nullptr);

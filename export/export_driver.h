// The export driver: reopens the document, writes the banner and walks every entry in one mode.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hyp/export_mode.h"
#include "settings/settings_layout.h"

struct HypDocument;
class ExportOutput;
class PageWriter;

// --- run state: set at the start of each run (or by the caller before it) ---

extern std::string export_path;  // the file chosen for the export; Html derives its names from it
// Link markers in Text (alllinks_txt), every link explicit in Stg (alllinks_stg), 1 in Html.
// The caller sets it for the run.
extern uint32_t alllinks;
extern std::string first_html_file;  // name of the first HTML page written (Html)
extern std::string ghost_font_tag;   // "FONT COLOR=\"#RRGGBB\"" of GTXTCOLOR, built per run

// --- program identification written into banners and HTML heads ---

constexpr const char* PROGRAM_NAME = "Vellumar";
constexpr const char* MODULE_NAME = "HYPCONV";
// The version, "0.5ß" in the Atari set, before conversion.
const char* program_version();
// When this program was built, in the forms "Aug 16 2004" and "13:41:20".
const char* build_date();
const char* build_time();

// "## Erzeugt von Vellumar v0.5ß / Modul HYPCONV\n## (Compiled DATE, TIME)\n" with CR LF line
// ends, the version converted from the Atari set to the char_conv set.
std::string export_banner();

// The ghost_font_tag text for a colour (0x00BBGGRR).
std::string make_ghost_font_tag(uint32_t colour);

// Called after each entry of a run: entries done, entries in all.
using ExportProgress = std::function<void(unsigned done, unsigned total)>;

// Runs one export of `doc` through `writer` (whose mode is the run's mode). The caller has set
// conversion_index (source_charset * 4 + char_conv) and alllinks, and for Text and Stg opened
// `output`, where the banner goes. An Html run uses alllinks and forceindex 1 (and gives both
// back afterwards) and starts with an empty first_html_file; Stg and Html runs start with
// current_toc 0. Reopens and checks the file first: a file that fails the check gets nothing
// written. Returns 0 on success; 1 on failure with message_text set ("HYP-Datei
// konnte nicht geöffnet werden:\n\n%s", "Keine HYP-Datei:\n\n%s", or the writer's message when a
// page could not be written). The document stays loaded; its file is closed again.
int export_hypertext(HypDocument& doc, PageWriter& writer, ExportOutput* output,
                     const LogFontRecord& text_font, const ExportProgress& progress = {});

// The writer of a mode, writing to `output` (Text, Stg). None when this build has no writer for
// the mode (message_text says so).
std::unique_ptr<PageWriter> make_page_writer(ExportMode mode, ExportOutput* output);

// The whole run for a mode on the open document: make_page_writer, then export_hypertext.
int export_hypertext(ExportMode mode, const LogFontRecord& text_font, ExportOutput* output,
                     const ExportProgress& progress = {});

// The fixed parts of the document commands: export dialogs, the HTML success text, the
// clipboard format and the keyboard help.
#pragma once

#include <cstdint>
#include <string>

#include "export/export_run.h"
#include "hyp/export_mode.h"

// What the save dialog of an export shows and what the run uses.
struct ExportDialogSpec {
    ExportMode mode;
    const char* extension;       // default extension, without the dot
    const char* filter_text;     // the filter's description
    const char* filter_pattern;  // its patterns
};

// The dialog settings of each mode (Text "txt", Stg "stg", Html "html").
const ExportDialogSpec& export_dialog_spec(ExportMode mode);

// The platform's filter string: description, NUL, pattern, NUL, NUL.
std::string export_filter(const ExportDialogSpec& dialog);

// The file name the dialog proposes: the open file's base name and the mode's extension
// ("C:\HYP\MANUAL.HYP" gives "MANUAL.txt").
std::string proposed_export_name(const std::string& hypertext_path, ExportMode mode);

// The `alllinks` value of an export run: alllinks_txt, alllinks_stg, or 1 for HTML.
uint32_t export_alllinks(ExportMode mode);

// The run of an export command into `path`, as the settings ask for it: all links by
// export_alllinks, the page "Index" by forceindex (always for HTML), the conversion from the
// hypertext's `source_charset` to char_conv.
ExportRun export_run(ExportMode mode, const std::string& path, unsigned source_charset);

// "HTML-Dateien erfolgreich erzeugt!\n\nName der Anfangsdatei:\n\n%s".
std::string html_success_message(const std::string& first_file);

constexpr const char* EXPORT_OPEN_FAILED = "Fehler beim Öffnen der Datei!";
constexpr const char* COPY_TEMP_FAILED =
    "Fehler beim Öffnen der temporären Datei!\nSeite konnte nicht kopiert werden!";
constexpr const char* COPY_MEMORY_FAILED =
    "Fehler bei Speicheranforderung!\nSeite konnte nicht kopiert werden!";
constexpr const char* HTML_SUCCESS_CAPTION = "Info";

// The copied page goes to the clipboard as OEM text when the export set is OEM (char_conv 1),
// else as ordinary (Windows) text.
inline bool clipboard_takes_oem_text(uint32_t char_conv) {
    return char_conv == 1;
}

constexpr const char* KEY_HELP_CAPTION = "Vellumar - Hilfe";
extern const char* const KEY_HELP_TEXT;

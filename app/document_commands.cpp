// The fixed parts of the document commands.
#include "app/document_commands.h"

#include "hyp/charset.h"
#include "hyp/paths.h"
#include "settings/settings.h"

namespace {

const ExportDialogSpec SPECS[] = {
    {ExportMode::Text, "txt", "Textdateien (*.TXT;*.ASC)", "*.txt;*.asc"},
    {ExportMode::Stg, "stg", "ST-Guide-Quelltexte (*.STG)", "*.stg"},
    {ExportMode::Html, "html", "HTML-Dateien (*.HTML)", "*.html"},
};

}  // namespace

const char* const KEY_HELP_TEXT =
    "Tastaturbedienung:\n\n"
    "+, -\tNächste/Vorherige logische Seite anzeigen\n"
    "*, /\tNächste/Vorherige physikalische Seite anzeigen\n"
    ">, <\tLetzte/Erste Seite anzeigen\n"
    "T\tZum Inhaltsverzeichnis der aktuellen Seite\n"
    "X\tIndexseite der aktuellen HYP-Datei anzeigen\n"
    "H\tHilfeseite der aktuellen HYP-Datei anzeigen (Help)\n"
    "U, Esc oder Rechte Maustaste:\n"
    "\tZurück im Stack (Undo)\n"
    "Strg+K\tKatalog: Stichwörter, Inhalt und Hypertexte\n"
    "Strg+A\tAlles markieren, Strg+C kopiert die Markierung\n";

const ExportDialogSpec& export_dialog_spec(ExportMode mode) {
    for (const ExportDialogSpec& dialog : SPECS) {
        if (dialog.mode == mode) return dialog;
    }
    return SPECS[0];
}

std::string export_filter(const ExportDialogSpec& dialog) {
    std::string filter = dialog.filter_text;
    filter += '\0';
    filter += dialog.filter_pattern;
    filter += '\0';
    filter += '\0';
    return filter;
}

std::string proposed_export_name(const std::string& hypertext_path, ExportMode mode) {
    return path_base_name(hypertext_path) + "." + export_dialog_spec(mode).extension;
}

uint32_t export_alllinks(ExportMode mode) {
    switch (mode) {
        case ExportMode::Text:
            return settings.alllinks_txt;
        case ExportMode::Stg:
            return settings.alllinks_stg;
        case ExportMode::Html:
            return 1;
    }
    return 0;
}

ExportRun export_run(ExportMode mode, const std::string& path, unsigned source_charset) {
    ExportRun run;
    run.mode = mode;
    run.path = path;
    run.all_links = export_alllinks(mode) != 0;
    run.force_index = mode == ExportMode::Html || settings.forceindex != 0;
    run.target = settings.char_conv;
    run.conversion = conversion_table(source_charset, run.target);
    run.inlink = settings.inlink[0];
    run.outlink = settings.outlink[0];
    run.colours.link = settings.REFCOLOR_INTERNE_SEITE();
    run.colours.text = settings.TXTCOLOR();
    run.colours.ghosted = settings.GTXTCOLOR();
    run.colours.background = settings.BCKCOLOR();
    run.colours.popup = settings.POPCOLOR();
    return run;
}

std::string html_success_message(const std::string& first_file) {
    return "HTML-Dateien erfolgreich erzeugt!\n\nName der Anfangsdatei:\n\n" + first_file;
}

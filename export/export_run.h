// What one export run writes and how: the one value its driver and writers read.
#pragma once

#include <cstdint>
#include <string>

#include "hyp/export_mode.h"

// Built by the caller for each run (from the settings, or from the converter's options) and
// handed to the writer; nothing process-wide is changed for a run.
struct ExportRun {
    ExportMode mode = ExportMode::Text;
    // The file chosen for the export: Text and Stg write it (the caller opens it), Html derives
    // its page names from it; pictures go beside it.
    std::string path;
    // Text: links framed by inlink and outlink; Stg: every link written explicitly. Html always.
    bool all_links = false;
    // Stg and Html: the page "Index" is written even when the hypertext's options say "-i".
    // Html always.
    bool force_index = false;
    // Conversion table from the hypertext's character set to the set written
    // (conversion_table(source_charset, target)).
    unsigned conversion = 0;
    // The set written (char_conv: 0 ANSI, 1 OEM, 2 TOS, 3 MAC, or TARGET_UTF8): the banner and
    // the HTML head give the program's version in it.
    unsigned target = 0;
    // Text with all_links: the character before and after each link; 0 writes none.
    char inlink = '[';
    char outlink = ']';
    // Html: the colours of the style sheets and of ghosted text, 0x00BBGGRR.
    struct Colours {
        uint32_t link = 0x00FF0000;        // REFCOLOR_INTERNE_SEITE
        uint32_t text = 0x00000000;        // TXTCOLOR
        uint32_t ghosted = 0x00808080;     // GTXTCOLOR
        uint32_t background = 0x00FFFFFF;  // BCKCOLOR
        uint32_t popup = 0x0080FFFF;       // POPCOLOR
    } colours;
    // Html: the web form, for publishing (UTF-8 file names and references, the author's columns
    // kept); its conversion is to UTF-8.
    bool web = false;
};

// What one export run writes and how: the one value its driver and writers read.
#pragma once

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
    // (conversion_table(source_charset, char_conv)).
    unsigned conversion = 0;
    // Html: the web form, for publishing (UTF-8 file names and references, the author's columns
    // kept); its conversion is to UTF-8.
    bool web = false;
};

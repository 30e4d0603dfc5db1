// The fixed parts of the export, copy and help commands.
#include "app/document_commands.h"

#include <gtest/gtest.h>

namespace {

// Description and pattern as the platform wants them: each ended by a NUL, one more at the end.
std::string filter_of(const char* text, const char* pattern) {
    return std::string(text) + '\0' + pattern + '\0' + '\0';
}

TEST(ExportDialog, ModesFiltersAndProposedNames) {
    struct Case {
        ExportMode mode;
        const char* path;
        std::string proposed;
        std::string filter;
    };
    const Case cases[] = {
        {ExportMode::Text, "C:\\HYP\\MANUAL.HYP", "MANUAL.txt",
         filter_of("Textdateien (*.TXT;*.ASC)", "*.txt;*.asc")},
        {ExportMode::Stg, "C:\\HYP\\MANUAL.HYP", "MANUAL.stg",
         filter_of("ST-Guide-Quelltexte (*.STG)", "*.stg")},
        {ExportMode::Html, "C:\\HYP\\MANUAL.HYP", "MANUAL.html",
         filter_of("HTML-Dateien (*.HTML)", "*.html")},
        {ExportMode::Text, "C:\\dir.x\\file", "file.txt", ""},
        {ExportMode::Html, "plain", "plain.html", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(proposed_export_name(c.path, c.mode), c.proposed) << c.path;
        if (!c.filter.empty()) {
            EXPECT_EQ(export_filter(export_dialog_spec(c.mode)), c.filter) << c.proposed;
        }
    }
}

}  // namespace

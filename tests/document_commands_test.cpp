// The fixed parts of the export, copy and help commands.
#include "app/document_commands.h"

#include <gtest/gtest.h>

#include "settings/settings.h"

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

TEST(ExportDialog, LinkSettingOfTheRun) {
    alllinks_txt = 1;
    alllinks_stg = 0;
    EXPECT_EQ(export_alllinks(ExportMode::Text), 1u);
    EXPECT_EQ(export_alllinks(ExportMode::Stg), 0u);
    alllinks_txt = 0;
    alllinks_stg = 1;
    EXPECT_EQ(export_alllinks(ExportMode::Text), 0u);
    EXPECT_EQ(export_alllinks(ExportMode::Stg), 1u);
    EXPECT_EQ(export_alllinks(ExportMode::Html), 1u) << "HTML always writes every link";
    alllinks_stg = 0;
}

TEST(DocumentCommandTexts, Exact) {
    EXPECT_EQ(html_success_message("manual.html"),
              "HTML-Dateien erfolgreich erzeugt!\n\nName der Anfangsdatei:\n\nmanual.html");
    // The help text as the Windows set has it (umlauts single bytes).
    EXPECT_EQ(std::string(KEY_HELP_TEXT),
              "Tastaturbedienung:\n\n+, -\tN\xE4"
              "chste/Vorherige logische Seite anzeigen\n*, /\t"
              "N\xE4"
              "chste/Vorherige physikalische Seite anzeigen\n>, <\tLetzte/Erste Seite "
              "anzeigen\nT\tZum Inhaltsverzeichnis der aktuellen Seite\nX\tIndexseite der "
              "aktuellen HYP-Datei anzeigen\nH\tHilfeseite der aktuellen HYP-Datei anzeigen "
              "(Help)\nU, Esc oder Rechte Maustaste:\n\tZur\xFC"
              "ck im Stack (Undo)\n");
    EXPECT_TRUE(clipboard_takes_oem_text(1));
    for (uint32_t set : {0u, 2u, 3u}) EXPECT_FALSE(clipboard_takes_oem_text(set)) << set;
}

}  // namespace

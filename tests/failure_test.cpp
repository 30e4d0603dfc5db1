// The failure type: what it carries, and its one-line form for the converter.
#include "hyp/failure.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(Failure, OutcomeTellsSuccessAndCarriesTheFailure) {
    EXPECT_TRUE(Outcome());
    const Outcome failed = Failure{"Keine HYP-Datei:\n\nx.hyp", ENOENT};
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.failure().message, "Keine HYP-Datei:\n\nx.hyp");
    EXPECT_EQ(failed.failure().error_number, ENOENT);
}

TEST(Failure, MessageAndErrnoFromAFormat) {
    struct Case {
        const char* format;
        const char* argument;
        int error_number;
        const char* message;
    };
    const Case cases[] = {
        {"HYP-Datei konnte nicht geöffnet werden:\n\n%s", "a.hyp", ENOENT,
         "HYP-Datei konnte nicht geöffnet werden:\n\na.hyp"},
        {"Keine HYP-Datei:\n\n%s", "C:\\HYP\\b.hyp", 0, "Keine HYP-Datei:\n\nC:\\HYP\\b.hyp"},
        {"ohne Platzhalter", "x", 0, "ohne Platzhalter"},
        {"%s am Anfang", "Name", 0, "Name am Anfang"},
    };
    for (const Case& c : cases) {
        const Failure failure = make_failure(c.format, c.argument, c.error_number);
        EXPECT_EQ(failure.message, c.message) << c.format;
        EXPECT_EQ(failure.error_number, c.error_number) << c.format;
    }
}

TEST(Failure, OneLineFoldsBreaksAndAddsTheSystemsReason) {
    struct Case {
        const char* message;
        int error_number;
        const char* line;  // glibc's texts for the error numbers
    };
    const Case cases[] = {
        {"HYP-Datei konnte nicht geöffnet werden:\n\nmissing.hyp", ENOENT,
         "HYP-Datei konnte nicht geöffnet werden: missing.hyp (No such file or directory)"},
        {"Fehler 28 beim Schreiben der Datei\n\nout.txt", ENOSPC,
         "Fehler 28 beim Schreiben der Datei: out.txt (No space left on device)"},
        {"Fehler bei Speicheranforderung!\nSeite konnte nicht kopiert werden!", 0,
         "Fehler bei Speicheranforderung! Seite konnte nicht kopiert werden!"},
        {"Einstellungen\r\n\r\nweg", 0, "Einstellungen: weg"},
        {"\nam Rand\n", 0, "am Rand"},
        {"Bitte geben Sie einen Suchtext ein.", 0, "Bitte geben Sie einen Suchtext ein."},
        {"", EACCES, "(Permission denied)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(failure_line(Failure{c.message, c.error_number}), c.line) << c.message;
    }
}

}  // namespace

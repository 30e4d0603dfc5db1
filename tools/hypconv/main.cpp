// hypconv: the command-line converter, Vellumar's non-interactive mode. It shares every line of
// logic with the viewer; failures go to stderr instead of message boxes.
#include <cstdio>
#include <cstring>

#include "tools/hypconv/verbs.h"

#ifdef _WIN32
#include "settings/settings_store.h"
#include "win32/registry_store_win32.h"
#endif

namespace {

int verb_help(const VerbArgs&);

}  // namespace

const std::vector<Verb>& all_verbs() {
    static const std::vector<Verb> verbs = {
        {"--list", "--list FILE",
         "eine Zeile je Indexeintrag: Index, Typ, gespeicherte und entpackte Länge, Name",
         verb_list},
        {"--unpack", "--unpack N FILE", "entpacktes Objekt des Eintrags N roh nach stdout",
         verb_unpack},
        {"--check", "--check FILE...", "alle Einträge aller Dateien entpacken und prüfen",
         verb_check},
        {"--info", "--info FILE", "Informationen zur HYP-Datei (wie Dateiinfo im Viewer)",
         verb_info},
        {"--settings", "--settings", "die wirksamen Einstellungen, eine je Zeile", verb_settings},
        {"--text",
         "--text OUT FILE [--charset ansi|oem|tos|mac|utf8] [--all-links] [--inlink C] [--outlink "
         "C]",
         "ganzen Hypertext als Text schreiben (gespeicherte Einstellungen, Optionen gelten für "
         "diesen Lauf)",
         verb_text},
        {"--page", "--page N FILE",
         "Seite N als Text nach stdout (UTF-8), wie sie in die Zwischenablage käme", verb_page},
        {"--stg", "--stg OUT FILE [--charset ansi|oem|tos|mac] [--all-links] [--force-index]",
         "als ST-Guide-Quelltext recompilieren, Bilder als BMP-Dateien neben OUT", verb_stg},
        {"--html", "--html OUT FILE... [--charset ansi|oem|tos|mac|utf8] [--web]",
         "als HTML-Seiten in das Verzeichnis von OUT, Bilder als BMP; nennt die Anfangsdatei. "
         "Ist OUT ein Verzeichnis oder sind es mehrere Dateien: jede nach OUT/<Name>/. "
         "--web: zum Veröffentlichen (UTF-8, Spalten wie im Viewer)",
         verb_html},
        {"--search", "--search TEXT PATH... [--case]",
         "jede Zeile mit TEXT: Index, Seitenname, Zeile, Zeilentext (Exit 0 gefunden, 1 nichts). "
         "PATH ist eine HYP-Datei oder ein Verzeichnis (seine HYP-Dateien); bei mehreren Dateien "
         "steht die Datei vorn",
         verb_search},
        {"--lookup", "--lookup KEY PATH... [--prefix]",
         "wohin ein Stichwort (Seitenname, Alias, Label) führt: Datei, Seite, Zeile, Stichwort "
         "(Exit 0 gefunden, 1 nichts); zuerst die genau passenden, mit --prefix auch die damit "
         "beginnenden. PATH wie bei --search",
         verb_lookup},
        {"--help", "--help", "diese Übersicht", verb_help},
    };
    return verbs;
}

const Verb* find_verb(const char* name) {
    for (const Verb& verb : all_verbs()) {
        if (std::strcmp(verb.name, name) == 0) return &verb;
    }
    return nullptr;
}

int usage_error(const Verb* verb) {
    if (verb) {
        std::fprintf(stderr, "Aufruf: hypconv %s\n", verb->usage);
    } else {
        std::fprintf(stderr, "Aufruf: hypconv VERB ARGUMENTE (hypconv --help zeigt alle)\n");
    }
    return EXIT_USAGE;
}

namespace {

int verb_help(const VerbArgs&) {
    std::printf("hypconv - Konverter für ST-Guide-Hypertexte (HYP-Dateien)\n\n");
    for (const Verb& verb : all_verbs()) {
        std::printf("  hypconv %s\n      %s\n", verb.usage, verb.help);
    }
    return EXIT_OK;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // On Windows the converter shares the viewer's settings in the registry.
    use_settings_store(registry_settings_store());
#endif
    if (argc < 2) return usage_error(nullptr);
    if (const Verb* verb = find_verb(argv[1])) return verb->run(VerbArgs(argv + 2, argv + argc));
    std::fprintf(stderr, "hypconv: unbekanntes Verb \"%s\"\n", argv[1]);
    return usage_error(nullptr);
}

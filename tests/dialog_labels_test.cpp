// Every field of the dialog templates (resources/*.rc) has a label a screen reader reads: the
// nearest static text before it in the template, no focusable control between; Alt mnemonics
// are unique within a dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

enum class Kind { Label, Field, Focusable, Other };

struct Control {
    Kind kind = Kind::Other;
    std::string text;  // as written, "&" marking the mnemonic
    std::string id;    // as written: a number or a symbol
};

struct Dialog {
    std::string name;
    std::vector<Control> controls;
};

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The statement split at its commas and blanks; a quoted text stays one token, quotes kept.
std::vector<std::string> tokens_of(const std::string& statement) {
    std::vector<std::string> tokens;
    std::string token;
    bool quoted = false;
    for (char c : statement) {
        if (c == '"') quoted = !quoted;
        if (!quoted && (c == ',' || std::isspace(static_cast<unsigned char>(c)))) {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

bool is_quoted(const std::string& token) {
    return token.size() >= 2 && token.front() == '"' && token.back() == '"';
}

Control control_of(const std::string& statement) {
    const std::vector<std::string> t = tokens_of(statement);
    Control c;
    if (t.empty()) return c;
    const std::string keyword = upper(t[0]);
    const bool texted = t.size() > 2 && is_quoted(t[1]);
    if (texted) c.text = t[1].substr(1, t[1].size() - 2);
    c.id = texted ? t[2] : t.size() > 1 ? t[1] : "";
    if (keyword == "LTEXT" || keyword == "RTEXT" || keyword == "CTEXT") {
        c.kind = Kind::Label;
    } else if (keyword == "EDITTEXT" || keyword == "COMBOBOX" || keyword == "LISTBOX") {
        c.kind = Kind::Field;
    } else if (keyword == "CONTROL" && t.size() > 4) {
        // CONTROL text, id, class, style, ...: the class decides.
        const std::string window_class = upper(t[3]);
        const std::string style = upper(t[4]);
        static const char* const kFields[] = {
            "EDIT",        "COMBOBOX",   "LISTBOX",         "SYSLISTVIEW", "SYSTREEVIEW",
            "TRACKBAR",    "HOTKEY",     "SYSDATETIMEPICK", "RICHEDIT",    "WC_LISTVIEW",
            "WC_TREEVIEW", "COMBOBOXEX", "SYSIPADDRESS"};
        const bool field = std::any_of(std::begin(kFields), std::end(kFields), [&](const char* f) {
            return window_class.find(f) != std::string::npos;
        });
        if (field) {
            c.kind = Kind::Field;
        } else if (window_class == "\"STATIC\"") {
            // Pictures, frames and owner-drawn boxes are statics that name nothing.
            const bool picture = style.find("SS_ICON") != std::string::npos ||
                                 style.find("SS_BITMAP") != std::string::npos ||
                                 style.find("FRAME") != std::string::npos ||
                                 style.find("RECT") != std::string::npos ||
                                 style.find("SS_OWNERDRAW") != std::string::npos;
            c.kind = picture ? Kind::Other : Kind::Label;
        } else if (window_class == "\"BUTTON\"") {
            c.kind = style.find("BS_GROUPBOX") != std::string::npos ? Kind::Other : Kind::Focusable;
        }
        // Up-down controls follow their buddy field, which carries the label: Other.
    } else if (keyword == "PUSHBUTTON" || keyword == "DEFPUSHBUTTON" || keyword == "CHECKBOX" ||
               keyword == "AUTOCHECKBOX" || keyword == "RADIOBUTTON" ||
               keyword == "AUTORADIOBUTTON" || keyword == "STATE3" || keyword == "AUTO3STATE" ||
               keyword == "PUSHBOX") {
        c.kind = Kind::Focusable;  // carries its own text
    }
    return c;  // GROUPBOX, ICON and macros of owner-drawn samples: Other
}

// The dialog templates of a resource script. Comments go; a statement ending in "," or "|"
// goes on on the next line.
std::vector<Dialog> dialogs_of(const std::string& script) {
    std::vector<std::string> statements;
    std::istringstream lines(script);
    std::string line;
    std::string pending;
    while (std::getline(lines, line)) {
        bool quoted = false;
        for (std::size_t i = 0; i + 1 < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (!quoted && line[i] == '/' && line[i + 1] == '/') {
                line.erase(i);
                break;
            }
        }
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
            line.pop_back();
        }
        pending += (pending.empty() ? "" : " ") + line;
        if (!line.empty() && (line.back() == ',' || line.back() == '|')) continue;
        if (!pending.empty()) statements.push_back(pending);
        pending.clear();
    }
    std::vector<Dialog> dialogs;
    bool in_dialog = false;
    bool in_body = false;
    for (const std::string& statement : statements) {
        const std::vector<std::string> t = tokens_of(statement);
        if (t.empty()) continue;
        const std::string keyword = upper(t[0]);
        if (!in_dialog) {
            if (t.size() > 1 && (upper(t[1]) == "DIALOG" || upper(t[1]) == "DIALOGEX")) {
                dialogs.push_back({t[0], {}});
                in_dialog = true;
            }
        } else if (!in_body) {
            in_body = keyword == "BEGIN" || keyword == "{";
        } else if (keyword == "END" || keyword == "}") {
            in_dialog = in_body = false;
        } else {
            dialogs.back().controls.push_back(control_of(statement));
        }
    }
    return dialogs;
}

char mnemonic_of(const std::string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return static_cast<char>(std::tolower(text[i + 1]));
        ++i;  // "&&" is an ampersand shown
    }
    return 0;
}

// What a reader would miss, one line each: "DIALOG ID: no label" or "DIALOG: &x twice".
std::vector<std::string> problems_of(const Dialog& dialog) {
    std::vector<std::string> problems;
    std::map<char, int> mnemonics;
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const Control& c = dialog.controls[i];
        if (const char m = mnemonic_of(c.text); m != 0 && ++mnemonics[m] == 2) {
            problems.push_back(dialog.name + ": &" + std::string(1, m) + " twice");
        }
        if (c.kind != Kind::Field) continue;
        // The nearest text static or focusable control before the field decides.
        const Control* before = nullptr;
        for (std::size_t j = i; j-- > 0 && before == nullptr;) {
            if (dialog.controls[j].kind != Kind::Other) before = &dialog.controls[j];
        }
        // A static without text names the field when the dialog fills it in (it has an id).
        const bool named = before != nullptr && before->kind == Kind::Label &&
                           (!before->text.empty() || before->id != "-1");
        if (!named) problems.push_back(dialog.name + " " + c.id + ": no label");
    }
    return problems;
}

// The label that names each field, "DIALOG ID" -> label text.
std::map<std::string, std::string> labels_of(const Dialog& dialog) {
    std::map<std::string, std::string> labels;
    const Control* label = nullptr;
    for (const Control& c : dialog.controls) {
        if (c.kind == Kind::Label) label = &c;
        if (c.kind == Kind::Focusable) label = nullptr;
        if (c.kind == Kind::Field) {
            labels[dialog.name + " " + c.id] = label ? label->text : "(none)";
            label = nullptr;
        }
    }
    return labels;
}

std::vector<Dialog> viewer_dialogs() {
    std::vector<Dialog> all;
    for (const auto& entry : fs::directory_iterator(fs::path(VELLUMAR_SOURCE_DIR) / "resources")) {
        if (entry.path().extension() != ".rc") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        for (Dialog& d : dialogs_of(text.str())) all.push_back(std::move(d));
    }
    return all;
}

TEST(DialogLabels, EveryFieldOfTheViewersDialogsHasItsLabel) {
    // Each field of every dialog and the text that names it (Windows-1252 bytes, as the
    // templates hold them). The margins' and paths' labels are the dialogs' own texts; the
    // list of finds is named by the note the dialog writes above it.
    const std::map<std::string, std::string> expected = {
        {"2 IDC_INLINK", "&vor"},
        {"2 IDC_OUTLINK", "nac&h"},
        {"2 IDC_LEFT_MARGIN", "Links:"},
        {"2 IDC_RIGHT_MARGIN", "Rechts:"},
        {"2 IDC_TOP_MARGIN", "Oben:"},
        {"6 IDC_HYP_PATH", "Pfad f\xfcr Hypertexte:"},
        {"6 IDC_DEF_HYP", "Default-Hypertext:"},
        {"IDD_SEARCH IDC_SEARCH_TEXT", "&Suchen nach:"},
        {"IDD_SEARCH_RESULTS IDC_SEARCH_LIST", ""},
    };
    const std::vector<Dialog> dialogs = viewer_dialogs();
    std::vector<std::string> names;
    std::map<std::string, std::string> labels;
    for (const Dialog& dialog : dialogs) {
        SCOPED_TRACE("dialog " + dialog.name);
        names.push_back(dialog.name);
        EXPECT_EQ(problems_of(dialog), std::vector<std::string>{});
        labels.merge(labels_of(dialog));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"1", "2", "3", "4", "6", "IDD_PREVIEW", "IDD_SEARCH",
                                               "IDD_SEARCH_RESULTS"}));
    EXPECT_EQ(labels, expected);
}

// One template with every situation the rule tells apart; the ids name them in the problems.
TEST(DialogLabels, TheRuleOnASmallTemplate) {
    const std::string script =
        "// before\nD DIALOGEX 0, 0, 9, 9\nSTYLE WS_POPUP\nCAPTION \"Probe\"\nBEGIN\n"
        "COMBOBOX 10, 0, 0, 9, 9, CBS_DROPDOWN\n"                   // the first control: none
        "LTEXT \"&Name:\", -1, 0, 0, 9, 9\nEDITTEXT 11, 0, 0, 9, 9\n"  // label, field
        "AUTOCHECKBOX \"&LINK als\", 14, 0, 0, 9, 9\nEDITTEXT 12, 0, 0, 9, 9\n"
        "LTEXT \"Pfad:\", -1, 0, 0, 9, 9\nPUSHBUTTON \"Durchsuchen...\", 15, 0, 0, 9, 9\n"
        "EDITTEXT 13, 0, 0, 9, 9\n"                                  // a button between
        "LTEXT \"&Wert:\", -1, 0, 0, 9, 9\nGROUPBOX \"Gruppe\", -1, 0, 0, 9, 9\n"
        "ICON 1, -1, 0, 0, 9, 9\nEDITTEXT 16, 0, 0, 9, 9\n"         // group box, icon between
        "LTEXT \"\", -1, 0, 0, 9, 9\nLISTBOX 17, 0, 0, 9, 9\n"       // empty, no id: none
        "LTEXT \"\", 18, 0, 0, 9, 9\nLISTBOX 19, 0, 0, 9, 9\n"       // filled in at run time
        "CONTROL \"\", 20, \"Static\", SS_OWNERDRAW, 0, 0, 9, 9\nEDITTEXT 21, 0, 0, 9, 9\n"
        "CONTROL \"Lis&te:\", -1, \"Static\", SS_LEFT, 0, 0, 9, 9\n"
        "CONTROL \"\", 22, \"SysListView32\", LVS_REPORT, 0, 0, 9, 9\n"
        "CONTROL \"\", 23, \"msctls_trackbar32\", TBS_HORZ, 0, 0, 9, 9\n"
        "LTEXT \"a // b\", -1, // the label\n    0, 0, 9, 9\nEDITTEXT 24, 0, 0, 9, 9,\n"
        "    ES_AUTOHSCROLL | // wide\n    WS_GROUP\nEDITTEXT 25, 0, 0, 9, 9\n"
        "PUSHBUTTON \"Grau && &Blau\", 3, 0, 0, 9, 9\nPUSHBUTTON \"&Abbruch\", 2, 0, 0, 9, 9\n"
        "LTEXT \"&b\", -1, 0, 0, 9, 9\nEND\n";
    const std::vector<Dialog> dialogs = dialogs_of(script);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(problems_of(dialogs[0]),
              (std::vector<std::string>{"D 10: no label", "D 12: no label", "D 13: no label",
                                        "D 17: no label", "D 21: no label", "D 23: no label",
                                        "D 25: no label", "D: &b twice"}));
}

}  // namespace

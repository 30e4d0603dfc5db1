// Every text control of the version box, the option dialogs, the page preview and the search
// dialogs shows its whole text, and every field has a label a screen reader reads: each dialog is
// made from the viewer's own templates (hidden), the texts the viewer fills in at run time are
// filled in alike, and each text's width in the control's font, as GDI measures it, must fit the
// control's client width; each field's label is the text static before it in tab order with
// nothing focusable between, and no mnemonic serves two controls. Ends with "N passed, M failed".
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/options_dialogs.h"
#include "resources/dialog_options.h"
#include "resources/resource.h"
#include "tests/win32/wintest_checks.h"

namespace {

using wintest::check;

struct DialogCase {
    int template_id;
    const char* name;
    // Static texts with words in them, counted in the template (resources/*.rc): the check
    // fails when a control goes missing rather than passing over it.
    int text_controls;
    // Texts the viewer sets when the dialog opens, control id and text.
    std::vector<std::pair<int, std::string>> filled;
    // Every field (edit, combo box, list...), control id and the label it is read with.
    std::vector<std::pair<int, std::string>> labels;
};

INT_PTR CALLBACK plain_procedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

BOOL CALLBACK collect_child(HWND hwnd, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    return TRUE;
}

std::string text_of(HWND hwnd) {
    char buffer[1024] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

bool is_text_static(HWND hwnd) {
    char name[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpiA(name, "Static") != 0) return false;
    const LONG type = GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
           type == SS_LEFTNOWORDWRAP;
}

// Width in pixels of the control's text on one line, in the font the control draws with ("&"
// marks a mnemonic as the control shows it).
int text_width(HWND control) {
    const std::string text = text_of(control);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r.right - r.left;
}

bool class_is(HWND hwnd, const char* name) {
    char actual[64] = {};
    GetClassNameA(hwnd, actual, sizeof actual);
    return lstrcmpiA(actual, name) == 0;
}

// What a user fills in or picks from; a screen reader names it by the label before it.
bool is_field(HWND hwnd) {
    for (const char* name : {"Edit", "ComboBox", "ListBox", "SysListView32", "SysTreeView32",
                             "msctls_trackbar32"}) {
        if (class_is(hwnd, name)) return true;
    }
    return false;
}

// Group boxes, pictures, frames, owner-drawn samples and up-down arrows: they name nothing and
// stand between a label and its field without taking it.
bool names_nothing(HWND hwnd) {
    if (class_is(hwnd, "Static")) return !is_text_static(hwnd);
    if (class_is(hwnd, "Button")) return (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    return class_is(hwnd, "msctls_updown32");
}

// The label of `field`: the text of the static before it in tab order; "(none)" when a
// focusable control or nothing comes first.
std::string label_of(HWND field) {
    for (HWND h = GetWindow(field, GW_HWNDPREV); h != nullptr; h = GetWindow(h, GW_HWNDPREV)) {
        if (names_nothing(h)) continue;
        return is_text_static(h) && !text_of(h).empty() ? text_of(h) : "(none)";
    }
    return "(none)";
}

// The letter after a single "&" ("&&" shows an ampersand), lower case; 0 when there is none.
char mnemonic_of(const std::string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
        ++i;
    }
    return 0;
}

void check_labels(const DialogCase& c, const std::vector<HWND>& controls) {
    std::size_t fields = 0;
    std::set<char> mnemonics;
    for (HWND control : controls) {
        if (const char m = mnemonic_of(text_of(control)); m != 0 && !is_field(control)) {
            check(mnemonics.insert(m).second,
                  std::string(c.name) + ": the mnemonic &" + m + " serves two controls");
        }
        if (!is_field(control)) continue;
        ++fields;
        const int id = GetDlgCtrlID(control);
        std::string expected = "(not in the table)";
        for (const auto& [field, label] : c.labels) {
            if (field == id) expected = label;
        }
        check(label_of(control) == expected, std::string(c.name) + ": field " +
                                                 std::to_string(id) + " is read as \"" +
                                                 label_of(control) + "\", expected \"" +
                                                 expected + "\"");
    }
    check(fields == c.labels.size(), std::string(c.name) + ": " + std::to_string(fields) +
                                         " fields, the table names " +
                                         std::to_string(c.labels.size()));
}

void check_dialog(const DialogCase& c) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.template_id),
                                     nullptr, plain_procedure, 0);
    check(dialog != nullptr, std::string(c.name) + ": the template makes a dialog");
    if (dialog == nullptr) return;
    for (const auto& [id, text] : c.filled) SetDlgItemTextA(dialog, id, text.c_str());
    std::vector<HWND> controls;
    EnumChildWindows(dialog, collect_child, reinterpret_cast<LPARAM>(&controls));
    int texts = 0;
    for (HWND control : controls) {
        if (!is_text_static(control) || text_of(control).empty()) continue;
        ++texts;
        RECT client{};
        GetClientRect(control, &client);
        const int width = text_width(control);
        std::printf("seen: %s \"%s\": %d of %ld pixels\n", c.name, text_of(control).c_str(), width,
                    client.right);
        check(width <= client.right, std::string(c.name) + ": \"" + text_of(control) + "\" is " +
                                         std::to_string(width) + " pixels wide, its control " +
                                         std::to_string(client.right));
    }
    check(texts == c.text_controls, std::string(c.name) + ": " + std::to_string(texts) +
                                        " texts measured, the template has " +
                                        std::to_string(c.text_controls));
    check_labels(c, controls);
    DestroyWindow(dialog);
}

}  // namespace

int main() {
    const DialogCase cases[] = {
        {1, "Versionsinfo", 5, {{IDC_VERSION, version_text()}, {IDC_COMPILED, compiled_text()}}, {}},
        {2, "Ausgabeoptionen", 7, {},
         {{IDC_INLINK, "&vor"}, {IDC_OUTLINK, "nac&h"}, {IDC_LEFT_MARGIN, "Links:"},
          {IDC_RIGHT_MARGIN, "Rechts:"}, {IDC_TOP_MARGIN, "Oben:"}}},
        {3, "Farben", 0, {}, {}},
        {4, "Schriften", 2, {}, {}},
        {6, "Verschiedene Optionen", 2, {},
         {{IDC_HYP_PATH, "Pfad f\xfcr Hypertexte:"}, {IDC_DEF_HYP, "Default-Hypertext:"}}},
        {IDD_PREVIEW, "Seitenvorschau", 0, {}, {}},
        {IDD_SEARCH, "Suchen", 1, {}, {{IDC_SEARCH_TEXT, "&Suchen nach:"}}},
        // The list of finds is read with the note the dialog writes above it.
        {IDD_SEARCH_RESULTS, "Fundstellen", 1, {{IDC_SEARCH_NOTE, "12 Fundstellen"}},
         {{IDC_SEARCH_LIST, "12 Fundstellen"}}},
    };
    for (const DialogCase& c : cases) check_dialog(c);
    return wintest::summary();
}

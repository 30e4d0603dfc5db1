// Every text control of the version box, the four option dialogs and the page preview shows its
// whole text: each dialog is made from the viewer's own templates (hidden), the texts the viewer
// fills in at run time are filled in alike, and each text's width in the control's font, as GDI
// measures it, must fit the control's client width. Ends with "N passed, M failed".
#include <windows.h>

#include <cstdio>
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
    DestroyWindow(dialog);
}

}  // namespace

int main() {
    const DialogCase cases[] = {
        {1, "Versionsinfo", 5, {{IDC_VERSION, version_text()}, {IDC_COMPILED, compiled_text()}}},
        {2, "Ausgabeoptionen", 7, {}},
        {3, "Farben", 0, {}},
        {4, "Schriften", 2, {}},
        {6, "Verschiedene Optionen", 2, {}},
        {IDD_PREVIEW, "Seitenvorschau", 0, {}},
    };
    for (const DialogCase& c : cases) check_dialog(c);
    return wintest::summary();
}

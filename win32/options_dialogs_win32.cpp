// The version box and the four option dialogs: each procedure only moves values between its
// controls and the read-back records of app/options_dialogs.h.
#include "win32/options_dialogs_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/dpi_scale.h"
#include "app/options_dialogs.h"
#include "hyp/paths.h"
#include "resources/dialog_options.h"
#include "settings/settings.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/scoped_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

static_assert(sizeof(COLORREF) == sizeof(uint32_t), "colours are handed to the chooser as stored");
static_assert(sizeof(LOGFONTA) == sizeof(LogFontRecord), "fonts are handed to GDI as stored");

namespace {

// --- shared by all five ------------------------------------------------------------------------

// The common light grey look: the dialog, its buttons and its static controls ask for their
// colours; all get the one brush made at start-up.
bool paint_light_grey(UINT message, WPARAM wparam, INT_PTR& result) {
    ViewerWindow& w = viewer_window();
    if (message != WM_CTLCOLORDLG && message != WM_CTLCOLORBTN && message != WM_CTLCOLORSTATIC) {
        return false;
    }
    SetBkColor(reinterpret_cast<HDC>(wparam), PREVIEW_GREY);
    result = reinterpret_cast<INT_PTR>(w.light_grey_brush);
    return true;
}

std::string item_text(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = item ? GetWindowTextLengthA(item) : 0;
    if (length <= 0) return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(item, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

void set_item_text(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, text.c_str());
}

bool checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void set_checked(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// The state a dialog keeps between its messages; handed over on creation.
template <typename State>
State* state_of(HWND dialog) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void keep_state(HWND dialog, LPARAM lparam) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
}

INT_PTR run_dialog(int template_id, DLGPROC procedure, void* state = nullptr) {
    ViewerWindow& w = viewer_window();
    return DialogBoxParamA(w.instance, MAKEINTRESOURCEA(template_id), w.hwnd, procedure,
                           reinterpret_cast<LPARAM>(state));
}

void fill(HDC dc, const RECT& r, uint32_t colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// `text` drawn in `colour`, its reference point at x, y (alignment set by the caller), only
// inside `clip`.
void clipped_text(HDC dc, int x, int y, const RECT& clip, uint32_t colour, const char* text) {
    SetTextColor(dc, colour);
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, text, static_cast<UINT>(std::strlen(text)), nullptr);
}

// The sample boxes are child windows: the dialog's own invalidation does not reach them.
void repaint_samples(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void frame(HDC dc, const RECT& r) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// The procedure the four option dialogs share: the light grey look, the state handed to
// run_dialog kept, OK (ends with 1) and Cancel (ends with 0). `Dialog` adds its own part as
// static members: `State` (NoState where run_dialog hands over none), show (fill the
// controls), draw (one owner-drawn sample; false for an item that is not one), accept (read the
// controls back on OK), cancel (undo what the open dialog changed) and button (any other
// button). Only draw is sure of a state; the others get the pointer as kept.
template <class Dialog>
INT_PTR CALLBACK options_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    using State = typename Dialog::State;
    INT_PTR result = 0;
    if (paint_light_grey(message, wparam, result)) return result;
    State* state = state_of<State>(dialog);
    switch (message) {
        case WM_INITDIALOG:
            keep_state(dialog, lparam);
            Dialog::show(dialog);
            return TRUE;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            return state != nullptr && Dialog::draw(*item, *state) ? TRUE : FALSE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            if (id == IDOK) {
                Dialog::accept(dialog, state);
                EndDialog(dialog, 1);
            } else if (id == IDCANCEL) {
                Dialog::cancel(state);
                EndDialog(dialog, 0);
            } else {
                Dialog::button(dialog, state, id);
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// The part of a dialog that has no state, no samples and nothing to undo.
struct PlainDialog {
    struct State {};
    static bool draw(const DRAWITEMSTRUCT&, State&) { return false; }
    static void cancel(State*) {}
    static void button(HWND, State*, int) {}
};

// --- version box ----------------------------------------------------------------------------

INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    INT_PTR result = 0;
    if (paint_light_grey(message, wparam, result)) return result;
    switch (message) {
        case WM_INITDIALOG:
            set_item_text(dialog, IDC_VERSION, version_text());
            set_item_text(dialog, IDC_COMPILED, compiled_text());
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

// --- output options --------------------------------------------------------------------------

void show_output_fields(HWND dialog, const OutputOptionsFields& f) {
    for (int i = 0; i < static_cast<int>(CHARSET_CHOICES); ++i) {
        set_checked(dialog, IDC_CHARSET_ANSI + i, f.charset[i]);
    }
    set_checked(dialog, IDC_ALLLINKS_TXT, f.alllinks_txt);
    set_item_text(dialog, IDC_INLINK, f.inlink);
    set_item_text(dialog, IDC_OUTLINK, f.outlink);
    set_checked(dialog, IDC_ALLLINKS_STG, f.alllinks_stg);
    set_checked(dialog, IDC_FORCEINDEX, f.forceindex);
    set_item_text(dialog, IDC_LEFT_MARGIN, f.left_margin);
    set_item_text(dialog, IDC_RIGHT_MARGIN, f.right_margin);
    set_item_text(dialog, IDC_TOP_MARGIN, f.top_margin);
    set_checked(dialog, IDC_LINKSEL_VISIBLE, f.linksel_visible);
}

OutputOptionsFields read_output_fields(HWND dialog) {
    OutputOptionsFields f;
    for (int i = 0; i < static_cast<int>(CHARSET_CHOICES); ++i) {
        f.charset[i] = checked(dialog, IDC_CHARSET_ANSI + i);
    }
    f.alllinks_txt = checked(dialog, IDC_ALLLINKS_TXT);
    f.inlink = item_text(dialog, IDC_INLINK);
    f.outlink = item_text(dialog, IDC_OUTLINK);
    f.alllinks_stg = checked(dialog, IDC_ALLLINKS_STG);
    f.forceindex = checked(dialog, IDC_FORCEINDEX);
    f.left_margin = item_text(dialog, IDC_LEFT_MARGIN);
    f.right_margin = item_text(dialog, IDC_RIGHT_MARGIN);
    f.top_margin = item_text(dialog, IDC_TOP_MARGIN);
    f.linksel_visible = checked(dialog, IDC_LINKSEL_VISIBLE);
    return f;
}

struct OutputDialog : PlainDialog {
    static void show(HWND dialog) { show_output_fields(dialog, output_fields_from_settings()); }
    static void accept(HWND dialog, State*) { apply_output_fields(read_output_fields(dialog)); }
};

// --- colours ---------------------------------------------------------------------------------

struct ColourDialogState {
    ColourWorkingCopies colours;
    uint32_t custom_before[PALETTE_SIZE];  // the chooser's custom colours, for a cancel
};

const ColourSample* sample_with(int id, bool button) {
    for (const ColourSample& s : colour_samples) {
        if ((button ? s.button_id : s.sample_id) == id) return &s;
    }
    return nullptr;
}

HFONT colour_sample_font(int weight, bool underline) {
    return CreateFontA(-11, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE, 0, 1, 2, 1,
                       0x22, "MS Sans Serif");
}

void draw_colour_sample(const DRAWITEMSTRUCT& item, const ColourSample& sample,
                        const ColourWorkingCopies& colours) {
    HDC dc = item.hDC;
    const RECT box = item.rcItem;
    const int middle = (box.left + box.right) / 2 + 1;
    const RECT left_half{box.left, box.top, middle, box.bottom};
    const RECT right_half{middle, box.top, box.right, box.bottom};
    const char* text = colour_sample_text(sample);
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    if (sample.kind == SampleKind::Background) {
        fill(dc, box, colours[sample.slot]);
        SelectedFont font(dc, colour_sample_font(FW_NORMAL, false));
        SetTextAlign(dc, TA_CENTER | TA_TOP);
        const int x = (box.left + box.right) / 2, y = box.top + 4;
        clipped_text(dc, x, y, left_half, colours[COLOUR_TXTCOLOR], text);
        clipped_text(dc, x, y, right_half, colours[COLOUR_GTXTCOLOR], text);
    } else {
        // Every text colour is seen on both backgrounds it can appear on.
        fill(dc, left_half, colours[COLOUR_BCKCOLOR]);
        fill(dc, right_half, colours[COLOUR_POPCOLOR]);
        const bool link = sample.kind == SampleKind::LinkOnBackgrounds;
        SelectedFont font(dc, colour_sample_font(link ? FW_NORMAL : FW_BOLD, link));
        SetTextAlign(dc, TA_CENTER | TA_TOP);
        clipped_text(dc, (box.left + box.right) / 2, box.top + 4, box, colours[sample.slot], text);
    }
    frame(dc, box);
    RestoreDC(dc, saved);
}

void choose_colour(HWND dialog, ColourDialogState& state, const ColourSample& sample) {
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = dialog;
    chooser.rgbResult = state.colours[sample.slot];
    chooser.lpCustColors = reinterpret_cast<COLORREF*>(settings.CUST_COL);
    chooser.Flags = CC_RGBINIT;
    if (!deferred::ChooseColorA(&chooser)) return;
    state.colours[sample.slot] = chooser.rgbResult & 0x00FFFFFF;
    // A background colour shows in every sample.
    repaint_samples(dialog);
}

struct ColoursDialog {
    using State = ColourDialogState;
    static void show(HWND) {}
    static bool draw(const DRAWITEMSTRUCT& item, State& state) {
        const ColourSample* sample = sample_with(static_cast<int>(item.CtlID), false);
        if (sample == nullptr) return false;
        draw_colour_sample(item, *sample, state.colours);
        return true;
    }
    static void accept(HWND, State* state) { commit_colours(state->colours, settings.colour_table); }
    static void cancel(State* state) {
        std::memcpy(settings.CUST_COL, state->custom_before, sizeof(settings.CUST_COL));
    }
    static void button(HWND dialog, State* state, int id) {
        const ColourSample* sample = sample_with(id, true);
        if (sample != nullptr && state != nullptr) choose_colour(dialog, *state, *sample);
    }
};

// --- fonts ------------------------------------------------------------------------------------

void draw_font_sample(const DRAWITEMSTRUCT& item, const LogFontRecord& font, const char* text) {
    ViewerWindow& w = viewer_window();
    HDC dc = item.hDC;
    const RECT box = item.rcItem;
    const int middle_y = (box.top + box.bottom) / 2 + 1;
    const int middle_x = (box.left + box.right) / 2;
    fill(dc, RECT{box.left, box.top, box.right, middle_y}, settings.BCKCOLOR());
    fill(dc, RECT{box.left, middle_y, box.right, box.bottom}, settings.POPCOLOR());
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    {
        // The sample shows the font at the size the page will have on this screen.
        SelectedFont selected(dc, create_gdi_font(font_for_dpi(font, w.dpi)));
        SIZE size{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
        SetTextAlign(dc, TA_CENTER | TA_TOP);
        const int y = (box.top + box.bottom) / 2 - size.cy / 2 - 2;
        clipped_text(dc, middle_x, y, RECT{box.left, box.top, middle_x, box.bottom}, settings.TXTCOLOR(),
                     text);
        clipped_text(dc, middle_x, y, RECT{middle_x, box.top, box.right, box.bottom}, settings.GTXTCOLOR(),
                     text);
    }
    frame(dc, box);
    RestoreDC(dc, saved);
}

void choose_font(HWND dialog, FontWorkingCopies& copies, bool for_xfont) {
    LOGFONTA font;
    std::memcpy(&font, for_xfont ? &copies.xfont : &copies.font, sizeof(font));
    CHOOSEFONTA chooser{};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = dialog;
    chooser.lpLogFont = &font;
    chooser.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_SCRIPTSONLY | CF_FORCEFONTEXIST;
    // Columns of the page are counted in cells of this font: only fixed-pitch fonts fit.
    if (for_xfont) chooser.Flags |= CF_FIXEDPITCHONLY;
    if (!deferred::ChooseFontA(&chooser)) return;
    LogFontRecord chosen;
    std::memcpy(&chosen, &font, sizeof(chosen));
    accept_chosen_font(copies, for_xfont, chosen);
    repaint_samples(dialog);
}

struct FontsDialog {
    using State = FontWorkingCopies;
    static void show(HWND) {}
    static bool draw(const DRAWITEMSTRUCT& item, State& copies) {
        if (item.CtlID == IDC_FONT_SAMPLE) {
            draw_font_sample(item, copies.font, "Standardschrift (FONT)");
        } else if (item.CtlID == IDC_XFONT_SAMPLE) {
            draw_font_sample(item, copies.xfont, "Alternativschrift (XFONT, Attribut @{X})");
        } else {
            return false;
        }
        return true;
    }
    static void accept(HWND, State* copies) {
        settings.FONT = copies->font;
        settings.XFONT = copies->xfont;
    }
    static void cancel(State*) {}
    static void button(HWND dialog, State* copies, int id) {
        if (copies == nullptr || (id != IDC_FONT_CHANGE && id != IDC_XFONT_CHANGE)) return;
        choose_font(dialog, *copies, id == IDC_XFONT_CHANGE);
    }
};

// --- miscellaneous options -------------------------------------------------------------------

void browse(HWND dialog, int button) {
    const bool directory_field = button == IDC_BROWSE_HYP_PATH;
    const int field = directory_field ? IDC_HYP_PATH : IDC_DEF_HYP;
    const std::string current = item_text(dialog, field);
    // A folder is chosen by naming any file in it; the default hypertext must exist.
    const DWORD flags =
        (directory_field ? OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST) | OFN_HIDEREADONLY;
    const std::optional<std::string> file =
        choose_hypertext_file(dialog, path_directory(current), path_file_name(current), flags);
    if (!file) return;
    set_item_text(dialog, field, browsed_field_text(directory_field, *file));
}

struct MiscDialog : PlainDialog {
    static void show(HWND dialog) {
        const MiscOptionsFields f = misc_fields_from_settings();
        // The directory field leaves room for the backslash added on OK.
        SendDlgItemMessageA(dialog, IDC_HYP_PATH, EM_LIMITTEXT, HYP_PATH_FIELD_LIMIT, 0);
        SendDlgItemMessageA(dialog, IDC_DEF_HYP, EM_LIMITTEXT, DEF_HYP_FIELD_LIMIT, 0);
        set_item_text(dialog, IDC_HYP_PATH, f.hyp_path);
        set_item_text(dialog, IDC_DEF_HYP, f.def_hyp);
        for (int i = 0; i < static_cast<int>(STARTUP_CHOICES); ++i) {
            set_checked(dialog, IDC_STARTUP_DIALOG + i, f.startup[i]);
        }
    }
    static void accept(HWND dialog, State*) {
        MiscOptionsFields f;
        f.hyp_path = item_text(dialog, IDC_HYP_PATH);
        f.def_hyp = item_text(dialog, IDC_DEF_HYP);
        for (int i = 0; i < static_cast<int>(STARTUP_CHOICES); ++i) {
            f.startup[i] = checked(dialog, IDC_STARTUP_DIALOG + i);
        }
        apply_misc_fields(f);
    }
    static void button(HWND dialog, State*, int id) {
        if (id == IDC_BROWSE_HYP_PATH || id == IDC_BROWSE_DEF_HYP) browse(dialog, id);
    }
};

}  // namespace

void about_command() {
    run_dialog(IDD_ABOUT, about_procedure);
}

void output_options_command() {
    ViewerWindow& w = viewer_window();
    if (run_dialog(IDD_OUTPUT_OPTIONS, options_procedure<OutputDialog>) == 1) {
        report_failure(w.hwnd, save_settings_output());
    }
}

void colours_command() {
    ViewerWindow& w = viewer_window();
    // The working copies are made afresh on every opening: a cancelled choice is not seen again.
    ColourDialogState state{colour_working_copies(settings.colour_table), {}};
    std::memcpy(state.custom_before, settings.CUST_COL, sizeof(settings.CUST_COL));
    if (run_dialog(IDD_COLOURS, options_procedure<ColoursDialog>, &state) != 1) return;
    report_failure(w.hwnd, save_settings_color());
    apply_new_colours();
}

void fonts_command() {
    FontWorkingCopies copies = font_working_copies(settings.FONT, settings.XFONT);
    if (run_dialog(IDD_FONTS, options_procedure<FontsDialog>, &copies) == 1) apply_new_fonts();
}

void misc_options_command() {
    ViewerWindow& w = viewer_window();
    if (run_dialog(IDD_MISC_OPTIONS, options_procedure<MiscDialog>) == 1) {
        report_failure(w.hwnd, save_settings_div());
    }
}

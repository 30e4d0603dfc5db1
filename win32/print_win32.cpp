// Printing the shown page and the page preview: the print dialog, the printer context, the
// preview dialog. The geometry is app/print_layout; the pages are drawn by the page walk.
#include "win32/print_win32.h"

#include <commdlg.h>

#include <cstring>
#include <optional>
#include <string>

#include "app/link_selection.h"
#include "app/print_layout.h"
#include "render/graphics_drawing.h"
#include "render/page_walk.h"
#include "render/text_run.h"
#include "settings/settings.h"
#include "win32/accessibility_win32.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/scoped_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

void release_record_devices() {
    ViewerWindow& w = viewer_window();
    PRINTDLGA& pd = w.print.dialog;
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    pd.hDevMode = pd.hDevNames = nullptr;
}

uint16_t shown_page() {
    ViewerWindow& w = viewer_window();
    return static_cast<uint16_t>(w.view.current_page);
}

// Where the printed pages of the shown page sit on the printer's paper.
PrintFrame print_frame() {
    ViewerWindow& w = viewer_window();
    return {w.print.geometry.left_margin, w.print.geometry.top_margin,
            w.print.geometry.lines_per_page};
}

// The printer's and the preview's fonts: pictures always scaled, the text in the view's screen
// table, pictures and graphics drawn by the window's hooks.
WalkFonts printed_fonts(const ScreenMetrics& metrics, LogFontRecord& text_font,
                        LogFontRecord& alt_font) {
    WalkFonts fonts{metrics, &text_font, &alt_font, true};
    fonts.conversion = viewer_window().view.conversion;
    fonts.graphics = &device_graphics();
    return fonts;
}

// The page's link lines follow the printer's (or preview's) line height, and afterwards the
// screen's again; the printer always scales pictures.
void rescale_to_device(int32_t device_line_height, int32_t screen_line_height) {
    rescale_links(document, device_line_height, screen_line_height, true, settings.scale_bitmaps == 0);
}
void rescale_to_screen(int32_t device_line_height) {
    ViewerWindow& w = viewer_window();
    measure_screen_fonts();
    rescale_links(document, w.metrics.line_height, device_line_height, settings.scale_bitmaps != 0,
                  settings.scale_bitmaps == 0);
}

// The print dialog (or, for the preview, the default printer without a dialog) and the geometry
// for the context it returns. An empty context when there is nothing to print on; a failure
// other than the user's cancelling is told. From the moment there is a context, `wait` holds the
// wait cursor; the caller's context goes before it.
PrinterContext set_up_printer(bool preview, std::optional<WaitCursor>& wait) {
    ViewerWindow& w = viewer_window();
    PRINTDLGA& pd = w.print.dialog;
    if (preview) {
        pd.Flags = (pd.Flags & ~PD_RETURNDC) | PD_RETURNIC | PD_RETURNDEFAULT;
        pd.hDevMode = pd.hDevNames = nullptr;
    } else {
        pd.Flags = (pd.Flags & ~(PD_RETURNIC | PD_RETURNDEFAULT)) | PD_RETURNDC;
        pd.hDevMode = w.print.devmode;
        pd.hDevNames = w.print.devnames;
    }
    const BOOL chosen = deferred::PrintDlgA(&pd);
    if (!preview) {
        // The dialog may have replaced the handles it was given, also when it was cancelled:
        // only the record's are valid now.
        w.print.devmode = pd.hDevMode;
        w.print.devnames = pd.hDevNames;
    }
    if (!chosen) {
        // 0 is the user's cancelling; anything else means there was no printer to use. The
        // print dialog itself tells the user that no printer is installed; the default printer
        // is looked up without a dialog, so the preview has to say it.
        const DWORD error = deferred::CommDlgExtendedError();
        const bool told = !preview && (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES);
        if (error != 0 && !told) {
            show_message(w.hwnd, preview ? MSG_PREVIEW_NO_PRINTER : MSG_PRINT_NO_PRINTER);
        }
        if (preview) release_record_devices();
        return {};
    }
    PrinterContext printer(pd.hDC);
    pd.hDC = nullptr;
    if (!printer) {  // chosen, but the printer's driver gave no context
        if (preview) release_record_devices();
        show_message(w.hwnd, preview ? MSG_PREVIEW_NO_PRINTER : MSG_PRINT_NO_PRINTER);
        return {};
    }
    wait.emplace();
    HDC dc = printer.get();

    const PrinterCaps caps{GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                           GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    const PrintSetup setup =
        print_setup(caps, {settings.p_left_margin, settings.p_right_margin, settings.p_top_margin}, document.line_width,
                    w.metrics.cell_width, *w.text_font, settings.XFONT);
    if (!setup.usable) {
        printer.reset();
        wait.reset();
        if (preview) release_record_devices();
        show_message(w.hwnd, preview ? MSG_PREVIEW_MARGINS : MSG_PRINT_MARGINS);
        return {};
    }
    // The printer fonts are measured on the display, as the screen fonts are.
    PrintSetup measured = setup;
    ScreenMetrics printer_metrics;
    measure_fonts(measured.text_font, measured.alt_font, printer_metrics);
    w.print.geometry = print_metrics(measured, printer_metrics, caps.page_height);
    return printer;
}

// Prints every printed page of the shown page on `dc` and restores the screen's layout. Fails
// when the printer refused the document or its page.
Outcome print_page(HDC dc) {
    ViewerWindow& w = viewer_window();
    const int32_t screen_line_height = w.metrics.line_height;
    PrintMetrics& g = w.print.geometry;
    rescale_to_device(g.metrics.line_height, screen_line_height);
    Outcome printed;
    {
        PageDrawing drawing(dc, g.text_font);
        char title[512] = "";
        GetWindowTextA(w.hwnd, title, sizeof(title));
        DOCINFOA info{};
        info.cbSize = sizeof(info);
        info.lpszDocName = title;
        if (StartDocA(dc, &info) <= 0) {
            printed = Failure{MSG_PRINT_START_DOC};
        } else {
            if (StartPage(dc) > 0) {
                GdiDevice device(dc, true);
                const WalkFonts fonts = printed_fonts(g.metrics, g.text_font, g.alt_font);
                interpret_page(PageWalkArgs::print(document, shown_page(), device,
                                                   {WindowRole::Main, w.hwnd}, fonts,
                                                   print_frame()));
                EndPage(dc);
            } else {
                printed = Failure{MSG_PRINT_START_PAGE};
            }
            EndDoc(dc);
        }
    }
    rescale_to_screen(g.metrics.line_height);
    return printed;
}

// --- the preview dialog --------------------------------------------------------------------

void apply(HWND dialog, const PreviewUpdate& update) {
    HWND back = GetDlgItem(dialog, IDC_PREVIEW_BACK);
    HWND forward = GetDlgItem(dialog, IDC_PREVIEW_FORWARD);
    // Enabled before the focus moves, disabled after: a button never loses the focus by
    // being disabled.
    if (update.back_enabled == 1) EnableWindow(back, TRUE);
    if (update.forward_enabled == 1) EnableWindow(forward, TRUE);
    HWND focus = nullptr;
    switch (update.focus) {
        case PreviewFocus::Ok:
            focus = GetDlgItem(dialog, IDOK);
            break;
        case PreviewFocus::Back:
            focus = back;
            break;
        case PreviewFocus::Forward:
            focus = forward;
            break;
        case PreviewFocus::Unchanged:
            break;
    }
    if (focus) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    if (update.back_enabled == 0) EnableWindow(back, FALSE);
    if (update.forward_enabled == 0) EnableWindow(forward, FALSE);
    if (update.repaint) InvalidateRect(dialog, nullptr, TRUE);
}

// Draws the printed page preview_page into the page area: a white sheet, the printer fonts
// scaled to the area's width, the printer's margins and lines per page.
void paint_preview(HWND dialog) {
    ViewerWindow& w = viewer_window();
    const WaitCursor wait;
    HWND area = GetDlgItem(dialog, IDC_PREVIEW_PAGE);
    RECT rc{};
    GetClientRect(area, &rc);
    const int32_t screen_line_height = w.metrics.line_height;

    LogFontRecord text_font{}, alt_font{};
    preview_fonts(w.print.geometry, rc.right, text_font, alt_font);
    ScreenMetrics metrics;
    measure_fonts(text_font, alt_font, metrics);
    rescale_to_device(metrics.line_height, screen_line_height);

    HDC dc = GetDC(area);
    // The frame paints itself first; the sheet goes on top.
    InvalidateRect(area, nullptr, TRUE);
    UpdateWindow(area);
    const ColoursInEffect colours;
    // High contrast: the sheet in the window colour the text is drawn against (white paper
    // would hide a light text colour).
    HBRUSH sheet = w.accessibility.high_contrast ? CreateSolidBrush(settings.BCKCOLOR()) : nullptr;
    HGDIOBJ old_brush = sheet ? SelectObject(dc, sheet) : nullptr;
    Rectangle(dc, 0, 0, rc.right, rc.bottom);
    if (sheet) {
        SelectObject(dc, old_brush);
        DeleteObject(sheet);
    }
    bool more = false;
    {
        PageDrawing drawing(dc, text_font);
        GdiDevice device(dc);
        const WalkFonts fonts = printed_fonts(metrics, text_font, alt_font);
        more = interpret_page(PageWalkArgs::preview(document, shown_page(), device,
                                                    {WindowRole::Other, area}, fonts, print_frame(),
                                                    w.print.preview_buttons.page()))
                   .more_printed_pages;
    }
    ReleaseDC(area, dc);
    apply(dialog, w.print.preview_buttons.painted(more));
    rescale_to_screen(metrics.line_height);
}

INT_PTR CALLBACK preview_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    ViewerWindow& w = viewer_window();
    switch (message) {
        case WM_INITDIALOG:
            apply(dialog, w.print.preview_buttons.open());
            return FALSE;  // the focus is set
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK:
                case IDCANCEL:  // Esc and the close box end it as OK does
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDC_PREVIEW_BACK:
                    apply(dialog, w.print.preview_buttons.back());
                    return TRUE;
                case IDC_PREVIEW_FORWARD:
                    apply(dialog, w.print.preview_buttons.forward());
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wparam), PREVIEW_GREY);
            return reinterpret_cast<INT_PTR>(w.light_grey_brush);
        case WM_PAINT:
            paint_preview(dialog);
            return FALSE;  // the dialog's own painting follows (the page area is clipped out)
        default:
            return FALSE;
    }
}

}  // namespace

void remember_print_owner(HWND main_window_handle) {
    ViewerWindow& w = viewer_window();
    PRINTDLGA& pd = w.print.dialog;
    if (pd.hwndOwner == nullptr) pd.hwndOwner = main_window_handle;
}

void print_command() {
    ViewerWindow& w = viewer_window();
    Outcome printed;
    {
        std::optional<WaitCursor> wait;
        const PrinterContext printer = set_up_printer(false, wait);
        if (!printer) return;
        printed = print_page(printer.get());
    }  // the context is deleted, then the arrow comes back
    // Told once the screen is itself again: the box lets the main window repaint.
    report_failure(w.hwnd, printed);
    // The page's link areas now hold printer positions: the screen walk makes them anew.
    InvalidateRect(w.hwnd, nullptr, TRUE);
}

void preview_command() {
    ViewerWindow& w = viewer_window();
    {
        // Only the geometry is wanted: the information context goes at once.
        std::optional<WaitCursor> wait;
        if (!set_up_printer(true, wait)) return;
    }
    release_record_devices();  // the default printer's handles are not kept
    DialogBoxParamA(w.instance, MAKEINTRESOURCEA(IDD_PREVIEW), w.hwnd, preview_procedure, 0);
    InvalidateRect(w.hwnd, nullptr, TRUE);
}

void release_print_device() {
    ViewerWindow& w = viewer_window();
    if (w.print.devmode) GlobalFree(w.print.devmode);
    if (w.print.devnames) GlobalFree(w.print.devnames);
    w.print.devmode = w.print.devnames = nullptr;
    // The record holds the same handles after a print; they are gone now.
    w.print.dialog.hDevMode = w.print.dialog.hDevNames = nullptr;
}

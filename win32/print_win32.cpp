// Printing the shown page and the page preview: the print dialog, the printer context, the
// preview dialog. The geometry is app/print_layout; the pages are drawn by the page walk.
#include "win32/print_win32.h"

#include <commdlg.h>

#include <cstring>
#include <string>

#include "app/link_selection.h"
#include "app/print_layout.h"
#include "render/page_walk.h"
#include "render/text_run.h"
#include "settings/settings.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/main_window_win32.h"
#include "win32/viewer_win32.h"

namespace {

// The one print dialog record of the run: the owner is the main window, the flags carry over
// from dialog to dialog.
PRINTDLGA& print_dialog() {
    static PRINTDLGA record = [] {
        PRINTDLGA r{};
        r.lStructSize = sizeof(r);
        r.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS;
        return r;
    }();
    return record;
}

// The printer and its settings chosen in the last print dialog; the next one opens with them.
struct PrintDevice {
    HGLOBAL devmode = nullptr;
    HGLOBAL devnames = nullptr;
};
PrintDevice print_device;

// The geometry of the last print or preview; the preview dialog draws with it.
PrintMetrics print_geometry;

PreviewButtons preview_buttons;

void set_wait_cursor(bool wait) {
    SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

void release_record_devices() {
    PRINTDLGA& pd = print_dialog();
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    pd.hDevMode = pd.hDevNames = nullptr;
}

// The walk of one page on a printer or preview device.
PageWalkArgs printer_walk_args(HWND window, WindowRole role, int32_t print_page,
                               const ScreenMetrics& metrics, LogFontRecord& text_font,
                               LogFontRecord& alt_font) {
    PageWalkArgs args;
    args.page = static_cast<uint16_t>(main_window.view.current_page);
    args.window = {role, window};
    args.print_page = print_page;
    args.metrics = metrics;
    args.text_font = &text_font;
    args.alt_font = &alt_font;
    args.scale_images = true;  // printed pictures are always scaled to the line height
    args.margin_columns = print_geometry.left_margin;
    args.margin_lines = print_geometry.top_margin;
    args.lines_per_page = print_geometry.lines_per_page;
    args.document = &document;
    return args;
}

// The page's link lines follow the printer's (or preview's) line height, and afterwards the
// screen's again; the printer always scales pictures.
void rescale_to_device(int32_t device_line_height, int32_t screen_line_height) {
    rescale_links(document, device_line_height, screen_line_height, true, scale_bitmaps == 0);
}
void rescale_to_screen(int32_t device_line_height) {
    measure_screen_fonts();
    rescale_links(document, viewer.metrics.line_height, device_line_height, scale_bitmaps != 0,
                  scale_bitmaps == 0);
}

// The print dialog (or, for the preview, the default printer without a dialog) and the geometry
// for the context it returns. Nullptr when there is nothing to print on; a failure other than
// the user's cancelling is told.
HDC set_up_printer(bool preview) {
    PRINTDLGA& pd = print_dialog();
    if (preview) {
        pd.Flags = (pd.Flags & ~PD_RETURNDC) | PD_RETURNIC | PD_RETURNDEFAULT;
        pd.hDevMode = pd.hDevNames = nullptr;
    } else {
        pd.Flags = (pd.Flags & ~(PD_RETURNIC | PD_RETURNDEFAULT)) | PD_RETURNDC;
        pd.hDevMode = print_device.devmode;
        pd.hDevNames = print_device.devnames;
    }
    const BOOL chosen = PrintDlgA(&pd);
    if (!preview) {
        // The dialog may have replaced the handles it was given, also when it was cancelled:
        // only the record's are valid now.
        print_device = {pd.hDevMode, pd.hDevNames};
    }
    if (!chosen) {
        // 0 is the user's cancelling; anything else means there was no printer to use. The
        // print dialog itself tells the user that no printer is installed; the default printer
        // is looked up without a dialog, so the preview has to say it.
        const DWORD error = CommDlgExtendedError();
        const bool told = !preview && (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES);
        if (error != 0 && !told) {
            show_message(main_window.hwnd, preview ? MSG_PREVIEW_NO_PRINTER : MSG_PRINT_NO_PRINTER);
        }
        if (preview) release_record_devices();
        return nullptr;
    }
    HDC dc = pd.hDC;
    pd.hDC = nullptr;
    if (dc == nullptr) {  // chosen, but the printer's driver gave no context
        if (preview) release_record_devices();
        show_message(main_window.hwnd, preview ? MSG_PREVIEW_NO_PRINTER : MSG_PRINT_NO_PRINTER);
        return nullptr;
    }
    set_wait_cursor(true);

    const PrinterCaps caps{GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                           GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    const PrintSetup setup =
        print_setup(caps, {p_left_margin, p_right_margin, p_top_margin}, document.line_width,
                    viewer.metrics.cell_width, *viewer.text_font, XFONT);
    if (!setup.usable) {
        DeleteDC(dc);
        set_wait_cursor(false);
        if (preview) release_record_devices();
        show_message(main_window.hwnd, preview ? MSG_PREVIEW_MARGINS : MSG_PRINT_MARGINS);
        return nullptr;
    }
    // The printer fonts are measured on the display, as the screen fonts are.
    PrintSetup measured = setup;
    ScreenMetrics printer_metrics;
    measure_fonts(measured.text_font, measured.alt_font, printer_metrics);
    print_geometry = print_metrics(measured, printer_metrics, caps.page_height);
    return dc;
}

// Prints every printed page of the shown page on `dc` and restores the screen's layout. The
// message for a failure, nullptr when the page went to the printer.
const char* print_page(HDC dc) {
    const int32_t screen_line_height = viewer.metrics.line_height;
    PrintMetrics& g = print_geometry;
    rescale_to_device(g.metrics.line_height, screen_line_height);
    const char* failure = nullptr;
    {
        PageDrawing drawing(dc, g.text_font);
        char title[512] = "";
        GetWindowTextA(main_window.hwnd, title, sizeof(title));
        DOCINFOA info{};
        info.cbSize = sizeof(info);
        info.lpszDocName = title;
        if (StartDocA(dc, &info) <= 0) {
            failure = MSG_PRINT_START_DOC;
        } else {
            if (StartPage(dc) > 0) {
                GdiDevice device(dc, true);
                PageWalkArgs args = printer_walk_args(main_window.hwnd, WindowRole::Main, -1,
                                                      g.metrics, g.text_font, g.alt_font);
                args.dc = &device;
                interpret_page(args);
                EndPage(dc);
            } else {
                failure = MSG_PRINT_START_PAGE;
            }
            EndDoc(dc);
        }
    }
    rescale_to_screen(g.metrics.line_height);
    return failure;
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
    set_wait_cursor(true);
    HWND area = GetDlgItem(dialog, IDC_PREVIEW_PAGE);
    RECT rc{};
    GetClientRect(area, &rc);
    const int32_t screen_line_height = viewer.metrics.line_height;

    LogFontRecord text_font{}, alt_font{};
    preview_fonts(print_geometry, rc.right, text_font, alt_font);
    ScreenMetrics metrics;
    measure_fonts(text_font, alt_font, metrics);
    rescale_to_device(metrics.line_height, screen_line_height);

    HDC dc = GetDC(area);
    // The frame paints itself first; the sheet goes on top.
    InvalidateRect(area, nullptr, TRUE);
    UpdateWindow(area);
    Rectangle(dc, 0, 0, rc.right, rc.bottom);
    int more = 0;
    {
        PageDrawing drawing(dc, text_font);
        GdiDevice device(dc);
        PageWalkArgs args = printer_walk_args(area, WindowRole::Other, preview_buttons.page(),
                                              metrics, text_font, alt_font);
        args.dc = &device;
        more = interpret_page(args);
    }
    ReleaseDC(area, dc);
    apply(dialog, preview_buttons.painted(more != 0));
    rescale_to_screen(metrics.line_height);
    set_wait_cursor(false);
}

INT_PTR CALLBACK preview_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            apply(dialog, preview_buttons.open());
            return FALSE;  // the focus is set
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK:
                case IDCANCEL:  // Esc and the close box end it as OK does
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDC_PREVIEW_BACK:
                    apply(dialog, preview_buttons.back());
                    return TRUE;
                case IDC_PREVIEW_FORWARD:
                    apply(dialog, preview_buttons.forward());
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wparam), PREVIEW_GREY);
            return reinterpret_cast<INT_PTR>(viewer.light_grey_brush);
        case WM_PAINT:
            paint_preview(dialog);
            return FALSE;  // the dialog's own painting follows (the page area is clipped out)
        default:
            return FALSE;
    }
}

}  // namespace

void remember_print_owner(HWND main_window_handle) {
    PRINTDLGA& pd = print_dialog();
    if (pd.hwndOwner == nullptr) pd.hwndOwner = main_window_handle;
}

void print_command() {
    HDC dc = set_up_printer(false);
    if (dc == nullptr) return;
    const char* failure = print_page(dc);
    DeleteDC(dc);
    set_wait_cursor(false);
    // Told once the screen is itself again: the box lets the main window repaint.
    if (failure) show_message(main_window.hwnd, failure);
    // The page's link areas now hold printer positions: the screen walk makes them anew.
    InvalidateRect(main_window.hwnd, nullptr, TRUE);
}

void preview_command() {
    HDC ic = set_up_printer(true);
    if (ic == nullptr) return;
    DeleteDC(ic);
    set_wait_cursor(false);
    release_record_devices();  // the default printer's handles are not kept
    DialogBoxParamA(viewer.instance, MAKEINTRESOURCEA(IDD_PREVIEW), main_window.hwnd,
                    preview_procedure, 0);
    InvalidateRect(main_window.hwnd, nullptr, TRUE);
}

void release_print_device() {
    if (print_device.devmode) GlobalFree(print_device.devmode);
    if (print_device.devnames) GlobalFree(print_device.devnames);
    print_device = {};
    // The record holds the same handles after a print; they are gone now.
    print_dialog().hDevMode = print_dialog().hDevNames = nullptr;
}

// Printed page geometry (margins, printer fonts, lines per page) and the preview dialog's
// button and focus rules; the window code only feeds in device numbers and applies the results.
#pragma once

#include <cstdint>

#include "render/screen_metrics.h"
#include "settings/settings_layout.h"

// 254 tenths of a millimetre make an inch.
constexpr uint32_t TENTHS_MM_PER_INCH = 254;
// A hypertext without @width has line_width 85; it prints this many columns.
constexpr int32_t LINE_WIDTH_UNSET = 85;
constexpr int32_t DEFAULT_PRINT_COLUMNS = 75;
// Cells added to the columns for the reference width: one on each side.
constexpr int32_t PRINT_EXTRA_CELLS = 2;
// Lines kept free below the top margin's lines on every printed page.
constexpr int32_t PRINT_RESERVED_LINES = 3;

// What the printer's context reports (LOGPIXELSX, LOGPIXELSY, HORZRES, VERTRES).
struct PrinterCaps {
    int32_t dpi_x = 0;
    int32_t dpi_y = 0;
    int32_t page_width = 0;   // printable width in device pixels
    int32_t page_height = 0;  // printable height in device pixels
};

// The margin settings, in tenths of a millimetre.
struct PrintMarginSettings {
    uint32_t left = 0;
    uint32_t right = 0;
    uint32_t top = 0;
};

// Pixels for a margin: dpi x tenths / 254 in unsigned 32-bit arithmetic, truncated.
uint32_t margin_pixels(uint32_t dpi, uint32_t tenths_mm);

// The columns a line of the hypertext is printed in: 75 for a hypertext without @width.
int32_t print_columns(int32_t line_width);

// (columns + 2) x the screen cell width: the screen width that the printable width stands for.
int32_t reference_width(int32_t line_width, int32_t screen_cell_width);

// value x numerator / denominator in signed arithmetic, truncated toward zero; the value itself
// when the denominator is 0 or less.
int32_t scale_font_size(int32_t value, int64_t numerator, int32_t denominator);

// First half of the setup, before the printer fonts are measured.
struct PrintSetup {
    uint32_t left_pixels = 0;
    uint32_t right_pixels = 0;
    uint32_t top_pixels = 0;
    int32_t page_width = 0;
    LogFontRecord text_font{};  // the text font, scaled for the printer
    LogFontRecord alt_font{};   // XFONT with the text font's scaled height and width
    // False when the margins leave no printable width: nothing can be printed then.
    bool usable = false;
};

// Margins in pixels, the printable width, and the printer fonts: copies of the screen fonts whose
// height and width are scaled so that a line of the hypertext fills the width between the
// margins. `alt_font` takes the text font's scaled values.
PrintSetup print_setup(const PrinterCaps& caps, const PrintMarginSettings& margins,
                       int32_t line_width, int32_t screen_cell_width,
                       const LogFontRecord& text_font, const LogFontRecord& alt_font);

// The geometry every printed and previewed page is laid out with.
struct PrintMetrics {
    int32_t left_margin = 0;  // in printer cells
    int32_t top_margin = 0;   // in printer lines
    int32_t page_width = 0;   // device pixels
    int32_t lines_per_page = 1;
    LogFontRecord text_font{};
    LogFontRecord alt_font{};
    ScreenMetrics metrics;  // of the printer fonts
};

// Second half, once the printer fonts are measured: margins in cells and lines, and the lines
// on a printed page, (VERTRES - (top_margin + 3) x line_height) / line_height, never fewer than
// one (a page that holds no line would never end).
PrintMetrics print_metrics(const PrintSetup& setup, const ScreenMetrics& printer_metrics,
                           int32_t page_height);

// The preview's fonts: the printer text font scaled from the printable width to the page area's
// width `area_width`; both copies take the text font's scaled height and width.
void preview_fonts(const PrintMetrics& print, int32_t area_width, LogFontRecord& text_font,
                   LogFontRecord& alt_font);

// --- the preview dialog's buttons --------------------------------------------------------

enum class PreviewFocus : uint8_t { Unchanged, Ok, Back, Forward };

// What the dialog does after an event: button states (unchanged when not set), focus, and
// whether the page area is painted again.
struct PreviewUpdate {
    int8_t back_enabled = -1;     // -1 unchanged, 0 disabled, 1 enabled
    int8_t forward_enabled = -1;  // likewise
    PreviewFocus focus = PreviewFocus::Unchanged;
    bool repaint = false;
};

// preview_page is the printed page shown (from 1); preview_forward says the last step was "Vor".
class PreviewButtons {
   public:
    // The dialog opens: page 1, both step buttons disabled, focus on OK.
    PreviewUpdate open();
    // "Zurück": one page back. Ignored on page 1.
    PreviewUpdate back();
    // "Vor": one page on. Ignored unless the last paint found a further page.
    PreviewUpdate forward();
    // After the page area was painted: `more` when the page continues after the one shown.
    PreviewUpdate painted(bool more);

    int32_t page() const { return page_; }

   private:
    int32_t page_ = 1;
    bool forward_ = false;
    bool more_ = false;
};

// --- messages ----------------------------------------------------------------------------

constexpr const char* MSG_PRINT_NO_PRINTER =
    "Es ist kein Drucker verfügbar!\nSeite konnte nicht gedruckt werden!";
constexpr const char* MSG_PRINT_START_DOC =
    "Fehler beim Starten des Druckauftrags!\nSeite konnte nicht gedruckt werden!";
constexpr const char* MSG_PRINT_START_PAGE =
    "Fehler beim Beginnen der Druckseite!\nSeite konnte nicht gedruckt werden!";
constexpr const char* MSG_PRINT_MARGINS =
    "Die Ränder lassen keinen Platz auf der Seite!\nSeite konnte nicht gedruckt werden!";
constexpr const char* MSG_PREVIEW_NO_PRINTER =
    "Es ist kein Standarddrucker eingerichtet!\nSeitenvorschau nicht möglich!";
constexpr const char* MSG_PREVIEW_MARGINS =
    "Die Ränder lassen keinen Platz auf der Seite!\nSeitenvorschau nicht möglich!";

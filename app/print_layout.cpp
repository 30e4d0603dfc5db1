// Printed page geometry and the preview dialog's button and focus rules.
#include "app/print_layout.h"

#include <algorithm>

uint32_t margin_pixels(uint32_t dpi, uint32_t tenths_mm) {
    // Unsigned 32-bit on purpose: the stored margins are DWORDs and are converted as such.
    return dpi * tenths_mm / TENTHS_MM_PER_INCH;
}

int32_t print_columns(int32_t line_width) {
    return line_width == LINE_WIDTH_UNSET ? DEFAULT_PRINT_COLUMNS : line_width;
}

int32_t reference_width(int32_t line_width, int32_t screen_cell_width) {
    return (print_columns(line_width) + PRINT_EXTRA_CELLS) * screen_cell_width;
}

int32_t scale_font_size(int32_t value, int64_t numerator, int32_t denominator) {
    if (denominator <= 0) return value;
    // 64 bits: a 1200-dpi width times a font height does not fit 32; division truncates
    // toward zero as the font sizes always have been.
    const int64_t scaled = static_cast<int64_t>(value) * numerator / denominator;
    return static_cast<int32_t>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX));
}

PrintSetup print_setup(const PrinterCaps& caps, const PrintMarginSettings& margins,
                       int32_t line_width, int32_t screen_cell_width,
                       const LogFontRecord& text_font, const LogFontRecord& alt_font) {
    PrintSetup setup;
    setup.left_pixels = margin_pixels(static_cast<uint32_t>(caps.dpi_x), margins.left);
    setup.right_pixels = margin_pixels(static_cast<uint32_t>(caps.dpi_x), margins.right);
    setup.top_pixels = margin_pixels(static_cast<uint32_t>(caps.dpi_y), margins.top);
    setup.page_width = caps.page_width;

    const int64_t between_margins = static_cast<int64_t>(caps.page_width) -
                                    (static_cast<int64_t>(setup.left_pixels) + setup.right_pixels);
    const int32_t reference = reference_width(line_width, screen_cell_width);
    setup.text_font = text_font;
    setup.alt_font = alt_font;
    setup.text_font.lfHeight = scale_font_size(text_font.lfHeight, between_margins, reference);
    setup.text_font.lfWidth = scale_font_size(text_font.lfWidth, between_margins, reference);
    setup.alt_font.lfHeight = setup.text_font.lfHeight;
    setup.alt_font.lfWidth = setup.text_font.lfWidth;
    // Margins wider than the paper would give a font of no or negative size; and a top margin
    // below the page's end leaves no line.
    setup.usable = between_margins > 0 && reference > 0 &&
                   static_cast<int64_t>(setup.top_pixels) < caps.page_height;
    return setup;
}

PrintMetrics print_metrics(const PrintSetup& setup, const ScreenMetrics& printer_metrics,
                           int32_t page_height) {
    PrintMetrics print;
    print.text_font = setup.text_font;
    print.alt_font = setup.alt_font;
    print.metrics = printer_metrics;
    print.page_width = setup.page_width;
    const int32_t cell = std::max<int32_t>(printer_metrics.cell_width, 1);
    const int32_t line = std::max<int32_t>(printer_metrics.line_height, 1);
    print.left_margin = static_cast<int32_t>(setup.left_pixels / static_cast<uint32_t>(cell));
    print.top_margin = static_cast<int32_t>(setup.top_pixels / static_cast<uint32_t>(line));
    const int64_t free_height =
        static_cast<int64_t>(page_height) -
        (static_cast<int64_t>(print.top_margin) + PRINT_RESERVED_LINES) * line;
    print.lines_per_page = static_cast<int32_t>(std::max<int64_t>(free_height / line, 1));
    return print;
}

void preview_fonts(const PrintMetrics& print, int32_t area_width, LogFontRecord& text_font,
                   LogFontRecord& alt_font) {
    text_font = print.text_font;
    alt_font = print.alt_font;
    text_font.lfHeight = scale_font_size(print.text_font.lfHeight, area_width, print.page_width);
    text_font.lfWidth = scale_font_size(print.text_font.lfWidth, area_width, print.page_width);
    alt_font.lfHeight = text_font.lfHeight;
    alt_font.lfWidth = text_font.lfWidth;
}

PreviewUpdate PreviewButtons::open() {
    page_ = 1;
    forward_ = false;
    more_ = false;
    PreviewUpdate update;
    update.back_enabled = 0;
    update.forward_enabled = 0;
    update.focus = PreviewFocus::Ok;
    return update;
}

PreviewUpdate PreviewButtons::back() {
    if (page_ <= 1) return {};
    --page_;
    forward_ = false;
    more_ = true;  // the page left behind follows this one
    PreviewUpdate update;
    update.back_enabled = page_ > 1 ? 1 : 0;
    update.forward_enabled = 1;
    update.focus = page_ >= 2 ? PreviewFocus::Back : PreviewFocus::Forward;
    update.repaint = true;
    return update;
}

PreviewUpdate PreviewButtons::forward() {
    if (!more_) return {};
    ++page_;
    forward_ = true;
    more_ = false;  // until the paint of the new page says otherwise
    PreviewUpdate update;
    update.back_enabled = 1;
    update.forward_enabled = 0;
    update.focus = PreviewFocus::Back;
    update.repaint = true;
    return update;
}

PreviewUpdate PreviewButtons::painted(bool more) {
    more_ = more;
    PreviewUpdate update;
    if (more) {
        update.forward_enabled = 1;
        if (forward_) update.focus = PreviewFocus::Forward;
    }
    return update;
}

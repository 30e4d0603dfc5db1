// The drawing device on a GDI device context: screen, printer and preview drawing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "render/device.h"

class GdiDevice : public Device {
   public:
    // `dc` stays the caller's; `printer` makes start_page and end_page reach the printer.
    explicit GdiDevice(HDC dc, bool printer = false) : dc_(dc), printer_(printer) {}

    HDC dc() const { return dc_; }

    // Pens of this device are `factor` times as wide as the walk asks (the screen's pixels per
    // 96-dpi pixel, in whole pixels); 1 unless set.
    void set_line_width_factor(int factor) { line_width_factor_ = factor > 0 ? factor : 1; }

    DeviceSize text_extent(const char* text, int length) override;
    bool text_out(int32_t x, int32_t y, const char* text, int length) override;
    DeviceSize text_extent_wide(const char16_t* text, int length) override;
    bool text_out_wide(int32_t x, int32_t y, const char16_t* text, int length) override;
    DevicePoint move_to(int32_t x, int32_t y) override;
    DevicePoint current_position() override;
    DeviceObject create_font(const LogFontRecord& font) override;
    DeviceObject select_object(DeviceObject object) override;
    bool delete_object(DeviceObject object) override;
    Colour set_text_colour(Colour colour) override;
    Colour text_colour() override;
    BackgroundMode set_background_mode(BackgroundMode mode) override;
    uint32_t set_text_align(uint32_t flags) override;
    uint32_t text_align() override;

    int start_page() override;
    int end_page() override;
    bool invert_rect(const DeviceRect& rect) override;
    void set_window_title(WindowHandle window, const char* title) override;
    void set_window_title_wide(WindowHandle window, const char16_t* title) override;

    DeviceObject create_pen(int width, Colour colour) override;
    DeviceObject stock_object(StockObject object) override;
    bool line_to(int32_t x, int32_t y) override;
    bool polyline(const DevicePoint* points, int count) override;
    Colour set_pixel(int32_t x, int32_t y, Colour colour) override;
    bool rectangle(const DeviceRect& rect) override;
    bool round_rect(const DeviceRect& rect, int32_t ellipse_width, int32_t ellipse_height) override;
    DeviceObject create_pattern_brush(const uint8_t rows[8], Colour set_colour,
                                      Colour clear_colour) override;
    DevicePoint set_brush_origin(int32_t x, int32_t y) override;

    StretchMode set_stretch_mode(StretchMode mode) override;
    bool draw_image(int32_t x, int32_t y, const DecodedImage& image) override;
    bool stretch_image(int32_t x, int32_t y, int32_t width, int32_t height,
                       const DecodedImage& image) override;

   private:
    bool copy_bits(int32_t x, int32_t y, int32_t width, int32_t height, const DecodedImage& image);

    HDC dc_;
    bool printer_;
    int line_width_factor_ = 1;
};

// The face of an installed font that has a glyph for `unit` (a UTF-16 unit; either half of a
// surrogate pair stands for its whole character), chosen once per unit by measuring the
// installed fonts: the first of a short list of wide-coverage faces that is installed and has
// it, else the first installed family that has it; empty when no font has it.
const std::wstring& fallback_face(wchar_t unit);

// A GDI font made from a stored font record (the record is the platform's LOGFONTA).
HFONT create_gdi_font(const LogFontRecord& record);

// Sets a window's caption when it differs from the one shown (a caption set costs a frame
// paint even when the text is the same). A shown window with no paint pending has its caption
// and menu bar drawn with its next paint, not at once.
void set_caption(HWND hwnd, const char* caption);
void set_caption_wide(HWND hwnd, const wchar_t* caption);

// Invalidates a part of a window's frame, given in screen coordinates, for the next paint.
void invalidate_frame_area(HWND hwnd, RECT area);

// A device context prepared as the page walk expects it: the text font record's font without
// attributes, TXTCOLOR, transparent background, text drawn at the current position. The end
// selects the context's own font back and deletes whatever font the walk left selected.
class PageDrawing {
   public:
    PageDrawing(HDC dc, LogFontRecord& text_font);
    ~PageDrawing();
    PageDrawing(const PageDrawing&) = delete;
    PageDrawing& operator=(const PageDrawing&) = delete;

   private:
    HDC dc_;
    HGDIOBJ old_font_;
    UINT old_align_;
};

// A memory bitmap of the client area's size and format, with its own device context. It
// follows the window's size when it is asked for; the destructor releases both.
class OffscreenBitmap {
   public:
    OffscreenBitmap() = default;
    ~OffscreenBitmap() { release(); }
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    // The context of a bitmap compatible with `like`, at least width x height pixels; made
    // again when the size differs. Nullptr when it cannot be made.
    HDC prepare(HDC like, int width, int height);
    void release();
    // Bytes of the pixels (bits per pixel of the screen).
    std::size_t bytes() const;

   private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int bits_ = 0;
};

// One WM_PAINT of a page in a window, drawn off-screen: begins painting, fills the paint area
// with the window's background in `offscreen` (made to the client area's size) and prepares
// that context as the page walk expects it; the end puts the area on the window in one
// transfer. Without a bitmap it draws straight onto the window.
class PagePaint {
   public:
    PagePaint(HWND hwnd, LogFontRecord& text_font, OffscreenBitmap& offscreen);
    ~PagePaint();
    PagePaint(const PagePaint&) = delete;
    PagePaint& operator=(const PagePaint&) = delete;

    HDC dc() const { return target_; }
    // The part of the client area to paint.
    const RECT& area() const { return ps_.rcPaint; }

   private:
    HWND hwnd_;
    PAINTSTRUCT ps_;
    HDC target_;
    bool offscreen_;
    std::optional<PageDrawing> drawing_;
};

// The drawing device the page walk, text runs and graphics draw into (screen, printer, tests).
#pragma once

#include <cstdint>

#include "settings/settings_layout.h"

struct DecodedImage;

// Colours are 0x00BBGGRR, red in the low byte, as the settings store them.
using Colour = uint32_t;

struct DevicePoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct DeviceSize {
    int32_t cx = 0;
    int32_t cy = 0;
};

// Right and bottom are exclusive.
struct DeviceRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// A font, pen or brush the device made; 0 is none. Selecting one returns the object of the same
// kind that was selected before, which the caller deletes or selects back.
using DeviceObject = std::uintptr_t;
constexpr DeviceObject NO_DEVICE_OBJECT = 0;

// The window a drawing belongs to (the main window, a popup, the preview's page area); opaque
// to the core, only handed back to the device.
using WindowHandle = void*;

// Which window a walk works for: the main window (whose caption a page title may set), a popup
// (light background, never sets the caption), another window (the preview's page area), or none
// (exports and the clipboard copy).
enum class WindowRole : uint8_t { None, Main, Popup, Other };

struct PageWindow {
    WindowRole role = WindowRole::None;
    WindowHandle handle = nullptr;

    bool present() const { return role != WindowRole::None; }
    bool is_popup() const { return role == WindowRole::Popup; }
};

// Text alignment flag: text is drawn at the current position and moves it past the text.
// Without it, text is drawn at the point given and the current position stays.
constexpr uint32_t TEXT_ALIGN_UPDATE_CP = 1;

enum class BackgroundMode : uint8_t { Transparent, Opaque };

// Objects every device has without creating them; they are never deleted.
enum class StockObject : uint8_t { HollowBrush, BlackPen };

// How stretched bitmaps drop pixels: colour-on-colour deletes rows and columns outright.
enum class StretchMode : uint8_t { ColourOnColour, Other };

// Every operation a page is drawn with. A device keeps a current position, a text colour, a
// background mode, a text alignment and one selected font, pen and brush, like a platform
// drawing context; the walk, the text runs and the graphics use nothing else.
class Device {
   public:
    virtual ~Device() = default;

    // --- text -------------------------------------------------------------------------------
    // Width and height of `length` bytes in the selected font.
    virtual DeviceSize text_extent(const char* text, int length) = 0;
    // Draws `length` bytes in the text colour. With TEXT_ALIGN_UPDATE_CP set, (x, y) is ignored:
    // the text starts at the current position, which then moves past it.
    virtual bool text_out(int32_t x, int32_t y, const char* text, int length) = 0;
    // The same for `length` UTF-16 units: characters the Windows set lacks. Each is drawn in
    // the selected font, or where that font has no glyph for it, in an installed font that has
    // one, at the selected font's height, weight, slant and underline.
    virtual DeviceSize text_extent_wide(const char16_t* text, int length) = 0;
    virtual bool text_out_wide(int32_t x, int32_t y, const char16_t* text, int length) = 0;
    // Sets the current position; returns the one before.
    virtual DevicePoint move_to(int32_t x, int32_t y) = 0;
    virtual DevicePoint current_position() = 0;
    // A font made from a 60-byte font record; never selected by this call.
    virtual DeviceObject create_font(const LogFontRecord& font) = 0;
    virtual DeviceObject select_object(DeviceObject object) = 0;
    // Deletes a font, pen or brush that is no longer selected.
    virtual bool delete_object(DeviceObject object) = 0;
    // Each returns the previous value.
    virtual Colour set_text_colour(Colour colour) = 0;
    virtual Colour text_colour() = 0;
    virtual BackgroundMode set_background_mode(BackgroundMode mode) = 0;
    virtual uint32_t set_text_align(uint32_t flags) = 0;
    virtual uint32_t text_align() = 0;

    // --- pages and windows ------------------------------------------------------------------
    // Printed pages; other devices accept and ignore them. Return > 0 on success.
    virtual int start_page() = 0;
    virtual int end_page() = 0;
    // Inverts the pixels of a rectangle (the keyboard-selected link).
    virtual bool invert_rect(const DeviceRect& rect) = 0;
    // Replaces the caption of `window` (already in the Windows character set).
    virtual void set_window_title(WindowHandle window, const char* title) = 0;
    // The same for a caption holding characters the Windows set lacks (UTF-16, NUL-terminated).
    virtual void set_window_title_wide(WindowHandle window, const char16_t* title) = 0;

    // --- line graphics ----------------------------------------------------------------------
    // A solid pen `width` pixels wide.
    virtual DeviceObject create_pen(int width, Colour colour) = 0;
    virtual DeviceObject stock_object(StockObject object) = 0;
    // Draws from the current position to (x, y), excluding that end point, and moves there.
    virtual bool line_to(int32_t x, int32_t y) = 0;
    virtual bool polyline(const DevicePoint* points, int count) = 0;
    virtual Colour set_pixel(int32_t x, int32_t y, Colour colour) = 0;
    // Outlined with the selected pen, filled with the selected brush; right and bottom exclusive.
    virtual bool rectangle(const DeviceRect& rect) = 0;
    // The same with corners rounded by ellipses of ellipse_width x ellipse_height.
    virtual bool round_rect(const DeviceRect& rect, int32_t ellipse_width,
                            int32_t ellipse_height) = 0;
    // A brush of an 8 x 8 pattern (rows top to bottom, most significant bit leftmost): set bits
    // paint `set_colour`, clear bits `clear_colour`.
    virtual DeviceObject create_pattern_brush(const uint8_t rows[8], Colour set_colour,
                                              Colour clear_colour) = 0;
    // Where brush patterns are anchored; returns the previous origin.
    virtual DevicePoint set_brush_origin(int32_t x, int32_t y) = 0;

    // --- pictures ---------------------------------------------------------------------------
    virtual StretchMode set_stretch_mode(StretchMode mode) = 0;
    // Copies a decoded image with its top-left corner at (x, y), pixel for pixel.
    virtual bool draw_image(int32_t x, int32_t y, const DecodedImage& image) = 0;
    // Copies a decoded image stretched to width x height.
    virtual bool stretch_image(int32_t x, int32_t y, int32_t width, int32_t height,
                               const DecodedImage& image) = 0;
};

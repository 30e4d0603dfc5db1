// The GDI drawing device on a memory bitmap: pattern brushes anchored at a box's corner with
// exact colours, pictures of 1 to 4 planes copied and stretched (2 and 3 planes widened for
// GDI), inversion, line ends, and the text alignment flag. Ends with "N passed, M failed".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/image.h"
#include "tests/win32/wintest_checks.h"
#include "win32/gdi_device_win32.h"

namespace {

using wintest::check;

constexpr COLORREF WHITE = 0xFFFFFF;
constexpr COLORREF BLACK = 0x000000;

// A 64 x 64 true-colour memory context, cleared to white.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;

    Canvas() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 64;
        info.bmiHeader.biHeight = -64;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, 64, 64};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
};

// An image object: width, height, planes, then the planes' rows (each 2 bytes for width <= 16),
// from pixel values given row by row.
std::vector<uint8_t> image_object(int width, int height, int planes, const std::vector<int>& px) {
    std::vector<uint8_t> data{0,
                              static_cast<uint8_t>(width),
                              0,
                              static_cast<uint8_t>(height),
                              static_cast<uint8_t>(planes),
                              0,
                              0,
                              0};
    for (int plane = 0; plane < planes; ++plane) {
        for (int y = 0; y < height; ++y) {
            uint16_t row = 0;
            for (int x = 0; x < width; ++x) {
                if ((px[y * width + x] >> plane) & 1) row |= 0x8000 >> x;
            }
            data.push_back(static_cast<uint8_t>(row >> 8));
            data.push_back(static_cast<uint8_t>(row & 0xFF));
        }
    }
    return data;
}

void pattern_brush_checks() {
    // Pattern 1 (88 00 22 00 ...): row 0 paints columns 0 and 4, row 2 columns 2 and 6.
    const uint8_t rows[8] = {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00};
    for (int origin : {0, 3}) {
        Canvas c;
        GdiDevice device(c.dc);
        const COLORREF text = 0x0000C0, background = 0x80FFFF;
        DeviceObject brush = device.create_pattern_brush(rows, text, background);
        DeviceObject old_brush = device.select_object(brush);
        DeviceObject pen = device.create_pen(1, text);
        DeviceObject old_pen = device.select_object(pen);
        device.set_brush_origin(origin, origin);
        device.rectangle({origin, origin, origin + 20, origin + 20});
        device.delete_object(device.select_object(old_brush));
        device.delete_object(device.select_object(old_pen));
        const std::string at = " (box at " + std::to_string(origin) + ")";
        // Inside the frame: row 2 of the pattern at the box's row 2.
        check(c.at(origin + 2, origin + 2) == text, "set bit in the text colour" + at);
        check(c.at(origin + 3, origin + 2) == background,
              "clear bit in the background colour" + at);
        check(c.at(origin + 6, origin + 2) == text, "the pattern repeats every 4 columns" + at);
        check(c.at(origin + 4, origin + 4) == text, "row 4 paints column 4" + at);
        check(c.at(origin + 4, origin + 1) == background, "row 1 is empty" + at);
        check(c.at(origin, origin + 5) == text, "frame in the pen colour" + at);
        check(c.at(origin + 19, origin + 19) == text,
              "right and bottom edges: last pixel inside" + at);
        check(c.at(origin + 20, origin + 20) == WHITE, "right and bottom are exclusive" + at);
    }
}

// The picture palette by pixel value as COLORREF (0x00BBGGRR), written out from the format's
// table rather than taken from the decoder's, so that a wrong entry there shows here.
constexpr COLORREF PICTURE_PALETTE[16] = {
    0xFFFFFF, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xC0C0C0,
    0x808080, 0x0000C0, 0x00C000, 0x00C0C0, 0xC00000, 0xC000C0, 0xC0C000, 0x000000,
};

// Colour of pixel `value` in a picture of `planes` planes: the table, its last entry black.
COLORREF expected_colour(int planes, int value) {
    return value == (1 << planes) - 1 ? BLACK : PICTURE_PALETTE[value];
}

void picture_checks() {
    // Every plane count: pixels 0 .. 2^n - 1 along a row, the highest value black.
    for (int planes = 1; planes <= 4; ++planes) {
        const int colours = 1 << planes;
        std::vector<int> px(16 * 2);
        for (int x = 0; x < 16; ++x) px[x] = px[16 + x] = x % colours;
        const std::vector<uint8_t> object = image_object(16, 2, planes, px);
        const DecodedImage image = decode_image_data(object.data(), object.size());
        Canvas c;
        GdiDevice device(c.dc);
        const std::string n = " (" + std::to_string(planes) + " planes)";
        check(device.draw_image(10, 10, image), "draw_image succeeds" + n);
        bool exact = true;
        for (int x = 0; x < 16; ++x) {
            exact = exact && c.at(10 + x, 10) == expected_colour(planes, x % colours) &&
                    c.at(10 + x, 11) == expected_colour(planes, x % colours);
        }
        check(exact, "every pixel in its palette colour" + n);
        check(c.at(10 + colours - 1, 10) == BLACK, "the highest value is black" + n);
        check(c.at(9, 10) == WHITE && c.at(26, 10) == WHITE && c.at(10, 12) == WHITE,
              "nothing drawn outside the picture" + n);

        Canvas s;
        GdiDevice stretched(s.dc);
        stretched.set_stretch_mode(StretchMode::ColourOnColour);
        check(stretched.stretch_image(0, 0, 32, 4, image), "stretch_image succeeds" + n);
        check(s.at(2 * (colours - 1), 0) == BLACK && s.at(2 * (colours - 1) + 1, 3) == BLACK,
              "stretched to twice the size" + n);
        check(s.at(32, 0) == WHITE && s.at(0, 4) == WHITE, "stretched size kept" + n);
    }
    // More than 4 planes: only a header, nothing drawn and no crash.
    const std::vector<uint8_t> deep = image_object(4, 1, 5, {1, 2, 3, 4});
    const DecodedImage header_only = decode_image_data(deep.data(), deep.size());
    Canvas c;
    GdiDevice device(c.dc);
    check(!device.draw_image(0, 0, header_only), "an image without pixels is not drawn");
    // Rows shorter than the header claims are refused rather than read past their end.
    const std::vector<uint8_t> one_plane = image_object(16, 2, 1, std::vector<int>(32, 1));
    DecodedImage cut = decode_image_data(one_plane.data(), one_plane.size());
    cut.pixels.resize(1);
    check(!device.draw_image(0, 0, cut), "pixel rows shorter than the size are refused");
}

void line_and_invert_checks() {
    Canvas c;
    GdiDevice device(c.dc);
    DeviceObject pen = device.create_pen(1, BLACK);
    DeviceObject old = device.select_object(pen);
    device.move_to(5, 5);
    device.line_to(15, 5);
    device.delete_object(device.select_object(old));
    check(c.at(5, 5) == BLACK && c.at(14, 5) == BLACK, "line drawn from its start");
    check(c.at(15, 5) == WHITE, "line excludes its end point");
    check(device.current_position().x == 15, "the position moves to the end point");
    device.invert_rect({0, 0, 10, 10});
    check(c.at(5, 5) == WHITE && c.at(0, 0) == BLACK && c.at(10, 10) == WHITE,
          "inversion inside the rectangle only");
    device.set_text_align(TEXT_ALIGN_UPDATE_CP);
    check(device.text_align() == TEXT_ALIGN_UPDATE_CP, "text drawn at the current position");
    check((GetTextAlign(c.dc) & TA_UPDATECP) != 0, "the context's flag follows");
    check(device.set_text_align(0) == TEXT_ALIGN_UPDATE_CP, "setting returns the old flag");
    check(device.set_text_colour(0x123456) != 0x123456 && device.text_colour() == 0x123456,
          "text colour");
    device.set_background_mode(BackgroundMode::Transparent);
    check(GetBkMode(c.dc) == TRANSPARENT, "transparent background");
}

}  // namespace

int main() {
    pattern_brush_checks();
    picture_checks();
    line_and_invert_checks();
    return wintest::summary();
}

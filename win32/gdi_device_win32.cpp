// GDI implementation of the drawing device.
#include "win32/gdi_device_win32.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "hyp/page_records.h"
#include "render/text_run.h"
#include "settings/settings.h"
#include "win32/scoped_win32.h"

static_assert(sizeof(DevicePoint) == sizeof(POINT), "DevicePoint is laid out like POINT");
static_assert(sizeof(COLORREF) == sizeof(Colour), "colours are COLORREF values");

namespace {

HGDIOBJ handle(DeviceObject object) {
    return reinterpret_cast<HGDIOBJ>(object);
}
DeviceObject object_of(HGDIOBJ h) {
    return reinterpret_cast<DeviceObject>(h);
}

// A packed DIB (information header, colour table, rows) built from a decoded image.
struct PackedDib {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};
    std::vector<uint8_t> rows;
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};
static_assert(offsetof(PackedDib, colours) == sizeof(BITMAPINFOHEADER),
              "the colour table follows the header");

RGBQUAD rgbquad(uint32_t colour) {
    RGBQUAD q{};
    q.rgbRed = static_cast<BYTE>(colour & 0xFF);
    q.rgbGreen = static_cast<BYTE>((colour >> 8) & 0xFF);
    q.rgbBlue = static_cast<BYTE>((colour >> 16) & 0xFF);
    return q;
}

// Bit counts a DIB may have on every device.
bool standard_bit_count(unsigned bits) {
    return bits == 1 || bits == 4 || bits == 8;
}

// Fills `dib` from `image` with `bits` bits per pixel (the image's own, or 4 for the 2- and
// 3-bit images that devices refuse). False when the image holds no pixels or fewer bytes than
// its size needs.
bool make_dib(const DecodedImage& image, unsigned bits, PackedDib& dib) {
    const unsigned source_bits = image.bit_count;
    if (source_bits < 1 || source_bits > 8 || image.palette.empty() || image.width <= 0) {
        return false;
    }
    const int64_t rows = image.height < 0 ? -static_cast<int64_t>(image.height) : image.height;
    const uint64_t source_stride = image.stride();
    if (rows == 0 || image.pixels.size() < source_stride * static_cast<uint64_t>(rows))
        return false;

    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = image.width;
    dib.header.biHeight = image.height;  // negative: rows run top-down, as decoded
    dib.header.biPlanes = 1;
    dib.header.biBitCount = static_cast<WORD>(bits);
    dib.header.biCompression = BI_RGB;
    const std::size_t colours = std::min<std::size_t>(image.palette.size(), 256);
    dib.header.biClrUsed = bits == source_bits ? static_cast<DWORD>(colours) : (1u << bits);
    for (std::size_t i = 0; i < colours; ++i) dib.colours[i] = rgbquad(image.palette[i]);

    if (bits == source_bits) {
        dib.rows.assign(image.pixels.begin(), image.pixels.begin() + source_stride * rows);
        return true;
    }
    // Widen each pixel to `bits` bits, most significant bits first as in the source.
    const uint64_t stride = 4u * ((static_cast<uint64_t>(bits) * image.width + 31u) / 32u);
    dib.rows.assign(stride * rows, 0);
    for (int64_t y = 0; y < rows; ++y) {
        const uint8_t* src = image.pixels.data() + y * source_stride;
        uint8_t* dst = dib.rows.data() + y * stride;
        for (int32_t x = 0; x < image.width; ++x) {
            const uint64_t bit = static_cast<uint64_t>(x) * source_bits;
            // 3-bit fields may straddle two bytes, so read the field from a 16-bit window.
            unsigned word = src[bit / 8] << 8;
            if (bit / 8 + 1 < source_stride) word |= src[bit / 8 + 1];
            const unsigned v = (word >> (16 - source_bits - bit % 8)) & ((1u << source_bits) - 1);
            const uint64_t out_bit = static_cast<uint64_t>(x) * bits;
            dst[out_bit / 8] |= static_cast<uint8_t>(v << (8 - bits - out_bit % 8));
        }
    }
    return true;
}

const wchar_t* wide_chars(const char16_t* text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");
    return reinterpret_cast<const wchar_t*>(text);
}

bool is_surrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Whether the font selected into `dc` has a glyph for `unit`. Surrogates never count: the
// glyph lookup works on the 16-bit plane only.
bool has_glyph(HDC dc, wchar_t unit) {
    if (is_surrogate(unit)) return false;
    WORD glyph = 0xFFFF;
    return GetGlyphIndicesW(dc, &unit, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
           glyph != 0xFFFF;
}

// Faces known to cover arrows, Greek, Hebrew, mathematical signs and box pieces: the first
// three on Windows, the others where the DejaVu or Free fonts are installed (Wine on Linux).
constexpr const wchar_t* kPreferredFaces[] = {L"Segoe UI Symbol",     L"Arial Unicode MS",
                                              L"Lucida Sans Unicode", L"DejaVu Sans",
                                              L"FreeSerif",           L"Symbola"};

int CALLBACK collect_family(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) {
    // Vertical faces ("@...") draw sideways.
    if (font->lfFaceName[0] != L'@') {
        reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(font->lfFaceName);
    }
    return 1;
}

// Whether `face` is installed (not a substitute the font mapper picks for an unknown name) and
// has a glyph for `unit`, measured in the memory context `dc`.
bool face_has_glyph(HDC dc, const std::wstring& face, wchar_t unit) {
    LOGFONTW wanted{};
    wanted.lfHeight = -16;
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&wanted);
    if (font == nullptr) return false;
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t actual[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, actual);
    const bool found =
        _wcsicmp(actual, face.c_str()) == 0 && (is_surrogate(unit) || has_glyph(dc, unit));
    SelectObject(dc, previous);
    DeleteObject(font);
    return found;
}

std::wstring choose_fallback_face(wchar_t unit) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return {};
    std::wstring chosen;
    for (const wchar_t* face : kPreferredFaces) {
        if (face_has_glyph(dc, face, unit)) {
            chosen = face;
            break;
        }
    }
    if (chosen.empty() && !is_surrogate(unit)) {
        std::vector<std::wstring> families;
        LOGFONTW all{};
        all.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExW(dc, &all, collect_family, reinterpret_cast<LPARAM>(&families), 0);
        for (const std::wstring& face : families) {
            if (face_has_glyph(dc, face, unit)) {
                chosen = face;
                break;
            }
        }
    }
    DeleteDC(dc);
    return chosen;
}

// A font of the selected one's size, weight, slant and underline in `face`; null for an empty
// face (the selected font stays) or when it cannot be made.
HFONT font_with_face(HDC dc, const std::wstring& face) {
    if (face.empty()) return nullptr;
    LOGFONTW font{};
    if (GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font) == 0) return nullptr;
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = 0;
    font.lfCharSet = DEFAULT_CHARSET;
    return CreateFontIndirectW(&font);
}

// Splits `length` UTF-16 units into stretches drawn in one face each: the selected font's
// (empty face) for the units it has a glyph for, a fallback face for the others. A surrogate
// pair stays in one stretch. Calls `stretch(from, count, face)` in order.
template <typename Stretch>
void for_each_face(HDC dc, const wchar_t* text, int length, Stretch stretch) {
    static const std::wstring kSelected;
    int from = 0;
    const std::wstring* face = nullptr;
    for (int i = 0; i < length;) {
        const int units = is_surrogate(text[i]) && i + 1 < length ? 2 : 1;
        const std::wstring* wanted = has_glyph(dc, text[i]) ? &kSelected : &fallback_face(text[i]);
        if (face != nullptr && *wanted != *face) {
            stretch(from, i - from, *face);
            from = i;
        }
        face = wanted;
        i += units;
    }
    if (face != nullptr) stretch(from, length - from, *face);
}

}  // namespace

const std::wstring& fallback_face(wchar_t unit) {
    static std::map<wchar_t, std::wstring> chosen;
    // Surrogates share one entry: their characters cannot be measured one by one.
    const wchar_t key = is_surrogate(unit) ? wchar_t{0xD800} : unit;
    auto found = chosen.find(key);
    if (found == chosen.end()) found = chosen.emplace(key, choose_fallback_face(key)).first;
    return found->second;
}

DeviceSize GdiDevice::text_extent_wide(const char16_t* text, int length) {
    DeviceSize total{0, 0};
    const wchar_t* units = wide_chars(text);
    for_each_face(dc_, units, length, [&](int from, int count, const std::wstring& face) {
        const SelectedFont selection(dc_, font_with_face(dc_, face));
        SIZE size{};
        GetTextExtentPoint32W(dc_, units + from, count, &size);
        total.cx += size.cx;
        total.cy = std::max<int32_t>(total.cy, size.cy);
    });
    return total;
}

bool GdiDevice::text_out_wide(int32_t x, int32_t y, const char16_t* text, int length) {
    bool drawn = true;
    const wchar_t* units = wide_chars(text);
    // At a given point each stretch starts where the one before ended; at the current position
    // the context moves on by itself.
    const bool at_position = (GetTextAlign(dc_) & TA_UPDATECP) != 0;
    for_each_face(dc_, units, length, [&](int from, int count, const std::wstring& face) {
        const SelectedFont selection(dc_, font_with_face(dc_, face));
        drawn = TextOutW(dc_, x, y, units + from, count) != 0 && drawn;
        if (!at_position) {
            SIZE size{};
            GetTextExtentPoint32W(dc_, units + from, count, &size);
            x += size.cx;
        }
    });
    return drawn;
}

DeviceSize GdiDevice::text_extent(const char* text, int length) {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text, length, &size);
    return {size.cx, size.cy};
}

bool GdiDevice::text_out(int32_t x, int32_t y, const char* text, int length) {
    return TextOutA(dc_, x, y, text, length) != 0;
}

DevicePoint GdiDevice::move_to(int32_t x, int32_t y) {
    POINT previous{};
    MoveToEx(dc_, x, y, &previous);
    return {previous.x, previous.y};
}

DevicePoint GdiDevice::current_position() {
    POINT p{};
    GetCurrentPositionEx(dc_, &p);
    return {p.x, p.y};
}

DeviceObject GdiDevice::create_font(const LogFontRecord& font) {
    return object_of(create_gdi_font(font));
}

DeviceObject GdiDevice::select_object(DeviceObject object) {
    return object_of(SelectObject(dc_, handle(object)));
}

bool GdiDevice::delete_object(DeviceObject object) {
    return object != NO_DEVICE_OBJECT && DeleteObject(handle(object)) != 0;
}

Colour GdiDevice::set_text_colour(Colour colour) {
    return SetTextColor(dc_, colour);
}
Colour GdiDevice::text_colour() {
    return GetTextColor(dc_);
}

BackgroundMode GdiDevice::set_background_mode(BackgroundMode mode) {
    const int previous = SetBkMode(dc_, mode == BackgroundMode::Transparent ? TRANSPARENT : OPAQUE);
    return previous == TRANSPARENT ? BackgroundMode::Transparent : BackgroundMode::Opaque;
}

// Only the update-current-position bit is the device's business; the other alignment bits of
// the context stay as they are.
uint32_t GdiDevice::set_text_align(uint32_t flags) {
    const UINT current = GetTextAlign(dc_);
    const UINT wanted =
        (current & ~TA_UPDATECP) | ((flags & TEXT_ALIGN_UPDATE_CP) ? TA_UPDATECP : 0);
    const UINT previous = SetTextAlign(dc_, wanted);
    return (previous != GDI_ERROR && (previous & TA_UPDATECP)) ? TEXT_ALIGN_UPDATE_CP : 0;
}

uint32_t GdiDevice::text_align() {
    const UINT current = GetTextAlign(dc_);
    return (current != GDI_ERROR && (current & TA_UPDATECP)) ? TEXT_ALIGN_UPDATE_CP : 0;
}

int GdiDevice::start_page() {
    return printer_ ? StartPage(dc_) : 1;
}
int GdiDevice::end_page() {
    return printer_ ? EndPage(dc_) : 1;
}

bool GdiDevice::invert_rect(const DeviceRect& rect) {
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    return InvertRect(dc_, &r) != 0;
}

void GdiDevice::set_window_title(WindowHandle window, const char* title) {
    if (window) set_caption(static_cast<HWND>(window), title);
}

void GdiDevice::set_window_title_wide(WindowHandle window, const char16_t* title) {
    if (window) set_caption_wide(static_cast<HWND>(window), wide_chars(title));
}

DeviceObject GdiDevice::create_pen(int width, Colour colour) {
    return object_of(CreatePen(PS_SOLID, width * line_width_factor_, colour));
}

DeviceObject GdiDevice::stock_object(StockObject object) {
    return object_of(GetStockObject(object == StockObject::HollowBrush ? HOLLOW_BRUSH : BLACK_PEN));
}

bool GdiDevice::line_to(int32_t x, int32_t y) {
    return LineTo(dc_, x, y) != 0;
}

bool GdiDevice::polyline(const DevicePoint* points, int count) {
    std::vector<POINT> p(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i) p[i] = {points[i].x, points[i].y};
    return count > 0 && Polyline(dc_, p.data(), count) != 0;
}

Colour GdiDevice::set_pixel(int32_t x, int32_t y, Colour colour) {
    return SetPixel(dc_, x, y, colour);
}

bool GdiDevice::rectangle(const DeviceRect& rect) {
    return Rectangle(dc_, rect.left, rect.top, rect.right, rect.bottom) != 0;
}

bool GdiDevice::round_rect(const DeviceRect& rect, int32_t ellipse_width, int32_t ellipse_height) {
    return RoundRect(dc_, rect.left, rect.top, rect.right, rect.bottom, ellipse_width,
                     ellipse_height) != 0;
}

// A 1-bit 8 x 8 DIB brush whose colour table gives the exact colours: entry 1 for set bits,
// entry 0 for clear bits (a monochrome bitmap brush would take the context's colours instead).
DeviceObject GdiDevice::create_pattern_brush(const uint8_t rows[8], Colour set_colour,
                                             Colour clear_colour) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
        DWORD rows[8];  // each row padded to 32 bits; the pattern byte is the first byte
    } dib{};
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = 8;
    dib.header.biHeight = -8;  // top-down: row 0 is the top row
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 1;
    dib.header.biCompression = BI_RGB;
    dib.header.biClrUsed = 2;
    dib.colours[0] = rgbquad(clear_colour);
    dib.colours[1] = rgbquad(set_colour);
    for (int i = 0; i < 8; ++i) dib.rows[i] = rows[i];  // little-endian: the first byte
    return object_of(CreateDIBPatternBrushPt(&dib, DIB_RGB_COLORS));
}

DevicePoint GdiDevice::set_brush_origin(int32_t x, int32_t y) {
    POINT previous{};
    SetBrushOrgEx(dc_, x, y, &previous);
    return {previous.x, previous.y};
}

StretchMode GdiDevice::set_stretch_mode(StretchMode mode) {
    const int previous =
        SetStretchBltMode(dc_, mode == StretchMode::ColourOnColour ? COLORONCOLOR : BLACKONWHITE);
    return previous == COLORONCOLOR ? StretchMode::ColourOnColour : StretchMode::Other;
}

bool GdiDevice::copy_bits(int32_t x, int32_t y, int32_t width, int32_t height,
                          const DecodedImage& image) {
    const int32_t rows = image.height < 0 ? -image.height : image.height;
    PackedDib dib;
    // Devices take 1, 4 and 8 bits per pixel; 2- and 3-plane images are widened to 4 bits.
    const unsigned bits = standard_bit_count(image.bit_count) ? image.bit_count : 4;
    if (!make_dib(image, bits, dib)) return false;
    int result = StretchDIBits(dc_, x, y, width, height, 0, 0, image.width, rows, dib.rows.data(),
                               dib.info(), DIB_RGB_COLORS, SRCCOPY);
    return result != 0 && result != static_cast<int>(GDI_ERROR);
}

bool GdiDevice::draw_image(int32_t x, int32_t y, const DecodedImage& image) {
    const int32_t rows = image.height < 0 ? -image.height : image.height;
    return copy_bits(x, y, image.width, rows, image);
}

bool GdiDevice::stretch_image(int32_t x, int32_t y, int32_t width, int32_t height,
                              const DecodedImage& image) {
    return copy_bits(x, y, width, height, image);
}

// The caption is read back whole: a longer one than the buffer compares as changed.
constexpr int CAPTION_COMPARE_SIZE = 600;

namespace {

// Sets a window's text. Some window systems draw the whole frame, scroll bars included, at once
// for a new caption; a shown window with nothing waiting to be painted therefore takes its text
// with drawing turned off, and has the band above its client area (caption and menu bar) drawn
// with the next paint instead. Turning drawing off validates the window, so a window with a
// paint pending takes its text the ordinary way: nothing waiting is lost.
template <typename SetText>
void set_text_drawn_with_next_paint(HWND hwnd, SetText set_text) {
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    if ((style & WS_VISIBLE) == 0 || (style & WS_CAPTION) != WS_CAPTION ||
        GetUpdateRect(hwnd, nullptr, FALSE)) {
        set_text();
        return;
    }
    SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
    set_text();
    SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    RECT band{};
    GetWindowRect(hwnd, &band);
    POINT client_origin{0, 0};
    ClientToScreen(hwnd, &client_origin);
    band.bottom = client_origin.y;
    invalidate_frame_area(hwnd, band);
}

}  // namespace

void invalidate_frame_area(HWND hwnd, RECT area) {
    // RedrawWindow takes a frame area in client coordinates: above and left of the origin.
    POINT client_origin{0, 0};
    ClientToScreen(hwnd, &client_origin);
    OffsetRect(&area, -client_origin.x, -client_origin.y);
    RedrawWindow(hwnd, &area, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void set_caption(HWND hwnd, const char* caption) {
    char shown[CAPTION_COMPARE_SIZE] = "";
    GetWindowTextA(hwnd, shown, CAPTION_COMPARE_SIZE);
    if (std::strcmp(shown, caption) == 0) return;
    set_text_drawn_with_next_paint(hwnd, [&] { SetWindowTextA(hwnd, caption); });
}

void set_caption_wide(HWND hwnd, const wchar_t* caption) {
    wchar_t shown[CAPTION_COMPARE_SIZE] = L"";
    GetWindowTextW(hwnd, shown, CAPTION_COMPARE_SIZE);
    if (std::wcscmp(shown, caption) == 0) return;
    set_text_drawn_with_next_paint(hwnd, [&] { SetWindowTextW(hwnd, caption); });
}

HFONT create_gdi_font(const LogFontRecord& record) {
    LOGFONTA font;
    static_assert(sizeof(font) == sizeof(record), "font record is a LOGFONTA");
    std::memcpy(&font, &record, sizeof(font));
    return CreateFontIndirectA(&font);
}

PageDrawing::PageDrawing(HDC dc, LogFontRecord& text_font) : dc_(dc) {
    SetBkMode(dc_, TRANSPARENT);
    old_align_ = SetTextAlign(dc_, TA_UPDATECP);
    set_font_attributes(text_font, 0);
    SetTextColor(dc_, settings.TXTCOLOR());
    old_font_ = SelectObject(dc_, create_gdi_font(text_font));
}

PageDrawing::~PageDrawing() {
    DeleteObject(SelectObject(dc_, old_font_));
    SetTextAlign(dc_, old_align_);
}

HDC OffscreenBitmap::prepare(HDC like, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (dc_ != nullptr && width == width_ && height == height_) return dc_;
    release();
    dc_ = CreateCompatibleDC(like);
    bitmap_ = dc_ ? CreateCompatibleBitmap(like, width, height) : nullptr;
    if (bitmap_ == nullptr) {
        release();
        return nullptr;
    }
    old_bitmap_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    bits_ = GetDeviceCaps(like, BITSPIXEL) * GetDeviceCaps(like, PLANES);
    return dc_;
}

void OffscreenBitmap::release() {
    if (dc_ != nullptr && old_bitmap_ != nullptr) SelectObject(dc_, old_bitmap_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    old_bitmap_ = nullptr;
    width_ = height_ = bits_ = 0;
}

std::size_t OffscreenBitmap::bytes() const {
    // Rows are padded to 32 bits.
    const std::size_t row = ((static_cast<std::size_t>(width_) * bits_ + 31) / 32) * 4;
    return row * static_cast<std::size_t>(height_);
}

PagePaint::PagePaint(HWND hwnd, LogFontRecord& text_font, OffscreenBitmap& offscreen)
    : hwnd_(hwnd) {
    HDC window_dc = BeginPaint(hwnd, &ps_);
    RECT client{};
    GetClientRect(hwnd, &client);
    HDC bitmap_dc = offscreen.prepare(window_dc, client.right, client.bottom);
    offscreen_ = bitmap_dc != nullptr;
    target_ = offscreen_ ? bitmap_dc : window_dc;
    FillRect(target_, &ps_.rcPaint,
             reinterpret_cast<HBRUSH>(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND)));
    drawing_.emplace(target_, text_font);
}

PagePaint::~PagePaint() {
    drawing_.reset();  // the context is given back prepared as it was
    if (offscreen_) {
        const RECT& area = ps_.rcPaint;
        BitBlt(ps_.hdc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               target_, area.left, area.top, SRCCOPY);
    }
    EndPaint(hwnd_, &ps_);
}

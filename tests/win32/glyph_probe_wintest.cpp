// Draws and reads what the Wine test of wide characters compares the viewer with, through plain
// GDI and clipboard calls of its own (none of the viewer's drawing code):
//
//   glyph_probe_wintest has-glyph FACE TEXT        exit 0 when font FACE (installed under that
//                                                  name) has a glyph for every character of TEXT
//   glyph_probe_wintest draw OUT.ppm FACE HEIGHT TEXT
//                                                  TEXT drawn with TextOutW in font FACE of
//                                                  LOGFONT height HEIGHT, black on white, into a
//                                                  bitmap as wide as GetTextExtentPoint32W says
//                                                  and as high as the font; written as a PPM
//   glyph_probe_wintest clipboard unicode|text     the clipboard's CF_UNICODETEXT, or its CF_TEXT
//                                                  read as code page 1252, printed as UTF-8
//
// TEXT is written as hexadecimal code points joined by "+" ("21E7+2C" for "⇧,"), so that no
// code page stands between the script and the probe. Exit 1 when the font or the clipboard format
// is missing, 2 on wrong use.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring from_code_page(UINT code_page, const char* text, int length) {
    const int units = MultiByteToWideChar(code_page, 0, text, length, nullptr, 0);
    std::wstring wide(units > 0 ? units : 0, L'\0');
    if (units > 0) MultiByteToWideChar(code_page, 0, text, length, wide.data(), units);
    return wide;
}

std::string to_utf8(const std::wstring& wide) {
    const int length = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), bytes, nullptr, nullptr);
    }
    return utf8;
}

// A font of FACE at HEIGHT selected into `dc`; null when FACE is not installed under that name.
HFONT select_face(HDC dc, const std::wstring& face, int height) {
    LOGFONTW wanted{};
    wanted.lfHeight = height;
    wanted.lfWeight = FW_NORMAL;
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&wanted);
    SelectObject(dc, font);
    wchar_t actual[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, actual);
    return _wcsicmp(actual, face.c_str()) == 0 ? font : nullptr;
}

int has_glyph(const std::wstring& face, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!select_face(dc, face, -16)) return 1;
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    for (WORD glyph : glyphs) {
        if (glyph == 0xFFFF) return 1;
    }
    return 0;
}

int draw(const char* out, const std::wstring& face, int height, const std::wstring& text) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    if (!select_face(dc, face, height)) {
        std::fprintf(stderr, "font %s is not installed\n", to_utf8(face).c_str());
        return 1;
    }
    SIZE size{};
    const int length = static_cast<int>(text.size());
    GetTextExtentPoint32W(dc, text.c_str(), length, &size);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    const RECT all{0, 0, size.cx, size.cy};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // Drawn as the viewer draws page text: black, transparent, from the cell's top left.
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 0, 0, text.c_str(), length);
    GdiFlush();
    std::FILE* file = std::fopen(out, "wb");
    if (file == nullptr) return 1;
    std::fprintf(file, "P6\n%ld %ld\n255\n", size.cx, size.cy);
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (long i = 0; i < size.cx * size.cy; ++i) {
        const uint8_t rgb[3] = {pixels[4 * i + 2], pixels[4 * i + 1], pixels[4 * i]};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
    ReleaseDC(nullptr, screen);
    return 0;
}

int clipboard(const std::string& format) {
    if (!OpenClipboard(nullptr)) return 1;
    const bool unicode = format == "unicode";
    HANDLE data = GetClipboardData(unicode ? CF_UNICODETEXT : CF_TEXT);
    int result = 1;
    if (data != nullptr) {
        const void* locked = GlobalLock(data);
        if (locked != nullptr) {
            const std::wstring text =
                unicode ? std::wstring(static_cast<const wchar_t*>(locked))
                        : from_code_page(
                              1252, static_cast<const char*>(locked),
                              static_cast<int>(std::strlen(static_cast<const char*>(locked))));
            std::fputs(to_utf8(text).c_str(), stdout);
            GlobalUnlock(data);
            result = 0;
        }
    }
    CloseClipboard();
    return result;
}

// "21E7+2C" as the UTF-16 text it names.
std::wstring code_points(const char* text) {
    std::wstring wide;
    for (const char* at = text; *at != 0;) {
        char* end = nullptr;
        const unsigned long u = std::strtoul(at, &end, 16);
        if (end == at) break;
        if (u >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((u - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((u - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(u);
        }
        at = *end == '+' ? end + 1 : end;
    }
    return wide;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "has-glyph" && argc == 4) {
        return has_glyph(from_code_page(CP_UTF8, argv[2], -1).c_str(), code_points(argv[3]));
    }
    if (verb == "draw" && argc == 6) {
        return draw(argv[2], from_code_page(CP_UTF8, argv[3], -1).c_str(), std::atoi(argv[4]),
                    code_points(argv[5]));
    }
    if (verb == "clipboard" && argc == 3) return clipboard(argv[2]);
    std::fprintf(stderr, "usage: glyph_probe_wintest has-glyph|draw|clipboard ...\n");
    return 2;
}

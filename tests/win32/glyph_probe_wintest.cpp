// Draws and reads what the Wine test of wide characters compares the viewer with, through plain
// GDI and clipboard calls of its own (none of the viewer's drawing code):
//   glyph_probe_wintest draw OUT.ppm FACE HEIGHT TEXT   TEXT by TextOutW in FACE at LOGFONT
//       height HEIGHT, black on white, as a PPM as wide as GetTextExtentPoint32W says
//   glyph_probe_wintest clipboard unicode|text          CF_UNICODETEXT, or CF_TEXT read as
//       code page 1252, printed as UTF-8
// TEXT is hexadecimal code points joined by "+" ("21E7+2C" for "⇧,"), so that no code page lies
// between the script and the probe. Exit 1 when the font or the format is missing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string to_utf8(const std::wstring& wide) {
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

std::wstring code_points(const char* text) {
    std::wstring wide;
    for (char* end = nullptr;; text = end + 1) {
        const unsigned long u = std::strtoul(text, &end, 16);
        if (end == text) break;
        if (u >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((u - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((u - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(u);
        }
        if (*end != '+') break;
    }
    return wide;
}

// Selects FACE at HEIGHT into `dc`; false when no font is installed under that name.
bool select_face(HDC dc, const char* face, int height) {
    LOGFONTA wanted{};
    wanted.lfHeight = height;
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::snprintf(wanted.lfFaceName, LF_FACESIZE, "%s", face);
    SelectObject(dc, CreateFontIndirectA(&wanted));
    char actual[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, actual);
    return _stricmp(actual, face) == 0;
}

int draw(const char* out, const char* face, int height, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!select_face(dc, face, height)) return 1;
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    BITMAPINFO info{};
    info.bmiHeader = {static_cast<DWORD>(sizeof info.bmiHeader), size.cx, -size.cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    SelectObject(dc, CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const RECT all{0, 0, size.cx, size.cy};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // As the viewer draws page text: black, transparent, from the top left of its place.
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    std::FILE* file = std::fopen(out, "wb");
    if (file == nullptr) return 1;
    std::fprintf(file, "P6\n%ld %ld\n255\n", size.cx, size.cy);
    const auto* bgrx = static_cast<const uint8_t*>(bits);
    for (long i = 0; i < size.cx * size.cy; ++i, bgrx += 4) {
        const uint8_t rgb[3] = {bgrx[2], bgrx[1], bgrx[0]};
        std::fwrite(rgb, 1, 3, file);
    }
    return std::fclose(file) == 0 ? 0 : 1;
}

int clipboard(bool unicode) {
    if (!OpenClipboard(nullptr)) return 1;
    HANDLE data = GetClipboardData(unicode ? CF_UNICODETEXT : CF_TEXT);
    const void* locked = data != nullptr ? GlobalLock(data) : nullptr;
    if (locked != nullptr) {
        std::wstring text;
        if (unicode) {
            text = static_cast<const wchar_t*>(locked);
        } else {
            const char* bytes = static_cast<const char*>(locked);
            text.resize(std::strlen(bytes));
            text.resize(MultiByteToWideChar(1252, 0, bytes, static_cast<int>(text.size()),
                                            text.data(), static_cast<int>(text.size())));
        }
        std::fputs(to_utf8(text).c_str(), stdout);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return locked != nullptr ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "draw" && argc == 6) {
        return draw(argv[2], argv[3], std::atoi(argv[4]), code_points(argv[5]));
    }
    if (verb == "clipboard" && argc == 3) return clipboard(std::string(argv[2]) == "unicode");
    return 2;
}

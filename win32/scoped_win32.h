// Holders of Windows resources that are given back on every way out: the wait cursor, a printer
// context, a selected font, the clipboard.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

// The hourglass from construction to destruction; the arrow afterwards.
class WaitCursor {
   public:
    WaitCursor() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
    ~WaitCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A printer device or information context from the print dialog, deleted with its holder.
class PrinterContext {
   public:
    PrinterContext() = default;
    explicit PrinterContext(HDC dc) : dc_(dc) {}
    ~PrinterContext() { reset(); }
    PrinterContext(PrinterContext&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    PrinterContext& operator=(PrinterContext&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    PrinterContext(const PrinterContext&) = delete;
    PrinterContext& operator=(const PrinterContext&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) DeleteDC(dc_);
        dc_ = nullptr;
    }

   private:
    HDC dc_ = nullptr;
};

// A font made for one drawing and selected into a device context; selected out and deleted with
// its holder. A null font (one that could not be made) changes nothing.
class SelectedFont {
   public:
    SelectedFont(HDC dc, HFONT font)
        : dc_(dc), font_(font), previous_(font ? SelectObject(dc, font) : nullptr) {}
    ~SelectedFont() {
        if (font_ == nullptr) return;
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

   private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
};

// The clipboard, opened without an owner window and emptied, for one copy; closed with its
// holder. When it cannot be opened or emptied, nothing can be put on it (usable() false).
class ClipboardSession {
   public:
    ClipboardSession() : open_(OpenClipboard(nullptr) != 0), usable_(open_ && EmptyClipboard()) {}
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    bool usable() const { return usable_; }

    // Puts `text` and a NUL after it on the clipboard as `format` (CF_TEXT or CF_OEMTEXT) in a
    // movable, shareable memory block. The block is the holder's until the clipboard takes it:
    // a block the clipboard refuses, or that cannot be locked, is freed. False only when no
    // block could be allocated.
    bool set_text(const std::string& text, UINT format) { return put(text, format); }

    // The same for Unicode text as CF_UNICODETEXT.
    bool set_unicode_text(const std::wstring& text) { return put(text, CF_UNICODETEXT); }

   private:
    // `text` (bytes or UTF-16 units) and a NUL unit after it, as set_text describes.
    template <typename Unit>
    bool put(const std::basic_string<Unit>& text, UINT format) {
        HGLOBAL block =
            GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, (text.size() + 1) * sizeof(Unit));
        if (block == nullptr) return false;
        if (auto* units = static_cast<Unit*>(GlobalLock(block))) {
            text.copy(units, text.size());
            units[text.size()] = 0;
            GlobalUnlock(block);
            if (SetClipboardData(format, block) != nullptr) return true;
        }
        GlobalFree(block);
        return true;
    }

    bool open_;
    bool usable_;
};

// Holders of Windows resources that are given back on every way out: the wait cursor, a printer
// context, the clipboard.
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
    bool set_text(const std::string& text, UINT format) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
        if (block == nullptr) return false;
        if (char* bytes = static_cast<char*>(GlobalLock(block))) {
            text.copy(bytes, text.size());
            bytes[text.size()] = 0;
            GlobalUnlock(block);
            if (SetClipboardData(format, block) != nullptr) return true;
        }
        GlobalFree(block);
        return true;
    }

    // The same for Unicode text as CF_UNICODETEXT.
    bool set_unicode_text(const std::wstring& text) {
        const SIZE_T size = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
        if (block == nullptr) return false;
        if (auto* units = static_cast<wchar_t*>(GlobalLock(block))) {
            text.copy(units, text.size());
            units[text.size()] = 0;
            GlobalUnlock(block);
            if (SetClipboardData(CF_UNICODETEXT, block) != nullptr) return true;
        }
        GlobalFree(block);
        return true;
    }

   private:
    bool open_;
    bool usable_;
};

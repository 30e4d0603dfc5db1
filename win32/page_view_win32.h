// The main window's page on screen: drawn off-screen from the kept page, put on in one transfer.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

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

// Figures of the page view since the start (the bench reads them): recordings of the kept
// page and the paints drawn from it, with their times in milliseconds.
struct PageViewFigures {
    uint32_t recordings = 0;
    double recording_ms = 0;
    uint32_t paints = 0;
    double replay_ms = 0;
    double transfer_ms = 0;
    std::size_t kept_page_bytes = 0;  // the page kept now
    std::size_t bitmap_bytes = 0;
};
const PageViewFigures& page_view_figures();

// WM_PAINT of the main window: the paint area is filled with the window's background, the kept
// page (recorded again when its key changed) drawn into it, and the area put on the window.
void paint_page_view(HWND hwnd);

// The next paint records the page again (a page shown anew, a document opened).
void forget_kept_page();

// Releases the kept page and the bitmap (the main window goes).
void release_page_view();

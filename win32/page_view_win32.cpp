// Off-screen painting of the main window from the kept page, and the recording of that page.
#include "win32/page_view_win32.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "app/dpi_scale.h"
#include "app/kept_page.h"
#include "app/link_selection.h"
#include "hyp/document.h"
#include "render/page_recording.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "win32/accessibility_win32.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/selection_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

// The search's find on `page`: inverted by the walk, or in high contrast drawn in the
// highlight colours with the selection.
TextSpan page_highlight(int32_t page) {
    ViewerWindow& w = viewer_window();
    TextSpan find = w.search ? w.search->highlight(page) : TextSpan{};
    find.inverted = find_drawn_inverted();
    return find;
}

double milliseconds_since(const LARGE_INTEGER& begin) {
    return elapsed_ms(begin, clock_now());
}

// A screen walk of the whole page at origin (0, 0), drawn into a recording. The recording
// measures on a memory context of the screen's format, so that its text runs advance as they
// will on the window.
void record_page(HWND hwnd, IndexEntry& entry, const KeptPageKey& key, const TextSpan& highlight) {
    ViewerWindow& w = viewer_window();
    const LARGE_INTEGER begin = clock_now();
    w.page_view.kept.recording.reset();
    auto recording = std::make_unique<PageRecording>();
    HDC window_dc = GetDC(hwnd);
    HDC measure_dc = CreateCompatibleDC(window_dc);
    // A pixel in the window's format: text is measured as it is drawn there (a monochrome
    // context may hint glyphs, and so advance the position, differently).
    HBITMAP pixel = CreateCompatibleBitmap(window_dc, 1, 1);
    HGDIOBJ old_bitmap = SelectObject(measure_dc, pixel);
    ReleaseDC(hwnd, window_dc);
    {
        GdiDevice measure(measure_dc);
        // Lines and boxes widen in whole pixels on a screen finer than 96 dpi.
        measure.set_line_width_factor(window_pixel_sizes(w.dpi).line_width);
        PageRecorder recorder(measure, w.page_view.object_releaser, *recording, screen_text_font(),
                              settings.TXTCOLOR());
        const ScreenView whole_page{0, 0, 0, entry.line_count + 1};
        PageWalkArgs args =
            PageWalkArgs::screen(document, static_cast<uint16_t>(key.page), recorder,
                                 {WindowRole::Main, hwnd}, viewer_walk_fonts(), whole_page);
        args.selected_link = key.selected_link;
        args.highlight = highlight;
        args.text_line_display = &w.page_view.kept.text_line_display;
        interpret_page(args);
    }
    SelectObject(measure_dc, old_bitmap);
    DeleteObject(pixel);
    DeleteDC(measure_dc);
    w.page_view.kept.recording = std::move(recording);
    w.page_view.kept.key = key;
    w.page_view.kept.links = entry.links;
    w.page_view.kept.image_line_heights = entry.image_line_heights;
    w.page_view.kept.display_line = highlight.display_line ? *highlight.display_line : -1;
    w.page_view.figures.recordings++;
    w.page_view.figures.recording_ms += milliseconds_since(begin);
    w.page_view.figures.kept_page_bytes =
        w.page_view.kept.recording->bytes() + w.page_view.kept.links.capacity() * sizeof(LinkArea);
}

// A focus rectangle around the keyboard-selected link, besides its inversion, so that it shows
// in every colour scheme (an inversion of some colour pairs is hard to see).
void draw_selection_focus(HDC dc, const IndexEntry& entry, const RECT& area) {
    const ViewerWindow& w = viewer_window();
    if (w.view.selected_link == 0) return;
    const LinkArea* link = link_at_ordinal(entry, w.view.selected_link);
    if (link == nullptr) return;
    const DeviceRect at = link_client_rect(*link, w.view.top_line, w.view.left_column,
                                           w.metrics.line_height, w.metrics.cell_width);
    const RECT r{at.left, at.top, at.right, at.bottom};
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    DrawFocusRect(dc, &r);
    RestoreDC(dc, saved);
}

}  // namespace

LARGE_INTEGER clock_now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

double elapsed_ms(const LARGE_INTEGER& begin, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

const PageViewFigures& page_view_figures() {
    ViewerWindow& w = viewer_window();
    w.page_view.figures.bitmap_bytes = w.page_view.offscreen.bytes();
    return w.page_view.figures;
}

void paint_page_view(HWND hwnd) {
    ViewerWindow& w = viewer_window();
    const ViewState& view = w.view;
    const ColoursInEffect colours;  // also in the kept page's key: a change records anew
    ensure_layout(view.current_page);
    PAINTSTRUCT ps;
    HDC window_dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    const RECT area = ps.rcPaint;
    HDC dc = w.page_view.offscreen.prepare(window_dc, client.right, client.bottom);
    HDC target = dc ? dc : window_dc;  // without a bitmap, straight onto the window
    FillRect(target, &area, reinterpret_cast<HBRUSH>(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND)));
    const bool shown = view.current_page >= 0 &&
                       static_cast<std::size_t>(view.current_page) < document.index.size();
    if (shown && area.bottom > area.top && area.right > area.left) {
        IndexEntry& entry = document.index[view.current_page];
        const TextSpan highlight = page_highlight(view.current_page);
        const KeptPageKey key =
            kept_page_key(view, screen_text_font(), screen_alt_font(), w.metrics, highlight);
        if (!w.page_view.kept.recording || w.page_view.kept.key != key) {
            record_page(hwnd, entry, key, highlight);
        } else {
            entry.links = w.page_view.kept.links;
            entry.image_line_heights = w.page_view.kept.image_line_heights;
            if (highlight.display_line && w.page_view.kept.display_line >= 0) {
                *highlight.display_line = w.page_view.kept.display_line;
            }
        }
        const LARGE_INTEGER replay_begin = clock_now();
        const int64_t dx = -int64_t{view.left_column} * std::max(w.metrics.cell_width, 1);
        const int64_t dy = -int64_t{view.top_line} * std::max(w.metrics.line_height, 1);
        const int saved = SaveDC(target);
        IntersectClipRect(target, area.left, area.top, area.right, area.bottom);
        GdiDevice device(target);
        w.page_view.kept.recording->replay(
            device, static_cast<int32_t>(std::max<int64_t>(dx, INT32_MIN)),
            static_cast<int32_t>(std::max<int64_t>(dy, INT32_MIN)),
            static_cast<int32_t>(std::min<int64_t>(area.top - dy, INT32_MAX)),
            static_cast<int32_t>(std::min<int64_t>(area.bottom - dy, INT32_MAX)));
        RestoreDC(target, saved);
        paint_selection(target, area, settings.BCKCOLOR());
        draw_selection_focus(target, entry, area);
        w.page_view.figures.replay_ms += milliseconds_since(replay_begin);
    }
    const LARGE_INTEGER transfer_begin = clock_now();
    if (dc) {
        BitBlt(window_dc, area.left, area.top, area.right - area.left, area.bottom - area.top, dc,
               area.left, area.top, SRCCOPY);
    }
    w.page_view.figures.transfer_ms += milliseconds_since(transfer_begin);
    w.page_view.figures.paints++;
    EndPaint(hwnd, &ps);
}

void forget_kept_page() {
    viewer_window().page_view.kept = KeptPage{};
}

void release_page_view() {
    ViewerWindow& w = viewer_window();
    forget_kept_page();
    w.page_view.offscreen.release();
}

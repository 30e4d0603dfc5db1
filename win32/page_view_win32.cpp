// Off-screen painting of the main window from the kept page, and the recording of that page.
#include "win32/page_view_win32.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "app/dpi_scale.h"
#include "app/kept_page.h"
#include "hyp/document.h"
#include "render/page_recording.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/main_window_win32.h"
#include "win32/search_win32.h"
#include "win32/viewer_win32.h"

namespace {

// The shown page as recorded, with what the recording walk left on its entry: link areas and
// picture heights are put back before each paint, as a walk would rebuild them (printing
// rewrites them in printer units meanwhile).
struct KeptPage {
    std::unique_ptr<PageRecording> recording;
    KeptPageKey key;
    std::vector<LinkArea> links;
    std::vector<int32_t> image_line_heights;
    int32_t display_line = -1;  // where the search find's line was drawn; -1 none
};

// Deletes the recordings' fonts, pens and brushes: GDI objects need no context for that.
// Defined before the kept page, so that it outlives it.
GdiDevice object_releaser(nullptr);
KeptPage kept;
OffscreenBitmap offscreen;
PageViewFigures figures;

double milliseconds_since(const LARGE_INTEGER& begin) {
    return elapsed_ms(begin, clock_now());
}

// A screen walk of the whole page at origin (0, 0), drawn into a recording. The recording
// measures on a memory context of the screen's format, so that its text runs advance as they
// will on the window.
void record_page(HWND hwnd, IndexEntry& entry, const KeptPageKey& key, const TextSpan& highlight) {
    const LARGE_INTEGER begin = clock_now();
    kept.recording.reset();
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
        measure.set_line_width_factor(window_pixel_sizes(viewer.dpi).line_width);
        PageRecorder recorder(measure, object_releaser, *recording, screen_text_font(), settings.TXTCOLOR());
        const ScreenView whole_page{0, 0, 0, entry.line_count + 1};
        PageWalkArgs args =
            PageWalkArgs::screen(document, static_cast<uint16_t>(key.page), recorder,
                                 {WindowRole::Main, hwnd}, viewer_walk_fonts(), whole_page);
        args.selected_link = key.selected_link;
        args.highlight = highlight;
        interpret_page(args);
    }
    SelectObject(measure_dc, old_bitmap);
    DeleteObject(pixel);
    DeleteDC(measure_dc);
    kept.recording = std::move(recording);
    kept.key = key;
    kept.links = entry.links;
    kept.image_line_heights = entry.image_line_heights;
    kept.display_line = highlight.display_line ? *highlight.display_line : -1;
    figures.recordings++;
    figures.recording_ms += milliseconds_since(begin);
    figures.kept_page_bytes = kept.recording->bytes() + kept.links.capacity() * sizeof(LinkArea);
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
    figures.bitmap_bytes = offscreen.bytes();
    return figures;
}

void paint_page_view(HWND hwnd) {
    const ViewState& view = main_window.view;
    ensure_layout(view.current_page);
    PAINTSTRUCT ps;
    HDC window_dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    const RECT area = ps.rcPaint;
    HDC dc = offscreen.prepare(window_dc, client.right, client.bottom);
    HDC target = dc ? dc : window_dc;  // without a bitmap, straight onto the window
    FillRect(target, &area, reinterpret_cast<HBRUSH>(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND)));
    const bool shown = view.current_page >= 0 &&
                       static_cast<std::size_t>(view.current_page) < document.index.size();
    if (shown && area.bottom > area.top && area.right > area.left) {
        IndexEntry& entry = document.index[view.current_page];
        const TextSpan highlight = search_highlight(view.current_page);
        const KeptPageKey key =
            kept_page_key(view, screen_text_font(), screen_alt_font(), viewer.metrics, highlight);
        if (!kept.recording || kept.key != key) {
            record_page(hwnd, entry, key, highlight);
        } else {
            entry.links = kept.links;
            entry.image_line_heights = kept.image_line_heights;
            if (highlight.display_line && kept.display_line >= 0) {
                *highlight.display_line = kept.display_line;
            }
        }
        const LARGE_INTEGER replay_begin = clock_now();
        const int64_t dx = -int64_t{view.left_column} * std::max(viewer.metrics.cell_width, 1);
        const int64_t dy = -int64_t{view.top_line} * std::max(viewer.metrics.line_height, 1);
        const int saved = SaveDC(target);
        IntersectClipRect(target, area.left, area.top, area.right, area.bottom);
        GdiDevice device(target);
        kept.recording->replay(
            device, static_cast<int32_t>(std::max<int64_t>(dx, INT32_MIN)),
            static_cast<int32_t>(std::max<int64_t>(dy, INT32_MIN)),
            static_cast<int32_t>(std::min<int64_t>(area.top - dy, INT32_MAX)),
            static_cast<int32_t>(std::min<int64_t>(area.bottom - dy, INT32_MAX)));
        RestoreDC(target, saved);
        figures.replay_ms += milliseconds_since(replay_begin);
    }
    const LARGE_INTEGER transfer_begin = clock_now();
    if (dc) {
        BitBlt(window_dc, area.left, area.top, area.right - area.left, area.bottom - area.top, dc,
               area.left, area.top, SRCCOPY);
    }
    figures.transfer_ms += milliseconds_since(transfer_begin);
    figures.paints++;
    EndPaint(hwnd, &ps);
}

void forget_kept_page() {
    kept = KeptPage{};
}

void release_page_view() {
    forget_kept_page();
    offscreen.release();
}

// The main window's side of following the open hypertext: the follower fed with looks, and the
// views of the old file (popup, kept page) dropped after it was read again.
#include "win32/reload_win32.h"

#include <memory>

#include "app/reload.h"
#include "hyp/charset.h"
#include "settings/settings.h"
#include "win32/page_view_win32.h"
#include "win32/selection_win32.h"
#include "win32/viewer_window_win32.h"

void attach_file_follower(ViewerWindow& window) {
    window.file_follower = std::make_unique<FileFollower>(document, window.view, window.history,
                                                          settings.Marken, *window.navigator,
                                                          *window.navigation_host);
}

void note_opening_hypertext(const std::string& path) {
    viewer_window().opening_identity = read_file_identity(path);
}

void follow_opened_hypertext() {
    ViewerWindow& w = viewer_window();
    if (w.file_follower) w.file_follower->follow(w.opening_identity);
}

void start_following(HWND hwnd) {
    SetTimer(hwnd, RELOAD_TIMER_ID, static_cast<UINT>(RELOAD_POLL_MS), nullptr);
}

namespace {

// Milliseconds since the start of the system, carried past GetTickCount's wrap after 49 days.
int64_t monotonic_ms(ViewerWindow& w) {
    const uint32_t tick = GetTickCount();
    if (tick < w.last_tick) ++w.tick_wraps;
    w.last_tick = tick;
    return (w.tick_wraps << 32) + tick;
}

}  // namespace

void look_at_open_file() {
    ViewerWindow& w = viewer_window();
    // A look from inside a look (the message box of a Tell step runs a message loop) waits for
    // the next timer; the rules have recorded the message as told already.
    if (!w.file_follower || w.looking_at_file) return;
    w.looking_at_file = true;
    const ReloadStep step = w.file_follower->look(monotonic_ms(w));
    w.looking_at_file = false;
    if (step != ReloadStep::Reload || !w.file_follower->last_reload().views_stale) return;
    // The popup, and the kept recording keyed by the page's index, belong to the old file.
    if (w.popup_window != nullptr) {
        HWND popup = w.popup_window;
        w.popup_window = nullptr;
        DestroyWindow(popup);
    }
    w.view.conversion = screen_conversion(document.source_charset);
    end_selection();  // its cells were the old file's
    forget_kept_page();
    InvalidateRect(w.hwnd, nullptr, TRUE);
}

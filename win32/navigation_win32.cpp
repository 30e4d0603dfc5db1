// The window services the navigator uses, and the popup menus of the picture buttons.
#include "win32/navigation_win32.h"

#include <algorithm>

#include "app/scroll.h"
#include "hyp/charset.h"
#include "hyp/paths.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "win32/catalogue_window_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/page_view_win32.h"
#include "win32/popup_window_win32.h"
#include "win32/recent_files_win32.h"
#include "win32/reload_win32.h"
#include "win32/selection_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

class WindowNavigationHost : public NavigationHost {
   public:
    explicit WindowNavigationHost(ViewerWindow& window) : w(window) {}

    void set_title(const std::string& title) override {
        w.title = title;
        set_caption(w.hwnd, title.c_str());
    }
    void set_wide_title(const std::u16string& title) override {
        set_caption_wide(w.hwnd, reinterpret_cast<const wchar_t*>(title.c_str()));
    }

    void layout_page(uint16_t page) override { ensure_layout(page); }

    ViewMetrics metrics() override {
        RECT rc{};
        GetClientRect(w.hwnd, &rc);
        ViewMetrics m;
        // The horizontal range uses the width of the last resize, as the resize steps do.
        m.client_width = w.view.client_width;
        m.client_height = rc.bottom - rc.top;
        m.line_height = std::max<int32_t>(w.metrics.line_height, 1);
        m.cell_width = std::max<int32_t>(w.metrics.cell_width, 1);
        return m;
    }

    void show_view(const ViewState& view) override {
        HWND hwnd = w.hwnd;
        end_selection();  // another page: nothing of it is selected
        forget_kept_page();
        set_scroll_bar(hwnd, SB_VERT, view.max_top_line, view.top_line);
        set_scroll_bar(hwnd, SB_HORZ, view.max_left_column, view.left_column);
        InvalidateRect(hwnd, nullptr, TRUE);
        catalogue_follow_view(w);
    }

    void update_buttons() override { update_toolbar_states(); }

    void repaint_now() override { UpdateWindow(w.hwnd); }

    void show_message(const std::string& text) override { ::show_message(w.hwnd, text); }

    void open_popup(uint16_t entry, ClientPoint point) override {
        open_popup_window(entry, POINT{point.x, point.y});
    }

    std::optional<std::string> choose_hypertext(const std::string& directory,
                                                const std::string& file_name) override {
        return choose_hypertext_file(w.hwnd, directory, file_name);
    }

    void set_wait_cursor(bool wait) override {
        SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_ARROW));
    }

    void save_options_div() override { report_failure(w.hwnd, save_settings_div()); }

    void post_quit() override { PostQuitMessage(0); }

    bool ctrl_held() override { return GetKeyState(VK_CONTROL) < 0; }

    void hypertext_opened(const std::string& path) override {
        note_opened_hypertext(path);
        follow_opened_hypertext();
    }
    void opening_hypertext(const std::string& path) override { note_opening_hypertext(path); }

   private:
    ViewerWindow& w;
};

void show_model(const PopupMenuModel& model) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    AppendMenuA(menu, MF_STRING | MF_DISABLED, 0, model.title.c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    for (const MenuModelItem& item : model.items) {
        AppendMenuA(menu, MF_STRING, item.id, item.text.c_str());
    }
    track_popup_menu(menu);
    DestroyMenu(menu);
}

}  // namespace

void attach_navigation(ViewerWindow& window) {
    window.navigation_host = std::make_unique<WindowNavigationHost>(window);
    window.navigator =
        std::make_unique<Navigator>(document, window.view, window.history, *window.navigation_host);
}

Navigator& navigator() {
    return *viewer_window().navigator;
}

bool history_not_empty() {
    return !viewer_window().history.empty();
}

bool navigation_command(unsigned id) {
    return navigator().command(id);
}

void follow_link(const LinkArea& area, POINT point) {
    navigator().follow_link(area, ClientPoint{point.x, point.y});
}

void open_from_dialog() {
    navigator().open_and_show(LoadSource::Dialog, std::nullopt, std::nullopt, NavigationRequest{});
}

void open_dropped_file(const std::string& path) {
    navigator().open_and_show(LoadSource::Dropped, path, std::nullopt, NavigationRequest{});
}

void track_popup_menu(HMENU menu) {
    ViewerWindow& w = viewer_window();
    POINT cursor;
    GetCursorPos(&cursor);
    w.menu_tracking = true;
    TrackPopupMenu(menu, TPM_CENTERALIGN, cursor.x, cursor.y, 0, w.hwnd, nullptr);
    w.menu_tracking = false;
}

void show_history_menu() {
    show_model(navigator().history_menu_model());
}
void show_marks_menu() {
    show_model(navigator().marks_menu_model());
}
void show_xref_menu() {
    show_model(navigator().xref_menu_model());
}

// The viewer's main window as a screen reader reads it, and its page at high contrast: starts
// the viewer in this process on the sample hypertext, asks the window for its accessible object
// as assistive technology does (the object, names, value, children, states, the default action,
// the events through a WinEvent hook) and switches the system's high-contrast mode.
//
//   accessibility_wintest SAMPLE.hyp
//
// Prints one line per failed check and ends with "N passed, M failed".
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/link_selection.h"
#include "app/search_session.h"
#include "app/command_ids.h"
#include "hyp/document.h"
#include "settings/settings.h"
#include "tests/win32/viewer_driver.h"
#include "tests/win32/wintest_checks.h"
#include "win32/accessibility_win32.h"
#include "win32/navigation_win32.h"
#include "win32/viewer_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

using namespace wintest;  // the driver and the checks

ViewerWindow viewer_state;

std::string utf8(const wchar_t* text) {
    if (text == nullptr) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

VARIANT child_id(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A text property of child `id` as UTF-8; "<failed>" when the call fails.
template <typename Getter>
std::string text_of(IAccessible* object, LONG id, Getter getter) {
    BSTR text = nullptr;
    const HRESULT hr = (object->*getter)(child_id(id), &text);
    if (FAILED(hr)) return "<failed>";
    std::string out = utf8(text);
    SysFreeString(text);
    return out;
}

LONG number_of(IAccessible* object, LONG id,
               HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, VARIANT*)) {
    VARIANT v;
    VariantInit(&v);
    if (FAILED((object->*getter)(child_id(id), &v)) || v.vt != VT_I4) return -1;
    return v.lVal;
}

// --- events, as a screen reader's hook receives them --------------------------------------

struct SeenEvent {
    DWORD event;
    LONG object;
    LONG child;
};
std::vector<SeenEvent> seen_events;

void CALLBACK on_event(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                       DWORD) {
    if (hwnd == window()) seen_events.push_back({event, object, child});
}

bool event_seen(DWORD event, LONG child) {
    for (const SeenEvent& e : seen_events) {
        if (e.event == event && e.object == OBJID_CLIENT && e.child == child) return true;
    }
    return false;
}

// Pumps until the event arrived (events come as messages; no fixed wait). False after many
// rounds without it.
bool wait_for_event(DWORD event, LONG child) {
    for (int round = 0; round < 200 && !event_seen(event, child); ++round) {
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return event_seen(event, child);
}

// --- the screen reader's checks ------------------------------------------------------------

// The sample's first page (samples/sample.txt, node Main): its subtitle line and its 13 links,
// the first "Einführung".
constexpr const char* MAIN_SENTENCE = u8"Ein kleines Handbuch für den Hypertext-Betrachter";
constexpr LONG MAIN_LINKS = 13;

void reader_checks() {
    IAccessible* object = nullptr;
    const HRESULT hr = AccessibleObjectFromWindow(window(), static_cast<DWORD>(OBJID_CLIENT),
                                                  IID_IAccessible,
                                                  reinterpret_cast<void**>(&object));
    if (object == nullptr) {
        // Wine (8.0) hands the object out as IUnknown but refuses IAccessible through
        // ObjectFromLresult (E_NOINTERFACE), even within one process: the answer is checked as
        // far as Wine goes, and the object is then taken from the window directly.
        std::printf("note: AccessibleObjectFromWindow failed (0x%08lx); the object is taken "
                    "directly\n", static_cast<unsigned long>(hr));
        const LRESULT answer = SendMessageA(window(), WM_GETOBJECT, 0, OBJID_CLIENT);
        check(answer > 0, "WM_GETOBJECT answers for the client area");
        IUnknown* unknown = nullptr;
        check(answer > 0 && SUCCEEDED(ObjectFromLresult(answer, IID_IUnknown, 0,
                                                         reinterpret_cast<void**>(&unknown))),
              "the answer holds an object");
        if (unknown) unknown->Release();
        object = new_page_accessible(window());
    }
    check_eq<LRESULT>(SendMessageA(window(), WM_GETOBJECT, 0, OBJID_WINDOW), 0,
                      "other objects are the system's");
    if (object == nullptr) return;

    check(!text_of(object, CHILDID_SELF, &IAccessible::get_accName).empty() && title().rfind("Vellumar - ", 0) == 0,
               "the document's name is the caption");
    const std::string value = text_of(object, CHILDID_SELF, &IAccessible::get_accValue);
    check(value.find(MAIN_SENTENCE) != std::string::npos, "the value holds the page's subtitle");
    if (value.find(MAIN_SENTENCE) == std::string::npos) std::printf("value: %.400s\n", value.c_str());
    check_eq<LONG>(number_of(object, CHILDID_SELF, &IAccessible::get_accRole), ROLE_SYSTEM_DOCUMENT,
                   "the client is a document");
    LONG children = -1;
    object->get_accChildCount(&children);
    check_eq<LONG>(children, MAIN_LINKS, "one child per link of the page");
    check_eq<LONG>(number_of(object, 1, &IAccessible::get_accRole), ROLE_SYSTEM_LINK,
                   "child 1 is a link");
    check_text(text_of(object, 1, &IAccessible::get_accName), u8"Einführung", "child 1's name");
    check_text(text_of(object, 1, &IAccessible::get_accDefaultAction), "Folgen",
               "a link's default action");
    BSTR text = nullptr;
    check(object->get_accName(child_id(MAIN_LINKS + 1), &text) == E_INVALIDARG,
          "a child beyond the links is refused");

    // Tab selects the first link: it is focused, and the hook hears it.
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_SYSTEM_SCROLLINGEND, EVENT_OBJECT_VALUECHANGE, nullptr, on_event,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    check(hook != nullptr, "the event hook is set");
    SetFocus(window());
    press(VK_TAB);
    check(wait_for_event(EVENT_OBJECT_FOCUS, 1), "Tab raises the focus event on link 1");
    check((number_of(object, 1, &IAccessible::get_accState) & STATE_SYSTEM_FOCUSED) != 0,
          "the link Tab selected is focused");
    VARIANT focus;
    VariantInit(&focus);
    object->get_accFocus(&focus);
    check(focus.vt == VT_I4 && focus.lVal == 1, "accFocus names link 1");
    press(VK_TAB);
    check(wait_for_event(EVENT_OBJECT_FOCUS, 2), "the next Tab raises it on link 2");
    check((number_of(object, 1, &IAccessible::get_accState) & STATE_SYSTEM_FOCUSED) == 0,
          "link 1 is no longer focused");

    // The default action follows the link: another page, its name change heard.
    seen_events.clear();
    check(SUCCEEDED(object->accDoDefaultAction(child_id(1))), "the default action runs");
    pump();
    check(viewer_window().view.current_page != page_named("Main"),
          "the default action followed link 1");
    check_text(title(), "Vellumar - Einführung in das Beispiel", "the caption names the followed page");
    check(wait_for_event(EVENT_OBJECT_NAMECHANGE, CHILDID_SELF), "the page change is announced");
    check(event_seen(EVENT_OBJECT_VALUECHANGE, CHILDID_SELF), "and its value change");
    check_text(text_of(object, CHILDID_SELF, &IAccessible::get_accName), u8"Vellumar - Einführung in das Beispiel",
               "the object's name follows the page");

    // A scroll on the long page ends with its event.
    NavigationRequest request;
    request.target = page_named("Lange Seite");
    navigator().show_entry(request);
    pump();
    seen_events.clear();
    SendMessageA(window(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 8), 0);
    pump();
    check(wait_for_event(EVENT_SYSTEM_SCROLLINGEND, CHILDID_SELF), "a scroll raises scrolling end");
    request.target = page_named("Main");
    navigator().show_entry(request);
    pump();
    UnhookWinEvent(hook);
    object->Release();
}

// --- high contrast ------------------------------------------------------------------------

std::vector<COLORREF> client_pixels() {
    RECT r{};
    GetClientRect(window(), &r);
    std::vector<COLORREF> out;
    HDC dc = GetDC(window());
    for (int y = 0; y < r.bottom; y += 2) {
        for (int x = 0; x < r.right; x += 2) out.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(window(), dc);
    return out;
}

int count_of(const std::vector<COLORREF>& p, COLORREF colour) {
    return static_cast<int>(std::count(p.begin(), p.end(), colour));
}

int share_percent(const std::vector<COLORREF>& p, COLORREF colour) {
    return p.empty() ? 0 : static_cast<int>(100LL * count_of(p, colour) / static_cast<long long>(p.size()));
}

// The window's search host, but its "Suchen" dialog answered with `text` on the shown page.
class AnsweringSearchHost : public SearchHost {
   public:
    AnsweringSearchHost(SearchHost& window, std::string text) : w_(window), text_(std::move(text)) {}
    HypDocument& document() override { return w_.document(); }
    const ViewState& view() override { return w_.view(); }
    int32_t visible_lines() override { return w_.visible_lines(); }
    int32_t visible_cells() override { return w_.visible_cells(); }
    bool ask(SearchRequest& request) override {
        request.text = text_;
        request.where = SearchWhere::ThisPage;
        return true;
    }
    int choose(const SearchList& list, const std::string& note) override {
        return w_.choose(list, note);
    }
    void show_message(const std::string& text) override { w_.show_message(text); }
    std::vector<std::string> shelf() override { return w_.shelf(); }
    SearchGoOn begin_patience() override { return w_.begin_patience(); }
    void end_patience() override { w_.end_patience(); }
    void scroll_to_line(int32_t line) override { w_.scroll_to_line(line); }
    void scroll_to_column(int32_t column) override { w_.scroll_to_column(column); }
    void repaint() override { w_.repaint(); }
    void paint_now() override { w_.paint_now(); }
    void open_popup(uint16_t page) override { w_.open_popup(page); }
    void show_entry(NavigationRequest request) override { w_.show_entry(request); }
    bool open_and_show(const std::string& path, NavigationRequest request) override {
        return w_.open_and_show(path, request);
    }

   private:
    SearchHost& w_;
    std::string text_;
};

bool set_high_contrast(bool on) {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof(contrast);
    contrast.dwFlags = on ? HCF_HIGHCONTRASTON : 0;
    const BOOL done = SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast,
                                            SPIF_SENDCHANGE);
    // Sent to the window too, in case the system's broadcast does not reach this thread.
    SendMessageA(window(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    if (!done) {
        // Wine (8.0) cannot set the mode: the window is told it as WM_SETTINGCHANGE would.
        std::printf("note: SPI_SETHIGHCONTRAST failed; the mode is handed to the window\n");
        use_high_contrast(on);
    }
    pump();
    return viewer_window().accessibility.high_contrast == on;
}

void contrast_checks() {
    // A high-contrast scheme: colours no stored colour of the sample uses.
    const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HOTLIGHT, COLOR_HIGHLIGHT};
    COLORREF saved[4];
    for (int i = 0; i < 4; ++i) saved[i] = GetSysColor(elements[i]);
    const COLORREF scheme[] = {RGB(0, 0, 64), RGB(255, 255, 0), RGB(0, 255, 255), RGB(128, 0, 96)};
    SetSysColors(4, elements, scheme);
    // A find on the start page: inverted as always, in the highlight colour at high contrast.
    ViewerWindow& w = viewer_window();
    AnsweringSearchHost answering(*w.search_host, "Verweise aller Arten");
    std::unique_ptr<SearchSession> window_search = std::move(w.search);
    w.search = std::make_unique<SearchSession>(answering);
    SendMessageA(window(), WM_COMMAND, CM_FIND, 0);
    pump();
    // The find is the selection, and a screen reader reads the selection as the value.
    if (IAccessible* object = new_page_accessible(window())) {
        check_text(text_of(object, CHILDID_SELF, &IAccessible::get_accValue), "Verweise aller Arten",
                   "the value is the selected find");
        object->Release();
    }

    const COLORREF stored_background = settings.BCKCOLOR();
    const COLORREF stored_link = settings.REFCOLOR_INTERNE_SEITE();
    check(set_high_contrast(true), "the window takes high contrast on");
    std::vector<COLORREF> shot = client_pixels();
    check(share_percent(shot, scheme[0]) > 50, "high contrast: the page has the window colour");
    check(count_of(shot, scheme[2]) > 0, "high contrast: links in the hot-light colour");
    check(count_of(shot, stored_link) == 0, "high contrast: no link in its stored colour");
    check_eq<uint32_t>(settings.BCKCOLOR(), stored_background, "the stored background untouched");
    check(count_of(shot, scheme[3]) > 0, "high contrast: the find in the highlight colour");

    check(set_high_contrast(false), "the window takes high contrast off");
    shot = client_pixels();
    check(share_percent(shot, stored_background) > 50, "off again: the stored background");
    check(count_of(shot, stored_link) > 0, "off again: links in their stored colour");
    check(count_of(shot, scheme[0]) == 0, "off again: no window colour of the scheme");
    check(count_of(shot, scheme[3]) == 0, "off again: the find inverted, not highlighted");
    SetSysColors(4, elements, saved);
    w.search = std::move(window_search);
}

// The selected link shows a focus rectangle: its top edge alternates (dotted) where the
// inversion alone would leave one colour.
void focus_rectangle_checks() {
    ViewerWindow& w = viewer_window();
    press(VK_TAB);
    const IndexEntry& entry = document.index[w.view.current_page];
    const LinkArea* area = link_at_ordinal(entry, w.view.selected_link);
    check(area != nullptr, "Tab selected a link for the focus rectangle");
    if (area == nullptr) return;
    const DeviceRect r = link_client_rect(*area, w.view.top_line, w.view.left_column,
                                          w.metrics.line_height, w.metrics.cell_width);
    HDC dc = GetDC(window());
    int changes = 0;
    for (int x = r.left + 1; x < r.right - 1; ++x) {
        changes += GetPixel(dc, x, r.top) != GetPixel(dc, x + 1, r.top);
    }
    ReleaseDC(window(), dc);
    check(changes >= (r.right - r.left) / 3, "the selected link's top edge is dotted");
}

int run(const char* file) {
    const std::string line = std::string("\"") + file + "\" Main";
    if (!start_viewer(viewer_state, GetModuleHandleA(nullptr), line.c_str(), SW_SHOW)) {
        std::printf("FAILED: the viewer did not start on %s\n", file);
        return 1;
    }
    pump();
    reader_checks();
    focus_rectangle_checks();
    contrast_checks();
    DestroyWindow(window());
    shutdown_viewer();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: accessibility_wintest SAMPLE.hyp\n");
        return 2;
    }
    CoInitialize(nullptr);
    const int status = run(argv[1]);
    CoUninitialize();
    return wintest::summary(status);
}

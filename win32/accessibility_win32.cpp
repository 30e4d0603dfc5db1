// The accessible object of the main window and the popup (a thin IAccessible over the portable
// tree), the events, and the high-contrast colours.
#include "win32/accessibility_win32.h"

#include <oleacc.h>

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "app/link_selection.h"
#include "app/page_copy.h"
#include "hyp/charset.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/navigation_win32.h"
#include "win32/selection_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

// The portable tree numbers roles, states and events as the platform does.
static_assert(ACC_ROLE_DOCUMENT == ROLE_SYSTEM_DOCUMENT, "document role");
static_assert(ACC_ROLE_LINK == ROLE_SYSTEM_LINK, "link role");
static_assert(ACC_STATE_FOCUSED == STATE_SYSTEM_FOCUSED, "focused state");
static_assert(ACC_STATE_READONLY == STATE_SYSTEM_READONLY, "read-only state");
static_assert(ACC_STATE_OFFSCREEN == STATE_SYSTEM_OFFSCREEN, "offscreen state");
static_assert(ACC_STATE_FOCUSABLE == STATE_SYSTEM_FOCUSABLE, "focusable state");
static_assert(ACC_STATE_LINKED == STATE_SYSTEM_LINKED, "linked state");
static_assert(ACC_EVENT_SCROLLING_END == EVENT_SYSTEM_SCROLLINGEND, "scrolling end event");
static_assert(ACC_EVENT_FOCUS == EVENT_OBJECT_FOCUS, "focus event");
static_assert(ACC_EVENT_NAME_CHANGE == EVENT_OBJECT_NAMECHANGE, "name change event");
static_assert(ACC_EVENT_VALUE_CHANGE == EVENT_OBJECT_VALUECHANGE, "value change event");

namespace {

std::string window_caption_utf8(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, &wide[0], static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(got, 0)));
    if (wide.empty()) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                            bytes, nullptr, nullptr);
    }
    return text;
}

// A BSTR of UTF-8 text; nullptr when it cannot be made.
BSTR make_bstr(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                            length);
    }
    return deferred::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

AccessibleView current_view() {
    ViewerWindow& w = viewer_window();
    AccessibleView view;
    view.path = document.path;
    view.page = w.view.current_page;
    view.selected_link = w.view.selected_link;
    view.top_line = w.view.top_line;
    view.left_column = w.view.left_column;
    return view;
}

bool same_view(const AccessibleView& a, const AccessibleView& b) {
    return a.path == b.path && a.page == b.page && a.selected_link == b.selected_link &&
           a.top_line == b.top_line && a.left_column == b.left_column;
}

bool same_frame(const AccessibleFrame& a, const AccessibleFrame& b) {
    return a.client_left == b.client_left && a.client_top == b.client_top &&
           a.client_width == b.client_width && a.client_height == b.client_height &&
           a.top_line == b.top_line && a.left_column == b.left_column &&
           a.line_height == b.line_height && a.cell_width == b.cell_width &&
           a.selected_link == b.selected_link && a.has_focus == b.has_focus;
}

AccessibleFrame frame_of(HWND hwnd, bool popup) {
    ViewerWindow& w = viewer_window();
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    AccessibleFrame frame;
    frame.client_left = origin.x;
    frame.client_top = origin.y;
    frame.client_width = client.right;
    frame.client_height = client.bottom;
    frame.line_height = std::max<int32_t>(w.metrics.line_height, 1);
    frame.cell_width = std::max<int32_t>(w.metrics.cell_width, 1);
    frame.has_focus = GetFocus() == hwnd;
    if (!popup) {
        frame.top_line = w.view.top_line;
        frame.left_column = w.view.left_column;
        frame.selected_link = w.view.selected_link;
    }
    return frame;
}

// The tree of what `hwnd` shows now, made again only when the page or the view changed.
const AccessibleTree& tree_of(HWND hwnd) {
    ViewerWindow& w = viewer_window();
    AccessibilityState& a = w.accessibility;
    const bool popup = hwnd != w.hwnd;
    const int32_t page = popup ? w.popup_entry : w.view.current_page;
    AccessibleView view = current_view();
    view.page = page;
    const AccessibleFrame frame = frame_of(hwnd, popup);
    if (a.tree_valid && a.tree_window == hwnd && same_view(a.tree_view, view) &&
        same_frame(a.tree_frame, frame)) {
        return a.tree;
    }
    a.tree = AccessibleTree{};
    if (page >= 0 && static_cast<std::size_t>(page) < document.index.size()) {
        const uint16_t shown = static_cast<uint16_t>(page);
        // The main window's value is its selection where there is one, else the whole page.
        std::string value;
        if (popup || !selected_text_utf8(value)) copy_page_text(document, shown, TARGET_UTF8, value);
        if (popup) {
            // Links in a popup are not followed: its text alone.
            a.tree = accessible_tree(popup_name(document, shown), std::move(value), {}, {}, frame);
        } else {
            // The areas of the screen walk the kept page recorded (a text walk lays out anew).
            const std::vector<LinkArea> links = w.page_view.kept.recording
                                                    ? w.page_view.kept.links
                                                    : document.index[shown].links;
            a.tree = accessible_tree(window_caption_utf8(hwnd), std::move(value), links,
                                     page_link_names(document, shown), frame);
        }
    } else {
        a.tree = accessible_tree(window_caption_utf8(hwnd), std::string(), {}, {}, frame);
    }
    a.tree_window = hwnd;
    a.tree_view = view;
    a.tree_frame = frame;
    a.tree_valid = true;
    return a.tree;
}

// The node a child id names; nullptr for an id the tree does not have.
const AccessibleNode* node_of(HWND hwnd, const VARIANT& child) {
    if (child.vt != VT_I4) return nullptr;
    const AccessibleTree& tree = tree_of(hwnd);
    if (child.lVal == CHILDID_SELF) return &tree.document;
    if (child.lVal < 1 || static_cast<std::size_t>(child.lVal) > tree.links.size()) return nullptr;
    return &tree.links[static_cast<std::size_t>(child.lVal) - 1];
}

HRESULT text_result(const std::string& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = make_bstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

void set_i4(VARIANT* out, LONG value) {
    out->vt = VT_I4;
    out->lVal = value;
}

// The client area of one window as a screen reader sees it. Every accessor reads the viewer's
// state anew through the window (which may be gone: then it fails).
class PageAccessible final : public IAccessible {
public:
    explicit PageAccessible(HWND hwnd) : hwnd_(hwnd) {}

    // --- IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
            IsEqualIID(iid, __uuidof(IAccessible))) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // --- IDispatch: no type information; clients call the interface itself.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // --- IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr) return E_POINTER;
        *parent = nullptr;
        if (!alive()) return E_FAIL;
        return deferred::CreateStdAccessibleObject(hwnd_, OBJID_WINDOW, __uuidof(IDispatch),
                                                   reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count == nullptr) return E_POINTER;
        if (!alive()) return E_FAIL;
        *count = static_cast<LONG>(tree_of(hwnd_).links.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!alive()) return E_FAIL;
        // The links are simple elements of this object, not objects of their own.
        return node_of(hwnd_, child) ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        const AccessibleNode* node = find(child);
        return node ? text_result(node->name, out) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        const AccessibleNode* node = find(child);
        return node ? text_result(node->value, out) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return none(child, out);
    }
    // The role or the state of `child` (`field` of its node), as a number.
    template <typename Field>
    HRESULT number_result(VARIANT child, Field AccessibleNode::*field, VARIANT* out) {
        const AccessibleNode* node = find(child);
        if (out == nullptr) return E_POINTER;
        if (node == nullptr) return E_INVALIDARG;
        set_i4(out, static_cast<LONG>(node->*field));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return number_result(child, &AccessibleNode::role, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return number_result(child, &AccessibleNode::state, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return none(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return none(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (out == nullptr) return E_POINTER;
        out->vt = VT_EMPTY;
        if (!alive()) return E_FAIL;
        const AccessibleTree& tree = tree_of(hwnd_);
        for (std::size_t i = 0; i < tree.links.size(); ++i) {
            if (tree.links[i].state & ACC_STATE_FOCUSED) {
                set_i4(out, static_cast<LONG>(i + 1));
                return S_OK;
            }
        }
        if (tree.document.state & ACC_STATE_FOCUSED) set_i4(out, CHILDID_SELF);
        return out->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (out == nullptr) return E_POINTER;
        out->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        const AccessibleNode* node = find(child);
        return node ? text_result(node->default_action, out) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        const AccessibleNode* node = find(child);
        if (node == nullptr) return E_INVALIDARG;
        *left = node->location.left;
        *top = node->location.top;
        *width = node->location.width;
        *height = node->location.height;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* out) override {
        if (out) out->vt = VT_EMPTY;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (out == nullptr) return E_POINTER;
        out->vt = VT_EMPTY;
        if (!alive()) return E_FAIL;
        const AccessibleTree& tree = tree_of(hwnd_);
        const auto inside = [x, y](const ScreenLocation& r) {
            return x >= r.left && y >= r.top && x - r.left < r.width && y - r.top < r.height;
        };
        for (std::size_t i = 0; i < tree.links.size(); ++i) {
            if (inside(tree.links[i].location)) {
                set_i4(out, static_cast<LONG>(i + 1));
                return S_OK;
            }
        }
        if (!inside(tree.document.location)) return S_FALSE;
        set_i4(out, CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const AccessibleNode* node = find(child);
        if (node == nullptr) return E_INVALIDARG;
        if (node->link_ordinal == 0) return DISP_E_MEMBERNOTFOUND;
        ViewerWindow& w = viewer_window();
        const IndexEntry* entry = page_entry(w.view.current_page);
        const LinkArea* area = entry ? link_at_ordinal(*entry, node->link_ordinal) : nullptr;
        if (area == nullptr) return E_FAIL;
        // Where a mouse click on the link would be: a popup opens beside it.
        POINT point{node->location.left, node->location.top + node->location.height};
        ScreenToClient(hwnd_, &point);
        const LinkArea followed = *area;  // following replaces the page's areas
        follow_link(followed, point);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    // Whether the window still is the viewer's main window or its popup.
    bool alive() const {
        ViewerWindow& w = viewer_window();
        return IsWindow(hwnd_) && (hwnd_ == w.hwnd || hwnd_ == w.popup_window);
    }
    const AccessibleNode* find(const VARIANT& child) const {
        return alive() ? node_of(hwnd_, child) : nullptr;
    }
    HRESULT none(const VARIANT& child, BSTR* out) const {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        return find(child) ? S_FALSE : E_INVALIDARG;
    }

    HWND hwnd_;
    ULONG references_ = 1;
};

uint32_t system_colour(int index) {
    return static_cast<uint32_t>(GetSysColor(index));
}

}  // namespace

IAccessible* new_page_accessible(HWND hwnd) {
    return new (std::nothrow) PageAccessible(hwnd);
}

LRESULT answer_get_object(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    if (static_cast<LONG>(lparam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
    IAccessible* object = new_page_accessible(hwnd);
    if (object == nullptr) return 0;
    const LRESULT result = deferred::LresultFromObject(__uuidof(IAccessible), wparam, object);
    object->Release();  // the result holds its own reference
    return result > 0 ? result : 0;
}

void announce_view_changes() {
    ViewerWindow& w = viewer_window();
    if (w.hwnd == nullptr) return;
    const AccessibleView now = current_view();
    for (const AccessibleEvent& e : accessible_events(w.accessibility.announced, now)) {
        NotifyWinEvent(e.event, w.hwnd, OBJID_CLIENT, e.child);
    }
    w.accessibility.announced = now;
}

void refresh_high_contrast() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof(contrast);
    use_high_contrast(SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0);
}

void use_high_contrast(bool on) {
    ViewerWindow& w = viewer_window();
    if (on == w.accessibility.high_contrast) return;
    w.accessibility.high_contrast = on;
    w.accessibility.tree_valid = false;
    if (w.hwnd == nullptr) return;
    ColoursInEffect colours;
    apply_new_colours();  // the backgrounds from the colours in effect; repaints
}

ColoursInEffect::ColoursInEffect() {
    ViewerWindow& w = viewer_window();
    if (!w.accessibility.high_contrast) return;
    SystemColours system;
    system.window = system_colour(COLOR_WINDOW);
    system.window_text = system_colour(COLOR_WINDOWTEXT);
    system.gray_text = system_colour(COLOR_GRAYTEXT);
    system.hot_light = system_colour(COLOR_HOTLIGHT);
    system.highlight = system_colour(COLOR_HIGHLIGHT);
    system.highlight_text = system_colour(COLOR_HIGHLIGHTTEXT);
    std::copy(std::begin(settings.colour_table), std::end(settings.colour_table), stored_.begin());
    const ColourSet set = colours_in_effect(settings.colour_table, system, true);
    std::copy(std::begin(set.table), std::end(set.table), std::begin(settings.colour_table));
    replaced_ = true;
}

ColoursInEffect::~ColoursInEffect() {
    if (replaced_) std::copy(stored_.begin(), stored_.end(), std::begin(settings.colour_table));
}

// The accessible tree of a shown page for screen readers, and the events a change raises.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hyp/document.h"

// Roles, states and events are numbered as the platform's accessibility interface numbers them
// (ROLE_SYSTEM_*, STATE_SYSTEM_*, EVENT_*), so the window's object hands them on unchanged.
enum AccessibleRole : uint32_t {
    ACC_ROLE_DOCUMENT = 0x0F,
    ACC_ROLE_LINK = 0x1E,
};

enum AccessibleState : uint32_t {
    ACC_STATE_FOCUSED = 0x00000004,
    ACC_STATE_READONLY = 0x00000040,
    ACC_STATE_OFFSCREEN = 0x00010000,
    ACC_STATE_FOCUSABLE = 0x00100000,
    ACC_STATE_LINKED = 0x00400000,
};

enum AccessibleEventId : uint32_t {
    ACC_EVENT_SCROLLING_END = 0x0013,
    ACC_EVENT_FOCUS = 0x8005,
    ACC_EVENT_NAME_CHANGE = 0x800C,
    ACC_EVENT_VALUE_CHANGE = 0x800E,
};

// The default action of a link, as a screen reader offers it.
extern const char* const LINK_DEFAULT_ACTION;

// A rectangle on the screen in pixels, as a location is reported: left, top, width, height.
struct ScreenLocation {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// One object of the tree. Texts are UTF-8 (the window's object widens them).
struct AccessibleNode {
    uint32_t role = ACC_ROLE_DOCUMENT;
    std::string name;
    std::string value;           // the document's text; empty for links
    std::string default_action;  // LINK_DEFAULT_ACTION for links; empty for the document
    uint32_t state = 0;          // AccessibleState bits
    ScreenLocation location;
    // Links: the page's link area it stands for (1-based ordinal, as the keyboard selection
    // counts links), which the default action follows. 0 for the document.
    uint16_t link_ordinal = 0;
};

// A page in the main window or the popup: the document object and one child per link, in page
// order. Child id n (1-based) is links[n - 1]; child id 0 is the document itself.
struct AccessibleTree {
    AccessibleNode document;
    std::vector<AccessibleNode> links;
};

// Where a page is on the screen and what is selected on it.
struct AccessibleFrame {
    int32_t client_left = 0;  // screen position of the client area's top left corner, pixels
    int32_t client_top = 0;
    int32_t client_width = 0;  // client area, pixels
    int32_t client_height = 0;
    int32_t top_line = 0;        // vertical scroll position, display lines
    int32_t left_column = 0;     // horizontal scroll position, cells
    int32_t line_height = 1;     // pixels per display line
    int32_t cell_width = 1;      // pixels per cell
    uint16_t selected_link = 0;  // 1-based ordinal of the keyboard selection; 0 none
    bool has_focus = true;       // the window has the keyboard focus
};

// The tree from its parts: `name` and `value` of the document, the link areas as the last
// screen walk of the page left them, and the links' texts in the same order (a link without a
// text here gets an empty name). A link is focused when it is the keyboard selection of a
// focused window, the document when no link is; a link is offscreen when its rectangle lies
// wholly outside the client area (scrolled away, either way).
AccessibleTree accessible_tree(std::string name, std::string value,
                               const std::vector<LinkArea>& links,
                               const std::vector<std::string>& link_names,
                               const AccessibleFrame& frame);

// The texts of the links of page `page` in page order, as UTF-8 without the blanks around them:
// the stored text, or the target's name for a link without one. Empty when the page is not in
// the document.
std::vector<std::string> page_link_names(HypDocument& doc, uint16_t page);

// The tree of page `page` of `doc` after its screen walk: the document's value is the page's
// text as the clipboard copy gives it (UTF-8), the link areas are the entry's.
AccessibleTree describe_page(HypDocument& doc, uint16_t page, std::string name,
                             const AccessibleFrame& frame);

// The name of a popup page, which has no caption: its title when its layout found one, else its
// name, as UTF-8.
std::string popup_name(const HypDocument& doc, uint16_t page);

// What a screen reader has been told of the main window: which page, the keyboard selection and
// the scroll position.
struct AccessibleView {
    std::string path;   // the hypertext shown
    int32_t page = -1;  // entry shown; -1 none
    uint16_t selected_link = 0;
    int32_t top_line = 0;
    int32_t left_column = 0;
};

// One event to raise: `event` on child `child` (0 = the document).
struct AccessibleEvent {
    uint32_t event = 0;
    int32_t child = 0;
};

// The events that moving from `before` to `after` raises, in the order to raise them. Another
// page (or another file): name and value change. Another keyboard selection: focus on the
// selected link, or on the document when the selection went. A scroll on the same page: scrolling
// ended (a new page starts at its own place, which its name change announces).
std::vector<AccessibleEvent> accessible_events(const AccessibleView& before,
                                               const AccessibleView& after);

// The accessible tree of a shown page for screen readers, and the events a change raises.
#include "app/accessible_page.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "app/page_copy.h"
#include "hyp/ascii_case.h"
#include "hyp/charset.h"
#include "render/page_walk.h"
#include "render/page_writer.h"

const char* const LINK_DEFAULT_ACTION = "Folgen";

namespace {

// Screen coordinates are sums of a client origin, scrolled lines and cells and a walk's pixel
// offsets, each within int32 but not their sum on a damaged page: summed in 64 bits, then
// clamped.
int32_t clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Collects the texts of a page's links as the Text walk meets them, which is the order the
// screen walk lays their areas down in.
class LinkNameCollector : public PageWriter {
   public:
    explicit LinkNameCollector(unsigned utf8_table) : table_(utf8_table) {}

    ExportMode mode() const override { return ExportMode::Text; }
    void write_link(HypDocument& /*doc*/, const PageLink& link) override {
        std::string name = convert_charset(link.text, false, table_);
        const size_t first = name.find_first_not_of(' ');
        if (first == std::string::npos) {
            name.clear();
        } else {
            name.erase(name.find_last_not_of(' ') + 1);
            name.erase(0, first);
        }
        names.push_back(std::move(name));
    }

    std::vector<std::string> names;

   private:
    unsigned table_;
};

bool outside_client(const ScreenLocation& rect, const AccessibleFrame& frame) {
    const int64_t left = int64_t{rect.left} - frame.client_left;
    const int64_t top = int64_t{rect.top} - frame.client_top;
    return left + rect.width <= 0 || left >= frame.client_width || top + rect.height <= 0 ||
           top >= frame.client_height;
}

}  // namespace

AccessibleTree accessible_tree(std::string name, std::string value,
                               const std::vector<LinkArea>& links,
                               const std::vector<std::string>& link_names,
                               const AccessibleFrame& frame) {
    AccessibleTree tree;
    AccessibleNode& document = tree.document;
    document.role = ACC_ROLE_DOCUMENT;
    document.name = std::move(name);
    document.value = std::move(value);
    document.state = ACC_STATE_READONLY | ACC_STATE_FOCUSABLE;
    const bool link_selected = frame.selected_link != 0 && frame.selected_link <= links.size();
    if (frame.has_focus && !link_selected) document.state |= ACC_STATE_FOCUSED;
    document.location = {frame.client_left, frame.client_top, std::max(frame.client_width, 0),
                         std::max(frame.client_height, 0)};

    // Link areas are at most 32767 (the walk keeps no more), so the ordinal fits 16 bits.
    tree.links.reserve(links.size());
    for (size_t i = 0; i < links.size(); ++i) {
        const LinkArea& area = links[i];
        AccessibleNode link;
        link.role = ACC_ROLE_LINK;
        link.link_ordinal = static_cast<uint16_t>(i + 1);
        if (i < link_names.size()) link.name = link_names[i];
        link.default_action = LINK_DEFAULT_ACTION;
        // As the screen walk places the area: x is measured without the horizontal scroll, the
        // line is a display line, and the area is one line high.
        link.location.left = clamp32(int64_t{frame.client_left} + area.x -
                                     int64_t{frame.left_column} * frame.cell_width);
        link.location.top =
            clamp32(int64_t{frame.client_top} +
                    (int64_t{area.line} - frame.top_line) * int64_t{frame.line_height});
        link.location.width = std::max(area.width, 0);
        link.location.height = std::max(frame.line_height, 0);
        link.state = ACC_STATE_LINKED | ACC_STATE_FOCUSABLE | ACC_STATE_READONLY;
        if (frame.has_focus && link.link_ordinal == frame.selected_link) {
            link.state |= ACC_STATE_FOCUSED;
        }
        if (outside_client(link.location, frame)) link.state |= ACC_STATE_OFFSCREEN;
        tree.links.push_back(std::move(link));
    }
    return tree;
}

std::vector<std::string> page_link_names(HypDocument& doc, uint16_t page) {
    if (page >= doc.index.size()) return {};
    LinkNameCollector collector(conversion_table(doc.source_charset, TARGET_UTF8));
    interpret_page(PageWalkArgs::text(doc, page, collector));
    return std::move(collector.names);
}

AccessibleTree describe_page(HypDocument& doc, uint16_t page, std::string name,
                             const AccessibleFrame& frame) {
    std::string value;
    if (!copy_page_text(doc, page, TARGET_UTF8, value)) {
        return accessible_tree(std::move(name), std::string(), {}, {}, frame);
    }
    const std::vector<std::string> names = page_link_names(doc, page);
    return accessible_tree(std::move(name), std::move(value), doc.index[page].links, names, frame);
}

std::string popup_name(const HypDocument& doc, uint16_t page) {
    if (page >= doc.index.size()) return std::string();
    const IndexEntry& entry = doc.index[page];
    const unsigned table = conversion_table(doc.source_charset, TARGET_UTF8);
    if (entry.title) return convert_charset(*entry.title, false, table);
    return convert_charset(entry_name(doc, page), false, table);
}

std::vector<AccessibleEvent> accessible_events(const AccessibleView& before,
                                               const AccessibleView& after) {
    std::vector<AccessibleEvent> events;
    if (after.page < 0) return events;  // nothing shown: nothing to tell
    const bool new_page =
        before.page != after.page || !equal_ignoring_case(before.path, after.path);
    if (new_page) {
        events.push_back({ACC_EVENT_NAME_CHANGE, 0});
        events.push_back({ACC_EVENT_VALUE_CHANGE, 0});
        // The old page's link children are gone: a selection kept from the history is
        // announced; a focused link that went hands the focus back to the document.
        if (after.selected_link != 0) {
            events.push_back({ACC_EVENT_FOCUS, after.selected_link});
        } else if (before.selected_link != 0) {
            events.push_back({ACC_EVENT_FOCUS, 0});
        }
        return events;
    }
    if (before.selected_link != after.selected_link) {
        events.push_back({ACC_EVENT_FOCUS, after.selected_link});
    }
    if (before.top_line != after.top_line || before.left_column != after.left_column) {
        events.push_back({ACC_EVENT_SCROLLING_END, 0});
    }
    return events;
}

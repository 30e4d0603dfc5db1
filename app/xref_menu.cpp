// The "Siehe auch" menu of a page.
#include "app/xref_menu.h"

#include <algorithm>

#include "hyp/charset.h"

static_assert(XREF_MENU_LIMIT == 50, "the xref ids end where the history ids begin");

PopupMenuModel xref_menu(const HypDocument& doc, const IndexEntry& page, unsigned conversion) {
    PopupMenuModel menu;
    menu.title = XREF_MENU_TITLE;
    const std::size_t shown = std::min(page.xrefs.size(), XREF_MENU_LIMIT);
    for (std::size_t k = 0; k < shown; ++k) {
        const XrefEntry& xref = page.xrefs[k];
        std::string text;
        // An empty stored title names nothing: the item shows the target's name instead.
        if (xref.title && !xref.title->empty()) {
            text = *xref.title;
        } else if (xref.target < doc.index.size() && doc.index[xref.target].name) {
            text = *doc.index[xref.target].name;
        }
        menu.items.push_back(
            {static_cast<uint16_t>(CM_XREF_FIRST + k), convert_charset(text, false, conversion)});
    }
    return menu;
}

std::optional<uint16_t> xref_menu_target(const IndexEntry& page, unsigned id) {
    if (id < CM_XREF_FIRST || id > CM_XREF_LAST) return std::nullopt;
    const std::size_t k = id - CM_XREF_FIRST;
    if (k >= page.xrefs.size()) return std::nullopt;
    return page.xrefs[k].target;
}

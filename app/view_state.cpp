// Enable facts of the shown page: neighbours, table of contents, index and help pages.
#include "app/view_state.h"

namespace {

std::optional<uint16_t> first_named(const HypDocument& doc, const std::string& name) {
    const std::size_t end = std::min<std::size_t>(doc.index.size(), doc.last_node_index + 1u);
    for (std::size_t i = 0; i < end; ++i) {
        if (doc.index[i].name && *doc.index[i].name == name) return static_cast<uint16_t>(i);
    }
    return std::nullopt;
}

}  // namespace

std::optional<uint16_t> index_page(const HypDocument& doc) {
    return first_named(doc, "Index");
}

std::optional<uint16_t> help_page(const HypDocument& doc) {
    for (const ExtHeader& header : doc.ext_headers) {
        if (header.type != EXT_HELP) continue;
        if (std::optional<uint16_t> page = first_named(doc, ext_header_text(header))) return page;
    }
    return std::nullopt;
}

bool help_page_elsewhere(const HypDocument& doc, int32_t current_page) {
    for (const ExtHeader& header : doc.ext_headers) {
        if (header.type != EXT_HELP) continue;
        const std::optional<uint16_t> page = first_named(doc, ext_header_text(header));
        if (page && *page != current_page) return true;
    }
    return false;
}

EnableState compute_enable_state(const HypDocument& doc, const ViewState& view,
                                 bool history_not_empty, bool bookmark_set) {
    EnableState s;
    const int32_t page = view.current_page;
    if (page >= 0 && static_cast<std::size_t>(page) < doc.index.size()) {
        const IndexEntry& entry = doc.index[page];
        s.has_previous_logical = entry.previous != page;
        s.has_next_logical = entry.next != page;
        s.toc_elsewhere = entry.toc != page;
        s.has_xrefs = !entry.xrefs.empty();
    }
    s.not_first_page = page > 0;
    s.not_last_page = page < doc.last_node_index;
    const std::optional<uint16_t> index = index_page(doc);
    s.index_elsewhere = index && *index != page;
    s.help_elsewhere = help_page_elsewhere(doc, page);
    s.history_not_empty = history_not_empty;
    s.bookmark_set = bookmark_set;
    return s;
}

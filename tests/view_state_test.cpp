// The facts that enable the navigation commands and picture buttons for the shown page.
#include "app/view_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void add_entry(HypDocument& doc, const char* name, uint8_t type, uint16_t previous, uint16_t next,
               uint16_t toc) {
    IndexEntry e;
    e.name = std::string(name);
    e.type = type;
    e.previous = previous;
    e.next = next;
    e.toc = toc;
    doc.index.push_back(std::move(e));
}

void add_help_header(HypDocument& doc, const std::string& text) {
    ExtHeader h;
    h.type = EXT_HELP;
    h.data.assign(text.begin(), text.end());
    h.data.push_back(0);
    h.length = static_cast<uint16_t>(h.data.size());
    doc.ext_headers.push_back(std::move(h));
}

// Pages: 0 Main, 1 Index, 2 Hilfe, 3 Last; then an image entry named "Index" beyond the nodes.
void fill(HypDocument& doc) {
    add_entry(doc, "Main", ENTRY_NODE, 0, 1, 0);
    add_entry(doc, "Index", ENTRY_NODE, 0, 2, 0);
    add_entry(doc, "Hilfe", ENTRY_NODE, 1, 3, 0);
    add_entry(doc, "Last", ENTRY_NODE, 2, 3, 0);
    add_entry(doc, "Index", ENTRY_IMAGE, 0, 0, 0);
    doc.last_node_index = 3;
}

TEST(EnableState, ByPage) {
    HypDocument doc;
    fill(doc);
    add_help_header(doc, "Fehlt");  // names no entry: the next header decides
    add_help_header(doc, "Hilfe");
    struct Case {
        int page;
        bool previous, next, not_first, not_last, toc, index, help;
    };
    const Case cases[] = {
        {0, false, true, false, true, false, true, true},
        {1, true, true, true, true, true, false, true},
        {2, true, true, true, true, true, true, false},
        {3, true, false, true, false, true, true, true},
    };
    for (const Case& c : cases) {
        ViewState view;
        view.current_page = c.page;
        const EnableState s = compute_enable_state(doc, view, false, false);
        EXPECT_EQ(s.has_previous_logical, c.previous) << c.page;
        EXPECT_EQ(s.has_next_logical, c.next) << c.page;
        EXPECT_EQ(s.not_first_page, c.not_first) << c.page;
        EXPECT_EQ(s.not_last_page, c.not_last) << c.page;
        EXPECT_EQ(s.toc_elsewhere, c.toc) << c.page;
        EXPECT_EQ(s.index_elsewhere, c.index) << c.page;
        EXPECT_EQ(s.help_elsewhere, c.help) << c.page;
    }
    EXPECT_EQ(help_page(doc), std::optional<uint16_t>(2));
    EXPECT_EQ(index_page(doc), std::optional<uint16_t>(1));
}

TEST(EnableState, MissingPagesAndOutsideIndexes) {
    HypDocument doc;
    add_entry(doc, "Main", ENTRY_NODE, 0, 0, 0);
    add_entry(doc, "Index", ENTRY_PNODE, 0, 0, 0);  // beyond last_node_index
    doc.last_node_index = 0;
    ViewState view;
    const EnableState s = compute_enable_state(doc, view, true, true);
    EXPECT_FALSE(s.index_elsewhere) << "an Index entry beyond the nodes does not count";
    EXPECT_FALSE(s.help_elsewhere) << "no help header";
    // The history and the bookmarks are no facts of the page: they reach the commands as given.
    EXPECT_TRUE(command_enabled(CM_BACK, s));
    EXPECT_TRUE(command_enabled(TB_MARKS, s));
    view.current_page = 7;  // outside the index: nothing read from an entry
    const EnableState outside = compute_enable_state(doc, view, false, false);
    EXPECT_FALSE(command_enabled(CM_BACK, outside));
    EXPECT_FALSE(command_enabled(TB_MARKS, outside));
    EXPECT_FALSE(outside.has_next_logical);
    EXPECT_FALSE(outside.has_xrefs);
}

}  // namespace

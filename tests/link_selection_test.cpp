// Keyboard link selection, link lookup by ordinal and the correction of link lines.
#include "app/link_selection.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

IndexEntry page_with_links(const std::vector<int16_t>& lines) {
    IndexEntry entry;
    for (int16_t line : lines) {
        LinkArea area;
        area.line = line;
        entry.links.push_back(area);
    }
    return entry;
}

TEST(LinkOrdinals, LookupBothWays) {
    const IndexEntry entry = page_with_links({0, 3, 7});
    EXPECT_EQ(link_at_ordinal(entry, 0), &entry.links[0]);
    EXPECT_EQ(link_at_ordinal(entry, 1), &entry.links[0]);
    EXPECT_EQ(link_at_ordinal(entry, 3), &entry.links[2]);
    EXPECT_EQ(link_at_ordinal(entry, 4), nullptr);
    EXPECT_EQ(link_at_ordinal(IndexEntry{}, 0), nullptr);
    EXPECT_EQ(ordinal_of_link(entry, &entry.links[1]), 2u);
    EXPECT_EQ(ordinal_of_link(entry, nullptr), 0u);
    const IndexEntry other = page_with_links({1});
    EXPECT_EQ(ordinal_of_link(entry, &other.links[0]), 0u);
}

// One step of the keyboard selection from link `current` (an ordinal, 0 none).
struct StepCase {
    const char* name;
    uint16_t current;
    int direction;
    uint16_t expected;
};

template <std::size_t N>
void check_steps(const StepCase (&cases)[N], const IndexEntry& entry, bool only_visible,
                 const ScreenLines& screen) {
    for (const StepCase& c : cases) {
        EXPECT_EQ(step_link_selection(c.current, entry, c.direction, only_visible, screen),
                  c.expected)
            << c.name;
    }
}

TEST(StepLinkSelection, WholeList) {
    const IndexEntry entry = page_with_links({0, 5, 40, 90});
    const ScreenLines screen{0, 20};
    const StepCase cases[] = {
        {"next from none", 0, LINK_NEXT, 1},
        {"next", 2, LINK_NEXT, 3},
        {"next wraps to first", 4, LINK_NEXT, 1},
        {"previous from none wraps to last", 0, LINK_PREVIOUS, 4},
        {"previous from first wraps to last", 1, LINK_PREVIOUS, 4},
        {"previous", 3, LINK_PREVIOUS, 2},
        {"first", 3, LINK_FIRST, 1},
        {"last", 1, LINK_LAST, 4},
        {"unknown direction keeps", 3, 9, 3},
        {"beyond the list: next wraps", 9, LINK_NEXT, 1},
    };
    check_steps(cases, entry, false, screen);
    EXPECT_EQ(step_link_selection(0, IndexEntry{}, LINK_NEXT, false, screen), 0) << "no links";
}

TEST(StepLinkSelection, OnlyVisibleLinks) {
    // Screen shows lines 10 .. 30 (top 10, 20 lines; line 30 is the partly visible last one).
    const IndexEntry entry = page_with_links({2, 10, 15, 30, 31, 50});
    const ScreenLines screen{10, 20};
    const StepCase cases[] = {
        {"first on screen, link 1 above", 0, LINK_NEXT, 2},
        {"next on screen", 2, LINK_NEXT, 3},
        {"line just below the last full line counts", 3, LINK_NEXT, 4},
        {"next leaves the screen: wraps to first visible", 4, LINK_NEXT, 2},
        {"previous leaves the screen: wraps to last visible", 2, LINK_PREVIOUS, 4},
        {"previous from none: last visible", 0, LINK_PREVIOUS, 4},
        {"selection scrolled away restarts forward", 6, LINK_NEXT, 2},
        {"selection scrolled away restarts backward", 1, LINK_PREVIOUS, 4},
        {"first", 5, LINK_FIRST, 2},
        {"last", 2, LINK_LAST, 4},
    };
    check_steps(cases, entry, true, screen);
    const ScreenLines empty_screen{60, 10};
    EXPECT_EQ(step_link_selection(0, entry, LINK_NEXT, true, empty_screen), 0) << "none visible";
    EXPECT_EQ(step_link_selection(3, entry, LINK_PREVIOUS, true, empty_screen), 0);
}

TEST(LinkVisible, Cases) {
    const IndexEntry entry = page_with_links({2, 12});
    const ScreenLines screen{10, 5};
    EXPECT_EQ(link_visible(0, entry, true, screen), 0);
    EXPECT_EQ(link_visible(1, entry, false, screen), 1) << "setting off: always";
    EXPECT_EQ(link_visible(1, entry, true, screen), 0) << "above the screen";
    EXPECT_EQ(link_visible(2, entry, true, screen), 2);
    EXPECT_EQ(link_visible(3, entry, true, screen), 0) << "beyond the list";
    EXPECT_EQ(link_visible(1, IndexEntry{}, true, screen), 0) << "no links";
}

// A page with one 40-pixel line-reserving picture above its second link.
void fill_document_with_picture(HypDocument& doc, int32_t line_count, int16_t link_line) {
    doc.index.clear();
    doc.index.resize(2);
    IndexEntry& page = doc.index[0];
    page.line_count = line_count;
    page.image_line_heights = {40};
    LinkArea before;
    before.line = 0;
    LinkArea after;
    after.line = link_line;
    after.images_above = {40};
    page.links = {before, after};
    doc.index[1].line_count = -1;  // never laid out
}

TEST(RescaleLinks, Cases) {
    struct Case {
        const char* name;
        int32_t new_lh, old_lh;
        bool scaling_now, scaling_changed;
        int32_t line_count, link_line;  // after
    };
    // Before: line height 20, picture unscaled reserves 2 lines; link on line 5, 10 lines.
    const Case cases[] = {
        {"scaling switched on: 50 pixels, 3 lines", 20, 20, true, true, 11, 6},
        {"scaling on and unchanged: nothing moves", 10, 20, true, false, 10, 5},
        {"smaller line height, unscaled: 4 lines", 10, 20, false, false, 12, 7},
        {"larger line height, unscaled: 1 line", 40, 20, false, false, 9, 4},
        {"same height: nothing moves", 20, 20, false, false, 10, 5},
        {"zero line height changes nothing", 0, 20, false, false, 10, 5},
    };
    for (const Case& c : cases) {
        HypDocument doc;
        fill_document_with_picture(doc, 10, 5);
        rescale_links(doc, c.new_lh, c.old_lh, c.scaling_now, c.scaling_changed);
        EXPECT_EQ(doc.index[0].line_count, c.line_count) << c.name;
        EXPECT_EQ(doc.index[0].links[1].line, c.link_line) << c.name;
        EXPECT_EQ(doc.index[0].links[0].line, 0) << c.name << ": link above the picture";
        EXPECT_EQ(doc.index[1].line_count, -1) << c.name << ": never laid out";
    }
    // Scaled (line height 20: 50 pixels, 3 lines) switched off again: back to 2 lines.
    HypDocument doc;
    fill_document_with_picture(doc, 11, 6);
    rescale_links(doc, 20, 20, false, true);
    EXPECT_EQ(doc.index[0].line_count, 10);
    EXPECT_EQ(doc.index[0].links[1].line, 5);
}

}  // namespace

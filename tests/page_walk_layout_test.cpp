// Layout walks of synthetic pages: line count, widest line, cross references, pictures used.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/export_output.h"
#include "export/text_writer.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::LinkKind;
using fixture::PageBuilder;
using walktest::add_entry;
using walktest::add_image;

// Every case walks entry 0 of this document; the page's bytes come from the case.
constexpr uint16_t kTarget = 1;      // node "Target"
constexpr uint16_t kTallImage = 2;   // 16 x 40 pixels: 2 lines of 20, 3 when scaled (50 px)
constexpr uint16_t kPopup = 3;       // popup "Pop"
constexpr uint16_t kSmallImage = 4;  // 8 x 10 pixels: 1 line
constexpr uint16_t kExternal = 5;    // external "other.hyp"

void build_document(HypDocument& doc, const PageBuilder& page) {
    add_entry(doc, ENTRY_NODE, "Main", page.bytes());
    add_entry(doc, ENTRY_NODE, "Target", fixture::text_page({"target"}));
    add_image(doc, 16, 40);
    add_entry(doc, ENTRY_PNODE, "Pop", fixture::text_page({"pop"}));
    add_image(doc, 8, 10);
    add_entry(doc, ENTRY_EXTERNAL, "other.hyp");
}

struct Xref {
    uint16_t target;
    std::optional<std::string> title;
    bool operator==(const Xref& o) const { return target == o.target && title == o.title; }
};

struct LayoutCase {
    const char* name;
    std::function<void(PageBuilder&)> page;
    int32_t line_count;
    int32_t max_columns;
    std::vector<Xref> xrefs = {};
    std::vector<uint16_t> images_used = {};
    bool scale_images = false;
};

class PageWalkLayoutTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        walktest::reset_walk_state();
    }
};

TEST_F(PageWalkLayoutTest, Results) {
    const LayoutCase cases[] = {
        {"empty page", [](PageBuilder&) {}, 0, 0},
        {"plain lines", [](PageBuilder& p) { p.line("abc").line("hello world").line(""); }, 3, 11},
        {"last line without its NUL", [](PageBuilder& p) { p.line("ab").text("abcd"); }, 2, 4},
        {"link with stored text counts its text",
         [](PageBuilder& p) { p.text("ab").link(LinkKind::Link, kTarget, "xyz").line("c"); }, 1, 6},
        {"link without text counts the target's name",
         [](PageBuilder& p) { p.link(LinkKind::Alink, kTarget, "").line("!"); }, 1, 7},
        {"length byte below 32 is a link without text",
         [](PageBuilder& p) { p.link_without_text(LinkKind::LinkLine, kPopup, 4, 5).end_line(); },
         1, 3},
        {"link to an entry beyond the index has an empty text",
         [](PageBuilder& p) { p.text("a").link(LinkKind::Link, 999, "").line("b"); }, 1, 2},
        {"NUL inside a stored link text ends it",
         [](PageBuilder& p) {
             p.raw(std::vector<uint8_t>{0x1B, 0x24, 2, 1, 32 + 4, 'a', 'b', 0, 'c'}).line("d");
         },
         1, 3},
        {"literal escape is one column, codes none",
         [](PageBuilder& p) {
             p.text("a").literal_esc().attributes(1).esc(0x20).data_block(2, {1, 2, 3}).line("b");
         },
         1, 3},
        {"titles and tree records take no columns",
         [](PageBuilder& p) { p.title("A long title").tree(1, 2, 3, 4).line("xy"); }, 1, 2},
        {"a data block whose length byte is too small still moves on",
         [](PageBuilder& p) {
             p.raw(std::vector<uint8_t>{0x1B, 0x28, 0}).line("abc");
         },
         1, 3},
        {"cross references: title kept only when it differs from the name",
         [](PageBuilder& p) {
             p.xref(kTarget, "Target").xref(kPopup, "See the popup").xref(kTarget, "target");
             p.line("x");
         },
         1,
         1,
         {{kTarget, std::nullopt}, {kPopup, "See the popup"}, {kTarget, "target"}}},
        {"cross reference to an entry beyond the index is dropped",
         [](PageBuilder& p) { p.xref(700, "gone").xref(kExternal, "").line("x"); },
         1,
         1,
         {{kExternal, ""}}},
        {"pictures in page order with duplicates",
         [](PageBuilder& p) {
             p.picture(kSmallImage, 1, 0, false)
                 .picture(kTallImage, 5, 1, false)
                 .picture(kSmallImage, 1, 2, false);
             p.line("a").line("b").line("c");
         },
         3,
         1,
         {},
         {kSmallImage, kTallImage, kSmallImage}},
        {"line-reserving pictures add their lines",
         [](PageBuilder& p) {
             p.picture(kTallImage, 0, 0, true).picture(kSmallImage, 0, 1, true);
             p.line("a").line("b");
         },
         5,
         1,
         {},
         {kTallImage, kSmallImage}},
        {"scaled pictures reserve their scaled height",
         [](PageBuilder& p) { p.picture(kTallImage, 0, 0, true).line("a"); },
         4,
         1,
         {},
         {kTallImage},
         true},
        {"a picture of a non-image entry is passed over",
         [](PageBuilder& p) { p.picture(kTarget, 0, 0, true).picture(0, 0, 0, true).line("a"); }, 1,
         1},
        {"graphics objects take no lines",
         [](PageBuilder& p) { p.box(1, 0, 10, 3).draw_line(1, 1, 5, 1).line("a").line("b"); }, 2,
         1},
        {"sequence cut by the page end ends the walk",
         [](PageBuilder& p) {
             p.line("abc").text("de").raw(std::vector<uint8_t>{0x1B, 0x24, 2});
         },
         1, 3},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        HypDocument doc;
        if (!walktest::build_case(doc, c.page, build_document)) continue;
        PageWalkArgs args = walktest::layout_args(doc, 0);
        args.scale_images = c.scale_images;
        EXPECT_TRUE(interpret_page(args).walked);
        const IndexEntry& entry = doc.index[0];
        EXPECT_EQ(entry.line_count, c.line_count);
        EXPECT_EQ(entry.max_columns, c.max_columns);
        std::vector<Xref> xrefs;
        for (const XrefEntry& x : entry.xrefs) xrefs.push_back({x.target, x.title});
        EXPECT_EQ(xrefs, c.xrefs);
        EXPECT_EQ(entry.images_used, c.images_used);
        // A layout draws nothing, so it records no link areas.
        EXPECT_TRUE(entry.links.empty());
    }
}

TEST_F(PageWalkLayoutTest, SecondLayoutReturnsZeroAndChangesNothing) {
    PageBuilder page;
    page.xref(kTarget, "x").picture(kTallImage, 0, 0, true).line("abc");
    HypDocument doc;
    build_document(doc, page);
    ASSERT_TRUE(interpret_page(walktest::layout_args(doc, 0)).walked);
    const IndexEntry& entry = doc.index[0];
    ASSERT_EQ(entry.line_count, 3);

    // Different metrics would give a different result if the walk ran again.
    ScreenMetrics other{4, 5, 4};
    doc.index[kTallImage].page_data.clear();  // it would have to be loaded again
    const WalkResult again = interpret_page(walktest::layout_args(doc, 0, other));
    EXPECT_TRUE(again.already_laid_out);
    EXPECT_FALSE(again.walked);
    EXPECT_EQ(entry.line_count, 3);
    EXPECT_EQ(entry.max_columns, 3);
    EXPECT_EQ(entry.xrefs.size(), 1u);
    EXPECT_EQ(entry.images_used, std::vector<uint16_t>{kTallImage});
    EXPECT_TRUE(doc.index[kTallImage].page_data.empty());
}

TEST_F(PageWalkLayoutTest, NonPagesLayOutEmpty) {
    HypDocument doc;
    build_document(doc, PageBuilder());
    for (uint16_t index : {kTallImage, kExternal}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(interpret_page(walktest::layout_args(doc, index)).walked);
        EXPECT_EQ(doc.index[index].line_count, 0);
        EXPECT_EQ(doc.index[index].max_columns, 0);
    }
}

TEST_F(PageWalkLayoutTest, WalkOfAnIndexBeyondTheDocumentDoesNothing) {
    HypDocument doc;
    build_document(doc, PageBuilder());
    EXPECT_FALSE(interpret_page(walktest::layout_args(doc, 77)).walked);
    EXPECT_FALSE(doc.page_cache.primed);
}

// Each use's constructor sets its mode and what the callers of that use pass: the screen its
// scroll position and visible lines with margins 1 and 0, a popup origin 0,0, the printer its
// margins, lines per page and always scaled pictures, the exports origin 0,0, no visible range,
// margins 1 and 0, and for Stg and Html the document's index option and last node.
TEST_F(PageWalkLayoutTest, EachUseSetsItsModeAndWhatThatModeNeeds) {
    HypDocument doc;
    doc.index_option = true;
    doc.last_node_index = 9;
    fixture::RecordingDevice dc;
    LogFontRecord text_font{}, alt_font{};
    const ScreenMetrics metrics{7, 19, 8};
    const WalkFonts fonts{metrics, &text_font, &alt_font, true};
    const PageWindow main{WindowRole::Main, reinterpret_cast<WindowHandle>(0x1000)};
    const PageWindow popup{WindowRole::Popup, reinterpret_cast<WindowHandle>(0x2000)};
    const PrintFrame frame{5, 3, 60};
    std::string written;
    ExportOutput output(&written);
    TextWriter writer(output, ExportRun{});
    struct Case {
        const char* name;
        PageWalkArgs args;
        WalkMode mode;
        bool device, fonts;  // dc and the two font records set
        WindowRole role;
        int32_t print_page, origin_column, origin_line, first_visible, last_visible;
        int32_t margin_columns, margin_lines, lines_per_page;
        bool scale_images, writer, index_option;
        uint16_t last_node_index;
    };
    // clang-format off
    const Case cases[] = {
        {"layout", PageWalkArgs::layout(doc, 4, main, fonts), WalkMode::Layout,
         false, false, WindowRole::Main, 0, 0, 0, -1, -1, 1, 0, 0, true, false, false, 0},
        {"screen", PageWalkArgs::screen(doc, 4, dc, main, fonts, {-2, -30, 29, 55}),
         WalkMode::Screen, true, true, WindowRole::Main, 0, -2, -30, 29, 55, 1, 0, 0, true, false,
         false, 0},
        {"popup", PageWalkArgs::popup(doc, 4, dc, popup, fonts, 1, 12), WalkMode::Screen,
         true, true, WindowRole::Popup, 0, 0, 0, 1, 12, 1, 0, 0, true, false, false, 0},
        {"print", PageWalkArgs::print(doc, 4, dc, main, {metrics, &text_font, &alt_font, false},
                                      frame),
         WalkMode::Print, true, true, WindowRole::Main, -1, 0, 0, -1, -1, 5, 3, 60, true, false,
         false, 0},
        {"preview", PageWalkArgs::preview(doc, 4, dc, main, fonts, frame, 2), WalkMode::Preview,
         true, true, WindowRole::Main, 2, 0, 0, -1, -1, 5, 3, 60, true, false, false, 0},
        {"text", PageWalkArgs::text(doc, 4, writer), WalkMode::Text,
         false, false, WindowRole::None, 0, 0, 0, -1, -1, 1, 0, 0, false, true, false, 0},
        {"search", PageWalkArgs::search(doc, 4, writer), WalkMode::Text,
         false, false, WindowRole::None, 0, 0, 0, -1, -1, 1, 0, 0, false, true, false, 0},
        {"stg", PageWalkArgs::stg(doc, 4, writer, false), WalkMode::Stg,
         false, false, WindowRole::None, 0, 0, 0, -1, -1, 1, 0, 0, false, true, true, 9},
        {"html", PageWalkArgs::html(doc, 4, writer, false), WalkMode::Html,
         false, false, WindowRole::None, 0, 0, 0, -1, -1, 1, 0, 0, false, true, true, 9},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PageWalkArgs& a = c.args;
        EXPECT_EQ(a.mode, c.mode);
        EXPECT_EQ(a.page, 4);
        EXPECT_EQ(a.document, &doc);
        EXPECT_EQ(a.dc != nullptr, c.device);
        EXPECT_EQ(a.text_font == &text_font && a.alt_font == &alt_font, c.fonts);
        EXPECT_EQ(a.window.role, c.role);
        EXPECT_EQ(a.print_page, c.print_page);
        EXPECT_EQ(a.origin_column, c.origin_column);
        EXPECT_EQ(a.origin_line, c.origin_line);
        EXPECT_EQ(a.first_visible_line, c.first_visible);
        EXPECT_EQ(a.last_visible_line, c.last_visible);
        EXPECT_EQ(a.margin_columns, c.margin_columns);
        EXPECT_EQ(a.margin_lines, c.margin_lines);
        EXPECT_EQ(a.lines_per_page, c.lines_per_page);
        EXPECT_EQ(a.scale_images, c.scale_images);
        EXPECT_EQ(a.metrics.line_height, c.mode < WalkMode::Text ? 19 : 0);
        EXPECT_EQ(a.writer == &writer, c.writer);
        EXPECT_EQ(a.index_option, c.index_option);
        EXPECT_EQ(a.last_node_index, c.last_node_index);
        EXPECT_EQ(a.selected_link, 0);
    }
}

TEST_F(PageWalkLayoutTest, DisplayOffset) {
    struct Case {
        const char* name;
        std::vector<uint16_t> extra;
        uint32_t line;
        uint32_t offset;
    };
    const Case cases[] = {
        {"no reservations", {0, 0, 0, 0}, 2, 0},
        {"reservation above", {2, 0, 0, 0, 0, 0}, 1, 2},
        {"reservation at the line itself", {0, 3, 0, 0, 0, 0}, 1, 3},
        {"reservation below does not count", {0, 0, 0, 4, 0, 0}, 1, 0},
        // Line 1 is pushed by 2 onto display line 3, where another picture reserves 1.
        {"reservation inside a reservation", {2, 0, 0, 1, 0, 0, 0}, 1, 3},
        {"chain of three", {1, 0, 1, 0, 1, 0, 0, 0}, 0, 3},
        {"reservations beyond the array count as 0", {1}, 5, 1},
        {"empty array", {}, 3, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(display_offset(c.extra.data(), c.extra.size(), c.line), c.offset) << c.name;
    }
}

}  // namespace

// The accessible tree of shown pages (document, link children, names, states, locations) and
// the events a change of the view raises.
#include "app/accessible_page.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fixture/document_test.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/page_builder.h"
#include "fixture/recording_device.h"
#include "fixture/temp_dir.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

using fixture::LinkKind;
using fixture::PageBuilder;

// The recording device's font model for the default fonts: cells of 8 x 20 pixels.
constexpr int32_t kCell = 8;
constexpr int32_t kLine = 20;

enum : uint16_t { kMain, kSecond, kPop, kTitledPop };  // the fixture's entries

// Where the client area lies on the screen in every case: 5 lines high, 40 cells wide.
constexpr int32_t kLeft = 100;
constexpr int32_t kTop = 50;
constexpr int32_t kWidth = 40 * kCell;
constexpr int32_t kHeight = 5 * kLine;

// Texts with national letters are written with octal escapes, which end after three digits:
// ß is \236 in the Atari set, \337 in the Windows set and \303\237 in UTF-8; ü is \201 in the
// Atari set and \303\274 in UTF-8.

// Width of a text as drawn (Windows set) in the model's default text font.
int32_t width_of(const std::string& text) {
    const LogFontRecord font = fixture::default_text_font();
    int32_t width = 0;
    for (char c : text) width += fixture::model_char_width(font, static_cast<unsigned char>(c));
    return width;
}

class AccessiblePageTest : public fixture::DocumentTest {
   protected:
    AccessiblePageTest() : DocumentTest("accessible-page") {}

    void SetUp() override {
        DocumentTest::SetUp();
        fixture::HypBuilder builder;
        builder.ext_word(11, 20);
        PageBuilder main;
        main.line("Hauptseite.");
        main.link(LinkKind::Link, kSecond, "Zweite Seite").end_line();
        main.text("Siehe").link(LinkKind::Link, kSecond, "Stra\236e").text(" und ");
        main.link_without_text(LinkKind::Link, kPop, 0).end_line();
        for (int n = 3; n <= 9; ++n) main.line("Zeile " + std::to_string(n));
        main.link(LinkKind::Link, kSecond, " Ende ").end_line();
        ASSERT_TRUE(main.ok()) << main.error();
        builder.node("Main", main.bytes());
        PageBuilder second;
        second.line("Keine Links hier.");
        builder.node("Second", second.bytes());
        PageBuilder pop;
        pop.text("Im Popup:").link(LinkKind::Link, kSecond, "weiter").end_line();
        builder.popup("Pop", pop.bytes());
        PageBuilder titled;
        titled.title("Gr\201\236e").line("Hallo");
        builder.popup("Gruss", titled.bytes());
        open_built(builder, "a11y.hyp");
    }

    // Lays page `page` out and paints it as the main window (or the popup) does, which leaves
    // the link areas on the entry.
    void paint(uint16_t page, WindowRole role) {
        fixture::RecordingDevice dc;
        LogFontRecord text_font = fixture::default_text_font();
        LogFontRecord alt_font = fixture::default_alt_font();
        dc.prepare(text_font, 0);
        const fixture::ModelMetrics m = fixture::model_metrics(text_font, alt_font);
        const WalkFonts fonts{ScreenMetrics{m.char_width, m.line_height, m.cell_width}, &text_font,
                              &alt_font, false, screen_conversion(document.source_charset)};
        const PageWindow window{role, reinterpret_cast<WindowHandle>(0x1000)};
        interpret_page(PageWalkArgs::layout(document, page, window, fonts));
        ASSERT_TRUE(
            interpret_page(
                role == WindowRole::Popup
                    ? PageWalkArgs::popup(document, page, dc, window, fonts, 0, 1000)
                    : PageWalkArgs::screen(document, page, dc, window, fonts, {0, 0, 0, 1000}))
                .walked);
    }
};

AccessibleFrame frame_at(int32_t top_line, int32_t left_column, uint16_t selected,
                         bool has_focus = true) {
    return {kLeft, kTop, kWidth, kHeight, top_line, left_column, kLine, kCell, selected, has_focus};
}

struct ExpectedLink {
    std::string name;
    int32_t line;   // display line
    int32_t x;      // pixels from the client's left edge, unscrolled
    int32_t width;  // pixels
};

std::vector<int32_t> box(const ScreenLocation& place) {
    return {place.left, place.top, place.width, place.height};
}

TEST_F(AccessiblePageTest, TreeOfAShownPage) {
    // The links of "Main" and the popup, measured in the font model from the fixture's text.
    const int32_t siehe = kCell + width_of("Siehe");
    const int32_t strasse = width_of("Stra\337e");
    const int32_t pop_x = siehe + strasse + width_of(" und ");
    const std::vector<ExpectedLink> main_links = {
        {"Zweite Seite", 1, kCell, width_of("Zweite Seite")},
        {"Stra\303\237e", 2, siehe, strasse},
        {"Pop", 2, pop_x, width_of("Pop")},
        {"Ende", 10, kCell, width_of(" Ende ")}};
    const std::vector<ExpectedLink> popup_links = {
        {"weiter", 0, kCell + width_of("Im Popup:"), width_of("weiter")}};
    const std::vector<ExpectedLink> none;
    // The value is the clipboard's Unicode text of the page, national letters included.
    std::string main_value = std::string(7, '#') + " Main " + std::string(7, '#') +
                             "\r\nHauptseite.\r\nZweite Seite\r\nSieheStra\303\237e und Pop\r\n";
    for (int n = 3; n <= 9; ++n) main_value += "Zeile " + std::to_string(n) + "\r\n";
    main_value += " Ende \r\n";
    struct Case {
        const char* name;
        uint16_t page;
        AccessibleFrame frame;
        const std::vector<ExpectedLink>* links;
        // The document, then each link: '.' on screen, 'o' offscreen, 'f' focused, 'F' both.
        const char* states;
    };
    // clang-format off
    const Case cases[] = {
        {"top: the last link is below",        kMain,   frame_at(0, 0, 0),        &main_links,  "f...o"},
        {"at the end, last link selected",     kMain,   frame_at(8, 0, 4),        &main_links,  ".ooof"},
        {"last link on the client's last line", kMain,  frame_at(6, 0, 2),        &main_links,  ".oFo."},
        {"last link a line below the client",  kMain,   frame_at(5, 0, 0),        &main_links,  "foooo"},
        {"sideways: first link ends at the left edge", kMain,
         frame_at(0, (kCell + width_of("Zweite Seite")) / kCell, 0),              &main_links,  "foo.o"},
        {"a window without the focus",         kMain,   frame_at(0, 0, 1, false), &main_links,  "....o"},
        {"a selection beyond the links",       kMain,   frame_at(0, 0, 9),        &main_links,  "f...o"},
        {"a page without links",               kSecond, frame_at(0, 0, 0),        &none,        "f"},
        {"the popup's link",                   kPop,    frame_at(0, 0, 0),        &popup_links, "f."},
        {"beyond the document: empty",         99,      frame_at(0, 0, 1),        &none,        "f"},
    };
    // clang-format on
    const auto state_bits = [](char state) {
        return (state == 'f' || state == 'F' ? ACC_STATE_FOCUSED : 0u) |
               (state == 'o' || state == 'F' ? ACC_STATE_OFFSCREEN : 0u);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.page < document.index.size()) {
            paint(c.page, c.page == kPop ? WindowRole::Popup : WindowRole::Main);
        }
        const AccessibleTree tree = describe_page(document, c.page, "Fenster", c.frame);
        EXPECT_EQ(tree.document.role, ACC_ROLE_DOCUMENT);
        EXPECT_EQ(tree.document.name, "Fenster");
        EXPECT_EQ(tree.document.state,
                  ACC_STATE_READONLY | ACC_STATE_FOCUSABLE | state_bits(c.states[0]));
        EXPECT_EQ(box(tree.document.location),
                  std::vector<int32_t>({kLeft, kTop, kWidth, kHeight}));
        if (c.page == kMain || c.page == 99) {
            EXPECT_EQ(tree.document.value, c.page == kMain ? main_value : "");
        }
        EXPECT_EQ(page_link_names(document, c.page).size(), c.links->size());
        ASSERT_EQ(tree.links.size(), c.links->size());
        for (size_t i = 0; i < c.links->size(); ++i) {
            const ExpectedLink& want = (*c.links)[i];
            const AccessibleNode& got = tree.links[i];
            SCOPED_TRACE("link " + want.name);
            EXPECT_EQ(got.role, ACC_ROLE_LINK);
            EXPECT_EQ(got.name, want.name);
            EXPECT_EQ(got.default_action, "Folgen");
            EXPECT_EQ(got.link_ordinal, i + 1);
            EXPECT_EQ(box(got.location),
                      std::vector<int32_t>({kLeft + want.x - c.frame.left_column * kCell,
                                            kTop + (want.line - c.frame.top_line) * kLine,
                                            want.width, kLine}));
            EXPECT_EQ(got.state, ACC_STATE_LINKED | ACC_STATE_FOCUSABLE | ACC_STATE_READONLY |
                                     state_bits(c.states[i + 1]));
        }
    }
}

TEST_F(AccessiblePageTest, PopupName) {
    // Without a title its name; with one the title, national letters as Unicode; no such page.
    const std::pair<uint16_t, std::string> cases[] = {
        {kPop, "Pop"}, {kTitledPop, "Gr\303\274\303\237e"}, {99, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.first));
        if (c.first < document.index.size()) paint(c.first, WindowRole::Popup);
        EXPECT_EQ(popup_name(document, c.first), c.second);
    }
}

// A damaged page: link areas that the names do not cover get empty names rather than another
// link's, and positions far outside int32 clamp instead of wrapping round onto the screen.
TEST(AccessibleTree, DamagedPage) {
    LinkArea far;
    far.x = INT32_MAX;
    far.line = INT16_MAX;
    far.width = 10;
    const AccessibleTree tree =
        accessible_tree("", "", {far, LinkArea{}}, {"eins"}, frame_at(-INT32_MAX, -INT32_MAX, 0));
    ASSERT_EQ(tree.links.size(), 2u);
    EXPECT_EQ(tree.links[0].name, "eins");
    EXPECT_EQ(tree.links[1].name, "");
    EXPECT_EQ(tree.links[0].location.left, INT32_MAX);
    EXPECT_EQ(tree.links[0].location.top, INT32_MAX);
    EXPECT_NE(tree.links[0].state & ACC_STATE_OFFSCREEN, 0u);
}

AccessibleView view(const std::string& path, int32_t page, uint16_t selected, int32_t top_line,
                    int32_t left_column) {
    return AccessibleView{path, page, selected, top_line, left_column};
}

// Events as "name", "value", "scroll end" and "focus N", blank-separated.
std::string events_text(const std::vector<AccessibleEvent>& events) {
    std::string text;
    for (const AccessibleEvent& e : events) {
        if (!text.empty()) text += ' ';
        text += e.event == ACC_EVENT_NAME_CHANGE     ? "name"
                : e.event == ACC_EVENT_VALUE_CHANGE  ? "value"
                : e.event == ACC_EVENT_SCROLLING_END ? "scroll_end"
                : e.event == ACC_EVENT_FOCUS         ? "focus" + std::to_string(e.child)
                                                     : "?" + std::to_string(e.event);
        if (e.event != ACC_EVENT_FOCUS && e.child != 0) text += "@" + std::to_string(e.child);
    }
    return text;
}

TEST(AccessibleEvents, FromBeforeAndAfter) {
    const std::string file = "C:\\Hyp\\a.hyp";
    const AccessibleView shown = view(file, 3, 0, 0, 0);
    const AccessibleView link2 = view(file, 3, 2, 0, 0);
    struct Case {
        const char* name;
        AccessibleView before, after;
        const char* events;
    };
    const Case cases[] = {
        {"first page after the start", view("", -1, 0, 0, 0), shown, "name value"},
        {"another page", shown, view(file, 4, 0, 0, 0), "name value"},
        {"that entry of another file", shown, view("C:\\Hyp\\b.hyp", 3, 0, 0, 0), "name value"},
        {"the file in other capitals", shown, view("c:\\hyp\\A.HYP", 3, 0, 0, 0), ""},
        {"history: selection kept", shown, view(file, 4, 2, 7, 0), "name value focus2"},
        {"new page, selection gone", link2, view(file, 4, 0, 0, 0), "name value focus0"},
        {"new page at a line: no scroll end", shown, view(file, 4, 0, 30, 5), "name value"},
        {"Tab selects the first link", shown, view(file, 3, 1, 0, 0), "focus1"},
        {"Shift+Tab round to the last", view(file, 3, 1, 0, 0), view(file, 3, 4, 0, 0), "focus4"},
        {"selection scrolled away", link2, view(file, 3, 0, 9, 0), "focus0 scroll_end"},
        {"Tab scrolls to its link", shown, view(file, 3, 3, 12, 0), "focus3 scroll_end"},
        {"scrolled down", shown, view(file, 3, 0, 1, 0), "scroll_end"},
        {"scrolled sideways", shown, view(file, 3, 0, 0, 4), "scroll_end"},
        {"nothing changed", shown, shown, ""},
        {"nothing shown", shown, view(file, -1, 0, 0, 0), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(events_text(accessible_events(c.before, c.after)), c.events) << c.name;
    }
}

}  // namespace

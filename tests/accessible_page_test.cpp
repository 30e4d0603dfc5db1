// The accessible tree of shown pages (document, link children, names, states, locations) and
// the events a change of the view raises.
#include "app/accessible_page.h"

#include <gtest/gtest.h>

#include <string>
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

// The fixture's entries.
constexpr uint16_t kMain = 0;
constexpr uint16_t kSecond = 1;
constexpr uint16_t kPop = 2;
constexpr uint16_t kTitledPop = 3;

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

const std::string kCrLf = "\r\n";

// The page "Main" at @width 20:
//   0  Hauptseite.
//   1  <Zweite Seite>
//   2  Siehe<Straße> und <Pop>      ("Pop": a link without text, named after its target)
//   3-9  Zeile 3 ... Zeile 9
//   10 < Ende >                     (blanks around the text)
const std::string kMainHeading = std::string(7, '#') + " Main " + std::string(7, '#');

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

constexpr uint32_t kLinkStates = ACC_STATE_LINKED | ACC_STATE_FOCUSABLE | ACC_STATE_READONLY;

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
    struct Case {
        const char* name;
        uint16_t page;
        AccessibleFrame frame;
        const std::vector<ExpectedLink>* links;
        const char* states;  // per link: '.' on screen, 'o' offscreen, 'f' focused, 'F' both
        bool document_focused;
    };
    const std::vector<ExpectedLink> none;
    const Case cases[] = {
        {"top of the page: the last link is below", kMain, frame_at(0, 0, 0), &main_links, "...o",
         true},
        {"scrolled to the end, last link selected", kMain, frame_at(8, 0, 4), &main_links, "ooof",
         false},
        {"the last link on the client's last line", kMain, frame_at(6, 0, 2), &main_links, "oFo.",
         false},
        {"the last link a line below the client", kMain, frame_at(5, 0, 0), &main_links, "oooo",
         true},
        {"scrolled sideways: the first link ends at the left edge", kMain,
         frame_at(0, (kCell + width_of("Zweite Seite")) / kCell, 0), &main_links, "oo.o", true},
        {"a window without the focus", kMain, frame_at(0, 0, 1, false), &main_links, "...o", false},
        {"a selection beyond the links", kMain, frame_at(0, 0, 9), &main_links, "...o", true},
        {"a page without links", kSecond, frame_at(0, 0, 0), &none, "", true},
        {"the popup's link", kPop, frame_at(0, 0, 0), &popup_links, ".", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        paint(c.page, c.page == kPop ? WindowRole::Popup : WindowRole::Main);
        const AccessibleTree tree = describe_page(document, c.page, "Fenster", c.frame);

        EXPECT_EQ(tree.document.role, ACC_ROLE_DOCUMENT);
        EXPECT_EQ(tree.document.name, "Fenster");
        EXPECT_EQ(tree.document.state, ACC_STATE_READONLY | ACC_STATE_FOCUSABLE |
                                           (c.document_focused ? ACC_STATE_FOCUSED : 0u));
        const ScreenLocation& place = tree.document.location;
        EXPECT_EQ(std::vector<int32_t>({place.left, place.top, place.width, place.height}),
                  std::vector<int32_t>({kLeft, kTop, kWidth, kHeight}));

        ASSERT_EQ(tree.links.size(), c.links->size());
        for (size_t i = 0; i < c.links->size(); ++i) {
            const ExpectedLink& want = (*c.links)[i];
            const AccessibleNode& got = tree.links[i];
            SCOPED_TRACE("link " + want.name);
            EXPECT_EQ(got.role, ACC_ROLE_LINK);
            EXPECT_EQ(got.name, want.name);
            EXPECT_EQ(got.default_action, "Folgen");
            EXPECT_EQ(got.link_ordinal, i + 1);
            EXPECT_EQ(std::vector<int32_t>({got.location.left, got.location.top, got.location.width,
                                            got.location.height}),
                      std::vector<int32_t>({kLeft + want.x - c.frame.left_column * kCell,
                                            kTop + (want.line - c.frame.top_line) * kLine,
                                            want.width, kLine}));
            const char state = c.states[i];
            EXPECT_EQ(got.state, kLinkStates |
                                     (state == 'f' || state == 'F' ? ACC_STATE_FOCUSED : 0u) |
                                     (state == 'o' || state == 'F' ? ACC_STATE_OFFSCREEN : 0u));
        }
    }
}

// The value is the clipboard's Unicode text of the page, national letters included.
TEST_F(AccessiblePageTest, ValueIsThePageAsCopied) {
    std::string text = kMainHeading + kCrLf + "Hauptseite." + kCrLf + "Zweite Seite" + kCrLf +
                       "SieheStra\303\237e und Pop" + kCrLf;
    for (int n = 3; n <= 9; ++n) text += "Zeile " + std::to_string(n) + kCrLf;
    text += " Ende " + kCrLf;
    paint(kMain, WindowRole::Main);
    EXPECT_EQ(describe_page(document, kMain, "", frame_at(0, 0, 0)).document.value, text);
}

TEST_F(AccessiblePageTest, PageBeyondTheDocumentIsAnEmptyDocument) {
    const AccessibleTree tree = describe_page(document, 99, "Fenster", frame_at(0, 0, 1));
    EXPECT_EQ(tree.document.name, "Fenster");
    EXPECT_TRUE(tree.document.value.empty());
    EXPECT_TRUE(tree.links.empty());
    EXPECT_TRUE(page_link_names(document, 99).empty());
}

TEST_F(AccessiblePageTest, PopupName) {
    struct Case {
        const char* name;
        uint16_t page;
        std::string expected;
    };
    const Case cases[] = {
        {"a popup without a title: its name", kPop, "Pop"},
        {"a popup with a title, national letters as Unicode", kTitledPop, "Gr\303\274\303\237e"},
        {"no such page", 99, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.page < document.index.size()) paint(c.page, WindowRole::Popup);
        EXPECT_EQ(popup_name(document, c.page), c.expected);
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

TEST(AccessibleEvents, FromBeforeAndAfter) {
    const std::string file = "C:\\Hyp\\a.hyp";
    const AccessibleView shown = view(file, 3, 0, 0, 0);
    const AccessibleEvent name{ACC_EVENT_NAME_CHANGE, 0};
    const AccessibleEvent value{ACC_EVENT_VALUE_CHANGE, 0};
    const AccessibleEvent scroll_end{ACC_EVENT_SCROLLING_END, 0};
    const auto focus = [](int32_t child) { return AccessibleEvent{ACC_EVENT_FOCUS, child}; };
    struct Case {
        const char* name;
        AccessibleView before;
        AccessibleView after;
        std::vector<AccessibleEvent> events;
    };
    const std::string other = "C:\\Hyp\\b.hyp";
    const Case cases[] = {
        {"first page after the start", view("", -1, 0, 0, 0), shown, {name, value}},
        {"another page", shown, view(file, 4, 0, 0, 0), {name, value}},
        {"that entry of another file", shown, view(other, 3, 0, 0, 0), {name, value}},
        {"the file in other capitals", shown, view("c:\\hyp\\A.HYP", 3, 0, 0, 0), {}},
        {"history: selection kept", shown, view(file, 4, 2, 7, 0), {name, value, focus(2)}},
        {"new page, selection gone",
         view(file, 3, 2, 0, 0),
         view(file, 4, 0, 0, 0),
         {name, value, focus(0)}},
        {"new page at a line: no scroll end", shown, view(file, 4, 0, 30, 5), {name, value}},
        {"Tab selects the first link", shown, view(file, 3, 1, 0, 0), {focus(1)}},
        {"Shift+Tab round to the last", view(file, 3, 1, 0, 0), view(file, 3, 4, 0, 0), {focus(4)}},
        {"selection scrolled away",
         view(file, 3, 2, 0, 0),
         view(file, 3, 0, 9, 0),
         {focus(0), scroll_end}},
        {"Tab scrolls to its link", shown, view(file, 3, 3, 12, 0), {focus(3), scroll_end}},
        {"scrolled down", shown, view(file, 3, 0, 1, 0), {scroll_end}},
        {"scrolled sideways", shown, view(file, 3, 0, 0, 4), {scroll_end}},
        {"nothing changed", shown, shown, {}},
        {"nothing shown", shown, view(file, -1, 0, 0, 0), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<AccessibleEvent> got = accessible_events(c.before, c.after);
        ASSERT_EQ(got.size(), c.events.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].event, c.events[i].event) << "event " << i;
            EXPECT_EQ(got[i].child, c.events[i].child) << "event " << i;
        }
    }
}

}  // namespace

// When the kept page is recorded anew: each input of its drawing, one row; scrolling never.
#include "app/kept_page.h"

#include <gtest/gtest.h>

#include <functional>

#include "hyp/charset.h"
#include "render/text_run.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

struct Inputs {
    ViewState view;
    LogFontRecord text_font = fixture::default_text_font();
    LogFontRecord alt_font = fixture::default_alt_font();
    ScreenMetrics metrics{8, 20, 8};
    TextSpan highlight;

    KeptPageKey key() const { return kept_page_key(view, text_font, alt_font, metrics, highlight); }
};

TEST(KeptPage, RecordedAnewExactlyWhenItsDrawingChanges) {
    struct Row {
        const char* change;
        std::function<void(Inputs&)> apply;
        bool rebuilt;
    } rows[] = {
        {"another page", [](Inputs& in) { in.view.current_page = 4; }, true},
        {"another text font", [](Inputs& in) { in.text_font.lfHeight = -20; }, true},
        {"another face", [](Inputs& in) { in.text_font.lfFaceName[0] = 'X'; }, true},
        {"another alternative font", [](Inputs& in) { in.alt_font.lfHeight = -13; }, true},
        {"taller lines", [](Inputs& in) { in.metrics.line_height = 22; }, true},
        {"wider cells", [](Inputs& in) { in.metrics.cell_width = 9; }, true},
        {"text colour", [](Inputs&) { settings.TXTCOLOR() = 0x123456; }, true},
        {"link colour", [](Inputs&) { settings.REFCOLOR_POPUP_NODE() = 0x00FF00; }, true},
        {"background colour", [](Inputs&) { settings.BCKCOLOR() = 0xEEEEEE; }, true},
        {"window width", [](Inputs& in) { in.view.client_width = 641; }, true},
        {"blanks expanded", [](Inputs&) { settings.expmultispace ^= 1; }, true},
        {"pictures scaled", [](Inputs&) { settings.scale_bitmaps ^= 1; }, true},
        {"character set", [](Inputs& in) { in.view.conversion = 1; }, true},
        {"link selected", [](Inputs& in) { in.view.selected_link = 2; }, true},
        {"a find shown",
         [](Inputs& in) {
             in.highlight = TextSpan{3, 1, 4, nullptr};
         },
         true},
        // The walk rewrites these in place while drawing; the fonts stay the same.
        {"attributes of the font record",
         [](Inputs& in) { set_font_attributes(in.text_font, ATTR_BOLD | ATTR_UNDERLINE); }, false},
        {"scrolled down", [](Inputs& in) { in.view.top_line = 17; }, false},
        {"scrolled right", [](Inputs& in) { in.view.left_column = 5; }, false},
        {"scroll ranges", [](Inputs& in) { in.view.max_top_line = 99; }, false},
        {"window height", [](Inputs& in) { in.view.client_height = 123; }, false},
    };
    for (const Row& row : rows) {
        restore_default_settings();
        Inputs in;
        in.view.current_page = 3;
        in.view.client_width = 640;
        in.view.client_height = 480;
        const KeptPageKey kept = in.key();
        row.apply(in);
        EXPECT_EQ(in.key() != kept, row.rebuilt) << row.change;
    }
    restore_default_settings();
}

}  // namespace

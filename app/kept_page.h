// When the main window's kept page (its drawing, recorded once) must be recorded anew.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "app/view_state.h"
#include "render/page_walk.h"
#include "render/screen_metrics.h"
#include "settings/settings.h"

// Everything a recorded page depends on. Scroll positions are not part of it: a recording is
// in page coordinates and is only drawn with another offset.
struct KeptPageKey {
    int32_t page = -1;
    LogFontRecord text_font{};  // the font a walk starts with (FONT or XFONT); attributes cleared
    LogFontRecord alt_font{};   // XFONT, attributes cleared
    ScreenMetrics metrics;
    std::array<uint32_t, COLOUR_TABLE_SIZE> colours{};
    int32_t client_width = 0;
    uint32_t expand_blanks = 0;   // expmultispace
    uint32_t scale_pictures = 0;  // scale_bitmaps
    unsigned conversion = 0;      // the view's table: the screen's character set
    uint16_t selected_link = 0;
    int32_t highlight_line = -1;
    uint32_t highlight_first = 0;
    uint32_t highlight_end = 0;

    bool operator==(const KeptPageKey& other) const;
    bool operator!=(const KeptPageKey& other) const { return !(*this == other); }
};

// The key of the page `view` shows, with the fonts and metrics of the screen, the search find
// drawn on it, and the colour and display settings as they are now.
KeptPageKey kept_page_key(const ViewState& view, const LogFontRecord& text_font,
                          const LogFontRecord& alt_font, const ScreenMetrics& metrics,
                          const TextSpan& highlight);

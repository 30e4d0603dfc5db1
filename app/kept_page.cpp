// The kept page's key: fonts compared without the attributes the walk rewrites in place.
#include "app/kept_page.h"

#include <cstring>

#include "hyp/charset.h"
#include "render/text_run.h"

namespace {

LogFontRecord without_attributes(LogFontRecord font) {
    set_font_attributes(font, 0);
    return font;
}

bool same_bytes(const LogFontRecord& a, const LogFontRecord& b) {
    return std::memcmp(&a, &b, sizeof(LogFontRecord)) == 0;
}

}  // namespace

bool KeptPageKey::operator==(const KeptPageKey& o) const {
    return page == o.page && same_bytes(text_font, o.text_font) &&
           same_bytes(alt_font, o.alt_font) && metrics.char_width == o.metrics.char_width &&
           metrics.line_height == o.metrics.line_height &&
           metrics.cell_width == o.metrics.cell_width && colours == o.colours &&
           client_width == o.client_width && expand_blanks == o.expand_blanks &&
           scale_pictures == o.scale_pictures && conversion == o.conversion &&
           selected_link == o.selected_link && highlight_line == o.highlight_line &&
           highlight_first == o.highlight_first && highlight_end == o.highlight_end;
}

KeptPageKey kept_page_key(const ViewState& view, const LogFontRecord& text_font,
                          const LogFontRecord& alt_font, const ScreenMetrics& metrics,
                          const TextSpan& highlight) {
    KeptPageKey key;
    key.page = view.current_page;
    key.text_font = without_attributes(text_font);
    key.alt_font = without_attributes(alt_font);
    key.metrics = metrics;
    std::copy(std::begin(settings.colour_table), std::end(settings.colour_table), key.colours.begin());
    key.client_width = view.client_width;
    key.expand_blanks = settings.expmultispace;
    key.scale_pictures = settings.scale_bitmaps;
    key.conversion = view.conversion;
    key.selected_link = view.selected_link;
    key.highlight_line = highlight.line;
    if (highlight.line >= 0) {
        key.highlight_first = highlight.first;
        key.highlight_end = highlight.end;
    }
    return key;
}

// Link selection by ordinal, and link lines kept in step with the line height.
#include "app/link_selection.h"

#include <algorithm>
#include <limits>

const LinkArea* link_at_ordinal(const IndexEntry& entry, unsigned n) {
    if (entry.links.empty()) return nullptr;
    const std::size_t index = n == 0 ? 0 : n - 1;
    return index < entry.links.size() ? &entry.links[index] : nullptr;
}

unsigned ordinal_of_link(const IndexEntry& entry, const LinkArea* area) {
    if (area == nullptr || entry.links.empty()) return 0;
    const LinkArea* first = entry.links.data();
    if (area < first || area >= first + entry.links.size()) return 0;
    return static_cast<unsigned>(area - first) + 1;
}

namespace {

uint16_t first_on_screen(const IndexEntry& entry, const ScreenLines& screen) {
    for (std::size_t i = 0; i < entry.links.size(); ++i) {
        if (screen.shows(entry.links[i].line)) return static_cast<uint16_t>(i + 1);
    }
    return 0;
}

// Links are in page order, so the walk stops at the first one below the screen.
uint16_t last_on_screen(const IndexEntry& entry, const ScreenLines& screen) {
    uint16_t last = 0;
    for (std::size_t i = 0; i < entry.links.size(); ++i) {
        const int32_t line = entry.links[i].line;
        if (line < screen.top_line) continue;
        if (line > screen.top_line + screen.visible_lines) break;
        last = static_cast<uint16_t>(i + 1);
    }
    return last;
}

}  // namespace

uint16_t step_link_selection(uint16_t current, const IndexEntry& entry, int direction,
                             bool only_visible, const ScreenLines& screen) {
    if (entry.links.empty()) return 0;
    // The list never holds more than 65535 areas (ordinals are 16-bit).
    const uint16_t count = static_cast<uint16_t>(
        std::min<std::size_t>(entry.links.size(), std::numeric_limits<uint16_t>::max()));
    const unsigned k = current;
    if (!only_visible) {
        switch (direction) {
            case LINK_FIRST:
                return 1;
            case LINK_LAST:
                return count;
            case LINK_PREVIOUS:
                return k > 1 ? static_cast<uint16_t>(k - 1) : count;
            case LINK_NEXT:
                return k < count ? static_cast<uint16_t>(k + 1) : 1;
            default:
                return current;
        }
    }
    switch (direction) {
        case LINK_FIRST:
            return first_on_screen(entry, screen);
        case LINK_LAST:
            return last_on_screen(entry, screen);
        case LINK_PREVIOUS:
            // k - 1 >= 1 here, so link k - 1 is entry.links[k - 2].
            if (k > 1 && k - 1 <= count && screen.shows(entry.links[k - 2].line)) {
                return static_cast<uint16_t>(k - 1);
            }
            return last_on_screen(entry, screen);
        case LINK_NEXT:
            if (k < count && screen.shows(entry.links[k].line)) return static_cast<uint16_t>(k + 1);
            return first_on_screen(entry, screen);
        default:
            return current;
    }
}

uint16_t link_visible(uint16_t ordinal, const IndexEntry& entry, bool only_visible,
                      const ScreenLines& screen) {
    if (ordinal == 0 || !only_visible) return ordinal;
    const LinkArea* area = link_at_ordinal(entry, ordinal);
    if (area == nullptr) return 0;
    return screen.shows(area->line) ? ordinal : 0;
}

namespace {

// Lines a picture of `pixels` height reserves at line height `lh` (rounded up).
int32_t reserved_lines(int32_t pixels, int32_t lh) {
    if (pixels <= 0) return 0;
    return (pixels + lh - 1) / lh;
}

struct PictureLines {
    int32_t old_lines;
    int32_t new_lines;
};

PictureLines picture_lines(int32_t h, int32_t new_lh, int32_t old_lh, bool scaling_now,
                           bool scaling_changed) {
    // 64-bit products: a picture height times a line height can pass 32 bits in corrupt files.
    const int64_t old_pixels =
        scaling_changed && !scaling_now ? static_cast<int64_t>(old_lh) * h / 16 : h;
    const int64_t new_pixels = scaling_now ? static_cast<int64_t>(new_lh) * h / 16 : h;
    const auto clamp32 = [](int64_t v) {
        return static_cast<int32_t>(std::min<int64_t>(v, std::numeric_limits<int32_t>::max()));
    };
    // The reservations are unsigned 16-bit line counts, as the page walk keeps them.
    return {static_cast<uint16_t>(reserved_lines(clamp32(old_pixels), old_lh)),
            static_cast<uint16_t>(reserved_lines(clamp32(new_pixels), new_lh))};
}

int16_t clamp_line(int64_t line) {
    if (line > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    if (line < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(line);
}

}  // namespace

void rescale_links(HypDocument& doc, int32_t new_lh, int32_t old_lh, bool scaling_now,
                   bool scaling_changed) {
    if (scaling_now && !scaling_changed) return;
    if (new_lh <= 0 || old_lh <= 0) return;
    for (IndexEntry& entry : doc.index) {
        for (LinkArea& area : entry.links) {
            int64_t line = area.line;
            for (int32_t h : area.images_above) {
                const PictureLines p =
                    picture_lines(h, new_lh, old_lh, scaling_now, scaling_changed);
                line += p.new_lines - p.old_lines;
            }
            area.line = clamp_line(line);
        }
        int64_t count = entry.line_count;
        for (int32_t h : entry.image_line_heights) {
            const PictureLines p = picture_lines(h, new_lh, old_lh, scaling_now, scaling_changed);
            count += p.new_lines - p.old_lines;
        }
        if (entry.line_count < 0) continue;  // never laid out: nothing to correct
        count = std::clamp<int64_t>(count, 0, std::numeric_limits<int32_t>::max());
        entry.line_count = static_cast<int32_t>(count);
    }
}

DeviceRect link_client_rect(const LinkArea& area, int32_t top_line, int32_t left_column,
                            int32_t line_height, int32_t cell_width) {
    DeviceRect r;
    r.left = area.x - left_column * cell_width;
    r.top = (area.line - top_line) * line_height;
    r.right = r.left + area.width;
    r.bottom = r.top + line_height;
    return r;
}

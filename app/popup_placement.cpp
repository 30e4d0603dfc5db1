// Size and place of the popup window.
#include "app/popup_placement.h"

#include <algorithm>

PopupRect place_popup(int32_t max_columns, int32_t line_count, int32_t cell_width,
                      int32_t line_height, int32_t point_x, int32_t point_y,
                      const PopupSystemMetrics& system) {
    PopupRect r;
    r.width = 2 * system.frame_width + (std::max(max_columns, 0) + 2) * cell_width;
    r.height = 3 * system.frame_height + std::max(line_count, 0) * line_height;
    // Halves truncate toward zero; min after max, so that the far edge wins on a small screen.
    r.x = std::min(std::max(point_x - r.width / 2, 0), system.screen_width - r.width);
    r.y = std::min(std::max(point_y - r.height / 2, 0), system.screen_height - r.height);
    return r;
}

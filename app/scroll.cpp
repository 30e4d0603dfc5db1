// Scroll arithmetic: integer divisions truncate toward zero, as the ranges are defined.
#include "app/scroll.h"

#include <algorithm>

namespace {
int32_t positive_unit(int32_t unit) {
    return unit > 0 ? unit : 1;
}
}  // namespace

int32_t max_top_line_for(int32_t line_count, int32_t client_height, int32_t line_height) {
    return std::max<int32_t>(0, line_count + 1 - client_height / positive_unit(line_height));
}

int32_t document_width_for(int32_t line_width, int32_t cell_width) {
    return (line_width + 2) * cell_width;
}

int32_t max_left_column_for(int32_t document_width, int32_t client_width, int32_t cell_width) {
    return std::max<int32_t>(0, (document_width - client_width) / positive_unit(cell_width));
}

int32_t scroll_request(int code, const ScrollAxis& axis, int32_t thumb) {
    const int32_t page = axis.client_pixels / positive_unit(axis.unit_pixels);
    switch (code) {
        case SCROLL_LINE_BACK:
            return -1;
        case SCROLL_LINE_FORWARD:
            return 1;
        case SCROLL_PAGE_BACK:
            return page != 0 ? -page : -1;
        case SCROLL_PAGE_FORWARD:
            return page != 0 ? page : 1;
        case SCROLL_THUMB_TRACK:
            return thumb - axis.position;
        case SCROLL_TO_START:
            return -axis.position;
        case SCROLL_TO_END:
            return axis.maximum - axis.position;
        default:
            return 0;
    }
}

int32_t clamp_scroll_step(int32_t step, const ScrollAxis& axis) {
    step = std::min(step, axis.maximum - axis.position);
    return std::max(step, -axis.position);
}

int32_t scroll_step(int code, const ScrollAxis& axis, int32_t thumb) {
    return clamp_scroll_step(scroll_request(code, axis, thumb), axis);
}

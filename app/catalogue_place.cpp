// The catalogue window's first place.
#include "app/catalogue_place.h"

#include <algorithm>

ScreenRect catalogue_beside(const ScreenRect& main, const ScreenRect& work, int32_t width) {
    const int32_t work_width = std::max<int32_t>(work.right - work.left, 0);
    width = std::clamp<int32_t>(width, 0, work_width);
    ScreenRect place;
    place.top = std::max(main.top, work.top);
    place.bottom = std::min(main.bottom, work.bottom);
    if (place.bottom <= place.top) {  // the main window lies off the work area: use its height
        place.top = work.top;
        place.bottom = work.bottom;
    }
    if (main.right + width <= work.right) {
        place.left = main.right;
    } else if (main.left - width >= work.left) {
        place.left = main.left - width;
    } else {
        place.left = work.right - width;
    }
    place.right = place.left + width;
    return place;
}

// The catalogue window's first place beside the main window.
#include "app/catalogue_place.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(CataloguePlace, BesideTheMainWindowWithinTheWorkArea) {
    const ScreenRect work{0, 0, 1920, 1040};
    const struct Case {
        const char* name;
        ScreenRect main;
        int32_t width;
        ScreenRect expected;
    } cases[] = {
        {"room on the right", {100, 50, 900, 650}, 400, {900, 50, 1300, 650}},
        {"exactly room on the right", {600, 50, 1520, 650}, 400, {1520, 50, 1920, 650}},
        {"no room right, room left", {500, 50, 1600, 650}, 400, {100, 50, 500, 650}},
        {"exactly room on the left", {400, 50, 1600, 650}, 400, {0, 50, 400, 650}},
        {"room on neither side", {100, 0, 1800, 1040}, 400, {1520, 0, 1920, 1040}},
        {"taller than the work area: clipped", {900, -20, 1300, 1200}, 400, {1300, 0, 1700, 1040}},
        {"off the work area: its full height", {0, 2000, 500, 2600}, 400, {500, 0, 900, 1040}},
        {"wider than the work area", {0, 0, 100, 100}, 5000, {0, 0, 1920, 100}},
    };
    for (const Case& c : cases) {
        const ScreenRect got = catalogue_beside(c.main, work, c.width);
        EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                  std::tie(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom))
            << c.name;
    }
}

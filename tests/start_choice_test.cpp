// The first hypertext of a run and where it is shown: the command line, then the stored
// start-up choice, then the file dialog.
#include "app/start_choice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StartChoice, Cases) {
    struct Case {
        const char* name;
        const char* argument;  // path on the command line, nullptr = none
        uint32_t startup;
        const char* def_hyp;
        const char* last_path;
        uint32_t last_index;
        uint32_t last_line;
        // The opened file: its entry count and last node.
        std::size_t entries;
        int32_t last_node;
        // Expected: the file opened ("" = file dialog), then the page and top line shown.
        const char* path;
        int32_t page;
        int32_t line;
    };
    // Opening itself chose entry 0 with no start line, as it does without a requested node.
    const Case cases[] = {
        {"nothing stored", nullptr, 0, "", "", 0, 0, 10, 9, "", 0, -1},
        {"StartUp 1 opens DefHyp", nullptr, 1, "C:\\d.hyp", "C:\\l.hyp", 5, 7, 10, 9, "C:\\d.hyp",
         0, -1},
        {"StartUp 1 without DefHyp", nullptr, 1, "", "C:\\l.hyp", 5, 7, 10, 9, "", 0, -1},
        {"StartUp 2 reopens the last page and line", nullptr, 2, "C:\\d.hyp", "C:\\l.hyp", 5, 7, 10,
         9, "C:\\l.hyp", 5, 7},
        {"StartUp 2 without LastLoadPath", nullptr, 2, "C:\\d.hyp", "", 5, 7, 10, 9, "", 0, -1},
        {"StartUp 2 on the last node", nullptr, 2, "", "C:\\l.hyp", 9, 3, 10, 9, "C:\\l.hyp", 9, 3},
        {"index at the entry count shows the last node at the top", nullptr, 2, "", "C:\\l.hyp", 10,
         3, 10, 9, "C:\\l.hyp", 9, -1},
        {"index far beyond", nullptr, 2, "", "C:\\l.hyp", 4000000000u, 4000000000u, 3, 2,
         "C:\\l.hyp", 2, -1},
        {"index past the last node, within the entries", nullptr, 2, "", "C:\\l.hyp", 8, 3, 10, 6,
         "C:\\l.hyp", 6, -1},
        {"a huge stored line is kept within 16 bits", nullptr, 2, "", "C:\\l.hyp", 1, 4000000000u,
         10, 9, "C:\\l.hyp", 1, 65535},
        {"other StartUp values ask", nullptr, 3, "C:\\d.hyp", "C:\\l.hyp", 5, 7, 10, 9, "", 0, -1},
        {"the command line wins", "C:\\a.hyp", 2, "C:\\d.hyp", "C:\\l.hyp", 5, 7, 10, 9,
         "C:\\a.hyp", 0, -1},
    };
    for (const Case& c : cases) {
        StartArguments arguments;
        if (c.argument) arguments.path = c.argument;
        const StartChoice choice =
            choose_start(arguments, {c.startup, c.def_hyp, c.last_path, c.last_index, c.last_line});
        EXPECT_EQ(choice.path, c.path) << c.name;
        EXPECT_EQ(choice.source == StartSource::FileDialog, c.path[0] == '\0') << c.name;
        const StartPosition at = start_position(choice, 0, -1, c.entries, c.last_node);
        EXPECT_EQ(at.page, c.page) << c.name;
        EXPECT_EQ(at.line, c.line) << c.name;
    }
}

// What opening chose (a requested node, a REF label's line) stands unless it lies beyond the
// last node.
TEST(StartChoice, OpenedPositionIsKeptWithinTheNodes) {
    StartArguments arguments;
    arguments.path = "C:\\a.hyp";
    arguments.node_name = "Main";
    const StartChoice choice = choose_start(arguments, {});
    EXPECT_EQ(choice.node_name, std::optional<std::string>("Main"));
    EXPECT_EQ(start_position(choice, 4, 12, 10, 9).page, 4);
    EXPECT_EQ(start_position(choice, 4, 12, 10, 9).line, 12);
    EXPECT_EQ(start_position(choice, 9, 12, 10, 8).page, 8);
}

}  // namespace

// The back stack: capacity, popping several places, owned texts, and the history menu.
#include "app/history.h"

#include <gtest/gtest.h>

#include "app/command_ids.h"

namespace {

HistoryEntry place(uint16_t page, std::string path = "C:\\HYP\\A.HYP", std::string name = "Main") {
    HistoryEntry entry;
    entry.page = page;
    entry.top_line = static_cast<uint16_t>(page * 2);
    entry.left_column = static_cast<uint16_t>(page % 7);
    entry.path = std::move(path);
    entry.node_name = std::move(name);
    entry.selected_link = static_cast<uint16_t>(page % 3);
    return entry;
}

TEST(HistoryStack, HundredAndOnePushesKeepTheLatestHundred) {
    HistoryStack history;
    for (uint16_t i = 0; i < 101; ++i) history.push(place(i));
    ASSERT_EQ(history.depth(), HISTORY_CAPACITY);
    EXPECT_EQ(history.back(1).page, 100) << "most recent";
    EXPECT_EQ(history.back(100).page, 1) << "the first push was dropped";
    for (uint16_t i = 101; i < 350; ++i) history.push(place(i));
    EXPECT_EQ(history.depth(), HISTORY_CAPACITY);
    EXPECT_EQ(history.back(100).page, 250);
}

TEST(HistoryStack, PoppingSeveralPlacesReturnsTheLastPopped) {
    struct Case {
        const char* name;
        std::size_t k;
        bool popped;
        uint16_t page;           // page of the returned entry
        std::size_t depth_left;  // entries left
    };
    const Case cases[] = {
        {"one", 1, true, 9, 9},
        {"three", 3, true, 7, 7},
        {"all", 10, true, 0, 0},
        {"zero pops nothing", 0, false, 0, 10},
        {"beyond depth", 11, false, 0, 10},
    };
    for (const Case& c : cases) {
        HistoryStack history;
        for (uint16_t i = 0; i < 10; ++i) history.push(place(i));
        const std::optional<HistoryEntry> entry = history.pop(c.k);
        ASSERT_EQ(entry.has_value(), c.popped) << c.name;
        if (entry) {
            EXPECT_EQ(entry->page, c.page) << c.name;
            EXPECT_EQ(entry->top_line, c.page * 2) << c.name;
            EXPECT_EQ(entry->path, "C:\\HYP\\A.HYP") << c.name;
        }
        EXPECT_EQ(history.depth(), c.depth_left) << c.name;
    }
    HistoryStack empty;
    EXPECT_FALSE(empty.pop().has_value());
}

TEST(HistoryMenu, MostRecentFirstAtMostFifteen) {
    HistoryStack history;
    for (uint16_t i = 0; i < 20; ++i) {
        history.push(place(i, "C:\\HYP\\F" + std::to_string(i) + ".HYP", "N" + std::to_string(i)));
    }
    const PopupMenuModel menu = history_menu(history, 0);
    EXPECT_EQ(menu.title, "History (Das Letzte zuerst):");
    ASSERT_EQ(menu.items.size(), HISTORY_MENU_ITEMS);
    for (std::size_t k = 1; k <= HISTORY_MENU_ITEMS; ++k) {
        const std::size_t i = 20 - k;
        EXPECT_EQ(menu.items[k - 1].id, 3050 + k) << "item " << k;
        EXPECT_EQ(menu.items[k - 1].text, "F" + std::to_string(i) + ".HYP\tN" + std::to_string(i))
            << "item " << k;
    }
    EXPECT_LE(menu.items.back().id, CM_HISTORY_LAST);
}

TEST(HistoryMenu, NamesConvertedForTheScreenFileNameOnly) {
    HistoryStack history;
    history.push(place(0, "D:\\Docs\\Sub\\gem.hyp", "Gr\x81\x9e"));  // Atari u-umlaut, sharp s
    history.push(place(1, "plain.hyp", "x"));
    const PopupMenuModel menu = history_menu(history, 0);  // Atari to Windows set
    ASSERT_EQ(menu.items.size(), 2u);
    EXPECT_EQ(menu.items[0].text, "plain.hyp\tx");
    EXPECT_EQ(menu.items[1].text, "gem.hyp\tGr\xFC\xDF");
    EXPECT_TRUE(history_menu(HistoryStack{}, 0).items.empty());
}

}  // namespace

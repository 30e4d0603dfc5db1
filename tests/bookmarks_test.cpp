// The bookmark records as stored in `Marken`, and the marks menu.
#include "app/bookmarks.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fixture/hyp_builder.h"
#include "settings/file_settings_store.h"
#include "settings/settings.h"

namespace {

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

BookmarkPlace make_place(uint16_t page, std::string path, std::string name) {
    BookmarkPlace place;
    place.page = page;
    place.top_line = static_cast<uint16_t>(page + 0x0100);
    place.left_column = static_cast<uint16_t>(page + 0x0200);
    place.path = std::move(path);
    place.node_name = std::move(name);
    return place;
}

TEST(BookmarkRecord, FieldsAtTheirOffsetsLittleEndian) {
    Bookmark mark;
    std::memset(&mark, 0xAA, sizeof mark);  // what the buffer held before
    set_bookmark(mark, make_place(0x1234, "C:\\HYP\\A.HYP", "Main"));
    const auto* bytes = reinterpret_cast<const uint8_t*>(&mark);
    EXPECT_EQ(le16(bytes + 0), 0x1234);
    EXPECT_EQ(le16(bytes + 2), 0x1334);
    EXPECT_EQ(le16(bytes + 4), 0x1434);
    EXPECT_EQ(le16(bytes + 6), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 8), "C:\\HYP\\A.HYP");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 520), "Main");
    for (std::size_t i = 8 + 12; i < 520; ++i) ASSERT_EQ(bytes[i], 0) << "path padding " << i;
    for (std::size_t i = 520 + 4; i < 648; ++i) ASSERT_EQ(bytes[i], 0) << "name padding " << i;
}

TEST(BookmarkRecord, LongTextsAreCut) {
    const struct {
        const char* name;
        std::size_t path_length, name_length;
        std::size_t stored_path, stored_name;
    } cases[] = {
        {"fits", 511, 127, 511, 127},
        {"one too many", 512, 128, 511, 127},
        {"far too long", 2000, 600, 511, 127},
        {"empty", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        Bookmark mark{};
        set_bookmark(
            mark, make_place(1, std::string(c.path_length, 'p'), std::string(c.name_length, 'n')));
        EXPECT_EQ(mark.path[BOOKMARK_PATH_SIZE - 1], 0) << c.name;
        EXPECT_EQ(mark.node_name[BOOKMARK_NAME_SIZE - 1], 0) << c.name;
        const BookmarkPlace place = bookmark_place(mark);
        EXPECT_EQ(place.path.size(), c.stored_path) << c.name;
        EXPECT_EQ(place.node_name.size(), c.stored_name) << c.name;
    }
}

TEST(BookmarkRecord, TextsWithoutNulReadOnlyToTheFieldEnd) {
    Bookmark mark;
    std::memset(&mark, 'x', sizeof mark);  // as a damaged stored value could leave it
    const BookmarkPlace place = bookmark_place(mark);
    EXPECT_EQ(place.path.size(), BOOKMARK_PATH_SIZE);
    EXPECT_EQ(place.node_name.size(), BOOKMARK_NAME_SIZE);
}

TEST(BookmarkRecord, ElevenStoredTogetherAs7128Bytes) {
    for (Bookmark& mark : settings.Marken) delete_bookmark(mark);
    std::memset(settings.Marken, 0, sizeof settings.Marken);
    set_bookmark(settings.Marken[1], make_place(7, "C:\\HYP\\B.HYP", "Zwei"));  // F3
    set_bookmark(settings.Marken[10], make_place(9, "C:\\HYP\\C.HYP", "Elf"));  // F12
    const std::string dir = fixture::make_temp_directory("marks");
    FileSettingsStore store(dir + "settings.ini");
    ASSERT_TRUE(save_settings_key(store, KEY_OPTIONS_DIV));

    std::unique_ptr<SettingsKey> key = store.open_key_for_reading("OptionsDiv");
    ASSERT_NE(key, nullptr);
    std::vector<uint8_t> value(8000);
    ValueType type{};
    uint32_t length = 0;
    ASSERT_TRUE(key->query_value("Marken", type, value.data(), 8000, length));
    EXPECT_EQ(type, ValueType::Binary);
    ASSERT_EQ(length, 7128u);
    EXPECT_EQ(std::memcmp(value.data(), settings.Marken, 7128), 0);
    const uint8_t* f3 = value.data() + 648;
    EXPECT_EQ(le16(f3), 7);
    EXPECT_EQ(le16(f3 + 6), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(f3 + 520), "Zwei");
    EXPECT_EQ(le16(value.data() + 6), 0) << "F2 unused";
    EXPECT_EQ(le16(value.data() + 10 * 648 + 6), 1) << "F12 in use";
    fixture::remove_directory(dir);
    std::memset(settings.Marken, 0, sizeof settings.Marken);
}

TEST(MarksMenu, BookmarksInUseInOrder) {
    Bookmark marks[BOOKMARK_COUNT] = {};
    EXPECT_FALSE(some_bookmark_set(marks));
    set_bookmark(marks[4], make_place(3, "C:\\HYP\\SUB\\tos.hyp", "Bios\x81"));  // Atari u-umlaut
    set_bookmark(marks[0], make_place(1, "a.hyp", "Main"));
    set_bookmark(marks[10], make_place(2, "C:\\z.hyp", "Ende"));
    set_bookmark(marks[7], make_place(2, "C:\\gone.hyp", "Weg"));
    delete_bookmark(marks[7]);
    EXPECT_TRUE(some_bookmark_set(marks));

    const PopupMenuModel menu = marks_menu(marks, 0);
    EXPECT_EQ(menu.title, "Marken (Setzen/Löschen mit Umschalt/Strg+[F2..F12]):");
    const struct {
        uint16_t id;
        const char* text;
    } expected[] = {
        {2002, "a.hyp / Main\tF2"},
        {2006, "tos.hyp / Bios\xFC\tF6"},
        {2012, "z.hyp / Ende\tF12"},
    };
    ASSERT_EQ(menu.items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(menu.items[i].id, expected[i].id) << i;
        EXPECT_EQ(menu.items[i].text, expected[i].text) << i;
    }
}

}  // namespace

// The recent-files list: order, repeats, its length, removal, the stored form and menu texts.
#include "app/recent_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fixture/temp_dir.h"
#include "settings/file_settings_store.h"
#include "settings/settings.h"

namespace {

using Paths = std::vector<std::string>;

TEST(RecentFiles, OrderRepeatsAndLength) {
    struct Case {
        const char* name;
        Paths opened;  // in the order opened
        Paths removed;
        Paths expected;  // newest first
    };
    const Case cases[] = {
        {"newest first", {"a.hyp", "b.hyp", "c.hyp"}, {}, {"c.hyp", "b.hyp", "a.hyp"}},
        {"opened again: to the top",
         {"a.hyp", "b.hyp", "c.hyp", "a.hyp"},
         {},
         {"a.hyp", "c.hyp", "b.hyp"}},
        {"case does not make another file",
         {"C:\\X\\A.HYP", "b.hyp", "c:\\x\\a.hyp"},
         {},
         {"c:\\x\\a.hyp", "b.hyp"}},
        {"eight at most",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
         {},
         {"10", "9", "8", "7", "6", "5", "4", "3"}},
        {"a missing file leaves", {"a.hyp", "b.hyp", "c.hyp"}, {"B.HYP"}, {"c.hyp", "a.hyp"}},
        {"removing an unlisted file changes nothing", {"a.hyp"}, {"z.hyp"}, {"a.hyp"}},
        {"an empty path is not listed", {"a.hyp", ""}, {}, {"a.hyp"}},
    };
    for (const Case& c : cases) {
        RecentFiles list;
        for (const std::string& p : c.opened) list.add(p);
        for (const std::string& p : c.removed) list.remove(p);
        EXPECT_EQ(list.paths(), c.expected) << c.name;
    }
}

class RecentFilesStore : public ::testing::Test {
   protected:
    fixture::TempDir dir{"recent"};
    FileSettingsStore store{dir.file("settings.ini")};
};

TEST_F(RecentFilesStore, ReadBack) {
    RecentFiles written;
    for (const char* p : {"C:\\a\\eins.hyp", "C:\\b\\zwei.hyp", "D:\\drei & vier.hyp"})
        written.add(p);
    ASSERT_TRUE(written.save(store));
    RecentFiles read;
    read.load(store);
    EXPECT_EQ(read.paths(), written.paths());
    // A file leaves: stored again, the list reads back one shorter.
    written.remove("C:\\b\\zwei.hyp");
    ASSERT_TRUE(written.save(store));
    read.load(store);
    EXPECT_EQ(read.paths(), (Paths{"D:\\drei & vier.hyp", "C:\\a\\eins.hyp"}));
}

TEST_F(RecentFilesStore, DamagedValuesAreLeftOut) {
    const uint32_t number = 7;
    const std::string unterminated(SETTINGS_PATH_SIZE, 'x');
    {
        std::unique_ptr<SettingsKey> key = store.create_key_for_writing(RECENT_FILES_KEY);
        ASSERT_TRUE(key);
        key->set_value("File1", ValueType::Sz, "eins.hyp", 9);
        key->set_value("File2", ValueType::Dword, &number, 4);  // wrong type
        key->set_value("File3", ValueType::Sz, "", 1);          // empty
        key->set_value("File4", ValueType::Sz, unterminated.data(), SETTINGS_PATH_SIZE);  // no end
        key->set_value("File5", ValueType::Sz, "EINS.HYP", 9);     // a repeat
        key->set_value("File7", ValueType::Sz, "sieben.hyp", 11);  // after a gap
        key->set_value("File9", ValueType::Sz, "neun.hyp", 9);     // beyond the eight
        ASSERT_TRUE(key->close());
    }
    RecentFiles read;
    read.load(store);
    EXPECT_EQ(read.paths(), (Paths{"eins.hyp", "sieben.hyp"}));
}

TEST(RecentFilesMenu, Texts) {
    struct Case {
        std::size_t index;
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {0, "C:\\HYP\\st-guide.hyp", "&1 C:\\HYP\\st-guide.hyp"},
        {7, "D:\\Q&A.hyp", "&8 D:\\Q&&A.hyp"},
        // 59 characters: the drive, "\...\" and the last parts that fit 48.
        {1, "C:\\Dokumente und Einstellungen\\Atari\\Hypertexte\\tos\\gem.hyp",
         "&2 C:\\...\\Atari\\Hypertexte\\tos\\gem.hyp"},
        // A file name longer than the room: its start and end.
        {2, "C:\\einsehrsehrsehrsehrsehrsehrsehrsehrsehrlangername.hyp",
         "&3 C:\\einsehrsehrsehrsehr...rsehrsehrlangername.hyp"},
    };
    for (const Case& c : cases) EXPECT_EQ(recent_menu_text(c.index, c.path), c.expected) << c.path;
}

}  // namespace

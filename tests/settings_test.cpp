// The settings variables, their value tables, and loading and saving them through a store.
#include "settings/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fixture/settings_pattern.h"
#include "fixture/temp_dir.h"
#include "settings/file_settings_store.h"

namespace {

// --- helpers --------------------------------------------------------------------------------

std::string bytes_of(const ValueDescriptor& value) {
    return std::string(static_cast<const char*>(value.in(settings)), value.size);
}

// Every stored value's bytes, by "key/name"; with the two unstored colour parts.
std::map<std::string, std::string> snapshot() {
    std::map<std::string, std::string> all;
    for (const SettingsKeyTable& key : settings_keys) {
        for (std::size_t i = 0; i < key.count; ++i) {
            all[std::string(key.name) + "/" + key.values[i].name] = bytes_of(key.values[i]);
        }
    }
    all["colour_table"] =
        std::string(reinterpret_cast<const char*>(settings.colour_table), sizeof(settings.colour_table));
    return all;
}

// The settings as the program starts, before any test changes them.
const std::map<std::string, std::string> STARTING_VALUES = snapshot();

void save_all(SettingsStore& store) {
    for (std::size_t key = 0; key < SETTINGS_KEY_COUNT; ++key) {
        EXPECT_TRUE(save_settings_key(store, static_cast<SettingsKeyId>(key)));
    }
}

const ValueDescriptor* find_value(const char* key, const char* name) {
    for (const SettingsKeyTable& k : settings_keys) {
        if (std::strcmp(k.name, key) != 0) continue;
        for (std::size_t i = 0; i < k.count; ++i) {
            if (std::strcmp(k.values[i].name, name) == 0) return &k.values[i];
        }
    }
    return nullptr;
}

// A store in memory that records what it was asked to write.
class MemoryStore : public SettingsStore {
   public:
    struct Value {
        ValueType type;
        std::string data;
    };
    std::map<std::string, std::map<std::string, Value>> keys;
    std::vector<std::string> keys_written;

    std::unique_ptr<SettingsKey> open_key_for_reading(const char* key) override {
        auto it = keys.find(key);
        if (it == keys.end()) return nullptr;
        return std::make_unique<Handle>(it->second);
    }
    std::unique_ptr<SettingsKey> create_key_for_writing(const char* key) override {
        keys_written.push_back(key);
        return std::make_unique<Handle>(keys[key]);
    }

   private:
    class Handle : public SettingsKey {
       public:
        explicit Handle(std::map<std::string, Value>& values) : values_(values) {}
        bool query_value(const char* name, ValueType& type, void* buffer, uint32_t size,
                         uint32_t& length) override {
            auto it = values_.find(name);
            if (it == values_.end() || it->second.data.size() > size) return false;
            std::memcpy(buffer, it->second.data.data(), it->second.data.size());
            type = it->second.type;
            length = static_cast<uint32_t>(it->second.data.size());
            return true;
        }
        bool set_value(const char* name, ValueType type, const void* data, uint32_t size) override {
            values_[name] = {type, std::string(static_cast<const char*>(data), size)};
            return true;
        }
        bool close() override { return true; }

       private:
        std::map<std::string, Value>& values_;
    };
};

class SettingsTest : public ::testing::Test {
   protected:
    void SetUp() override { restore_default_settings(); }
    void TearDown() override { restore_default_settings(); }
};

// Scratch folders of this process, removed when it ends.
const fixture::TempDir scratch_root("settings");

std::string scratch_path(const char* name) {
    std::string dir = scratch_root.file(name);
    std::filesystem::remove_all(dir);
    return dir + "/settings.ini";
}

// --- the tables -----------------------------------------------------------------------------

TEST_F(SettingsTest, KeysAndTheirValuesAreLaidOutAsStored) {
    const char* const key_names[] = {"OptionsDiv", "OptionsOutput", "OptionsFont", "OptionsColor"};
    const std::size_t counts[] = {12, 10, 2, 12};
    for (std::size_t k = 0; k < SETTINGS_KEY_COUNT; ++k) {
        EXPECT_STREQ(settings_keys[k].name, key_names[k]);
        EXPECT_EQ(settings_keys[k].count, counts[k]) << key_names[k];
    }
    // Sizes that other programs and older stores rely on.
    const struct {
        const char* key;
        const char* name;
        ValueType type;
        uint32_t size;
    } layouts[] = {
        {"OptionsDiv", "DefHyp", ValueType::Sz, 512},
        {"OptionsDiv", "Marken", ValueType::Binary, 7128},
        {"OptionsDiv", "WindowPlacement", ValueType::Binary, 44},
        {"OptionsDiv", "CatalogPlacement", ValueType::Binary, 44},
        {"OptionsDiv", "StartUp", ValueType::Dword, 4},
        {"OptionsOutput", "inlink", ValueType::Sz, 2},
        {"OptionsOutput", "outlink", ValueType::Sz, 2},
        {"OptionsFont", "FONT", ValueType::Binary, 60},
        {"OptionsFont", "XFONT", ValueType::Binary, 60},
        {"OptionsColor", "CUST_COL", ValueType::Binary, 64},
        {"OptionsColor", "TXTCOLOR", ValueType::Dword, 4},
    };
    for (const auto& l : layouts) {
        const ValueDescriptor* value = find_value(l.key, l.name);
        ASSERT_NE(value, nullptr) << l.name;
        EXPECT_EQ(value->type, l.type) << l.name;
        EXPECT_EQ(value->size, l.size) << l.name;
    }
    // Names are unique within a key, as the store requires.
    for (const SettingsKeyTable& key : settings_keys) {
        std::set<std::string> names;
        for (std::size_t i = 0; i < key.count; ++i) {
            EXPECT_TRUE(names.insert(key.values[i].name).second) << key.values[i].name;
        }
    }
}

TEST_F(SettingsTest, LinkColoursAreIndexedByEntryType) {
    const struct {
        const char* name;
        unsigned type;
    } colours[] = {
        {"REFCOLOR_INTERNE_SEITE", ENTRY_NODE},
        {"REFCOLOR_POPUP_NODE", ENTRY_PNODE},
        {"REFCOLOR_EXTERNE_REFERENZ", ENTRY_EXTERNAL},
        {"REFCOLOR_SYSTEM_ARGUMENT", ENTRY_SYSTEM},
        {"REFCOLOR_REXX_SCRIPT", ENTRY_REXX_SCRIPT},
        {"REFCOLOR_REXX_KOMMANDO", ENTRY_REXX_COMMAND},
        {"REFCOLOR_QUIT_EINTRAG", ENTRY_QUIT},
        {"TXTCOLOR", COLOUR_TXTCOLOR},
        {"GTXTCOLOR", COLOUR_GTXTCOLOR},
        {"BCKCOLOR", COLOUR_BCKCOLOR},
        {"POPCOLOR", COLOUR_POPCOLOR},
    };
    for (const auto& c : colours) {
        const ValueDescriptor* value = find_value("OptionsColor", c.name);
        ASSERT_NE(value, nullptr) << c.name;
        EXPECT_EQ(value->in(settings), &settings.colour_table[c.type]) << c.name;
    }
    EXPECT_EQ(&settings.TXTCOLOR(), &settings.colour_table[8]);
    EXPECT_EQ(&settings.POPCOLOR(), &settings.colour_table[11]);
    // No stored value lands in the image slot or the picture palette.
    for (std::size_t i = 0; i < settings_keys[KEY_OPTIONS_COLOR].count; ++i) {
        const void* v = settings_keys[KEY_OPTIONS_COLOR].values[i].in(settings);
        EXPECT_NE(v, &settings.colour_table[ENTRY_IMAGE]);
        EXPECT_FALSE(v >= &settings.colour_table[COLOUR_PALETTE] && v < &settings.colour_table[COLOUR_TABLE_SIZE]);
    }
}

// Each stored value names its own field, in whichever object the caller hands over.
TEST_F(SettingsTest, EachValueIsItsNamedFieldOfAnyObject) {
    Settings own;
    const struct {
        const char* key;
        const char* name;
        const void* field;
    } fields[] = {
        {"OptionsDiv", "CatalogPlacement", &own.CatalogPlacement},
        {"OptionsDiv", "DefHyp", own.DefHyp},
        {"OptionsDiv", "expmultispace", &own.expmultispace},
        {"OptionsDiv", "HypPath", own.HypPath},
        {"OptionsDiv", "LastLoadIndex", &own.LastLoadIndex},
        {"OptionsDiv", "LastLoadPath", own.LastLoadPath},
        {"OptionsDiv", "LastLoadZeile", &own.LastLoadZeile},
        {"OptionsDiv", "LastSavePath", own.LastSavePath},
        {"OptionsDiv", "Marken", own.Marken},
        {"OptionsDiv", "scale_bitmaps", &own.scale_bitmaps},
        {"OptionsDiv", "StartUp", &own.StartUp},
        {"OptionsDiv", "WindowPlacement", &own.WindowPlacement},
        {"OptionsOutput", "alllinks_stg", &own.alllinks_stg},
        {"OptionsOutput", "alllinks_txt", &own.alllinks_txt},
        {"OptionsOutput", "char_conv", &own.char_conv},
        {"OptionsOutput", "forceindex", &own.forceindex},
        {"OptionsOutput", "inlink", own.inlink},
        {"OptionsOutput", "linksel_visible", &own.linksel_visible},
        {"OptionsOutput", "outlink", own.outlink},
        {"OptionsOutput", "p_left_margin", &own.p_left_margin},
        {"OptionsOutput", "p_right_margin", &own.p_right_margin},
        {"OptionsOutput", "p_top_margin", &own.p_top_margin},
        {"OptionsFont", "FONT", &own.FONT},
        {"OptionsFont", "XFONT", &own.XFONT},
        {"OptionsColor", "CUST_COL", own.CUST_COL},
        {"OptionsColor", "BCKCOLOR", &own.BCKCOLOR()},
        {"OptionsColor", "REFCOLOR_QUIT_EINTRAG", &own.REFCOLOR_QUIT_EINTRAG()},
    };
    for (const auto& f : fields) {
        const ValueDescriptor* value = find_value(f.key, f.name);
        ASSERT_NE(value, nullptr) << f.name;
        EXPECT_EQ(value->in(own), f.field) << f.name;
    }
}

// Loading and saving an object of one's own leaves the program's settings alone.
TEST_F(SettingsTest, AnObjectOfOnesOwnRoundTripsThroughAStore) {
    Settings written;
    written.char_conv = 3;
    std::strcpy(written.HypPath, "C:\\HYP\\");
    written.Marken[4].in_use = 1;
    written.XFONT.lfHeight = -21;
    written.POPCOLOR() = 0x00102030;
    MemoryStore store;
    for (std::size_t key = 0; key < SETTINGS_KEY_COUNT; ++key) {
        EXPECT_TRUE(save_settings_key(store, static_cast<SettingsKeyId>(key), written));
    }
    Settings read;
    load_settings(store, read);
    EXPECT_EQ(read.char_conv, 3u);
    EXPECT_STREQ(read.HypPath, "C:\\HYP\\");
    EXPECT_EQ(read.Marken[4].in_use, 1);
    EXPECT_EQ(read.XFONT.lfHeight, -21);
    EXPECT_EQ(read.POPCOLOR(), 0x00102030u);
    EXPECT_EQ(snapshot(), STARTING_VALUES) << "the program's settings were neither read nor written";
    EXPECT_EQ(format_settings(read).find("char_conv = 3\n") != std::string::npos, true);
}

// --- defaults -------------------------------------------------------------------------------

TEST_F(SettingsTest, AnEmptyStoreLeavesEveryDefault) {
    MemoryStore empty;
    load_settings(empty);
    EXPECT_EQ(snapshot(), STARTING_VALUES) << "the built-in values and the restored defaults";

    // The defaults mean what the program promises.
    EXPECT_EQ(settings.expmultispace, 1u);
    EXPECT_EQ(settings.StartUp, 0u);
    EXPECT_EQ(settings.WindowPlacement.length, 0u) << "no placement: the window opens at its default size";
    for (const Bookmark& mark : settings.Marken) EXPECT_EQ(mark.in_use, 0);
    EXPECT_STREQ(settings.inlink, "[");
    EXPECT_STREQ(settings.outlink, "]");
    EXPECT_EQ(settings.p_left_margin + settings.p_right_margin + settings.p_top_margin, 600u);
    EXPECT_STREQ(settings.FONT.lfFaceName, "Arial");
    EXPECT_STREQ(settings.XFONT.lfFaceName, "Courier New");
    EXPECT_EQ(settings.FONT.lfHeight, settings.XFONT.lfHeight) << "both fonts have the same height";
    EXPECT_EQ(settings.FONT.lfPitchAndFamily & 3, 2) << "FONT is variable pitch";
    EXPECT_EQ(settings.XFONT.lfPitchAndFamily & 3, 1) << "XFONT is fixed pitch";
    EXPECT_EQ(settings.FONT.lfWeight, 400);
    EXPECT_EQ(settings.TXTCOLOR(), 0x00000000u);
    EXPECT_EQ(settings.BCKCOLOR(), 0x00FFFFFFu);
    EXPECT_EQ(settings.REFCOLOR_INTERNE_SEITE(), 0x00FF0000u) << "links to pages are blue (0x00BBGGRR)";
    EXPECT_EQ(settings.colour_table[ENTRY_IMAGE], 0x000000FFu);
    EXPECT_EQ(std::memcmp(settings.CUST_COL, CUST_COL_DEFAULTS, sizeof(settings.CUST_COL)), 0);
    EXPECT_EQ(std::memcmp(settings.colour_table + COLOUR_PALETTE, CUST_COL_DEFAULTS, sizeof(settings.CUST_COL)), 0);
}

TEST_F(SettingsTest, LoadingResetsOnlyTheCustomColours) {
    // A missing value keeps what the variable holds; the custom colours alone start afresh.
    settings.char_conv = 3;
    std::memset(settings.CUST_COL, 0x55, sizeof(settings.CUST_COL));
    MemoryStore empty;
    load_settings(empty);
    EXPECT_EQ(settings.char_conv, 3u);
    EXPECT_EQ(std::memcmp(settings.CUST_COL, CUST_COL_DEFAULTS, sizeof(settings.CUST_COL)), 0);
}

// --- saving and loading ---------------------------------------------------------------------

TEST_F(SettingsTest, EveryValueRoundTripsByteForByteInEveryStore) {
    MemoryStore memory;
    FileSettingsStore file(scratch_path("round_trip"));
    SettingsStore* stores[] = {&memory, &file};
    for (SettingsStore* store : stores) {
        SCOPED_TRACE(store == &memory ? "memory store" : "file store");
        fixture::fill_settings_randomly(7);
        settings.colour_table[ENTRY_IMAGE] = 0x00123456;
        auto saved = snapshot();
        save_all(*store);
        restore_default_settings();
        settings.colour_table[ENTRY_IMAGE] = 0x00123456;  // not stored: whatever it holds stays
        load_settings(*store);
        auto loaded = snapshot();
        for (const auto& [name, value] : saved) EXPECT_EQ(loaded[name], value) << name;
    }
}

TEST_F(SettingsTest, SavingOneKeyWritesThatKeyAndNothingElse) {
    for (std::size_t k = 0; k < SETTINGS_KEY_COUNT; ++k) {
        const SettingsKeyTable& key = settings_keys[k];
        MemoryStore store;
        EXPECT_TRUE(save_settings_key(store, static_cast<SettingsKeyId>(k)));
        EXPECT_EQ(store.keys_written, std::vector<std::string>{key.name});
        ASSERT_EQ(store.keys.size(), 1u);
        const auto& values = store.keys[key.name];
        EXPECT_EQ(values.size(), key.count) << key.name;
        for (std::size_t i = 0; i < key.count; ++i) {
            const ValueDescriptor& value = key.values[i];
            auto it = values.find(value.name);
            ASSERT_NE(it, values.end()) << value.name;
            EXPECT_EQ(it->second.type, value.type) << value.name;
            // Texts are written with their whole buffer, whatever follows the NUL.
            EXPECT_EQ(it->second.data.size(), value.size) << value.name;
        }
    }
}

TEST_F(SettingsTest, StoredTextsKeepTheirWholeBuffer) {
    MemoryStore store;
    std::strcpy(settings.inlink, "<");
    std::strcpy(settings.HypPath, "C:\\HYP\\");
    settings.HypPath[200] = 'x';  // beyond the NUL: still written
    save_settings_key(store, KEY_OPTIONS_DIV);
    save_settings_key(store, KEY_OPTIONS_OUTPUT);
    EXPECT_EQ(store.keys["OptionsOutput"]["inlink"].data, std::string("<\0", 2));
    const std::string& path = store.keys["OptionsDiv"]["HypPath"].data;
    ASSERT_EQ(path.size(), 512u);
    EXPECT_EQ(path.substr(0, 8), std::string("C:\\HYP\\\0", 8));
    EXPECT_EQ(path[200], 'x');
}

TEST_F(SettingsTest, RefusedValuesKeepTheirDefaults) {
    struct Case {
        const char* name;
        const char* key;
        const char* value;
        ValueType type;
        std::string data;
        bool accepted;
    };
    const uint32_t two = 2;
    const std::string dword_two(reinterpret_cast<const char*>(&two), 4);
    const Case cases[] = {
        {"dword as text", "OptionsOutput", "char_conv", ValueType::Sz, "2", false},
        {"dword too short", "OptionsOutput", "char_conv", ValueType::Dword, "\x02", false},
        {"dword right", "OptionsOutput", "char_conv", ValueType::Dword, dword_two, true},
        {"font too short", "OptionsFont", "FONT", ValueType::Binary, std::string(59, 'A'), false},
        {"font as dword", "OptionsFont", "FONT", ValueType::Dword, std::string(60, 'A'), false},
        {"bookmarks cut", "OptionsDiv", "Marken", ValueType::Binary, std::string(648, 1), false},
        {"text shorter than its buffer", "OptionsDiv", "HypPath", ValueType::Sz, "D:\\", true},
        {"text as binary", "OptionsDiv", "HypPath", ValueType::Binary, "D:\\", false},
    };
    for (const Case& c : cases) {
        restore_default_settings();
        MemoryStore store;
        store.keys[c.key][c.value] = {c.type, c.data};
        load_settings(store);
        const ValueDescriptor* value = find_value(c.key, c.value);
        ASSERT_NE(value, nullptr);
        std::string now = bytes_of(*value);
        std::string expected = STARTING_VALUES.at(std::string(c.key) + "/" + c.value);
        if (c.accepted) {
            expected = c.data;
            expected.resize(value->size, '\0');
        }
        EXPECT_EQ(now, expected) << c.name;
    }
}

TEST_F(SettingsTest, LoadedTextsAlwaysEndWithinTheirBuffer) {
    MemoryStore store;
    store.keys["OptionsOutput"]["inlink"] = {ValueType::Sz, "<<"};  // no room for the NUL
    store.keys["OptionsDiv"]["DefHyp"] = {ValueType::Sz, std::string(512, 'a')};
    load_settings(store);
    EXPECT_STREQ(settings.inlink, "<");
    EXPECT_EQ(std::strlen(settings.DefHyp), 511u);
}

// --- printing -------------------------------------------------------------------------------

TEST_F(SettingsTest, PrintedSettingsAreOneNameAndValuePerLine) {
    std::strcpy(settings.HypPath,
                "C:\\B\xFC"
                "cher\\");  // u umlaut in the Windows set
    settings.char_conv = 1;
    settings.Marken[2].in_use = 1;
    settings.Marken[2].page = 12;
    std::strcpy(settings.Marken[2].path, "C:\\HYP\\TOS.HYP");
    std::strcpy(settings.Marken[2].node_name, "Main");
    std::string text = format_settings();

    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "every line ends";
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    // Every stored value has its line; the bookmarks one each.
    EXPECT_EQ(lines.size(), 12u - 1u + BOOKMARK_COUNT + 10u + 2u + 12u);
    for (const std::string& line : lines) EXPECT_NE(line.find(" = "), std::string::npos) << line;

    const char* const expected[] = {
        u8"HypPath = \"C:\\B\u00FCcher\\\"",
        "char_conv = 1",
        "expmultispace = 1",
        "inlink = \"[\"",
        "TXTCOLOR = 0x00000000",
        "BCKCOLOR = 0x00FFFFFF",
        "Marken.F2 = none",
        "Marken.F4 = page 12, line 0, column 0, \"C:\\HYP\\TOS.HYP\" / \"Main\"",
        "WindowPlacement = none",
        "CatalogPlacement = none",
    };
    for (const char* line : expected) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
    bool font_line = false;
    for (const std::string& line : lines) {
        if (line.rfind("XFONT = \"Courier New\", height -16", 0) == 0) font_line = true;
    }
    EXPECT_TRUE(font_line);
}

// --- the platform store ---------------------------------------------------------------------

TEST_F(SettingsTest, ThisBuildsStoreFollowsTheEnvironment) {
    std::string path = scratch_path("platform");
    const char* before = std::getenv("VELLUMAR_SETTINGS");
    std::string saved_env = before != nullptr ? before : "";
    setenv("VELLUMAR_SETTINGS", path.c_str(), 1);
    EXPECT_EQ(platform_settings_location(), path);

    settings.char_conv = 3;
    EXPECT_TRUE(save_settings_output());
    restore_default_settings();
    load_settings();
    EXPECT_EQ(settings.char_conv, 3u);

    if (before != nullptr) {
        setenv("VELLUMAR_SETTINGS", saved_env.c_str(), 1);
    } else {
        unsetenv("VELLUMAR_SETTINGS");
    }
}

}  // namespace

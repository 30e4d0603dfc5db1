// The settings file: its format, damaged and foreign files, interrupted saves, where it lives.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "fixture/temp_dir.h"
#include "settings/file_settings_store.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

// Scratch folders of this process, removed when it ends.
const fixture::TempDir scratch_root("store");

std::string scratch_dir(const std::string& name) {
    std::string dir = scratch_root.file(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_all(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

struct Stored {
    bool found = false;
    ValueType type = ValueType::Binary;
    std::string data;
};

Stored query(FileSettingsStore& store, const char* key, const char* name, uint32_t size = 8192) {
    Stored result;
    auto handle = store.open_key_for_reading(key);
    if (!handle) return result;
    std::string buffer(size, '\0');
    uint32_t length = 0;
    result.found = handle->query_value(name, result.type, &buffer[0], size, length);
    if (result.found) result.data = buffer.substr(0, length);
    return result;
}

bool write_value(FileSettingsStore& store, const char* key, const char* name, ValueType type,
                 const std::string& data) {
    auto handle = store.create_key_for_writing(key);
    if (!handle) return false;
    bool ok = handle->set_value(name, type, data.data(), static_cast<uint32_t>(data.size()));
    return handle->close() && ok;
}

// A literal with its NUL bytes, without the terminating one.
template <std::size_t N>
std::string literal(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string dword(uint32_t n) {
    return std::string(reinterpret_cast<const char*>(&n), 4);
}

class SettingsStoreTest : public ::testing::Test {
   protected:
    void SetUp() override { restore_default_settings(); }
    void TearDown() override { restore_default_settings(); }
};

// --- the format -----------------------------------------------------------------------------

TEST_F(SettingsStoreTest, EveryValueOfEveryTypeRoundTrips) {
    std::string every_byte;
    for (int b = 0; b < 256; ++b) every_byte += static_cast<char>(b);
    std::string text_with_tail = std::string("C:\\HYP\\") + '\0' + "old tail" + '\xE4';
    const struct {
        const char* name;
        ValueType type;
        std::string data;
        std::string expected;  // texts come back without the padding NULs
    } cases[] = {
        {"dword zero", ValueType::Dword, dword(0), dword(0)},
        {"dword largest", ValueType::Dword, dword(0xFFFFFFFFu), dword(0xFFFFFFFFu)},
        {"binary every byte", ValueType::Binary, every_byte, every_byte},
        {"binary empty", ValueType::Binary, "", ""},
        {"text every byte", ValueType::Sz, every_byte, every_byte},
        {"text with a tail after its NUL", ValueType::Sz, text_with_tail, text_with_tail},
        {"text padded", ValueType::Sz, std::string("ab\0\0\0", 5), "ab"},
        {"text empty", ValueType::Sz, std::string(512, '\0'), ""},
        {"text with quotes and blanks", ValueType::Sz, " \"a\" ", " \"a\" "},
        {"text of escapes", ValueType::Sz, "%41%", "%41%"},
    };
    FileSettingsStore store(scratch_dir("round_trip") + "/settings.ini");
    for (const auto& c : cases) {
        ASSERT_TRUE(write_value(store, "Test", c.name, c.type, c.data)) << c.name;
        Stored back = query(store, "Test", c.name);
        EXPECT_TRUE(back.found) << c.name;
        EXPECT_EQ(back.type, c.type) << c.name;
        EXPECT_EQ(back.data, c.expected) << c.name;
    }
}

TEST_F(SettingsStoreTest, TheFileReadsAsText) {
    std::string path = scratch_dir("readable") + "/settings.ini";
    FileSettingsStore store(path);
    std::strcpy(settings.HypPath,
                "C:\\B\xFC"
                "cher\\");  // u umlaut in the Windows set
    settings.char_conv = 1;
    ASSERT_TRUE(save_settings_key(store, KEY_OPTIONS_DIV));
    ASSERT_TRUE(save_settings_key(store, KEY_OPTIONS_OUTPUT));
    std::string text = read_all(path);
    const char* const lines[] = {
        "\n[OptionsDiv]\n",      u8"\nHypPath = sz \"C:\\B\u00FCcher\\\"\n",
        "\nDefHyp = sz \"\"\n",  "\nexpmultispace = dword 1\n",
        "\n[OptionsOutput]\n",   "\nchar_conv = dword 1\n",
        "\ninlink = sz \"[\"\n", "\nWindowPlacement = binary 0000",
    };
    for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(SettingsStoreTest, SavingAKeyKeepsEverythingElse) {
    std::string path = scratch_dir("keep") + "/settings.ini";
    const std::string before =
        "; written by hand\n"
        "[OptionsDiv]\n"
        "StartUp = dword 2\n"
        "\n"
        "[OptionsFont]\n"
        "FONT = binary 00\n"
        "\n"
        "[Foreign]\n"
        "anything = goes \x01\xFF\r\n";
    write_all(path, before);
    FileSettingsStore store(path);
    ASSERT_TRUE(save_settings_key(store, KEY_OPTIONS_FONT));
    std::string after = read_all(path);
    // Only the font section changed; it stayed where it was.
    std::size_t font = after.find("[OptionsFont]\n");
    std::size_t foreign = after.find("[Foreign]\n");
    ASSERT_NE(font, std::string::npos);
    ASSERT_NE(foreign, std::string::npos);
    EXPECT_EQ(after.substr(0, font), before.substr(0, before.find("[OptionsFont]")));
    EXPECT_EQ(after.substr(foreign), before.substr(before.find("[Foreign]")));
    EXPECT_EQ(after.find("FONT = binary 00\n"), std::string::npos);
    EXPECT_NE(after.find("\nXFONT = binary "), std::string::npos);

    // Into a file without the key, the key is added and the rest stays too.
    ASSERT_TRUE(save_settings_key(store, KEY_OPTIONS_COLOR));
    std::string third = read_all(path);
    EXPECT_EQ(third.substr(0, after.size()), after);
    EXPECT_NE(third.find("\n[OptionsColor]\nBCKCOLOR = dword 16777215\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, NamesMatchIgnoringCaseAndTheLastLineWins) {
    std::string path = scratch_dir("case") + "/settings.ini";
    write_all(path,
              "[optionsoutput]\n"
              "CHAR_CONV = dword 1\n"
              "char_conv = dword 3\n"
              "  P_Left_Margin=dword 150  \r\n");
    FileSettingsStore store(path);
    load_settings(store);
    EXPECT_EQ(settings.char_conv, 3u);
    EXPECT_EQ(settings.p_left_margin, 150u);
}

// --- damaged and foreign files --------------------------------------------------------------

TEST_F(SettingsStoreTest, BadValuesLoadAsDefaults) {
    const struct {
        const char* name;
        const char* line;  // in [OptionsOutput] or [OptionsFont]
        const char* value;
    } cases[] = {
        {"dword as text", "char_conv = sz \"3\"", "char_conv"},
        {"negative", "p_left_margin = dword -5", "p_left_margin"},
        {"too large", "p_left_margin = dword 4294967296", "p_left_margin"},
        {"trailing letters", "p_left_margin = dword 12abc", "p_left_margin"},
        {"hex dword", "p_left_margin = dword 0x10", "p_left_margin"},
        {"no number", "p_left_margin = dword", "p_left_margin"},
        {"unknown type", "p_left_margin = qword 5", "p_left_margin"},
        {"text too long", "inlink = sz \"<<<\"", "inlink"},
        {"text without quotes", "inlink = sz <", "inlink"},
        {"text half quoted", "inlink = sz \"<", "inlink"},
        {"broken escape", "inlink = sz \"%4\"", "inlink"},
        {"escape not hex", "inlink = sz \"%zz\"", "inlink"},
        {"not UTF-8", "inlink = sz \"\xFC\"", "inlink"},
        {"not in the Windows set", "inlink = sz \"\xE2\x86\x92\"", "inlink"},
        {"font too short", "FONT = binary 00112233", "FONT"},
        {"font odd hex", "FONT = binary 0", "FONT"},
        {"font not hex", "FONT = binary zz", "FONT"},
        {"font too long", nullptr, "FONT"},
    };
    std::string dir = scratch_dir("bad_values");
    for (const auto& c : cases) {
        std::string line = c.line != nullptr ? c.line : "FONT = binary " + std::string(122, '0');
        std::string path = dir + "/settings.ini";
        write_all(path, "[OptionsOutput]\n[OptionsFont]\n" + line + "\n[OptionsOutput]\n" + line +
                            "\np_right_margin = dword 7\n");
        restore_default_settings();
        FileSettingsStore store(path);
        load_settings(store);
        EXPECT_EQ(settings.char_conv, 0u) << c.name;
        EXPECT_STREQ(settings.inlink, "[") << c.name;
        EXPECT_EQ(settings.p_left_margin, 200u) << c.name;
        EXPECT_STREQ(settings.FONT.lfFaceName, "Arial") << c.name;
        EXPECT_EQ(settings.p_right_margin, 7u) << c.name << ": a good value beside the bad one loads";
    }
}

TEST_F(SettingsStoreTest, GarbageNeverBreaksLoading) {
    const struct {
        const char* name;
        std::string content;
    } files[] = {
        {"empty", ""},
        {"binary garbage", literal("\x00\xFF[\x01]=\n\x7F\x80[OptionsOutput\n=\n")},
        {"values outside any section", "char_conv = dword 3\n"},
        {"section never closed", "[OptionsOutput\nchar_conv = dword 3\n"},
        {"empty names", "[]\n = dword 3\n[OptionsOutput]\n=dword 3\n"},
        {"only comments", "# char_conv = dword 3\n; [OptionsOutput]\n"},
        {"NUL bytes in a value", literal("[OptionsOutput]\nchar_conv = dword 3\0\n")},
    };
    std::string dir = scratch_dir("garbage");
    for (const auto& f : files) {
        std::string path = dir + "/settings.ini";
        write_all(path, f.content);
        restore_default_settings();
        FileSettingsStore store(path);
        load_settings(store);
        EXPECT_EQ(settings.char_conv, 0u) << f.name;
        // And the store can still be written; what it did not understand stays.
        EXPECT_TRUE(save_settings_key(store, KEY_OPTIONS_OUTPUT)) << f.name;
        std::string after = read_all(path);
        EXPECT_NE(after.find("[OptionsOutput]\nalllinks_stg = dword 0\n"), std::string::npos)
            << f.name;
    }
}

TEST_F(SettingsStoreTest, AFileCutAnywhereLoadsEachValueWholeOrNotAtAll) {
    std::string dir = scratch_dir("cut");
    std::string path = dir + "/settings.ini";
    FileSettingsStore store(path);
    // Values unlike their defaults, so that each loaded value shows where it came from.
    settings.char_conv = 3;
    std::strcpy(settings.inlink, "<");
    settings.p_top_margin = 123456;
    std::strcpy(settings.FONT.lfFaceName, "Verdana");
    settings.TXTCOLOR() = 0x00123456;
    std::strcpy(settings.LastLoadPath, "C:\\HYP\\TOS.HYP");
    settings.Marken[10].in_use = 1;
    for (std::size_t k = 0; k < SETTINGS_KEY_COUNT; ++k) {
        ASSERT_TRUE(save_settings_key(store, static_cast<SettingsKeyId>(k)));
    }
    const std::string whole = read_all(path);

    for (std::size_t cut = 0; cut <= whole.size(); cut += (cut < 300 ? 1 : 61)) {
        write_all(path, whole.substr(0, cut));
        restore_default_settings();
        load_settings(store);
        SCOPED_TRACE("cut at " + std::to_string(cut));
        EXPECT_TRUE(settings.char_conv == 0 || settings.char_conv == 3);
        EXPECT_TRUE(std::strcmp(settings.inlink, "[") == 0 || std::strcmp(settings.inlink, "<") == 0);
        // A cut number is a different number: it may load, but it is never torn out of the
        // middle of a line that goes on.
        EXPECT_TRUE(std::strcmp(settings.FONT.lfFaceName, "Arial") == 0 ||
                    std::strcmp(settings.FONT.lfFaceName, "Verdana") == 0);
        EXPECT_TRUE(settings.TXTCOLOR() == 0 || settings.TXTCOLOR() == 0x00123456 ||
                    std::to_string(0x00123456).rfind(std::to_string(settings.TXTCOLOR()), 0) == 0);
        EXPECT_TRUE(settings.LastLoadPath[0] == '\0' || std::strcmp(settings.LastLoadPath, "C:\\HYP\\TOS.HYP") == 0);
        EXPECT_TRUE(settings.Marken[10].in_use == 0 || settings.Marken[10].in_use == 1);
    }
}

TEST_F(SettingsStoreTest, UnreadablePlacesLoadAsDefaults) {
    std::string dir = scratch_dir("unreadable");
    fs::create_directories(dir + "/is_a_directory");
    const struct {
        const char* name;
        std::string path;
        bool saves;
    } places[] = {
        {"missing file", dir + "/missing.ini", true},
        {"missing directories", dir + "/a/b/settings.ini", true},
        {"a directory", dir + "/is_a_directory", false},
        {"below a file", dir + "/file.ini/settings.ini", false},
        {"no path", "", false},
    };
    write_all(dir + "/file.ini", "[OptionsOutput]\nchar_conv = dword 1\n");
    for (const auto& p : places) {
        restore_default_settings();
        FileSettingsStore store(p.path);
        load_settings(store);
        EXPECT_EQ(settings.char_conv, 0u) << p.name;
        settings.char_conv = 2;
        EXPECT_EQ(save_settings_key(store, KEY_OPTIONS_OUTPUT), p.saves) << p.name;
        if (!p.saves) continue;
        restore_default_settings();
        load_settings(store);
        EXPECT_EQ(settings.char_conv, 2u) << p.name;
    }
    EXPECT_EQ(read_all(dir + "/file.ini"), "[OptionsOutput]\nchar_conv = dword 1\n");
}

TEST_F(SettingsStoreTest, AnOversizedFileIsNeitherReadNorReplaced) {
    std::string path = scratch_dir("oversized") + "/settings.ini";
    std::string big =
        "[OptionsOutput]\nchar_conv = dword 1\n" + std::string(SETTINGS_FILE_LIMIT, '#') + "\n";
    write_all(path, big);
    FileSettingsStore store(path);
    load_settings(store);
    EXPECT_EQ(settings.char_conv, 0u);
    EXPECT_FALSE(save_settings_key(store, KEY_OPTIONS_OUTPUT));
    EXPECT_EQ(fs::file_size(path), big.size());
}

// --- interrupted saves ----------------------------------------------------------------------

// Saves the output options with files limited to `bytes`: the system ends the process when the
// new file would grow beyond.
void save_with_file_limit(const std::string& path, rlim_t bytes) {
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
    FileSettingsStore store(path);
    settings.char_conv = 3;
    save_settings_key(store, KEY_OPTIONS_OUTPUT);
}

TEST_F(SettingsStoreTest, ACrashDuringASaveLeavesTheOldFileWhole) {
    std::string dir = scratch_dir("crash");
    std::string path = dir + "/settings.ini";
    {
        FileSettingsStore store(path);
        settings.char_conv = 1;
        ASSERT_TRUE(save_settings_key(store, KEY_OPTIONS_OUTPUT));
    }
    const std::string old_file = read_all(path);
    // The dying save runs in a fork of this process, on the same file. The system kills it
    // (SIGXFSZ) when the new file would grow past `written` bytes: it dies in mid-write.
    ::testing::FLAGS_gtest_death_test_style = "fast";
    ASSERT_GT(old_file.size(), 20u);
    for (rlim_t written : {rlim_t{0}, rlim_t{10}, rlim_t{old_file.size() / 2}}) {
        EXPECT_DEATH(save_with_file_limit(path, written), "") << written;
        EXPECT_EQ(read_all(path), old_file) << "after dying with " << written << " bytes out";
    }
    // The old settings load, and the next save works despite the half-written leftovers.
    FileSettingsStore store(path);
    restore_default_settings();
    load_settings(store);
    EXPECT_EQ(settings.char_conv, 1u);
    settings.char_conv = 2;
    EXPECT_TRUE(save_settings_key(store, KEY_OPTIONS_OUTPUT));
    restore_default_settings();
    load_settings(store);
    EXPECT_EQ(settings.char_conv, 2u);
}

// --- where the file lives -------------------------------------------------------------------

class Environment {
   public:
    explicit Environment(const char* name) : name_(name) {
        const char* value = std::getenv(name);
        had_ = value != nullptr;
        if (had_) old_ = value;
    }
    ~Environment() {
        if (had_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    void set(const char* value) {
        if (value != nullptr) {
            setenv(name_, value, 1);
        } else {
            unsetenv(name_);
        }
    }

   private:
    const char* name_;
    bool had_;
    std::string old_;
};

TEST(SettingsFilePath, ChosenFromTheEnvironment) {
    Environment settings("VELLUMAR_SETTINGS"), config("XDG_CONFIG_HOME"), home("HOME");
    const struct {
        const char* name;
        const char *settings, *config, *home;
        std::string expected;
    } cases[] = {
        {"explicit file", "/tmp/x.ini", "/cfg", "/home/u", "/tmp/x.ini"},
        {"XDG folder", nullptr, "/cfg", "/home/u", "/cfg/vellumar/settings.ini"},
        {"empty override", "", "/cfg", "/home/u", "/cfg/vellumar/settings.ini"},
        {"relative XDG folder", nullptr, "cfg", "/home/u", "/home/u/.config/vellumar/settings.ini"},
        {"home only", nullptr, nullptr, "/home/u", "/home/u/.config/vellumar/settings.ini"},
        {"nothing", nullptr, nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        settings.set(c.settings);
        config.set(c.config);
        home.set(c.home);
        EXPECT_EQ(default_settings_file_path(), c.expected) << c.name;
    }
}

}  // namespace

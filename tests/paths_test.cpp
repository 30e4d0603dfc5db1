// Path helpers with both separators, and the file test that ignores letter case on POSIX.
#include "hyp/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "fixture/hyp_builder.h"

namespace {

TEST(Paths, Parts) {
    const struct {
        const char* path;
        const char* file;
        const char* directory;
        const char* base;
    } cases[] = {
        {"C:\\dir.x\\file", "file", "C:\\dir.x\\", "file"},
        {"C:\\dir\\file.hyp", "file.hyp", "C:\\dir\\", "file"},
        {"file.hyp", "file.hyp", "", "file"},
        {"/home/u/guide.HYP", "guide.HYP", "/home/u/", "guide"},
        {"/home/u.v/guide", "guide", "/home/u.v/", "guide"},
        {"mixed\\dir/sub\\a.b.c", "a.b.c", "mixed\\dir/sub\\", "a.b"},
        {"dir/", "", "dir/", ""},
        {"\\", "", "\\", ""},
        {"", "", "", ""},
        {".hidden", ".hidden", "", ""},
        {"C:file.hyp", "C:file.hyp", "", "C:file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(path_file_name(c.path), c.file) << c.path;
        EXPECT_EQ(path_directory(c.path), c.directory) << c.path;
        EXPECT_EQ(path_base_name(c.path), c.base) << c.path;
    }
}

TEST(Paths, FindExistingFile) {
    const std::string dir = fixture::make_temp_directory("paths");
    ASSERT_EQ(mkdir((dir + "Sub").c_str(), 0700), 0);
    ASSERT_TRUE(fixture::write_file(dir + "Sub/Guide.Hyp", {1}));
    ASSERT_TRUE(fixture::write_file(dir + "plain.hyp", {1}));
    const struct {
        std::string asked;
        std::optional<std::string> found;
    } cases[] = {
        {dir + "plain.hyp", dir + "plain.hyp"},
        {dir + "Sub/Guide.Hyp", dir + "Sub/Guide.Hyp"},
        {dir + "Sub", std::nullopt},  // a directory is no file
        {dir + "absent.hyp", std::nullopt},
        {"", std::nullopt},
#ifndef _WIN32
        {dir + "PLAIN.HYP", dir + "plain.hyp"},
        {dir + "sub/guide.hyp", dir + "Sub/Guide.Hyp"},
        {dir + "SUB\\GUIDE.HYP", dir + "Sub/Guide.Hyp"},
        {dir + "sub/./GUIDE.hyp", dir + "Sub/./Guide.Hyp"},
        {dir + "Sub/../PLAIN.hyp", dir + "Sub/../plain.hyp"},
        {dir + "plain.hyp/x", std::nullopt},
        {dir + "sub", std::nullopt},
#endif
    };
    for (const auto& c : cases) {
        EXPECT_EQ(find_existing_file(c.asked), c.found) << c.asked;
    }
    fixture::remove_directory(dir);
}

}  // namespace

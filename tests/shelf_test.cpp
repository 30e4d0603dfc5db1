// Search through all hypertexts: which files, in which order, what is skipped, and the rows.
#include "app/shelf.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/search.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/temp_dir.h"
#include "hyp/document.h"
#include "hyp/paths.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

constexpr uint8_t kOsAtari = 0;
constexpr uint8_t kOsMac = 3;

// A hypertext of pages named "<name>1", "<name>2"... with the given lines each.
std::vector<uint8_t> hypertext(uint8_t os, const std::string& name,
                               const std::vector<std::vector<std::string>>& pages) {
    fixture::HypBuilder builder;
    builder.os(os);
    for (size_t i = 0; i < pages.size(); ++i) {
        builder.node(name + std::to_string(i + 1), fixture::text_page(pages[i]));
    }
    std::vector<uint8_t> file = builder.build();
    EXPECT_FALSE(file.empty()) << builder.error();
    return file;
}

class ShelfTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        document.page_cache = PageCache{};
    }
    void TearDown() override { close_hypertext(document); }

    void open(const std::string& path) {
        close_hypertext(document);
        int32_t current = -1;
        ASSERT_TRUE(succeeded(open_hypertext(document, path, std::nullopt, -1, current)));
    }
};

TEST_F(ShelfTest, FolderAndHypPathMergedEachFileOnceOpenFileFirst) {
    const fixture::TempDir here("shelf-here");
    const fixture::TempDir there("shelf-there");
    const std::vector<uint8_t> any = hypertext(kOsAtari, "S", {{"x"}});
    for (const char* name : {"d.hyp", "b.hyp", "A.HYP", "c.Hyp", "notes.txt", "d.ref", ".hyp"}) {
        here.write(name, any);
    }
    ASSERT_EQ(mkdir(here.file("sub.hyp").c_str(), 0700), 0);  // a folder, not a file
    for (const char* name : {"a.hyp", "e.hyp", "B.hyp"}) there.write(name, any);
    const std::string h = here.file(""), t = there.file("");

    struct Case {
        const char* name;
        std::string open_path, hyp_path;
        std::vector<std::string> files;
    };
    const std::vector<std::string> only_here{h + "d.hyp", h + "A.HYP", h + "b.hyp", h + "c.Hyp"};
    const Case cases[] = {
        {"no HypPath: the open file's folder", h + "d.hyp", "", only_here},
        {"HypPath's folder merged by name, the open file's folder first among equal names",
         h + "d.hyp",
         t,
         {h + "d.hyp", h + "A.HYP", t + "a.hyp", h + "b.hyp", t + "B.hyp", h + "c.Hyp",
          t + "e.hyp"}},
        {"HypPath naming the same folder once more", h + "d.hyp", h + "/", only_here},
        {"a HypPath without its separator stands for its folder", h + "d.hyp", h + "irgendwas",
         only_here},
        {"the open file written in other letters is the same file",
         h + "D.HYP",
         "",
         {h + "D.HYP", h + "A.HYP", h + "b.hyp", h + "c.Hyp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(shelf_files(c.open_path, c.hyp_path), c.files);
    }
}

// The open document is searched as it is, the others opened one at a time; a text file named
// .hyp, a damaged hypertext and a file gone are counted, not searched. Rows keep each file's
// character set (ü: Atari 0x81, Macintosh 0x9F; Windows 0xFC).
TEST_F(ShelfTest, ListsFindsOfEveryReadableFileAndCountsTheOthers) {
    const fixture::TempDir dir("shelf-list");
    const std::string open_path = dir.write(
        "a.hyp", hypertext(kOsAtari, "A", {{"keine"}, {"erste Nadel f\x81r dich", "Nadel"}}));
    const std::string mac =
        dir.write("m.hyp", hypertext(kOsMac, "M", {{"Nadel f\x9Fr Mac\tmit Tab"}}));
    const std::string text = dir.write("t.hyp", fixture::bytes_of("Nadel, aber kein Hypertext"));
    const std::string broken =
        dir.write("x.hyp", fixture::truncated(hypertext(kOsAtari, "X", {{"Nadel"}}), 24));
    open(open_path);
    if (HasFatalFailure()) return;
    const std::vector<std::string> paths{open_path, mac, text, broken, dir.file("weg.hyp")};

    struct Case {
        const char* name;
        size_t limit;
        int stop_after;  // go-on checks answered yes before Esc; -1: never
        std::vector<std::string> rows;
        std::string note;
    };
    const Case cases[] = {
        {"every file",
         10,
         -1,
         {"a.hyp\tA2\t1\terste Nadel f\xFCr dich", "a.hyp\tA2\t2\tNadel",
          "m.hyp\tM1\t1\tNadel f\xFCr Mac mit Tab"},
         "3 Zeilen mit \"nadel\"; 3 Dateien übersprungen"},
        {"the limit across files",
         2,
         -1,
         {"a.hyp\tA2\t1\terste Nadel f\xFCr dich", "a.hyp\tA2\t2\tNadel"},
         "Mehr als 2 Zeilen mit \"nadel\"; gezeigt werden die ersten 2."},
        // Checks: before file 1, its pages 1 and 2, before file 2: Esc there.
        {"ended by Esc between files",
         10,
         3,
         {"a.hyp\tA2\t1\terste Nadel f\xFCr dich", "a.hyp\tA2\t2\tNadel"},
         "2 Zeilen mit \"nadel\"; Suche abgebrochen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int checks = 0;
        const SearchGoOn go_on = [&] { return c.stop_after < 0 || checks++ < c.stop_after; };
        const SearchList list =
            list_matches_in_files(document, paths, "nadel", false, c.limit, go_on);
        std::vector<std::string> rows;
        for (const SearchListRow& row : list.rows) rows.push_back(search_list_row_text(list, row));
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(search_list_note("nadel", list), c.note);
        // The open document was not replaced, and its page cache speaks of one of its pages.
        EXPECT_EQ(document.path, open_path);
        EXPECT_LT(document.page_cache.last_page, document.index.size());
    }
    // The one-file list keeps its columns: page, line, text.
    SearchPattern pattern;
    ASSERT_TRUE(pattern.prepare("nadel", document.source_charset, false));
    const SearchList one = list_matches(document, pattern);
    ASSERT_FALSE(one.rows.empty());
    EXPECT_EQ(search_list_row_text(one, one.rows[0]), "A2\t1\terste Nadel f\xFCr dich");
}

// "Weitersuchen" through the files: on from the place in the open file, over files without the
// text or unreadable, round to the list's start, and back to the place itself when it is the
// only find.
TEST_F(ShelfTest, NextFindGoesOnIntoTheFollowingFiles) {
    const fixture::TempDir dir("shelf-next");
    const std::string a = dir.write("a.hyp", hypertext(kOsAtari, "A", {{"Nadel"}, {"leer"}}));
    const std::string b = dir.write("b.hyp", hypertext(kOsAtari, "B", {{"nichts"}}));
    const std::string c = dir.write("c.hyp", hypertext(kOsAtari, "C", {{"leer"}, {"x Nadel"}}));
    const std::string gone = dir.file("weg.hyp");
    using Find = std::tuple<std::string, int, int, int>;  // file, page, line, first column
    struct Case {
        const char* name;
        std::string open_path;
        std::vector<std::string> paths;
        SearchPlace from;
        Find find;
    };
    const Case cases[] = {
        {"from the top of the shown page: the open file's own find",
         a,
         {a, b, gone, c},
         {0, -1, 0},
         {a, 0, 0, 0}},
        {"after it: over b and a file gone into c", a, {a, b, gone, c}, {0, 0, 0}, {c, 1, 0, 2}},
        {"from the last file round to the first", c, {a, b, gone, c}, {1, 0, 2}, {a, 0, 0, 0}},
        {"the only find is found again", a, {a, b}, {0, 0, 0}, {a, 0, 0, 0}},
        {"an open file not in the list: the whole list follows",
         b,
         {c, a},
         {0, -1, 0},
         {c, 1, 0, 2}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        open(k.open_path);
        if (HasFatalFailure()) return;
        const FileFind next = find_next_in_files(document, k.paths, k.from, "NADEL", false);
        ASSERT_TRUE(next.found);
        EXPECT_EQ(Find(next.path, next.match.page, next.match.line, next.match.first_column),
                  k.find);
        EXPECT_EQ(next.line_text, std::get<0>(k.find) == a ? "Nadel" : "x Nadel");
    }
}

// Real hypertexts: a phrase of each of three files, taken from its source, is listed in that
// file and in the page the source puts it in (led-en.stg, gemma.stg, ramdisk.stg; the last in
// German with an umlaut).
TEST_F(ShelfTest, CorpusPhrasesAreFoundInTheirFileAndPage) {
    const std::string corpus = VELLUMAR_CORPUS_DIR;
    struct stat info;
    if (stat((corpus + "/tos-en.hyp").c_str(), &info) != 0) GTEST_SKIP() << "corpus missing";
    open(corpus + "/tos-en.hyp");
    if (HasFatalFailure()) return;
    const std::vector<std::string> paths = shelf_files(document.path, "");
    EXPECT_EQ(paths.size(), 15u);
    struct Case {
        const char* typed;  // Windows set
        const char* file;
        const char* page;
        uint32_t line;  // from 0
    };
    const Case cases[] = {
        {"only 3000 lines in any message", "led-en.hyp", "LEDLIGHT", 9},
        {"AESes it is ignored", "gemma.hyp", "Emulation", 46},
        {"externes Filesystem f\xFCr MagiC", "ramdisk.hyp", "Was ist das Ramdisk-XFS?", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const SearchList list = list_matches_in_files(document, paths, c.typed, false);
        EXPECT_EQ(list.skipped, 0u);
        bool found = false;
        for (const SearchListRow& row : list.rows) {
            found = found || (path_file_name(list.files[row.file].path) == c.file &&
                              row.page_name == c.page && row.match.line == c.line);
        }
        EXPECT_TRUE(found);
    }
}

}  // namespace

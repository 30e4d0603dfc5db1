// The catalogue of a shelf: one listing row per hypertext, keywords read once per file and again
// only when its size or write time changed, a list that fills file by file.
#include "app/catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <functional>
#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/temp_dir.h"

namespace {

fixture::HypBuilder book(const std::vector<std::string>& pages, const char* database) {
    fixture::HypBuilder b;
    if (database) b.ext_text(fixture::ext::kDatabase, database);
    // Stored as they are: two books with names of one length have files of one size.
    for (const std::string& name : pages) {
        b.node(name, fixture::text_page({"text " + name}), fixture::Storage::Raw);
    }
    b.popup("Popup", fixture::text_page({"not a page"}));
    return b;
}

void set_write_time(const std::string& path, time_t when) {
    struct utimbuf times {};
    times.actime = when;
    times.modtime = when;
    ASSERT_EQ(utime(path.c_str(), &times), 0) << path;
}

size_t size_of(const std::vector<uint8_t>& bytes) {
    return bytes.size();
}

TEST(Catalogue, ShelfListsReadableHypertexts) {
    fixture::TempDir dir("cat");
    const std::vector<uint8_t> a = book({"One", "Two", "Three"}, "Das Buch A").build();
    const std::vector<uint8_t> b = book({"Single"}, nullptr).build();
    const std::vector<std::string> paths = {dir.write("a.hyp", a),
                                            dir.write("notes.hyp", fixture::bytes_of("plain text")),
                                            dir.write("b.hyp", b)};
    Catalogue catalogue;
    catalogue.build(paths);

    struct Row {
        std::string title, file_name;
        uint32_t pages;
        uint64_t size;
    };
    const std::vector<Row> expected = {
        {"Das Buch A", "a.hyp", 3, size_of(a)},
        {"b.hyp", "b.hyp", 1, size_of(b)},  // no @database: the file name
    };
    const std::vector<ShelfEntry> shelf = catalogue.shelf();
    ASSERT_EQ(shelf.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(shelf[i].title, expected[i].title) << i;
        EXPECT_EQ(shelf[i].file_name, expected[i].file_name) << i;
        EXPECT_EQ(shelf[i].page_count, expected[i].pages) << i;
        EXPECT_EQ(shelf[i].size, expected[i].size) << i;
    }
    // The text file is kept with its reason, and gives no rows.
    ASSERT_EQ(catalogue.files().size(), 3u);
    EXPECT_FALSE(catalogue.files()[1]->readable);
    EXPECT_NE(catalogue.files()[1]->failure.message.find("Keine HYP-Datei"), std::string::npos)
        << catalogue.files()[1]->failure.message;
    EXPECT_EQ(catalogue.rows().size(), 4u);  // One, Two, Three, Single
}

TEST(Catalogue, ReadsAgainOnlyWhatChanged) {
    fixture::TempDir dir("catr");
    const std::string a = dir.write("a.hyp", book({"Alpha"}, nullptr).build());
    const std::string b = dir.write("b.hyp", book({"Beta"}, nullptr).build());
    const std::string c = dir.write("c.hyp", book({"Gamma"}, nullptr).build());
    for (const std::string& path : {a, b, c}) set_write_time(path, 1000000000);

    Catalogue catalogue;
    const auto texts = [&] {
        std::vector<std::string> out;
        for (const CatalogueRow& row : catalogue.rows()) out.push_back(catalogue.keyword(row).text);
        return out;
    };
    struct Step {
        const char* name;
        std::function<void()> change;
        std::vector<std::string> shelf;
        size_t reads;  // files read by this build
        std::vector<std::string> keywords;
    };
    const Step steps[] = {
        {"first build reads all", [] {}, {a, b, c}, 3, {"Alpha", "Beta", "Gamma"}},
        {"unchanged: nothing read", [] {}, {a, b, c}, 0, {"Alpha", "Beta", "Gamma"}},
        {"a longer file",
         [&] {
             fixture::write_file(b, book({"Beta", "Delta"}, nullptr).build());
             set_write_time(b, 1000000000);
         },
         {a, b, c},
         1,
         {"Alpha", "Beta", "Delta", "Gamma"}},
        {"same size, other time",
         [&] {
             fixture::write_file(c, book({"Gimel"}, nullptr).build());
             set_write_time(c, 1000000100);
         },
         {a, b, c},
         1,
         {"Alpha", "Beta", "Delta", "Gimel"}},
        {"a file leaves the shelf", [] {}, {a, c}, 0, {"Alpha", "Gimel"}},
        {"and comes back", [] {}, {a, b, c}, 1, {"Alpha", "Beta", "Delta", "Gimel"}},
    };
    for (const Step& s : steps) {
        s.change();
        const size_t before = catalogue.files_read();
        catalogue.build(s.shelf);
        EXPECT_EQ(catalogue.files_read() - before, s.reads) << s.name;
        EXPECT_EQ(texts(), s.keywords) << s.name;
        EXPECT_EQ(catalogue.files().size(), s.shelf.size()) << s.name;
    }
}

TEST(Catalogue, FillsFileByFile) {
    fixture::TempDir dir("catf");
    const std::vector<std::string> paths = {
        dir.write("a.hyp", book({"Zeta", "Eta"}, nullptr).build()),
        dir.write("b.hyp", book({"Theta"}, nullptr).build()),
        dir.write("c.hyp", book({"Alpha", "Iota", "Kappa"}, nullptr).build())};
    Catalogue catalogue;
    std::vector<size_t> rows_seen;
    uint64_t generation = catalogue.generation();
    catalogue.build(paths, [&](const Catalogue& c) {
        rows_seen.push_back(c.rows().size());
        EXPECT_NE(c.generation(), generation) << "rows changed without a new generation";
        generation = c.generation();
    });
    EXPECT_EQ(rows_seen, (std::vector<size_t>{2, 3, 6}));
    EXPECT_TRUE(catalogue.complete());
    // Complete: in order across the files.
    std::vector<std::string> texts;
    for (const CatalogueRow& row : catalogue.rows()) texts.push_back(catalogue.keyword(row).text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Alpha", "Eta", "Iota", "Kappa", "Theta", "Zeta"}));
}

}  // namespace

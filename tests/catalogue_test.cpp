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

fixture::HypBuilder book(const std::vector<std::string>& pages, const char* database = nullptr) {
    fixture::HypBuilder b;
    if (database) b.ext_text(fixture::ext::kDatabase, database);
    // Stored as they are: two books with names of one length have files of one size.
    for (const std::string& name : pages) {
        b.node(name, fixture::text_page({"text " + name}), fixture::Storage::Raw);
    }
    b.popup("Popup", fixture::text_page({"not a page"}));
    return b;
}

void write_book(const std::string& path, const std::vector<std::string>& pages, time_t when) {
    ASSERT_TRUE(fixture::write_file(path, book(pages).build())) << path;
    struct utimbuf times {};
    times.actime = when;
    times.modtime = when;
    ASSERT_EQ(utime(path.c_str(), &times), 0) << path;
}

std::vector<std::string> keyword_texts(const Catalogue& catalogue) {
    std::vector<std::string> out;
    for (const CatalogueRow& row : catalogue.rows()) out.push_back(catalogue.keyword(row).text);
    return out;
}

TEST(Catalogue, ShelfListsReadableHypertexts) {
    fixture::TempDir dir("cat");
    const std::vector<uint8_t> a = book({"One", "Two", "Three"}, "Das Buch A").build();
    const std::vector<uint8_t> b = book({"Single"}).build();
    Catalogue catalogue;
    catalogue.build({dir.write("a.hyp", a), dir.write("notes.hyp", fixture::bytes_of("plain text")),
                     dir.write("b.hyp", b)});

    // Title | file name | pages | size in bytes; without @database the title is the file name.
    std::vector<std::string> shelf;
    for (const ShelfEntry& e : catalogue.shelf()) {
        shelf.push_back(e.title + "|" + e.file_name + "|" + std::to_string(e.page_count) + "|" +
                        std::to_string(e.size));
    }
    EXPECT_EQ(shelf, (std::vector<std::string>{"Das Buch A|a.hyp|3|" + std::to_string(a.size()),
                                               "b.hyp|b.hyp|1|" + std::to_string(b.size())}));
    // The text file is kept with its reason, and gives no rows.
    ASSERT_EQ(catalogue.files().size(), 3u);
    EXPECT_FALSE(catalogue.files()[1]->readable);
    EXPECT_NE(catalogue.files()[1]->failure.message.find("Keine HYP-Datei"), std::string::npos)
        << catalogue.files()[1]->failure.message;
    EXPECT_EQ(keyword_texts(catalogue),
              (std::vector<std::string>{"One", "Single", "Three", "Two"}));
}

TEST(Catalogue, ReadsAgainOnlyWhatChangedAndFillsFileByFile) {
    fixture::TempDir dir("catr");
    const std::string a = dir.file("a.hyp"), b = dir.file("b.hyp"), c = dir.file("c.hyp");
    write_book(a, {"Zeta", "Eta"}, 1000000000);
    write_book(b, {"Theta"}, 1000000000);
    write_book(c, {"Alpha", "Iota", "Kappa"}, 1000000000);

    struct Step {
        const char* name;
        std::function<void()> change;
        std::vector<std::string> shelf;
        size_t reads;                // files read by this build
        std::vector<size_t> filling;  // rows after each file read; kept files' rows come at once
        std::vector<std::string> keywords;
    };
    const Step steps[] = {
        {"first build reads all", [] {}, {a, b, c}, 3, {2, 3, 6},
         {"Alpha", "Eta", "Iota", "Kappa", "Theta", "Zeta"}},
        {"unchanged: nothing read", [] {}, {a, b, c}, 0, {},
         {"Alpha", "Eta", "Iota", "Kappa", "Theta", "Zeta"}},
        {"a longer file", [&] { write_book(b, {"Theta", "Delta"}, 1000000000); }, {a, b, c}, 1,
         {7}, {"Alpha", "Delta", "Eta", "Iota", "Kappa", "Theta", "Zeta"}},
        {"same size, other time",
         [&] { write_book(c, {"Gamma", "Iota", "Kappa"}, 1000000100); }, {a, b, c}, 1,
         {7}, {"Delta", "Eta", "Gamma", "Iota", "Kappa", "Theta", "Zeta"}},
        {"a file leaves the shelf", [] {}, {a, c}, 0, {},
         {"Eta", "Gamma", "Iota", "Kappa", "Zeta"}},
        {"and comes back", [] {}, {a, b, c}, 1, {7},
         {"Delta", "Eta", "Gamma", "Iota", "Kappa", "Theta", "Zeta"}},
    };
    Catalogue catalogue;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.change();
        const size_t before = catalogue.files_read();
        std::vector<size_t> filling;
        uint64_t generation = catalogue.generation();
        catalogue.build(s.shelf, [&](const Catalogue& now) {
            filling.push_back(now.rows().size());
            EXPECT_NE(now.generation(), generation) << "rows changed without a new generation";
            generation = now.generation();
        });
        EXPECT_EQ(catalogue.files_read() - before, s.reads);
        EXPECT_EQ(filling, s.filling);
        EXPECT_EQ(keyword_texts(catalogue), s.keywords);
        EXPECT_EQ(catalogue.files().size(), s.shelf.size());
    }
}

}  // namespace

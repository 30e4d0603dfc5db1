// The contents tree from each page's toc: children in index order, pages pointing to themselves
// or round in a circle placed once each, entries that are no pages left out.
#include "app/contents_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/temp_dir.h"
#include "hyp/document.h"

namespace {

// An entry of the fixture: its type and the toc it stores.
struct Entry {
    uint8_t type;
    uint16_t toc;
};

constexpr uint8_t kPage = fixture::type::kNode;

// The tree opened out as "page@depth" lines.
std::vector<std::string> lines_of(const ContentsTree& tree) {
    std::vector<std::string> out;
    for (const ContentsLine& line : contents_lines(tree)) {
        out.push_back(std::to_string(line.page) + "@" + std::to_string(line.depth));
    }
    return out;
}

TEST(ContentsTree, FromTocFields) {
    struct Case {
        const char* name;
        std::vector<Entry> entries;
        std::vector<std::string> lines;
        std::vector<uint16_t> path_to_last;  // contents_path of the case's last page
    };
    const Case cases[] = {
        {"main page points to itself; children in index order",
         {{kPage, 0}, {kPage, 0}, {kPage, 0}, {kPage, 1}, {fixture::type::kPnode, 0}, {kPage, 1}},
         {"0@0", "1@1", "3@2", "5@2", "2@1"},
         {0, 1, 5}},
        {"a circle 1 -> 2 -> 3 -> 1 is cut above its lowest page",
         {{kPage, 0}, {kPage, 2}, {kPage, 3}, {kPage, 1}, {kPage, 2}},
         {"0@0", "1@0", "3@1", "2@2", "4@3"},
         {1, 3, 2, 4}},
        {"two pages pointing to each other",
         {{kPage, 1}, {kPage, 0}},
         {"0@0", "1@1"},
         {0, 1}},
        {"every page points to itself",
         {{kPage, 0}, {kPage, 1}, {kPage, 2}},
         {"0@0", "1@0", "2@0"},
         {2}},
        {"toc to an image, to a popup and past the index: roots",
         {{kPage, 0}, {fixture::type::kImage, 0}, {kPage, 1}, {fixture::type::kPnode, 0},
          {kPage, 3}, {kPage, 999}, {kPage, 0}},
         {"0@0", "6@1", "2@0", "4@0", "5@0"},
         {0, 6}},
        {"a page hanging under a circle, met first, stays under it",
         {{kPage, 2}, {kPage, 2}, {kPage, 1}},
         {"1@0", "2@1", "0@2"},
         {1, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::TempDir dir("toc");
        fixture::HypBuilder b;
        for (size_t i = 0; i < c.entries.size(); ++i) {
            fixture::HypEntry e;
            e.type = c.entries[i].type;
            e.name = "E" + std::to_string(i);
            e.data = fixture::text_page({"x"});
            e.toc = c.entries[i].toc;
            b.add(e);
        }
        HypDocument doc;
        int32_t page = -1;
        ASSERT_TRUE(open_hypertext(doc, dir.write("t.hyp", b.build()), std::nullopt, -1, page));

        const ContentsTree tree = build_contents_tree(doc.index);
        EXPECT_EQ(lines_of(tree), c.lines);
        EXPECT_EQ(contents_path(tree, c.path_to_last.back()), c.path_to_last);
        // Entries that are no pages, and one beyond the index, have no path.
        for (size_t i = 0; i <= c.entries.size(); ++i) {
            if (i == c.entries.size() || c.entries[i].type != kPage) {
                EXPECT_TRUE(contents_path(tree, static_cast<uint16_t>(i)).empty()) << "entry " << i;
            }
        }
    }
}

}  // namespace

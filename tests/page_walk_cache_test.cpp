// The page cache: only the page walked last keeps its data and the pictures it uses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/outcome_check.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::PageBuilder;
using walktest::add_entry;
using walktest::add_image;
using walktest::RecordingGraphics;
using walktest::Screen;

constexpr uint16_t kA = 0;
constexpr uint16_t kB = 1;
constexpr uint16_t kImageA = 2;
constexpr uint16_t kImageB = 3;

void build_document(HypDocument& doc, const std::string& path) {
    doc.path = path;
    PageBuilder a;
    a.picture(kImageA, 0, 0, true).line("page a");
    PageBuilder b;
    b.picture(kImageB, 0, 0, false).line("page b");
    add_entry(doc, ENTRY_NODE, "A", a.bytes());
    add_entry(doc, ENTRY_NODE, "B", b.bytes());
    add_image(doc, 8, 20);
    add_image(doc, 8, 30);
}

class PageWalkCacheTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        walktest::reset_walk_state();
    }

    // Lays out and paints a page, as the main window shows it.
    void show(HypDocument& doc, uint16_t page) {
        PageWalkArgs layout = walktest::layout_args(doc, page);
        layout.graphics = &graphics_;
        interpret_page(layout);
        Screen screen;
        PageWalkArgs args = screen.args(doc, page);
        args.graphics = &graphics_;
        interpret_page(args);
    }

    RecordingGraphics graphics_;
};

TEST_F(PageWalkCacheTest, WalkingAnotherPageFreesTheLastOne) {
    HypDocument doc;
    build_document(doc, "C:\\HYP\\MANUAL.HYP");
    show(doc, kA);
    ASSERT_FALSE(doc.index[kA].page_data.empty());
    ASSERT_TRUE(doc.index[kImageA].bitmap);

    // The very first page of the run is released too.
    show(doc, kB);
    EXPECT_TRUE(doc.index[kA].page_data.empty());
    EXPECT_FALSE(doc.index[kImageA].bitmap);
    EXPECT_EQ(doc.index[kA].images_used, std::vector<uint16_t>{kImageA});  // the list stays
    EXPECT_FALSE(doc.index[kB].page_data.empty());
    EXPECT_TRUE(doc.index[kImageB].bitmap);
    EXPECT_EQ(doc.page_cache.last_page, kB);

    // Repainting the page shown keeps everything.
    show(doc, kB);
    EXPECT_FALSE(doc.index[kB].page_data.empty());
    EXPECT_TRUE(doc.index[kImageB].bitmap);
}

TEST_F(PageWalkCacheTest, APageOfAnotherFileFreesNothing) {
    HypDocument first;
    build_document(first, "C:\\HYP\\FIRST.HYP");
    show(first, kA);
    HypDocument second;
    build_document(second, "C:\\HYP\\SECOND.HYP");
    show(second, kB);
    EXPECT_FALSE(first.index[kA].page_data.empty());
    EXPECT_TRUE(first.index[kImageA].bitmap);
    EXPECT_EQ(second.page_cache.last_page, kB);
    EXPECT_EQ(first.page_cache.last_page, kA) << "each document keeps its own";

    // Back in the second file, walking its other page frees its last one.
    show(second, kA);
    EXPECT_TRUE(second.index[kB].page_data.empty());
    EXPECT_FALSE(second.index[kImageB].bitmap);
}

TEST_F(PageWalkCacheTest, PathsCompareWithoutRegardToCase) {
    HypDocument doc;
    build_document(doc, "C:\\HYP\\MANUAL.HYP");
    show(doc, kA);
    doc.path = "c:\\hyp\\manual.hyp";
    show(doc, kB);
    EXPECT_TRUE(doc.index[kA].page_data.empty());
}

TEST_F(PageWalkCacheTest, ALayoutOfALaidOutPageTouchesNothing) {
    HypDocument doc;
    build_document(doc, "C:\\HYP\\MANUAL.HYP");
    show(doc, kA);
    show(doc, kB);
    // B is shown; A is laid out already, so a layout walk of A must not release B.
    EXPECT_TRUE(interpret_page(walktest::layout_args(doc, kA)).already_laid_out);
    EXPECT_FALSE(doc.index[kB].page_data.empty());
    EXPECT_TRUE(doc.index[kImageB].bitmap);
    EXPECT_EQ(doc.page_cache.last_page, kB);
}

TEST_F(PageWalkCacheTest, AReleasedPageIsLoadedAgainOnDemand) {
    const std::string dir = fixture::make_temp_directory("walk-cache");
    const std::string path = dir + "/cache.hyp";
    fixture::HypBuilder builder;
    builder.node("A", fixture::text_page({"alpha", "beta"}));
    builder.node("B", fixture::text_page({"gamma"}));
    ASSERT_TRUE(builder.write(path));
    int32_t current = -1;
    ASSERT_TRUE(succeeded(open_hypertext(document, path, std::nullopt, -1, current)));

    // Each page is laid out, then shown; A is shown again after B released it.
    for (uint16_t page : {kA, kB, kA}) {
        interpret_page(walktest::layout_args(document, page));
        Screen screen;
        interpret_page(screen.args(document, page));
        EXPECT_FALSE(document.index[page].page_data.empty()) << page;
    }
    EXPECT_TRUE(document.index[kB].page_data.empty());
    EXPECT_EQ(document.index[kA].line_count, 2);
    EXPECT_EQ(document.index[kA].max_columns, 5);
    close_hypertext(document);
    fixture::remove_directory(dir);
}

}  // namespace

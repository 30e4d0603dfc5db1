// The copy command's text of one page: the Text walk of the page alone, in the chosen set.
#include "app/page_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "export/export_driver.h"
#include "fixture/document_test.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/page_builder.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

using fixture::LinkKind;
using fixture::PageBuilder;

class PageCopyTest : public fixture::DocumentTest {
   protected:
    PageCopyTest() : DocumentTest("page-copy") {}

    void SetUp() override {
        DocumentTest::SetUp();
        fixture::HypBuilder builder;
        builder.ext_word(11, 20);
        PageBuilder main;
        main.line("Gr\x9E\x9E").link(LinkKind::Link, 1, "next").end_line();
        builder.node("Main", main.bytes());
        PageBuilder second;
        second.title("Two").line("second page");
        builder.node("Second", second.bytes());
        open_built(builder, "copy.hyp");
    }
};

TEST_F(PageCopyTest, TextOfOnePage) {
    struct Case {
        const char* name;
        uint16_t page;
        unsigned target;
        uint32_t alllinks_txt;
        std::string text;
    };
    const std::string heading_main = std::string(7, '#') + " Main " + std::string(7, '#');
    const Case cases[] = {
        {"ANSI", 0, TARGET_ANSI, 0, heading_main + "\r\nGr\xDF\xDF\r\nnext\r\n"},
        {"OEM", 0, TARGET_OEM, 0, heading_main + "\r\nGr\xE1\xE1\r\nnext\r\n"},
        {"links framed as in the text export", 0, TARGET_ANSI, 1,
         heading_main + "\r\nGr\xDF\xDF\r\n[next]\r\n"},
        {"a page that starts with a title", 1, TARGET_ANSI, 0,
         std::string(7, '#') + " Two " + std::string(8, '#') + "\r\nsecond page\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.alllinks_txt = c.alllinks_txt;
        std::string text;
        EXPECT_TRUE(copy_page_text(document, c.page, c.target, text));
        EXPECT_EQ(text, c.text);
        // The link setting is untouched by the copy.
        EXPECT_EQ(settings.alllinks_txt, c.alllinks_txt);
    }
}

TEST_F(PageCopyTest, PageBeyondTheDocumentCopiesNothing) {
    std::string text;
    EXPECT_FALSE(copy_page_text(document, 2, TARGET_ANSI, text));
    EXPECT_EQ(text, "");
}

}  // namespace

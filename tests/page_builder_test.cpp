// Checks the page and image writer that the other tests and the sample rely on.
#include "fixture/page_builder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using fixture::LinkKind;
using fixture::PageBuilder;
using Bytes = std::vector<uint8_t>;

TEST(Base255, EncodesTheEdgesAndRoundTrips) {
    struct Case {
        uint32_t value;
        uint8_t b0, b1;
    };
    const Case cases[] = {
        {0, 1, 1},   {1, 2, 1},     {253, 254, 1}, {254, 255, 1},     {255, 1, 2},
        {256, 2, 2}, {509, 255, 2}, {510, 1, 3},   {65023, 254, 255}, {65024, 255, 255},
    };
    for (const Case& c : cases) {
        std::array<uint8_t, 2> b{};
        ASSERT_TRUE(fixture::encode_base255(c.value, b)) << c.value;
        EXPECT_EQ(b[0], c.b0) << c.value;
        EXPECT_EQ(b[1], c.b1) << c.value;
        EXPECT_EQ(fixture::decode_base255_bytes(b[0], b[1]), static_cast<int32_t>(c.value));
    }
    for (uint32_t v = 0; v <= fixture::kMaxBase255; ++v) {
        std::array<uint8_t, 2> b{};
        ASSERT_TRUE(fixture::encode_base255(v, b));
        ASSERT_NE(b[0], 0) << v;
        ASSERT_NE(b[1], 0) << v;
        ASSERT_EQ(fixture::decode_base255_bytes(b[0], b[1]), static_cast<int32_t>(v));
    }
}

TEST(Base255, RefusesValuesAbove65024) {
    for (uint32_t v : {65025u, 65535u, 70000u}) {
        std::array<uint8_t, 2> b{7, 7};
        EXPECT_FALSE(fixture::encode_base255(v, b)) << v;
        EXPECT_EQ(b[0], 7) << v;
    }
    PageBuilder page;
    page.line("vorher").link(LinkKind::Link, 65025, "x").line("danach");
    EXPECT_FALSE(page.ok());
    EXPECT_NE(page.error().find("65025"), std::string::npos) << page.error();
    // Nothing of the failed link nor of later calls is written.
    EXPECT_EQ(page.str(), std::string("vorher\0", 7));
}

TEST(PageBuilder, WritesEachElementAsStored) {
    struct Case {
        const char* name;
        PageBuilder page;
        Bytes expected;
    };
    const Case cases[] = {
        {"text and line ends", PageBuilder().line("ab").end_line(), {'a', 'b', 0, 0}},
        {"ESC in text is literal", PageBuilder().text("a\x1b"), {'a', 0x1B, 0x1B}},
        {"title", PageBuilder().title("T"), {0x1B, 0x23, 'T', 0}},
        {"link with text",
         PageBuilder().link(LinkKind::Link, 256, "abc"),
         {0x1B, 0x24, 2, 2, 35, 'a', 'b', 'c'}},
        {"alink without text", PageBuilder().link(LinkKind::Alink, 3, ""), {0x1B, 0x26, 4, 1, 32}},
        {"link to a line",
         PageBuilder().link(LinkKind::LinkLine, 5, "x", 12),
         {0x1B, 0x25, 13, 1, 6, 1, 33, 'x'}},
        {"alink to a line, no text, byte 20",
         PageBuilder().link_without_text(LinkKind::AlinkLine, 0, 255, 20),
         {0x1B, 0x27, 1, 2, 1, 1, 20}},
        {"data block 7", PageBuilder().data_block(7, {9, 8}), {0x1B, 0x2F, 5, 9, 8}},
        {"empty data block", PageBuilder().data_block(0, {}), {0x1B, 0x28, 3}},
        {"xref", PageBuilder().xref(2, "Hi"), {0x1B, 0x30, 9, 3, 1, 0, 'H', 'i', 0}},
        {"tree", PageBuilder().tree(0, 1, 254, 255), {0x1B, 0x31, 1, 1, 2, 1, 255, 1, 1, 2}},
        {"picture reserving lines",
         PageBuilder().picture(300, 0, 2, true),
         {0x1B, 0x32, 46, 2, 0, 3, 1, 1, 0}},
        {"picture over text",
         PageBuilder().picture(1, 10, 0, false, 7),
         {0x1B, 0x32, 2, 1, 10, 1, 1, 0, 7}},
        {"line left and up, style 7, both arrows",
         PageBuilder().draw_line(5, 1, -128, -1, 7, fixture::arrow::kBoth),
         {0x1B, 0x33, 5, 2, 1, 0, 0, 52}},
        {"line right and down, solid, end arrow",
         PageBuilder().draw_line(1, 0, 127, 254, 1, fixture::arrow::kEnd),
         {0x1B, 0x33, 1, 1, 1, 255, 255, 3}},
        {"box, hollow", PageBuilder().box(2, 3, 10, 4), {0x1B, 0x34, 2, 4, 1, 10, 4, 1}},
        {"rounded box, pattern 8",
         PageBuilder().rbox(2, 3, 10, 4, 8),
         {0x1B, 0x35, 2, 4, 1, 10, 4, 9}},
        {"attributes",
         PageBuilder().attributes(0).attributes(127).attributes(155),
         {0x1B, 100, 0x1B, 227, 0x1B, 255}},
        {"unknown code", PageBuilder().esc(0x20), {0x1B, 0x20}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.page.ok()) << c.name << ": " << c.page.error();
        EXPECT_EQ(c.page.bytes(), c.expected) << c.name;
    }
}

TEST(PageBuilder, RefusesOperandsThatCannotBeStored) {
    const std::string long_text(224, 'x');
    struct Case {
        const char* name;
        PageBuilder page;
    };
    const Case cases[] = {
        {"NUL in text", PageBuilder().text(std::string("a\0b", 3))},
        {"link text of 224 bytes", PageBuilder().link(LinkKind::Link, 1, long_text)},
        {"link line above 65024", PageBuilder().link(LinkKind::LinkLine, 1, "x", 65025)},
        {"text-less link with length byte 33",
         PageBuilder().link_without_text(LinkKind::Link, 1, 0, 33)},
        {"data block 8", PageBuilder().data_block(8, {})},
        {"data block of 253 bytes", PageBuilder().data_block(0, Bytes(253))},
        {"xref title of 249 bytes", PageBuilder().xref(1, std::string(249, 't'))},
        {"line dx 128", PageBuilder().draw_line(1, 0, 128, 0)},
        {"line dy -2", PageBuilder().draw_line(1, 0, 0, -2)},
        {"line style 8", PageBuilder().draw_line(1, 0, 1, 0, 8)},
        {"box pattern 9", PageBuilder().box(1, 0, 1, 1, 9)},
        {"attribute set 156", PageBuilder().attributes(156)},
        {"picture line above 65024", PageBuilder().picture(0, 0, 70000, false)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.page.ok()) << c.name;
        EXPECT_TRUE(c.page.bytes().empty()) << c.name;
    }
    // The longest texts that fit.
    PageBuilder fits;
    fits.link(LinkKind::Link, 1, std::string(223, 'x')).xref(1, std::string(248, 't'));
    fits.data_block(1, Bytes(252));
    ASSERT_TRUE(fits.ok()) << fits.error();
    EXPECT_EQ(fits.bytes()[4], 255);
    EXPECT_EQ(fits.bytes()[5 + 223 + 2], 255);
}

TEST(PageBuilder, CountsTextLinesForGraphics) {
    PageBuilder page;
    EXPECT_EQ(page.text_line(), 0u);
    page.line("eins").text("zwei");
    EXPECT_EQ(page.text_line(), 1u);
    page.end_line().line("");
    EXPECT_EQ(page.text_line(), 3u);
}

TEST(ImageObject, WritesHeaderAndPlanesLowestFirst) {
    // 17 x 2 pixels with 2 planes: rows take two 16-bit words per plane.
    std::vector<uint8_t> pixels(17 * 2, 0);
    pixels[0] = 1;       // (0,0): plane 0 only
    pixels[16] = 2;      // (16,0): plane 1 only
    pixels[17 + 7] = 3;  // (7,1): both planes
    Bytes object;
    std::string error;
    ASSERT_TRUE(fixture::make_image_object(17, 2, 2, pixels, object, error)) << error;
    ASSERT_EQ(object.size(), 8u + 2 * 2 * 4);
    EXPECT_EQ(Bytes(object.begin(), object.begin() + 8), (Bytes{0, 17, 0, 2, 2, 0, 0, 0}));
    const Bytes plane0(object.begin() + 8, object.begin() + 16);
    const Bytes plane1(object.begin() + 16, object.end());
    EXPECT_EQ(plane0, (Bytes{0x80, 0, 0, 0, 0x01, 0, 0, 0}));
    EXPECT_EQ(plane1, (Bytes{0, 0, 0x80, 0, 0x01, 0, 0, 0}));
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 17; ++x) {
            EXPECT_EQ(fixture::image_object_pixel(object, x, y), pixels[y * 17 + x])
                << x << "," << y;
        }
    }
    EXPECT_EQ(fixture::image_object_pixel(object, 17, 0), -1);
}

TEST(ImageObject, RefusesInconsistentDescriptions) {
    Bytes object;
    std::string error;
    EXPECT_FALSE(fixture::make_image_object(2, 1, 1, {0, 2}, object, error));
    EXPECT_FALSE(fixture::make_image_object(2, 1, 1, {0}, object, error));
    EXPECT_FALSE(fixture::make_image_object(2, 1, 0, {0, 0}, object, error));
    EXPECT_FALSE(error.empty());
    // Raw objects carry whatever they are given: five planes, data cut short.
    const Bytes raw = fixture::make_image_object_raw(0x0102, 0x0304, 5, {0xAA});
    EXPECT_EQ(raw, (Bytes{1, 2, 3, 4, 5, 0, 0, 0, 0xAA}));
    EXPECT_EQ(fixture::image_object_pixel(raw, 0, 0), -1);
}

}  // namespace

// The file information text of the open hypertext.
#include "app/file_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

ExtHeader ext(uint16_t type, std::string data) {
    ExtHeader header;
    header.type = type;
    header.length = static_cast<uint16_t>(data.size());
    header.data.assign(data.begin(), data.end());
    return header;
}

// Everything after "Erweiterte Header:\n".
std::string shown_headers(const HypDocument& doc) {
    std::string text = file_info_text(doc);
    const std::string marker = "Erweiterte Header:\n";
    std::size_t at = text.find(marker);
    return at == std::string::npos ? "<missing>" : text.substr(at + marker.size());
}

TEST(FileInfo, WholeText) {
    HypDocument doc;
    doc.path = "C:\\HYP\\MANUAL.HYP";
    doc.header.index_length = 70000;
    doc.header.index_count = 4056;
    doc.header.hcp_version = 5;
    doc.header.os = 2;
    doc.ext_headers = {ext(EXT_DATABASE, std::string("Manual\0", 7)), ext(EXT_WIDTH, "\x50\x00"),
                       ext(EXT_END, "")};
    EXPECT_EQ(file_info_text(doc),
              "Informationen zum aktuellen Hypertext:\n\n"
              "Dateiname   \tC:\\HYP\\MANUAL.HYP\n\n"
              "Header:\n\n"
              "Indexl\xE4nge\t70000\n"
              "Indexanzahl\t4056\n"
              "HCP-Version\t5\n"
              "Compiled on\tAtari\n\n"
              "Erweiterte Header:\n"
              "\n@database   \tManual"
              "\n@width      \t80");
}

TEST(FileInfo, CompileSystemNames) {
    const struct {
        uint8_t os;
        const char* name;
    } cases[] = {{0, "Unbekannt"}, {1, "Amiga"},     {2, "Atari"},
                 {3, "Macintosh"}, {7, "Unbekannt"}, {255, "Unbekannt"}};
    for (const auto& c : cases) {
        HypDocument doc;
        doc.header.os = c.os;
        std::string expected = std::string("\nCompiled on\t") + c.name + "\n\n";
        EXPECT_NE(file_info_text(doc).find(expected), std::string::npos) << int(c.os);
    }
}

TEST(FileInfo, WhichExtendedHeadersAreShown) {
    const struct {
        const char* name;
        std::vector<ExtHeader> headers;
        uint8_t source_charset;
        std::string shown;
    } cases[] = {
        {"every text type in file order",
         {ext(EXT_SUBJECT, "s"), ext(EXT_DATABASE, "d"), ext(EXT_DEFAULT, "Main"),
          ext(EXT_HOSTNAME, "h"), ext(EXT_OPTIONS, "-i"), ext(EXT_AUTHOR, "a"),
          ext(EXT_VERSION, "v"), ext(EXT_HELP, "Hilfe")},
         CHARSET_TOS,
         "\n@subject    \ts\n@database   \td\n@default    \tMain\n@hostname   \th"
         "\n@options    \t-i\n@author     \ta\n@$VER       \tv\n@help       \tHilfe"},
        {"an empty header is not listed",
         {ext(EXT_SUBJECT, ""), ext(EXT_AUTHOR, "a")},
         CHARSET_TOS,
         "\n@author     \ta"},
        {"the list ends at the end record",
         {ext(EXT_AUTHOR, "a"), ext(EXT_END, "junk"), ext(EXT_DATABASE, "after")},
         CHARSET_TOS,
         "\n@author     \ta"},
        {"tree, flags and unknown types are not shown",
         {ext(EXT_HYPTREE, "\x01\x02"), ext(EXT_FLAGS, "\x02\x00"), ext(30, "x"),
          ext(EXT_AUTHOR, "a")},
         CHARSET_TOS,
         "\n@author     \ta"},
        {"width is a little-endian word",
         {ext(EXT_WIDTH, "\x2C\x01")},
         CHARSET_TOS,
         "\n@width      \t300"},
        {"a width of one byte is its low half",
         {ext(EXT_WIDTH, "\x4B")},
         CHARSET_TOS,
         "\n@width      \t75"},
        {"text stops at its NUL",
         {ext(EXT_AUTHOR, std::string("ab\0cd", 5))},
         CHARSET_TOS,
         "\n@author     \tab"},
        {"Atari text in the Windows set",
         {ext(EXT_AUTHOR, "J\x94rg")},
         CHARSET_TOS,
         "\n@author     \tJ\xF6rg"},
        {"Macintosh text in the Windows set",
         {ext(EXT_AUTHOR, "J\x9Arg")},
         CHARSET_MAC,
         "\n@author     \tJ\xF6rg"},
        {"no headers", {}, CHARSET_TOS, ""},
    };
    for (const auto& c : cases) {
        HypDocument doc;
        doc.ext_headers = c.headers;
        doc.source_charset = c.source_charset;
        EXPECT_EQ(shown_headers(doc), c.shown) << c.name;
    }
}

TEST(FileInfo, RealHypertext) {
    std::string path = std::string(VELLUMAR_CORPUS_DIR) + "/freemint.hyp";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "corpus not present";
    HypDocument doc;
    int32_t page = -1;
    ASSERT_TRUE(open_hypertext(doc, path, std::nullopt, -1, page));
    std::string text = file_info_text(doc);
    EXPECT_NE(text.find("Dateiname   \t" + path + "\n"), std::string::npos);
    EXPECT_NE(text.find("\nIndexanzahl\t120\n"), std::string::npos);
    EXPECT_NE(text.find("\n@width      \t80"), std::string::npos);
    EXPECT_NE(text.find("\n@database   \t"), std::string::npos);
}

}  // namespace

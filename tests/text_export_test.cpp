// Text export of synthetic hypertexts: banner, headings, links, special bytes, failures.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/page_builder.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

using fixture::HypBuilder;
using fixture::LinkKind;
using fixture::PageBuilder;

std::string hashes(size_t n) {
    return std::string(n, '#');
}

// The banner as the current char_conv writes it: the version "0.5ß" carries the sharp s of the
// target set (ANSI 0xDF, OEM 0xE1, TOS 0x9E, MAC 0xA7).
std::string banner() {
    static const char* const sharp_s[] = {"\xDF", "\xE1", "\x9E", "\xA7", "\xC3\x9F"};
    return std::string("## Erzeugt von Vellumar v0.5") + sharp_s[settings.char_conv <= 4 ? settings.char_conv : 0] +
           " / Modul HYPCONV\r\n## (Compiled " + build_date() + ", " + build_time() + ")\r\n";
}

class TextExportTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        document.page_cache = PageCache{};
        settings.alllinks_txt = 0;
        dir_ = fixture::make_temp_directory("text-export");
        path_ = dir_ + "/manual.hyp";
    }
    void TearDown() override {
        close_hypertext(document);
        fixture::remove_directory(dir_);
    }

    // Writes the hypertext, opens it as the viewer does and exports it; returns the output.
    // `result` receives export_hypertext's result (0 success, 1 failure) and `message` its
    // failure's message.
    std::string export_text(const HypBuilder& builder, int* result = nullptr) {
        open_written(builder);
        return run_export(result);
    }

    // Writes the hypertext and opens it as the viewer does; a failure fails the test.
    void open_written(const HypBuilder& builder) {
        ASSERT_TRUE(builder.write(path_)) << builder.error();
        int32_t current = -1;
        ASSERT_TRUE(succeeded(open_hypertext(document, path_, std::nullopt, -1, current)));
    }

    std::string run_export(int* result = nullptr, std::string* message = nullptr) {
        std::string text;
        {
            ExportOutput output(&text);
            const ExportRun run = export_run(ExportMode::Text, path_, document.source_charset);
            TextWriter writer(output, run);
            const Outcome exported = export_hypertext(document, writer, run, &output, settings.FONT);
            if (result) *result = exported ? 0 : 1;
            if (message && !exported) *message = exported.failure().message;
        }
        return text;
    }

    std::string dir_;
    std::string path_;
};

TEST_F(TextExportTest, BuildDateAndTimeForms) {
    EXPECT_TRUE(std::regex_match(build_date(), std::regex("[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}")))
        << build_date();
    EXPECT_TRUE(std::regex_match(build_time(), std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}")))
        << build_time();
    EXPECT_STREQ(program_version(), "0.5\x9E");
}

TEST_F(TextExportTest, HeadingLines) {
    struct Case {
        const char* name;
        std::string title;
        unsigned width;
        std::string line;
    };
    const std::string long36(36, 'x');
    const Case cases[] = {
        {"85 columns", "Main", 85, hashes(39) + " Main " + hashes(40)},
        {"even fill", "Main", 40, hashes(17) + " Main " + hashes(17)},
        {"odd fill puts the extra # on the right", "Abc", 40, hashes(17) + " Abc " + hashes(18)},
        {"empty title", "", 10, hashes(4) + "  " + hashes(4)},
        {"title of width - 5 still framed", std::string(35, 'y'), 40,
         "# " + std::string(35, 'y') + " ##"},
        {"title of width - 4 gets the short form", long36, 40, "# " + long36 + " #"},
        {"title longer than the line", std::string(50, 'z'), 40,
         "# " + std::string(50, 'z') + " #"},
        {"a width above 254 frames 254 columns", "T", 19200, hashes(125) + " T " + hashes(126)},
        {"long titles are never cut", std::string(300, 'w'), 19200,
         "# " + std::string(300, 'w') + " #"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string line = text_heading_line(c.title, c.width);
        EXPECT_EQ(line, c.line);
        if (c.line[1] != ' ') EXPECT_EQ(line.size(), std::min(c.width, MAX_HEADING_WIDTH));
    }
}

struct ExportCase {
    const char* name;
    std::function<void(HypBuilder&)> build;
    std::string expected;  // after the banner
    std::function<void()> settings = [] {};
};

TEST_F(TextExportTest, Output) {
    const std::string main85 = hashes(39) + " Main " + hashes(40) + "\r\n";
    const std::string main40 = hashes(17) + " Main " + hashes(17) + "\r\n";
    auto node = [](HypBuilder& b, const std::string& name, const PageBuilder& page) {
        return b.node(name, page.bytes());
    };
    const ExportCase cases[] = {
        {"text lines under a heading of 85 columns",
         [&](HypBuilder& b) {
             b.node("Main", fixture::text_page({"Hello", "", "World"}));
         },
         main85 + "Hello\r\n\r\nWorld\r\n"},
        {"@width sets the heading width",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             b.node("Main", fixture::text_page({"x"}));
         },
         main40 + "x\r\n"},
        {"a page that starts with a title gets one heading with the title",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.title("Intro").line("text");
             node(b, "Main", p);
         },
         hashes(16) + " Intro " + hashes(17) + "\r\ntext\r\n"},
        {"later titles write further headings",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.line("a").title("Part").line("b");
             node(b, "Main", p);
         },
         main40 + "a\r\n" + hashes(17) + " Part " + hashes(17) + "\r\nb\r\n"},
        {"short form for long titles",
         [&](HypBuilder& b) {
             b.ext_word(11, 20);
             b.node("A rather long name", fixture::text_page({"x"}));
         },
         "# A rather long name #\r\nx\r\n"},
        {"links without markers",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.text("see ").link(LinkKind::Link, 1, "there").text(", ");
             p.link(LinkKind::Alink, 1, "").text(" and ").link(LinkKind::LinkLine, 2, "", 3);
             p.end_line();
             node(b, "Main", p);
             b.node("Other", fixture::text_page({"o"}));
             b.reference(fixture::type::kSystem, "cmd.exe");
         },
         main40 + "see there, Other and cmd.exe\r\n" + hashes(16) + " Other " + hashes(17) +
             "\r\no\r\n"},
        {"links with markers",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.link(LinkKind::Link, 1, "one").text(" ").link(LinkKind::AlinkLine, 1, "", 9);
             p.end_line();
             node(b, "Main", p);
             b.popup("Pop", fixture::text_page({}));
         },
         main40 + "[one] [Pop]\r\n", [] { settings.alllinks_txt = 1; }},
        {"other marker characters, and none",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.link(LinkKind::Link, 0, "self").end_line();
             node(b, "Main", p);
         },
         main40 + "<self\r\n",
         [] {
             settings.alllinks_txt = 1;
             settings.inlink[0] = '<';
             settings.outlink[0] = 0;
         }},
        {"@ and the literal escape byte as they are",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.text("mail@host @@ ").literal_esc().end_line();
             node(b, "Main", p);
         },
         main40 + "mail@host @@ \x1B\r\n"},
        {"attributes, graphics, pictures, xrefs, trees and data write nothing",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.attributes(ATTR_BOLD).box(1, 0, 3, 1).draw_line(1, 0, 3, 1).rbox(1, 0, 2, 2);
             p.picture(1, 0, 0, true).xref(0, "x").tree(1, 2, 3, 0).data_block(0, {7, 7});
             p.esc(0x20).text("a").attributes(0).line("b");
             node(b, "Main", p);
             std::vector<uint8_t> image;
             std::string error;
             fixture::make_image_object(8, 8, 1, std::vector<uint8_t>(64, 1), image, error);
             b.image(image);
         },
         main40 + "ab\r\n"},
        {"popups are pages; images, references and empty pages write nothing",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             b.node("Main", fixture::text_page({"m"}));
             b.popup("Pop", fixture::text_page({"p"}));
             b.reference(fixture::type::kExternal, "other.hyp");
             b.reference(fixture::type::kQuit, "quit");
             b.node("Empty", {});
         },
         main40 + "m\r\n" + hashes(17) + " Pop " + hashes(18) + "\r\n" + "p\r\n"},
        {"the page Index is written despite -i",
         [&](HypBuilder& b) {
             b.ext_text(4, "-i -s");
             b.ext_word(11, 40);
             b.node("Main", fixture::text_page({"m"}));
             b.node("Index", fixture::text_page({"i"}));
         },
         main40 + "m\r\n" + hashes(16) + " Index " + hashes(17) + "\r\ni\r\n"},
        {"Atari texts are converted, names and titles too",
         [&](HypBuilder& b) {
             b.ext_word(11, 40);
             PageBuilder p;
             p.line(
                  "Gr\x9E\x94\x9B"
                  "e")
                 .title("\x84")
                 .link(LinkKind::Link, 0, "\x81")
                 .end_line();
             b.node("\x8E", p.bytes());
         },
         hashes(18) + " \xC4 " + hashes(19) +
             "\r\nGr\xDF\xF6\xA2"
             "e\r\n" +
             hashes(18) + " \xE4 " + hashes(19) + "\r\n\xFC\r\n"},
        {"the OEM target",
         [&](HypBuilder& b) {
             b.ext_word(11, 20);
             b.node("M", fixture::text_page({"\x84\x9E"}));
         },
         hashes(8) + " M " + hashes(9) + "\r\n\x84\xE1\r\n", [] { settings.char_conv = 1; }},
        {"Macintosh texts",
         [&](HypBuilder& b) {
             b.os(3);
             b.ext_word(11, 20);
             b.node("M", fixture::text_page({"\x8A\xA7"}));
         },
         hashes(8) + " M " + hashes(9) + "\r\n\xE4\xDF\r\n"},
        {"UTF-8: the Atari set straight to Unicode, headings framed by characters, markers "
         "of the Windows set",
         [&](HypBuilder& b) {
             b.ext_word(11, 20);
             PageBuilder p;
             p.text("\x03\xE4 ").link(LinkKind::Link, 0, "self").literal_esc().end_line();
             node(b, "\x84", p);
         },
         hashes(8) + u8" \u00E4 " + hashes(9) + "\r\n" +
             u8"\u21E8\u03A3 \u00ABself\u00BB\u241B\r\n",
         [] {
             settings.char_conv = TARGET_UTF8;
             settings.alllinks_txt = 1;
             settings.inlink[0] = '\xAB';
             settings.outlink[0] = '\xBB';
         }},
        {"a page without a final line end",
         [&](HypBuilder& b) {
             b.ext_word(11, 20);
             b.node("M", fixture::bytes_of("abc"));
         },
         hashes(8) + " M " + hashes(9) + "\r\nabc\r\n"},
    };
    for (const ExportCase& c : cases) {
        SCOPED_TRACE(c.name);
        restore_default_settings();
        settings.alllinks_txt = 0;
        document.page_cache = PageCache{};
        c.settings();
        HypBuilder builder;
        c.build(builder);
        int result = -1;
        const std::string text = export_text(builder, &result);
        EXPECT_EQ(result, 0);
        ASSERT_EQ(text.substr(0, banner().size()), banner());
        EXPECT_EQ(text.substr(banner().size()), c.expected);
        close_hypertext(document);
    }
}

TEST_F(TextExportTest, GhostFontTagIsTheGhostedColourInHtmlOrder) {
    EXPECT_EQ(make_ghost_font_tag(0x00808080), "FONT COLOR=\"#808080\"");
    EXPECT_EQ(make_ghost_font_tag(0x00123456), "FONT COLOR=\"#563412\"");
    EXPECT_EQ(make_ghost_font_tag(0xFF0000FF), "FONT COLOR=\"#FF0000\"");
    // Every run takes it from the setting.
    settings.GTXTCOLOR() = 0x00010203;
    EXPECT_EQ(export_run(ExportMode::Html, "x.html", CHARSET_TOS).colours.ghosted, 0x00010203u);
}

TEST_F(TextExportTest, BannerVersionFollowsTheTargetSet) {
    HypBuilder builder;
    builder.node("M", fixture::text_page({}));
    settings.char_conv = 2;  // TOS: the identity table
    const std::string text = export_text(builder);
    EXPECT_EQ(text.substr(0, banner().size()), banner());
}

TEST_F(TextExportTest, EveryLineEndsInCarriageReturnLineFeed) {
    HypBuilder builder;
    builder.node("One", fixture::text_page({"a", "b", "c"}));
    builder.node("Two", fixture::text_page({"", "d"}));
    const std::string text = export_text(builder);
    size_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++lines;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(text[i - 1], '\r') << "line " << lines;
        }
        if (text[i] == '\r') EXPECT_EQ(text[i + 1], '\n');
    }
    EXPECT_EQ(lines, 2u + 2u + 3u + 2u);
}

TEST_F(TextExportTest, ExportToAFileWritesTheSameBytes) {
    HypBuilder builder;
    builder.node("One", fixture::text_page({"a", "b"}));
    const std::string expected = export_text(builder);
    document.page_cache = PageCache{};
    const std::string out_path = dir_ + "/out.txt";
    std::FILE* file = std::fopen(out_path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    {
        ExportOutput output(file);
        const ExportRun run = export_run(ExportMode::Text, out_path, document.source_charset);
        TextWriter writer(output, run);
        EXPECT_TRUE(succeeded(export_hypertext(document, writer, run, &output, settings.FONT)));
    }
    std::fclose(file);
    const std::vector<uint8_t> written = fixture::read_file(out_path);
    EXPECT_EQ(std::string(written.begin(), written.end()), expected);
}

TEST_F(TextExportTest, FailuresWriteNothing) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> damage;
        std::string message;
    };
    const Case cases[] = {
        {"file gone", [](const std::string& path) { std::remove(path.c_str()); },
         "HYP-Datei konnte nicht geöffnet werden:\n\n"},
        {"file replaced by text",
         [](const std::string& path) { fixture::write_file(path, fixture::bytes_of("hello")); },
         "Keine HYP-Datei:\n\n"},
        {"file cut in its header",
         [](const std::string& path) { fixture::write_file(path, fixture::bytes_of("HDOC\0")); },
         "Keine HYP-Datei:\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HypBuilder builder;
        builder.node("Main", fixture::text_page({"text"}));
        ASSERT_NO_FATAL_FAILURE(open_written(builder));
        c.damage(path_);
        int result = -1;
        std::string message;
        const std::string text = run_export(&result, &message);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(text, "");
        EXPECT_EQ(message, c.message + path_);
        // The document stays as it was.
        EXPECT_EQ(document.index.size(), 1u);
        close_hypertext(document);
    }
}

TEST_F(TextExportTest, ExportByModeUsesTheModesWriter) {
    HypBuilder builder;
    builder.node("Main", fixture::text_page({"text"}));
    ASSERT_NO_FATAL_FAILURE(open_written(builder));
    std::string text;
    ExportOutput output(&text);
    const ExportRun run = export_run(ExportMode::Text, path_, document.source_charset);
    EXPECT_NE(make_page_writer(run, &output), nullptr);
    EXPECT_TRUE(succeeded(export_hypertext(run, settings.FONT, &output)));
    EXPECT_NE(text.find("text\r\n"), std::string::npos);
}

TEST_F(TextExportTest, ProgressCountsEveryEntry) {
    HypBuilder builder;
    for (int i = 0; i < 5; ++i) builder.node("N" + std::to_string(i), fixture::text_page({"x"}));
    ASSERT_NO_FATAL_FAILURE(open_written(builder));
    std::string text;
    ExportOutput output(&text);
    const ExportRun run = export_run(ExportMode::Text, path_, document.source_charset);
    TextWriter writer(output, run);
    std::vector<unsigned> done;
    const Outcome exported =
        export_hypertext(document, writer, run, &output, settings.FONT, [&](unsigned d, unsigned total) {
            EXPECT_EQ(total, 5u);
            done.push_back(d);
        });
    EXPECT_TRUE(exported);
    EXPECT_EQ(done, (std::vector<unsigned>{1, 2, 3, 4, 5}));
    // The run releases each page after the next is walked: only the last stays.
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(document.index[i].page_data.empty()) << i;
    EXPECT_EQ(document.file, nullptr);
}

}  // namespace

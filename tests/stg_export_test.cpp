// The ST-Guide source form: quoting, and the pages, links, symbols and graphics of synthetic
// hypertexts written in Stg mode through the export driver.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/stg_quote.h"
#include "export/stg_symbols.h"
#include "export/stg_writer.h"
#include "fixture/export_fixture.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "fixture/page_builder.h"
#include "fixture/ref_builder.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

using fixture::HypBuilder;
using fixture::LinkKind;
using fixture::PageBuilder;
using fixture::RefBuilder;

struct StgOptions {
    uint32_t all_links = 0;
    uint32_t force_index = 0;
    unsigned target = TARGET_ANSI;
};

// Builds doc.hyp (and doc.ref) in a fresh directory, exports it as doc.stg through the driver
// and returns what was written after the two banner lines, with LF line ends.
struct StgExport {
    std::string dir;
    std::string text;

    StgExport(const HypBuilder& hyp, const std::optional<RefBuilder>& ref,
              StgOptions options = {}) {
        dir = fixture::make_temp_directory("stg");
        EXPECT_TRUE(hyp.write(dir + "doc.hyp")) << hyp.error();
        if (ref) {
            EXPECT_TRUE(fixture::write_file(dir + "doc.ref", ref->build()));
        }
        HypDocument doc;
        int32_t page = -1;
        EXPECT_TRUE(succeeded(open_hypertext(doc, dir + "doc.hyp", std::nullopt, -1, page)));
        document.page_cache = PageCache{};
        ExportRun run;
        run.mode = ExportMode::Stg;
        run.path = dir + "doc.stg";
        run.all_links = options.all_links != 0;
        run.force_index = options.force_index != 0;
        run.conversion = conversion_table(doc.source_charset, options.target);
        std::string raw;
        {
            ExportOutput output(&raw);
            StgWriter writer(output, run);
            LogFontRecord font{};
            EXPECT_TRUE(succeeded(export_hypertext(doc, writer, run, &output, font)));
            output.flush();
        }
        // Every line ends in CR LF.
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\n') {
                EXPECT_TRUE(i > 0 && raw[i - 1] == '\r') << "bare LF at " << i;
            }
            if (raw[i] != '\r') text.push_back(raw[i]);
        }
        const size_t banner = text.find('\n', text.find('\n') + 1);
        EXPECT_EQ(text.compare(0, 15, "## Erzeugt von "), 0) << text;
        text.erase(0, banner + 1);
    }
    ~StgExport() { fixture::remove_directory(dir); }

    bool exists(const std::string& file) const {
        struct stat st;
        return stat((dir + file).c_str(), &st) == 0;
    }
};

using fixture::chained;
using fixture::page;

TEST(StgQuote, QuotesOnlyNamesWithBlanksOrQuotes) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"Main", "Main"},
        {"", ""},
        {"a\\b", "a\\b"},  // a backslash alone needs no quotes
        {"Zwei Worte", "\"Zwei Worte\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"\"", "\"\\\"\""},
        {"C:\\dir name", "\"C:\\\\dir name\""},
        {" ", "\" \""},
        {"@node x", "\"@node x\""},
    };
    for (const Case& c : cases) EXPECT_EQ(stg_quote(c.text), c.expected) << c.text;
    // Nothing is cut: 300 blanks give 302 characters.
    EXPECT_EQ(stg_quote(std::string(300, ' ')).size(), 302u);
}

TEST(StgAttributes, LettersInBitOrderAndFullReset) {
    struct Case {
        uint8_t from, to;
        const char* expected;
    };
    const Case cases[] = {
        {0, 1, "@{B}"},       {1, 4, "@{bI}"},  // bold to italic: b before I (bit order)
        {1 | 8, 0, "@{0}"},   {0, 0x7F, "@{BGIUOSX}"},  {0x7F, 0x40, "@{bgiuos}"},
        {2, 2 | 16, "@{O}"},  {0, 0x80 | 0x20, "@{S}"},  // bit 7 means nothing
        {0x20, 0x80, "@{0}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stg_attribute_command(c.from, c.to), c.expected)
            << int(c.from) << " -> " << int(c.to);
    }
}

TEST(StgSymbols, LettersOfTheFlags) {
    struct Case {
        uint8_t flags;
        const char* expected;
    };
    const Case cases[] = {{0, " "},   {1, "a "},  {2, "i "}, {4, "r "}, {5, "ar "},
                          {6, "ir "}, {3, "ai "}, {7, ""},   {15, ""}};
    for (const Case& c : cases) EXPECT_EQ(stg_symbol_letters(c.flags), c.expected) << int(c.flags);
}

TEST(StgExport, TheDriverMakesTheWritersOfBothModes) {
    std::string text;
    ExportOutput output(&text);
    ExportRun run;
    run.mode = ExportMode::Stg;
    const std::unique_ptr<PageWriter> stg = make_page_writer(run, &output);
    ASSERT_NE(stg, nullptr);
    EXPECT_EQ(stg->mode(), ExportMode::Stg);
    // HTML pages are files of their own: no output is handed over.
    run.mode = ExportMode::Html;
    const std::unique_ptr<PageWriter> html = make_page_writer(run, nullptr);
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(html->mode(), ExportMode::Html);
    run.mode = ExportMode::Stg;
    EXPECT_EQ(make_page_writer(run, nullptr), nullptr);
}

TEST(StgExport, DatabaseLinesFromTheExtendedHeaders) {
    HypBuilder b;
    b.ext_text(fixture::ext::kDatabase, "Meine Doku")
        .ext_text(fixture::ext::kDefault, "Main")
        .ext_text(fixture::ext::kHostname, "CAB Browser")
        .ext_text(fixture::ext::kOptions, "+z -s")
        .ext_text(fixture::ext::kAuthor, "A. Autor")
        .ext_text(fixture::ext::kVersion, "$VER: doc.hyp 1.0")
        .ext_text(fixture::ext::kHelp, "Hilfe")
        .ext_text(fixture::ext::kSubject, "Doku/Test")
        .ext(fixture::ext::kHyptree, {1, 2, 3})
        .ext_word(fixture::ext::kFlags, 0)
        .ext(fixture::ext::kAuthor, {})  // length 0: nothing
        .ext(30, {'x', 0})
        .ext_word(fixture::ext::kWidth, 75);
    b.node("Main", page(PageBuilder().line("x")));
    const StgExport e(b, std::nullopt);
    EXPECT_EQ(e.text,
              "@database \"Meine Doku\"\n"
              "@default Main\n"
              "@hostname CAB Browser\n"
              "@options +z -s\n"
              "@author \"A. Autor\"\n"
              "@$VER: doc.hyp 1.0\n"
              "@help Hilfe\n"
              "@subject Doku/Test\n"
              "@width 75\n"
              "\n@node Main\nx\n@endnode\n");
}

TEST(StgExport, NodeHeadsNavigationAndToc) {
    HypBuilder b;
    const size_t main = b.node("Main", page(PageBuilder().title("Die Hauptseite").line("Hallo")));
    const size_t second = b.node("Zweite Seite", page(PageBuilder().line("Text")));
    const size_t popup = b.popup("Popup", page(PageBuilder().line("Klein")));
    const size_t last = b.node("Ende", page(PageBuilder().line("Aus")));
    const size_t far = b.node("Fern", page(PageBuilder().line("F")));
    b.entry(main).previous = 0;
    b.entry(main).next = 1;
    b.entry(second).previous = 0;  // its neighbour in file order
    b.entry(second).next = 3;      // not its neighbour: written
    b.entry(popup).toc = 1;        // popups never announce a toc
    b.entry(last).previous = 0;
    b.entry(last).next = 4;  // the neighbour
    b.entry(last).toc = 1;
    b.entry(far).previous = 3;
    b.entry(far).next = 4;  // the last node pointing to itself
    b.entry(far).toc = 1;
    const StgExport e(b, std::nullopt);
    EXPECT_EQ(e.text,
              "\n@node Main \"Die Hauptseite\"\nHallo\n@endnode\n"
              "\n@node \"Zweite Seite\"\n@next Ende\nText\n@endnode\n"
              "\n@pnode Popup\nKlein\n@endnode\n"
              "\n@toc \"Zweite Seite\"\n"
              "\n@node Ende\n@prev Main\nAus\n@endnode\n"
              "\n@node Fern\nF\n@endnode\n");
}

TEST(StgExport, PageElements) {
    struct Case {
        const char* name;
        PageBuilder body;
        const char* expected;  // between the head and "@endnode"
    };
    const Case cases[] = {
        {"at signs in text are doubled", PageBuilder().line("mail@host @@"), "mail@@host @@@@\n"},
        {"a later title", PageBuilder().line("a").title("Neuer Titel").line("b"),
         "a\n@title \"Neuer Titel\"\nb\n"},
        {"a title after text on the line", PageBuilder().text("a").title("T").end_line(),
         "a@title T\n\n"},
        {"literal escape", PageBuilder().text("a").literal_esc().line("b"),
         "a\x1b"
         "b\n"},
        {"attributes and a full reset",
         PageBuilder()
             .attributes(1 | 8)
             .text("fett")
             .attributes(4)
             .text("kursiv")
             .attributes(4)
             .attributes(0)
             .line("."),
         "@{BU}fett@{bIu}kursiv@{0}.\n"},
        {"cross references",
         PageBuilder().xref(1, "Ziel").xref(1, "Mehr dazu").xref(2, "Zwei Worte").line("x"),
         "@xref Ziel\n@xref Ziel \"Mehr dazu\"\n@xref \"Zwei Worte\"\nx\n"},
        {"tree record", PageBuilder().tree(1, 2, 3, 2).line("x"),
         "## @tree Zeile: 1, Baum: 2, Objekt: 3, Index: 2 (\"Zwei Worte\")\nx\n"},
        {"data blocks and unknown codes write nothing",
         PageBuilder().data_block(3, {1, 2}).esc(0x20).line("x"), "x\n"},
        {"text in the Atari set", PageBuilder().line("M\x84rz \x9e"), "M\xe4rz \xdf\n"},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.node("Main", page(c.body));
        b.node("Ziel", page(PageBuilder().line("z")));
        b.node("Zwei Worte", page(PageBuilder().line("z")));
        const StgExport e(chained(b), std::nullopt);
        const std::string head = "\n@node Main\n";
        ASSERT_EQ(e.text.compare(0, head.size(), head), 0) << c.name << "\n" << e.text;
        const size_t end = e.text.find("@endnode\n");
        ASSERT_NE(end, std::string::npos) << c.name;
        EXPECT_EQ(e.text.substr(head.size(), end - head.size()), c.expected) << c.name;
    }
}

TEST(StgExport, PageWithoutOutputGetsItsHeadAtTheEnd) {
    HypBuilder b;
    b.node("Leer", {});
    b.node("Nur Daten", page(PageBuilder().data_block(0, {7})));
    const StgExport e(chained(b), std::nullopt);
    EXPECT_EQ(e.text, "\n@node Leer\n@endnode\n\n@node \"Nur Daten\"\n@endnode\n");
}

TEST(StgExport, QuotingOfNamesWithBlanksQuotesAndBackslashes) {
    HypBuilder b;
    b.node("Main", page(PageBuilder().link(LinkKind::Link, 1, "hier klicken")));
    b.node("Sag \"Hallo\" C:\\x", page(PageBuilder().line("q")));
    const StgExport e(chained(b), std::nullopt);
    EXPECT_EQ(e.text,
              "\n@node Main\n@{\"hier klicken\" link \"Sag \\\"Hallo\\\" C:\\\\x\"}@endnode\n"
              "\n@node \"Sag \\\"Hallo\\\" C:\\\\x\"\nq\n@endnode\n");
}

// Entries of the link test document, in index order.
enum : uint32_t { MAIN, TARGET, POP, EXTERN, SYS, IMG, RXS, RX, QUIT, OTHER };

HypBuilder link_document(const PageBuilder& body) {
    HypBuilder b;
    b.node("Main", page(body));
    b.node("Target", page(PageBuilder().line("t").line("t").line("t")));
    b.popup("Pop", page(PageBuilder().line("p")));
    b.reference(fixture::type::kExternal, "other.hyp/Node");
    b.reference(fixture::type::kSystem, "sys.prg");
    std::vector<uint8_t> image;
    std::string error;
    fixture::make_image_object(8, 1, 1, std::vector<uint8_t>(8, 1), image, error);
    b.image(image, std::string("bild.img"));
    b.reference(fixture::type::kRexxScript, "script.rexx");
    b.reference(fixture::type::kRexxCommand, "ADDRESS x");
    b.reference(fixture::type::kQuit, "");
    b.node("Mail@Home", page(PageBuilder().line("m")));
    return chained(b);
}

RefBuilder link_ref() {
    RefBuilder r;
    r.module().file_name("doc.hyp").node("Main").node("Target").alias("Ziel").label("Marke", 2);
    r.node("Pop").node("Mail@Home");
    return r;
}

TEST(StgExport, LinkRules) {
    struct Case {
        const char* name;
        PageBuilder link;
        bool with_ref;
        const char* without_all_links;
        const char* with_all_links;
    };
    const Case cases[] = {
        // Rule 1: no stored text.
        {"no text", PageBuilder().link(LinkKind::Link, TARGET, ""), true, "Target",
         "@{Target link Target}"},
        {"no text, alink to a line", PageBuilder().link(LinkKind::AlinkLine, TARGET, "", 2), true,
         "Target", "@{Target link Target}"},
        {"no text, at sign in the name", PageBuilder().link(LinkKind::Link, OTHER, ""), true,
         "Mail@@Home", "@{Mail@Home link Mail@Home}"},
        // Rule 2: text and a line.
        {"label known and used", PageBuilder().link(LinkKind::LinkLine, TARGET, "Marke", 2), true,
         "Marke", "@{Marke link Target Marke}"},
        {"no symbol for the line", PageBuilder().link(LinkKind::LinkLine, TARGET, "Woanders", 7),
         true, "@{Woanders link Target 7}", "@{Woanders link Target 7}"},
        {"alink to a line", PageBuilder().link(LinkKind::AlinkLine, TARGET, "Da", 3), true,
         "@{Da alink Target 3}", "@{Da alink Target 3}"},
        {"label without REF file", PageBuilder().link(LinkKind::LinkLine, TARGET, "Marke", 2),
         false, "@{Marke link Target 2}", "@{Marke link Target 2}"},
        // Rule 3: text, no line.
        {"node name of the target", PageBuilder().link(LinkKind::Link, TARGET, "Target"), true,
         "Target", "@{Target link Target}"},
        {"alias of the target", PageBuilder().link(LinkKind::Link, TARGET, "Ziel"), true, "Ziel",
         "@{Ziel link Target}"},
        {"alias of another node", PageBuilder().link(LinkKind::Link, POP, "Ziel"), true,
         "@{Ziel link Pop}", "@{Ziel link Pop}"},
        {"popup by its name", PageBuilder().link(LinkKind::Alink, POP, "Pop"), true, "Pop",
         "@{Pop alink Pop}"},
        {"other text", PageBuilder().link(LinkKind::Link, TARGET, "mehr @ hier"), true,
         "@{\"mehr @ hier\" link Target}", "@{\"mehr @ hier\" link Target}"},
        {"node name without REF file", PageBuilder().link(LinkKind::Link, TARGET, "Target"), false,
         "@{Target link Target}", "@{Target link Target}"},
        {"at sign of a known name", PageBuilder().link(LinkKind::Link, OTHER, "Mail@Home"), true,
         "Mail@@Home", "@{Mail@Home link Mail@Home}"},
        {"external", PageBuilder().link(LinkKind::Link, EXTERN, "Node"), true,
         "@{Node link other.hyp/Node}", "@{Node link other.hyp/Node}"},
        {"system", PageBuilder().link(LinkKind::Link, SYS, "Start"), true,
         "@{Start system sys.prg}", "@{Start system sys.prg}"},
        {"image", PageBuilder().link(LinkKind::Link, IMG, "Bild"), true, "@{Bild image bild.img}",
         "@{Bild image bild.img}"},
        {"rexx script", PageBuilder().link(LinkKind::Alink, RXS, "S"), true,
         "@{S arxs script.rexx}", "@{S arxs script.rexx}"},
        {"rexx command", PageBuilder().link(LinkKind::Link, RX, "R"), true, "@{R rx \"ADDRESS x\"}",
         "@{R rx \"ADDRESS x\"}"},
        {"quit", PageBuilder().link(LinkKind::Link, QUIT, "Beenden"), true, "@{Beenden quit}",
         "@{Beenden quit}"},
    };
    for (const Case& c : cases) {
        for (uint32_t all : {0u, 1u}) {
            const StgExport e(link_document(c.link),
                              c.with_ref ? std::optional(link_ref()) : std::nullopt,
                              StgOptions{all});
            const std::string head = "\n@node Main\n";
            ASSERT_EQ(e.text.compare(0, head.size(), head), 0) << c.name << "\n" << e.text;
            const size_t end = e.text.find("@endnode\n");
            EXPECT_EQ(e.text.substr(head.size(), end - head.size()),
                      all ? c.with_all_links : c.without_all_links)
                << c.name << ", alllinks " << all;
        }
    }
}

TEST(StgExport, SymbolLinesAtTheirLines) {
    HypBuilder b;
    b.node("Main", page(PageBuilder().line("null").line("eins").line("zwei").line("drei")));
    b.node("Other", page(PageBuilder().link(LinkKind::LinkLine, 0, "Zwei", 2).end_line()));
    chained(b);
    RefBuilder r;
    r.module().file_name("doc.hyp").node("Main").alias("Start").label("Zwei", 2).label("Eins", 1);
    r.node("Other").alias("Anders");
    // A second module naming Main again: its symbols join Main's group.
    r.module().node("Main").alias("Haupt");
    const StgExport e(b, r);
    EXPECT_EQ(e.text,
              "\n@node Main\n@symbol r Start\n@symbol r Haupt\n"
              "null\n@symbol r Eins\neins\n@symbol ar Zwei\nzwei\ndrei\n@endnode\n"
              "\n@node Other\n@symbol r Anders\nZwei\n@endnode\n");
}

TEST(StgExport, IndexPageLeftOutAndItsNamesMarked) {
    struct Case {
        const char* name;
        const char* options;
        uint32_t force_index;
        bool index_written;
    };
    const Case cases[] = {
        {"-i, forceindex 0", "-i -s", 0, false},
        {"-i, forceindex 1", "+z -i", 1, true},
        {"no -i", "+z", 0, true},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.ext_text(fixture::ext::kOptions, c.options);
        b.node("Main", page(PageBuilder().link(LinkKind::Link, 2, "Foo").end_line()));
        b.node("Index", page(PageBuilder()
                                 .link(LinkKind::Link, 2, "Foo")
                                 .end_line()
                                 .link(LinkKind::Link, 2, "Bar")
                                 .end_line()));
        b.node("Foo", page(PageBuilder().line("f")));
        const StgExport e(chained(b), std::nullopt, StgOptions{0, c.force_index});
        EXPECT_EQ(e.text.find("@node Index") != std::string::npos, c.index_written) << c.name;
        const bool marked = std::string(c.options).find("-i") != std::string::npos;
        if (marked) {
            // The index page adds Foo's names (flags 2, "i"); Main's link then uses the alias
            // Foo (bit 0, "a") and is left to the compiler; Bar is used by the index alone.
            EXPECT_NE(e.text.find("\n@node Foo\n@symbol ai Foo\n@symbol i Bar\nf\n"),
                      std::string::npos)
                << c.name << "\n"
                << e.text;
            EXPECT_NE(e.text.find("\n@node Main\nFoo\n"), std::string::npos) << c.name;
            if (c.index_written) {
                EXPECT_NE(e.text.find("\n@node Index\nFoo\n@{Bar link Foo}\n"), std::string::npos)
                    << c.name << "\n"
                    << e.text;
            }
        } else {
            // Without symbols every link is written out.
            EXPECT_EQ(e.text.find("@symbol"), std::string::npos) << c.name;
            EXPECT_NE(e.text.find("\n@node Main\n@{Foo link Foo}\n"), std::string::npos) << c.name;
        }
    }
}

TEST(StgExport, GraphicsAndPicturesAtTheirLines) {
    std::vector<uint8_t> image;
    std::string error;
    fixture::make_image_object(16, 4, 2, std::vector<uint8_t>(64, 2), image, error);
    HypBuilder b;
    b.node("Main", page(PageBuilder()
                            .box(1, 0, 10, 3, 2)
                            .picture(1, 0, 0, true)
                            .draw_line(5, 2, -3, -1, 3, fixture::arrow::kEnd)
                            .rbox(4, 1, 6, 2, 0)
                            .picture(2, 12, 3, false)
                            .line("Text0")
                            .line("Text1")
                            .line("Text2")
                            .line("Text3")));
    b.image(image);
    b.image(fixture::make_image_object_raw(8, 8, 6, std::vector<uint8_t>(96, 0xFF)));
    const StgExport e(chained(b), std::nullopt);
    EXPECT_EQ(e.text,
              "\n@node Main\n@box 1 10 3 2\n## @limage doc_Index1.bmp 0\nText0\n"
              "@rbox 4 6 2 0\nText1\n@line 5 -3 -1 2 3\nText2\n## @image doc_Index2.bmp 12\n"
              "Text3\n@endnode\n");
    EXPECT_TRUE(e.exists("doc_Index1.bmp"));
    // Six planes: the reference stays, no file.
    EXPECT_FALSE(e.exists("doc_Index2.bmp"));
}

}  // namespace

// The HTML pages: escaping, file names, and the pages, links, navigation and anchors of
// synthetic hypertexts written in Html mode through the export driver.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "export/export_driver.h"
#include "export/html_links.h"
#include "export/html_text.h"
#include "export/html_writer.h"
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

using fixture::chained;
using fixture::page;

struct HtmlOptions {
    unsigned target = TARGET_ANSI;
    uint32_t force_index = 0;
    // A page file name made impossible to create (a directory of that name), or empty.
    std::string blocked_file;
    // Further files put beside doc.hyp before the export (other hypertexts and their REF files).
    std::vector<std::pair<std::string, std::vector<uint8_t>>> beside = {};
    // More names made impossible to create, like blocked_file.
    std::vector<std::string> more_blocked = {};
};

// Builds doc.hyp (and doc.ref) in a fresh directory and exports it as HTML, the chosen file
// being out.html there. The pages are read back with LF line ends.
struct HtmlExport {
    std::string dir;
    int result = -1;
    std::string message;
    std::string first_file;
    uint32_t forceindex_after = 0;

    HtmlExport(const HypBuilder& hyp, const std::optional<RefBuilder>& ref,
               HtmlOptions options = {}) {
        dir = fixture::make_temp_directory("html");
        EXPECT_TRUE(hyp.write(dir + "doc.hyp")) << hyp.error();
        if (ref) {
            EXPECT_TRUE(fixture::write_file(dir + "doc.ref", ref->build()));
        }
        if (!options.blocked_file.empty()) mkdir((dir + options.blocked_file).c_str(), 0755);
        for (const std::string& name : options.more_blocked) mkdir((dir + name).c_str(), 0755);
        for (const auto& [name, bytes] : options.beside) {
            EXPECT_TRUE(fixture::write_file(dir + name, bytes)) << name;
        }
        HypDocument doc;
        int32_t start = -1;
        EXPECT_TRUE(succeeded(open_hypertext(doc, dir + "doc.hyp", std::nullopt, -1, start)));
        document.page_cache = PageCache{};
        // The run as the viewer makes it from the settings (colours, markers), then the case's.
        ExportRun run = export_run(ExportMode::Html, dir + "out.html", doc.source_charset);
        run.force_index = options.force_index != 0;
        run.target = options.target;
        run.conversion = conversion_table(doc.source_charset, options.target);
        const uint32_t saved_forceindex = settings.forceindex;
        const uint32_t saved_char_conv = settings.char_conv;
        settings.forceindex = options.force_index;
        settings.char_conv = options.target;
        {
            HtmlWriter writer(run);
            const Outcome exported = export_hypertext(doc, writer, run, nullptr, settings.FONT);
            result = exported ? 0 : 1;
            if (!exported) message = exported.failure().message;
            first_file = writer.first_file();
        }
        forceindex_after = settings.forceindex;
        settings.forceindex = saved_forceindex;
        settings.char_conv = saved_char_conv;
    }
    ~HtmlExport() { fixture::remove_directory(dir); }

    bool exists(const std::string& file) const {
        struct stat st;
        return stat((dir + file).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    // A page file with LF line ends; every line end must have been CR LF.
    std::string file(const std::string& name) const {
        const std::vector<uint8_t> bytes = fixture::read_file(dir + name);
        std::string text;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << ": bare LF at " << i;
            }
            if (bytes[i] != '\r') text.push_back(static_cast<char>(bytes[i]));
        }
        return text;
    }

    // The part of a page between its head (after "<BODY>\n") and "\t</BODY>".
    std::string body(const std::string& name) const {
        const std::string text = file(name);
        const size_t from = text.find("\t<BODY>\n");
        const size_t to = text.rfind("\t</BODY>\n</HTML>\n");
        if (from == std::string::npos || to == std::string::npos || to < from) return "?" + text;
        return text.substr(from + 8, to - from - 8);
    }
};

TEST(HtmlEscape, EntitiesAndBlankRuns) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"a & b", "a &amp; b"},
        {"<B>\"x\"</B>", "&lt;B&gt;&quot;x&quot;&lt;/B&gt;"},
        {"one blank", "one blank"},
        {"two  blanks", "two<TT>&nbsp;&nbsp;</TT>blanks"},
        {"   ", "<TT>&nbsp;&nbsp;&nbsp;</TT>"},
        {" a  b ", " a<TT>&nbsp;&nbsp;</TT>b "},
        {"&nbsp;", "&amp;nbsp;"},
    };
    for (const Case& c : cases) EXPECT_EQ(html_escape(c.text), c.expected) << c.text;
    // Nothing is cut: 1000 quotes give 6000 characters.
    EXPECT_EQ(html_escape(std::string(1000, '"')).size(), 6000u);
}

TEST(HtmlFileName, ReplacesReservedCharactersAndConvertsToAnsi) {
    struct Case {
        const char* name;
        unsigned charset;
        const char* expected;
    };
    const Case cases[] = {
        {"Main", CHARSET_TOS, "Main.html"},
        {"Zwei Worte", CHARSET_TOS, "Zwei_Worte.html"},
        {"a/b\\c?d*e:f'g<h>i|j\"k", CHARSET_TOS, "a_b_c_d_e_f_g_h_i_j_k.html"},
        {"x.y-z_1", CHARSET_TOS, "x.y-z_1.html"},
        // Atari 0x84 and Macintosh 0x8A are both the Windows "ä" (0xE4).
        {"M\x84rz", CHARSET_TOS, "M\xE4rz.html"},
        {"M\x8Arz", CHARSET_MAC, "M\xE4rz.html"},
        {"", CHARSET_TOS, ".html"},
    };
    for (const Case& c : cases) EXPECT_EQ(html_file_name(c.name, c.charset), c.expected) << c.name;
}

TEST(HtmlFileName, StaysAnsiWhateverTheExportWrites) {
    // The run's conversion (here to the DOS set) changes texts, never file names.
    EXPECT_EQ(html_file_name("\x84", CHARSET_TOS), "\xE4.html");
    EXPECT_EQ(convert_charset("\x84", false, conversion_table(CHARSET_TOS, TARGET_OEM)),
              "\x84");  // Atari and DOS share the "ä"
}

TEST(HtmlReference, PercentAndHashKeepTheirMeaningAsFileNames) {
    struct Case {
        const char* file;
        const char* expected;
    };
    const Case cases[] = {{"Main.html", "Main.html"},
                          {"#.html", "%23.html"},
                          {"100%.html", "100%25.html"},
                          {"a_b#c%d.html", "a_b%23c%25d.html"},
                          {"Drag&Drop.html", "Drag%26Drop.html"},
                          // The bytes on disk, whatever set: a browser asks for exactly them.
                          {"M\xE4rz.html", "M%E4rz.html"},
                          {"../mint-en/Main.html", "../mint-en/Main.html"},
                          {"a?b c\"d<e>.html", "a%3Fb%20c%22d%3Ce%3E.html"}};
    for (const Case& c : cases) EXPECT_EQ(html_reference(c.file), c.expected) << c.file;
}

TEST(HtmlLinks, UrlsAndExternalNames) {
    struct Case {
        const char* name;
        bool url;
        const char* file;  // of the split; "" = the hypertext itself
        const char* node;  // nullptr = the file as a whole
    };
    const Case cases[] = {
        {"http://example.org/a", true, "", nullptr},
        {"HTTPS://example.org", true, "", nullptr},
        {"ftp://ftp.example.org/pub", true, "", nullptr},
        {"mailto:someone@example.org", true, "", nullptr},
        {"other.hyp/Kapitel 2", false, "other.hyp", "Kapitel 2"},
        {"other\\Kapitel/2", false, "other", "Kapitel/2"},
        {"OTHER.HYP", false, "OTHER.HYP", nullptr},
        {"Hinweis: lesen", false, "", "Hinweis: lesen"},  // a colon alone makes no address
        {"C:\\doc\\x.hyp", false, "C:", "doc\\x.hyp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(is_url(c.name), c.url) << c.name;
        if (c.url) continue;
        const ExternalName split = split_external_name(c.name);
        EXPECT_EQ(split.file, c.file) << c.name;
        EXPECT_EQ(split.node.has_value(), c.node != nullptr) << c.name;
        if (c.node && split.node) EXPECT_EQ(*split.node, c.node) << c.name;
    }
}

TEST(HtmlExport, LinksToEntriesThatAreNoPages) {
    // sib.hyp lies beside the exported file: its page files are named as its own export names
    // them (the second "Kapitel 2" gets "_2"), an alias of its REF file finds its node, a label
    // its node and the label's anchor there (spelt as the REF file spells it). A label listed
    // under a node spelt otherwise than the page gets no anchor on that page: none is named.
    HypBuilder sib;
    sib.node("Start", page(PageBuilder().line("s")));
    sib.node("Kapitel 2", page(PageBuilder().line("k").line("a")));
    sib.node("Kapitel/2", page(PageBuilder().line("k")));
    sib.node("M\x84rz", page(PageBuilder().line("m")));
    chained(sib);
    RefBuilder sib_ref;
    sib_ref.module().node("Kapitel/2").alias("zwei").node("Kapitel 2").label("Absatz", 1);
    sib_ref.module().node("KAPITEL 2").label("Fern", 1);

    struct Case {
        uint8_t type;
        const char* target;  // the entry's name
        const char* text;    // stored link text, "" for none
        const char* expected;
    };
    const Case cases[] = {
        {ENTRY_EXTERNAL, "http://example.org/a?b=1&c=2", "",
         "<A HREF=\"http://example.org/a?b=1&amp;c=2\">http://example.org/a?b=1&amp;c=2</A>"},
        {ENTRY_EXTERNAL, "MAILTO:someone@example.org", "Post",
         "<A HREF=\"MAILTO:someone@example.org\">Post</A>"},
        {ENTRY_EXTERNAL, "other.hyp/Kapitel 2", "", "<A HREF=\"../other/Kapitel_2.html\">"},
        {ENTRY_EXTERNAL, "Other.HYP", "Anderes", "<A HREF=\"../Other/\">Anderes</A>"},
        {ENTRY_EXTERNAL, "sib.hyp/zwei", "Zwei", "<A HREF=\"../sib/Kapitel_2_2.html\">Zwei</A>"},
        {ENTRY_EXTERNAL, "sib.hyp/Kapitel 2", "K", "<A HREF=\"../sib/Kapitel_2.html\">K</A>"},
        {ENTRY_EXTERNAL, "sib.hyp/m\x84rz", "M", "<A HREF=\"../sib/M%E4rz.html\">M</A>"},
        {ENTRY_EXTERNAL, "SIB.HYP", "Ganz", "<A HREF=\"../SIB/Start.html\">Ganz</A>"},
        {ENTRY_EXTERNAL, "sib.hyp/Fehlt", "F", "<A HREF=\"../sib/Start.html\">F</A>"},
        {ENTRY_EXTERNAL, "sib.hyp/Absatz", "A", "<A HREF=\"../sib/Kapitel_2.html#Absatz\">A</A>"},
        {ENTRY_EXTERNAL, "Sib.hyp/ABSATZ", "A", "<A HREF=\"../Sib/Kapitel_2.html#Absatz\">A</A>"},
        {ENTRY_EXTERNAL, "sib.hyp/Fern", "F", "<A HREF=\"../sib/Kapitel_2.html\">F</A>"},
        {ENTRY_EXTERNAL, "other.hyp/Absatz", "A", "<A HREF=\"../other/Absatz.html\">A</A>"},
        {ENTRY_EXTERNAL, "Zwei", "Hier", "<A HREF=\"Zwei.html\">Hier</A>"},
        {ENTRY_EXTERNAL, "DOC.hyp/Zwei", "Hier", "<A HREF=\"Zwei.html\">Hier</A>"},
        {ENTRY_SYSTEM, "https://example.org/x", "Web", "<A HREF=\"https://example.org/x\">Web</A>"},
        {ENTRY_REXX_COMMAND, "ftp://example.org", "F", "<A HREF=\"ftp://example.org\">F</A>"},
        {ENTRY_SYSTEM, "ls -l", "Liste", "Liste<BR>"},
        {ENTRY_REXX_SCRIPT, "a.rexx", "Skript", "Skript<BR>"},
        {ENTRY_REXX_COMMAND, "say", "", "say<BR>"},
        {ENTRY_QUIT, "quit", "Ende", "Ende<BR>"},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.node("Main", page(PageBuilder().link(LinkKind::Link, 2, c.text).end_line()));
        b.node("Zwei", page(PageBuilder().line("z")));
        b.reference(c.type, c.target);
        chained(b);
        HtmlOptions options;
        options.beside = {{"sib.hyp", sib.build()}, {"sib.ref", sib_ref.build()}};
        const HtmlExport e(b, std::nullopt, options);
        ASSERT_EQ(e.result, 0) << c.target << ": " << e.message;
        const std::string body = e.body("Main.html");
        EXPECT_NE(body.find(std::string("<BR><BR>\n") + c.expected), std::string::npos)
            << c.target << "\n"
            << body;
    }
}

TEST(HtmlExport, LabelLinkAcrossASetLandsOnTheLabelsAnchor) {
    // Two hypertexts exported together as a set, each into <set>/<base>/ as hypconv does: a
    // link of a.hyp to a label of b.hyp names a page of b's export and an anchor that page has,
    // in front of the label's line (line 2: "zwei").
    HypBuilder a;
    a.node("Main", page(PageBuilder().link(LinkKind::Link, 1, "Dort").end_line()));
    a.reference(ENTRY_EXTERNAL, "b.hyp/Dort");
    chained(a);
    HypBuilder b;
    b.node("Start", page(PageBuilder().line("s")));
    b.node("Ziel Seite", page(PageBuilder().line("null").line("eins").line("zwei")));
    chained(b);
    RefBuilder b_ref;
    b_ref.module().node("Start").node("Ziel Seite").label("dort", 2);

    const std::string dir = fixture::make_temp_directory("htmlset");
    ASSERT_TRUE(a.write(dir + "a.hyp")) << a.error();
    ASSERT_TRUE(b.write(dir + "b.hyp")) << b.error();
    ASSERT_TRUE(fixture::write_file(dir + "b.ref", b_ref.build()));
    mkdir((dir + "set").c_str(), 0755);
    for (const char* base : {"a", "b"}) {
        const std::string folder = dir + "set/" + base + "/";
        mkdir(folder.c_str(), 0755);
        HypDocument doc;
        int32_t start = -1;
        ASSERT_TRUE(succeeded(open_hypertext(doc, dir + base + ".hyp", std::nullopt, -1, start)));
        document.page_cache = PageCache{};
        ExportRun run;
        run.mode = ExportMode::Html;
        run.path = folder + base + ".html";
        run.conversion = conversion_table(doc.source_charset, TARGET_ANSI);
        HtmlWriter writer(run);
        ASSERT_TRUE(succeeded(export_hypertext(doc, writer, run, nullptr, settings.FONT))) << base;
    }
    const auto text_of = [&](const std::string& name) {
        const std::vector<uint8_t> bytes = fixture::read_file(dir + "set/" + name);
        return std::string(bytes.begin(), bytes.end());
    };
    const std::string main = text_of("a/Main.html");
    const std::string opening = "<A HREF=\"../b/";
    const size_t at = main.find(opening);
    ASSERT_NE(at, std::string::npos) << main;
    const size_t hash = main.find('#', at);
    const size_t quote = main.find('"', at + opening.size());
    ASSERT_LT(hash, quote) << "no anchor in " << main.substr(at, 60);
    const std::string file = main.substr(at + opening.size(), hash - at - opening.size());
    const std::string anchor = main.substr(hash + 1, quote - hash - 1);
    EXPECT_EQ(file, "Ziel_Seite.html");
    EXPECT_NE(text_of("b/" + file).find("<A NAME=\"" + anchor + "\"></A>\r\nzwei<BR>"),
              std::string::npos)
        << "anchor \"" << anchor << "\" not before line 2 of b/" << file;
    fixture::remove_directory(dir);
}

TEST(HtmlExport, Utf8PagesDeclareAndWriteUtf8) {
    HypBuilder b;
    b.node("Main", page(PageBuilder()
                            .link(LinkKind::Link, 1, "")
                            .line(" \x03 \x9E \xE4 \x1B")
                            .link(LinkKind::Link, 2, "")
                            .end_line()));
    b.node("M\x84rz", page(PageBuilder().title("\xE0 & \xE1").line("x")));
    b.reference(ENTRY_EXTERNAL, "http://example.org/\x84");
    chained(b);
    const HtmlExport e(b, std::nullopt, HtmlOptions{TARGET_UTF8, 0, {}});
    ASSERT_EQ(e.result, 0) << e.message;
    EXPECT_NE(e.file("Main.html")
                  .find("<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html;CHARSET=utf-8\">"),
              std::string::npos);
    // The file keeps its Windows-set name; the reference names its bytes. The Atari arrow,
    // sharp s, Sigma and the escape glyph are what the Atari set shows.
    EXPECT_TRUE(e.exists("M\xE4rz.html"));
    EXPECT_NE(e.body("Main.html")
                  .find(u8"<A HREF=\"M%E4rz.html\">M\u00E4rz</A> \u21E8 \u00DF \u03A3 \u241B<BR>\n"
                        u8"<A HREF=\"http://example.org/\u00E4\">http://example.org/\u00E4</A>"),
              std::string::npos)
        << e.body("Main.html");
    EXPECT_NE(e.file("M\xE4rz.html").find(u8"<TITLE>\u03B1 &amp; \u03B2</TITLE>"),
              std::string::npos);
}

TEST(HtmlPageFiles, LaterPagesWithATakenNameGetTheirOwn) {
    struct Page {
        uint8_t type;
        const char* name;
        const char* expected;  // "" for entries that are no pages
    };
    struct Case {
        const char* name;
        std::vector<Page> pages;
    };
    const Case cases[] = {
        {"no clash keeps every name",
         {{ENTRY_NODE, "Main", "Main.html"},
          {ENTRY_PNODE, "A B", "A_B.html"},
          {ENTRY_EXTERNAL, "A B", ""}}},
        {"replaced characters",
         {{ENTRY_NODE, "A B", "A_B.html"},
          {ENTRY_NODE, "A/B", "A_B_1.html"},
          {ENTRY_PNODE, "A:B", "A_B_2.html"}}},
        {"letter case",
         {{ENTRY_NODE, "Intro", "Intro.html"},
          {ENTRY_NODE, "intro", "intro_1.html"},
          {ENTRY_NODE, "\xC4rger", "\xC4rger.html"},
          {ENTRY_NODE, "\xE4rger", "\xE4rger_3.html"}}},
        {"a renamed page avoids names of other pages",
         {{ENTRY_NODE, "X", "X.html"},
          {ENTRY_NODE, "x", "x_1_1.html"},
          {ENTRY_NODE, "X_1", "X_1.html"}}},
    };
    for (const Case& c : cases) {
        HypDocument doc;
        // The names are written in the Windows set, which converts to itself.
        doc.source_charset = CHARSET_SOURCE_ANSI;
        for (const Page& p : c.pages) {
            IndexEntry entry;
            entry.type = p.type;
            entry.name = p.name;
            doc.index.push_back(std::move(entry));
        }
        const std::vector<std::string> files = html_page_file_names(doc);
        ASSERT_EQ(files.size(), c.pages.size()) << c.name;
        for (size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(files[i], c.pages[i].expected) << c.name << ", entry " << i;
        }
    }
}

TEST(HtmlExport, DocumentHeadStyleAndNavigation) {
    const uint32_t saved[] = {settings.REFCOLOR_INTERNE_SEITE(), settings.BCKCOLOR(), settings.POPCOLOR(), settings.TXTCOLOR(), settings.GTXTCOLOR()};
    settings.REFCOLOR_INTERNE_SEITE() = 0x00FF0000;  // blue, stored blue-green-red
    settings.BCKCOLOR() = 0x00C0FFEE;
    settings.POPCOLOR() = 0x00123456;
    settings.TXTCOLOR() = 0x00000080;
    HypBuilder b;
    b.node("Main", page(PageBuilder().title("Start & Ziel").line("Hallo")));
    b.popup("Pop", page(PageBuilder().line("Klein")));
    b.node("Zwei", page(PageBuilder().line("z")));
    b.node("Drei", page(PageBuilder().line("d")));
    chained(b);
    b.entry(2).toc = 2;  // from here on the TOC link points to Zwei
    b.entry(3).toc = 2;
    const HtmlExport e(b, std::nullopt);
    settings.REFCOLOR_INTERNE_SEITE() = saved[0];
    settings.BCKCOLOR() = saved[1];
    settings.POPCOLOR() = saved[2];
    settings.TXTCOLOR() = saved[3];
    ASSERT_EQ(e.result, 0) << e.message;
    EXPECT_EQ(e.first_file, "Main.html");

    const std::string version =
        convert_charset(program_version(), false, conversion_table(CHARSET_TOS, settings.char_conv));
    const std::string generator = std::string(PROGRAM_NAME) + " v" + version +
                                  " / Modul HYPCONV (Compiled " + build_date() + ", " +
                                  build_time() + ")";
    const auto head = [&](const std::string& title, const std::string& background) {
        return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\n<HTML>\n"
               "\t<!-- Datei wurde automatisch erzeugt von Vellumar/HYPCONV -->\n"
               "\t<!-- Vellumar - (c) Ostwick -->\n"
               "\t<HEAD>\n"
               "\t\t<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html;CHARSET=iso8859-1\">\n"
               "\t\t<META NAME=\"GENERATOR\" CONTENT=\"" +
               generator + "\">\n\t\t<TITLE>" + title +
               "</TITLE>\n"
               "\t\t<STYLE TYPE=\"text/css\">\n\t\t\t<!--\n\t\t\tA:LINK, A:VISITED\n\t\t\t{\n"
               "\t\t\t\tcolor: #0000FF;\n\t\t\t}\n\t\t\tBODY\n\t\t\t{\n"
               "\t\t\t\tbackground-color: " +
               background + ";\n\t\t\t\tcolor: #800000;\n\t\t\t\tfont-family: " + settings.FONT.lfFaceName +
               ";\n\t\t\t}\n\t\t\t-->\n\t\t</STYLE>\n\t</HEAD>\n\n\t<BODY>\n";
    };
    EXPECT_EQ(e.file("Main.html"), head("Start &amp; Ziel", "#EEFFC0") +
                                       "<A HREF=\"Pop.html\">Next</A>\n"
                                       "<A HREF=\"Main.html\">TOC</A>\n<BR><BR>\n"
                                       "Hallo<BR>\n\t</BODY>\n</HTML>\n");
    // A popup: its own background, no navigation.
    EXPECT_EQ(e.file("Pop.html"), head("Pop", "#563412") + "Klein<BR>\n\t</BODY>\n</HTML>\n");
    // Previous and Next also for neighbours in file order; the TOC of the last node seen.
    EXPECT_EQ(e.body("Zwei.html"),
              "<A HREF=\"Pop.html\">Previous</A>\n<A HREF=\"Drei.html\">Next</A>\n"
              "<A HREF=\"Zwei.html\">TOC</A>\n<BR><BR>\nz<BR>\n");
    // The last node pointing to itself has no Next.
    EXPECT_EQ(e.body("Drei.html"),
              "<A HREF=\"Zwei.html\">Previous</A>\n<A HREF=\"Zwei.html\">TOC</A>\n<BR><BR>\n"
              "d<BR>\n");
}

TEST(HtmlExport, PageElements) {
    std::vector<uint8_t> image;
    std::string error;
    fixture::make_image_object(8, 2, 1, std::vector<uint8_t>(16, 1), image, error);
    struct Case {
        const char* name;
        PageBuilder body;
        const char* expected;  // after the navigation
    };
    const Case cases[] = {
        {"escaped text", PageBuilder().line("a<b>\"c\" & d  e@f"),
         "a&lt;b&gt;&quot;c&quot; &amp; d<TT>&nbsp;&nbsp;</TT>e@f<BR>\n"},
        {"a later title", PageBuilder().line("a").title("B & C").line("d"),
         "a<BR>\n<TITLE>B &amp; C</TITLE>\nd<BR>\n"},
        {"bold on and italic off at once",
         PageBuilder().attributes(4).text("i").attributes(1).text("b").attributes(0).end_line(),
         "<I>i<B></I>b</B><BR>\n"},
        {"every tag in bit order, closed from bit 0",
         PageBuilder().attributes(0x7F).text("x").attributes(0).end_line(),
         "<B><FONT COLOR=\"#808080\"><I><U><B><B><TT>x</B></FONT></I></U></B></B></TT><BR>\n"},
        {"an unchanged set writes nothing",
         PageBuilder().attributes(8).attributes(8).text("u").end_line(), "<U>u<BR>\n"},
        {"links",
         PageBuilder()
             .link(LinkKind::Link, 1, "")
             .link(LinkKind::Alink, 1, "Zum <Ziel>")
             .link(LinkKind::LinkLine, 1, "Marke", 2)
             .link(LinkKind::LinkLine, 1, "Fremd", 3)
             .link(LinkKind::Link, 2, "Bild")
             .end_line(),
         "<A HREF=\"A_B.html\">A/B</A><A HREF=\"A_B.html\">Zum &lt;Ziel&gt;</A>"
         "<A HREF=\"A_B.html#Marke\">Marke</A><A HREF=\"A_B.html\">Fremd</A>"
         "Bild<BR>\n"},
        {"pictures",
         PageBuilder().picture(2, 0, 0, true).picture(2, 3, 1, false).line("a").line("b"),
         "<DIV ALIGN=\"CENTER\"><IMG SRC=\"out_Index2.bmp\" ALIGN=\"TOP\"></DIV><BR>\na<BR>\n"
         "<IMG SRC=\"out_Index2.bmp\" ALIGN=\"TOP\">\nb<BR>\n"},
        {"graphics, references and trees write nothing",
         PageBuilder().box(1, 0, 3, 3).xref(1, "x").tree(1, 1, 1, 1).line("a"), "a<BR>\n"},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.node("Main", page(c.body));
        b.node("A/B", page(PageBuilder().line("t").line("t").line("t")));
        b.image(image, std::string("bild.img"));
        chained(b);
        RefBuilder r;
        r.module().node("A/B").label("Marke", 2);
        const uint32_t saved_ghost = settings.GTXTCOLOR();
        settings.GTXTCOLOR() = 0x00808080;
        const HtmlExport e(b, r);
        settings.GTXTCOLOR() = saved_ghost;
        ASSERT_EQ(e.result, 0) << c.name << ": " << e.message;
        const std::string navigation =
            "<A HREF=\"A_B.html\">Next</A>\n<A HREF=\"Main.html\">TOC</A>\n<BR><BR>\n";
        const std::string body = e.body("Main.html");
        ASSERT_EQ(body.compare(0, navigation.size(), navigation), 0) << c.name << "\n" << body;
        EXPECT_EQ(body.substr(navigation.size()), c.expected) << c.name;
        EXPECT_TRUE(e.exists("out_Index2.bmp")) << c.name;
    }
}

TEST(HtmlExport, AnchorsAtTheirLines) {
    HypBuilder b;
    b.node("Main", page(PageBuilder().line("null").line("eins").line("zwei")));
    chained(b);
    RefBuilder r;
    r.module().node("Main").alias("Start").label("Eins", 1).label("Zwei  Blanks", 2);
    const HtmlExport e(b, r);
    ASSERT_EQ(e.result, 0) << e.message;
    EXPECT_EQ(e.body("Main.html"),
              "<A HREF=\"Main.html\">TOC</A>\n<BR><BR>\n<A NAME=\"Start\"></A>\nnull<BR>\n"
              "<A NAME=\"Eins\"></A>\neins<BR>\n"
              "<A NAME=\"Zwei<TT>&nbsp;&nbsp;</TT>Blanks\"></A>\nzwei<BR>\n");
}

TEST(HtmlExport, OemTextsWithAnsiFileNames) {
    HypBuilder b;
    b.node("Main", page(PageBuilder().link(LinkKind::Link, 1, "").line(" \x94")));
    b.node("M\x84rz", page(PageBuilder().title("Gr\x9e\x9e").line("x")));
    chained(b);
    const HtmlExport e(b, std::nullopt, HtmlOptions{TARGET_OEM, 0, {}});
    ASSERT_EQ(e.result, 0) << e.message;
    // Atari and DOS share these letters; the file is named in the Windows set.
    EXPECT_NE(e.body("Main.html").find("<A HREF=\"M%E4rz.html\">M\x84rz</A> \x94<BR>\n"),
              std::string::npos)
        << e.body("Main.html");
    EXPECT_NE(e.file("M\xE4rz.html").find("<TITLE>Gr\xE1\xE1</TITLE>"), std::string::npos);
}

TEST(HtmlExport, ClashingFileNamesKeepEveryPage) {
    HypBuilder b;
    b.node("Main", page(PageBuilder()
                            .link(LinkKind::Link, 1, "eins")
                            .link(LinkKind::Link, 2, "zwei")
                            .link(LinkKind::Link, 3, "drei")
                            .end_line()));
    b.node("A B", page(PageBuilder().line("Seite 1")));
    b.node("A/B", page(PageBuilder().line("Seite 2")));
    b.popup("a b", page(PageBuilder().line("Seite 3")));
    chained(b);
    const HtmlExport e(b, std::nullopt);
    ASSERT_EQ(e.result, 0) << e.message;
    EXPECT_NE(e.body("Main.html")
                  .find("<A HREF=\"A_B.html\">eins</A><A HREF=\"A_B_2.html\">zwei"
                        "</A><A HREF=\"a_b_3.html\">drei</A>"),
              std::string::npos)
        << e.body("Main.html");
    EXPECT_NE(e.body("A_B.html").find("Seite 1"), std::string::npos);
    EXPECT_NE(e.body("A_B_2.html").find("Seite 2"), std::string::npos);
    EXPECT_NE(e.body("a_b_3.html").find("Seite 3"), std::string::npos);
    // Navigation uses the same names.
    EXPECT_NE(e.body("A_B.html").find("<A HREF=\"A_B_2.html\">Next</A>"), std::string::npos);
    EXPECT_NE(e.body("A_B_2.html").find("<A HREF=\"A_B.html\">Previous</A>"), std::string::npos);
}

TEST(HtmlExport, PagesNamedWithHashOrPercentAreReachable) {
    HypBuilder b;
    b.node("Main",
           page(PageBuilder().link(LinkKind::Link, 1, "").link(LinkKind::Link, 2, "").end_line()));
    b.popup("#", page(PageBuilder().line("Raute")));
    b.node("100%", page(PageBuilder().line("voll")));
    chained(b);
    const HtmlExport e(b, std::nullopt);
    ASSERT_EQ(e.result, 0) << e.message;
    EXPECT_TRUE(e.exists("#.html"));
    EXPECT_TRUE(e.exists("100%.html"));
    EXPECT_NE(
        e.body("Main.html").find("<A HREF=\"%23.html\">#</A><A HREF=\"100%25.html\">100%</A>"),
        std::string::npos)
        << e.body("Main.html");
}

TEST(HtmlExport, PageFileThatCannotBeCreatedStopsTheRun) {
    HypBuilder b;
    b.reference(fixture::type::kExternal, "x.hyp/Main");
    b.node("Erste", page(PageBuilder().line("1")));
    b.node("Zweite", page(PageBuilder().line("2")));
    b.node("Dritte", page(PageBuilder().line("3")));
    chained(b);
    const HtmlExport e(b, std::nullopt, HtmlOptions{TARGET_ANSI, 0, "Zweite.html"});
    EXPECT_EQ(e.result, 1);
    EXPECT_EQ(e.message, "Fehler 21 beim Schreiben der Datei\n\n" + e.dir + "Zweite.html");
    EXPECT_TRUE(e.exists("Erste.html"));
    EXPECT_NE(e.file("Erste.html").find("</HTML>"), std::string::npos);
    EXPECT_FALSE(e.exists("Dritte.html"));
    // The first page in index order, not the chosen file nor entry 0.
    EXPECT_EQ(e.first_file, "Erste.html");
}

// A picture file that cannot be written leaves the rest of the run alone; the run then fails
// naming the first such file and how many there were.
TEST(HtmlExport, PictureFilesThatCannotBeWrittenFailTheRunAtItsEnd) {
    std::vector<uint8_t> image;
    std::string error;
    fixture::make_image_object(8, 2, 1, std::vector<uint8_t>(16, 1), image, error);
    struct Case {
        const char* name;
        std::vector<std::string> blocked;
        const char* first_failed;  // "" when the run succeeds
        const char* count_line;
    };
    const Case cases[] = {
        {"none blocked", {}, "", ""},
        {"the second picture", {"out_Index3.bmp"}, "out_Index3.bmp",
         "Eine Bilddatei konnte nicht geschrieben werden."},
        {"both pictures", {"out_Index3.bmp", "out_Index2.bmp"}, "out_Index2.bmp",
         "2 Bilddateien konnten nicht geschrieben werden."},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.node("Main", page(PageBuilder().picture(2, 0, 0, false).picture(3, 2, 0, false).line("a")));
        b.node("Zwei", page(PageBuilder().line("z")));
        b.image(image, std::string("eins.img"));
        b.image(image, std::string("zwei.img"));
        chained(b);
        HtmlOptions options;
        options.more_blocked = c.blocked;
        const HtmlExport e(b, std::nullopt, options);
        const std::string first = c.first_failed;
        if (first.empty()) {
            EXPECT_EQ(e.result, 0) << c.name << ": " << e.message;
        } else {
            EXPECT_EQ(e.result, 1) << c.name;
            EXPECT_EQ(e.message, "Fehler 21 beim Schreiben der Datei\n\n" + e.dir + first +
                                     "\n\n" + c.count_line)
                << c.name;
        }
        // Everything else is written all the same.
        EXPECT_TRUE(e.exists("Zwei.html")) << c.name;
        EXPECT_NE(e.file("Main.html").find("</HTML>"), std::string::npos) << c.name;
        const bool second_blocked = c.blocked.size() > 0;
        EXPECT_EQ(e.exists("out_Index2.bmp"), c.blocked.size() < 2) << c.name;
        EXPECT_EQ(e.exists("out_Index3.bmp"), !second_blocked) << c.name;
    }
}

TEST(HtmlExport, IndexPageAlwaysWrittenAndForceindexRestored) {
    for (uint32_t stored : {0u, 1u}) {
        HypBuilder b;
        b.ext_text(fixture::ext::kOptions, "-i");
        b.node("Main", page(PageBuilder().line("m")));
        b.node("Index", page(PageBuilder().link(LinkKind::Link, 0, "Haupt").end_line()));
        chained(b);
        const HtmlExport e(b, std::nullopt, HtmlOptions{TARGET_ANSI, stored, {}});
        ASSERT_EQ(e.result, 0) << e.message;
        EXPECT_TRUE(e.exists("Index.html")) << stored;
        EXPECT_EQ(e.forceindex_after, stored);
        // The index page's names become anchors of their pages.
        EXPECT_NE(e.body("Main.html").find("<A NAME=\"Haupt\"></A>\n"), std::string::npos)
            << e.body("Main.html");
    }
}

}  // namespace

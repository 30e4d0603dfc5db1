// STG and HTML exports of the real hypertexts: every file completes, every picture becomes a BMP
// file, every page file and every link target exists, and the recompiled source matches the
// published source in its node names and link targets.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "export/bmp_file.h"
#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/html_text.h"
#include "export/html_writer.h"
#include "export/stg_writer.h"
#include "fixture/hyp_builder.h"
#include "fixture/outcome_check.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/paths.h"
#include "render/image.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

const std::string kCorpus = VELLUMAR_CORPUS_DIR;

std::vector<std::string> corpus_files() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(kCorpus.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".hyp") == 0) {
                names.push_back(name.substr(0, name.size() - 4));
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool file_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file a relative reference names: without its anchor, "&amp;" and every "%XX" decoded.
std::string decoded(const std::string& reference) {
    std::string file = reference.substr(0, reference.find('#'));
    std::string out;
    for (size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '%' && i + 2 < file.size() &&
            std::isxdigit(static_cast<unsigned char>(file[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(file[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(file.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else if (file.compare(i, 5, "&amp;") == 0) {
            out.push_back('&');
            i += 4;
        } else {
            out.push_back(file[i]);
        }
    }
    return out;
}

// Every value of `attribute` ("HREF", "SRC") in `text`.
std::vector<std::string> attribute_values(const std::string& text, const std::string& attribute) {
    std::vector<std::string> values;
    const std::string start = attribute + "=\"";
    for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
        const size_t end = text.find('"', at + start.size());
        values.push_back(text.substr(at + start.size(), end - at - start.size()));
    }
    return values;
}

bool starts_with_scheme(const std::string& reference) {
    const size_t colon = reference.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    return std::all_of(reference.begin(), reference.begin() + colon,
                       [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

// The file the last export of a test was made into, and why the last Stg export failed.
std::string export_path;
std::string stg_failure;

// The run of an export into `path`, as the settings say, converted to `target`.
ExportRun corpus_run(ExportMode mode, const HypDocument& doc, const std::string& path,
                     unsigned target, bool all_links) {
    ExportRun run;
    run.mode = mode;
    run.path = path;
    run.all_links = all_links || mode == ExportMode::Html;
    run.force_index = settings.forceindex != 0;
    run.conversion = conversion_table(doc.source_charset, target);
    return run;
}

// Exports `doc` as HTML into `out` (a folder); the page files of the run.
std::vector<std::string> export_html(HypDocument& doc, const std::string& out,
                                     const std::string& base, unsigned target, Outcome& result) {
    mkdir(out.c_str(), 0755);
    export_path = out + base + ".html";
    const ExportRun run = corpus_run(ExportMode::Html, doc, export_path, target, true);
    HtmlWriter writer(run);
    result = export_hypertext(doc, writer, run, nullptr, settings.FONT);
    return html_page_file_names(doc);
}

// What the links of an exported hypertext lead to.
struct LinkCount {
    size_t hrefs = 0, to_files = 0, urls = 0, to_siblings = 0, pictures = 0;
};

// Checks every HREF and SRC of the pages of `doc` exported into `out`: a URL is the name of an
// entry of the file (an external reference, a system or REXX argument), verbatim but for "&"
// written as an entity; a link into a sibling folder ("../") must name an existing file when
// `siblings_written`; everything else names a file the export wrote.
LinkCount check_links(const HypDocument& doc, const std::string& base, const std::string& out,
                      const std::vector<std::string>& files, const std::vector<unsigned>& images,
                      bool siblings_written) {
    std::set<std::string> urls;  // as the HREF must write them
    for (const IndexEntry& e : doc.index) {
        if (!e.name) continue;
        std::string escaped;
        for (char c : *e.name) escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
        urls.insert(escaped);
    }
    LinkCount count;
    std::set<std::string> urls_linked;
    std::set<std::string> pages(files.begin(), files.end());
    pages.erase("");
    for (const std::string& file : pages) {
        const std::string text = read_text(out + file);
        for (const std::string& href : attribute_values(text, "HREF")) {
            ++count.hrefs;
            if (starts_with_scheme(href)) {
                EXPECT_EQ(urls.count(href), 1u) << base << ": " << file << " links to " << href;
                urls_linked.insert(href);
                ++count.urls;
                continue;
            }
            const std::string target = decoded(href);
            if (target.compare(0, 3, "../") == 0) {
                ++count.to_siblings;
                if (!siblings_written) continue;
            } else {
                ++count.to_files;
            }
            EXPECT_TRUE(file_exists(out + target))
                << base << ": " << file << " links to the missing " << href;
        }
        for (const std::string& src : attribute_values(text, "SRC")) {
            const std::string target = decoded(src);
            ++count.pictures;
            const unsigned index =
                static_cast<unsigned>(std::stoul(target.substr(target.rfind("_Index") + 6)));
            const bool writable = std::find(images.begin(), images.end(), index) != images.end();
            EXPECT_EQ(file_exists(out + target), writable) << base << ": " << src;
        }
    }
    // Every address the file names is linked, as written.
    for (const IndexEntry& e : doc.index) {
        if (!e.name || e.name->find("://") == std::string::npos) continue;
        std::string escaped;
        for (char c : *e.name) escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
        EXPECT_EQ(urls_linked.count(escaped), 1u) << base << ": no link to " << *e.name;
    }
    return count;
}

Outcome open_corpus(HypDocument& doc, const std::string& base) {
    int32_t start = -1;
    document.page_cache = PageCache{};
    return open_hypertext(doc, kCorpus + "/" + base + ".hyp", std::nullopt, -1, start);
}

// Image entries whose pictures can be written (1 to 4 planes, a size backed by the data).
std::vector<unsigned> writable_images(HypDocument& doc) {
    std::vector<unsigned> images;
    for (unsigned i = 0; i < doc.index.size(); ++i) {
        if (doc.index[i].type != ENTRY_IMAGE) continue;
        const DecodedImage* image = decode_image(doc, i);
        if (image && image_has_pixels(*image) && image->width > 0 && image->height != 0) {
            images.push_back(i);
        }
        doc.index[i].bitmap.reset();
    }
    return images;
}

// Recompiles `base` into `dir`; returns the source text ("" on failure).
std::string export_stg(HypDocument& doc, const std::string& dir, const std::string& base,
                       uint32_t all_links, unsigned target) {
    export_path = dir + base + ".stg";
    const ExportRun run = corpus_run(ExportMode::Stg, doc, export_path, target, all_links != 0);
    std::FILE* file = std::fopen(export_path.c_str(), "wb");
    if (file == nullptr) return "";
    Outcome result;
    {
        ExportOutput output(file);
        StgWriter writer(output, run);
        result = export_hypertext(doc, writer, run, &output, settings.FONT);
    }
    std::fclose(file);
    stg_failure = result ? std::string() : result.failure().message;
    return result ? read_text(export_path) : "";
}

// --- a small reader of ST-Guide source: node names and the targets of link commands ---------

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The words of a command: blanks separate, double quotes group, a backslash escapes.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= text.size()) break;
        std::string word;
        if (text[i] == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                word.push_back(text[i]);
            }
            ++i;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t') word.push_back(text[i++]);
        }
        out.push_back(word);
    }
    return out;
}

struct SourceNode {
    std::vector<std::string> targets;  // targets of "link" and "alink" commands, in order
};

// Node name -> its links. Commands are matched ignoring letter case, as the compiler does;
// blocks under "@if 0" are left out (other conditions are taken as true).
std::map<std::string, SourceNode> read_source(const std::string& text) {
    std::map<std::string, SourceNode> nodes;
    SourceNode* current = nullptr;
    std::vector<bool> conditions;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string head = lower(line.substr(0, 8));
        if (head.compare(0, 4, "@if ") == 0) {
            const std::vector<std::string> w = words(line.substr(4));
            conditions.push_back(!(w.size() == 1 && w[0] == "0"));
            continue;
        }
        if (head.compare(0, 5, "@else") == 0 && !conditions.empty()) {
            conditions.back() = !conditions.back();
            continue;
        }
        if (head.compare(0, 6, "@endif") == 0 && !conditions.empty()) {
            conditions.pop_back();
            continue;
        }
        if (std::find(conditions.begin(), conditions.end(), false) != conditions.end()) continue;
        if (head.compare(0, 6, "@node ") == 0 || head.compare(0, 7, "@pnode ") == 0 ||
            head.compare(0, 6, "@node\t") == 0 || head.compare(0, 7, "@pnode\t") == 0) {
            const std::vector<std::string> w = words(line.substr(line.find_first_of(" \t")));
            current = w.empty() ? nullptr : &nodes[w[0]];
            continue;
        }
        if (head.compare(0, 8, "@endnode") == 0) {
            current = nullptr;
            continue;
        }
        if (current == nullptr || line.compare(0, 2, "##") == 0) continue;
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            if (line[i] != '@') continue;
            if (line[i + 1] == '@') {
                ++i;
                continue;
            }
            if (line[i + 1] != '{') continue;
            // The command ends at the first "}" outside double quotes.
            size_t j = i + 2;
            bool quoted = false;
            for (; j < line.size() && (quoted || line[j] != '}'); ++j) {
                if (line[j] == '\\' && quoted) {
                    ++j;
                } else if (line[j] == '"') {
                    quoted = !quoted;
                }
            }
            const std::vector<std::string> w = words(line.substr(i + 2, j - i - 2));
            if (w.size() >= 3) {
                const std::string keyword = lower(w[1]);
                if (keyword == "link" || keyword == "alink") current->targets.push_back(w[2]);
            }
            i = j;
        }
    }
    return nodes;
}

struct Comparison {
    size_t source_nodes = 0, recompiled_nodes = 0, common_nodes = 0;
    size_t source_links = 0, matched_links = 0;
    bool generated_index = false;  // the compiler's own page "Index", absent from the source
    std::vector<std::string> missing_nodes, extra_nodes;
};

// Compares the published source with the recompiled one: node names, and per node the link
// targets of the source found among those of the recompiled node (as multisets). A source
// target that names an alias or label is taken as the node that owns it.
Comparison compare(const std::map<std::string, SourceNode>& source,
                   const std::map<std::string, SourceNode>& recompiled, const SymbolList& symbols) {
    std::map<std::string, std::string> owner;  // alias or label -> node
    std::string node;
    for (const SymbolEntry& s : symbols) {
        const std::string text = symbol_text(s);
        if (s.kind == REF_NODE) node = text;
        if ((s.kind == REF_ALIAS || s.kind == REF_LABEL) && !node.empty())
            owner.emplace(text, node);
    }
    Comparison c;
    c.source_nodes = source.size();
    c.recompiled_nodes = recompiled.size();
    for (const auto& [name, links] : source) {
        const auto found = recompiled.find(name);
        if (found == recompiled.end()) {
            c.missing_nodes.push_back(name);
            continue;
        }
        ++c.common_nodes;
        std::map<std::string, int> available;
        for (const std::string& t : found->second.targets) ++available[t];
        for (std::string target : links.targets) {
            ++c.source_links;
            if (recompiled.count(target) == 0 && owner.count(target) != 0) target = owner[target];
            if (available[target] > 0) {
                --available[target];
                ++c.matched_links;
            }
        }
    }
    for (const auto& entry : recompiled) {
        if (source.count(entry.first) != 0) continue;
        if (entry.first == "Index") {
            c.generated_index = true;
        } else {
            c.extra_nodes.push_back(entry.first);
        }
    }
    return c;
}

class CorpusExport : public ::testing::Test {
   protected:
    void SetUp() override {
        if (corpus_files().empty()) GTEST_SKIP() << "no corpus at " << kCorpus;
        dir_ = fixture::make_temp_directory("corpus-export");
        saved_forceindex_ = settings.forceindex;
        saved_char_conv_ = settings.char_conv;
        settings.forceindex = 0;
        settings.char_conv = TARGET_ANSI;
    }
    void TearDown() override {
        if (!dir_.empty()) fixture::remove_directory(dir_);
        settings.forceindex = saved_forceindex_;
        settings.char_conv = saved_char_conv_;
    }
    std::string dir_;
    uint32_t saved_forceindex_ = 0, saved_char_conv_ = 0;
};

TEST_F(CorpusExport, StgCompletesWithEveryPicture) {
    for (const std::string& base : corpus_files()) {
        HypDocument doc;
        ASSERT_TRUE(succeeded(open_corpus(doc, base))) << base;
        const std::vector<unsigned> images = writable_images(doc);
        const std::string text = export_stg(doc, dir_, base, 0, TARGET_ANSI);
        ASSERT_FALSE(text.empty()) << base << ": " << stg_failure;
        size_t nodes = 0;
        for (size_t at = text.find("\n@node "); at != std::string::npos;
             at = text.find("\n@node ", at + 1)) {
            ++nodes;
        }
        for (size_t at = text.find("\n@pnode "); at != std::string::npos;
             at = text.find("\n@pnode ", at + 1)) {
            ++nodes;
        }
        size_t pages = 0;
        for (const IndexEntry& e : doc.index)
            pages += e.type == ENTRY_NODE || e.type == ENTRY_PNODE;
        const bool index_left_out = doc.index_option && find_index_page(doc).has_value();
        EXPECT_EQ(nodes + (index_left_out ? 1 : 0), pages) << base;
        for (unsigned i : images) {
            EXPECT_TRUE(file_exists(image_file_name(export_path, i))) << base << " image " << i;
        }
        std::printf("[ stg  ] %-9s %5zu nodes, %3zu pictures, %8zu bytes\n", base.c_str(), nodes,
                    images.size(), text.size());
    }
}

TEST_F(CorpusExport, HtmlPagesAndEveryLinkTargetExist) {
    LinkCount all;
    for (const std::string& base : corpus_files()) {
        HypDocument doc;
        ASSERT_TRUE(succeeded(open_corpus(doc, base))) << base;
        const std::vector<unsigned> images = writable_images(doc);
        const std::string out = dir_ + base + "/";
        Outcome result;
        const std::vector<std::string> files = export_html(doc, out, base, TARGET_ANSI, result);
        ASSERT_TRUE(succeeded(result)) << base;

        std::set<std::string> pages;
        for (const std::string& file : files) {
            if (file.empty()) continue;
            pages.insert(file);
            EXPECT_TRUE(file_exists(out + file)) << base << ": " << file;
        }
        EXPECT_EQ(pages.size(), std::count_if(files.begin(), files.end(),
                                              [](const std::string& f) { return !f.empty(); }))
            << base << ": every page has a file of its own";

        // Exported alone, only links into other hypertexts' folders may lead nowhere yet.
        const LinkCount c = check_links(doc, base, out, files, images, false);
        for (unsigned i : images) {
            EXPECT_TRUE(file_exists(image_file_name(export_path, i))) << base << " image " << i;
        }
        all.hrefs += c.hrefs, all.urls += c.urls, all.to_siblings += c.to_siblings;
        std::printf(
            "[ html ] %-9s %5zu pages, %6zu links: %6zu to page files, %3zu to addresses, %3zu "
            "into other hypertexts; %3zu pictures shown, %3zu BMP files\n",
            base.c_str(), pages.size(), c.hrefs, c.to_files, c.urls, c.to_siblings, c.pictures,
            images.size());
    }
    std::printf("[ html ] all files: %zu links, %zu to addresses, %zu into other hypertexts\n",
                all.hrefs, all.urls, all.to_siblings);
}

TEST_F(CorpusExport, HtmlSetLinksAcrossItsHypertexts) {
    // A documentation set exported side by side, each hypertext into a folder named after it:
    // the links between them resolve as well.
    const std::vector<std::string> set = {"mintdocs", "mint-en", "mint-prg"};
    const std::string root = dir_ + "set/";
    mkdir(root.c_str(), 0755);
    struct Exported {
        std::vector<std::string> files;
        std::vector<unsigned> images;
    };
    std::map<std::string, Exported> exported;
    for (const std::string& base : set) {
        HypDocument doc;
        if (!open_corpus(doc, base)) GTEST_SKIP() << base << " is not in the corpus";
        Outcome result;
        Exported& e = exported[base];
        e.images = writable_images(doc);
        e.files = export_html(doc, root + base + "/", base, TARGET_ANSI, result);
        ASSERT_TRUE(succeeded(result)) << base;
    }
    size_t across = 0;
    for (const std::string& base : set) {
        HypDocument doc;
        ASSERT_TRUE(open_corpus(doc, base));
        const Exported& e = exported[base];
        across += check_links(doc, base, root + base + "/", e.files, e.images, true).to_siblings;
    }
    // mintdocs is the set's contents: it leads into both manuals.
    EXPECT_GT(across, 20u);
    std::printf("[ html ] %zu links between the hypertexts of the set, all resolving\n", across);
}

TEST_F(CorpusExport, RecompiledSourceMatchesThePublishedOne) {
    // Only some hypertexts come with their source; each of those is compared, and a corpus that
    // offers none leaves the test without a single comparison, which fails it.
    size_t compared = 0;
    for (const std::string& base : corpus_files()) {
        const std::string source_path = kCorpus + "/" + base + ".stg";
        if (!file_exists(source_path)) {
            std::printf("[ stg  ] %-9s no published source\n", base.c_str());
            continue;
        }
        ++compared;
        HypDocument doc;
        ASSERT_TRUE(succeeded(open_corpus(doc, base))) << base;
        // Every link written out, in the hypertext's own set, so that names compare byte for byte.
        const std::string text = export_stg(doc, dir_, base, 1, TARGET_TOS);
        ASSERT_FALSE(text.empty()) << base << ": " << stg_failure;
        const Comparison c =
            compare(read_source(read_text(source_path)), read_source(text), doc.symbols);
        const double share = c.source_links == 0 ? 100.0 : 100.0 * c.matched_links / c.source_links;
        std::printf(
            "[ stg  ] %-9s nodes: %3zu in the source, %3zu recompiled, %3zu common; "
            "links: %5zu in the source, %5zu with the same target (%.1f%%)%s\n",
            base.c_str(), c.source_nodes, c.recompiled_nodes, c.common_nodes, c.source_links,
            c.matched_links, share, c.generated_index ? "; the compiler's Index page besides" : "");
        for (const std::string& n : c.missing_nodes)
            std::printf("          missing: %s\n", n.c_str());
        for (const std::string& n : c.extra_nodes)
            std::printf("          extra:   %s\n", n.c_str());
        EXPECT_TRUE(c.missing_nodes.empty()) << base;
        EXPECT_TRUE(c.extra_nodes.empty()) << base;
        EXPECT_GE(share, 95.0) << base;
    }
    EXPECT_GT(compared, 0u) << "no hypertext in " << kCorpus << " comes with its .stg source";
}

}  // namespace

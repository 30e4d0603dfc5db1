// The keywords of one hypertext for the catalogue: node names, aliases and labels with their page.
#include "app/hypertext_keywords.h"

#include <optional>
#include <set>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "hyp/document.h"
#include "hyp/page_loader.h"
#include "hyp/ref_file.h"
#include "hyp/symbols.h"

namespace {

// The symbol pass adds symbols only for links on the index page; links on other pages merely
// mark symbols that exist. So only that page is loaded: the others stay empty and add nothing,
// and a file of 4,000 pages is not unpacked for the one page that counts.
void load_index_page_only(HypDocument& doc, unsigned index) {
    const IndexEntry& entry = doc.index[index];
    if (doc.index_option && entry.name && *entry.name == "Index") load_page(doc, index);
}

// Collects keywords once each, in the order first seen.
class KeywordSet {
   public:
    explicit KeywordSet(std::vector<Keyword>& out) : out_(out) {}

    void add(std::string text, uint16_t page, int32_t line, KeywordKind kind) {
        if (text.empty()) return;
        if (!seen_.emplace(text, page, line).second) return;
        out_.push_back(Keyword{std::move(text), page, line, kind});
    }

   private:
    std::vector<Keyword>& out_;
    std::set<std::tuple<std::string, uint16_t, int32_t>> seen_;
};

}  // namespace

std::string database_title(const HypDocument& doc) {
    for (const ExtHeader& header : doc.ext_headers) {
        if (header.type != EXT_DATABASE) continue;
        std::string text = ext_header_text(header);
        if (!text.empty()) return text;
    }
    return std::string();
}

HypertextKeywords gather_keywords(HypDocument& doc) {
    HypertextKeywords result;
    result.title = database_title(doc);
    result.source_charset = doc.source_charset;
    result.page_names.resize(doc.index.size());

    // Pages by name. REF files are written by the compiler from the same names, so they match
    // exactly; of two pages of one name the first is kept, as the viewer opens the first.
    std::unordered_map<std::string_view, uint16_t> pages;
    for (size_t i = 0; i < doc.index.size(); ++i) {
        const IndexEntry& entry = doc.index[i];
        if (entry.type != ENTRY_NODE) continue;
        ++result.page_count;
        if (!entry.name || entry.name->empty()) continue;
        result.page_names[i] = *entry.name;
        pages.emplace(result.page_names[i], static_cast<uint16_t>(i));
    }

    (void)load_ref_file(doc);  // a file without a REF file has its index names still
    const size_t from_ref = doc.symbols.size();
    if (!doc.symbols_collected) collect_page_symbols(doc, load_index_page_only);

    KeywordSet keywords(result.keywords);
    const auto add_symbols = [&](size_t first, size_t end) {
        // Aliases and labels belong to the node entry before them.
        std::optional<uint16_t> node;
        for (size_t i = first; i < end; ++i) {
            const SymbolEntry& symbol = doc.symbols[i];
            if (symbol.kind == REF_NODE) {
                const auto found = pages.find(symbol_text(symbol));
                node = found == pages.end() ? std::nullopt : std::optional<uint16_t>(found->second);
                if (node) keywords.add(symbol_text(symbol), *node, 0, KeywordKind::Node);
            } else if (node && symbol.kind == REF_ALIAS) {
                keywords.add(symbol_text(symbol), *node, 0, KeywordKind::Alias);
            } else if (node && symbol.kind == REF_LABEL) {
                keywords.add(symbol_text(symbol), *node, symbol.line, KeywordKind::Label);
            }
        }
    };
    add_symbols(0, from_ref);
    for (size_t i = 0; i < result.page_names.size(); ++i) {
        if (!result.page_names[i].empty()) {
            keywords.add(result.page_names[i], static_cast<uint16_t>(i), 0, KeywordKind::Node);
        }
    }
    add_symbols(from_ref, doc.symbols.size());
    return result;
}

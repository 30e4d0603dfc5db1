// Completes the symbol list from the links of every page, marking the symbols pages use.
#include "hyp/symbols.h"

#include <cstring>
#include <map>
#include <new>
#include <utility>

#include "hyp/document.h"
#include "hyp/page_codes.h"

namespace {

// Shortest sequence that carries its own length: ESC, code, length byte.
constexpr size_t MIN_SIZED_SEQUENCE = 3;

// The symbol list with a lookup of the first entry for each (line, text).
class SymbolIndex {
   public:
    explicit SymbolIndex(SymbolList& list) : list_(list) {
        for (size_t i = 0; i < list_.size(); ++i) remember(i);
    }

    SymbolEntry* find(int32_t line, const std::string& text) {
        auto it = first_.find({line, text});
        return it == first_.end() ? nullptr : &list_[it->second];
    }

    void append(SymbolEntry symbol) {
        list_.push_back(std::move(symbol));
        remember(list_.size() - 1);
    }

   private:
    void remember(size_t i) {
        first_.emplace(std::make_pair(list_[i].line, symbol_text(list_[i])), i);
    }

    SymbolList& list_;
    std::map<std::pair<int32_t, std::string>, size_t> first_;
};

uint8_t ref_length(size_t payload) {
    return static_cast<uint8_t>(payload + 2 > 255 ? 255 : payload + 2);
}

void register_link(const HypDocument& doc, SymbolIndex& symbols, const std::string& text,
                   int32_t line, uint16_t target, bool index_page) {
    if (SymbolEntry* known = symbols.find(line, text)) {
        known->flags |= index_page ? SYMBOL_FLAG_INDEX : SYMBOL_FLAG_USED;
        return;
    }
    if (!index_page) return;  // ordinary pages only mark symbols that exist

    const std::string node_name = doc.index[target].name.value_or(std::string());
    SymbolEntry node;
    node.kind = REF_NODE;
    node.flags = SYMBOL_FLAG_INDEX;
    node.line = -1;
    node.name.assign(node_name.begin(), node_name.end());
    node.name.push_back(0);
    node.length = ref_length(node.name.size());
    symbols.append(std::move(node));

    SymbolEntry symbol;
    symbol.flags = SYMBOL_FLAG_INDEX;
    symbol.name.assign(text.begin(), text.end());
    symbol.name.push_back(0);
    if (line == 0) {
        symbol.kind = REF_ALIAS;
        symbol.line = 0;
    } else {
        symbol.kind = REF_LABEL;
        symbol.line = line;
        symbol.name.push_back(static_cast<uint8_t>(line >> 8));
        symbol.name.push_back(static_cast<uint8_t>(line));
    }
    symbol.length = ref_length(symbol.name.size());
    symbols.append(std::move(symbol));
}

// Scans one page's bytes for links; every read stays below `size`.
void scan_page(const HypDocument& doc, SymbolIndex& symbols, const uint8_t* data, size_t size,
               bool index_page) {
    size_t p = 0;
    while (p < size) {
        if (data[p] != ESC) {
            ++p;
            continue;
        }
        if (size - p < 2) break;
        const uint8_t code = data[p + 1];
        if (is_link_code(code)) {
            const bool with_line = link_has_line(code);
            const size_t head = with_line ? ESC_LINK_LINE_HEAD : ESC_LINK_HEAD;
            if (size - p < head) break;
            const uint8_t* q = data + p + 2;
            const int32_t line = with_line ? decode_base255(q) : 0;
            const uint16_t target = decode_base255(with_line ? q + 2 : q);
            const int n = static_cast<int>(data[p + head - 1]) - LINK_LENGTH_BIAS;
            p += head;
            if (n <= 0) continue;  // the link shows its target's name: no text of its own
            if (size - p < static_cast<size_t>(n)) break;
            if (target < doc.index.size() &&
                (doc.index[target].type == ENTRY_NODE || doc.index[target].type == ENTRY_PNODE)) {
                register_link(doc, symbols, std::string(reinterpret_cast<const char*>(data + p), n),
                              line, target, index_page);
            }
            p += n;
        } else if (code >= ESC_DATA0 && code <= ESC_XREF) {
            if (size - p < MIN_SIZED_SEQUENCE) break;
            // A stored length below the sequence's own head would not move the scan on.
            const size_t length = data[p + 2];
            p += length < MIN_SIZED_SEQUENCE ? MIN_SIZED_SEQUENCE : length;
        } else if (code == ESC_TREE) {
            p += ESC_TREE_LENGTH;
        } else if (code == ESC_PICTURE) {
            p += ESC_PICTURE_LENGTH;
        } else if (is_graphics_code(code)) {
            p += ESC_GRAPHICS_LENGTH;
        } else if (code == ESC_TITLE) {
            const void* nul = std::memchr(data + p + 2, 0, size - p - 2);
            if (nul == nullptr) break;
            p = static_cast<const uint8_t*>(nul) - data + 1;
        } else {
            p += ESC_SHORT_LENGTH;
        }
    }
}

void collect(HypDocument& doc, PageLoad load) {
    SymbolIndex symbols(doc.symbols);
    for (size_t i = doc.index.size(); i > 0; --i) {
        IndexEntry& entry = doc.index[i - 1];
        if (entry.type != ENTRY_NODE && entry.type != ENTRY_PNODE) continue;
        const bool index_page = doc.index_option && entry.name && *entry.name == "Index";
        // A page someone holds (the one on screen) stays loaded; pages loaded only for the
        // scan are dropped again.
        const bool was_loaded = !entry.page_data.empty();
        load(doc, static_cast<unsigned>(i - 1));
        scan_page(doc, symbols, entry.page_data.data(), page_length(entry), index_page);
        if (!was_loaded) {
            entry.page_data.clear();
            entry.page_data.shrink_to_fit();
        }
    }
}

}  // namespace

std::string symbol_text(const SymbolEntry& symbol) {
    return text_before_nul(symbol.name);
}

void collect_page_symbols(HypDocument& doc, PageLoad load) {
    try {
        collect(doc, load);
    } catch (const std::bad_alloc&) {
        // Without memory the list stays as far as it got; the export writes what it has.
    }
    doc.symbols_collected = true;
}

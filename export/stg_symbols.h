// The document's symbols as the Stg and Html writers look them up: by the page (node group)
// they belong to, for the "@symbol" lines and anchors of a line, and for the link rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "hyp/symbols.h"

// Letters of a symbol's flags in its "@symbol" line: "a", "i", "r" for bits 0 to 2 and a blank
// after them; nothing at all when all three bits are set.
std::string stg_symbol_letters(uint8_t flags);

// The symbol list grouped by node: an entry of kind node starts a group named after it, and the
// entries before the first node form the group with the empty name. Groups of the same name
// (a REF file may list a node more than once; the index page adds its own node entries) are one
// group, in list order. A page's symbols are those of the group that bears its name.
class SymbolGroups {
   public:
    struct Member {
        uint32_t index;    // position in the SymbolList
        std::string text;  // symbol_text of the entry
    };

    // Groups `symbols` afresh.
    void build(const SymbolList& symbols);
    // Groups again only when the list has grown or shrunk since the last build.
    void refresh(const SymbolList& symbols) {
        if (!built_ || symbols.size() != size_) build(symbols);
    }

    // The members of group `name` in list order (empty when there is none).
    const std::vector<Member>& group(std::string_view name) const;
    // The group of page `entry`, whose name is `name`. The page asked for last is remembered:
    // its symbols are looked up at every line end.
    const std::vector<Member>& page_group(uint32_t entry, std::string_view name) {
        if (!page_cached_ || page_entry_ != entry) {
            page_members_ = &group(name);
            page_entry_ = entry;
            page_cached_ = true;
        }
        return *page_members_;
    }

    // Link rule for a link with a line: the first entry of kind node, alias or label in the
    // group of `target_name` whose line is `line` and whose text is `text`; null when none.
    const SymbolEntry* find_line_symbol(const SymbolList& symbols, std::string_view target_name,
                                        int32_t line, std::string_view text) const;
    // Link rule for a link without a line: the first entry of kind node or alias in the group of
    // `target_name` whose bit 0 ("a") is set and whose text is `text`; null when none.
    const SymbolEntry* find_used_name(const SymbolList& symbols, std::string_view target_name,
                                      std::string_view text) const;

   private:
    std::unordered_map<std::string, std::vector<Member>> groups_;
    size_t size_ = 0;
    bool built_ = false;
    const std::vector<Member>* page_members_ = nullptr;
    uint32_t page_entry_ = 0;
    bool page_cached_ = false;
};

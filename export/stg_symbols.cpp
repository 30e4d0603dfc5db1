// The document's symbols grouped by node for the Stg and Html writers.
#include "export/stg_symbols.h"

std::string stg_symbol_letters(uint8_t flags) {
    const uint8_t all = SYMBOL_FLAG_USED | SYMBOL_FLAG_INDEX | SYMBOL_FLAG_REF;
    if ((flags & all) == all) return std::string();
    std::string letters;
    if (flags & SYMBOL_FLAG_USED) letters.push_back('a');
    if (flags & SYMBOL_FLAG_INDEX) letters.push_back('i');
    if (flags & SYMBOL_FLAG_REF) letters.push_back('r');
    letters.push_back(' ');
    return letters;
}

void SymbolGroups::build(const SymbolList& symbols) {
    groups_.clear();
    page_cached_ = false;
    std::vector<Member>* current = &groups_[std::string()];
    for (size_t i = 0; i < symbols.size(); ++i) {
        std::string text = symbol_text(symbols[i]);
        if (symbols[i].kind == REF_NODE) current = &groups_[text];
        current->push_back(Member{static_cast<uint32_t>(i), std::move(text)});
    }
    size_ = symbols.size();
    built_ = true;
}

const std::vector<SymbolGroups::Member>& SymbolGroups::group(std::string_view name) const {
    static const std::vector<Member> none;
    const auto found = groups_.find(std::string(name));
    return found == groups_.end() ? none : found->second;
}

const SymbolEntry* SymbolGroups::find_line_symbol(const SymbolList& symbols,
                                                  std::string_view target_name, int32_t line,
                                                  std::string_view text) const {
    for (const Member& m : group(target_name)) {
        if (m.index >= symbols.size()) break;
        const SymbolEntry& s = symbols[m.index];
        if ((s.kind == REF_NODE || s.kind == REF_ALIAS || s.kind == REF_LABEL) && s.line == line &&
            m.text == text) {
            return &s;
        }
    }
    return nullptr;
}

const SymbolEntry* SymbolGroups::find_used_name(const SymbolList& symbols,
                                                std::string_view target_name,
                                                std::string_view text) const {
    for (const Member& m : group(target_name)) {
        if (m.index >= symbols.size()) break;
        const SymbolEntry& s = symbols[m.index];
        if ((s.kind == REF_NODE || s.kind == REF_ALIAS) && (s.flags & SYMBOL_FLAG_USED) &&
            m.text == text) {
            return &s;
        }
    }
    return nullptr;
}

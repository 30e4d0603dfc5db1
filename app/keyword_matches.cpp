// The keyword list narrowed by typed text: the keywords that begin with it, then those holding it.
#include "app/keyword_matches.h"

#include <algorithm>
#include <string>

#include "app/catalogue.h"

namespace {

bool starts_with(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// Whether `now` is `before` with more characters typed after it.
bool extends(const SearchText& now, const SearchText& before) {
    return starts_with(now.ansi, before.ansi) && starts_with(now.utf8, before.utf8) &&
           (now.utf8.empty() == before.utf8.empty());
}

unsigned set_of(const CatalogueFile& file) {
    return file.hypertext.source_charset == 1 ? 1 : 0;
}

}  // namespace

Outcome KeywordMatches::narrow(const Catalogue& catalogue, const SearchText& typed) {
    const bool reuse =
        valid_ && generation_ == catalogue.generation() && extends(typed, typed_);
    empty_ = typed.ansi.empty() && typed.utf8.empty();
    Outcome prepared;
    if (!empty_) {
        for (unsigned set = 0; set < 2 && prepared; ++set) {
            prepared = typed.prepare(patterns_[set], static_cast<uint8_t>(set), false);
        }
    }
    typed_ = typed;
    generation_ = catalogue.generation();
    const std::vector<CatalogueRow>& all = catalogue.rows();
    if (!prepared) {
        rows_.clear();
        prefix_count_ = 0;
        examined_ = 0;
        valid_ = false;
        return prepared;
    }
    valid_ = true;
    if (empty_) {
        rows_.resize(all.size());
        for (uint32_t i = 0; i < rows_.size(); ++i) rows_[i] = i;
        prefix_count_ = rows_.size();
        examined_ = 0;
        return Outcome();
    }

    // A text that extends the last one matches only where the last one did: the rows that
    // begin with the longer text began with the shorter one, so they keep their order; the rows
    // holding it come from both groups, each in order, and are merged.
    std::vector<uint32_t> candidates;
    size_t old_prefix = 0;
    if (reuse) {
        candidates.swap(rows_);
        old_prefix = prefix_count_;
    } else {
        candidates.resize(all.size());
        for (uint32_t i = 0; i < candidates.size(); ++i) candidates[i] = i;
    }
    examined_ = candidates.size();
    std::vector<uint32_t> prefix;
    std::vector<uint32_t> inside;
    size_t inside_from_prefix = 0;  // of `inside`, how many came from the old prefix group
    for (size_t k = 0; k < candidates.size(); ++k) {
        const uint32_t r = candidates[k];
        const CatalogueRow& row = all[r];
        const size_t at = patterns_[set_of(catalogue.file(row))].find(catalogue.folded(row), 0);
        if (at == 0) {
            prefix.push_back(r);
        } else if (at != std::string::npos) {
            inside.push_back(r);
            if (reuse && k < old_prefix) ++inside_from_prefix;
        }
    }
    if (reuse) {
        std::inplace_merge(inside.begin(),
                           inside.begin() + static_cast<std::ptrdiff_t>(inside_from_prefix),
                           inside.end());
    }
    prefix_count_ = prefix.size();
    rows_ = std::move(prefix);
    rows_.insert(rows_.end(), inside.begin(), inside.end());
    return Outcome();
}

bool KeywordMatches::whole(const Catalogue& catalogue, size_t i) const {
    if (i >= prefix_count_ || i >= rows_.size()) return false;
    const CatalogueRow& row = catalogue.rows()[rows_[i]];
    const std::string& folded = catalogue.folded(row);
    if (empty_) return folded.empty();
    return folded.size() == patterns_[set_of(catalogue.file(row))].length();
}

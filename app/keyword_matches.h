// The keyword list narrowed by typed text: the keywords that begin with it, then those holding it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/search.h"
#include "hyp/failure.h"

class Catalogue;

class KeywordMatches {
   public:
    // Narrows the catalogue's rows to `typed`, letter case and umlauts folded as the search
    // across files folds them (in each file's own set). The rows are first those whose keyword
    // begins with the text, then those that hold it elsewhere, each group in the catalogue's row
    // order. Empty text: every row, all counted as beginning with it. When `typed` extends the
    // text narrowed before and the catalogue's rows are the same, only the previous result is
    // looked at (what one more typed character costs). Fails when the text is not UTF-8 (then
    // nothing matches).
    Outcome narrow(const Catalogue& catalogue, const SearchText& typed);

    // Indices into catalogue.rows().
    const std::vector<uint32_t>& rows() const { return rows_; }
    // How many of rows() begin with the text (they come first).
    size_t prefix_count() const { return prefix_count_; }
    // Whether row rows()[i]'s keyword is the typed text itself (folded alike).
    bool whole(const Catalogue& catalogue, size_t i) const;
    // Rows looked at by the last narrow().
    size_t examined() const { return examined_; }

   private:
    std::vector<uint32_t> rows_;
    size_t prefix_count_ = 0;
    size_t examined_ = 0;
    SearchText typed_{""};
    bool valid_ = false;  // rows_ belong to typed_ and generation_
    uint64_t generation_ = 0;
    SearchPattern patterns_[2];  // per source set (CHARSET_TOS, CHARSET_MAC)
    bool empty_ = true;          // typed_ is empty: every row matches
};

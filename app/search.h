// Finding text in the open hypertext: on one page or through every page, as the user reads it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hyp/failure.h"

struct HypDocument;

// "Bitte geben Sie einen Suchtext ein." : an empty search text is refused.
extern const char* const kSearchEmptyMessage;

// Whether a typed search text can be searched for: fails with kSearchEmptyMessage when it is
// empty. The dialog asks it before it closes; every prepared pattern has passed it.
Outcome check_search_text(std::string_view typed);

// A place on a page: text line (0 = the page's first line, as link targets count them) and
// column (characters from the line's start). Matches lie strictly after the place they are
// searched from.
struct SearchPlace {
    int32_t page = 0;
    int32_t line = 0;
    int32_t column = 0;
};

// The place before everything: a search from here starts at the first column of entry 0.
constexpr SearchPlace kBeforeFirstPage{-1, 0, 0};

// One occurrence of the search text.
struct SearchMatch {
    uint16_t page = 0;
    uint32_t line = 0;          // text line of the page, from 0
    uint32_t first_column = 0;  // first character of the match
    uint32_t end_column = 0;    // one past its last character
    // The whole line as the page shows it, in the hypertext's own character set (links by
    // their texts; attributes, escape codes and graphics leave nothing).
    std::string_view line_text;
    bool in_popup = false;  // the page is a popup (ENTRY_PNODE), seen in its popup window
};

enum class SearchScope : uint8_t {
    Page,      // the given page only
    AllPages,  // every page and popup in index order after the place, wrapping round once
    ToEnd,     // the pages and popups after the place up to the last entry, not wrapping
};

// A prepared search text: the needle in the hypertext's character set and the folding table
// that makes comparisons ignore letter case (the umlauts and accented letters of the set too).
class SearchPattern {
   public:
    // `ansi` is what the user typed, in the Windows character set; it is converted into the
    // document's set (Atari or Macintosh). Fails with kSearchEmptyMessage when it is empty.
    Outcome prepare(std::string_view ansi, uint8_t source_charset, bool match_case);
    // The same for a text in UTF-8 (typed on a terminal, pasted from elsewhere): a character
    // the Windows set lacks is matched as the byte of the document's set that is that character
    // (utf8_to_document_set). Fails when it is empty or not UTF-8.
    Outcome prepare_utf8(std::string_view utf8, uint8_t source_charset, bool match_case);

    // The line as find() compares it: folded unless letter case counts (valid until the next
    // call).
    std::string_view comparable(std::string_view line) const;
    // Start of the first occurrence in a comparable line at or after `from`, or npos.
    size_t find(std::string_view comparable_line, size_t from) const;
    size_t length() const { return needle_.size(); }

   private:
    std::string needle_;  // folded unless match_case
    uint8_t fold_[256] = {};
    bool match_case_ = false;
    // A typed character the set does not have: nothing can match.
    bool impossible_ = false;
    mutable std::string folded_line_;
};

// The folding table of a hypertext set: fold[b] is the small letter of b, or b itself.
void case_fold_table(uint8_t source_charset, uint8_t (&fold)[256]);

// Converts a text typed in the Windows set into the hypertext's set; false when a character has
// no counterpart there (the text then cannot occur in the hypertext).
bool ansi_to_document_set(std::string_view ansi, uint8_t source_charset, std::string& converted);

// The same for UTF-8: each character the Windows set has as above; one it lacks (an Atari arrow,
// a Greek letter...) as the byte of the hypertext's set the screen draws as that character. False
// when a character has neither; `valid` is false when the text is not UTF-8 at all.
bool utf8_to_document_set(std::string_view utf8, uint8_t source_charset, std::string& converted,
                          bool& valid);

// Called for each match in order; returning false ends the search.
using SearchVisitor = std::function<bool(const SearchMatch& match)>;

// Asked before each page (and each file of a search through several): returning false ends the
// search there, keeping what was found (the user pressed Esc). None: the search runs to its end.
using SearchGoOn = std::function<bool()>;

// Searches `doc` for `pattern` after `from`: in Page scope the matches of page `from.page`
// after the place; in AllPages scope the rest of that page, the following entries, then from
// entry 0 round to the place itself (wrapping once; the place's own page comes last with its
// matches up to and including the place). A page that cannot be unpacked whole is skipped.
// Pages are unpacked one at a time under the page cache's rule (the walked page stays, the one
// before is released); a page loaded only for the search and skipped is released at once.
// ToEnd scope is AllPages without the wrap. Returns the number of matches reported.
size_t search_document(HypDocument& doc, const SearchPattern& pattern, SearchScope scope,
                       SearchPlace from, const SearchVisitor& visit,
                       const SearchGoOn& go_on = SearchGoOn());

// The first match after `from` (the viewer's search and "Weitersuchen"); false when none.
bool find_next(HypDocument& doc, const SearchPattern& pattern, SearchScope scope, SearchPlace from,
               SearchMatch& match, std::string& line_text);

// --- the viewer's result list ----------------------------------------------------------------

// Most lines the result list shows.
constexpr size_t kSearchListLimit = 1000;

struct SearchListRow {
    SearchMatch match;      // the line's first find (its line_text is not kept: see text)
    std::string line_text;  // the line, in the hypertext's set
    std::string page_name;  // the page's name, in the hypertext's set; empty when it has none
    uint32_t file = 0;      // which of the list's files
};

// A hypertext the list's rows come from.
struct SearchListFile {
    std::string path;
    uint8_t source_charset = 0;  // the set its texts are in (CHARSET_TOS or CHARSET_MAC)
};

struct SearchList {
    std::vector<SearchListRow> rows;    // one per line holding the text, in file and index order
    std::vector<SearchListFile> files;  // the files searched (read whole or up to the end)
    bool several_files = false;         // from a search through all hypertexts: rows name files
    size_t skipped = 0;                 // files that could not be read or are no hypertexts
    bool more = false;                  // further lines hold it beyond `limit`
    bool ended = false;                 // ended early by the user: further files or pages unread
    size_t limit = kSearchListLimit;    // most rows the list was allowed
};

// The lines of every page that hold the text, from entry 0 on, at most `limit` of them.
SearchList list_matches(HypDocument& doc, const SearchPattern& pattern,
                        size_t limit = kSearchListLimit, const SearchGoOn& go_on = SearchGoOn());

// What the user typed for a search through several files: in the Windows set, and in UTF-8 as
// well when it holds a character that set lacks (pasted from elsewhere; else empty).
struct SearchText {
    SearchText(std::string windows_text, std::string utf8_text = std::string())
        : ansi(std::move(windows_text)), utf8(std::move(utf8_text)) {}
    SearchText(const char* windows_text) : ansi(windows_text) {}
    std::string ansi;
    std::string utf8;

    // Prepares `pattern` for a document of `source_charset` from the UTF-8 form when there is
    // one, else from the Windows one.
    Outcome prepare(SearchPattern& pattern, uint8_t source_charset, bool match_case) const;
};

// The lines holding `typed` in each of `paths` in turn, at most `limit` of them.
// A path naming `open_doc` (same_file_path) searches it as it is; every other file is opened
// on its own, searched and released before the next (the open document and its page cache stay
// as they were). Files that cannot be opened as hypertexts are counted in `skipped`.
SearchList list_matches_in_files(HypDocument& open_doc, const std::vector<std::string>& paths,
                                 const SearchText& typed, bool match_case,
                                 size_t limit = kSearchListLimit,
                                 const SearchGoOn& go_on = SearchGoOn());

// A find of a search through several files.
struct FileFind {
    bool found = false;
    bool ended = false;  // ended early by the user
    std::string path;    // the file holding the find
    SearchMatch match;   // its line_text is empty: the line is kept below
    std::string line_text;
};

// "Weitersuchen" through several files: the first find after `from` in `open_doc` up to its last
// entry; else the first find of each file following the open one in `paths` (round to the
// start of the list; files that cannot be read are passed over); else the first find of
// `open_doc` from its start (which can be the find at `from` itself: no other exists). When
// `open_doc` is not among `paths`, every file of the list follows it.
FileFind find_next_in_files(HypDocument& open_doc, const std::vector<std::string>& paths,
                            SearchPlace from, const SearchText& typed, bool match_case,
                            const SearchGoOn& go_on = SearchGoOn());

// A row of the viewer's list in the Windows set, columns parted by tabs: [file name,] page name,
// line (from 1), the line with its own tabs made blanks. The file's column is there for a list
// of several files only.
std::string search_list_row_text(const SearchList& list, const SearchListRow& row);

// The viewer's texts about a search for `typed` (Windows set).
std::string search_not_found_message(const std::string& typed, SearchScope scope);
std::string search_no_further_message(const std::string& typed);
std::string search_list_note(const std::string& typed, const SearchList& list);

// Finding text in the open hypertext: on one page or through every page, as the user reads it.
#include "app/search.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "app/shelf.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/page_loader.h"
#include "hyp/paths.h"
#include "render/page_walk.h"
#include "render/page_writer.h"
#include "render/text_run.h"

const char* const kSearchEmptyMessage = "Bitte geben Sie einen Suchtext ein.";

namespace {

// The small letter of a Windows (code page 1252) character, or the character itself.
uint8_t ansi_lower(uint8_t c) {
    if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(c + 0x20);
    // À to Þ, except the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<uint8_t>(c + 0x20);
    switch (c) {
        case 0x8A:
            return 0x9A;  // Š
        case 0x8C:
            return 0x9C;  // Œ
        case 0x8E:
            return 0x9E;  // Ž
        case 0x9F:
            return 0xFF;  // Ÿ
        default:
            return c;
    }
}

// For each Windows character, the hypertext byte that shows it; 0 when the set has none. ASCII
// stays itself; of several bytes showing the same character the lowest is taken (the Atari set
// shows its beta as sharp s too: the sharp s at 0x9E is the letter).
void from_ansi_table(uint8_t source_charset, uint8_t (&table)[256]) {
    const uint8_t(&to_ansi)[CHARSET_TABLE_SIZE] = charset_tables[screen_conversion(source_charset)];
    std::fill(std::begin(table), std::end(table), uint8_t{0});
    for (unsigned b = 1; b < 0x80; ++b) table[b] = static_cast<uint8_t>(b);
    for (unsigned b = 0x80; b < CHARSET_TABLE_SIZE; ++b) {
        const uint8_t shown = to_ansi[0] ? to_ansi[b] : static_cast<uint8_t>(b);
        if (shown >= 0x80 && table[shown] == 0) table[shown] = static_cast<uint8_t>(b);
    }
}

}  // namespace

void case_fold_table(uint8_t source_charset, uint8_t (&fold)[256]) {
    const uint8_t(&to_ansi)[CHARSET_TABLE_SIZE] = charset_tables[screen_conversion(source_charset)];
    uint8_t from_ansi[256];
    from_ansi_table(source_charset, from_ansi);
    for (unsigned b = 0; b < 256; ++b) {
        fold[b] = static_cast<uint8_t>(b);
        if (b == 0 || !to_ansi[0]) continue;
        // Only a letter the set shows as itself folds: a byte that merely looks like a capital
        // on the screen (a graphic shown as its nearest letter) stays apart.
        const uint8_t shown = to_ansi[b];
        if (from_ansi[shown] != b) continue;
        const uint8_t small = from_ansi[ansi_lower(shown)];
        if (small != 0) fold[b] = small;
    }
    if (!to_ansi[0]) {
        for (unsigned b = 'A'; b <= 'Z'; ++b) fold[b] = static_cast<uint8_t>(b + 0x20);
    }
}

bool ansi_to_document_set(std::string_view ansi, uint8_t source_charset, std::string& converted) {
    uint8_t from_ansi[256];
    from_ansi_table(source_charset, from_ansi);
    converted.clear();
    converted.reserve(ansi.size());
    bool complete = true;
    for (char c : ansi) {
        const uint8_t b = from_ansi[static_cast<uint8_t>(c)];
        if (b == 0) complete = false;
        converted.push_back(static_cast<char>(b));
    }
    return complete;
}

bool utf8_to_document_set(std::string_view utf8, uint8_t source_charset, std::string& converted,
                          bool& valid) {
    converted.clear();
    valid = true;
    bool complete = true;
    std::string ansi;
    std::string part;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = utf8_sequence_length(lead);
        const std::string_view character = utf8.substr(i, length);
        i += character.size();
        if (utf8_to_ansi(character, ansi)) {
            complete = ansi_to_document_set(ansi, source_charset, part) && complete;
            converted += part;
            continue;
        }
        // A character the Windows set lacks: the byte the screen draws as it.
        uint8_t found = 0;
        for (unsigned b = 1; b < 256 && found == 0; ++b) {
            if (screen_wide_character(source_charset, static_cast<uint8_t>(b)) == 0) continue;
            const std::string own = convert_charset(std::string(1, static_cast<char>(b)), false,
                                                    conversion_table(source_charset, TARGET_UTF8));
            if (own == character) found = static_cast<uint8_t>(b);
        }
        if (found == 0) {
            complete = false;
            // A stray or cut continuation byte, or a lead byte without its continuation.
            bool formed = character.size() == length && (length > 1 || lead < 0x80);
            for (size_t k = 1; k < character.size(); ++k) {
                formed = formed && (static_cast<unsigned char>(character[k]) & 0xC0) == 0x80;
            }
            valid = valid && formed;
        }
        converted.push_back(static_cast<char>(found));
    }
    return complete;
}

Outcome SearchPattern::prepare_utf8(std::string_view utf8, uint8_t source_charset,
                                    bool match_case) {
    std::string ansi;
    if (utf8_to_ansi(utf8, ansi)) return prepare(ansi, source_charset, match_case);
    bool valid = true;
    std::string converted;
    const bool complete = utf8_to_document_set(utf8, source_charset, converted, valid);
    if (!valid) return Failure{"Der Suchtext ist kein UTF-8."};
    match_case_ = match_case;
    impossible_ = !complete;
    needle_ = converted;
    case_fold_table(source_charset, fold_);
    if (!match_case_) {
        for (char& c : needle_) c = static_cast<char>(fold_[static_cast<uint8_t>(c)]);
    }
    return Outcome();
}

Outcome check_search_text(std::string_view typed) {
    if (typed.empty()) return Failure{kSearchEmptyMessage};
    return Outcome();
}

Outcome SearchPattern::prepare(std::string_view ansi, uint8_t source_charset, bool match_case) {
    const Outcome accepted = check_search_text(ansi);
    if (!accepted) return accepted;
    match_case_ = match_case;
    impossible_ = !ansi_to_document_set(ansi, source_charset, needle_);
    case_fold_table(source_charset, fold_);
    if (!match_case_) {
        for (char& c : needle_) c = static_cast<char>(fold_[static_cast<uint8_t>(c)]);
    }
    return Outcome();
}

std::string_view SearchPattern::comparable(std::string_view line) const {
    if (match_case_) return line;
    folded_line_.resize(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        folded_line_[i] = static_cast<char>(fold_[static_cast<uint8_t>(line[i])]);
    }
    return folded_line_;
}

size_t SearchPattern::find(std::string_view comparable_line, size_t from) const {
    if (impossible_ || needle_.empty() || needle_.size() > comparable_line.size()) {
        return std::string_view::npos;
    }
    return comparable_line.find(needle_, from);
}

namespace {

// Which matches of a walked page are wanted: those after `after` and up to `through`, both
// given as (line, column) pairs of the page.
struct LineWindow {
    int64_t after_line = -1;
    int64_t after_column = 0;
    bool bounded = false;  // only matches up to and including (through_line, through_column)
    int64_t through_line = 0;
    int64_t through_column = 0;

    bool wants(uint32_t line, uint32_t column) const {
        if (line < after_line || (line == after_line && column <= after_column)) return false;
        if (bounded && (line > through_line || (line == through_line && column > through_column))) {
            return false;
        }
        return true;
    }
};

// Receives the Text walk of one page and looks at each line as it ends. Texts stay in the
// hypertext's character set; page heads and titles are not part of the page's lines (the
// screen shows a title in the caption only), and nothing the walk leaves out of the text
// (attributes, graphics, pictures, data blocks) reaches the line.
class SearchLineWriter : public PageWriter {
   public:
    SearchLineWriter(const SearchPattern& pattern, const SearchVisitor& visit)
        : pattern_(pattern), visit_(visit) {}

    void start(uint16_t page, bool popup, const LineWindow& window) {
        page_ = page;
        popup_ = popup;
        window_ = window;
        line_number_ = 0;
        line_.clear();
    }
    // The last line of a page always ends with the walk's own line end; anything left is
    // checked all the same.
    void finish() {
        if (!line_.empty()) write_line_end();
    }
    bool stopped() const { return stopped_; }
    size_t reported() const { return reported_; }

    ExportMode mode() const override { return ExportMode::Text; }
    void write_text(const char* bytes, size_t length) override { line_.append(bytes, length); }
    void write_special(char c) override { line_.push_back(c); }
    void write_literal_escape() override { line_.push_back('\x1B'); }
    void write_line_end() override {
        if (!stopped_) check_line();
        line_.clear();
        ++line_number_;
    }
    void write_link(HypDocument&, const PageLink& link) override {
        line_.append(link.text.data(), link.text.size());
    }

   private:
    void check_line() {
        const size_t length = pattern_.length();
        if (length > line_.size()) return;
        const std::string_view comparable = pattern_.comparable(line_);
        size_t at = 0;
        while ((at = pattern_.find(comparable, at)) != std::string::npos) {
            if (window_.wants(line_number_, static_cast<uint32_t>(at))) {
                SearchMatch match;
                match.page = page_;
                match.line = line_number_;
                match.first_column = static_cast<uint32_t>(at);
                match.end_column = static_cast<uint32_t>(at + length);
                match.line_text = line_;
                match.in_popup = popup_;
                ++reported_;
                if (!visit_(match)) {
                    stopped_ = true;
                    return;
                }
            }
            // Occurrences do not overlap: the next one starts after this one's end.
            at += length;
        }
    }

    const SearchPattern& pattern_;
    const SearchVisitor& visit_;
    uint16_t page_ = 0;
    bool popup_ = false;
    LineWindow window_;
    uint32_t line_number_ = 0;
    std::string line_;
    bool stopped_ = false;
    size_t reported_ = 0;
};

// Keeps the hypertext's file open through one search, so that the pages, lying in index order,
// are read through the document's read-ahead bytes instead of opening the file once per page.
// A file the document holds open already (an export running) is left as it is.
class FileOpenForSearch {
   public:
    explicit FileOpenForSearch(HypDocument& doc) : doc_(doc) {
        if (doc_.file != nullptr) return;
        doc_.read_ahead = HypDocument::ReadAhead{};
        doc_.file = std::fopen(doc_.path.c_str(), "rb");
        opened_ = doc_.file != nullptr;
    }
    ~FileOpenForSearch() {
        if (opened_) close_hypertext_file(doc_);
    }
    FileOpenForSearch(const FileOpenForSearch&) = delete;
    FileOpenForSearch& operator=(const FileOpenForSearch&) = delete;

   private:
    HypDocument& doc_;
    bool opened_ = false;
};

bool searchable(const IndexEntry& entry) {
    return entry.type == ENTRY_NODE || entry.type == ENTRY_PNODE;
}

// Walks page `page` in Text mode into `writer`, unless it cannot be unpacked whole.
void search_page(HypDocument& doc, uint16_t page, const LineWindow& window,
                 SearchLineWriter& writer) {
    IndexEntry& entry = doc.index[page];
    if (!searchable(entry)) return;
    const bool was_loaded = !entry.page_data.empty();
    if (load_page_checked(doc, page) != PageLoadResult::Complete) {
        // A damaged page is passed over; what was loaded for it alone goes again, since no
        // walk will release it.
        if (!was_loaded) std::vector<uint8_t>().swap(entry.page_data);
        return;
    }
    writer.start(page, entry.type == ENTRY_PNODE, window);
    interpret_page(PageWalkArgs::search(doc, page, writer));
    writer.finish();
    // A page unpacked for the search alone goes at once rather than with the next walk: through
    // many files the search holds one page's bytes at a time.
    if (!was_loaded) std::vector<uint8_t>().swap(entry.page_data);
}

// A go-on check that remembers whether it said stop.
struct StopWatch {
    const SearchGoOn& go_on;
    bool stopped = false;

    SearchGoOn check() {
        return [this] {
            if (!stopped && go_on && !go_on()) stopped = true;
            return !stopped;
        };
    }
};

// Appends the lines of `doc` holding the text to `list` as rows of file `file`. False when the
// list is full (more set) or the user ended the search.
bool add_rows(HypDocument& doc, const SearchPattern& pattern, uint32_t file, SearchList& list,
              StopWatch& watch) {
    const size_t first_row = list.rows.size();
    search_document(
        doc, pattern, SearchScope::AllPages, kBeforeFirstPage,
        [&](const SearchMatch& m) {
            if (list.rows.size() > first_row) {
                const SearchMatch& last = list.rows.back().match;
                if (last.page == m.page && last.line == m.line) return true;
            }
            if (list.rows.size() == list.limit) {
                list.more = true;
                return false;
            }
            SearchListRow row;
            row.match = m;
            row.match.line_text = {};
            row.line_text.assign(m.line_text);
            const std::optional<std::string>& name = doc.index[m.page].name;
            if (name) row.page_name = *name;
            row.file = file;
            list.rows.push_back(std::move(row));
            return true;
        },
        watch.check());
    list.ended = list.ended || watch.stopped;
    return !list.more && !watch.stopped;
}

}  // namespace

size_t search_document(HypDocument& doc, const SearchPattern& pattern, SearchScope scope,
                       SearchPlace from, const SearchVisitor& visit, const SearchGoOn& go_on) {
    SearchLineWriter writer(pattern, visit);
    const int64_t count = static_cast<int64_t>(doc.index.size());
    if (count == 0 || pattern.length() == 0) return 0;
    const FileOpenForSearch open_file(doc);

    LineWindow rest;  // the place's page after the place
    rest.after_line = from.line;
    rest.after_column = from.column;
    const bool on_a_page = from.page >= 0 && from.page < count;

    if (scope == SearchScope::Page) {
        if (on_a_page) search_page(doc, static_cast<uint16_t>(from.page), rest, writer);
        return writer.reported();
    }

    const auto going_on = [&] { return !writer.stopped() && (!go_on || go_on()); };
    if (on_a_page) search_page(doc, static_cast<uint16_t>(from.page), rest, writer);
    const LineWindow whole;
    // The following entries, then round from the first: count - 1 pages besides the place's
    // (ToEnd: those up to the last entry).
    const int64_t first = on_a_page ? from.page + 1 : 0;
    const int64_t others = scope == SearchScope::ToEnd ? count - first
                           : on_a_page                 ? count - 1
                                                       : count;
    for (int64_t k = 0; k < others && going_on(); ++k) {
        search_page(doc, static_cast<uint16_t>((first + k) % count), whole, writer);
    }
    if (on_a_page && scope == SearchScope::AllPages && going_on()) {
        // Wrapped round: the place's page up to the place itself.
        LineWindow before;
        before.bounded = true;
        before.through_line = from.line;
        before.through_column = from.column;
        search_page(doc, static_cast<uint16_t>(from.page), before, writer);
    }
    return writer.reported();
}

bool find_next(HypDocument& doc, const SearchPattern& pattern, SearchScope scope, SearchPlace from,
               SearchMatch& match, std::string& line_text) {
    bool found = false;
    search_document(doc, pattern, scope, from, [&](const SearchMatch& m) {
        match = m;
        line_text.assign(m.line_text);
        match.line_text = line_text;
        found = true;
        return false;
    });
    return found;
}

SearchList list_matches(HypDocument& doc, const SearchPattern& pattern, size_t limit,
                        const SearchGoOn& go_on) {
    SearchList list;
    list.limit = limit;
    list.files.push_back({doc.path, doc.source_charset});
    StopWatch watch{go_on};
    add_rows(doc, pattern, 0, list, watch);
    return list;
}

Outcome SearchText::prepare(SearchPattern& pattern, uint8_t source_charset, bool match_case) const {
    return utf8.empty() ? pattern.prepare(ansi, source_charset, match_case)
                        : pattern.prepare_utf8(utf8, source_charset, match_case);
}

SearchList list_matches_in_files(HypDocument& open_doc, const std::vector<std::string>& paths,
                                 const SearchText& typed, bool match_case, size_t limit,
                                 const SearchGoOn& go_on) {
    SearchList list;
    list.limit = limit;
    list.several_files = true;
    StopWatch watch{go_on};
    for (const std::string& path : paths) {
        if (!watch.check()()) {
            list.ended = true;
            break;
        }
        HypDocument other;
        HypDocument* doc = &open_doc;
        if (!same_file_path(path, open_doc.path) || open_doc.index.empty()) {
            int32_t first_page = -1;
            if (!open_hypertext(other, path, std::nullopt, -1, first_page)) {
                ++list.skipped;
                continue;
            }
            doc = &other;
        }
        SearchPattern pattern;
        if (!typed.prepare(pattern, doc->source_charset, match_case)) break;
        list.files.push_back({path, doc->source_charset});
        if (!add_rows(*doc, pattern, static_cast<uint32_t>(list.files.size() - 1), list, watch)) {
            break;
        }
    }
    return list;
}

FileFind find_next_in_files(HypDocument& open_doc, const std::vector<std::string>& paths,
                            SearchPlace from, const SearchText& typed, bool match_case,
                            const SearchGoOn& go_on) {
    FileFind result;
    StopWatch watch{go_on};
    const auto first_find = [&](HypDocument& doc, SearchScope scope, SearchPlace place) {
        SearchPattern pattern;
        if (!typed.prepare(pattern, doc.source_charset, match_case)) return false;
        search_document(
            doc, pattern, scope, place,
            [&](const SearchMatch& m) {
                result.found = true;
                result.path = doc.path;
                result.match = m;
                result.line_text.assign(m.line_text);
                return false;
            },
            watch.check());
        // The line is kept in line_text only: a view into it would not survive a move.
        result.match.line_text = {};
        return result.found;
    };
    if (first_find(open_doc, SearchScope::ToEnd, from)) return result;

    size_t current = paths.size();  // the open file's place in the list; none: before it
    for (size_t i = 0; i < paths.size(); ++i) {
        if (same_file_path(paths[i], open_doc.path)) {
            current = i;
            break;
        }
    }
    const size_t following = current < paths.size() ? paths.size() - 1 : paths.size();
    for (size_t k = 1; k <= following && !watch.stopped; ++k) {
        const size_t i = current < paths.size() ? (current + k) % paths.size() : k - 1;
        const std::string& path = paths[i];
        if (same_file_path(path, open_doc.path)) continue;
        HypDocument other;
        int32_t first_page = -1;
        if (!open_hypertext(other, path, std::nullopt, -1, first_page)) continue;
        if (first_find(other, SearchScope::AllPages, kBeforeFirstPage)) {
            result.path = path;
            return result;
        }
    }
    if (!watch.stopped) first_find(open_doc, SearchScope::AllPages, kBeforeFirstPage);
    result.ended = watch.stopped && !result.found;
    return result;
}

std::string search_list_row_text(const SearchList& list, const SearchListRow& row) {
    const uint8_t charset =
        row.file < list.files.size() ? list.files[row.file].source_charset : CHARSET_TOS;
    const unsigned table = screen_conversion(charset);
    std::string text;
    if (list.several_files && row.file < list.files.size()) {
        text = path_file_name(list.files[row.file].path);
        text += '\t';
    }
    text += convert_charset(row.page_name, false, table);
    text += '\t';
    text += std::to_string(row.match.line + 1);
    text += '\t';
    std::string line = convert_charset(row.line_text, false, table);
    std::replace(line.begin(), line.end(), '\t', ' ');
    text += line;
    return text;
}

std::string search_not_found_message(const std::string& typed, SearchScope scope) {
    return "\"" + typed +
           (scope == SearchScope::Page ? "\" wurde auf dieser Seite nicht gefunden."
                                       : "\" wurde nicht gefunden.");
}

std::string search_no_further_message(const std::string& typed) {
    return "Keine weitere Fundstelle für \"" + typed + "\".";
}

std::string search_list_note(const std::string& typed, const SearchList& list) {
    std::string note;
    if (list.more) {
        note = "Mehr als " + std::to_string(list.limit) + " Zeilen mit \"" + typed +
               "\"; gezeigt werden die ersten " + std::to_string(list.limit);
    } else {
        const size_t n = list.rows.size();
        note = std::to_string(n) + (n == 1 ? " Zeile" : " Zeilen") + " mit \"" + typed + "\"";
    }
    if (list.skipped > 0) {
        note += "; " + std::to_string(list.skipped) + (list.skipped == 1 ? " Datei" : " Dateien") +
                " übersprungen";
    }
    if (list.ended) note += "; Suche abgebrochen";
    // The sentence about the limit ends with its full stop, the count alone has none.
    if (list.more) note += ".";
    return note;
}

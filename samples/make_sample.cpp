// Compiles the sample hypertext source (the notation described at the top of sample.txt) into
// a HYP file and the REF file beside it (same name, extension ".ref").
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "fixture/ref_builder.h"
#include "hyp/hyp_format.h"

namespace {

// --- reporting -----------------------------------------------------------------------------

std::string source_path;

[[noreturn]] void fail(int line, const std::string& message) {
    if (line > 0) {
        std::fprintf(stderr, "%s:%d: %s\n", source_path.c_str(), line, message.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", source_path.c_str(), message.c_str());
    }
    std::exit(1);
}

// --- characters ----------------------------------------------------------------------------

// The source is UTF-8; the hypertext stores its texts in the Atari character set. Only ASCII
// and the German letters are expected, anything else is a mistake in the source.
std::string to_atari(std::string_view utf8, int line) {
    struct Letter {
        uint32_t code_point;
        uint8_t atari;
    };
    static const Letter kLetters[] = {
        {0xE4, 0x84}, {0xF6, 0x94}, {0xFC, 0x81}, {0xC4, 0x8E},
        {0xD6, 0x99}, {0xDC, 0x9A}, {0xDF, 0x9E},
    };
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t c = static_cast<uint8_t>(utf8[i]);
        if (c < 0x80) {
            if (c < 0x20 && c != '\t') fail(line, "control character in the text");
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        uint32_t code_point = 0;
        if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size() &&
            (static_cast<uint8_t>(utf8[i + 1]) & 0xC0) == 0x80) {
            code_point = ((c & 0x1F) << 6) | (static_cast<uint8_t>(utf8[i + 1]) & 0x3F);
        }
        bool found = false;
        for (const Letter& letter : kLetters) {
            if (letter.code_point == code_point) {
                out += static_cast<char>(letter.atari);
                found = true;
            }
        }
        if (!found) fail(line, "character outside ASCII and the German letters");
        i += 2;
    }
    return out;
}

// --- words ---------------------------------------------------------------------------------

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

void skip_blanks(std::string_view& rest) {
    while (!rest.empty() && is_blank(rest.front())) rest.remove_prefix(1);
}

// Takes one word: a run of non-blanks, or a double-quoted text with \" and \\ inside.
// `stop` ends a bare word too (the closing brace of an inline command).
std::optional<std::string> take_word(std::string_view& rest, int line, char stop = '\0') {
    skip_blanks(rest);
    if (rest.empty() || (stop && rest.front() == stop)) return std::nullopt;
    std::string word;
    if (rest.front() == '"') {
        rest.remove_prefix(1);
        for (;;) {
            if (rest.empty()) fail(line, "a quoted text is not closed");
            const char c = rest.front();
            rest.remove_prefix(1);
            if (c == '"') break;
            if (c == '\\' && !rest.empty() && (rest.front() == '"' || rest.front() == '\\')) {
                word += rest.front();
                rest.remove_prefix(1);
            } else {
                word += c;
            }
        }
        return word;
    }
    while (!rest.empty() && !is_blank(rest.front()) && !(stop && rest.front() == stop)) {
        word += rest.front();
        rest.remove_prefix(1);
    }
    return word;
}

std::string need_word(std::string_view& rest, int line, const char* what) {
    std::optional<std::string> word = take_word(rest, line);
    if (!word) fail(line, std::string("missing ") + what);
    return *word;
}

long parse_number(const std::string& word, int line, long low, long high, const char* what) {
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0') fail(line, std::string(what) + " is not a number: " + word);
    if (value < low || value > high) {
        fail(line, std::string(what) + " " + word + " is outside " + std::to_string(low) + " to " +
                       std::to_string(high));
    }
    return value;
}

long need_number(std::string_view& rest, int line, long low, long high, const char* what) {
    return parse_number(need_word(rest, line, what), line, low, high, what);
}

void expect_end(std::string_view rest, int line) {
    skip_blanks(rest);
    if (!rest.empty()) fail(line, "unexpected text at the end: " + std::string(rest));
}

// The value of a database command: the rest of the line, without surrounding quotes.
std::string header_value(std::string_view rest, int line) {
    skip_blanks(rest);
    while (!rest.empty() && is_blank(rest.back())) rest.remove_suffix(1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
        std::optional<std::string> word = take_word(rest, line);
        expect_end(rest, line);
        return *word;
    }
    if (rest.empty()) fail(line, "missing value");
    return std::string(rest);
}

// --- the source model ------------------------------------------------------------------------

// The compiler closes every index with one entry of this type, beyond the kinds EntryType names.
constexpr uint8_t ENTRY_CLOSING = 255;

struct SourceLine {
    std::string text;  // UTF-8, as written
    int line;          // line in the source file
};

// A command stored at the start of the page: xref, tree, data block or graphics.
struct HeadItem {
    enum Kind { Xref, Tree, Data, Picture, Line, Box, Rbox } kind;
    int line;                        // source line, for messages
    uint32_t text_line = 0;          // line operand: text lines before the command
    std::vector<std::string> words;  // operands as written
};

// The commands that place an object in a page's head: what each places and how many operands
// it takes. @limage is @image with the line-reserving flag.
struct HeadCommand {
    const char* word;
    HeadItem::Kind kind;
    size_t min_words, max_words;
};
constexpr HeadCommand HEAD_COMMANDS[] = {
    {"@xref", HeadItem::Xref, 1, 2},       {"@tree", HeadItem::Tree, 4, 4},
    {"@data", HeadItem::Data, 1, 253},     {"@image", HeadItem::Picture, 2, 2},
    {"@limage", HeadItem::Picture, 2, 2},  {"@line", HeadItem::Line, 3, 5},
    {"@box", HeadItem::Box, 3, 4},         {"@rbox", HeadItem::Rbox, 3, 4},
};

const HeadCommand* head_command(const std::string& word) {
    for (const HeadCommand& command : HEAD_COMMANDS) {
        if (word == command.word) return &command;
    }
    return nullptr;
}

struct Page {
    bool popup = false;
    std::string name;  // UTF-8
    int line = 0;
    std::vector<std::string> titles;
    std::optional<std::string> next, prev, toc;
    std::vector<std::string> aliases;
    std::map<std::string, uint32_t> labels;  // label name -> text line
    bool raw = false;
    std::vector<HeadItem> head;
    std::vector<SourceLine> lines;
};

struct ImageDef {
    std::string name;
    int planes = 1;
    bool raw = false;
    int line = 0;
    std::vector<std::string> rows;
};

struct ExtHeaderSource {
    uint16_t type;
    std::vector<uint8_t> data;
};

struct Source {
    std::vector<ExtHeaderSource> headers;
    std::vector<Page> pages;
    std::vector<ImageDef> images;
    std::string database;  // for the REF file (Atari set)
};

std::vector<uint8_t> text_data(const std::string& atari) {
    std::vector<uint8_t> data(atari.begin(), atari.end());
    data.push_back(0);
    return data;
}

Source parse(std::istream& in) {
    Source source;
    Page* page = nullptr;
    ImageDef* image = nullptr;
    std::string raw_line;
    int line = 0;
    while (std::getline(in, raw_line)) {
        ++line;
        if (!raw_line.empty() && raw_line.back() == '\r') raw_line.pop_back();
        std::string_view text = raw_line;
        // Pixel rows may start with "##"; everywhere else that is a comment.
        if (image) {
            if (text == "@endimage") {
                if (image->rows.empty()) fail(line, "image without pixel rows");
                image = nullptr;
            } else {
                if (!image->rows.empty() && text.size() != image->rows.front().size()) {
                    fail(line, "pixel rows of different lengths");
                }
                image->rows.emplace_back(text);
            }
            continue;
        }
        if (text.substr(0, 2) == "##") continue;

        // A command is "@" and a letter or "$"; "@@" and "@{" start text.
        const bool command = text.size() >= 2 && text[0] == '@' && text[1] != '@' && text[1] != '{';
        std::string word;
        std::string_view rest;
        if (command) {
            size_t end = 1;
            while (end < text.size() && !is_blank(text[end]) && text[end] != ':') ++end;
            word = std::string(text.substr(0, end));
            rest = text.substr(end);
        }

        if (!page) {
            if (text.empty()) continue;
            if (!command) fail(line, "text outside a page");
            struct HeaderCommand {
                const char* word;
                uint16_t type;
            };
            static const HeaderCommand kHeaders[] = {
                {"@database", 1}, {"@default", 2}, {"@hostname", 3}, {"@options", 4},
                {"@author", 5},   {"@help", 7},    {"@subject", 8},
            };
            bool done = false;
            for (const HeaderCommand& header : kHeaders) {
                if (word == header.word) {
                    const std::string value = to_atari(header_value(rest, line), line);
                    if (header.type == 1) source.database = value;
                    source.headers.push_back({header.type, text_data(value)});
                    done = true;
                }
            }
            if (done) continue;
            if (word == "@$VER") {
                // Stored with its "$VER:" so that the text reads as the compiler keeps it.
                source.headers.push_back(
                    {6, text_data(to_atari(std::string(text.substr(1)), line))});
            } else if (word == "@width") {
                const long width = need_number(rest, line, 1, 65535, "width");
                expect_end(rest, line);
                source.headers.push_back(
                    {11, {static_cast<uint8_t>(width & 0xFF), static_cast<uint8_t>(width >> 8)}});
            } else if (word == "@node" || word == "@pnode") {
                source.pages.emplace_back();
                page = &source.pages.back();
                page->popup = word == "@pnode";
                page->line = line;
                page->name = need_word(rest, line, "page name");
                if (std::optional<std::string> title = take_word(rest, line)) {
                    page->titles.push_back(*title);
                }
                expect_end(rest, line);
            } else if (word == "@imagedef") {
                source.images.emplace_back();
                image = &source.images.back();
                image->line = line;
                image->name = need_word(rest, line, "image name");
                image->planes = static_cast<int>(need_number(rest, line, 1, 8, "plane count"));
                if (std::optional<std::string> flag = take_word(rest, line)) {
                    if (*flag != "raw") fail(line, "unknown image option " + *flag);
                    image->raw = true;
                }
                expect_end(rest, line);
            } else {
                fail(line, "unknown command outside a page: " + word);
            }
            continue;
        }

        // Inside a page.
        const uint32_t text_line = static_cast<uint32_t>(page->lines.size());
        if (!command) {
            page->lines.push_back({raw_line, line});
            continue;
        }
        auto head_item = [&](HeadItem::Kind kind, size_t min_words, size_t max_words) {
            HeadItem item{kind, line, text_line, {}};
            while (std::optional<std::string> operand = take_word(rest, line)) {
                item.words.push_back(*operand);
            }
            if (item.words.size() < min_words || item.words.size() > max_words) {
                fail(line, word + ": wrong number of operands");
            }
            page->head.push_back(item);
        };
        if (word == "@endnode") {
            expect_end(rest, line);
            page = nullptr;
        } else if (word == "@title") {
            page->titles.push_back(header_value(rest, line));
        } else if (word == "@next" || word == "@prev" || word == "@toc") {
            std::optional<std::string>& target = word == "@next"   ? page->next
                                                 : word == "@prev" ? page->prev
                                                                   : page->toc;
            target = need_word(rest, line, "page name");
            expect_end(rest, line);
        } else if (word == "@alias") {
            page->aliases.push_back(need_word(rest, line, "alias"));
            expect_end(rest, line);
        } else if (word == "@label") {
            const std::string label = need_word(rest, line, "label");
            expect_end(rest, line);
            if (!page->labels.emplace(label, text_line).second) fail(line, "label given twice");
        } else if (word == "@raw") {
            expect_end(rest, line);
            page->raw = true;
        } else if (const HeadCommand* head = head_command(word)) {
            head_item(head->kind, head->min_words, head->max_words);
            if (head->kind == HeadItem::Picture) {
                page->head.back().words.push_back(word == "@limage" ? "1" : "0");
            }
        } else {
            fail(line, "unknown command inside a page: " + word);
        }
    }
    if (page) fail(page->line, "page without @endnode");
    if (image) fail(image->line, "image without @endimage");
    if (source.pages.empty()) fail(0, "no pages");
    return source;
}

// --- compiling -----------------------------------------------------------------------------

// One index entry of the compiled file.
struct Entry {
    uint8_t type = ENTRY_NODE;
    std::optional<std::string> name;  // Atari set; none = a record without a name
    uint16_t next = 0, previous = 0, toc = 0;
    std::vector<uint8_t> data;  // unpacked object
    bool compress = true;       // LH5, else stored as is
};

struct RefSymbol {
    uint8_t kind;  // 1 node, 2 alias, 3 label
    std::string name;
    uint16_t line = 0;
};

class Compiler {
   public:
    explicit Compiler(const Source& source) : source_(source) {}

    std::vector<Entry> compile(std::vector<RefSymbol>& symbols);

   private:
    uint32_t page_index(const std::string& name, int line) const;
    uint32_t link_target(const std::string& name, int line);
    uint32_t extra_entry(uint8_t type, const std::string& name);
    uint32_t target_line(uint32_t target, const std::string& word, int line) const;
    std::vector<uint8_t> compile_page(const Page& page);
    void compile_text_line(fixture::PageBuilder& builder, const SourceLine& source_line,
                           uint8_t& attributes);
    std::vector<uint8_t> compile_image(const ImageDef& image);

    const Source& source_;
    std::map<std::string, uint32_t> page_names_;   // name and alias (UTF-8) -> page index
    std::map<std::string, uint32_t> image_names_;  // image name -> entry index
    std::vector<Entry> extras_;                    // external, system, REXX and quit entries
};

uint32_t Compiler::page_index(const std::string& name, int line) const {
    auto found = page_names_.find(name);
    if (found == page_names_.end()) fail(line, "unknown page " + name);
    return found->second;
}

uint32_t Compiler::extra_entry(uint8_t type, const std::string& name) {
    const uint32_t first = static_cast<uint32_t>(source_.pages.size() + source_.images.size());
    for (size_t i = 0; i < extras_.size(); ++i) {
        if (extras_[i].type == type && extras_[i].name == name) return first + i;
    }
    Entry entry;
    entry.type = type;
    entry.name = name;
    entry.compress = false;
    extras_.push_back(entry);
    return first + static_cast<uint32_t>(extras_.size() - 1);
}

// Link targets: a page or alias, an image, else a name with a slash is another hypertext.
uint32_t Compiler::link_target(const std::string& name, int line) {
    if (auto page = page_names_.find(name); page != page_names_.end()) return page->second;
    if (auto image = image_names_.find(name); image != image_names_.end()) return image->second;
    if (name.find('/') != std::string::npos) {
        return extra_entry(ENTRY_EXTERNAL, to_atari(name, line));
    }
    fail(line, "unknown link target " + name);
}

uint32_t Compiler::target_line(uint32_t target, const std::string& word, int line) const {
    if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) {
        return static_cast<uint32_t>(parse_number(word, line, 0, fixture::kMaxBase255, "line"));
    }
    if (target < source_.pages.size()) {
        const Page& page = source_.pages[target];
        if (auto label = page.labels.find(word); label != page.labels.end()) return label->second;
    }
    fail(line, "no label " + word + " in the link target");
}

void Compiler::compile_text_line(fixture::PageBuilder& builder, const SourceLine& source_line,
                                 uint8_t& attributes) {
    const int line = source_line.line;
    std::string_view rest = source_line.text;
    std::string plain;  // UTF-8 text waiting to be written
    auto flush = [&]() {
        builder.text(to_atari(plain, line));
        plain.clear();
    };
    while (!rest.empty()) {
        const char c = rest.front();
        if (c != '@') {
            plain += c;
            rest.remove_prefix(1);
            continue;
        }
        if (rest.substr(0, 2) == "@@") {
            plain += '@';
            rest.remove_prefix(2);
            continue;
        }
        if (rest.substr(0, 2) != "@{") fail(line, "a lone \"@\" in the text (write \"@@\")");
        rest.remove_prefix(2);
        flush();
        std::vector<std::string> words;
        while (std::optional<std::string> word = take_word(rest, line, '}')) {
            words.push_back(*word);
        }
        skip_blanks(rest);
        if (rest.empty() || rest.front() != '}') fail(line, "\"@{\" without \"}\"");
        rest.remove_prefix(1);
        if (words.empty()) fail(line, "empty \"@{}\"");

        if (words.size() == 1) {
            // Attributes: capitals switch on, small letters off, 0 switches all off.
            static const char kOn[] = "BGIUOSX";
            static const char kOff[] = "bgiuosx";
            uint8_t set = attributes;
            if (words[0] == "0") {
                set = 0;
            } else {
                for (char letter : words[0]) {
                    const char* on = std::char_traits<char>::find(kOn, 7, letter);
                    const char* off = std::char_traits<char>::find(kOff, 7, letter);
                    if (on) {
                        set |= static_cast<uint8_t>(1 << (on - kOn));
                    } else if (off) {
                        set &= static_cast<uint8_t>(~(1 << (off - kOff)));
                    } else {
                        fail(line, "unknown attribute letter in " + words[0]);
                    }
                }
            }
            builder.attributes(set);
            attributes = set;
            continue;
        }

        const std::string text = to_atari(words[0], line);
        const std::string& keyword = words[1];
        auto operands = [&](size_t min, size_t max) {
            if (words.size() < 2 + min || words.size() > 2 + max) {
                fail(line, keyword + ": wrong number of operands");
            }
        };
        uint32_t target = 0;
        if (keyword == "link" || keyword == "alink") {
            operands(1, 2);
            target = link_target(words[2], line);
            const bool alink = keyword == "alink";
            if (words.size() == 4) {
                const uint32_t to_line = target_line(target, words[3], line);
                builder.link(alink ? fixture::LinkKind::AlinkLine : fixture::LinkKind::LinkLine,
                             target, text, to_line);
            } else {
                builder.link(alink ? fixture::LinkKind::Alink : fixture::LinkKind::Link, target,
                             text);
            }
            continue;
        }
        if (keyword == "system" || keyword == "rxs" || keyword == "rx") {
            operands(1, 1);
            const uint8_t type = keyword == "system" ? ENTRY_SYSTEM
                                 : keyword == "rxs"  ? ENTRY_REXX_SCRIPT
                                                     : ENTRY_REXX_COMMAND;
            target = extra_entry(type, to_atari(words[2], line));
        } else if (keyword == "quit") {
            operands(0, 0);
            // The quit entry has an empty name: a link to it reads "@{T quit}" in STG source.
            target = extra_entry(ENTRY_QUIT, "");
        } else {
            fail(line, "unknown inline command " + keyword);
        }
        builder.link(fixture::LinkKind::Link, target, text);
    }
    flush();
    builder.end_line();
    if (!builder.ok()) fail(line, builder.error());
}

std::vector<uint8_t> Compiler::compile_page(const Page& page) {
    fixture::PageBuilder builder;
    for (const std::string& title : page.titles) builder.title(to_atari(title, page.line));
    // Commands of the page head, grouped as the compiler stores them.
    const HeadItem::Kind order[][4] = {
        {HeadItem::Xref, HeadItem::Xref, HeadItem::Xref, HeadItem::Xref},
        {HeadItem::Tree, HeadItem::Tree, HeadItem::Tree, HeadItem::Tree},
        {HeadItem::Data, HeadItem::Data, HeadItem::Data, HeadItem::Data},
        {HeadItem::Picture, HeadItem::Line, HeadItem::Box, HeadItem::Rbox},
    };
    for (const auto& group : order) {
        for (const HeadItem& item : page.head) {
            if (item.kind != group[0] && item.kind != group[1] && item.kind != group[2] &&
                item.kind != group[3]) {
                continue;
            }
            const int line = item.line;
            const std::vector<std::string>& w = item.words;
            auto number = [&](size_t i, long low, long high, long fallback, const char* what) {
                return i < w.size() ? parse_number(w[i], line, low, high, what) : fallback;
            };
            switch (item.kind) {
                case HeadItem::Xref: {
                    const uint32_t target = link_target(w[0], line);
                    builder.xref(target, to_atari(w.size() > 1 ? w[1] : w[0], line));
                    break;
                }
                case HeadItem::Tree:
                    builder.tree(number(0, 0, fixture::kMaxBase255, 0, "tree line"),
                                 number(1, 0, fixture::kMaxBase255, 0, "tree"),
                                 number(2, 0, fixture::kMaxBase255, 0, "tree object"),
                                 number(3, 0, fixture::kMaxBase255, 0, "tree index"));
                    break;
                case HeadItem::Data: {
                    std::vector<uint8_t> payload;
                    for (size_t i = 1; i < w.size(); ++i) {
                        payload.push_back(static_cast<uint8_t>(number(i, 0, 255, 0, "data byte")));
                    }
                    builder.data_block(static_cast<int>(number(0, 0, 7, 0, "block")), payload);
                    break;
                }
                case HeadItem::Picture: {
                    auto image = image_names_.find(w[0]);
                    if (image == image_names_.end()) fail(line, "unknown image " + w[0]);
                    builder.picture(image->second,
                                    static_cast<uint8_t>(number(1, 0, 255, 0, "column")),
                                    item.text_line, w[2] == "1");
                    break;
                }
                case HeadItem::Line:
                    builder.draw_line(static_cast<uint8_t>(number(0, 1, 255, 1, "column")),
                                      item.text_line,
                                      static_cast<int>(number(1, -128, 127, 0, "width")),
                                      static_cast<int>(number(2, -1, 254, 0, "height")),
                                      static_cast<int>(number(4, 1, 7, 1, "style")),
                                      static_cast<uint8_t>(number(3, 0, 3, 0, "arrows")));
                    break;
                case HeadItem::Box:
                case HeadItem::Rbox: {
                    const auto column = static_cast<uint8_t>(number(0, 1, 255, 1, "column"));
                    const auto width = static_cast<uint8_t>(number(1, 0, 255, 0, "width"));
                    const auto height = static_cast<uint8_t>(number(2, 0, 255, 0, "height"));
                    const int pattern = static_cast<int>(number(3, 0, 8, 0, "pattern"));
                    if (item.kind == HeadItem::Box) {
                        builder.box(column, item.text_line, width, height, pattern);
                    } else {
                        builder.rbox(column, item.text_line, width, height, pattern);
                    }
                    break;
                }
            }
            if (!builder.ok()) fail(line, builder.error());
        }
    }
    uint8_t attributes = 0;
    for (const SourceLine& source_line : page.lines) {
        compile_text_line(builder, source_line, attributes);
    }
    return builder.bytes();
}

std::vector<uint8_t> Compiler::compile_image(const ImageDef& image) {
    const uint32_t top = (1u << image.planes) - 1;
    std::vector<uint8_t> pixels;
    for (const std::string& row : image.rows) {
        for (char c : row) {
            uint32_t value = 0;
            if (c == '.') {
                value = 0;
            } else if (c == '#') {
                value = top;
            } else if (c >= '0' && c <= '9') {
                value = static_cast<uint32_t>(c - '0');
            } else if (c >= 'A' && c <= 'F') {
                value = static_cast<uint32_t>(c - 'A' + 10);
            } else {
                fail(image.line, std::string("unknown pixel character ") + c);
            }
            if (value > top) fail(image.line, "pixel value too large for the plane count");
            pixels.push_back(static_cast<uint8_t>(value));
        }
    }
    std::vector<uint8_t> object;
    std::string error;
    if (!fixture::make_image_object(static_cast<uint16_t>(image.rows.front().size()),
                                    static_cast<uint16_t>(image.rows.size()),
                                    static_cast<uint8_t>(image.planes), pixels, object, error)) {
        fail(image.line, error);
    }
    return object;
}

std::vector<Entry> Compiler::compile(std::vector<RefSymbol>& symbols) {
    const std::vector<Page>& pages = source_.pages;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!page_names_.emplace(pages[i].name, static_cast<uint32_t>(i)).second) {
            fail(pages[i].line, "page name given twice: " + pages[i].name);
        }
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        for (const std::string& alias : pages[i].aliases) {
            if (!page_names_.emplace(alias, static_cast<uint32_t>(i)).second) {
                fail(pages[i].line, "alias is already a name: " + alias);
            }
        }
    }
    for (size_t i = 0; i < source_.images.size(); ++i) {
        if (!image_names_.emplace(source_.images[i].name, static_cast<uint32_t>(pages.size() + i))
                 .second) {
            fail(source_.images[i].line, "image name given twice");
        }
    }

    std::vector<Entry> entries(pages.size());
    // Navigation between the @node pages in file order.
    std::vector<uint32_t> nodes;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!pages[i].popup) nodes.push_back(static_cast<uint32_t>(i));
    }
    if (nodes.empty()) fail(0, "no @node page");
    for (size_t i = 0; i < pages.size(); ++i) {
        const Page& page = pages[i];
        Entry& entry = entries[i];
        entry.type = page.popup ? ENTRY_PNODE : ENTRY_NODE;
        entry.name = to_atari(page.name, page.line);
        entry.compress = !page.raw;
        entry.toc = static_cast<uint16_t>(nodes.front());
        if (page.popup) {
            entry.next = static_cast<uint16_t>(i);
            entry.previous = static_cast<uint16_t>(i == 0 ? 0 : i - 1);
        } else {
            size_t k = 0;
            while (nodes[k] != i) ++k;
            entry.previous = static_cast<uint16_t>(k == 0 ? nodes[0] : nodes[k - 1]);
            entry.next = static_cast<uint16_t>(k + 1 == nodes.size() ? nodes[k] : nodes[k + 1]);
        }
        if (page.next) entry.next = static_cast<uint16_t>(page_index(*page.next, page.line));
        if (page.prev) entry.previous = static_cast<uint16_t>(page_index(*page.prev, page.line));
        if (page.toc) entry.toc = static_cast<uint16_t>(page_index(*page.toc, page.line));
        entry.data = compile_page(page);

        symbols.push_back({1, *entry.name, 0});
        for (const std::string& alias : page.aliases) {
            symbols.push_back({2, to_atari(alias, page.line), 0});
        }
        for (const auto& [label, text_line] : page.labels) {
            symbols.push_back({3, to_atari(label, page.line), static_cast<uint16_t>(text_line)});
        }
    }
    for (const ImageDef& image : source_.images) {
        Entry entry;
        entry.type = ENTRY_IMAGE;
        entry.name = to_atari(image.name, image.line);
        entry.compress = !image.raw;
        entry.data = compile_image(image);
        entries.push_back(entry);
    }
    entries.insert(entries.end(), extras_.begin(), extras_.end());
    Entry closing;
    closing.type = ENTRY_CLOSING;
    closing.compress = false;
    entries.push_back(closing);
    if (entries.size() > fixture::kMaxBase255) fail(0, "too many entries");
    return entries;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_sample SOURCE.txt OUTPUT.hyp\n");
        return 2;
    }
    source_path = argv[1];
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) fail(0, "cannot be read");
    const Source source = parse(in);
    std::vector<RefSymbol> symbols;
    Compiler compiler(source);
    const std::vector<Entry> entries = compiler.compile(symbols);

    fixture::HypBuilder builder;
    builder.os(2).hcp_version(3);
    for (const ExtHeaderSource& header : source.headers) builder.ext(header.type, header.data);
    for (const Entry& entry : entries) {
        fixture::HypEntry record;
        record.type = entry.type;
        record.name = entry.name;
        record.data = entry.data;
        record.storage = entry.compress ? fixture::Storage::Lh5 : fixture::Storage::Raw;
        record.next = entry.next;
        record.previous = entry.previous;
        record.toc = entry.toc;
        builder.add(record);
    }
    const std::string output = argv[2];
    if (!builder.write(output)) {
        std::fprintf(stderr, "%s: cannot be written %s\n", output.c_str(), builder.error().c_str());
        return 1;
    }

    // The REF file beside it: file base name, system, database, then each page with its
    // aliases and labels.
    std::string base = output;
    const size_t slash = base.find_last_of("/\\");
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
    const std::string file_name = base.substr(slash == std::string::npos ? 0 : slash + 1);
    fixture::RefBuilder ref;
    ref.module().file_name(file_name).compiled_on(2);
    if (!source.database.empty()) ref.database(source.database);
    for (const RefSymbol& symbol : symbols) {
        if (symbol.kind == 1) ref.node(symbol.name);
        if (symbol.kind == 2) ref.alias(symbol.name);
        if (symbol.kind == 3) ref.label(symbol.name, symbol.line);
    }
    if (!fixture::write_file(base + ".ref", ref.build())) {
        std::fprintf(stderr, "%s.ref: cannot be written\n", base.c_str());
        return 1;
    }
    return 0;
}

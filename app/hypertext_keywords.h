// The keywords of one hypertext for the catalogue: node names, aliases and labels with their page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HypDocument;

enum class KeywordKind : uint8_t {
    Node,   // the name of a page
    Alias,  // another name of a page
    Label,  // a name of a line inside a page
};

// One keyword and the place it names. Texts are in the hypertext's own character set.
struct Keyword {
    std::string text;
    uint16_t page = 0;  // index entry of the page (an ENTRY_NODE)
    // The line a label names as its REF file or index link states it; 0 for nodes and aliases.
    int32_t line = 0;
    KeywordKind kind = KeywordKind::Node;
};

// What the catalogue keeps of one hypertext.
struct HypertextKeywords {
    // The @database text; empty when the file has none (the catalogue then shows the file name).
    std::string title;
    uint8_t source_charset = 0;  // the set of every text here (CHARSET_TOS or CHARSET_MAC)
    uint32_t page_count = 0;     // entries of type ENTRY_NODE
    // Name of each index entry that is a page (empty for the other entries), for the keywords'
    // `page`.
    std::vector<std::string> page_names;
    // Each (text, page, line) once: the REF file's entries in its order, then the index's node
    // names, then the symbols the index page adds. A keyword whose page is not a page of this
    // file (a popup, another hypertext's node) is left out: the viewer cannot open it by name.
    std::vector<Keyword> keywords;
};

// The @database text of a hypertext, in its own set; empty when it has none.
std::string database_title(const HypDocument& doc);

// Gathers the keywords of `doc`, an open document that belongs to the caller alone: its symbol
// list is filled from its REF file (when empty) and from the links of its index page (when its
// options ask for index symbols), and that page is loaded for the scan and dropped again. The
// viewer's own document is not passed here: its symbol list feeds the exports.
HypertextKeywords gather_keywords(HypDocument& doc);

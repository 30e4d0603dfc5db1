// The document's symbol list (node names, aliases, labels) and its completion from page links.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HypDocument;

// Kinds of REF file entries; values 6 to 255 are unknown and kept like the others.
enum RefKind : uint8_t {
    REF_FILE_NAME = 0,
    REF_NODE = 1,
    REF_ALIAS = 2,
    REF_LABEL = 3,
    REF_DATABASE = 4,
    REF_COMPILED_ON = 5,
};

// SymbolEntry flags, written by the STG output as the letters "a", "i" and "r".
constexpr uint8_t SYMBOL_FLAG_USED = 1;   // node name from the REF file, or used on a page
constexpr uint8_t SYMBOL_FLAG_INDEX = 2;  // used by a link on the index page
constexpr uint8_t SYMBOL_FLAG_REF = 4;    // comes from the REF file

struct SymbolEntry {
    uint8_t kind = 0;    // RefKind
    uint8_t length = 0;  // length as a REF entry: 2 + payload length
    uint8_t flags = 0;   // SYMBOL_FLAG_* bits
    int32_t line = -1;   // -1 = no line; 0 for aliases; the line number for labels
    // The payload: the text with its NUL and, for labels, the two big-endian line bytes after it.
    // Payloads of damaged REF files may lack the NUL; use symbol_text() to read the text.
    std::vector<uint8_t> name;
};

// The list keeps insertion order; new entries are appended.
using SymbolList = std::vector<SymbolEntry>;

// The text of a symbol: its payload up to the first NUL (or the whole payload if it has none).
std::string symbol_text(const SymbolEntry& symbol);

// Gives entry `index` of `doc` its page_data (load_page of the page loader, which the symbol
// pass is handed so that it needs nothing that needs the document's own code).
using PageLoad = void (*)(HypDocument& doc, unsigned index);

// Adds the link symbols of all pages (ENTRY_NODE and ENTRY_PNODE entries, last to first) to the
// document's symbols and sets symbols_collected. Each page is loaded with `load` for the scan and
// dropped again. Uses the document's index_option to recognise the index page "Index".
void collect_page_symbols(HypDocument& doc, PageLoad load);

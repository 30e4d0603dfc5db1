// The one open hypertext: its header, index, extended headers and symbols, opening and closing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hyp/ascii_case.h"  // equal_ignoring_case, for the callers of name lookups
#include "hyp/export_mode.h"
#include "hyp/failure.h"
#include "hyp/hyp_format.h"
#include "hyp/page_records.h"
#include "hyp/symbols.h"

// Longest path the system keeps (settings, history, the document's path).
constexpr size_t HYP_MAX_PATH = 512;

// One object of the file (page, popup, image, reference), in index order.
struct IndexEntry {
    uint8_t entry_length = 0;  // record length in the file
    uint8_t type = 0;          // EntryType; may hold values above ENTRY_QUIT
    uint32_t seek_offset = 0;  // file offset of the stored object
    uint16_t comp_diff = 0;    // low half of the size difference, as stored
    uint16_t next = 0;         // following page (images: high half of the size difference)
    uint16_t previous = 0;     // preceding page
    uint16_t toc = 0;          // table-of-contents page
    // Copy of the record's name up to its NUL; none when entry_length is 14 or less.
    std::optional<std::string> name;
    // The unpacked object followed by one NUL byte; empty while not loaded (a loaded object has
    // at least the NUL). Its length, page_data.size() - 1 (see page_length), equals
    // stored_length + size_difference except when the object could not be read back (file gone
    // or changed, or an impossible unpacked size): then it is 0 and page_data is one NUL.
    std::vector<uint8_t> page_data;
    // Bytes of the stored object. Limited so that seek_offset + stored_length never passes the
    // file's end: an object that starts past the end or before the previous one's start
    // (decreasing seek offsets) is stored as 0 bytes.
    uint32_t stored_length = 0;
    int32_t line_count = -1;               // display lines of the laid-out page; -1 until laid out
    int32_t max_columns = -1;              // widest line in characters; -1 until laid out
    std::unique_ptr<DecodedImage> bitmap;  // decoded image of an ENTRY_IMAGE entry
    std::vector<LinkArea> links;           // link areas of the page as last drawn
    std::vector<int32_t> image_line_heights;  // heights of the line-reserving pictures
    std::vector<XrefEntry> xrefs;             // the page's "@xref" entries, in page order
    std::vector<uint16_t> images_used;        // image entries the page shows, in page order
    // The page's first title as stored, found by its layout; none without one.
    std::optional<std::string> title;
    // Unpacked size minus stored size: (next << 16 for ENTRY_IMAGE) + comp_diff. Not 0 means
    // the stored bytes are LH5-compressed.
    uint32_t size_difference = 0;
};

// Unpacked size of an entry as the file states it (64-bit: the 32-bit sum can overflow).
inline uint64_t unpacked_size(const IndexEntry& entry) {
    return static_cast<uint64_t>(entry.stored_length) + entry.size_difference;
}

// Length of the loaded object in page_data (without the terminating NUL); 0 when not loaded.
// Page walkers stop here: it is never more than the bytes actually held.
inline size_t page_length(const IndexEntry& entry) {
    return entry.page_data.empty() ? 0 : entry.page_data.size() - 1;
}

// One extended header record, kept in file order (the end record included).
struct ExtHeader {
    uint16_t type = 0;          // ExtHeaderType, or any other value
    uint16_t length = 0;        // length field as stored (the end record's is not data)
    std::vector<uint8_t> data;  // `length` bytes; empty when length is 0 or type is EXT_END
};

// The text of a text-valued extended header: its data up to the first NUL or its end.
std::string ext_header_text(const ExtHeader& header);

// Only the page walked last keeps its data and its decoded pictures: walking another page of
// the same document releases them. Each document keeps its own, so walks of other documents
// leave it alone.
struct PageCache {
    bool primed = false;  // set by the first walk
    uint16_t last_page = 0;
};

// The open hypertext. Fields follow the model's order; "none" is an empty vector or optional.
struct HypDocument {
    std::string path;  // full path of the open HYP file (at most HYP_MAX_PATH characters)
    HypHeader header;  // header of the open file
    // Open only while the document is being loaded or exported (reopen_for_export leaves it
    // open for the export driver, which closes it with close_hypertext_file).
    std::FILE* file = nullptr;
    // Bytes of `file` that load_page read beyond the object it needed: objects lie in index
    // order, so an export's next page is usually among them. Emptied whenever `file` changes.
    struct ReadAhead {
        uint32_t offset = 0;         // file offset of bytes[0]
        std::vector<uint8_t> bytes;  // at most READ_AHEAD_SIZE
    } read_ahead;
    std::vector<IndexEntry> index;             // one entry per index record; empty = none
    std::vector<ExtHeader> ext_headers;        // in file order, end record included
    SymbolList symbols;                        // from the REF file and page scanning
    bool symbols_collected = false;            // pages scanned for symbols since the index was read
    uint8_t source_charset = CHARSET_TOS;      // CHARSET_TOS or CHARSET_MAC
    uint16_t last_node_index = 0;              // highest index of an ENTRY_NODE; 0 if none
    uint16_t line_width = DEFAULT_LINE_WIDTH;  // EXT_WIDTH, or 85 = the file gives none
    bool pages_scrambled = false;              // bit 1 of the EXT_FLAGS word
    std::optional<std::string> default_name;   // EXT_DEFAULT text, kept only when needed
    std::optional<std::string> requested_name;  // entry to show first; consumed by opening
    bool index_option = false;                  // EXT_OPTIONS contains "-i"
    int32_t start_line = -1;                    // line to scroll to in the first entry; -1 = top

    PageCache page_cache;                       // the page walked last (the walk keeps it)

    HypDocument() = default;
    HypDocument(const HypDocument&) = delete;
    HypDocument& operator=(const HypDocument&) = delete;
    ~HypDocument();
};

// The process-wide open document.
extern HypDocument document;

// Opens `path` for viewing and replaces the open document. `current_page` is read and written:
// the entry to show first (-1 = not yet determined); on return it is the entry found by
// `requested_name` (directly, through the REF file, or through EXT_DEFAULT when the caller passed
// -1), else the value passed in if the file has that entry, else 0 (then start_line is -1).
// line_width is reset to 85 (no width) before the file's EXT_WIDTH applies, so callers need not
// do it. On failure the returned Failure holds the reason (with the errno when the file could not
// be opened) and the previous document (path, header,
// line_width and all) is exactly as it was: "HYP-Datei konnte nicht geöffnet werden:\n\n%s",
// "Keine HYP-Datei:\n\n%s", or for an inconsistent file (index or extended headers running past
// the data, no entry at all) "Die HYP-Datei ist beschädigt:\n\n%s"; an undetermined
// current_page (-1) is 0 afterwards in every case.
Outcome open_hypertext(HypDocument& doc, const std::string& path,
                       const std::optional<std::string>& requested_name, int32_t start_line,
                       int32_t& current_page);
inline Outcome open_hypertext(const std::string& path,
                              const std::optional<std::string>& requested_name, int32_t start_line,
                              int32_t& current_page) {
    return open_hypertext(document, path, requested_name, start_line, current_page);
}

// Re-checks the open document's file before an export and leaves `file` open for the export
// driver. Reads the header again (messages as open_hypertext; source_charset follows it), loads
// the REF file for STG and HTML, walks the extended headers, recomputes last_node_index and, for
// STG and HTML, collects the page symbols once. Nothing else of the document changes.
Outcome reopen_for_export(HypDocument& doc, ExportMode mode);

// Closes the document's file if it is open (the export driver's end of reopen_for_export).
void close_hypertext_file(HypDocument& doc);

// Releases the whole model: symbols, every entry with its page data and records, the index and
// the extended headers (default_name with them); closes the file. Header and path stay.
void close_hypertext(HypDocument& doc);
inline void close_hypertext() {
    close_hypertext(document);
}

// The name of entry `index`; empty when it has none or lies beyond the index.
std::string_view entry_name(const HypDocument& doc, unsigned index);

// The lookups by name; entries without a name never match.
// ENTRY_NODE whose name equals `name` ignoring letter case; the last match in index order.
std::optional<uint16_t> find_entry_by_requested_name(const HypDocument& doc,
                                                     const std::string& name);
// ENTRY_NODE whose name equals `name` exactly; the first match.
std::optional<uint16_t> find_entry_by_default_name(const HypDocument& doc, const std::string& name);
// Entry 0 to last_node_index (any type) named exactly "Index"; the first match.
std::optional<uint16_t> find_index_page(const HypDocument& doc);

// A path under which the hypertext file `file_name` exists: tried beside the open document,
// then in the directory part of `hyp_path`, the hypertext directory the user set (one without a
// trailing separator loses its last component). File names match ignoring letter case where the
// system's names are case-sensitive. None if neither exists.
std::optional<std::string> locate_hypertext(const HypDocument& doc, const std::string& file_name,
                                            const std::string& hyp_path);

// Loading single objects of the open hypertext on demand: read, unpack, unscramble.
#pragma once

#include <cstdint>

#include "hyp/document.h"

// Largest unpacked object accepted: 16 MiB, and never more than 4096 times the stored size plus
// 64 KiB. Real objects stay far below (pages and pictures unpack to some hundred KiB at ratios
// under 40); LH5 itself reaches about 2000:1 on uniform data (one bit per 256-byte match), which
// the bound still admits. An entry that claims more is corrupt and loads as an empty object, so
// a damaged size field cannot make the viewer allocate gigabytes or unpack for minutes.
constexpr uint64_t MAX_UNPACKED_SIZE = 16u * 1024u * 1024u;
constexpr uint64_t MAX_UNPACK_RATIO = 4096;
constexpr uint64_t UNPACK_SLACK = 64u * 1024u;

// How many bytes load_page reads at once through the export's open file (HypDocument's
// read_ahead): small objects that follow each other then cost one read between them.
constexpr size_t READ_AHEAD_SIZE = 64u * 1024u;

// True when an entry's stated unpacked size is within the limits above.
bool plausible_unpacked_size(const IndexEntry& entry);

// Ensures that entry `index` has page_data; does nothing if it is loaded already or `index` is
// out of range. Reads the stored bytes (through the document's open file, restoring its
// position, or by opening `path` for a moment), unpacks them and undoes the scrambling. Never
// fails: an object that cannot be read back becomes one NUL byte (length 0); a corrupt LH5
// stream leaves its object zero-filled from the first undecodable byte on.
void load_page(HypDocument& doc, unsigned index);

// How an object came out of loading (for checking tools; the viewer and exports need no answer).
enum class PageLoadResult {
    Complete,    // the whole object, as the file states it
    Unreadable,  // not read back (file gone or short, impossible size): one NUL byte
    Corrupt,     // the LH5 stream has a data error: zeros from the first undecodable byte on
};

// load_page that says how the object came out. An entry that is loaded already is reported
// Complete when its length matches the stated size, else Unreadable; an index out of range is
// Unreadable.
PageLoadResult load_page_checked(HypDocument& doc, unsigned index);
inline void load_page(unsigned index) {
    load_page(document, index);
}

// A hypertext file as it is on disk now: its identity, to notice a change, and whether it is whole.
#pragma once

#include <cstdint>
#include <string>

// Size and last write time of a file, read from its directory entry: the file itself is never
// opened for this, so asking blocks no program that is writing it.
struct FileIdentity {
    bool exists = false;  // false: no regular file of that name (size and time are 0 then)
    uint64_t size = 0;    // bytes
    // Last write, in nanoseconds since 1970-01-01 UTC; whole seconds where the system's file
    // times give no more (Windows' C library), so two writes within one second that leave the
    // size unchanged look alike there.
    int64_t write_time = 0;

    bool operator==(const FileIdentity& other) const {
        return exists == other.exists && size == other.size && write_time == other.write_time;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The identity of `path` now; a path that names no regular file (or cannot be asked about)
// gives an identity with exists false.
FileIdentity read_file_identity(const std::string& path);

// What a file holds at this moment, for deciding whether to read it again.
enum class HypertextState {
    Complete,    // header, index and extended headers consistent; every object begins inside
                 // the file, and the last page, popup or picture, when compressed, unpacks to
                 // its stated size from its own bytes
    Incomplete,  // a file is there but is no whole hypertext (yet): being written, or damaged
    Missing,     // no file of that name can be opened
};

// Reads `path` (header, index, extended headers, the last object), holding it open only while
// reading, and closes it before returning. Only the last object can be cut off inside its own
// bytes without moving another object's start past the end; that is found when it is
// compressed, except for a cut of a byte or two: the format takes the unpacked size from the
// stored one, and a stream one byte shorter unpacks one byte less, for which the last bits of
// the stream may not be needed. A file whose size or write time changed during the reading is
// Incomplete. A writer that is still busy shows itself to the caller by a size that keeps changing.
HypertextState probe_hypertext(const std::string& path);

// A file's identity from its directory entry, and a read-through check that it is a whole
// hypertext.
#include "hyp/file_identity.h"

#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

#include "hyp/document.h"
#include "hyp/lh5.h"
#include "hyp/page_loader.h"

namespace {

constexpr int64_t NANOSECONDS_PER_SECOND = 1000000000;

bool holds_object(const IndexEntry& entry) {
    return entry.type == ENTRY_NODE || entry.type == ENTRY_PNODE || entry.type == ENTRY_IMAGE;
}

// Bytes put after a compressed object to see whether its decoding reaches past its end. Eight
// cover every bit the decoder can ask for beyond the stream at once (it takes at most 16 bits
// per symbol, plus position bits below that).
constexpr size_t OVERRUN_PROBE_BYTES = 8;
constexpr uint8_t OVERRUN_PROBE_BYTE = 0xFF;

// Whether the stored bytes of `entry` decode to its stated size without ever needing a bit
// beyond them. The decoder feeds zero bits past the end of its input, so a stream cut short
// still decodes, only differently: decoded once as stored and once followed by one bits, a
// whole stream gives the same bytes twice, a cut one (nearly always) does not.
bool compressed_object_whole(const std::string& path, const IndexEntry& entry) {
    if (!plausible_unpacked_size(entry)) return false;
    if (entry.seek_offset > static_cast<uint32_t>(LONG_MAX)) return false;
    std::vector<uint8_t> stored(entry.stored_length + OVERRUN_PROBE_BYTES, OVERRUN_PROBE_BYTE);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    const bool read = std::fseek(f, static_cast<long>(entry.seek_offset), SEEK_SET) == 0 &&
                      std::fread(stored.data(), 1, entry.stored_length, f) == entry.stored_length;
    std::fclose(f);
    if (!read) return false;

    const size_t size = static_cast<size_t>(unpacked_size(entry));
    std::vector<uint8_t> as_stored(size), followed(size);
    if (!lh5_decode(stored.data(), entry.stored_length, as_stored.data(), size)) return false;
    if (!lh5_decode(stored.data(), stored.size(), followed.data(), size)) return false;
    return as_stored == followed;
}

}  // namespace

FileIdentity read_file_identity(const std::string& path) {
    FileIdentity identity;
#ifdef _WIN32
    // The 64-bit variant: file times past 2038 and sizes past 2 GiB on the 32-bit program too.
    struct _stat64 st;
    if (_stat64(path.c_str(), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return identity;
    identity.write_time = static_cast<int64_t>(st.st_mtime) * NANOSECONDS_PER_SECOND;
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || (st.st_mode & S_IFMT) != S_IFREG) return identity;
    identity.write_time =
        static_cast<int64_t>(st.st_mtim.tv_sec) * NANOSECONDS_PER_SECOND + st.st_mtim.tv_nsec;
#endif
    identity.exists = true;
    identity.size = static_cast<uint64_t>(st.st_size);
    return identity;
}

HypertextState probe_hypertext(const std::string& path) {
    // The file's length is taken from its directory entry before and after the read: when the
    // two differ, a writer was at work meanwhile and what was read proves nothing.
    const FileIdentity before = read_file_identity(path);
    if (!before.exists) return HypertextState::Missing;
    try {
        HypDocument scratch;
        int32_t page = -1;
        if (!open_hypertext(scratch, path, std::nullopt, -1, page)) {
            return read_file_identity(path).exists ? HypertextState::Incomplete
                                                   : HypertextState::Missing;
        }
        // Objects lie in index order up to the end of the file, so a file cut short leaves the
        // objects after the cut starting past its end.
        for (const IndexEntry& entry : scratch.index) {
            if (entry.seek_offset > before.size) return HypertextState::Incomplete;
        }
        // The last page, popup or picture is the object that runs to the end of the file
        // (entries after it, such as the end record compilers add, hold no object): cut inside
        // it, a compressed one needs bits past its end before it has unpacked to its size.
        for (auto entry = scratch.index.rbegin(); entry != scratch.index.rend(); ++entry) {
            if (!holds_object(*entry)) continue;
            if (entry->size_difference != 0 && !compressed_object_whole(path, *entry)) {
                return HypertextState::Incomplete;
            }
            break;
        }
        if (read_file_identity(path) != before) return HypertextState::Incomplete;
        return HypertextState::Complete;
    } catch (const std::bad_alloc&) {
        return HypertextState::Incomplete;
    }
}

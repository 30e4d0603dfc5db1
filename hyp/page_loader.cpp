// Loads one object of the open hypertext: reads its stored bytes, unpacks and unscrambles them.
#include "hyp/page_loader.h"

#include <cerrno>
#include <climits>
#include <new>
#include <utility>
#include <vector>

#include "hyp/lh5.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// Reads `size` bytes at `offset` of the document's open file without moving its position, so
// that an export walking the file is not disturbed. POSIX reads at an offset directly (no seek,
// the stream's buffer stays valid); elsewhere the position is remembered and restored.
bool read_at(std::FILE* f, uint32_t offset, uint8_t* out, size_t size) {
#ifdef _WIN32
    const long remembered = std::ftell(f);
    const bool ok = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
                    std::fread(out, 1, size, f) == size;
    if (remembered >= 0) std::fseek(f, remembered, SEEK_SET);
    return ok;
#else
    const int fd = fileno(f);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd, out + done, size - done, static_cast<off_t>(offset) + done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
#endif
}

// Reads the entry's stored bytes through the document's open file or through the file opened
// for a moment.
bool read_stored(HypDocument& doc, const IndexEntry& entry, std::vector<uint8_t>& out) {
    out.resize(entry.stored_length);
    if (out.empty()) return true;
    if (entry.seek_offset > static_cast<uint32_t>(LONG_MAX)) return false;

    if (doc.file != nullptr) return read_at(doc.file, entry.seek_offset, out.data(), out.size());
    std::FILE* f = std::fopen(doc.path.c_str(), "rb");
    if (f == nullptr) return false;
    const bool ok = std::fseek(f, static_cast<long>(entry.seek_offset), SEEK_SET) == 0 &&
                    std::fread(out.data(), 1, out.size(), f) == out.size();
    std::fclose(f);
    return ok;
}

// The unpacked object plus its NUL; one NUL alone when it cannot be produced.
std::vector<uint8_t> load_object(HypDocument& doc, const IndexEntry& entry,
                                 PageLoadResult& result) {
    std::vector<uint8_t> empty(1, 0);
    result = PageLoadResult::Unreadable;
    if (!plausible_unpacked_size(entry)) return empty;
    std::vector<uint8_t> stored;
    if (!read_stored(doc, entry, stored)) return empty;

    const size_t size = static_cast<size_t>(unpacked_size(entry));
    std::vector<uint8_t> data;
    bool clean = true;
    if (entry.size_difference == 0) {
        data = std::move(stored);
        data.push_back(0);
    } else {
        static const uint8_t no_input = 0;
        data.assign(size + 1, 0);
        clean = lh5_decode(stored.empty() ? &no_input : stored.data(), stored.size(), data.data(),
                           size);
        data[size] = 0;
    }

    if (doc.pages_scrambled) {
        // After a data error the decoder leaves zeros from the error on; they stay zeros (an
        // empty tail) rather than turning into key bytes. In a sound scrambled stream a zero
        // byte stands for the rare character 0x7F, so stopping at the trailing zeros is safe.
        size_t n = size;
        if (!clean) {
            while (n > 0 && data[n - 1] == 0) --n;
        }
        for (size_t i = 0; i < n; ++i) data[i] ^= HYP_SCRAMBLE_KEY;
    }
    result = clean ? PageLoadResult::Complete : PageLoadResult::Corrupt;
    return data;
}

}  // namespace

bool plausible_unpacked_size(const IndexEntry& entry) {
    const uint64_t size = unpacked_size(entry);
    return size <= MAX_UNPACKED_SIZE &&
           size <= MAX_UNPACK_RATIO * entry.stored_length + UNPACK_SLACK;
}

void load_page(HypDocument& doc, unsigned index) {
    load_page_checked(doc, index);
}

PageLoadResult load_page_checked(HypDocument& doc, unsigned index) {
    if (index >= doc.index.size()) return PageLoadResult::Unreadable;
    IndexEntry& entry = doc.index[index];
    if (!entry.page_data.empty()) {
        return page_length(entry) == unpacked_size(entry) ? PageLoadResult::Complete
                                                          : PageLoadResult::Unreadable;
    }
    PageLoadResult result = PageLoadResult::Unreadable;
    try {
        entry.page_data = load_object(doc, entry, result);
    } catch (const std::bad_alloc&) {
        // No memory for this object: it is shown empty; callers need page_data to be set.
        result = PageLoadResult::Unreadable;
        try {
            entry.page_data.assign(1, 0);
        } catch (const std::bad_alloc&) {
        }
    }
    return result;
}

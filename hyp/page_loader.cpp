// Loads one object of the open hypertext: reads its stored bytes, unpacks and unscrambles them.
#include "hyp/page_loader.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "hyp/lh5.h"

namespace {

// Reads `size` bytes at `offset` of `f`, which an export may be walking: its position is
// remembered and restored. Fewer bytes at the end of the file are no error here; the count read
// is returned.
size_t read_at(std::FILE* f, uint32_t offset, uint8_t* out, size_t size) {
    const long remembered = std::ftell(f);
    size_t n = 0;
    if (std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0) n = std::fread(out, 1, size, f);
    if (remembered >= 0) std::fseek(f, remembered, SEEK_SET);
    return n;
}

// Reads an object through the export's open file, by way of the document's read-ahead bytes:
// a page that lies in the bytes read last is copied from them, otherwise the next
// READ_AHEAD_SIZE bytes are read from its start (larger objects are read alone).
bool read_through_file(HypDocument& doc, uint32_t offset, uint8_t* out, size_t size) {
    HypDocument::ReadAhead& ahead = doc.read_ahead;
    if (offset >= ahead.offset && offset - ahead.offset <= ahead.bytes.size() &&
        size <= ahead.bytes.size() - (offset - ahead.offset)) {
        std::memcpy(out, ahead.bytes.data() + (offset - ahead.offset), size);
        return true;
    }
    if (size >= READ_AHEAD_SIZE) return read_at(doc.file, offset, out, size) == size;
    // Walks in index order read forwards, the symbol scan backwards: the new window starts at
    // the object, or ends with it when the walk comes from behind.
    uint32_t start = offset;
    if (!ahead.bytes.empty() && offset < ahead.offset) {
        const uint64_t end = static_cast<uint64_t>(offset) + size;
        start = end > READ_AHEAD_SIZE ? static_cast<uint32_t>(end - READ_AHEAD_SIZE) : 0;
    }
    ahead.bytes.resize(READ_AHEAD_SIZE);
    ahead.bytes.resize(read_at(doc.file, start, ahead.bytes.data(), READ_AHEAD_SIZE));
    ahead.offset = start;
    const size_t skip = offset - start;
    if (ahead.bytes.size() < skip + size) return false;
    std::memcpy(out, ahead.bytes.data() + skip, size);
    return true;
}

// Reads the entry's stored bytes through the document's open file or through the file opened
// for a moment.
bool read_stored(HypDocument& doc, const IndexEntry& entry, std::vector<uint8_t>& out) {
    out.resize(entry.stored_length);
    if (out.empty()) return true;
    if (entry.seek_offset > static_cast<uint32_t>(LONG_MAX)) return false;

    if (doc.file != nullptr)
        return read_through_file(doc, entry.seek_offset, out.data(), out.size());
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

// Opening a HYP file into the document model, re-checking it for exports, releasing it, and the
// lookups by name.
#include "hyp/document.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "hyp/failure.h"
#include "hyp/page_loader.h"
#include "hyp/paths.h"
#include "hyp/ref_file.h"

HypDocument document;

namespace {

const char* const MSG_CANNOT_OPEN = "HYP-Datei konnte nicht geöffnet werden:\n\n%s";
const char* const MSG_NOT_HYP = "Keine HYP-Datei:\n\n%s";
const char* const MSG_DAMAGED = "Die HYP-Datei ist beschädigt:\n\n%s";
const char* const MSG_NO_MEMORY = "Nicht genügend Speicher für die HYP-Datei:\n\n%s";

// Closes a FILE* when it goes out of scope unless released.
class FileHandle {
   public:
    explicit FileHandle(std::FILE* f) : f_(f) {}
    ~FileHandle() {
        if (f_ != nullptr) std::fclose(f_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    std::FILE* get() const { return f_; }
    std::FILE* release() { return std::exchange(f_, nullptr); }

   private:
    std::FILE* f_;
};

// Reads exactly n bytes at `offset`; false on a seek failure or a short read.
bool read_at(std::FILE* f, uint64_t offset, uint8_t* out, size_t n) {
    if (offset > static_cast<uint64_t>(LONG_MAX)) return false;
    if (std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return n == 0 || std::fread(out, 1, n, f) == n;
}

// Length of an open file, or -1.
long file_length(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    return std::ftell(f);
}

// Reads and checks the 12-byte header; false when the file is too short or not a HYP file.
bool read_header(std::FILE* f, HypHeader& header) {
    uint8_t raw[HYP_HEADER_SIZE];
    if (!read_at(f, 0, raw, sizeof raw) || !is_hyp_magic(raw)) return false;
    std::memcpy(header.magic, raw, 4);
    header.index_length = read_be32(raw + 4);
    header.index_count = read_be16(raw + 8);
    header.hcp_version = raw[10];
    header.os = raw[11];
    return true;
}

// The file's structure, read completely before the open document is touched.
struct FileStructure {
    std::vector<IndexEntry> index;
    std::vector<ExtHeader> ext_headers;
};

// Reads index and extended headers. False for an inconsistent file: an index table or index
// records running past what the file holds, a record too short for its fixed fields, an
// extended header list running past the end of the file, or no entry at all. Such a file is
// refused as a whole; objects whose offsets do not fit are kept, with a stored size of 0.
bool read_structure(std::FILE* f, const HypHeader& header, uint64_t length, FileStructure& out) {
    if (header.index_count == 0) return false;
    if (header.index_length > length - HYP_HEADER_SIZE) return false;
    std::vector<uint8_t> block(header.index_length);
    if (!read_at(f, HYP_HEADER_SIZE, block.data(), block.size())) return false;

    out.index.resize(header.index_count);
    size_t pos = 0;
    for (IndexEntry& entry : out.index) {
        if (pos >= block.size()) return false;
        const uint8_t* rec = block.data() + pos;
        const size_t entry_length = rec[0];
        if (entry_length < INDEX_RECORD_FIXED_SIZE || entry_length > block.size() - pos) {
            return false;
        }
        entry.entry_length = rec[0];
        entry.type = rec[1];
        entry.seek_offset = read_be32(rec + 2);
        entry.comp_diff = read_be16(rec + 6);
        entry.next = read_be16(rec + 8);
        entry.previous = read_be16(rec + 10);
        entry.toc = read_be16(rec + 12);
        if (entry_length > INDEX_RECORD_FIXED_SIZE) {
            // The name ends at its NUL, or at the record's end when the NUL is missing.
            const char* name = reinterpret_cast<const char*>(rec + INDEX_RECORD_FIXED_SIZE);
            const size_t room = entry_length - INDEX_RECORD_FIXED_SIZE;
            const void* nul = std::memchr(name, 0, room);
            entry.name.emplace(name, nul ? static_cast<const char*>(nul) - name : room);
        }
        entry.size_difference =
            (entry.type == ENTRY_IMAGE ? static_cast<uint32_t>(entry.next) << 16 : 0u) +
            entry.comp_diff;
        pos += entry_length;
    }

    // Objects lie in index order up to the end of the file. An object is never taken to reach
    // past the file's end, and one that starts past it or after its successor is empty.
    for (size_t i = 0; i < out.index.size(); ++i) {
        IndexEntry& entry = out.index[i];
        uint64_t end = i + 1 < out.index.size() ? out.index[i + 1].seek_offset : length;
        if (end > length) end = length;
        entry.stored_length =
            entry.seek_offset <= end ? static_cast<uint32_t>(end - entry.seek_offset) : 0;
    }

    // The extended headers follow the last index record; the end record's length is not data.
    uint64_t offset = HYP_HEADER_SIZE + pos;
    for (;;) {
        uint8_t head[EXT_HEADER_HEAD_SIZE];
        if (offset + EXT_HEADER_HEAD_SIZE > length || !read_at(f, offset, head, sizeof head)) {
            return false;
        }
        offset += EXT_HEADER_HEAD_SIZE;
        ExtHeader ext;
        ext.type = read_be16(head);
        ext.length = read_be16(head + 2);
        if (ext.type != EXT_END && ext.length != 0) {
            if (ext.length > length - offset) return false;
            ext.data.resize(ext.length);
            if (!read_at(f, offset, ext.data.data(), ext.data.size())) return false;
            offset += ext.length;
        }
        const bool end = ext.type == EXT_END;
        out.ext_headers.push_back(std::move(ext));
        if (end) break;
    }
    return true;
}

// The first two data bytes as a little-endian word; a single byte is the low half.
std::optional<uint16_t> ext_word(const ExtHeader& header) {
    if (header.data.empty()) return std::nullopt;
    if (header.data.size() == 1) return header.data[0];
    return read_le16(header.data.data());
}

// Walks the extended header list: scrambling flag, width, index option and, when a name was
// requested, the default node's name.
void apply_ext_headers(HypDocument& doc) {
    doc.pages_scrambled = false;
    doc.index_option = false;
    for (const ExtHeader& header : doc.ext_headers) {
        switch (header.type) {
            case EXT_DEFAULT:
                if (doc.requested_name) doc.default_name = ext_header_text(header);
                break;
            case EXT_OPTIONS:
                if (ext_header_text(header).find("-i") != std::string::npos) {
                    doc.index_option = true;
                }
                break;
            case EXT_FLAGS:
                if (auto word = ext_word(header)) {
                    doc.pages_scrambled = (*word & EXT_FLAG_SCRAMBLED) != 0;
                }
                break;
            case EXT_WIDTH:
                if (auto word = ext_word(header)) doc.line_width = *word;
                break;
            default:
                break;
        }
        if (header.type == EXT_END) break;
    }
}

void compute_last_node_index(HypDocument& doc) {
    doc.last_node_index = 0;
    for (size_t i = doc.index.size(); i > 0; --i) {
        if (doc.index[i - 1].type == ENTRY_NODE) {
            doc.last_node_index = static_cast<uint16_t>(i - 1);
            break;
        }
    }
}

Outcome open_checked(HypDocument& doc, const std::string& path,
                     const std::optional<std::string>& requested_name, int32_t start_line,
                     int32_t& current_page) {
    errno = 0;
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (file.get() == nullptr) return make_failure(MSG_CANNOT_OPEN, path, errno);
    HypHeader header;
    if (!read_header(file.get(), header)) return make_failure(MSG_NOT_HYP, path);
    const long length = file_length(file.get());
    FileStructure structure;
    if (length < 0 ||
        !read_structure(file.get(), header, static_cast<uint64_t>(length), structure)) {
        return make_failure(MSG_DAMAGED, path);
    }

    // The new file is sound: only now is the open document replaced.
    close_hypertext(doc);
    doc.path = path;
    doc.header = header;
    doc.source_charset = os_charset(header.os);
    doc.line_width = DEFAULT_LINE_WIDTH;
    doc.start_line = start_line;
    doc.requested_name = requested_name;
    doc.index = std::move(structure.index);
    doc.ext_headers = std::move(structure.ext_headers);
    doc.symbols_collected = false;

    if (doc.requested_name) load_ref_file(doc);  // may rename the request and set start_line
    apply_ext_headers(doc);
    if (doc.requested_name) {
        if (auto found = find_entry_by_requested_name(doc, *doc.requested_name)) {
            current_page = *found;
        }
    }
    compute_last_node_index(doc);
    if (doc.requested_name && current_page == -1 && doc.default_name) {
        if (auto found = find_entry_by_default_name(doc, *doc.default_name)) {
            current_page = *found;
        }
    }
    doc.requested_name.reset();
    // A start entry the file does not have (e.g. a remembered index of an older version of the
    // file) is treated like an undetermined one.
    if (current_page >= static_cast<int32_t>(doc.index.size()) || current_page < -1) {
        current_page = -1;
    }
    if (current_page == -1) {
        current_page = 0;
        doc.start_line = -1;
    }
    return Outcome();
}

}  // namespace

std::string ext_header_text(const ExtHeader& header) {
    return text_before_nul(header.data);
}

HypDocument::~HypDocument() {
    close_hypertext_file(*this);
}

Outcome open_hypertext(HypDocument& doc, const std::string& path,
                       const std::optional<std::string>& requested_name, int32_t start_line,
                       int32_t& current_page) {
    Outcome outcome;
    try {
        outcome = open_checked(doc, path, requested_name, start_line, current_page);
    } catch (const std::bad_alloc&) {
        doc.requested_name.reset();
        outcome = make_failure(MSG_NO_MEMORY, path);
    }
    if (!outcome && current_page == -1) current_page = 0;
    return outcome;
}

Outcome reopen_for_export(HypDocument& doc, ExportMode mode) {
    close_hypertext_file(doc);  // a file left open by an earlier export is replaced
    try {
        errno = 0;
        FileHandle file(std::fopen(doc.path.c_str(), "rb"));
        if (file.get() == nullptr) return make_failure(MSG_CANNOT_OPEN, doc.path, errno);
        HypHeader header;
        if (!read_header(file.get(), header)) return make_failure(MSG_NOT_HYP, doc.path);
        doc.source_charset = os_charset(header.os);
        doc.file = file.release();
        const bool symbols_wanted = mode == ExportMode::Stg || mode == ExportMode::Html;
        if (symbols_wanted) load_ref_file(doc);
        apply_ext_headers(doc);
        compute_last_node_index(doc);
        if (symbols_wanted && !doc.symbols_collected) collect_page_symbols(doc, load_page);
        return Outcome();
    } catch (const std::bad_alloc&) {
        return make_failure(MSG_NO_MEMORY, doc.path);
    }
}

void close_hypertext_file(HypDocument& doc) {
    if (doc.file != nullptr) {
        std::fclose(doc.file);
        doc.file = nullptr;
    }
    doc.read_ahead = HypDocument::ReadAhead{};
}

void close_hypertext(HypDocument& doc) {
    close_hypertext_file(doc);
    doc.symbols.clear();
    doc.symbols.shrink_to_fit();
    doc.index.clear();
    doc.index.shrink_to_fit();
    doc.page_cache = PageCache{};
    doc.ext_headers.clear();
    doc.ext_headers.shrink_to_fit();
    doc.default_name.reset();
}

std::optional<uint16_t> find_entry_by_requested_name(const HypDocument& doc,
                                                     const std::string& name) {
    std::optional<uint16_t> found;
    for (size_t i = 0; i < doc.index.size(); ++i) {
        const IndexEntry& entry = doc.index[i];
        if (entry.type == ENTRY_NODE && entry.name && equal_ignoring_case(*entry.name, name)) {
            found = static_cast<uint16_t>(i);
        }
    }
    return found;
}

std::optional<uint16_t> find_entry_by_default_name(const HypDocument& doc,
                                                   const std::string& name) {
    for (size_t i = 0; i < doc.index.size(); ++i) {
        const IndexEntry& entry = doc.index[i];
        if (entry.type == ENTRY_NODE && entry.name && *entry.name == name) {
            return static_cast<uint16_t>(i);
        }
    }
    return std::nullopt;
}

std::string_view entry_name(const HypDocument& doc, unsigned index) {
    if (index >= doc.index.size() || !doc.index[index].name) return {};
    return *doc.index[index].name;
}

std::optional<uint16_t> find_index_page(const HypDocument& doc) {
    for (size_t i = 0; i < doc.index.size() && i <= doc.last_node_index; ++i) {
        const IndexEntry& entry = doc.index[i];
        if (entry.name && *entry.name == "Index") return static_cast<uint16_t>(i);
    }
    return std::nullopt;
}

std::optional<std::string> locate_hypertext(const HypDocument& doc, const std::string& file_name,
                                            const std::string& hyp_path) {
    if (file_name.empty()) return std::nullopt;
    try {
        if (auto found = find_existing_file(path_directory(doc.path) + file_name)) return found;
        return find_existing_file(path_directory(hyp_path) + file_name);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

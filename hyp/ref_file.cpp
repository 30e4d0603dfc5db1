// Reads the REF file beside the open hypertext into its symbol list and resolves the requested
// name through the aliases and labels listed there.
#include "hyp/ref_file.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "hyp/document.h"
#include "hyp/paths.h"

namespace {

constexpr size_t REF_MAGIC_SIZE = 4;
constexpr size_t REF_MODULE_HEAD_SIZE = 8;
constexpr size_t REF_ENTRY_HEAD_SIZE = 2;
constexpr size_t REF_LINE_SIZE = 2;

// Walks one module's entries. An entry that would pass the end of the data the module really
// holds, or whose length cannot even cover its own two head bytes, ends the module.
void read_module(HypDocument& doc, const std::vector<uint8_t>& data, uint32_t entry_count,
                 std::optional<std::string>& current_node,
                 const std::optional<std::string>& wanted) {
    size_t pos = 0;
    for (uint32_t k = 0; k < entry_count; ++k) {
        if (data.size() - pos < REF_ENTRY_HEAD_SIZE) break;
        const uint8_t kind = data[pos];
        const size_t length = data[pos + 1];
        if (length < REF_ENTRY_HEAD_SIZE || length > data.size() - pos) break;
        const uint8_t* payload = data.data() + pos + REF_ENTRY_HEAD_SIZE;
        const size_t payload_size = length - REF_ENTRY_HEAD_SIZE;

        SymbolEntry symbol;
        symbol.kind = kind;
        symbol.length = static_cast<uint8_t>(length);
        symbol.flags = kind == REF_NODE ? (SYMBOL_FLAG_REF | SYMBOL_FLAG_USED) : SYMBOL_FLAG_REF;
        if (kind == REF_ALIAS) {
            symbol.line = 0;
        } else if (kind == REF_LABEL) {
            // The line sits in the entry's last two bytes; a label too short for it has none.
            symbol.line = payload_size >= REF_LINE_SIZE
                              ? read_be16(payload + payload_size - REF_LINE_SIZE)
                              : 0;
        }
        symbol.name.assign(payload, payload + payload_size);
        const std::string text = symbol_text(symbol);
        doc.symbols.push_back(std::move(symbol));

        if (kind == REF_NODE) current_node = text;
        // The requested name is compared as the caller gave it, so of several aliases and
        // labels of that name the last one decides.
        if (wanted && current_node && (kind == REF_ALIAS || kind == REF_LABEL) &&
            equal_ignoring_case(text, *wanted)) {
            doc.requested_name = *current_node;
            if (doc.symbols.back().line > 0) doc.start_line = doc.symbols.back().line;
        }
        pos += length;
    }
}

bool read_ref(HypDocument& doc) {
    if (!doc.symbols.empty()) return true;  // read once per document
    const std::optional<std::string> name = find_existing_file(ref_file_name(doc));
    if (!name) return false;
    std::FILE* f = std::fopen(name->c_str(), "rb");
    if (f == nullptr) return false;

    uint8_t magic[REF_MAGIC_SIZE];
    if (std::fread(magic, 1, sizeof magic, f) != sizeof magic ||
        std::memcmp(magic, "HREF", REF_MAGIC_SIZE) != 0) {
        std::fclose(f);
        return false;
    }
    // Module data is read only as far as the file reaches, so a damaged length never makes
    // the reader allocate more than the file holds.
    long file_size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) file_size = std::ftell(f);
    if (file_size < 0 || std::fseek(f, REF_MAGIC_SIZE, SEEK_SET) != 0) {
        std::fclose(f);
        return false;
    }
    uint64_t offset = REF_MAGIC_SIZE;

    const std::optional<std::string> wanted = doc.requested_name;
    std::optional<std::string> current_node;  // carries over from one module to the next
    std::vector<uint8_t> data;
    for (;;) {
        uint8_t head[REF_MODULE_HEAD_SIZE];
        if (std::fread(head, 1, sizeof head, f) != sizeof head) break;
        offset += REF_MODULE_HEAD_SIZE;
        const uint32_t module_length = read_be32(head);
        const uint32_t entry_count = read_be32(head + 4);
        if (module_length == 0) break;
        const uint64_t left = static_cast<uint64_t>(file_size) - offset;
        data.resize(static_cast<size_t>(module_length < left ? module_length : left));
        data.resize(std::fread(data.data(), 1, data.size(), f));
        offset += data.size();
        read_module(doc, data, entry_count, current_node, wanted);
        if (data.size() < module_length) break;  // the file ended inside the module
    }
    std::fclose(f);
    return true;
}

}  // namespace

std::string ref_file_name(const HypDocument& doc) {
    return path_directory(doc.path) + path_base_name(doc.path) + ".ref";
}

bool load_ref_file(HypDocument& doc) {
    try {
        return read_ref(doc);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

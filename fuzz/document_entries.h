// Index entries of a fuzz target's document, their page bytes given outright.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "hyp/document.h"

// Appends an entry of `type` (named unless `name` is null) whose loaded page is `bytes`, with
// the NUL a loaded page ends in; returns its index.
inline uint16_t add_loaded_entry(HypDocument& doc, uint8_t type, const char* name,
                                 const std::vector<uint8_t>& bytes) {
    IndexEntry entry;
    entry.type = type;
    if (name) entry.name = name;
    entry.page_data = bytes;
    entry.page_data.push_back(0);
    entry.stored_length = static_cast<uint32_t>(bytes.size());
    doc.index.push_back(std::move(entry));
    return static_cast<uint16_t>(doc.index.size() - 1);
}

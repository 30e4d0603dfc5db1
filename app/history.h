// The back stack: the places the user left, at most 100, most recent last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "app/menu_model.h"

// Where the user was before a navigation. The entry owns its texts.
struct HistoryEntry {
    uint16_t page = 0;         // entry index that was shown
    uint16_t top_line = 0;     // its top line
    uint16_t left_column = 0;  // its horizontal position
    std::string path;          // the hypertext file it belonged to
    std::string node_name;     // that entry's name, raw (the file's own character set)
    // The keyboard selection at the time: the ordinal of the link being followed when the
    // navigation came from a link.
    uint16_t selected_link = 0;
};

constexpr std::size_t HISTORY_CAPACITY = 100;
// The history menu lists this many of the most recent places.
constexpr std::size_t HISTORY_MENU_ITEMS = 15;
constexpr const char* HISTORY_MENU_TITLE = "History (Das Letzte zuerst):";

class HistoryStack {
   public:
    // Adds the most recent place; with 100 already held, the oldest is dropped.
    void push(HistoryEntry entry);
    // Removes the `k` most recent places (1 = the most recent only) and returns the last one
    // removed, the k-th most recent. None, changing nothing, when k is 0 or above depth().
    std::optional<HistoryEntry> pop(std::size_t k = 1);
    void clear() { entries_.clear(); }
    // Hands each place to `update`, oldest first, which may change it; the places for which it
    // returns false are dropped, the others keep their order. Returns how many were dropped.
    std::size_t update_each(const std::function<bool(HistoryEntry&)>& update);

    std::size_t depth() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // The place `k` steps back (1 = the most recent); k must be 1 .. depth().
    const HistoryEntry& back(std::size_t k) const { return entries_[entries_.size() - k]; }

   private:
    std::deque<HistoryEntry> entries_;  // oldest first
};

// 16-bit fields of the records from the view's positions: negative values become 0, values
// beyond the field become its largest.
uint16_t clamp_to_u16(int64_t value);

// The history menu: the most recent places first, at most HISTORY_MENU_ITEMS, each
// "file\tnode" with the file name part of its path and its name converted through table
// `conversion`; the place k steps back has the id CM_HISTORY_FIRST - 1 + k.
PopupMenuModel history_menu(const HistoryStack& history, unsigned conversion);

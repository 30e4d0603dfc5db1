// The back stack and its menu.
#include "app/history.h"

#include <algorithm>
#include <utility>

#include "app/command_ids.h"
#include "hyp/charset.h"
#include "hyp/paths.h"

static_assert(CM_HISTORY_LAST - CM_HISTORY_FIRST + 1 >= HISTORY_MENU_ITEMS,
              "the history menu's ids must fit their range");

void HistoryStack::push(HistoryEntry entry) {
    entries_.push_back(std::move(entry));
    if (entries_.size() > HISTORY_CAPACITY) entries_.pop_front();
}

std::optional<HistoryEntry> HistoryStack::pop(std::size_t k) {
    if (k == 0 || k > entries_.size()) return std::nullopt;
    HistoryEntry last = std::move(entries_[entries_.size() - k]);
    entries_.erase(entries_.end() - static_cast<std::ptrdiff_t>(k), entries_.end());
    return last;
}

std::size_t HistoryStack::update_each(const std::function<bool(HistoryEntry&)>& update) {
    // Not remove_if: its predicate may not change the elements.
    std::deque<HistoryEntry> kept;
    for (HistoryEntry& entry : entries_) {
        if (update(entry)) kept.push_back(std::move(entry));
    }
    const std::size_t dropped = entries_.size() - kept.size();
    entries_ = std::move(kept);
    return dropped;
}

uint16_t clamp_to_u16(int64_t value) {
    return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, UINT16_MAX));
}

PopupMenuModel history_menu(const HistoryStack& history, unsigned conversion) {
    PopupMenuModel menu;
    menu.title = HISTORY_MENU_TITLE;
    const std::size_t shown = std::min(history.depth(), HISTORY_MENU_ITEMS);
    for (std::size_t k = 1; k <= shown; ++k) {
        const HistoryEntry& entry = history.back(k);
        menu.items.push_back({static_cast<uint16_t>(CM_HISTORY_FIRST - 1 + k),
                              path_file_name(entry.path) + "\t" +
                                  convert_charset(entry.node_name, false, conversion)});
    }
    return menu;
}

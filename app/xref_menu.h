// The "Siehe auch" menu of a page: its cross references as menu items.
#pragma once

#include <cstddef>
#include <optional>

#include "app/command_ids.h"
#include "app/menu_model.h"
#include "hyp/document.h"

constexpr const char* XREF_MENU_TITLE = "Siehe auch:";

// The menu offers at most this many cross references, the first ones of the page: the ids
// above CM_XREF_LAST belong to the history menu.
constexpr std::size_t XREF_MENU_LIMIT = CM_XREF_LAST - CM_XREF_FIRST + 1;

// One item per cross reference of `page` in list order, at most XREF_MENU_LIMIT; the k-th
// (from 0) has id CM_XREF_FIRST + k and the record's title, or the target's name when it has
// none or an empty one, converted through table `conversion`. A target outside the index gives an
// empty text.
PopupMenuModel xref_menu(const HypDocument& doc, const IndexEntry& page, unsigned conversion);

// The target of the menu item with id `id` on `page`; none when the id is outside the menu.
std::optional<uint16_t> xref_menu_target(const IndexEntry& page, unsigned id);

// The contents of one hypertext as a tree: each page under the page its `toc` names.
#pragma once

#include <cstdint>
#include <vector>

struct IndexEntry;

struct ContentsTree {
    // Pages (ENTRY_NODE entries) that hang under no other page, in index order.
    std::vector<uint16_t> roots;
    // Per index entry: its child pages in index order (empty for entries that are no pages).
    std::vector<std::vector<uint16_t>> children;
    // Per index entry: the page it hangs under, or -1 (a root, or no page at all).
    std::vector<int32_t> parent;
};

// The tree of the pages of `index`. A page's parent is the page its `toc` names; a `toc` naming
// the page itself, an entry that is no page or none at all makes it a root. Where `toc` links
// go round in a circle, the circle's page of the lowest index becomes a root, so every page
// stands in the tree exactly once.
ContentsTree build_contents_tree(const std::vector<IndexEntry>& index);

// One line of the tree as a window shows it opened out.
struct ContentsLine {
    uint16_t page = 0;
    uint32_t depth = 0;  // 0 for a root
};

// Every page of the tree, each before its children (depth first, children in index order).
std::vector<ContentsLine> contents_lines(const ContentsTree& tree);

// The pages from a root down to `page` (the ones to open out to show it selected); empty when
// `page` is not in the tree.
std::vector<uint16_t> contents_path(const ContentsTree& tree, uint16_t page);

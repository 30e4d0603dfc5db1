// The contents of one hypertext as a tree: each page under the page its `toc` names.
#include "app/contents_tree.h"

#include <algorithm>

#include "hyp/document.h"

namespace {

enum class Visit : uint8_t { New, OnPath, Done };

}  // namespace

ContentsTree build_contents_tree(const std::vector<IndexEntry>& index) {
    ContentsTree tree;
    const size_t n = index.size();
    tree.children.resize(n);
    tree.parent.assign(n, -1);
    const auto is_page = [&](size_t i) { return i < n && index[i].type == ENTRY_NODE; };
    for (size_t i = 0; i < n; ++i) {
        // A toc naming the page itself is a circle of one: the walk below makes it a root.
        if (is_page(i) && is_page(index[i].toc)) {
            tree.parent[i] = index[i].toc;
        }
    }

    // Follow each page's parents up; meeting a page of the walk itself again closes a circle,
    // which is cut above its lowest page. Each page is walked once: the cost is linear.
    std::vector<Visit> state(n, Visit::New);
    std::vector<size_t> walk;
    for (size_t start = 0; start < n; ++start) {
        if (!is_page(start) || state[start] != Visit::New) continue;
        walk.clear();
        size_t p = start;
        while (true) {
            state[p] = Visit::OnPath;
            walk.push_back(p);
            const int32_t up = tree.parent[p];
            if (up < 0 || state[up] == Visit::Done) break;
            if (state[up] == Visit::OnPath) {
                const auto circle = std::find(walk.begin(), walk.end(), static_cast<size_t>(up));
                const size_t lowest = *std::min_element(circle, walk.end());
                tree.parent[lowest] = -1;
                break;
            }
            p = static_cast<size_t>(up);
        }
        for (size_t q : walk) state[q] = Visit::Done;
    }

    for (size_t i = 0; i < n; ++i) {
        if (!is_page(i)) continue;
        if (tree.parent[i] < 0) {
            tree.roots.push_back(static_cast<uint16_t>(i));
        } else {
            tree.children[tree.parent[i]].push_back(static_cast<uint16_t>(i));
        }
    }
    return tree;
}

std::vector<ContentsLine> contents_lines(const ContentsTree& tree) {
    std::vector<ContentsLine> lines;
    // An explicit stack: a chain of thousands of pages must not exhaust the call stack.
    std::vector<ContentsLine> stack;
    for (auto r = tree.roots.rbegin(); r != tree.roots.rend(); ++r) stack.push_back({*r, 0});
    while (!stack.empty()) {
        const ContentsLine line = stack.back();
        stack.pop_back();
        lines.push_back(line);
        const std::vector<uint16_t>& children = tree.children[line.page];
        for (auto c = children.rbegin(); c != children.rend(); ++c) {
            stack.push_back({*c, line.depth + 1});
        }
    }
    return lines;
}

std::vector<uint16_t> contents_path(const ContentsTree& tree, uint16_t page) {
    std::vector<uint16_t> path;
    if (page >= tree.parent.size()) return path;
    const bool is_root = std::find(tree.roots.begin(), tree.roots.end(), page) != tree.roots.end();
    if (tree.parent[page] < 0 && !is_root) return path;  // not a page
    // The tree has no circles, so the walk up ends at a root within n steps; the bound holds
    // even for a tree that was not built here.
    for (int32_t p = page; p >= 0 && path.size() < tree.parent.size(); p = tree.parent[p]) {
        path.push_back(static_cast<uint16_t>(p));
    }
    std::reverse(path.begin(), path.end());
    return path;
}

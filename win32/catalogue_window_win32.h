// The catalogue window: the shelf's keywords, the open hypertext's contents and the shelf itself.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/keyword_matches.h"

struct ViewerWindow;

// The catalogue window's state, one per viewer (ViewerWindow::catalogue), made on first use.
struct CatalogueWindow {
    HWND hwnd = nullptr;
    HWND tabs = nullptr;
    HWND label = nullptr;         // "Stichwörter": the edit field's label, "&Stichwort:"
    HWND edit = nullptr;          // "Stichwörter": the typed text
    HWND keyword_list = nullptr;  // "Stichwörter": a virtual list over `matches`
    HWND tree = nullptr;          // "Inhalt"
    HWND shelf_list = nullptr;    // "Hypertexte"
    int part = 0;                 // the tab shown: 0 keywords, 1 contents, 2 hypertexts

    Catalogue catalogue;
    KeywordMatches matches;
    std::vector<std::string> shelf_paths;  // the shelf `catalogue` was begun with
    std::string shelf_folder;              // the open file's folder then
    std::vector<ShelfEntry> shelf;         // rows of the "Hypertexte" list
    bool filling = false;                  // the fill timer runs

    // The document the tree shows (path and index size) and the tree item of each index entry.
    std::string contents_path;
    std::size_t contents_entries = 0;
    std::vector<HTREEITEM> tree_items;
    bool selecting = false;  // the tree's selection is being set to follow the reader
};

// CM_CATALOGUE and the "KAT" button: shows the catalogue window (made on first use) beside the
// main window, or brings it forward; the shelf of the open file is read when it changed.
void show_catalogue(ViewerWindow& w);

// After every page shown: the contents part follows the open hypertext and its page.
void catalogue_follow_view(ViewerWindow& w);

// The message loop's first look at a message: true when it was one for the catalogue window
// and has been handled there (its keys never reach the main window's accelerators).
bool catalogue_message(ViewerWindow& w, MSG& msg);

/* Resource and command ids of the Windows program, shared by the resource scripts and the code. */
#ifndef VELLUMAR_RESOURCES_RESOURCE_H
#define VELLUMAR_RESOURCES_RESOURCE_H

/* Only plain #defines here: the resource compiler reads this file too. The command ids live with
   the portable command list (app/command_ids.h), which the menus and accelerators use as well;
   the C++ side checks their ranges with static asserts (app/command_table.cpp). */
#include "../app/command_ids.h"

/* --- resources ------------------------------------------------------------------------------ */
#define IDM_MAIN 1  /* main menu with the picture row */
#define IDM_EXTRA 2 /* "Extra" popup menu (its first submenu) */
#define IDA_MAIN 1  /* accelerator table */
#define IDI_VELLUMAR 1
#define IDC_LINK_HAND 1    /* pointing hand over a link */
#define IDC_LINK_PRESSED 2 /* the same hand with the finger bent, while the button is held */

/* Fill patterns: bitmap IDB_PATTERN_FIRST + pattern (pattern 0, the empty one, is never used). */
#define IDB_PATTERN_FIRST 1
#define IDB_PATTERN_LAST 9
#define PATTERN_COUNT 9

/* Pictures of the menu-bar buttons: bitmap IDB_TOOLBAR_FIRST + (button id - TB_FIRST_BUTTON). */
#define IDB_TOOLBAR_FIRST 11
#define IDB_TOOLBAR_LAST 28
#define TOOLBAR_BITMAP_WIDTH 32
#define TOOLBAR_BITMAP_HEIGHT 24

/* Dialog templates. */
#define IDD_ABOUT 1
#define IDD_OUTPUT_OPTIONS 2
#define IDD_COLOURS 3
#define IDD_FONTS 4
#define IDD_PREVIEW 5
#define IDD_MISC_OPTIONS 6
#define IDD_SEARCH 40         /* "Suchen": text, letter case, this page, all pages or hypertexts */
#define IDD_SEARCH_RESULTS 41 /* the finds of a search through all pages */

/* Controls of the page preview (IDD_PREVIEW); its OK button is IDOK. */
#define IDC_PREVIEW_PAGE 10    /* the page area, a static frame */
#define IDC_PREVIEW_BACK 11    /* one printed page back */
#define IDC_PREVIEW_FORWARD 12 /* one printed page on */

/* Controls of the search dialogs. */
#define IDC_SEARCH_TEXT 4001
#define IDC_SEARCH_CASE 4002
#define IDC_SEARCH_THIS_PAGE 4003
#define IDC_SEARCH_ALL_PAGES 4004
#define IDC_SEARCH_LIST 4005
#define IDC_SEARCH_NOTE 4006
#define IDC_SEARCH_ALL_FILES 4007 /* "Alle Hypertexte": the folder's and HypPath's files */

#endif

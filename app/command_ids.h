/* Command ids of the viewer: menu items, keys and picture buttons, shared by the portable command
   list and the resource scripts. */
#ifndef VELLUMAR_APP_COMMAND_IDS_H
#define VELLUMAR_APP_COMMAND_IDS_H

/* Only plain #defines here: the resource compiler reads this file too. */

/* "Datei" */
#define CM_OPEN 101
#define CM_SAVE_TEXT 102
#define CM_RECOMPILE 103
#define CM_HTML 104
#define CM_PRINT 105
#define CM_PREVIEW 106
#define CM_FILE_INFO 107
#define CM_QUIT 108
/* "Bearbeiten": 201, 202 and 204 are grayed for good and have no action. */
#define CM_UNDO 201
#define CM_CUT 202
#define CM_COPY 203
#define CM_PASTE 204
#define CM_FIND 205
#define CM_FIND_NEXT 206
#define CM_SELECT_ALL 207
/* "Navigieren" (310 is unused) */
#define CM_PREV_LOGICAL 301
#define CM_NEXT_LOGICAL 302
#define CM_PREV_PHYSICAL 303
#define CM_NEXT_PHYSICAL 304
#define CM_FIRST_PAGE 305
#define CM_LAST_PAGE 306
#define CM_TOC 307
#define CM_INDEX_PAGE 308
#define CM_HELP_PAGE 309
#define CM_BACK 311
#define CM_CLEAR_STACK 312
#define CM_CATALOGUE 313
/* "Optionen" */
#define CM_FONTS 401
#define CM_COLOURS 402
#define CM_OUTPUT_OPTIONS 403
#define CM_TOGGLE_XFONT 404
#define CM_TOGGLE_MULTISPACE 405
#define CM_TOGGLE_SCALE_BITMAPS 406
#define CM_MISC_OPTIONS 407
/* "Hilfe" */
#define CM_KEY_HELP 901
#define CM_ABOUT 902

/* The picture buttons in the second row of the menu bar. */
#define TB_FIRST_BUTTON 1001
#define TB_BACK 1001
#define TB_HISTORY 1002
#define TB_MARKS 1003
#define TB_FIRST_PAGE 1004
#define TB_PREV_PHYSICAL 1005
#define TB_PREV_LOGICAL 1006
#define TB_TOC 1007
#define TB_NEXT_LOGICAL 1008
#define TB_NEXT_PHYSICAL 1009
#define TB_LAST_PAGE 1010
#define TB_INDEX 1011
#define TB_CATALOGUE 1012 /* "KAT": opens the catalogue */
#define TB_XREFS 1013
#define TB_HELP 1014
#define TB_INFO 1015
#define TB_OPEN 1016
#define TB_EXTRA 1017
#define TB_REMARKER 1018 /* "REM": always grayed */
#define TB_LAST_BUTTON 1018
#define TOOLBAR_BUTTON_COUNT 18

/* Bookmarks 0 to 10 (keys F2 to F12): id + bookmark number. */
#define BOOKMARK_KEYS 11
#define CM_GOTO_MARK 2002
#define CM_SET_MARK 2102
#define CM_DELETE_MARK 2202

/* Keyboard link selection. */
#define CM_NEXT_LINK 2500
#define CM_PREV_LINK 2501
#define CM_FOLLOW_LINK 2502

/* Entries of the "Siehe auch" and history popup menus. */
#define CM_XREF_FIRST 3001
#define CM_XREF_LAST 3050
#define CM_HISTORY_FIRST 3051
#define CM_HISTORY_LAST 3099

/* The recently opened hypertexts at the end of the "Datei" menu, newest first. */
#define CM_RECENT_FIRST 3101
#define CM_RECENT_LAST 3108

/* Items of the "Extra" menu that exist only as grayed texts (the remarker). */
#define CM_NO_COMMAND 0

#endif

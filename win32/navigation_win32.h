// The main window's side of navigation: the back stack, the navigator working on the view, and
// the window services it needs (title, scroll bars, menus, dialogs, messages).
#pragma once

#include <windows.h>

#include <string>

#include "app/navigation.h"

struct ViewerWindow;

// Gives `window` its navigator (document, view state, back stack, bookmarks) and the window
// services it uses.
void attach_navigation(ViewerWindow& window);

// The navigator of the main window.
Navigator& navigator();

bool history_not_empty();

// Performs a command of the navigation module; false for other ids.
bool navigation_command(unsigned id);

// Acts on a link of the shown page; `point` in client coordinates (where a popup appears).
void follow_link(const LinkArea& area, POINT point);

// CM_OPEN: the file dialog, then the file opened and shown.
void open_from_dialog();

// A file dropped on the window, opened as by CM_OPEN without the dialog.
void open_dropped_file(const std::string& path);

// The picture buttons' popup menus: history, marks and "Siehe auch", at the mouse cursor.
void show_history_menu();
void show_marks_menu();
void show_xref_menu();

// Tracks a popup menu at the mouse cursor, centred on it, with menu_tracking set meanwhile.
void track_popup_menu(HMENU menu);

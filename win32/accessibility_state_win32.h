// What the front end keeps between messages for assistive technology: a member of the viewer's
// state object, apart from the accessible object that reads it.
#pragma once

#include <windows.h>

#include "app/accessible_page.h"

// What the front end keeps for assistive technology between messages (a member of the viewer's
// state object).
struct AccessibilityState {
    AccessibleView announced;  // what the events have told so far
    bool high_contrast = false;
    // The main window's tree, made once per page and view (accessors ask many times in a row).
    AccessibleTree tree;
    AccessibleView tree_view;
    AccessibleFrame tree_frame;
    HWND tree_window = nullptr;
    bool tree_valid = false;
};

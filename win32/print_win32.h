// Printing the shown page and its page preview (the Windows side: dialogs and device contexts).
#pragma once

#include <windows.h>

// The main window owns the print dialog; called with every message of the main window, the
// first one stores it.
void remember_print_owner(HWND main_window);

// CM_PRINT: the print dialog, then every printed page of the shown page on the chosen printer.
void print_command();

// CM_PREVIEW: the printed pages of the shown page for the default printer, one at a time.
void preview_command();

// At shutdown: the printer choice kept between print dialogs.
void release_print_device();

// The main window's document commands: the three exports, copying the page, keyboard help.
#pragma once

#include "hyp/export_mode.h"

// CM_SAVE_TEXT, CM_RECOMPILE, CM_HTML: the save dialog, then the export of the open hypertext.
void export_command(ExportMode mode);

// CM_COPY: the shown page as text on the clipboard.
void copy_page_command();

// CM_KEY_HELP: the keyboard help box.
void key_help_command();

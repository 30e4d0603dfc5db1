// The main window's document commands: the three exports, copying the page, keyboard help.
#pragma once

#include <string>

#include "hyp/export_mode.h"

// CM_SAVE_TEXT, CM_RECOMPILE, CM_HTML: the save dialog, then the export of the open hypertext.
void export_command(ExportMode mode);

// CM_COPY: the shown page as text on the clipboard.
void copy_page_command();

// The page or a part of it on the clipboard in the three formats of the page copy: `text` in the
// clipboard's set, `utf8` the same characters in UTF-8 (CF_UNICODETEXT).
void put_text_on_clipboard(const std::string& text, const std::string& utf8);

// CM_KEY_HELP: the keyboard help box.
void key_help_command();

// The process-wide text of the last failure, left by loading and exporting for the caller to show.
#pragma once

#include <string>

// German message of the last failed operation; set only on failure, never cleared by success.
extern std::string message_text;

// Sets message_text to `format` with its one "%s" replaced by `argument` (e.g. a path).
void set_message_text(const char* format, const std::string& argument);

// Output of the converter for terminals: everything printed is UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "hyp/failure.h"

// A text in the Windows character set (messages, converted texts) as UTF-8.
std::string ansi_text_to_utf8(const std::string& ansi);

// UTF-8 text for a terminal: every control byte but tab, line feed and carriage return becomes
// U+FFFD, so that text taken from a file can never drive the terminal.
std::string terminal_text(const std::string& utf8);

// A text of the open hypertext (its own character set, `source_charset`) as UTF-8, straight from
// that set, made safe for a terminal.
std::string document_text_to_utf8(const std::string& text, uint8_t source_charset);

// The one place the converter reports a failure: one line on stderr, "hypconv: FILE: " (without
// FILE when `file` is empty) and failure_line of it, in UTF-8.
void print_failure(const std::string& file, const Failure& failure);

// Prints a UTF-8 line to stderr, prefixed with "hypconv: ".
void print_error(const std::string& utf8);

// The byte sink the exports and the page copy write to: a file or a string, with CR LF line ends.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "hyp/failure.h"

// Output files have CR LF line ends on every platform: the writers call line_end(), and the
// sink writes the two bytes itself, so a file opened in binary mode gets exactly those bytes.
// The bytes are written as the writers give them (UTF-8 output is converted by the writers,
// character by character from the hypertext's own set); for a terminal, control bytes can be
// kept from it. A write the file refuses (disk full, device gone) is remembered, so that an
// export never reports success for a file it did not write whole.
class ExportOutput {
   public:
    // Writes to an open file (binary mode; the caller closes it).
    explicit ExportOutput(std::FILE* file);
    // Appends to a string.
    explicit ExportOutput(std::string* text);
    ExportOutput(const ExportOutput&) = delete;
    ExportOutput& operator=(const ExportOutput&) = delete;
    ~ExportOutput();

    // For UTF-8 output to a terminal: from now on every control byte other than tab, line feed
    // and carriage return is written as U+FFFD, so that text taken from a file cannot drive the
    // terminal. (UTF-8 sequences hold no bytes below 0x80 but their ASCII characters.)
    void set_terminal(bool terminal) { terminal_ = terminal; }

    void write(const char* bytes, size_t length);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
    void put(char byte) { write(&byte, 1); }
    void line_end() { write("\r\n", 2); }
    // Hands buffered bytes to the file.
    void flush();

    // Bytes written so far (before any control byte is replaced).
    size_t written() const { return written_; }

    // The system's error number of the first write the file refused; 0 while all went through.
    // Buffered bytes count only once flushed.
    int error() const { return error_; }

   private:
    void emit(const char* bytes, size_t length);

    std::FILE* file_ = nullptr;
    std::string* text_ = nullptr;
    std::string buffer_;  // file output is gathered here and written in large blocks
    bool terminal_ = false;
    size_t written_ = 0;
    int error_ = 0;
};

// "Fehler %d beim Schreiben der Datei\n\n%s", for a file that could not be created or written;
// the system's error number goes with it.
Failure write_failure(int error_number, const std::string& file_name);

// The byte sink the exports and the page copy write to: a file or a string, with CR LF line ends.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// Output files have CR LF line ends on every platform: the writers call line_end(), and the
// sink writes the two bytes itself, so a file opened in binary mode gets exactly those bytes.
// Optionally every byte is taken as Windows-1252 and written as UTF-8 (the converter's terminal
// and "utf8" output). A write the file refuses (disk full, device gone) is remembered, so that
// an export never reports success for a file it did not write whole.
class ExportOutput {
   public:
    // Writes to an open file (binary mode; the caller closes it).
    explicit ExportOutput(std::FILE* file);
    // Appends to a string.
    explicit ExportOutput(std::string* text);
    ExportOutput(const ExportOutput&) = delete;
    ExportOutput& operator=(const ExportOutput&) = delete;
    ~ExportOutput();

    // Writes Windows-1252 bytes as UTF-8 from now on. Control bytes other than tab, line feed
    // and carriage return become U+FFFD unless `keep_controls` (for terminals).
    void set_utf8(bool utf8, bool keep_controls = true) {
        utf8_ = utf8;
        keep_controls_ = keep_controls;
    }
    bool utf8() const { return utf8_; }

    void write(const char* bytes, size_t length);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
    void put(char byte) { write(&byte, 1); }
    void line_end() { write("\r\n", 2); }
    // Hands buffered bytes to the file.
    void flush();

    // Bytes written so far (before any UTF-8 expansion).
    size_t written() const { return written_; }

    // The system's error number of the first write the file refused; 0 while all went through.
    // Buffered bytes count only once flushed.
    int error() const { return error_; }

   private:
    void emit(const char* bytes, size_t length);

    std::FILE* file_ = nullptr;
    std::string* text_ = nullptr;
    std::string buffer_;  // file output is gathered here and written in large blocks
    bool utf8_ = false;
    bool keep_controls_ = true;
    size_t written_ = 0;
    int error_ = 0;
};

// "Fehler %d beim Schreiben der Datei\n\n%s" in message_text, for a file that could not be
// created or written.
void set_write_error_message(int error_number, const std::string& file_name);

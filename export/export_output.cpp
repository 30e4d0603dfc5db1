// The byte sink the exports and the page copy write to: a file or a string, with CR LF line ends.
#include "export/export_output.h"

#include <cerrno>

#include "hyp/charset.h"

namespace {

// File output is handed to the C library in blocks of this size.
constexpr size_t kFlushSize = 64 * 1024;

}  // namespace

ExportOutput::ExportOutput(std::FILE* file) : file_(file) {}

ExportOutput::ExportOutput(std::string* text) : text_(text) {}

ExportOutput::~ExportOutput() {
    flush();
}

void ExportOutput::write(const char* bytes, size_t length) {
    written_ += length;
    if (!terminal_) {
        emit(bytes, length);
        return;
    }
    // Bytes that cannot drive a terminal pass in stretches.
    static constexpr char REPLACEMENT[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
    size_t from = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const bool control = (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
        if (!control) continue;
        emit(bytes + from, i - from);
        emit(REPLACEMENT, sizeof REPLACEMENT - 1);
        from = i + 1;
    }
    emit(bytes + from, length - from);
}

void ExportOutput::emit(const char* bytes, size_t length) {
    if (length == 0) return;
    if (text_) {
        text_->append(bytes, length);
        return;
    }
    buffer_.append(bytes, length);
    if (buffer_.size() >= kFlushSize) flush();
}

void ExportOutput::flush() {
    if (!file_) return;
    // errno is only meaningful right after a failed call; EIO stands in when a C library
    // reports the failure without one.
    if (!buffer_.empty()) {
        errno = 0;
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() &&
            error_ == 0) {
            error_ = errno != 0 ? errno : EIO;
        }
        buffer_.clear();
    }
    errno = 0;
    if (std::fflush(file_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
}

Failure write_failure(int error_number, const std::string& file_name) {
    return {"Fehler " + std::to_string(error_number) + " beim Schreiben der Datei\n\n" + file_name,
            error_number};
}

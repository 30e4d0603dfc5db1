// The file an export of the converter writes into, from creation to the final verdict.
#include "tools/hypconv/output_file.h"

#include <sys/stat.h>

#include <cerrno>

#include "export/export_output.h"
#include "hyp/document.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
}

bool OutputFile::open(const std::string& path) {
    struct stat info;
    created_ = stat(path.c_str(), &info) != 0;
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        print_error("Fehler beim Öffnen der Datei! (" + path + ")");
        return false;
    }
    return true;
}

int OutputFile::finish(int export_result) {
    errno = 0;
    const bool closed = std::fclose(file_) == 0;
    const int close_error = errno != 0 ? errno : EIO;
    file_ = nullptr;
    if (export_result == 0 && !closed) set_write_error_message(close_error, path_);
    if (export_result == 0 && closed) return EXIT_OK;
    if (created_) std::remove(path_.c_str());
    print_failure();
    return EXIT_FAILED;
}

bool open_document(const std::string& path) {
    int32_t current_page = -1;
    if (open_hypertext(path, std::nullopt, -1, current_page)) return true;
    print_failure();
    return false;
}

// The file an export of the converter writes into, from creation to the final verdict.
#include "tools/hypconv/output_file.h"

#include <sys/stat.h>

#include <cerrno>

#include "app/document_commands.h"
#include "export/export_output.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_writer.h"
#include "settings/settings.h"
#include "tools/hypconv/terminal.h"
#include "tools/hypconv/verbs.h"

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
}

bool OutputFile::open(const std::string& path) {
    struct stat info;
    created_ = stat(path.c_str(), &info) != 0;
    path_ = path;
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        // The viewer's text; here compiled as UTF-8, while failures carry the Windows set.
        Failure failure{std::string(), errno};
        utf8_to_ansi(EXPORT_OPEN_FAILED, failure.message);
        print_failure(path, failure);
        return false;
    }
    return true;
}

int OutputFile::finish(const Outcome& exported) {
    errno = 0;
    const bool closed = std::fclose(file_) == 0;
    const int close_error = errno != 0 ? errno : EIO;
    file_ = nullptr;
    if (exported && closed) return EXIT_OK;
    if (created_) std::remove(path_.c_str());
    print_failure(path_, exported ? write_failure(close_error, path_) : exported.failure());
    return EXIT_FAILED;
}

bool open_document(const std::string& path) {
    int32_t current_page = -1;
    const Outcome opened = open_hypertext(path, std::nullopt, -1, current_page);
    if (!opened) print_failure(path, opened.failure());
    return static_cast<bool>(opened);
}

int export_to_file(const ExportRun& run, const ExportProgress& progress) {
    OutputFile out;
    if (!out.open(run.path)) return EXIT_FAILED;
    Outcome exported;
    {
        ExportOutput output(out.get());
        const std::unique_ptr<PageWriter> writer = make_page_writer(run, &output);
        exported = export_hypertext(document, *writer, run, &output, settings.FONT, progress);
    }
    return out.finish(exported);
}

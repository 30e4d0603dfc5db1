// The file an export of the converter writes into, from creation to the final verdict.
#pragma once

#include <cstdio>
#include <string>

#include "export/export_driver.h"
#include "export/export_run.h"
#include "hyp/failure.h"

// Creates the output file for a run and closes it at the end. When the run fails, a file that
// this run created is removed again (it holds nothing useful); a file or device that existed
// before is left alone, so the converter never deletes anything it did not make.
class OutputFile {
   public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates (or truncates) `path` for binary writing; prints the failure and returns false.
    bool open(const std::string& path);
    std::FILE* get() const { return file_; }

    // Closes the file and turns the export's outcome into the exit code: its failure on stderr,
    // or the file's when it could not be closed.
    int finish(const Outcome& exported);

   private:
    std::FILE* file_ = nullptr;
    std::string path_;
    bool created_ = false;  // the file did not exist before this run
};

// Opens `path` as the document, starting at its first entry; prints the failure otherwise.
bool open_document(const std::string& path);

// Exports the open document as `run` says (Text or Stg) into the file run.path: creates it,
// runs the driver with the run's writer and the settings' text font, and closes it. The exit
// code; failures are printed.
int export_to_file(const ExportRun& run, const ExportProgress& progress = {});

// The catalogue of a shelf: every hypertext of it with its keywords, kept up to date file by file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/hypertext_keywords.h"
#include "hyp/failure.h"

// One file of the shelf as the catalogue last read it.
struct CatalogueFile {
    std::string path;
    // Size in bytes and last write time (seconds of the system's clock) when it was read: a file
    // whose two are unchanged is not read again.
    uint64_t size = 0;
    int64_t write_time = 0;
    bool readable = false;  // opened as a hypertext; else `failure` says why
    Failure failure;
    HypertextKeywords hypertext;
    // Each keyword's text folded as the search folds the file's set (letter case, umlauts), in
    // the order of hypertext.keywords; what typed text is matched against.
    std::vector<std::string> folded;
};

// One row of the keyword list: keyword `keyword` of file `file` (indices into files()).
struct CatalogueRow {
    uint32_t file = 0;
    uint32_t keyword = 0;
};

// A row of the shelf listing ("Hypertexte").
struct ShelfEntry {
    const CatalogueFile* file = nullptr;
    // The @database text in the Windows set, or the file name when the file has none.
    std::string title;
    std::string file_name;  // the path's last part
    uint32_t page_count = 0;
    uint64_t size = 0;  // bytes
};

class Catalogue {
   public:
    // Starts bringing the catalogue to `paths` (the shelf, in its order). Files read before keep
    // their keywords when their size and write time are unchanged; the others, and new ones, are
    // read by the following steps. Files no longer on the shelf leave at once.
    void begin(const std::vector<std::string>& paths);
    // Reads the next file that needs it and adds its keywords to the rows; false when nothing
    // was left to read (then the rows are complete and in order). A window calls this between
    // messages and shows the rows as they grow.
    bool step();
    bool complete() const { return next_ == pending_.size(); }

    // begin and every step at once; `progress` (if any) is told after each file read.
    using Progress = std::function<void(const Catalogue&)>;
    void build(const std::vector<std::string>& paths, const Progress& progress = Progress());

    // The shelf's files in shelf order, the unreadable ones included.
    const std::vector<std::unique_ptr<CatalogueFile>>& files() const { return files_; }
    // Every keyword of every readable file. Complete: sorted by folded text as the Windows set
    // shows it, then by file and keyword order. While it fills: the files read so far, each
    // one's keywords in that order, then the files still to come as they arrive.
    const std::vector<CatalogueRow>& rows() const { return rows_; }
    // Changes whenever rows() change, so that a narrowed list knows its rows are stale.
    uint64_t generation() const { return generation_; }
    // Files read (opened and gathered) since the catalogue was made.
    size_t files_read() const { return files_read_; }

    const Keyword& keyword(const CatalogueRow& row) const {
        return files_[row.file]->hypertext.keywords[row.keyword];
    }
    const std::string& folded(const CatalogueRow& row) const {
        return files_[row.file]->folded[row.keyword];
    }
    const CatalogueFile& file(const CatalogueRow& row) const { return *files_[row.file]; }

    // The readable files in shelf order, as the "Hypertexte" part lists them.
    std::vector<ShelfEntry> shelf() const;

   private:
    void add_rows(uint32_t file);
    void sort_rows();

    std::vector<std::unique_ptr<CatalogueFile>> files_;
    std::vector<size_t> pending_;  // indices into files_ still to read, in shelf order
    size_t next_ = 0;              // next of pending_ to read
    std::vector<CatalogueRow> rows_;
    uint64_t generation_ = 0;
    size_t files_read_ = 0;
};

// The title a row of `file` shows beside its keyword, in the Windows set: its @database text, or
// its file name when it has none.
std::string catalogue_title(const CatalogueFile& file);

// Fills `file` (path set) from the file itself: size, time, and the keywords when it opens as
// a hypertext.
void read_catalogue_file(CatalogueFile& file);

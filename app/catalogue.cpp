// The catalogue of a shelf: every hypertext of it with its keywords, kept up to date file by file.
#include "app/catalogue.h"

#include <sys/stat.h>

#include <algorithm>
#include <unordered_map>

#include "app/search.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/paths.h"

namespace {

// Both sets a hypertext can be in (CHARSET_TOS and CHARSET_MAC).
constexpr unsigned kSourceSets = 2;

struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    int64_t write_time = 0;
};

FileStamp stamp_of(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return FileStamp{};
    return FileStamp{true, static_cast<uint64_t>(info.st_size),
                     static_cast<int64_t>(info.st_mtime)};
}

// For each set, the byte a folded text byte sorts as: the Windows character the screen shows for
// it, so that keywords of Atari and Macintosh files sort together.
struct SortOrder {
    uint8_t order[kSourceSets][256];

    SortOrder() {
        for (unsigned set = 0; set < kSourceSets; ++set) {
            const uint8_t(&to_ansi)[CHARSET_TABLE_SIZE] = charset_tables[screen_conversion(set)];
            for (unsigned b = 0; b < 256; ++b) {
                order[set][b] = to_ansi[0] && b != 0 ? to_ansi[b] : static_cast<uint8_t>(b);
            }
        }
    }

    // Whether `a` of set `sa` sorts before `b` of set `sb`; equal texts are not less.
    bool less(const std::string& a, unsigned sa, const std::string& b, unsigned sb) const {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const uint8_t x = order[sa][static_cast<uint8_t>(a[i])];
            const uint8_t y = order[sb][static_cast<uint8_t>(b[i])];
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
};

unsigned source_set(const CatalogueFile& file) {
    return file.hypertext.source_charset < kSourceSets ? file.hypertext.source_charset : 0;
}

}  // namespace

void read_catalogue_file(CatalogueFile& file) {
    const FileStamp stamp = stamp_of(file.path);
    file.size = stamp.size;
    file.write_time = stamp.write_time;
    file.hypertext = HypertextKeywords{};
    file.folded.clear();
    HypDocument doc;
    int32_t first_page = -1;
    const Outcome opened = open_hypertext(doc, file.path, std::nullopt, -1, first_page);
    file.readable = static_cast<bool>(opened);
    if (!opened) {
        file.failure = opened.failure();
        return;
    }
    file.failure = Failure{};
    file.hypertext = gather_keywords(doc);
    uint8_t fold[256];
    case_fold_table(file.hypertext.source_charset, fold);
    file.folded.reserve(file.hypertext.keywords.size());
    for (const Keyword& keyword : file.hypertext.keywords) {
        std::string folded = keyword.text;
        for (char& c : folded) c = static_cast<char>(fold[static_cast<uint8_t>(c)]);
        file.folded.push_back(std::move(folded));
    }
}

std::string catalogue_title(const CatalogueFile& file) {
    if (file.hypertext.title.empty()) return path_file_name(file.path);
    return convert_charset(file.hypertext.title, false,
                           screen_conversion(file.hypertext.source_charset));
}

void Catalogue::begin(const std::vector<std::string>& paths) {
    std::vector<std::string> old_order;
    for (const std::unique_ptr<CatalogueFile>& file : files_) old_order.push_back(file->path);
    const bool was_complete = complete();
    std::vector<CatalogueRow> old_rows;
    old_rows.swap(rows_);
    std::unordered_map<std::string, std::unique_ptr<CatalogueFile>> known;
    for (std::unique_ptr<CatalogueFile>& file : files_) {
        std::string path = file->path;
        known.emplace(std::move(path), std::move(file));
    }
    files_.clear();
    pending_.clear();
    next_ = 0;
    // The rows are kept as they are when every file is, in the same order: the shelf's list
    // stays sorted and a narrowed list stays valid.
    const bool same_files = was_complete && paths == old_order;
    for (const std::string& path : paths) {
        auto found = known.find(path);
        if (found != known.end() && found->second) {
            const FileStamp stamp = stamp_of(path);
            std::unique_ptr<CatalogueFile> file = std::move(found->second);
            if (stamp.exists && stamp.size == file->size && stamp.write_time == file->write_time) {
                files_.push_back(std::move(file));
                continue;
            }
        }
        // New, changed, or named twice on the shelf (the second is read on its own).
        auto file = std::make_unique<CatalogueFile>();
        file->path = path;
        files_.push_back(std::move(file));
        pending_.push_back(files_.size() - 1);
    }
    if (same_files && complete()) {
        rows_.swap(old_rows);
        return;
    }
    // The kept files' rows now; the others' when they are read.
    std::vector<bool> to_read(files_.size(), false);
    for (size_t f : pending_) to_read[f] = true;
    for (uint32_t f = 0; f < files_.size(); ++f) {
        if (!to_read[f]) add_rows(f);
    }
    if (complete()) sort_rows();
    ++generation_;
}

bool Catalogue::step() {
    if (complete()) return false;
    const size_t index = pending_[next_];
    read_catalogue_file(*files_[index]);
    ++files_read_;
    ++next_;
    add_rows(static_cast<uint32_t>(index));
    if (complete()) sort_rows();
    ++generation_;
    return true;
}

void Catalogue::build(const std::vector<std::string>& paths, const Progress& progress) {
    begin(paths);
    while (step()) {
        if (progress) progress(*this);
    }
}

void Catalogue::add_rows(uint32_t file) {
    const CatalogueFile& f = *files_[file];
    if (!f.readable) return;
    const SortOrder order;
    const unsigned set = source_set(f);
    const size_t first = rows_.size();
    for (uint32_t k = 0; k < f.hypertext.keywords.size(); ++k) rows_.push_back({file, k});
    // A file's own rows in order at once: the list reads well while the rest fills.
    std::stable_sort(rows_.begin() + static_cast<std::ptrdiff_t>(first), rows_.end(),
                     [&](const CatalogueRow& a, const CatalogueRow& b) {
                         return order.less(f.folded[a.keyword], set, f.folded[b.keyword], set);
                     });
}

void Catalogue::sort_rows() {
    const SortOrder order;
    std::sort(rows_.begin(), rows_.end(), [&](const CatalogueRow& a, const CatalogueRow& b) {
        const CatalogueFile& fa = *files_[a.file];
        const CatalogueFile& fb = *files_[b.file];
        const std::string& ka = fa.folded[a.keyword];
        const std::string& kb = fb.folded[b.keyword];
        const unsigned sa = source_set(fa);
        const unsigned sb = source_set(fb);
        if (order.less(ka, sa, kb, sb)) return true;
        if (order.less(kb, sb, ka, sa)) return false;
        if (a.file != b.file) return a.file < b.file;
        return a.keyword < b.keyword;
    });
}

std::vector<ShelfEntry> Catalogue::shelf() const {
    std::vector<ShelfEntry> entries;
    for (const std::unique_ptr<CatalogueFile>& file : files_) {
        if (!file->readable) continue;
        ShelfEntry entry;
        entry.file = file.get();
        entry.file_name = path_file_name(file->path);
        entry.title = catalogue_title(*file);
        entry.page_count = file->hypertext.page_count;
        entry.size = file->size;
        entries.push_back(std::move(entry));
    }
    return entries;
}

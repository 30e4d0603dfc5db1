// Fuzz target: any bytes as a HYP file; open it, load every entry, run the export reopen with
// its symbol collection. Nothing may read or write out of bounds, whatever the file says.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "hyp/document.h"
#include "hyp/page_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = fixture::make_temp_directory("fuzz-open");
    const std::string path = dir + "input.hyp";
    if (!fixture::write_file(path, std::vector<uint8_t>(data, data + size))) return 0;

    HypDocument doc;
    int32_t page = -1;
    // A requested name makes the open consult the default node and the (absent) REF file.
    if (!open_hypertext(doc, path, std::string("Index"), -1, page)) return 0;
    for (unsigned i = 0; i < doc.index.size(); ++i) {
        load_page(doc, i);
        doc.index[i].page_data.clear();
        doc.index[i].page_data.shrink_to_fit();
    }
    find_index_page(doc);
    if (reopen_for_export(doc, ExportMode::Html)) close_hypertext_file(doc);
    close_hypertext(doc);
    return 0;
}

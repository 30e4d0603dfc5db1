// Fuzz target: the Stg and Html walks with their writers on arbitrary page bytes. Input: one
// byte of options, then the page (the seeds of the page walk target serve here too). The page is
// written twice, as the page "Main" and as the page "Index", in a small in-memory document with
// symbols, images and entries of every kind for its codes to point at.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/html_writer.h"
#include "export/stg_writer.h"
#include "fixture/page_builder.h"
#include "fuzz/document_entries.h"
#include "fuzz/work_directory.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

// Option bits of the first input byte.
constexpr uint8_t kAllLinks = 1;
constexpr uint8_t kIndexOption = 2;
constexpr uint8_t kForceIndex = 4;
constexpr uint8_t kNoSymbols = 8;
constexpr uint8_t kTableShift = 4;  // bits 4 to 6: the conversion table (0 to 7)

// The folder for the files the walks write.
const std::string& work_directory() {
    return fuzz_work_directory("stg-html");
}

uint16_t add_entry(HypDocument& doc, uint8_t type, const char* name,
                   const std::vector<uint8_t>& bytes, uint16_t previous, uint16_t next) {
    const uint16_t index = add_loaded_entry(doc, type, name, bytes);
    doc.index[index].previous = previous;
    doc.index[index].next = next;
    return index;
}

SymbolEntry symbol(uint8_t kind, const std::string& text, int32_t line, uint8_t flags) {
    SymbolEntry s;
    s.kind = kind;
    s.flags = flags;
    s.line = line;
    s.name.assign(text.begin(), text.end());
    s.name.push_back(0);
    s.length = static_cast<uint8_t>(s.name.size() + 2);
    return s;
}

void build_document(HypDocument& doc, const uint8_t* page, size_t size, uint8_t options) {
    doc.path = "fuzz.hyp";
    const std::vector<uint8_t> bytes(page, page + size);
    add_entry(doc, ENTRY_NODE, "Main", bytes, 0, 1);
    add_entry(doc, ENTRY_NODE, "Target", {'t', 0, 't', 0, 't', 0}, 0, 3);
    std::vector<uint8_t> image;
    std::string error;
    fixture::make_image_object(19, 5, 3, std::vector<uint8_t>(19 * 5, 5), image, error);
    add_entry(doc, ENTRY_IMAGE, nullptr, image, 0, 0);
    add_entry(doc, ENTRY_PNODE, "Zwei \"Worte\"", {'p', 0}, 0, 0);
    add_entry(doc, ENTRY_IMAGE, "deep", fixture::make_image_object_raw(8, 60000, 9, {}), 0, 0);
    add_entry(doc, ENTRY_EXTERNAL, "ext.hyp/Main", {}, 0, 0);
    add_entry(doc, ENTRY_NODE, "Index", bytes, 1, 6);
    add_entry(doc, ENTRY_QUIT, "", {}, 0, 0);
    add_entry(doc, 255, nullptr, {}, 0, 0);
    add_entry(doc, ENTRY_IMAGE, "cut", {0, 4, 0, 9, 1}, 0, 0);
    doc.last_node_index = 6;
    doc.index_option = (options & kIndexOption) != 0;
    if (options & kNoSymbols) return;
    // Symbols of every kind and flag, at the first lines of the pages.
    doc.symbols.push_back(symbol(REF_FILE_NAME, "fuzz.hyp", -1, 4));
    doc.symbols.push_back(symbol(REF_NODE, "Main", -1, 5));
    doc.symbols.push_back(symbol(REF_ALIAS, "Start  hier", 0, 4));
    doc.symbols.push_back(symbol(REF_LABEL, "line", 7, 7));
    doc.symbols.push_back(symbol(REF_LABEL, "@there", 1, 1));
    doc.symbols.push_back(symbol(REF_NODE, "Target", -1, 5));
    doc.symbols.push_back(symbol(REF_LABEL, "there", 1, 3));
    doc.symbols.push_back(symbol(REF_ALIAS, "in", 0, 5));
    doc.symbols.push_back(symbol(REF_NODE, "Index", -1, 2));
    doc.symbols.push_back(symbol(REF_LABEL, "x\\\"y", 2, 0));
    doc.symbols.push_back(symbol(9, "unknown", 2, 6));
}

// Walks every entry as the export driver does.
void walk(HypDocument& doc, PageWriter& writer, const ExportRun& run) {
    uint16_t toc = 0;
    bool failed = false;
    writer.begin_run(doc, settings.FONT);
    for (uint16_t i = 0; i < doc.index.size() && !failed; ++i) {
        PageWalkArgs args = PageWalkArgs::exported(doc, i, writer, run.force_index);
        args.toc = &toc;
        failed = interpret_page(args).write_failed;
    }
    if (failed) std::abort();  // every page file can be created here
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t options = data[0];
    restore_default_settings();
    document.page_cache = PageCache{};
    ExportRun run;
    run.conversion = (options >> kTableShift) & 7;

    {
        HypDocument doc;
        build_document(doc, data + 1, size - 1, options);
        run.mode = ExportMode::Stg;
        run.path = work_directory() + "out.stg";
        run.all_links = (options & kAllLinks) != 0;
        run.force_index = (options & kForceIndex) != 0;
        std::string text;
        {
            ExportOutput output(&text);
            StgWriter writer(output, run);
            walk(doc, writer, run);
        }
        // One block per page: Main, Target, the popup and, unless it is left out, Index.
        const bool index_skipped = doc.index_option && !run.force_index;
        const size_t pages = index_skipped ? 3 : 4;
        if (count(text, "@endnode\r\n") < pages) std::abort();
    }
    document.page_cache = PageCache{};
    {
        HypDocument doc;
        build_document(doc, data + 1, size - 1, options);
        run.mode = ExportMode::Html;
        run.path = work_directory() + "out.html";
        run.all_links = true;
        run.force_index = true;
        HtmlWriter writer(run);
        walk(doc, writer, run);
        if (writer.first_file() != "Main.html") std::abort();
    }
    document.page_cache = PageCache{};
    return 0;
}

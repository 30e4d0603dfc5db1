// Fuzz target: any bytes as the REF file beside a small sound HYP file; open the hypertext with
// a requested name (resolved through the REF file) and collect the symbols for an export.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "hyp/document.h"

namespace {

// Writes the hypertext once: nodes with links (an index page among them), a popup, an image.
std::string make_hypertext(const std::string& dir) {
    fixture::PageBuilder index;
    index.link(fixture::LinkKind::Link, 0, "intro").link(fixture::LinkKind::LinkLine, 1, "x", 3);
    index.end_line();
    fixture::PageBuilder main;
    main.text("See ").link(fixture::LinkKind::Alink, 2, "Index").end_line();
    fixture::HypBuilder b;
    b.ext_text(fixture::ext::kOptions, "-i").ext_text(fixture::ext::kDefault, "Main");
    b.node("Main", main.bytes());
    b.node("Start", fixture::text_page({"start", "two"}));
    b.node("Index", index.bytes());
    b.popup("Note", fixture::text_page({"popup"}));
    b.image(std::vector<uint8_t>(24, 0));
    const std::string path = dir + "guide.hyp";
    b.write(path);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = fixture::make_temp_directory("fuzz-ref");
    static const std::string hyp = make_hypertext(dir);
    if (!fixture::write_file(dir + "guide.ref", std::vector<uint8_t>(data, data + size))) return 0;

    HypDocument doc;
    int32_t page = -1;
    if (!open_hypertext(doc, hyp, std::string("INTRO"), -1, page)) return 0;
    doc.symbols.clear();  // read the REF file again for the export, then scan the pages
    if (reopen_for_export(doc, ExportMode::Stg)) close_hypertext_file(doc);
    close_hypertext(doc);
    return 0;
}

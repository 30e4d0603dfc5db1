// Writes synthetic seed files for the fuzz targets with the test fixture's builders:
//   seedgen open DIR   HYP files (raw, LH5, scrambled, images, every header kind, damaged ones)
//   seedgen ref DIR    REF files (every entry kind, several modules, damaged ones)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "fixture/ref_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using fixture::HypBuilder;
using fixture::LinkKind;

int written = 0;

void save(const std::string& dir, const std::string& name, const Bytes& bytes) {
    if (fixture::write_file(dir + "/" + name, bytes)) ++written;
}

Bytes rich_page() {
    fixture::PageBuilder p;
    p.title("Rich").text("Text ").link(LinkKind::Link, 1, "Second").attributes(1).text("bold");
    p.attributes(0).end_line();
    p.link(LinkKind::LinkLine, 1, "line", 2).link(LinkKind::Alink, 0, "").end_line();
    p.xref(1, "See").tree(0, 1, 2, 3).data_block(2, {1, 2, 3, 4});
    p.picture(3, 0, 2, true).draw_line(2, 2, 10, 1, 3, fixture::arrow::kBoth);
    p.box(1, 2, 20, 2, 4).rbox(3, 2, 5, 1, 8).literal_esc().end_line();
    return p.bytes();
}

HypBuilder sample(bool scrambled, fixture::Storage storage) {
    HypBuilder b;
    b.ext_text(fixture::ext::kDatabase, "Seed").ext_text(fixture::ext::kDefault, "Second");
    b.ext_text(fixture::ext::kHostname, "host").ext_text(fixture::ext::kOptions, "-i -s");
    b.ext_text(fixture::ext::kAuthor, "A").ext_text(fixture::ext::kVersion, "1.0");
    b.ext_text(fixture::ext::kHelp, "Help").ext_text(fixture::ext::kSubject, "S");
    b.ext(fixture::ext::kHyptree, {1, 2, 3, 4}).ext_word(fixture::ext::kWidth, 72);
    b.ext(30, Bytes(8, 0)).end_record(171, {0, 0});
    b.scrambled(scrambled);
    b.node("Main", rich_page(), storage);
    b.node("Second", fixture::text_page({"second page", "", "end"}), storage);
    b.popup("Pop", fixture::text_page({"popup"}), storage);
    Bytes image;
    std::string error;
    fixture::make_image_object(20, 4, 2, Bytes(80, 2), image, error);
    b.image(image, std::nullopt, storage);
    b.node("Index", fixture::text_page({"index"}), storage);
    b.reference(fixture::type::kExternal, "other.hyp/Main");
    b.reference(fixture::type::kSystem, "ls");
    b.reference(fixture::type::kRexxCommand, "rx");
    b.reference(255, "");
    return b;
}

void open_seeds(const std::string& dir) {
    save(dir, "raw.hyp", sample(false, fixture::Storage::Raw).build());
    save(dir, "lh5.hyp", sample(false, fixture::Storage::Lh5).build());
    save(dir, "scrambled.hyp", sample(true, fixture::Storage::Lh5).build());
    save(dir, "os3.hyp", HypBuilder(sample(false, fixture::Storage::Lh5)).os(3).build());
    HypBuilder small;
    small.node("Only", fixture::text_page({"x"}));
    save(dir, "small.hyp", small.build());

    fixture::HypLayout layout;
    const Bytes good = sample(false, fixture::Storage::Lh5).build(&layout);
    Bytes bad = good;
    fixture::put_be32(bad, layout.record_field(2, fixture::rec::kSeekOffset), 20);
    save(dir, "decreasing.hyp", bad);
    bad = good;
    fixture::put_be16(bad, layout.record_field(3, fixture::rec::kNext), 0x00FF);
    save(dir, "bigimage.hyp", bad);
    bad = good;
    fixture::put_u8(bad, layout.record_field(1, fixture::rec::kEntryLength), 200);
    save(dir, "longrecord.hyp", bad);
    save(dir, "cut.hyp", fixture::truncated(good, good.size() / 2));
}

void ref_seeds(const std::string& dir) {
    fixture::RefBuilder r;
    r.module().file_name("guide.hyp").database("Seed").compiled_on(2).node("Start");
    r.alias("intro").label("x", 3).node("Main").label("here", 0).entry(9, {'?', 0});
    r.module().file_name("other.hyp").node("Far").alias("INTRO");
    save(dir, "full.ref", r.build());
    save(dir, "empty.ref", fixture::RefBuilder().build());
    fixture::RefBuilder broken;
    broken.module().node("Start").alias("intro").entry_count_field(1000);
    broken.module().node("B").entry(2, {'n', 'o', 'n', 'u', 'l'}).entry(3, {}, 1);
    save(dir, "broken.ref", broken.build());
    fixture::RefBuilder longer;
    longer.module().node("Start").label("intro", 9).module_length_field(100000).terminator(false);
    save(dir, "longer.ref", longer.build());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "open") != 0 && std::strcmp(argv[1], "ref") != 0)) {
        std::fprintf(stderr, "usage: seedgen open|ref DIR\n");
        return 2;
    }
    if (std::strcmp(argv[1], "open") == 0) {
        open_seeds(argv[2]);
    } else {
        ref_seeds(argv[2]);
    }
    std::printf("%d seed files written to %s\n", written, argv[2]);
    return written > 0 ? 0 : 1;
}

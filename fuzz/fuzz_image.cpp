// Fuzzes image decoding and BMP writing: any object bytes must decode without reading outside
// them, and the file written row by row from the object must equal the one made from the
// decoded bitmap.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/bmp_file.h"
#include "fuzz/work_directory.h"
#include "render/image.h"

namespace {

// The export file beside which the BMP files land.
const std::string& export_path() {
    static const std::string path = fuzz_work_directory("image") + "out.stg";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DecodedImage image = decode_image_data(data, size);
    if (image_has_pixels(image)) {
        const uint32_t height = static_cast<uint32_t>(-image.height);
        if (image.pixels.size() != static_cast<size_t>(image.stride()) * height) std::abort();
        if (image.palette.size() != (1u << image.bit_count)) std::abort();
        if (image.palette.back() != 0) std::abort();  // the last colour is black
    }
    const std::vector<uint8_t> from_bitmap = bmp_file_bytes(image);

    static HypDocument doc;
    close_hypertext(doc);
    doc.index.resize(1);
    doc.index[0].type = ENTRY_IMAGE;
    doc.index[0].page_data.assign(data, data + size);
    doc.index[0].page_data.push_back(0);
    doc.index[0].stored_length = static_cast<uint32_t>(size);
    const std::string file = image_file_name(export_path(), 0);
    std::remove(file.c_str());
    const bool written = write_image_file(doc, 0, export_path());
    if (written != !from_bitmap.empty()) std::abort();
    if (written) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> from_object((std::istreambuf_iterator<char>(in)),
                                               std::istreambuf_iterator<char>());
        if (from_object != from_bitmap) std::abort();
    }
    if (!doc.index[0].page_data.empty()) std::abort();  // the object is released
    return 0;
}

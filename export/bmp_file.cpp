// BMP picture files of image entries: from the decoded bitmap, or row by row from the object.
#include "export/bmp_file.h"

#include <cerrno>
#include <cstdio>

#include "export/export_output.h"
#include "hyp/page_loader.h"
#include "hyp/paths.h"
#include "render/image.h"

namespace {

void put_le16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put_le32(std::vector<uint8_t>& out, uint32_t value) {
    put_le16(out, value & 0xFFFFu);
    put_le16(out, value >> 16);
}

// File header, information header (bottom-up rows) and palette of a BMP file for an image of
// `planes` planes; the caller appends height rows of bmp_row_stride bytes.
std::vector<uint8_t> bmp_head(uint32_t width, uint32_t height, unsigned planes) {
    const unsigned bits = bmp_bit_count(planes);
    const uint32_t colours = 1u << bits;
    const uint32_t stride = static_cast<uint32_t>(image_row_stride(bits, width));
    const uint32_t pixel_offset = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + 4 * colours;
    std::vector<uint8_t> out;
    out.reserve(pixel_offset + static_cast<size_t>(stride) * height);
    out.push_back('B');
    out.push_back('M');
    put_le32(out, pixel_offset + stride * height);
    put_le16(out, 0);
    put_le16(out, 0);
    put_le32(out, pixel_offset);
    put_le32(out, BMP_INFO_HEADER_SIZE);
    put_le32(out, width);
    put_le32(out, height);  // positive: rows run bottom-up
    put_le16(out, 1);
    put_le16(out, bits);
    for (int field = 0; field < 6; ++field) put_le32(out, 0);  // compression ... important colours
    const uint32_t image_colours = 1u << planes;
    for (uint32_t i = 0; i < colours; ++i) {
        // The image's own colours first; a widened picture fills the rest with the standard
        // palette, which no pixel uses.
        const uint32_t colour = i < image_colours ? image_palette_colour(planes, i)
                                                  : image_palette_colour(MAX_IMAGE_PLANES, i);
        out.push_back(static_cast<uint8_t>(colour >> 16));  // blue
        out.push_back(static_cast<uint8_t>(colour >> 8));   // green
        out.push_back(static_cast<uint8_t>(colour));        // red
        out.push_back(0);
    }
    return out;
}

// The BMP file of an image object, decoding one row at a time without a decoded bitmap.
std::vector<uint8_t> bmp_bytes_from_object(const uint8_t* data, size_t length) {
    const ImageGeometry g = read_image_geometry(data, length);
    if (!image_has_pixel_rows(g, length) || g.width == 0 || g.height == 0) return {};
    const unsigned bits = bmp_bit_count(g.planes);
    const size_t stride = static_cast<size_t>(image_row_stride(bits, g.width));
    std::vector<uint8_t> out = bmp_head(g.width, g.height, g.planes);
    std::vector<uint8_t> values(image_row_values_size(g.width));
    for (uint32_t y = g.height; y-- > 0;) {
        const size_t at = out.size();
        out.resize(at + stride, 0);
        if (gather_image_row(data, length, g, y, values.data())) {
            pack_image_row(values.data(), g.width, bits, out.data() + at);
        }
    }
    return out;
}

// 0 when the file was written whole, else the C library's error number (EIO when it gave none).
int write_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    errno = 0;
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) return errno != 0 ? errno : EIO;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int error = written ? 0 : (errno != 0 ? errno : EIO);
    errno = 0;
    if (std::fclose(f) != 0 && error == 0) error = errno != 0 ? errno : EIO;
    return error;
}

}  // namespace

unsigned bmp_bit_count(unsigned planes) {
    return planes <= 1 ? 1u : 4u;
}

std::vector<uint8_t> bmp_file_bytes(const DecodedImage& image) {
    const uint32_t planes = image.bit_count;
    if (!image_has_pixels(image) || planes < 1 || planes > MAX_IMAGE_PLANES) return {};
    // Decoded images come from 16-bit fields; anything larger was not made by decode_image_data.
    if (image.width <= 0 || image.width > 0xFFFF || image.height == 0 || image.height < -0xFFFF ||
        image.height > 0xFFFF) {
        return {};
    }
    const uint32_t width = static_cast<uint32_t>(image.width);
    // A decoded image runs top-down (negative height); the file is written bottom-up.
    const uint32_t height =
        static_cast<uint32_t>(image.height < 0 ? -static_cast<int64_t>(image.height)
                                               : static_cast<int64_t>(image.height));
    const size_t source_stride = image.stride();
    if (image.pixels.size() < source_stride * height) return {};

    const unsigned bits = bmp_bit_count(planes);
    const size_t stride = static_cast<size_t>(image_row_stride(bits, width));
    std::vector<uint8_t> out = bmp_head(width, height, planes);
    std::vector<uint8_t> values(width);
    for (uint32_t y = height; y-- > 0;) {
        const uint8_t* source = image.pixels.data() + source_stride * y;
        const size_t at = out.size();
        if (bits == planes) {
            out.insert(out.end(), source, source + stride);
            continue;
        }
        out.resize(at + stride, 0);
        for (uint32_t x = 0; x < width; ++x)
            values[x] = static_cast<uint8_t>(decoded_pixel(image, x, y));
        pack_image_row(values.data(), width, bits, out.data() + at);
    }
    return out;
}

std::string picture_file_name(std::string_view base, unsigned index) {
    return std::string(base) + "_Index" + std::to_string(index) + ".bmp";
}

std::string image_file_name(const std::string& export_path, unsigned index) {
    return path_directory(export_path) + picture_file_name(path_base_name(export_path), index);
}

namespace {

// The BMP file's bytes of image entry `index`; empty when it is none or has no pixels.
std::vector<uint8_t> image_file_bytes(HypDocument& doc, unsigned index) {
    if (index >= doc.index.size()) return {};
    IndexEntry& entry = doc.index[index];
    if (entry.type != ENTRY_IMAGE) return {};
    std::vector<uint8_t> bytes;
    if (entry.bitmap) {
        bytes = bmp_file_bytes(*entry.bitmap);
    } else {
        if (entry.page_data.empty()) load_page(doc, index);
        bytes = bmp_bytes_from_object(entry.page_data.data(), page_length(entry));
        release_image_object(entry);
    }
    return bytes;
}

}  // namespace

bool write_image_file(HypDocument& doc, unsigned index, const std::string& export_path) {
    const std::vector<uint8_t> bytes = image_file_bytes(doc, index);
    return !bytes.empty() && write_file(image_file_name(export_path, index), bytes) == 0;
}

void write_image_file(HypDocument& doc, unsigned index, const std::string& export_path,
                      PictureFailures& failures) {
    const std::vector<uint8_t> bytes = image_file_bytes(doc, index);
    if (bytes.empty()) return;
    const std::string name = image_file_name(export_path, index);
    if (const int error = write_file(name, bytes); error != 0) failures.note(error, name);
}

void PictureFailures::note(int error_number, const std::string& file_name) {
    if (count_++ == 0) {
        first_error_ = error_number;
        first_file_ = file_name;
    }
}

Outcome PictureFailures::outcome() const {
    if (count_ == 0) return Outcome();
    Failure failure = write_failure(first_error_, first_file_);
    failure.message += count_ == 1 ? std::string("\n\nEine Bilddatei konnte nicht geschrieben werden.")
                                   : "\n\n" + std::to_string(count_) +
                                         " Bilddateien konnten nicht geschrieben werden.";
    return failure;
}

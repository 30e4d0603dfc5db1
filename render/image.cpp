// Image entries: Atari bit planes into device-independent bitmaps and BMP picture files.
#include "render/image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "hyp/page_loader.h"
#include "hyp/paths.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}

// The standard picture palette by pixel value, as 0x00BBGGRR.
constexpr uint32_t STANDARD_PALETTE[16] = {
    rgb(0xFF, 0xFF, 0xFF), rgb(0xFF, 0x00, 0x00), rgb(0x00, 0xFF, 0x00), rgb(0xFF, 0xFF, 0x00),
    rgb(0x00, 0x00, 0xFF), rgb(0xFF, 0x00, 0xFF), rgb(0x00, 0xFF, 0xFF), rgb(0xC0, 0xC0, 0xC0),
    rgb(0x80, 0x80, 0x80), rgb(0xC0, 0x00, 0x00), rgb(0x00, 0xC0, 0x00), rgb(0xC0, 0xC0, 0x00),
    rgb(0x00, 0x00, 0xC0), rgb(0xC0, 0x00, 0xC0), rgb(0x00, 0xC0, 0xC0), rgb(0x00, 0x00, 0x00),
};

// What the 8-byte header of an image object says; fields cut off read as 0.
struct ImageGeometry {
    uint32_t width = 0;
    uint32_t height = 0;
    unsigned planes = 0;
    uint64_t plane_row_bytes = 0;  // rows of one plane are padded to 16-bit words
};

ImageGeometry read_geometry(const uint8_t* data, size_t length) {
    uint8_t head[IMAGE_HEADER_SIZE] = {};
    if (data != nullptr) std::memcpy(head, data, length < sizeof head ? length : sizeof head);
    ImageGeometry g;
    g.width = read_be16(head);
    g.height = read_be16(head + 2);
    g.planes = head[4];
    g.plane_row_bytes = 2u * ((static_cast<uint64_t>(g.width) + 15u) / 16u);
    return g;
}

// Bytes of one row of `bits`-bit pixels, padded to 32-bit words.
uint64_t row_stride(unsigned bits, uint32_t width) {
    return 4u * ((static_cast<uint64_t>(bits) * width + 31u) / 32u);
}

// True when an image of this geometry is decoded to pixels rather than kept as a header. The
// pixel area must also be backed by the object: a sound picture decodes to at most twice its
// plane data, so a header that claims far more than the object holds is damaged, and decoding
// it would only allocate and write zeros.
bool has_pixel_rows(const ImageGeometry& g, size_t length) {
    const uint64_t limit = std::min<uint64_t>(
        MAX_IMAGE_PIXEL_BYTES, IMAGE_SLACK_BYTES + 4u * static_cast<uint64_t>(length));
    return g.planes >= 1 && g.planes <= MAX_IMAGE_PLANES &&
           row_stride(g.planes, g.width) * g.height <= limit &&
           row_stride(4, g.width) * g.height <= limit;
}

// spread[b] holds the 8 bits of byte b as 8 bytes of 0 or 1, the most significant bit first (in
// memory order), so that one plane byte adds its bit to 8 pixel values at once.
struct BitSpread {
    uint64_t spread[256];
    BitSpread() {
        for (unsigned b = 0; b < 256; ++b) {
            uint8_t bytes[8];
            for (unsigned bit = 0; bit < 8; ++bit) bytes[bit] = (b >> (7 - bit)) & 1u;
            std::memcpy(&spread[b], bytes, 8);
        }
    }
};
const BitSpread BIT_SPREAD;

// Gathers the pixel values of row y from the planes into values[0 .. width); `values` has room
// for width rounded up to whole bytes of 8 pixels. Plane bytes beyond the data count as 0.
// Returns false when not even plane 0 has this row (all later rows are missing too, as the
// planes follow each other).
bool gather_row(const uint8_t* data, size_t length, const ImageGeometry& g, uint32_t y,
                uint8_t* values) {
    if (g.width == 0) return false;
    const uint32_t groups = (g.width + 7) / 8;  // plane bytes that hold pixels of the row
    std::memset(values, 0, static_cast<size_t>(groups) * 8);
    bool any = false;
    for (unsigned plane = 0; plane < g.planes; ++plane) {
        const uint64_t start =
            IMAGE_HEADER_SIZE + (static_cast<uint64_t>(plane) * g.height + y) * g.plane_row_bytes;
        if (start >= length) break;
        any = true;
        const uint64_t available = length - start;
        const uint32_t bytes = available < groups ? static_cast<uint32_t>(available) : groups;
        const uint8_t* row = data + start;
        for (uint32_t byte = 0; byte < bytes; ++byte) {
            if (row[byte] == 0) continue;
            uint64_t eight;
            std::memcpy(&eight, values + byte * 8u, 8);
            eight |= BIT_SPREAD.spread[row[byte]] << plane;
            std::memcpy(values + byte * 8u, &eight, 8);
        }
    }
    return any;
}

// Room for the pixel values of one row as gather_row fills it.
size_t row_values_size(uint32_t width) {
    return (static_cast<size_t>(width) + 7) / 8 * 8;
}

// Packs values[0 .. width) as `bits`-bit fields from the most significant bit on into `out`,
// which holds the zeroed row.
void pack_row(const uint8_t* values, uint32_t width, unsigned bits, uint8_t* out) {
    if (bits == 1) {
        for (uint32_t x = 0; x < width; ++x) {
            if (values[x] & 1u) out[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
        }
        return;
    }
    if (bits == 4) {
        for (uint32_t x = 0; x < width; ++x) {
            out[x / 2] |= static_cast<uint8_t>((values[x] & 0x0F) << ((x & 1) ? 0 : 4));
        }
        return;
    }
    uint64_t position = 0;  // bit position counted from the most significant bit of out[0]
    for (uint32_t x = 0; x < width; ++x) {
        for (unsigned j = bits; j-- > 0; ++position) {
            if ((values[x] >> j) & 1u) {
                out[position / 8] |= static_cast<uint8_t>(0x80u >> (position % 8));
            }
        }
    }
}

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
    const uint32_t stride = static_cast<uint32_t>(row_stride(bits, width));
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
        const uint32_t colour =
            i < image_colours ? image_palette_colour(planes, i) : STANDARD_PALETTE[i];
        out.push_back(static_cast<uint8_t>(colour >> 16));  // blue
        out.push_back(static_cast<uint8_t>(colour >> 8));   // green
        out.push_back(static_cast<uint8_t>(colour));        // red
        out.push_back(0);
    }
    return out;
}

// The BMP file of an image object, decoding one row at a time without a decoded bitmap.
std::vector<uint8_t> bmp_bytes_from_object(const uint8_t* data, size_t length) {
    const ImageGeometry g = read_geometry(data, length);
    if (!has_pixel_rows(g, length) || g.width == 0 || g.height == 0) return {};
    const unsigned bits = bmp_bit_count(g.planes);
    const size_t stride = static_cast<size_t>(row_stride(bits, g.width));
    std::vector<uint8_t> out = bmp_head(g.width, g.height, g.planes);
    std::vector<uint8_t> values(row_values_size(g.width));
    for (uint32_t y = g.height; y-- > 0;) {
        const size_t at = out.size();
        out.resize(at + stride, 0);
        if (gather_row(data, length, g, y, values.data())) {
            pack_row(values.data(), g.width, bits, out.data() + at);
        }
    }
    return out;
}

bool write_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

void release_object(IndexEntry& entry) {
    std::vector<uint8_t>().swap(entry.page_data);
}

}  // namespace

uint32_t image_palette_colour(unsigned planes, unsigned value) {
    if (planes < 1 || planes > MAX_IMAGE_PLANES) return STANDARD_PALETTE[15];
    const unsigned last = (1u << planes) - 1;
    if (value >= last) return STANDARD_PALETTE[15];
    return STANDARD_PALETTE[value];
}

DecodedImage decode_image_data(const uint8_t* data, size_t length) {
    const ImageGeometry g = read_geometry(data, length);
    DecodedImage image;
    image.width = static_cast<int32_t>(g.width);
    image.height = -static_cast<int32_t>(g.height);
    image.bit_count = static_cast<uint16_t>(g.planes);
    if (!has_pixel_rows(g, length)) return image;

    const unsigned colours = 1u << g.planes;
    image.palette.resize(colours);
    for (unsigned i = 0; i < colours; ++i) image.palette[i] = image_palette_colour(g.planes, i);
    const size_t stride = image.stride();
    image.pixels.assign(stride * g.height, 0);
    std::vector<uint8_t> values(row_values_size(g.width));
    for (uint32_t y = 0; y < g.height; ++y) {
        if (!gather_row(data, length, g, y, values.data())) break;
        pack_row(values.data(), g.width, g.planes, image.pixels.data() + stride * y);
    }
    return image;
}

unsigned decoded_pixel(const DecodedImage& image, uint32_t x, uint32_t y) {
    const unsigned bits = image.bit_count;
    if (!image_has_pixels(image) || bits < 1 || bits > 8) return 0;
    if (x >= static_cast<uint32_t>(image.width)) return 0;
    const uint64_t row = static_cast<uint64_t>(y) * image.stride();
    if (row + image.stride() > image.pixels.size()) return 0;
    const uint8_t* p = image.pixels.data() + row;
    unsigned value = 0;
    uint64_t position = static_cast<uint64_t>(bits) * x;
    for (unsigned j = 0; j < bits; ++j, ++position) {
        value = (value << 1) | ((p[position / 8] >> (7 - position % 8)) & 1u);
    }
    return value;
}

const DecodedImage* decode_image(HypDocument& doc, unsigned index) {
    if (index >= doc.index.size()) return nullptr;
    IndexEntry& entry = doc.index[index];
    if (entry.type != ENTRY_IMAGE) {
        entry.bitmap = std::make_unique<DecodedImage>();
        return entry.bitmap.get();
    }
    if (entry.page_data.empty()) load_page(doc, index);
    entry.bitmap = std::make_unique<DecodedImage>(
        decode_image_data(entry.page_data.data(), page_length(entry)));
    release_object(entry);
    return entry.bitmap.get();
}

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
    const size_t stride = static_cast<size_t>(row_stride(bits, width));
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
        pack_row(values.data(), width, bits, out.data() + at);
    }
    return out;
}

std::string image_file_name(const std::string& export_path, unsigned index) {
    return path_directory(export_path) + path_base_name(export_path) + "_Index" +
           std::to_string(index) + ".bmp";
}

bool write_image_file(HypDocument& doc, unsigned index, const std::string& export_path) {
    if (index >= doc.index.size()) return false;
    IndexEntry& entry = doc.index[index];
    if (entry.type != ENTRY_IMAGE) return false;
    std::vector<uint8_t> bytes;
    if (entry.bitmap) {
        bytes = bmp_file_bytes(*entry.bitmap);
    } else {
        if (entry.page_data.empty()) load_page(doc, index);
        bytes = bmp_bytes_from_object(entry.page_data.data(), page_length(entry));
        release_object(entry);
    }
    if (bytes.empty()) return false;
    return write_file(image_file_name(export_path, index), bytes);
}

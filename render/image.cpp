// Image entries: Atari bit planes into device-independent bitmaps.
#include "render/image.h"

#include <algorithm>
#include <cstring>

#include "hyp/page_loader.h"

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

}  // namespace

ImageGeometry read_image_geometry(const uint8_t* data, size_t length) {
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
uint64_t image_row_stride(unsigned bits, uint32_t width) {
    return 4u * ((static_cast<uint64_t>(bits) * width + 31u) / 32u);
}

// True when an image of this geometry is decoded to pixels rather than kept as a header. The
// pixel area must also be backed by the object: a sound picture decodes to at most twice its
// plane data, so a header that claims far more than the object holds is damaged, and decoding
// it would only allocate and write zeros.
bool image_has_pixel_rows(const ImageGeometry& g, size_t length) {
    const uint64_t limit = std::min<uint64_t>(
        MAX_IMAGE_PIXEL_BYTES, IMAGE_SLACK_BYTES + 4u * static_cast<uint64_t>(length));
    return g.planes >= 1 && g.planes <= MAX_IMAGE_PLANES &&
           image_row_stride(g.planes, g.width) * g.height <= limit &&
           image_row_stride(4, g.width) * g.height <= limit;
}

// Gathers the pixel values of row y from the planes into values[0 .. width); `values` has room
// for width rounded up to whole bytes of 8 pixels. Plane bytes beyond the data count as 0.
// Returns false when not even plane 0 has this row (all later rows are missing too, as the
// planes follow each other).
bool gather_image_row(const uint8_t* data, size_t length, const ImageGeometry& g, uint32_t y,
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

// Room for the pixel values of one row as gather_image_row fills it.
size_t image_row_values_size(uint32_t width) {
    return (static_cast<size_t>(width) + 7) / 8 * 8;
}

// Packs values[0 .. width) as `bits`-bit fields from the most significant bit on into `out`,
// which holds the zeroed row.
void pack_image_row(const uint8_t* values, uint32_t width, unsigned bits, uint8_t* out) {
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

void release_image_object(IndexEntry& entry) {
    std::vector<uint8_t>().swap(entry.page_data);
}

uint32_t image_palette_colour(unsigned planes, unsigned value) {
    if (planes < 1 || planes > MAX_IMAGE_PLANES) return STANDARD_PALETTE[15];
    const unsigned last = (1u << planes) - 1;
    if (value >= last) return STANDARD_PALETTE[15];
    return STANDARD_PALETTE[value];
}

DecodedImage decode_image_data(const uint8_t* data, size_t length) {
    const ImageGeometry g = read_image_geometry(data, length);
    DecodedImage image;
    image.width = static_cast<int32_t>(g.width);
    image.height = -static_cast<int32_t>(g.height);
    image.bit_count = static_cast<uint16_t>(g.planes);
    if (!image_has_pixel_rows(g, length)) return image;

    const unsigned colours = 1u << g.planes;
    image.palette.resize(colours);
    for (unsigned i = 0; i < colours; ++i) image.palette[i] = image_palette_colour(g.planes, i);
    const size_t stride = image.stride();
    image.pixels.assign(stride * g.height, 0);
    std::vector<uint8_t> values(image_row_values_size(g.width));
    for (uint32_t y = 0; y < g.height; ++y) {
        if (!gather_image_row(data, length, g, y, values.data())) break;
        pack_image_row(values.data(), g.width, g.planes, image.pixels.data() + stride * y);
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
    release_image_object(entry);
    return entry.bitmap.get();
}

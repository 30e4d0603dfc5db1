// Pictures of image entries: bit planes into a device-independent bitmap, row by row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hyp/document.h"
#include "hyp/page_records.h"

// The image object starts with width, height (big-endian), the plane count and three unread
// bytes; the planes follow.
constexpr size_t IMAGE_HEADER_SIZE = 8;

// Images of 1 to this many planes are decoded; deeper ones keep only their header and are shown
// as a placeholder.
constexpr unsigned MAX_IMAGE_PLANES = 4;

// Largest pixel area of a decoded image (and of a BMP file's rows). A real picture decodes to
// about the size of its plane data, at most twice it; a damaged header that claims more than
// MAX_IMAGE_PIXEL_BYTES, or more than four times the object's length plus IMAGE_SLACK_BYTES,
// keeps only its header, so that it can neither make the viewer allocate gigabytes nor be
// written as a file.
constexpr uint64_t MAX_IMAGE_PIXEL_BYTES = 16u * 1024u * 1024u;
constexpr uint64_t IMAGE_SLACK_BYTES = 64u * 1024u;

// Colour of pixel `value` in an image of `planes` planes (1 to 4), as 0x00BBGGRR: the standard
// 16-colour picture palette with entry 2^planes - 1 replaced by black.
uint32_t image_palette_colour(unsigned planes, unsigned value);

// True when the decoded image carries a palette and pixel rows (1 to 4 planes, size within
// MAX_IMAGE_PIXEL_BYTES); otherwise only its header is valid.
inline bool image_has_pixels(const DecodedImage& image) {
    return !image.palette.empty();
}

// Decodes the bytes of an image object. Data shorter than its header claims reads as zero bits
// (white) where it is missing; a header cut short reads its missing fields as 0.
DecodedImage decode_image_data(const uint8_t* data, size_t length);

// Pixel value (x, y) of a decoded image with pixels; 0 outside it.
unsigned decoded_pixel(const DecodedImage& image, uint32_t x, uint32_t y);

// Builds the decoded image of entry `index` from its object (loaded first if needed), stores it
// as the entry's `bitmap` and releases the object's data. Entries that are not ENTRY_IMAGE (a
// damaged picture code can name any entry) get an empty header-only bitmap and their data is left
// alone: a page may name itself while it is being walked. Returns the entry's bitmap, or nullptr
// when `index` is out of range.
const DecodedImage* decode_image(HypDocument& doc, unsigned index);
inline const DecodedImage* decode_image(unsigned index) {
    return decode_image(document, index);
}

// --- rows of an image object, for writers that convert a picture without decoding it whole ---

// What the 8-byte header of an image object says; fields cut off read as 0.
struct ImageGeometry {
    uint32_t width = 0;
    uint32_t height = 0;
    unsigned planes = 0;
    uint64_t plane_row_bytes = 0;  // rows of one plane are padded to 16-bit words
};

// The geometry the object's header states (`data` may be null or shorter than the header).
ImageGeometry read_image_geometry(const uint8_t* data, size_t length);

// Bytes of one row of `bits`-bit pixels, padded to 32-bit words.
uint64_t image_row_stride(unsigned bits, uint32_t width);

// True when an object of `length` bytes with this geometry decodes to pixels (see
// MAX_IMAGE_PIXEL_BYTES); otherwise only its header is used.
bool image_has_pixel_rows(const ImageGeometry& g, size_t length);

// Room, in bytes, for the pixel values of one row as gather_image_row fills it.
size_t image_row_values_size(uint32_t width);

// Pixel values of row y into values[0 .. width) (room: image_row_values_size); false when the
// object ends before the row.
bool gather_image_row(const uint8_t* data, size_t length, const ImageGeometry& g, uint32_t y,
                      uint8_t* values);

// Packs values[0 .. width) as `bits`-bit fields into the zeroed row `out`.
void pack_image_row(const uint8_t* values, uint32_t width, unsigned bits, uint8_t* out);

// Frees the loaded object of an image entry once its picture is made.
void release_image_object(IndexEntry& entry);

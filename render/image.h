// Pictures of image entries: bit planes into a device-independent bitmap, and BMP picture files.
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

// Bytes of the file header and the information header of a BMP file.
constexpr uint32_t BMP_FILE_HEADER_SIZE = 14;
constexpr uint32_t BMP_INFO_HEADER_SIZE = 40;

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

// Bits per pixel of the BMP file of an image of `planes` planes: 1 for one plane, else 4. BMP
// readers know 1, 4, 8, 24 and 32 bits only, so 2- and 3-plane pictures are widened to 4 bits
// with the same colours.
unsigned bmp_bit_count(unsigned planes);

// The complete BMP file of a decoded image (bottom-up rows); empty when it has no pixels or a
// width or height of 0.
std::vector<uint8_t> bmp_file_bytes(const DecodedImage& image);

// "%s%s_Index%d.bmp": directory and base name of the export's file, then the entry index.
std::string image_file_name(const std::string& export_path, unsigned index);

// Writes the BMP file of image entry `index` beside `export_path` (image_file_name). Uses the
// entry's decoded bitmap when it has one; otherwise decodes the rows one at a time from the
// object (loaded if needed) and releases the object afterwards. Images without pixels (more than
// four planes, a damaged size) and files that cannot be created are skipped; returns whether a
// file was written.
bool write_image_file(HypDocument& doc, unsigned index, const std::string& export_path);

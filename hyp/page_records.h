// Records the page walk keeps on a page's index entry: link areas, cross references, pictures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One link as last drawn or measured, used for hit-testing, keyboard selection and inversion.
struct LinkArea {
    uint16_t target = 0;       // entry index of the link's target
    int16_t line = 0;          // display line of the link
    uint16_t target_line = 0;  // line of the target to show, 0 for none
    int32_t width = 0;         // pixels from the pen position before the link text to after it
    int32_t x = 0;             // pixel position of the text's left edge, without horizontal scroll
    // Unscaled pixel heights of the line-reserving pictures met on the page before this link,
    // kept so that the area can be rescaled when the line height changes.
    std::vector<int32_t> images_above;
};

// One "@xref" of a page, listed by the viewer as "Siehe auch".
struct XrefEntry {
    uint16_t target = 0;               // entry index
    std::optional<std::string> title;  // none when the stored title equals the target's name
};

// A decoded image entry: a device-independent bitmap with top-down rows. The header fields are
// those of a 40-byte bitmap information header; images of more than 4 planes keep only the
// header (empty palette and pixels) and are drawn as a placeholder.
struct DecodedImage {
    uint32_t header_size = 40;
    int32_t width = 0;         // pixels
    int32_t height = 0;        // -height: rows run top-down
    uint16_t planes = 1;       // always 1 (the bitmap's plane count, not the Atari planes)
    uint16_t bit_count = 0;    // bits per pixel = number of Atari bit planes (1 to 4)
    uint32_t compression = 0;  // none
    uint32_t image_size = 0;
    int32_t x_pels_per_meter = 0;
    int32_t y_pels_per_meter = 0;
    uint32_t colours_used = 0;
    uint32_t colours_important = 0;
    // 2^bit_count colours as 0x00BBGGRR values (the platform's colour order; a bitmap file
    // stores them as blue, green, red, 0 bytes).
    std::vector<uint32_t> palette;
    // The pixel rows, top row first, each stride() bytes; pixels packed bit_count bits each
    // from the most significant bit on.
    std::vector<uint8_t> pixels;

    // Bytes per pixel row: rows are padded to 32-bit words.
    uint32_t stride() const {
        return 4u * ((static_cast<uint32_t>(bit_count) * static_cast<uint32_t>(width) + 31u) / 32u);
    }
};

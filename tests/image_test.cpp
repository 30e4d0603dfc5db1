// Image entries: decoding 1 to 4 bit planes, header-only deep images, and the BMP files, which
// ordinary image readers (ImageMagick) must open with the decoded pixels and colours.
#include "render/image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "export/bmp_file.h"
#include "fixture/page_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
const uint32_t WHITE = rgb(255, 255, 255), BLACK = 0, RED = rgb(255, 0, 0), GREEN = rgb(0, 255, 0),
               YELLOW = rgb(255, 255, 0), BLUE = rgb(0, 0, 255), MAGENTA = rgb(255, 0, 255),
               CYAN = rgb(0, 255, 255);
// The 16-colour picture palette of the format, by pixel value.
// clang-format off
const std::vector<uint32_t> PALETTE16 = {
    WHITE,                 RED,             GREEN,           YELLOW,
    BLUE,                  MAGENTA,         CYAN,            rgb(0xC0, 0xC0, 0xC0),
    rgb(0x80, 0x80, 0x80), rgb(0xC0, 0, 0), rgb(0, 0xC0, 0), rgb(0xC0, 0xC0, 0),
    rgb(0, 0, 0xC0),       rgb(0xC0, 0, 0xC0), rgb(0, 0xC0, 0xC0), BLACK};
// clang-format on

// A deterministic pixel pattern below 2^planes, different in every row and column.
std::vector<uint8_t> pattern(uint32_t width, uint32_t height, unsigned planes) {
    std::vector<uint8_t> pixels(width * height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            pixels[y * width + x] = static_cast<uint8_t>((x * 7 + y * 3 + x * y) % (1u << planes));
        }
    }
    return pixels;
}

Bytes image_object(uint16_t width, uint16_t height, uint8_t planes,
                   const std::vector<uint8_t>& pixels) {
    Bytes object;
    std::string error;
    EXPECT_TRUE(fixture::make_image_object(width, height, planes, pixels, object, error)) << error;
    return object;
}

// The n-bit field of pixel x in a packed row, read independently of the decoder.
unsigned packed_field(const uint8_t* row, unsigned bits, uint32_t x) {
    unsigned value = 0;
    for (unsigned j = 0; j < bits; ++j) {
        const uint32_t bit = bits * x + j;
        value = (value << 1) | ((row[bit / 8] >> (7 - bit % 8)) & 1u);
    }
    return value;
}

std::string temp_dir() {
    static std::string dir;
    if (dir.empty()) {
        char pattern_name[] = "/tmp/vellumar-image-XXXXXX";
        dir = mkdtemp(pattern_name);
        dir += "/";
    }
    return dir;
}

Bytes read_file(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t le16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// A document with one image entry (index 1) whose object is loaded already, beside a page.
void make_document(HypDocument& doc, const Bytes& object) {
    close_hypertext(doc);
    doc.index.resize(2);
    doc.index[0].type = ENTRY_NODE;
    doc.index[0].name = "Main";
    doc.index[1].type = ENTRY_IMAGE;
    doc.index[1].name = "bild.img";
    doc.index[1].page_data = object;
    doc.index[1].page_data.push_back(0);
    doc.index[1].stored_length = static_cast<uint32_t>(object.size());
}

bool have_program(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// Pixel colours of an image file as ImageMagick reads them: (x, y) -> 0x00BBGGRR.
std::map<std::pair<uint32_t, uint32_t>, uint32_t> magick_pixels(const std::string& file) {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> pixels;
    const std::string text = run("convert '" + file + "' -depth 8 -type TrueColor txt:- 2>&1");
    static const std::regex line(R"((\d+),(\d+):[^#\n]*#([0-9A-Fa-f]{6}))");
    for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
        const uint32_t hex = static_cast<uint32_t>(std::stoul((*it)[3].str(), nullptr, 16));
        pixels[{static_cast<uint32_t>(std::stoul((*it)[1].str())),
                static_cast<uint32_t>(std::stoul((*it)[2].str()))}] =
            rgb(hex >> 16, (hex >> 8) & 0xFF, hex & 0xFF);
    }
    return pixels;
}

TEST(DecodeImage, PlanesGiveTheSpecifiedPixelsAndHeader) {
    struct Case {
        uint16_t width, height;
        uint8_t planes;
    };
    // Widths cross the 16-pixel plane words and the 32-bit row padding of the bitmap.
    const Case cases[] = {{1, 1, 1},  {17, 3, 1}, {33, 2, 1}, {5, 4, 2},  {16, 2, 2}, {31, 3, 3},
                          {11, 5, 3}, {40, 2, 3}, {7, 3, 4},  {32, 2, 4}, {65, 3, 4}};
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + "x" +
                                 std::to_string(c.planes);
        const std::vector<uint8_t> pixels = pattern(c.width, c.height, c.planes);
        const Bytes object = image_object(c.width, c.height, c.planes, pixels);
        const DecodedImage image = decode_image_data(object.data(), object.size());
        EXPECT_EQ(image.header_size, 40u) << name;
        EXPECT_EQ(image.width, c.width) << name;
        EXPECT_EQ(image.height, -static_cast<int32_t>(c.height)) << name;
        EXPECT_EQ(image.planes, 1u) << name;
        EXPECT_EQ(image.bit_count, c.planes) << name;
        EXPECT_EQ(image.compression, 0u) << name;
        ASSERT_EQ(image.palette.size(), 1u << c.planes) << name;
        const uint32_t stride = 4 * ((c.planes * c.width + 31) / 32);
        ASSERT_EQ(image.pixels.size(), stride * c.height) << name;
        for (uint32_t y = 0; y < c.height; ++y) {
            for (uint32_t x = 0; x < c.width; ++x) {
                ASSERT_EQ(packed_field(image.pixels.data() + y * stride, c.planes, x),
                          pixels[y * c.width + x])
                    << name << " at " << x << "," << y;
                ASSERT_EQ(decoded_pixel(image, x, y), pixels[y * c.width + x]) << name;
            }
        }
    }
}

TEST(DecodeImage, PaletteEndsInBlack) {
    struct Case {
        uint8_t planes;
        std::vector<uint32_t> colours;
    };
    const Case cases[] = {
        {1, {WHITE, BLACK}},
        {2, {WHITE, RED, GREEN, BLACK}},
        {3, {WHITE, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, BLACK}},
        {4, PALETTE16},
    };
    for (const Case& c : cases) {
        const Bytes object = image_object(2, 1, c.planes, {0, 1});
        const DecodedImage image = decode_image_data(object.data(), object.size());
        EXPECT_EQ(image.palette, c.colours) << int(c.planes) << " planes";
    }
}

TEST(DecodeImage, DeepOrEmptyImagesKeepOnlyTheHeader) {
    struct Case {
        const char* name;
        Bytes object;
        int32_t width, height;
        uint16_t bit_count;
    };
    const Case cases[] = {
        {"5 planes", fixture::make_image_object_raw(8, 2, 5, Bytes(20, 0xFF)), 8, -2, 5},
        {"8 planes", fixture::make_image_object_raw(300, 200, 8, {}), 300, -200, 8},
        {"0 planes", fixture::make_image_object_raw(8, 2, 0, Bytes(4, 0xFF)), 8, -2, 0},
        {"header cut after the height", {0, 9, 0, 3}, 9, -3, 0},
        {"no data at all", {}, 0, 0, 0},
        // 65535 x 65535 at 4 bits would be 2 GiB of pixels: too large for any real picture.
        {"size beyond the limit", fixture::make_image_object_raw(0xFFFF, 0xFFFF, 4, {}), 0xFFFF,
         -0xFFFF, 4},
        // 2000 x 2000 at 4 bits needs 2 MB of planes; 100 bytes cannot be that picture.
        {"far more than the data holds", fixture::make_image_object_raw(2000, 2000, 4, Bytes(92)),
         2000, -2000, 4},
    };
    for (const Case& c : cases) {
        const DecodedImage image = decode_image_data(c.object.data(), c.object.size());
        EXPECT_EQ(image.width, c.width) << c.name;
        EXPECT_EQ(image.height, c.height) << c.name;
        EXPECT_EQ(image.bit_count, c.bit_count) << c.name;
        EXPECT_FALSE(image_has_pixels(image)) << c.name;
        EXPECT_TRUE(image.pixels.empty()) << c.name;
        EXPECT_TRUE(bmp_file_bytes(image).empty()) << c.name;
    }
}

TEST(DecodeImage, MissingPlaneDataReadsAsZeroBits) {
    const uint16_t width = 20, height = 4;
    const std::vector<uint8_t> pixels = pattern(width, height, 3);
    const Bytes object = image_object(width, height, 3, pixels);
    const size_t plane_bytes = 4u * height;  // 4 bytes per plane row
    // Every prefix decodes without reading past it; a pixel keeps exactly the bits of the planes
    // whose byte for it lies inside the prefix.
    for (size_t cut = 0; cut <= object.size(); ++cut) {
        const DecodedImage image = decode_image_data(object.data(), cut);
        if (cut < 5) continue;
        ASSERT_TRUE(image_has_pixels(image)) << cut;
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                unsigned expected = 0;
                for (unsigned plane = 0; plane < 3; ++plane) {
                    const size_t at = 8 + plane * plane_bytes + y * 4 + x / 8;
                    if (at < cut) expected |= pixels[y * width + x] & (1u << plane);
                }
                ASSERT_EQ(decoded_pixel(image, x, y), expected) << cut << " " << x << "," << y;
            }
        }
    }
}

TEST(DecodeImage, StoresTheBitmapAndReleasesTheObject) {
    HypDocument doc;
    const Bytes object = image_object(3, 2, 2, {0, 1, 2, 3, 2, 1});
    make_document(doc, object);
    doc.index[0].page_data = {'x', 0};

    const DecodedImage* image = decode_image(doc, 1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image, doc.index[1].bitmap.get());
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(decoded_pixel(*image, 2, 1), 1u);
    EXPECT_TRUE(doc.index[1].page_data.empty());

    // A picture code naming a page gives an empty bitmap and leaves the page's text alone.
    const DecodedImage* page_image = decode_image(doc, 0);
    ASSERT_NE(page_image, nullptr);
    EXPECT_FALSE(image_has_pixels(*page_image));
    EXPECT_EQ(page_image->width, 0);
    EXPECT_EQ(doc.index[0].page_data.size(), 2u);

    EXPECT_EQ(decode_image(doc, 2), nullptr);
}

TEST(ImageFile, NamesFollowTheExportFile) {
    struct Case {
        const char* export_path;
        unsigned index;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Ausgabe\\doku.stg", 12, "C:\\Ausgabe\\doku_Index12.bmp"},
        {"/tmp/x/a.b.html", 3, "/tmp/x/a.b_Index3.bmp"},
        {"ohne", 0, "ohne_Index0.bmp"},
        {"dir.x/datei", 40, "dir.x/datei_Index40.bmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(image_file_name(c.export_path, c.index), c.expected) << c.export_path;
    }
}

TEST(ImageFile, HeadersAndRowsAreWrittenBottomUp) {
    struct Case {
        uint16_t width, height;
        uint8_t planes;
        uint16_t file_bits;
    };
    const Case cases[] = {{17, 3, 1, 1}, {5, 4, 2, 4}, {31, 3, 3, 4}, {9, 2, 4, 4}};
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.planes) + " planes";
        const std::vector<uint8_t> pixels = pattern(c.width, c.height, c.planes);
        HypDocument doc;
        make_document(doc, image_object(c.width, c.height, c.planes, pixels));
        const std::string export_path = temp_dir() + "hdr" + std::to_string(c.planes) + ".stg";
        ASSERT_TRUE(write_image_file(doc, 1, export_path)) << name;
        EXPECT_TRUE(doc.index[1].page_data.empty()) << name << ": object released";
        const Bytes file = read_file(image_file_name(export_path, 1));
        const uint32_t colours = 1u << c.file_bits;
        const uint32_t stride = 4 * ((c.file_bits * c.width + 31) / 32);
        ASSERT_GE(file.size(), 54u) << name;
        EXPECT_EQ(file[0], 'B') << name;
        EXPECT_EQ(file[1], 'M') << name;
        EXPECT_EQ(le32(file, 2), file.size()) << name;
        EXPECT_EQ(le32(file, 2), 4 * colours + stride * c.height + 54) << name;
        EXPECT_EQ(le32(file, 6), 0u) << name;
        EXPECT_EQ(le32(file, 10), 4 * colours + 54) << name;
        EXPECT_EQ(le32(file, 14), 40u) << name;
        EXPECT_EQ(le32(file, 18), c.width) << name;
        EXPECT_EQ(le32(file, 22), c.height) << name << ": positive, bottom-up";
        EXPECT_EQ(le16(file, 26), 1u) << name;
        EXPECT_EQ(le16(file, 28), c.file_bits) << name;
        for (size_t at = 30; at < 54; ++at) EXPECT_EQ(file[at], 0) << name << " byte " << at;
        // The image's own colours come first, black at 2^planes - 1; a widened picture fills
        // the rest with the standard palette. Each as blue, green, red, 0.
        for (uint32_t i = 0; i < colours; ++i) {
            const uint32_t colour = i == (1u << c.planes) - 1 ? BLACK : PALETTE16[i];
            EXPECT_EQ(file[54 + 4 * i], (colour >> 16) & 0xFF) << name << " colour " << i;
            EXPECT_EQ(file[55 + 4 * i], (colour >> 8) & 0xFF) << name << " colour " << i;
            EXPECT_EQ(file[56 + 4 * i], colour & 0xFF) << name << " colour " << i;
            EXPECT_EQ(file[57 + 4 * i], 0) << name;
        }
        const size_t rows = 54 + 4 * colours;
        for (uint32_t y = 0; y < c.height; ++y) {
            const uint8_t* row = file.data() + rows + (c.height - 1 - y) * stride;
            for (uint32_t x = 0; x < c.width; ++x) {
                ASSERT_EQ(packed_field(row, c.file_bits, x), pixels[y * c.width + x])
                    << name << " at " << x << "," << y;
            }
        }
    }
}

TEST(ImageFile, DecodedBitmapAndObjectGiveTheSameFile) {
    for (uint8_t planes = 1; planes <= 4; ++planes) {
        const Bytes object = image_object(23, 5, planes, pattern(23, 5, planes));
        HypDocument doc;
        make_document(doc, object);
        const std::string from_object = temp_dir() + "a" + std::to_string(planes) + ".html";
        ASSERT_TRUE(write_image_file(doc, 1, from_object));
        make_document(doc, object);
        ASSERT_NE(decode_image(doc, 1), nullptr);
        const std::string from_bitmap = temp_dir() + "b" + std::to_string(planes) + ".html";
        ASSERT_TRUE(write_image_file(doc, 1, from_bitmap));
        // The decoded bitmap stays top-down after being written.
        EXPECT_EQ(doc.index[1].bitmap->height, -5);
        EXPECT_EQ(read_file(image_file_name(from_object, 1)),
                  read_file(image_file_name(from_bitmap, 1)))
            << int(planes) << " planes";
    }
}

TEST(ImageFile, ImagesWithoutPixelsAndUnwritableFilesAreSkipped) {
    struct Case {
        const char* name;
        Bytes object;
        std::string directory;
    };
    const Case cases[] = {
        {"5 planes", fixture::make_image_object_raw(8, 2, 5, Bytes(20, 0xFF)), temp_dir()},
        {"width 0", fixture::make_image_object_raw(0, 2, 1, {}), temp_dir()},
        {"height 0", fixture::make_image_object_raw(8, 0, 1, {}), temp_dir()},
        {"missing directory", image_object(2, 2, 1, {0, 1, 1, 0}), temp_dir() + "fehlt/nicht/da/"},
    };
    for (const Case& c : cases) {
        HypDocument doc;
        make_document(doc, c.object);
        const std::string export_path = c.directory + "skip.stg";
        EXPECT_FALSE(write_image_file(doc, 1, export_path)) << c.name;
        struct stat st;
        EXPECT_NE(stat(image_file_name(export_path, 1).c_str(), &st), 0) << c.name;
    }
    HypDocument doc;
    make_document(doc, image_object(2, 2, 1, {0, 1, 1, 0}));
    EXPECT_FALSE(write_image_file(doc, 0, temp_dir() + "page.stg")) << "a page is no image";
    EXPECT_FALSE(write_image_file(doc, 7, temp_dir() + "page.stg")) << "index out of range";
}

TEST(ImageFile, ImageMagickReadsEveryDepthWithTheDecodedColours) {
    if (!have_program("convert") || !have_program("identify")) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    struct Case {
        uint16_t width, height;
        uint8_t planes;
    };
    const Case cases[] = {{1, 1, 1},  {19, 6, 1}, {6, 5, 2}, {33, 3, 2},
                          {13, 4, 3}, {40, 3, 3}, {9, 7, 4}, {64, 2, 4}};
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + "x" +
                                 std::to_string(c.planes);
        const Bytes object =
            image_object(c.width, c.height, c.planes, pattern(c.width, c.height, c.planes));
        const DecodedImage image = decode_image_data(object.data(), object.size());
        HypDocument doc;
        make_document(doc, object);
        const std::string export_path = temp_dir() + "im" + name + ".stg";
        ASSERT_TRUE(write_image_file(doc, 1, export_path)) << name;
        const std::string file = image_file_name(export_path, 1);

        // BMP3: ImageMagick's name for the 40-byte header form.
        EXPECT_EQ(run("identify -format '%m %w %h' '" + file + "' 2>&1"),
                  "BMP3 " + std::to_string(c.width) + " " + std::to_string(c.height))
            << name;
        const auto pixels = magick_pixels(file);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(c.width) * c.height) << name;
        for (uint32_t y = 0; y < c.height; ++y) {
            for (uint32_t x = 0; x < c.width; ++x) {
                const uint32_t expected = image.palette[decoded_pixel(image, x, y)];
                ASSERT_EQ(pixels.at({x, y}), expected) << name << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace

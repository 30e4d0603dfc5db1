// Generates the Windows program's resource files: the resource script (menus and accelerators
// from the command list) and the images (from the pixel art in pictures.txt).
//
//   resgen PICTURES.txt OUTDIR
//
// writes OUTDIR/vellumar.rc and OUTDIR/images/*.{bmp,ico,cur}. The outputs are committed under
// resources/, so the Windows build needs no native step; tests/scripts/viewer_resources.sh
// regenerates them into a temporary folder and compares. Built with the same narrow character
// set as the program (Windows-1252), so the menu texts land in the script as windres reads them.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "resources/resource.h"

namespace {

// The 16 colours of the standard palette, in palette order, as 0xRRGGBB, with the letter that
// stands for each in the pixel art.
struct Colour {
    char letter;
    uint32_t rgb;
};
constexpr Colour kPalette[16] = {
    {'k', 0x000000}, {'R', 0x800000}, {'G', 0x008000}, {'o', 0x808000},
    {'B', 0x000080}, {'p', 0x800080}, {'t', 0x008080}, {'.', 0xC0C0C0},
    {'g', 0x808080}, {'r', 0xFF0000}, {'l', 0x00FF00}, {'y', 0xFFFF00},
    {'b', 0x0000FF}, {'m', 0xFF00FF}, {'c', 0x00FFFF}, {'w', 0xFFFFFF},
};
constexpr char kTransparent = '_';  // icons and cursors only

int palette_index(char letter) {
    for (int i = 0; i < 16; ++i) {
        if (kPalette[i].letter == letter) return i;
    }
    return -1;
}

struct Picture {
    std::string kind;  // "bitmap", "icon", "cursor", "pattern"
    int id = 0;
    int hot_x = 0, hot_y = 0;  // cursors
    std::string subject;
    std::vector<std::string> rows;
    std::vector<uint8_t> pattern_rows;  // patterns: 8 bytes
    int line = 0;                       // where it starts in the art file, for messages
};

class Bytes {
   public:
    void u8(unsigned v) { data.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void rgbquad(uint32_t rgb) {
        u8(rgb & 0xFF);
        u8((rgb >> 8) & 0xFF);
        u8((rgb >> 16) & 0xFF);
        u8(0);
    }
    std::vector<uint8_t> data;
};

bool fail(const std::string& message) {
    std::cerr << "resgen: " << message << "\n";
    return false;
}

bool parse_pictures(const std::string& path, std::vector<Picture>& pictures) {
    std::ifstream in(path);
    if (!in) return fail("cannot read " + path);
    std::string text;
    int line_number = 0;
    Picture* current = nullptr;
    while (std::getline(in, text)) {
        ++line_number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty() || text[0] == '#') {
            current = nullptr;
            continue;
        }
        std::istringstream words(text);
        std::string first;
        words >> first;
        if (first == "bitmap" || first == "icon" || first == "cursor" || first == "pattern") {
            pictures.emplace_back();
            current = &pictures.back();
            current->kind = first;
            current->line = line_number;
            words >> current->id;
            if (first == "cursor") words >> current->hot_x >> current->hot_y;
            if (first == "pattern") {
                unsigned value;
                while (words >> std::hex >> value) current->pattern_rows.push_back(value & 0xFF);
                current = nullptr;
                continue;
            }
            std::getline(words, current->subject);
            if (!current->subject.empty() && current->subject[0] == ' ') {
                current->subject.erase(0, 1);
            }
            continue;
        }
        if (!current) {
            return fail(path + ":" + std::to_string(line_number) + ": pixel row outside a picture");
        }
        current->rows.push_back(text);
    }
    return true;
}

bool check_picture(const Picture& p, int width, int height) {
    const std::string where =
        "picture " + p.kind + " " + std::to_string(p.id) + " (line " + std::to_string(p.line) + ")";
    if (static_cast<int>(p.rows.size()) != height) {
        return fail(where + ": " + std::to_string(p.rows.size()) + " rows instead of " +
                    std::to_string(height));
    }
    for (size_t y = 0; y < p.rows.size(); ++y) {
        if (static_cast<int>(p.rows[y].size()) != width) {
            return fail(where + ": row " + std::to_string(y) + " is not " + std::to_string(width) +
                        " pixels wide");
        }
        for (char c : p.rows[y]) {
            const bool allowed = p.kind == "cursor" ? (c == 'k' || c == 'w' || c == kTransparent)
                                 : p.kind == "icon" ? (palette_index(c) >= 0 || c == kTransparent)
                                                    : palette_index(c) >= 0;
            if (!allowed) return fail(where + ": unknown pixel letter '" + std::string(1, c) + "'");
        }
    }
    return true;
}

void info_header(Bytes& b, int width, int height, int bit_count, int colours) {
    const uint32_t stride = 4u * ((static_cast<uint32_t>(bit_count) * width + 31u) / 32u);
    b.u32(40);
    b.u32(width);
    b.u32(height);
    b.u16(1);
    b.u16(bit_count);
    b.u32(0);
    b.u32(stride * static_cast<uint32_t>(height));
    b.u32(0);
    b.u32(0);
    b.u32(colours);
    b.u32(0);
}

// Rows of a bottom-up DIB, `bit_count` bits per pixel, from a function giving each pixel's value.
template <typename PixelFn>
void dib_rows(Bytes& b, int width, int height, int bit_count, PixelFn pixel) {
    const int stride = 4 * ((bit_count * width + 31) / 32);
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const unsigned value = pixel(x, y);
            const int bit = x * bit_count;
            row[bit / 8] |= static_cast<uint8_t>(value << (8 - bit_count - bit % 8));
        }
        b.data.insert(b.data.end(), row.begin(), row.end());
    }
}

std::vector<uint8_t> bmp_file(const Bytes& dib, int palette_entries) {
    Bytes file;
    file.u8('B');
    file.u8('M');
    file.u32(static_cast<uint32_t>(14 + dib.data.size()));
    file.u16(0);
    file.u16(0);
    file.u32(14 + 40 + 4 * palette_entries);
    file.data.insert(file.data.end(), dib.data.begin(), dib.data.end());
    return file.data;
}

// A 16-colour picture (the menu-bar buttons).
std::vector<uint8_t> colour_bitmap(const Picture& p, int width, int height) {
    Bytes dib;
    info_header(dib, width, height, 4, 16);
    for (const Colour& c : kPalette) dib.rgbquad(c.rgb);
    dib_rows(dib, width, height, 4, [&](int x, int y) { return palette_index(p.rows[y][x]); });
    return bmp_file(dib, 16);
}

// An 8 x 8 fill pattern: 1-bit, palette white then black, so a set bit (painted in the text
// colour) shows black.
std::vector<uint8_t> pattern_bitmap(const Picture& p) {
    Bytes dib;
    info_header(dib, 8, 8, 1, 2);
    dib.rgbquad(0xFFFFFF);
    dib.rgbquad(0x000000);
    dib_rows(dib, 8, 8, 1, [&](int x, int y) { return (p.pattern_rows[y] >> (7 - x)) & 1u; });
    return bmp_file(dib, 2);
}

// Icon and cursor images: a DIB of double height (colour rows, then the AND mask).
void icon_image(Bytes& b, const Picture& p, int bit_count) {
    const int size = 32;
    const int colours = 1 << bit_count;
    info_header(b, size, 2 * size, bit_count, 0);
    // The image size field covers both the colour rows and the mask.
    const uint32_t stride = 4u * ((static_cast<uint32_t>(bit_count) * size + 31u) / 32u);
    const uint32_t image_size = (stride + 4u) * size;
    std::memcpy(&b.data[b.data.size() - 20], &image_size, 4);
    if (bit_count == 1) {
        b.rgbquad(0x000000);
        b.rgbquad(0xFFFFFF);
    } else {
        for (int i = 0; i < colours; ++i) b.rgbquad(kPalette[i].rgb);
    }
    dib_rows(b, size, size, bit_count, [&](int x, int y) -> unsigned {
        const char c = p.rows[y][x];
        if (c == kTransparent) return 0;
        if (bit_count == 1) return c == 'w' ? 1 : 0;
        return palette_index(c);
    });
    dib_rows(b, size, size, 1,
             [&](int x, int y) { return p.rows[y][x] == kTransparent ? 1u : 0u; });
}

std::vector<uint8_t> icon_file(const Picture& p, bool cursor) {
    const int bit_count = cursor ? 1 : 4;
    Bytes image;
    icon_image(image, p, bit_count);
    Bytes file;
    file.u16(0);
    file.u16(cursor ? 2 : 1);
    file.u16(1);
    file.u8(32);
    file.u8(32);
    file.u8(cursor ? 2 : 16);
    file.u8(0);
    file.u16(cursor ? p.hot_x : 1);
    file.u16(cursor ? p.hot_y : bit_count);
    file.u32(static_cast<uint32_t>(image.data.size()));
    file.u32(6 + 16);
    file.data.insert(file.data.end(), image.data.begin(), image.data.end());
    return file.data;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good() || fail("cannot write " + path);
}

// A text as a resource-script string: quotes doubled, tabs as \t, other bytes as they are
// (Windows-1252; the script declares that code page).
std::string rc_string(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        if (*p == '"') {
            out += "\"\"";
        } else if (*p == '\t') {
            out += "\\t";
        } else if (*p == '\\') {
            out += "\\\\";
        } else {
            out += *p;
        }
    }
    return out + "\"";
}

std::string menu_flags(uint8_t flags) {
    std::string out;
    if (flags & MENU_GRAYED) out += ", GRAYED";
    if (flags & MENU_INACTIVE) out += ", INACTIVE";
    if (flags & MENU_BARBREAK) out += ", MENUBARBREAK";
    return out;
}

void write_menu(std::ostream& rc, int id, const char* comment, const MenuLayoutItem* items,
                std::size_t count) {
    rc << "\n// " << comment << "\n" << id << " MENU\nBEGIN\n";
    int depth = 1;
    for (std::size_t i = 0; i < count; ++i) {
        const MenuLayoutItem& item = items[i];
        const std::string indent(4 * depth, ' ');
        switch (item.kind) {
            case MenuItemKind::Popup:
                rc << indent << "POPUP " << rc_string(item.text) << "\n" << indent << "BEGIN\n";
                ++depth;
                break;
            case MenuItemKind::EndPopup:
                --depth;
                rc << std::string(4 * depth, ' ') << "END\n";
                break;
            case MenuItemKind::Separator:
                rc << indent << "MENUITEM SEPARATOR\n";
                break;
            case MenuItemKind::Item: {
                const CommandSpec* command = find_command(item.id);
                rc << indent << "MENUITEM " << rc_string(menu_item_text(item)) << ", "
                   << (command ? command->name : "CM_NO_COMMAND") << menu_flags(item.flags) << "\n";
                break;
            }
        }
    }
    rc << "END\n";
}

std::string key_text(const AcceleratorEntry& e) {
    if (!e.virtual_key) {
        if (e.code == '"') return "\"\"\"\"";
        return "\"" + std::string(1, static_cast<char>(e.code)) + "\"";
    }
    if (e.code >= 'A' && e.code <= 'Z')
        return "\"" + std::string(1, static_cast<char>(e.code)) + "\"";
    if (e.code >= VKEY_F1 && e.code < VKEY_F1 + 12)
        return "VK_F" + std::to_string(e.code - VKEY_F1 + 1);
    if (e.code == VKEY_TAB) return "VK_TAB";
    if (e.code == VKEY_RETURN) return "VK_RETURN";
    if (e.code == VKEY_ESCAPE) return "VK_ESCAPE";
    return std::to_string(e.code);
}

std::string command_name(unsigned id) {
    unsigned member = 0;
    const CommandSpec* command = find_command(id, &member);
    if (!command) return std::to_string(id);
    return member ? std::string(command->name) + "+" + std::to_string(member) : command->name;
}

void write_accelerators(std::ostream& rc) {
    rc << "\n// Every key of the command list; letters without and with Shift.\n"
       << "IDA_MAIN ACCELERATORS\nBEGIN\n";
    for (const AcceleratorEntry& e : accelerator_entries()) {
        rc << "    " << key_text(e) << ", " << command_name(e.command);
        if (e.virtual_key) rc << ", VIRTKEY";
        if (e.modifiers & KEYMOD_SHIFT) rc << ", SHIFT";
        if (e.modifiers & KEYMOD_CTRL) rc << ", CONTROL";
        rc << "\n";
    }
    rc << "END\n";
}

std::string image_name(const Picture& p) {
    if (p.kind == "bitmap") return "button" + std::to_string(p.id) + ".bmp";
    if (p.kind == "pattern") return "pattern" + std::to_string(p.id) + ".bmp";
    if (p.kind == "icon") return "icon" + std::to_string(p.id) + ".ico";
    return "cursor" + std::to_string(p.id) + ".cur";
}

bool write_script(const std::string& path, const std::vector<Picture>& pictures) {
    std::ostringstream rc;
    rc << "// Resources of the Vellumar viewer. Generated by tools/resgen from the command list\n"
       << "// (app/command_table.cpp) and tools/resgen/pictures.txt; do not edit, regenerate.\n"
       << "// Texts are Windows-1252 bytes.\n"
       << "#pragma code_page(1252)\n"
       << "#include <winresrc.h>\n"
       << "#include \"resource.h\"\n";
    write_menu(rc, IDM_MAIN, "Main menu: five menus and the row of picture buttons.",
               main_menu_layout, main_menu_layout_count);
    write_menu(rc, IDM_EXTRA, "The \"Extra\" popup menu of picture button TB_EXTRA.",
               extra_menu_layout, extra_menu_layout_count);
    write_accelerators(rc);
    rc << "\n// Images (tools/resgen/pictures.txt).\n";
    for (const Picture& p : pictures) {
        const char* type = p.kind == "icon" ? "ICON" : p.kind == "cursor" ? "CURSOR" : "BITMAP";
        rc << p.id << " " << type << " \"images/" << image_name(p) << "\"  // " << p.subject
           << "\n";
    }
    rc << "\n// Dialog templates are kept in their own script.\n#include \"dialogs.rc\"\n";
    const std::string text = rc.str();
    return write_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: resgen PICTURES.txt OUTDIR\n";
        return 2;
    }
    std::vector<Picture> pictures;
    if (!parse_pictures(argv[1], pictures)) return 1;
    const std::string out = argv[2];
    bool ok = true;
    for (Picture& p : pictures) {
        const std::string path = out + "/images/" + image_name(p);
        if (p.kind == "pattern") {
            if (p.pattern_rows.size() != 8) {
                ok = fail("pattern " + std::to_string(p.id) + " needs 8 rows");
                continue;
            }
            p.subject = "fill pattern " + std::to_string(p.id - IDB_PATTERN_FIRST);
            ok = write_file(path, pattern_bitmap(p)) && ok;
        } else if (p.kind == "bitmap") {
            if (!check_picture(p, TOOLBAR_BITMAP_WIDTH, TOOLBAR_BITMAP_HEIGHT)) {
                ok = false;
                continue;
            }
            ok = write_file(path, colour_bitmap(p, TOOLBAR_BITMAP_WIDTH, TOOLBAR_BITMAP_HEIGHT)) &&
                 ok;
        } else {
            if (!check_picture(p, 32, 32)) {
                ok = false;
                continue;
            }
            ok = write_file(path, icon_file(p, p.kind == "cursor")) && ok;
        }
    }
    ok = write_script(out + "/vellumar.rc", pictures) && ok;
    return ok ? 0 : 1;
}

// Byte layouts of the records kept in the settings: fonts, window placement and bookmarks.
#pragma once

#include <cstddef>
#include <cstdint>

// Every record here is stored as the raw bytes it occupies in memory, so their layouts are the
// stored format. They are laid out like the Win32 structures of the same meaning (checked with
// static asserts in the Windows build) so the front end can hand them to the platform directly,
// while the portable core never needs the platform's headers.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "The stored settings records are little-endian and are kept in memory as stored."
#endif

constexpr std::size_t LF_FACE_SIZE = 32;

// The 8-bit-character font description of the platform (60 bytes). Field names follow the
// platform's so that code handing the record to GDI reads naturally.
struct LogFontRecord {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[LF_FACE_SIZE];
};
static_assert(sizeof(LogFontRecord) == 60, "font record must be 60 bytes");
static_assert(offsetof(LogFontRecord, lfItalic) == 20, "font record layout");
static_assert(offsetof(LogFontRecord, lfFaceName) == 28, "font record layout");

struct PointRecord {
    int32_t x;
    int32_t y;
};

struct RectRecord {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The main window's placement as the platform reports it (44 bytes). A `length` of 0 means
// "never stored": the window then opens with its default size.
struct WindowPlacementRecord {
    uint32_t length;
    uint32_t flags;
    uint32_t showCmd;
    PointRecord ptMinPosition;
    PointRecord ptMaxPosition;
    RectRecord rcNormalPosition;
};
static_assert(sizeof(WindowPlacementRecord) == 44, "window placement record must be 44 bytes");
static_assert(offsetof(WindowPlacementRecord, rcNormalPosition) == 28, "placement layout");

constexpr std::size_t BOOKMARK_COUNT = 11;  // F2 to F12
constexpr std::size_t BOOKMARK_PATH_SIZE = 512;
constexpr std::size_t BOOKMARK_NAME_SIZE = 128;

// One bookmark (648 bytes); the eleven lie back to back in the stored value `Marken`.
// The texts of a bookmark whose `in_use` is 0 mean nothing.
struct Bookmark {
    uint16_t page;
    uint16_t top_line;
    uint16_t left_column;
    uint16_t in_use;
    char path[BOOKMARK_PATH_SIZE];       // NUL-terminated
    char node_name[BOOKMARK_NAME_SIZE];  // raw entry name, NUL-terminated, cut to 127 characters
};
static_assert(sizeof(Bookmark) == 648, "bookmark record must be 648 bytes");
static_assert(offsetof(Bookmark, path) == 8, "bookmark layout");
static_assert(offsetof(Bookmark, node_name) == 520, "bookmark layout");
static_assert(sizeof(Bookmark[BOOKMARK_COUNT]) == 7128, "eleven bookmarks are 7128 bytes");

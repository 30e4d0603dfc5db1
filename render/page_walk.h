// The one page walk: lays a page out, draws it on screen, printer or preview, or writes it out.
#pragma once

#include <cstdint>
#include <string>

#include "render/device.h"
#include "render/graphics_objects.h"
#include "render/screen_metrics.h"
#include "settings/settings_layout.h"

struct HypDocument;
class PageWriter;

// What a walk does; it follows from the arguments (walk_mode).
enum class WalkMode : uint8_t {
    Layout,   // window, no device: line count, widest line, cross references, pictures used
    Screen,   // device and window, print_page 0: main window and popup painting
    Print,    // device and window, print_page -1: every printed page of the page
    Preview,  // device and window, print_page n >= 1: printed page n only
    Text,     // no device, no window, neither stg nor html: text export, clipboard copy
    Stg,      // stg set: recompilation
    Html,     // html set: HTML pages
};

// Characters of one text line that the screen draws inverted (a search's find): text line
// `line` of the page (0 = its first, as link targets count them), columns [first, end).
struct TextSpan {
    int32_t line = -1;  // -1: nothing
    uint32_t first = 0;
    uint32_t end = 0;
    // Screen: receives the display line the span's text line is drawn at (pictures that reserve
    // lines above it push it down), whether or not that line is visible; untouched when the
    // page has no such line.
    int32_t* display_line = nullptr;
};

// The twenty arguments of a walk, in their order, and what the walk needs besides them.
struct PageWalkArgs {
    uint16_t page = 0;          // the entry to walk
    bool index_option = false;  // exports: "Index" is skipped (Stg, Html) unless the run forces it
    uint16_t last_node_index = 0;  // exports: passed to the page head
    Device* dc = nullptr;          // screen or printer device, or none
    PageWindow window;             // the main window or the popup; none for exports
    bool stg = false;
    bool html = false;
    int32_t print_page = 0;           // 0 screen; -1 every printed page; n >= 1 printed page n only
    int32_t origin_column = 0;        // minus the horizontal scroll position, in cells
    int32_t origin_line = 0;          // minus the vertical scroll position, in lines
    int32_t first_visible_line = -1;  // first display line drawn on the screen; -1 printing
    int32_t last_visible_line = -1;   // last display line drawn on the screen; -1 printing
    ScreenMetrics metrics;            // cell_width and line_height: the units of every position
    LogFontRecord* text_font = nullptr;  // rewritten (weight, italic, underline) while drawing
    LogFontRecord* alt_font = nullptr;   // used while ATTR_XFONT is set; rewritten likewise
    bool scale_images = false;           // picture heights scaled by line_height / 16
    int32_t margin_columns = 1;          // left margin in cells (1 on the screen)
    int32_t margin_lines = 0;            // top margin in lines (0 on the screen)
    uint16_t selected_link = 0;          // 1-based ordinal of the keyboard-selected link; 0 none
    int* abort = nullptr;                // set when a page of the export cannot be written

    // --- besides the twenty ---
    HypDocument* document = nullptr;    // the walked document; none = the open document
    PageWriter* writer = nullptr;       // Text, Stg, Html: where the page is written
    int32_t lines_per_page = 0;         // Print, Preview: text lines on one printed page
    GraphicsHooks* graphics = nullptr;  // none = installed_graphics_hooks()
    TextSpan highlight;                 // Screen: drawn inverted after the selected link
};

WalkMode walk_mode(const PageWalkArgs& args);

// Walks one page. Returns 0 when Layout finds the page laid out already (and then touches
// nothing), and when the export's page could not be written (abort set); otherwise 1 when the
// page's printed pages go on after print_page, else 0 — always 1 on the screen, and in Preview 1
// exactly when there is a printed page after page n. A walk of an index beyond the document, or
// in a mode without its writer or fonts, does nothing and returns 0.
//
// A drawing walk expects the caller to have selected a font made from text_font with no
// attributes, transparent background, TEXT_ALIGN_UPDATE_CP and TXTCOLOR. The walk may replace
// the selected font (it deletes the fonts it replaces, the caller's included); the caller
// restores its own by selecting it back and deletes what that selection returns.
//
// Results left on the entry: Layout sets line_count, max_columns, xrefs and images_used; a
// drawing walk rebuilds links and image_line_heights.
int interpret_page(const PageWalkArgs& args);

// --- state shared by all walks ---

// Only the page walked last keeps its data and its decoded pictures: walking another page of
// the same file releases them.
struct PageCache {
    bool primed = false;  // set by the first walk
    uint16_t last_page = 0;
    std::string last_path;  // path of the document last_page belongs to
};
extern PageCache page_cache;

// The first title of a shown page sets the main window's caption once; navigation clears this
// whenever it shows a page.
extern bool title_shown;

// The main window's caption: "Vellumar - " and `converted`, a page's title or name already in
// the screen's character set.
std::string main_window_title(const std::string& converted);

// The table-of-contents entry announced last in an Stg or Html run; the driver sets it to 0 at
// the start of each run.
extern uint16_t current_toc;

// Display offset of text line `text_line`: the display lines that line-reserving pictures
// (entries of `extra_lines`, one per display line) add above it, reservations inside
// reservations included. Entries beyond the array count as 0.
uint32_t display_offset(const uint16_t* extra_lines, size_t count, uint32_t text_line);

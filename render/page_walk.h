// The one page walk: lays a page out, draws it on screen, printer or preview, or writes it out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/graphics_objects.h"
#include "render/screen_metrics.h"
#include "settings/settings_layout.h"

struct HypDocument;
class PageWriter;

// What a walk does. Each mode has its named constructor below, which fills what it uses.
enum class WalkMode : uint8_t {
    Layout,   // window, no device: line count, widest line, cross references, pictures used
    Screen,   // device and window, print_page 0: main window and popup painting
    Print,    // device and window, print_page -1: every printed page of the page
    Preview,  // device and window, print_page n >= 1: printed page n only
    Text,     // no device, no window: text export, clipboard copy, search
    Stg,      // recompilation
    Html,     // HTML pages
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
    // Screen: whether the walk inverts the span (else the window draws it in colours of its
    // own; its display line is still reported).
    bool inverted = true;
};

// The cell, fonts, character table and graphics hooks a window or printer walk measures and
// draws with. Layout uses the metrics, the picture scaling and the hooks only.
struct WalkFonts {
    ScreenMetrics metrics;               // cell_width and line_height: the units of every position
    LogFontRecord* text_font = nullptr;  // rewritten (weight, italic, underline) while drawing
    LogFontRecord* alt_font = nullptr;   // used while ATTR_XFONT is set; rewritten likewise
    bool scale_images = false;           // picture heights scaled by line_height / 16
    unsigned conversion = 0;             // the table text is drawn with: the view's screen table
    GraphicsHooks* graphics = nullptr;   // the window's pictures and graphics; none draws none
};

// The part of a page a screen walk draws: the scroll position negated and the display lines
// that are drawn.
struct ScreenView {
    int32_t origin_column = 0;  // minus the horizontal scroll position, in cells
    int32_t origin_line = 0;    // minus the vertical scroll position, in lines
    int32_t first_visible_line = 0;
    int32_t last_visible_line = 0;
};

// How the printed pages of a page sit on the paper: margins in cells and lines, and the text
// lines one printed page holds.
struct PrintFrame {
    int32_t margin_columns = 0;
    int32_t margin_lines = 0;
    int32_t lines_per_page = 0;
};

// The arguments of one walk. Callers take them from the constructor of their use; the fields are
// open so a caller can add what only it needs (the selected link, a highlight, graphics hooks).
struct PageWalkArgs {
    WalkMode mode = WalkMode::Layout;
    uint16_t page = 0;                   // the entry to walk
    HypDocument* document = nullptr;     // the walked document; none = the open document
    PageWindow window;                   // the main window or the popup; none for exports
    Device* dc = nullptr;                // Screen, Print, Preview: the device drawn on
    int32_t print_page = 0;              // 0 screen; -1 every printed page; n >= 1 printed page n
    int32_t origin_column = 0;           // minus the horizontal scroll position, in cells
    int32_t origin_line = 0;             // minus the vertical scroll position, in lines
    int32_t first_visible_line = -1;     // first display line drawn on the screen; -1 printing
    int32_t last_visible_line = -1;      // last display line drawn on the screen; -1 printing
    ScreenMetrics metrics;               // cell_width and line_height: the units of every position
    LogFontRecord* text_font = nullptr;  // rewritten (weight, italic, underline) while drawing
    LogFontRecord* alt_font = nullptr;   // used while ATTR_XFONT is set; rewritten likewise
    bool scale_images = false;           // picture heights scaled by line_height / 16
    int32_t margin_columns = 1;          // left margin in cells (1 on the screen and in exports)
    int32_t margin_lines = 0;            // top margin in lines (0 on the screen and in exports)
    int32_t lines_per_page = 0;          // Print, Preview: text lines on one printed page
    uint16_t selected_link = 0;          // Screen: 1-based ordinal of the selected link; 0 none
    TextSpan highlight;                  // Screen: drawn inverted after the selected link
    PageWriter* writer = nullptr;        // Text, Stg, Html: where the page is written
    bool index_option = false;           // Stg, Html: "Index" is skipped (the hypertext
                                         // asks so and the run does not force it)
    uint16_t last_node_index = 0;        // exports: passed to the page head
    // Decodes pictures and draws graphics objects; none: nothing is drawn for graphics codes and
    // picture heights are read from the pictures' own headers.
    GraphicsHooks* graphics = nullptr;
    // Screen, Print, Preview: the table text is drawn with (screen_conversion of the document's
    // set for the window and the printer). The exports' writers convert with their run's own.
    unsigned conversion = 0;
    // Screen: receives the display line of each text line (entry t for text line t), below
    // the lines that pictures reserve above it; replaced on every walk. None: not wanted.
    std::vector<uint32_t>* text_line_display = nullptr;
    uint16_t* toc = nullptr;             // Stg, Html: the table of contents the run announced
                                         // last (none: each page starts with none announced)

    // Line count, widest line, cross references and pictures of a page in `window`.
    static PageWalkArgs layout(HypDocument& doc, uint16_t page, PageWindow window,
                               const WalkFonts& fonts);
    // Main window painting: margins 1 and 0.
    static PageWalkArgs screen(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                               const WalkFonts& fonts, const ScreenView& view);
    // Popup painting: origin 0,0, display lines first to last, no selected link.
    static PageWalkArgs popup(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                              const WalkFonts& fonts, int32_t first_visible_line,
                              int32_t last_visible_line);
    // Every printed page of a page, or (Preview) printed page `printed_page` >= 1 only. Printed
    // pictures are always scaled to the line height.
    static PageWalkArgs print(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                              const WalkFonts& fonts, const PrintFrame& frame);
    static PageWalkArgs preview(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                                const WalkFonts& fonts, const PrintFrame& frame,
                                int32_t printed_page);
    // A page as plain text: the text export and the clipboard copy.
    static PageWalkArgs text(HypDocument& doc, uint16_t page, PageWriter& writer);
    // A page as STG source or as an HTML page, with the document's last node; "Index" is skipped
    // when the document's index option says so and the run does not force it.
    static PageWalkArgs stg(HypDocument& doc, uint16_t page, PageWriter& writer, bool force_index);
    static PageWalkArgs html(HypDocument& doc, uint16_t page, PageWriter& writer, bool force_index);
    // One of the three above, as `writer` exports (the export driver's walk of each entry).
    static PageWalkArgs exported(HypDocument& doc, uint16_t page, PageWriter& writer,
                                 bool force_index);
    // The search: the page's text handed to `collector` as the text export writes it.
    static PageWalkArgs search(HypDocument& doc, uint16_t page, PageWriter& collector);
};

// What one walk did. A walk that did nothing (an index beyond the document, a mode without its
// writer or fonts, or a Layout of a page laid out already) has `walked` false.
struct WalkResult {
    bool walked = false;            // the page was walked (or written) to its end
    bool already_laid_out = false;  // Layout: the page had its layout; nothing was touched
    bool write_failed = false;      // an export's page could not be written (the writer's
                                    // end_run says why): the run stops
    // Print, Preview: a printed page follows print_page (in Print always, -1 coming first).
    bool more_printed_pages = false;
    // The page's first title as stored (the main window's caption names it), when the walk met
    // one.
    std::optional<std::string> title;
};

// Walks one page as `args.mode` says.
//
// A drawing walk expects the caller to have selected a font made from text_font with no
// attributes, transparent background, TEXT_ALIGN_UPDATE_CP and TXTCOLOR. The walk may replace
// the selected font (it deletes the fonts it replaces, the caller's included); the caller
// restores its own by selecting it back and deletes what that selection returns.
//
// Results left on the entry: Layout sets line_count, max_columns, xrefs and images_used; a
// drawing walk rebuilds links and image_line_heights.
WalkResult interpret_page(const PageWalkArgs& args);

// The main window's caption: "Vellumar - " and `converted`, a page's title or name already in
// the screen's character set.
std::string main_window_title(const std::string& converted);

// The main window's caption for a page's stored title or name: "Vellumar - " and the text in the
// screen's set; `wide` is not empty, and is the one to set, when the text has characters that
// set lacks.
struct WindowCaption {
    std::string narrow;
    std::u16string wide;
};
WindowCaption window_caption(std::string_view stored, unsigned source_charset, unsigned conversion);

// Display offset of text line `text_line`: the display lines that line-reserving pictures
// (entries of `extra_lines`, one per display line) add above it, reservations inside
// reservations included. Entries beyond the array count as 0.
uint32_t display_offset(const uint16_t* extra_lines, size_t count, uint32_t text_line);

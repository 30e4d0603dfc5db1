// Fuzz target: the page walk in Layout, Screen, Print, Preview and Text on arbitrary page bytes.
// Input: one byte of options, then the page. The page is entry 0 of a small in-memory document
// whose other entries are what links, cross references and pictures may point at.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "export/export_driver.h"
#include "export/export_output.h"
#include "export/text_writer.h"
#include "fixture/page_builder.h"
#include "fixture/recording_device.h"
#include "fuzz/document_entries.h"
#include "hyp/charset.h"
#include "hyp/document.h"
#include "render/graphics_objects.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

// Option bits of the first input byte.
constexpr uint8_t kPrintMask = 3;  // 0 screen only, 1 print, 2 preview page 1, 3 preview page 2
constexpr uint8_t kExpandBlanks = 4;
constexpr uint8_t kScaleImages = 8;
constexpr uint8_t kPopup = 16;
constexpr uint8_t kWithGraphics = 32;
constexpr uint8_t kAllLinks = 64;
constexpr uint8_t kScrolled = 128;

// Decodes image headers into header-only bitmaps and checks what it is handed.
class CheckingGraphics : public GraphicsHooks {
   public:
    void decode_image(HypDocument& doc, uint16_t index) override {
        if (index >= doc.index.size()) std::abort();
        const IndexEntry& entry = doc.index[index];
        if (entry.page_data.size() < 5) return;
        auto image = std::make_unique<DecodedImage>();
        image->width = (entry.page_data[0] << 8) | entry.page_data[1];
        image->height = -((entry.page_data[2] << 8) | entry.page_data[3]);
        doc.index[index].bitmap = std::move(image);
    }
    void draw_graphics_objects(const std::vector<GraphicsObject>& objects, bool,
                               GraphicsContext& context) override {
        if (objects.empty() || context.objects != &objects) std::abort();
    }
};

void build_document(HypDocument& doc, const uint8_t* page, size_t size) {
    doc.path = "fuzz.hyp";
    add_loaded_entry(doc, ENTRY_NODE, "Main", std::vector<uint8_t>(page, page + size));
    add_loaded_entry(doc, ENTRY_NODE, "Target", {'t', 0});
    std::vector<uint8_t> image;
    std::string error;
    fixture::make_image_object(16, 40, 1, std::vector<uint8_t>(16 * 40, 1), image, error);
    add_loaded_entry(doc, ENTRY_IMAGE, nullptr, image);
    add_loaded_entry(doc, ENTRY_PNODE, "Pop", {'p', 0});
    // Nine planes and a height of 60000 pixels, without the planes.
    add_loaded_entry(doc, ENTRY_IMAGE, "deep", fixture::make_image_object_raw(8, 60000, 9, {}));
    add_loaded_entry(doc, ENTRY_EXTERNAL, "ext.hyp", {});
    add_loaded_entry(doc, 255, nullptr, {});
    add_loaded_entry(doc, ENTRY_IMAGE, "cut", {0, 4});
}

void check_device(const fixture::RecordingDevice& dc) {
    if (dc.bad_deletes != 0 || dc.bad_selects != 0 || dc.leaked_fonts() != 0) std::abort();
}

// The walk keeps at most 32767 link areas a page, so that every one has a 16-bit ordinal.
void check_links(const IndexEntry& entry) {
    if (entry.links.size() > static_cast<size_t>(INT16_MAX)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t options = data[0];
    restore_default_settings();
    settings.expmultispace = (options & kExpandBlanks) ? 1 : 0;
    document.page_cache = PageCache{};
    CheckingGraphics graphics;

    HypDocument doc;
    build_document(doc, data + 1, size - 1);
    const ScreenMetrics metrics{8, 20, 8};

    // Layout.
    GraphicsHooks* const hooks = (options & kWithGraphics) ? &graphics : nullptr;
    const bool scale_images = (options & kScaleImages) != 0;
    PageWalkArgs layout = PageWalkArgs::layout(doc, 0, {WindowRole::Main, nullptr},
                                               {metrics, nullptr, nullptr, scale_images});
    layout.graphics = hooks;
    interpret_page(layout);
    const int32_t lines = doc.index[0].line_count;
    if (lines < 0 || doc.index[0].max_columns < 0) std::abort();
    if (!interpret_page(layout).already_laid_out) std::abort();  // laid out once

    // Screen, on the visible lines of a scrolled or unscrolled window.
    {
        fixture::RecordingDevice dc;
        LogFontRecord text_font = settings.FONT;
        LogFontRecord alt_font = settings.XFONT;
        dc.prepare(text_font, settings.TXTCOLOR());
        const bool scrolled = (options & kScrolled) != 0;
        const ScreenView view =
            scrolled ? ScreenView{-3, -2, 1, 4} : ScreenView{0, 0, 0, lines + 1};
        PageWalkArgs screen = PageWalkArgs::screen(
            doc, 0, dc, {(options & kPopup) ? WindowRole::Popup : WindowRole::Main, nullptr},
            {metrics, &text_font, &alt_font, scale_images}, view);
        screen.graphics = hooks;
        screen.selected_link = 1;
        if (!interpret_page(screen).walked) std::abort();
        check_links(doc.index[0]);
        dc.finish();
        check_device(dc);
    }

    // Print or preview with short printed pages.
    if (options & kPrintMask) {
        fixture::RecordingDevice dc;
        LogFontRecord text_font = settings.FONT;
        LogFontRecord alt_font = settings.XFONT;
        dc.prepare(text_font, settings.TXTCOLOR());
        const WalkFonts fonts{metrics, &text_font, &alt_font, true};
        const PrintFrame frame{2, 1, 3};
        const PageWindow window{WindowRole::Main, nullptr};
        const int selector = options & kPrintMask;
        PageWalkArgs print =
            selector == 1 ? PageWalkArgs::print(doc, 0, dc, window, fonts, frame)
                          : PageWalkArgs::preview(doc, 0, dc, window, fonts, frame, selector - 1);
        print.graphics = hooks;
        interpret_page(print);
        check_links(doc.index[0]);
        dc.finish();
        check_device(dc);
        if (dc.pages_started != dc.pages_ended) std::abort();
    }

    // Text, in one of the eight tables in use.
    {
        std::string text;
        ExportOutput output(&text);
        ExportRun run;
        run.all_links = (options & kAllLinks) != 0;
        run.conversion = (options >> 2) & 7;
        TextWriter writer(output, run);
        if (!interpret_page(PageWalkArgs::text(doc, 0, writer)).walked) std::abort();
        // Every other entry too: they write nothing or a short page.
        for (uint16_t i = 1; i < doc.index.size(); ++i) {
            interpret_page(PageWalkArgs::text(doc, i, writer));
        }
    }
    document.page_cache = PageCache{};
    return 0;
}

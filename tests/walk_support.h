// Shared by the page walk tests: documents held in memory, walk arguments, a graphics recorder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/page_builder.h"
#include "fixture/recording_device.h"
#include "hyp/document.h"
#include "hyp/hyp_format.h"
#include "render/graphics_objects.h"
#include "render/page_walk.h"

namespace walktest {

// Adds an entry whose object is already loaded (page_data = bytes + NUL), so walks never touch
// a file. Returns its index.
inline uint16_t add_entry(HypDocument& doc, uint8_t type, std::optional<std::string> name,
                          const std::vector<uint8_t>& bytes = {}) {
    IndexEntry entry;
    entry.type = type;
    entry.name = std::move(name);
    entry.page_data = bytes;
    entry.page_data.push_back(0);
    entry.stored_length = static_cast<uint32_t>(bytes.size());
    doc.index.push_back(std::move(entry));
    return static_cast<uint16_t>(doc.index.size() - 1);
}

// An image entry of width x height pixels, one plane, all white.
inline uint16_t add_image(HypDocument& doc, uint16_t width, uint16_t height) {
    std::vector<uint8_t> object;
    std::string error;
    fixture::make_image_object(width, height, 1, std::vector<uint8_t>(size_t{width} * height, 0),
                               object, error);
    return add_entry(doc, ENTRY_IMAGE, std::nullopt, object);
}

// The metrics the recording device's font model gives the default fonts: cells of 8 x 20.
inline ScreenMetrics model_screen_metrics() {
    const fixture::ModelMetrics m =
        fixture::model_metrics(fixture::default_text_font(), fixture::default_alt_font());
    return ScreenMetrics{m.char_width, m.line_height, m.cell_width};
}

// A fresh page cache, as at the start of a run.
inline void reset_walk_state() {
    document.page_cache = PageCache{};
}

// A case's document, as at the start of a run (a fresh page cache): `build` makes it around the
// page `write` writes. False, failing the test with the builder's error, when the page cannot be
// written.
inline bool build_case(HypDocument& doc, const std::function<void(fixture::PageBuilder&)>& write,
                       void (*build)(HypDocument&, const fixture::PageBuilder&)) {
    reset_walk_state();
    fixture::PageBuilder page;
    write(page);
    if (!page.ok()) {
        ADD_FAILURE() << page.error();
        return false;
    }
    build(doc, page);
    return true;
}

inline PageWalkArgs layout_args(HypDocument& doc, uint16_t page,
                                ScreenMetrics metrics = model_screen_metrics()) {
    return PageWalkArgs::layout(
        doc, page, {WindowRole::Main, reinterpret_cast<WindowHandle>(0x1000)}, WalkFonts{metrics});
}

// What a screen walk needs besides the page: a device and the two font records it rewrites.
struct Screen {
    fixture::RecordingDevice dc;
    LogFontRecord text_font = fixture::default_text_font();
    LogFontRecord alt_font = fixture::default_alt_font();
    GraphicsHooks* graphics = nullptr;  // none: graphics codes draw nothing

    Screen() { dc.prepare(text_font, 0); }

    WalkFonts fonts() {
        return {model_screen_metrics(), &text_font, &alt_font, false, 0, graphics};
    }

    PageWalkArgs args(HypDocument& doc, uint16_t page, int32_t first = 0, int32_t last = 1000,
                      WindowRole role = WindowRole::Main) {
        const PageWindow window{
            role, reinterpret_cast<WindowHandle>(role == WindowRole::Popup ? 0x2000 : 0x1000)};
        return PageWalkArgs::screen(doc, page, dc, window, fonts(), {0, 0, first, last});
    }

    // Every printed page (print_page -1) or printed page print_page >= 1 only.
    PageWalkArgs printed(HypDocument& doc, uint16_t page, int32_t print_page,
                         const PrintFrame& frame) {
        const PageWindow window{WindowRole::Main, reinterpret_cast<WindowHandle>(0x1000)};
        return print_page < 0
                   ? PageWalkArgs::print(doc, page, dc, window, fonts(), frame)
                   : PageWalkArgs::preview(doc, page, dc, window, fonts(), frame, print_page);
    }
};

// Graphics hooks that decode images to header-only bitmaps and record every hand-over.
class RecordingGraphics : public GraphicsHooks {
   public:
    struct Call {
        bool html;
        uint16_t current_line;
        uint16_t lines_on_page;
        std::vector<GraphicsObject> due;  // the objects of the list whose line is current_line
        size_t listed;                    // objects in the list handed over
    };

    void decode_image(HypDocument& doc, uint16_t index) override {
        ++decodes;
        const IndexEntry& entry = doc.index[index];
        if (entry.page_data.size() < 5) return;
        auto image = std::make_unique<DecodedImage>();
        image->width = read_be16(entry.page_data.data());
        image->height = -static_cast<int32_t>(read_be16(entry.page_data.data() + 2));
        image->bit_count = entry.page_data[4];
        doc.index[index].bitmap = std::move(image);
    }

    void draw_graphics_objects(const std::vector<GraphicsObject>& objects, bool html,
                               GraphicsContext& context) override {
        Call call{html, context.current_line, context.lines_on_page, {}, objects.size()};
        for (const GraphicsObject& object : objects) {
            if (object.line == context.current_line) call.due.push_back(object);
        }
        calls.push_back(call);
    }

    // The objects drawn, in order, each with the display line it was drawn at.
    std::vector<std::pair<uint16_t, GraphicsObject>> drawn() const {
        std::vector<std::pair<uint16_t, GraphicsObject>> result;
        for (const Call& call : calls) {
            for (const GraphicsObject& object : call.due)
                result.push_back({call.current_line, object});
        }
        return result;
    }

    int decodes = 0;
    std::vector<Call> calls;
};

inline std::vector<uint8_t> bytes(const fixture::PageBuilder& page) {
    return page.bytes();
}

}  // namespace walktest

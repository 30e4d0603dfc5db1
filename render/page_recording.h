// A page drawn once and kept: the device calls of a screen walk in page coordinates, replayed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "hyp/page_records.h"
#include "render/device.h"

enum class RecordedCall : uint8_t {
    // State: replayed lazily, just before a drawing call that needs it.
    Select,
    TextColour,
    Background,
    TextAlign,
    MoveTo,
    BrushOrigin,
    Stretch,
    // Drawing: replayed only when the rows it may touch meet the band being drawn.
    TextOut,
    TextOutWide,  // UTF-16 units, kept as their bytes among the texts
    LineTo,
    Polyline,
    Pixel,
    Rectangle,
    RoundRect,
    Invert,
    StretchImage,  // draw_image too: a picture stretched to its own size
};

// The three kinds of object a device selects, one of each at a time.
enum class ObjectKind : uint8_t { Font, Pen, Brush };
constexpr std::size_t OBJECT_KINDS = 3;

// One device call. Coordinates are page pixels: the walk ran with its origin at the page's
// top left corner (no scrolling). A long page keeps tens of thousands of these, so each field
// serves several calls.
struct RecordedOp {
    RecordedCall call = RecordedCall::MoveTo;
    ObjectKind kind = ObjectKind::Font;  // Select
    int32_t x = 0;                       // point, or a rectangle's left and top
    int32_t y = 0;
    // A rectangle's right and bottom; an image's width and height; TextOut and TextOutWide:
    // the current position after the call (a line's is its end point x, y).
    int32_t x2 = 0;
    int32_t y2 = 0;
    // Colour, mode, alignment flags; offset of the text, points or image; RoundRect: the
    // ellipse's width.
    uint32_t value = 0;
    uint32_t count = 0;  // bytes of text, points of a polyline; RoundRect: the ellipse's height
    // Drawing calls: the page rows [top, bottom) the call may touch.
    int32_t top = 0;
    int32_t bottom = 0;
    DeviceObject object = NO_DEVICE_OBJECT;  // Select
};

// The calls, their texts, points and pictures, and the fonts, pens and brushes they select,
// which the recording owns: they are deleted through `releaser` when it goes.
class PageRecording {
   public:
    PageRecording() = default;
    ~PageRecording();
    PageRecording(const PageRecording&) = delete;
    PageRecording& operator=(const PageRecording&) = delete;

    // Draws the calls that may touch page rows [top, bottom) into `target`, moved by
    // (dx, dy). The target's fonts, pens and brushes displaced by the replay are selected back
    // at its end; its colours, modes and position are left as the calls set them.
    void replay(Device& target, int32_t dx, int32_t dy, int32_t top, int32_t bottom) const;

    // Bytes the recording holds (its calls, texts, points and pictures).
    std::size_t bytes() const;
    std::size_t calls() const { return ops_.size(); }

   private:
    friend class PageRecorder;

    // One drawing call of the recording on `target`, moved by (dx, dy).
    void draw(Device& target, const RecordedOp& op, int32_t dx, int32_t dy) const;

    std::vector<RecordedOp> ops_;
    std::string texts_;
    std::vector<DevicePoint> points_;
    std::vector<DecodedImage> images_;
    std::vector<DeviceObject> owned_;
    Device* releaser_ = nullptr;
};

// A device that records the calls of a walk into a PageRecording. `measure` (a device of the
// screen's resolution) answers text extents and current positions, makes the objects, and
// follows every call that moves its current position; nothing else is drawn on it. The
// recording starts as a drawing walk expects its device: `text_font` without attributes, the
// text colour, transparent background, text drawn at the current position. Identical fonts,
// pens and brushes are made once; the walk's deletions of them are deferred to the recording.
class PageRecorder : public Device {
   public:
    // `releaser` deletes the recording's objects when the recording goes; it outlives it.
    PageRecorder(Device& measure, Device& releaser, PageRecording& out, LogFontRecord text_font,
                 Colour text_colour);
    // Selects the measuring device's own objects back.
    ~PageRecorder() override;
    PageRecorder(const PageRecorder&) = delete;
    PageRecorder& operator=(const PageRecorder&) = delete;

    DeviceSize text_extent(const char* text, int length) override;
    bool text_out(int32_t x, int32_t y, const char* text, int length) override;
    DeviceSize text_extent_wide(const char16_t* text, int length) override;
    bool text_out_wide(int32_t x, int32_t y, const char16_t* text, int length) override;
    DevicePoint move_to(int32_t x, int32_t y) override;
    DevicePoint current_position() override;
    DeviceObject create_font(const LogFontRecord& font) override;
    DeviceObject select_object(DeviceObject object) override;
    bool delete_object(DeviceObject object) override;
    Colour set_text_colour(Colour colour) override;
    Colour text_colour() override;
    BackgroundMode set_background_mode(BackgroundMode mode) override;
    uint32_t set_text_align(uint32_t flags) override;
    uint32_t text_align() override;

    int start_page() override { return 1; }
    int end_page() override { return 1; }
    bool invert_rect(const DeviceRect& rect) override;
    void set_window_title(WindowHandle window, const char* title) override;
    void set_window_title_wide(WindowHandle window, const char16_t* title) override;

    DeviceObject create_pen(int width, Colour colour) override;
    DeviceObject stock_object(StockObject object) override;
    bool line_to(int32_t x, int32_t y) override;
    bool polyline(const DevicePoint* points, int count) override;
    Colour set_pixel(int32_t x, int32_t y, Colour colour) override;
    bool rectangle(const DeviceRect& rect) override;
    bool round_rect(const DeviceRect& rect, int32_t ellipse_width, int32_t ellipse_height) override;
    DeviceObject create_pattern_brush(const uint8_t rows[8], Colour set_colour,
                                      Colour clear_colour) override;
    DevicePoint set_brush_origin(int32_t x, int32_t y) override;

    StretchMode set_stretch_mode(StretchMode mode) override;
    bool draw_image(int32_t x, int32_t y, const DecodedImage& image) override;
    bool stretch_image(int32_t x, int32_t y, int32_t width, int32_t height,
                       const DecodedImage& image) override;

   private:
    struct KnownObject {
        DeviceObject object;
        ObjectKind kind;
        bool owned;  // made through this device: kept by the recording
    };
    const KnownObject* known(DeviceObject object) const;
    DeviceObject keep(DeviceObject object, ObjectKind kind);
    // A state call (select, colour, modes, position, brush origin). The replay brings the target
    // to the state in effect at each drawing call only, so a state call takes the place of an
    // earlier one of its slot since the last drawing call, and one that sets what is in effect
    // already is left out: most lines of a long page set the same font and colour again.
    void add_state(const RecordedOp& op);
    static RecordedOp state_call(RecordedCall call, uint32_t value) {
        RecordedOp op;
        op.call = call;
        op.value = value;
        return op;
    }
    // A state call that sets a point (the current position, the brush origin).
    static RecordedOp point_call(RecordedCall call, int32_t x, int32_t y) {
        RecordedOp op;
        op.call = call;
        op.x = x;
        op.y = y;
        return op;
    }
    static std::size_t slot_of(const RecordedOp& op);
    RecordedOp& add_drawing(RecordedCall call, int64_t top, int64_t bottom);
    // A rectangle or rounded rectangle: its corners, and the rows its stroke may touch.
    RecordedOp& add_frame(RecordedCall call, const DeviceRect& rect);
    // A drawing call that moved the current position (text at the position, a line).
    void position_after_drawing(DevicePoint after);
    // The selected font's height, from `measure` the first time the font draws.
    int32_t selected_font_height(const std::function<int32_t()>& measure);
    // A text run at `at` (its `size` bytes, `count` characters) drawn `height` rows high.
    RecordedOp& add_text(RecordedCall call, DevicePoint at, int32_t x, int32_t y, int32_t height,
                         const char* bytes, std::size_t size, uint32_t count);

    Device& measure_;
    PageRecording& out_;
    std::vector<KnownObject> known_;
    // Fonts, pens and brushes by what they were made from, so that each is made once.
    std::vector<std::pair<LogFontRecord, DeviceObject>> fonts_;
    std::vector<std::pair<std::pair<int, Colour>, DeviceObject>> pens_;
    struct PatternKey {
        uint8_t rows[8];
        Colour set;
        Colour clear;
    };
    std::vector<std::pair<PatternKey, DeviceObject>> brushes_;
    std::vector<std::pair<const DecodedImage*, uint32_t>> images_;
    // The measuring device's own objects, selected back at the end.
    DeviceObject originals_[OBJECT_KINDS] = {};
    DeviceObject selected_font_ = NO_DEVICE_OBJECT;
    std::vector<std::pair<DeviceObject, int32_t>> font_heights_;
    uint32_t align_ = 0;

    // The state call of each slot in effect at the last drawing call, and the one recorded
    // since (its index in the calls).
    static constexpr std::size_t kPositionSlot = OBJECT_KINDS + 3;
    static constexpr std::size_t kStateSlots = OBJECT_KINDS + 6;
    static constexpr std::size_t kNoPending = static_cast<std::size_t>(-1);
    struct StateSlot {
        RecordedOp in_effect;
        bool in_effect_known = false;
        std::size_t pending = kNoPending;
    };
    StateSlot slots_[kStateSlots];
};

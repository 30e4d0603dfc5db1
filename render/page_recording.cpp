// Recording a screen walk's device calls, and drawing them again with an offset and a band.
#include "render/page_recording.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "render/text_run.h"

namespace {

// Rows a line, frame or pixel may reach beyond its coordinates: half the widest pen the walk
// makes (line graphics use pens of a few pixels) with room to spare. Only a filter: a call
// replayed needlessly is clipped away by the target.
constexpr int32_t kStrokeSlack = 32;
// Rows a text run may reach above its position (outlined and shadowed copies: 1 and 2 pixels)
// and below its font's height (the same copies).
constexpr int32_t kTextSlack = 4;

int32_t clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

bool same_font(const LogFontRecord& a, const LogFontRecord& b) {
    return std::memcmp(&a, &b, sizeof(LogFontRecord)) == 0;
}

// A recorded point moved by (dx, dy), kept in the device's range.
DevicePoint shifted(DevicePoint p, int32_t dx, int32_t dy) {
    return DevicePoint{clamp32(int64_t{p.x} + dx), clamp32(int64_t{p.y} + dy)};
}

bool operator==(DevicePoint a, DevicePoint b) {
    return a.x == b.x && a.y == b.y;
}

// One device state of a replay: a value and whether it holds one (wanted: set by a call;
// applied: known on the target).
template <typename T>
struct Tracked {
    T value{};
    bool known = false;
};

// Applies `want` to the target through `apply` unless the target holds it already.
template <typename T, typename Apply>
void bring(const Tracked<T>& want, Tracked<T>& have, Apply apply) {
    if (!want.known || (have.known && have.value == want.value)) return;
    apply(want.value);
    have = want;
}

// What a replay wants selected and set on the target, and what it has set there so far.
struct ReplayState {
    Tracked<DeviceObject> objects[OBJECT_KINDS];
    Tracked<Colour> colour;
    Tracked<BackgroundMode> background;
    Tracked<uint32_t> align;
    Tracked<DevicePoint> position;
    Tracked<DevicePoint> brush_origin;
    Tracked<StretchMode> stretch;
};

// Takes a state call of the recording into `want`; false for a drawing call.
bool want_state(const RecordedOp& op, ReplayState& want) {
    switch (op.call) {
        case RecordedCall::Select:
            want.objects[static_cast<std::size_t>(op.kind)] = {op.object, true};
            return true;
        case RecordedCall::TextColour:
            want.colour = {op.value, true};
            return true;
        case RecordedCall::Background:
            want.background = {static_cast<BackgroundMode>(op.value), true};
            return true;
        case RecordedCall::TextAlign:
            want.align = {op.value, true};
            return true;
        case RecordedCall::MoveTo:
            want.position = {{op.x, op.y}, true};
            return true;
        case RecordedCall::BrushOrigin:
            want.brush_origin = {{op.x, op.y}, true};
            return true;
        case RecordedCall::Stretch:
            want.stretch = {static_cast<StretchMode>(op.value), true};
            return true;
        default:
            return false;
    }
}

}  // namespace

// --- the recording -------------------------------------------------------------------------

PageRecording::~PageRecording() {
    if (releaser_ == nullptr) return;
    for (DeviceObject object : owned_) releaser_->delete_object(object);
}

std::size_t PageRecording::bytes() const {
    std::size_t total = ops_.capacity() * sizeof(RecordedOp) + texts_.capacity() +
                        points_.capacity() * sizeof(DevicePoint) +
                        owned_.capacity() * sizeof(DeviceObject);
    for (const DecodedImage& image : images_) {
        total += sizeof(DecodedImage) + image.palette.capacity() * sizeof(uint32_t) +
                 image.pixels.capacity();
    }
    return total;
}

void PageRecording::replay(Device& target, int32_t dx, int32_t dy, int32_t top,
                           int32_t bottom) const {
    ReplayState want, have;
    Tracked<DeviceObject> displaced[OBJECT_KINDS];
    auto moved = [&](DevicePoint p) { return shifted(p, dx, dy); };
    // Brings the target to the wanted state, field by field where it differs.
    auto sync = [&](bool needs_position) {
        for (std::size_t k = 0; k < OBJECT_KINDS; ++k) {
            bring(want.objects[k], have.objects[k], [&](DeviceObject object) {
                const DeviceObject previous = target.select_object(object);
                if (!displaced[k].known) displaced[k] = {previous, true};
            });
        }
        bring(want.colour, have.colour, [&](Colour c) { target.set_text_colour(c); });
        bring(want.background, have.background,
              [&](BackgroundMode m) { target.set_background_mode(m); });
        bring(want.align, have.align, [&](uint32_t a) { target.set_text_align(a); });
        bring(want.brush_origin, have.brush_origin, [&](DevicePoint p) {
            const DevicePoint q = moved(p);
            target.set_brush_origin(q.x, q.y);
        });
        bring(want.stretch, have.stretch, [&](StretchMode m) { target.set_stretch_mode(m); });
        if (!needs_position) return;
        bring(want.position, have.position, [&](DevicePoint p) {
            const DevicePoint q = moved(p);
            target.move_to(q.x, q.y);
        });
    };

    for (const RecordedOp& op : ops_) {
        if (want_state(op, want)) continue;
        const bool at_position =
            ((op.call == RecordedCall::TextOut || op.call == RecordedCall::TextOutWide) &&
             (want.align.value & TEXT_ALIGN_UPDATE_CP) != 0) ||
            op.call == RecordedCall::LineTo;
        const bool in_band = op.bottom > top && op.top < bottom;
        if (in_band) {
            sync(at_position);
            draw(target, op, dx, dy);
        }
        if (at_position) {
            // The target moved its position as the measuring device did; a run skipped
            // leaves it where it was, so the next one that needs it moves it first.
            const DevicePoint after = op.call == RecordedCall::LineTo ? DevicePoint{op.x, op.y}
                                                                      : DevicePoint{op.x2, op.y2};
            want.position = {after, true};
            if (in_band) have.position = want.position;
        }
    }
    for (std::size_t k = 0; k < OBJECT_KINDS; ++k) {
        if (displaced[k].known) target.select_object(displaced[k].value);
    }
}

void PageRecording::draw(Device& target, const RecordedOp& op, int32_t dx, int32_t dy) const {
    const DevicePoint p = shifted({op.x, op.y}, dx, dy);
    const DevicePoint p2 = shifted({op.x2, op.y2}, dx, dy);
    switch (op.call) {
        case RecordedCall::TextOut:
            target.text_out(p.x, p.y, texts_.data() + op.value, static_cast<int>(op.count));
            break;
        case RecordedCall::TextOutWide: {
            // Copied out: the units' bytes in the texts need not be aligned.
            std::u16string units(op.count, u'\0');
            std::memcpy(units.data(), texts_.data() + op.value, op.count * sizeof(char16_t));
            target.text_out_wide(p.x, p.y, units.data(), static_cast<int>(op.count));
            break;
        }
        case RecordedCall::LineTo:
            target.line_to(p.x, p.y);
            break;
        case RecordedCall::Polyline: {
            std::vector<DevicePoint> points(points_.begin() + op.value,
                                            points_.begin() + op.value + op.count);
            for (DevicePoint& q : points) q = shifted(q, dx, dy);
            target.polyline(points.data(), static_cast<int>(points.size()));
            break;
        }
        case RecordedCall::Pixel:
            target.set_pixel(p.x, p.y, op.value);
            break;
        case RecordedCall::Rectangle:
            target.rectangle({p.x, p.y, p2.x, p2.y});
            break;
        case RecordedCall::RoundRect:
            target.round_rect({p.x, p.y, p2.x, p2.y}, static_cast<int32_t>(op.value),
                              static_cast<int32_t>(op.count));
            break;
        case RecordedCall::Invert:
            target.invert_rect({p.x, p.y, p2.x, p2.y});
            break;
        case RecordedCall::StretchImage:
            target.stretch_image(p.x, p.y, op.x2, op.y2, images_[op.value]);
            break;
        default:
            break;
    }
}

// --- the page recorder ------------------------------------------------------------------

PageRecorder::PageRecorder(Device& measure, Device& releaser, PageRecording& out,
                           LogFontRecord text_font, Colour text_colour)
    : measure_(measure), out_(out) {
    out_.releaser_ = &releaser;
    set_background_mode(BackgroundMode::Transparent);
    set_text_align(TEXT_ALIGN_UPDATE_CP);
    set_text_colour(text_colour);
    set_font_attributes(text_font, 0);
    select_object(create_font(text_font));
}

PageRecorder::~PageRecorder() {
    for (DeviceObject original : originals_) {
        if (original != NO_DEVICE_OBJECT) measure_.select_object(original);
    }
    // The recording is kept as long as its page is shown: no room to spare.
    out_.ops_.shrink_to_fit();
    out_.texts_.shrink_to_fit();
    out_.points_.shrink_to_fit();
}

const PageRecorder::KnownObject* PageRecorder::known(DeviceObject object) const {
    for (const KnownObject& k : known_) {
        if (k.object == object) return &k;
    }
    return nullptr;
}

DeviceObject PageRecorder::keep(DeviceObject object, ObjectKind kind) {
    if (object == NO_DEVICE_OBJECT) return object;
    known_.push_back({object, kind, true});
    out_.owned_.push_back(object);
    return object;
}

std::size_t PageRecorder::slot_of(const RecordedOp& op) {
    switch (op.call) {
        case RecordedCall::Select:
            return static_cast<std::size_t>(op.kind);  // one slot per kind of object
        case RecordedCall::TextColour:
            return OBJECT_KINDS;
        case RecordedCall::Background:
            return OBJECT_KINDS + 1;
        case RecordedCall::TextAlign:
            return OBJECT_KINDS + 2;
        case RecordedCall::MoveTo:
            return kPositionSlot;
        case RecordedCall::BrushOrigin:
            return OBJECT_KINDS + 4;
        default:
            return OBJECT_KINDS + 5;  // Stretch
    }
}

namespace {

// Whether two state calls of one slot set the same.
bool same_state(const RecordedOp& a, const RecordedOp& b) {
    return a.object == b.object && a.value == b.value && a.x == b.x && a.y == b.y;
}

// A drawing call's box: a rectangle's corners, or an image's origin and its width and height.
void set_box(RecordedOp& op, int32_t x, int32_t y, int32_t x2, int32_t y2) {
    op.x = x;
    op.y = y;
    op.x2 = x2;
    op.y2 = y2;
}

}  // namespace

void PageRecorder::add_state(const RecordedOp& op) {
    StateSlot& slot = slots_[slot_of(op)];
    const bool changes_nothing = slot.in_effect_known && same_state(slot.in_effect, op);
    if (slot.pending != kNoPending) {
        if (changes_nothing && slot.pending + 1 == out_.ops_.size()) {
            out_.ops_.pop_back();  // set and set back before anything was drawn
            slot.pending = kNoPending;
        } else {
            out_.ops_[slot.pending] = op;
        }
        return;
    }
    if (changes_nothing) return;
    slot.pending = out_.ops_.size();
    out_.ops_.push_back(op);
}

RecordedOp& PageRecorder::add_drawing(RecordedCall call, int64_t top, int64_t bottom) {
    for (StateSlot& slot : slots_) {
        if (slot.pending == kNoPending) continue;
        slot.in_effect = out_.ops_[slot.pending];
        slot.in_effect_known = true;
        slot.pending = kNoPending;
    }
    out_.ops_.emplace_back();
    RecordedOp& op = out_.ops_.back();
    op.call = call;
    op.top = clamp32(top);
    op.bottom = clamp32(bottom);
    return op;
}

void PageRecorder::position_after_drawing(DevicePoint after) {
    StateSlot& slot = slots_[kPositionSlot];
    slot.in_effect = RecordedOp{};
    slot.in_effect.call = RecordedCall::MoveTo;
    slot.in_effect.x = after.x;
    slot.in_effect.y = after.y;
    slot.in_effect_known = true;
}

DeviceSize PageRecorder::text_extent(const char* text, int length) {
    return measure_.text_extent(text, length);
}

int32_t PageRecorder::selected_font_height(const std::function<int32_t()>& measure) {
    // The font's height, measured once per font on the first run drawn in it.
    for (const auto& [font, h] : font_heights_) {
        if (font == selected_font_) return h;
    }
    const int32_t height = measure();
    font_heights_.emplace_back(selected_font_, height);
    return height;
}

RecordedOp& PageRecorder::add_text(RecordedCall call, DevicePoint at, int32_t x, int32_t y,
                                   int32_t height, const char* bytes, std::size_t size,
                                   uint32_t count) {
    RecordedOp& op =
        add_drawing(call, int64_t{at.y} - kTextSlack, int64_t{at.y} + height + kTextSlack);
    op.x = x;
    op.y = y;
    op.value = static_cast<uint32_t>(out_.texts_.size());
    op.count = count;
    const DevicePoint after = (align_ & TEXT_ALIGN_UPDATE_CP) ? measure_.current_position() : at;
    op.x2 = after.x;
    op.y2 = after.y;
    if (align_ & TEXT_ALIGN_UPDATE_CP) position_after_drawing(after);
    out_.texts_.append(bytes, size);
    return op;
}

bool PageRecorder::text_out(int32_t x, int32_t y, const char* text, int length) {
    const DevicePoint at =
        (align_ & TEXT_ALIGN_UPDATE_CP) ? measure_.current_position() : DevicePoint{x, y};
    const int32_t height = selected_font_height(
        [&] { return measure_.text_extent(length > 0 ? text : " ", length > 0 ? length : 1).cy; });
    const bool result = measure_.text_out(x, y, text, length);
    const uint32_t count = static_cast<uint32_t>(std::max(length, 0));
    add_text(RecordedCall::TextOut, at, x, y, height, text, count, count);
    return result;
}

DeviceSize PageRecorder::text_extent_wide(const char16_t* text, int length) {
    return measure_.text_extent_wide(text, length);
}

bool PageRecorder::text_out_wide(int32_t x, int32_t y, const char16_t* text, int length) {
    const DevicePoint at =
        (align_ & TEXT_ALIGN_UPDATE_CP) ? measure_.current_position() : DevicePoint{x, y};
    const int32_t height = selected_font_height([&] {
        return length > 0 ? measure_.text_extent_wide(text, length).cy
                          : measure_.text_extent(" ", 1).cy;
    });
    const bool result = measure_.text_out_wide(x, y, text, length);
    const uint32_t count = static_cast<uint32_t>(std::max(length, 0));
    add_text(RecordedCall::TextOutWide, at, x, y, height, reinterpret_cast<const char*>(text),
             count * sizeof(char16_t), count);
    return result;
}

DevicePoint PageRecorder::move_to(int32_t x, int32_t y) {
    add_state(point_call(RecordedCall::MoveTo, x, y));
    return measure_.move_to(x, y);
}

DevicePoint PageRecorder::current_position() {
    return measure_.current_position();
}

DeviceObject PageRecorder::create_font(const LogFontRecord& font) {
    for (const auto& [record, object] : fonts_) {
        if (same_font(record, font)) return object;
    }
    const DeviceObject object = keep(measure_.create_font(font), ObjectKind::Font);
    fonts_.emplace_back(font, object);
    return object;
}

DeviceObject PageRecorder::select_object(DeviceObject object) {
    const KnownObject* k = known(object);
    const ObjectKind kind = k ? k->kind : ObjectKind::Font;
    const DeviceObject previous = measure_.select_object(object);
    const std::size_t slot = static_cast<std::size_t>(kind);
    if (previous != NO_DEVICE_OBJECT && known(previous) == nullptr) {
        // The measuring device's own object: selected back at the end, never deleted here.
        known_.push_back({previous, kind, false});
        if (originals_[slot] == NO_DEVICE_OBJECT) originals_[slot] = previous;
    }
    if (kind == ObjectKind::Font) selected_font_ = object;
    RecordedOp op;
    op.call = RecordedCall::Select;
    op.kind = kind;
    op.object = object;
    add_state(op);
    return previous;
}

bool PageRecorder::delete_object(DeviceObject object) {
    // Objects made here live as long as the recording; the measuring device's own stay its.
    if (known(object) != nullptr) return true;
    return measure_.delete_object(object);
}

Colour PageRecorder::set_text_colour(Colour colour) {
    add_state(state_call(RecordedCall::TextColour, colour));
    return measure_.set_text_colour(colour);
}

Colour PageRecorder::text_colour() {
    return measure_.text_colour();
}

BackgroundMode PageRecorder::set_background_mode(BackgroundMode mode) {
    add_state(state_call(RecordedCall::Background, static_cast<uint32_t>(mode)));
    return measure_.set_background_mode(mode);
}

uint32_t PageRecorder::set_text_align(uint32_t flags) {
    add_state(state_call(RecordedCall::TextAlign, flags));
    align_ = flags;
    return measure_.set_text_align(flags);
}

uint32_t PageRecorder::text_align() {
    return align_;
}

bool PageRecorder::invert_rect(const DeviceRect& rect) {
    RecordedOp& op = add_drawing(RecordedCall::Invert, rect.top, rect.bottom);
    set_box(op, rect.left, rect.top, rect.right, rect.bottom);
    return true;
}

void PageRecorder::set_window_title(WindowHandle window, const char* title) {
    measure_.set_window_title(window, title);
}

void PageRecorder::set_window_title_wide(WindowHandle window, const char16_t* title) {
    measure_.set_window_title_wide(window, title);
}

DeviceObject PageRecorder::create_pen(int width, Colour colour) {
    for (const auto& [made, object] : pens_) {
        if (made.first == width && made.second == colour) return object;
    }
    const DeviceObject object = keep(measure_.create_pen(width, colour), ObjectKind::Pen);
    pens_.push_back({{width, colour}, object});
    return object;
}

DeviceObject PageRecorder::stock_object(StockObject which) {
    const DeviceObject object = measure_.stock_object(which);
    if (object != NO_DEVICE_OBJECT && known(object) == nullptr) {
        known_.push_back({object,
                          which == StockObject::HollowBrush ? ObjectKind::Brush : ObjectKind::Pen,
                          false});
    }
    return object;
}

bool PageRecorder::line_to(int32_t x, int32_t y) {
    const DevicePoint from = measure_.current_position();
    RecordedOp& op = add_drawing(RecordedCall::LineTo, int64_t{std::min(from.y, y)} - kStrokeSlack,
                                 int64_t{std::max(from.y, y)} + kStrokeSlack);
    op.x = x;
    op.y = y;
    position_after_drawing({x, y});
    return measure_.line_to(x, y);
}

bool PageRecorder::polyline(const DevicePoint* points, int count) {
    if (count <= 0) return false;
    int32_t low = points[0].y, high = points[0].y;
    for (int i = 1; i < count; ++i) {
        low = std::min(low, points[i].y);
        high = std::max(high, points[i].y);
    }
    RecordedOp& op = add_drawing(RecordedCall::Polyline, int64_t{low} - kStrokeSlack,
                                 int64_t{high} + kStrokeSlack);
    op.value = static_cast<uint32_t>(out_.points_.size());
    op.count = static_cast<uint32_t>(count);
    out_.points_.insert(out_.points_.end(), points, points + count);
    return true;
}

Colour PageRecorder::set_pixel(int32_t x, int32_t y, Colour colour) {
    RecordedOp& op = add_drawing(RecordedCall::Pixel, y, int64_t{y} + 1);
    op.x = x;
    op.y = y;
    op.value = colour;
    return colour;
}

RecordedOp& PageRecorder::add_frame(RecordedCall call, const DeviceRect& rect) {
    RecordedOp& op =
        add_drawing(call, int64_t{rect.top} - kStrokeSlack, int64_t{rect.bottom} + kStrokeSlack);
    set_box(op, rect.left, rect.top, rect.right, rect.bottom);
    return op;
}

bool PageRecorder::rectangle(const DeviceRect& rect) {
    add_frame(RecordedCall::Rectangle, rect);
    return true;
}

bool PageRecorder::round_rect(const DeviceRect& rect, int32_t ellipse_width,
                              int32_t ellipse_height) {
    RecordedOp& op = add_frame(RecordedCall::RoundRect, rect);
    op.value = static_cast<uint32_t>(ellipse_width);
    op.count = static_cast<uint32_t>(ellipse_height);
    return true;
}

DeviceObject PageRecorder::create_pattern_brush(const uint8_t rows[8], Colour set_colour,
                                                Colour clear_colour) {
    PatternKey key{};
    std::memcpy(key.rows, rows, sizeof(key.rows));
    key.set = set_colour;
    key.clear = clear_colour;
    for (const auto& [made, object] : brushes_) {
        if (std::memcmp(made.rows, key.rows, sizeof(key.rows)) == 0 && made.set == key.set &&
            made.clear == key.clear) {
            return object;
        }
    }
    const DeviceObject object =
        keep(measure_.create_pattern_brush(rows, set_colour, clear_colour), ObjectKind::Brush);
    brushes_.push_back({key, object});
    return object;
}

DevicePoint PageRecorder::set_brush_origin(int32_t x, int32_t y) {
    add_state(point_call(RecordedCall::BrushOrigin, x, y));
    return measure_.set_brush_origin(x, y);
}

StretchMode PageRecorder::set_stretch_mode(StretchMode mode) {
    add_state(state_call(RecordedCall::Stretch, static_cast<uint32_t>(mode)));
    return measure_.set_stretch_mode(mode);
}

bool PageRecorder::draw_image(int32_t x, int32_t y, const DecodedImage& image) {
    const int32_t rows = image.height < 0 ? -image.height : image.height;
    return stretch_image(x, y, image.width, rows, image);
}

bool PageRecorder::stretch_image(int32_t x, int32_t y, int32_t width, int32_t height,
                                 const DecodedImage& image) {
    // Pictures belong to the document, which releases them when another page is walked: the
    // recording keeps a copy of each.
    uint32_t index = 0;
    bool found = false;
    for (const auto& [source, i] : images_) {
        if (source == &image) {
            index = i;
            found = true;
        }
    }
    if (!found) {
        index = static_cast<uint32_t>(out_.images_.size());
        out_.images_.push_back(image);
        images_.emplace_back(&image, index);
    }
    RecordedOp& op = add_drawing(RecordedCall::StretchImage, y, int64_t{y} + std::max(height, 0));
    set_box(op, x, y, width, height);
    op.value = index;
    return true;
}

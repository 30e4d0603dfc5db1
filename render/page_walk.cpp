// The one page walk: lays a page out, draws it on screen, printer or preview, or writes it out.
#include "render/page_walk.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "hyp/charset.h"
#include "hyp/document.h"
#include "hyp/page_codes.h"
#include "hyp/page_loader.h"
#include "render/page_writer.h"
#include "render/text_run.h"
#include "settings/settings.h"


std::string main_window_title(const std::string& converted) {
    return "Vellumar - " + converted;
}

WindowCaption window_caption(std::string_view stored, unsigned source_charset,
                             unsigned conversion) {
    ScreenText text;
    text.assign(stored, source_charset, conversion);
    WindowCaption caption;
    caption.narrow = main_window_title(text.narrow());
    if (text.has_wide()) caption.wide = u"Vellumar - " + text.utf16(0, text.size());
    return caption;
}

namespace {

// The window caption of a page with a title of its own.

// Device coordinates are 32-bit; positions computed from damaged pages (huge columns, lines
// beyond any window) are kept in range instead of overflowing.
int32_t clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// ceil(height / line_height) for non-negative heights and a positive line height.
int64_t lines_for_height(int64_t height, int32_t line_height) {
    return height <= 0 ? 0 : (height + line_height - 1) / line_height;
}

void release(std::vector<uint8_t>& bytes) {
    std::vector<uint8_t>().swap(bytes);
}

class PageWalker {
   public:
    PageWalker(const PageWalkArgs& args, HypDocument& doc, WalkMode mode)
        : a_(args),
          doc_(doc),
          entry_(doc.index[args.page]),
          mode_(mode),
          // Only the drawing modes use a device; an export given one ignores it.
          dc_(mode == WalkMode::Screen || mode == WalkMode::Print || mode == WalkMode::Preview
                  ? args.dc
                  : nullptr),
          print_page_(mode == WalkMode::Print     ? -1
                      : mode == WalkMode::Preview ? std::max<int32_t>(args.print_page, 1)
                                                  : 0),
          writer_(args.writer),
          graphics_(args.graphics),
          exporting_(mode == WalkMode::Text || mode == WalkMode::Stg || mode == WalkMode::Html),
          stg_html_(mode == WalkMode::Stg || mode == WalkMode::Html),
          cell_width_(std::max<int32_t>(args.metrics.cell_width, 1)),
          line_height_(std::max<int32_t>(args.metrics.line_height, 1)),
          lines_per_page_(std::max<int32_t>(args.lines_per_page, 1)) {
        text_.current_font = args.text_font;
        text_.current_colour = settings.TXTCOLOR();
        text_.current_attributes = 0;
    }

    WalkResult run();

   private:
    // --- the walk's sections ---
    void begin_drawing();
    bool skip_index_page() const;
    void walk_text();
    size_t handle_escape(size_t at);
    void end_of_walk();

    // --- elements ---
    void text_run(const uint8_t* bytes, size_t length);
    void line_end();
    size_t title(size_t at);
    size_t link(size_t at, uint8_t code);
    size_t xref(size_t at);
    size_t tree(size_t at);
    size_t picture(size_t at);
    size_t graphics(size_t at, uint8_t code);
    void attributes(uint8_t set);
    void literal_escape();
    void special(char c);

    // --- helpers ---
    bool start_page();
    void abort_walk();
    bool drawable() const;
    void draw_or_advance(const char* bytes, size_t length);
    void device_run(const char* bytes, size_t length);
    void advance_pen(const ScreenText& text);
    void mark_highlight(const ScreenText& shown, int32_t x);
    void note_highlight_line();
    void invert_highlight();
    void break_or_move();
    void settle_page_break();
    void end_printed_page();
    void due_graphics();
    void draw_now(const GraphicsObject& object);
    GraphicsContext context(const std::vector<GraphicsObject>& objects);
    int32_t line_start_x() const;
    int32_t line_y(int64_t lines) const;
    int32_t picture_height(uint16_t image);
    const ScreenText& shown(const char* bytes, size_t length);
    size_t available(size_t at) const { return at < end_ ? end_ - at : 0; }

    const PageWalkArgs& a_;
    HypDocument& doc_;
    IndexEntry& entry_;
    const WalkMode mode_;
    Device* const dc_;
    // 0 on the screen and in the exports; -1 every printed page; n >= 1 printed page n only.
    const int32_t print_page_;
    PageWriter* const writer_;
    GraphicsHooks* const graphics_;
    const bool exporting_;
    const bool stg_html_;
    const int32_t cell_width_;
    const int32_t line_height_;
    const int32_t lines_per_page_;

    const uint8_t* data_ = nullptr;  // the page's bytes; data_[end_] is the appended NUL
    size_t end_ = 0;

    uint16_t current_line_ = 0;   // display line being filled
    uint32_t text_line_ = 0;      // text lines ended so far (the line being filled)
    uint16_t lines_on_page_ = 0;  // lines since the top of the printed page
    uint32_t column_ = 0;         // characters placed on the current line
    uint32_t widest_line_ = 0;
    int32_t page_counter_ = 1;
    bool page_started_ = false;
    std::optional<std::string> title_;  // the first title met
    bool aborted_ = false;
    // A printed page is full, but nothing has been placed after it yet.
    bool break_pending_ = false;
    TextState text_;
    // With a device: display lines a picture reserves at each display line.
    std::vector<uint16_t> extra_lines_;
    std::vector<int32_t> picture_heights_;
    std::vector<GraphicsObject> objects_;
    ScreenText screen_;  // text as the device shows it
    // The highlight's extent on the device as its pieces are drawn (x relative to the page's
    // unscrolled origin); found once a piece of it was drawn.
    bool highlight_found_ = false;
    int32_t highlight_left_ = 0;
    int32_t highlight_right_ = 0;
    uint16_t highlight_line_ = 0;
};

WalkResult PageWalker::run() {
    WalkResult result;
    if (dc_) begin_drawing();
    if (mode_ == WalkMode::Layout) {
        // A layout computes these afresh.
        entry_.xrefs.clear();
        entry_.images_used.clear();
        entry_.title.reset();
    }

    const bool is_page = entry_.type == ENTRY_NODE || entry_.type == ENTRY_PNODE;
    if (is_page && !(stg_html_ && skip_index_page())) {
        uint16_t own_toc = 0;
        uint16_t& toc = a_.toc ? *a_.toc : own_toc;
        if (stg_html_ && entry_.type == ENTRY_NODE && entry_.toc != toc) {
            toc = entry_.toc;
            writer_->write_toc(doc_, toc);
        }
        if (entry_.page_data.empty()) load_page(doc_, a_.page);
        data_ = entry_.page_data.data();
        end_ = page_length(entry_);
        walk_text();
        result.title = std::move(title_);
        result.write_failed = aborted_;
        if (aborted_) return result;
        // End of the page text: Stg and Html write a head even for a page without output.
        if (stg_html_) {
            result.write_failed = !start_page();
            if (result.write_failed) return result;
            writer_->write_page_end(doc_, a_.page);
        }
        objects_.clear();
    } else if (entry_.type == ENTRY_IMAGE && stg_html_) {
        writer_->write_image_file(doc_, a_.page);
    }

    end_of_walk();
    result.walked = true;
    result.more_printed_pages =
        (mode_ == WalkMode::Print || mode_ == WalkMode::Preview) && page_counter_ > print_page_;
    return result;
}

void PageWalker::begin_drawing() {
    // line_count + 2 entries: a page not laid out yet (-1) still gets one.
    const int64_t lines = std::max<int64_t>(entry_.line_count, -1) + 2;
    extra_lines_.assign(static_cast<size_t>(lines), 0);
    entry_.links.clear();
    entry_.image_line_heights.clear();
    if (a_.text_line_display) a_.text_line_display->clear();
    dc_->move_to(line_start_x(), line_y(0));
}

bool PageWalker::skip_index_page() const {
    return a_.index_option && entry_.name && *entry_.name == "Index";
}

void PageWalker::walk_text() {
    // The characters a mode stops at besides ESC and the line's NUL.
    const char* specials = mode_ == WalkMode::Stg ? "@" : mode_ == WalkMode::Html ? "@<>\"" : "";
    bool stop_at[256] = {};
    stop_at[0] = true;
    stop_at[ESC] = true;
    for (const char* s = specials; *s; ++s) stop_at[static_cast<uint8_t>(*s)] = true;

    size_t at = 0;
    while (at < end_ && !aborted_) {
        // The appended NUL at end_ ends a last line that has none of its own.
        size_t stop = at;
        while (stop < end_ && !stop_at[data_[stop]]) ++stop;
        if (stop > at) text_run(data_ + at, stop - at);
        if (aborted_) return;
        const uint8_t c = stop < end_ ? data_[stop] : 0;
        if (c == 0) {
            line_end();
            at = stop + 1;
        } else if (c == ESC) {
            const size_t used = handle_escape(stop);
            if (used == 0) return;  // a sequence cut off by the page end: the walk ends there
            at = stop + used;
        } else {
            special(static_cast<char>(c));
            at = stop + 1;
        }
    }
}

// Handles the escape sequence at `at`; returns its length, or 0 when it runs past the page end.
size_t PageWalker::handle_escape(size_t at) {
    if (available(at) < ESC_SHORT_LENGTH) return 0;
    const uint8_t code = data_[at + 1];
    if (code >= ESC_ATTR) {
        attributes(static_cast<uint8_t>(code - ESC_ATTR));
        return ESC_SHORT_LENGTH;
    }
    if (code == ESC_LITERAL) {
        literal_escape();
        return ESC_SHORT_LENGTH;
    }
    if (code == ESC_TITLE) return title(at);
    if (is_link_code(code)) return link(at, code);
    if (code >= ESC_DATA0 && code <= ESC_DATA7) {
        // A length below the sequence's own three bytes could never move the cursor on.
        if (available(at) < 3) return 0;
        const size_t length = std::max<size_t>(data_[at + 2], 3);
        return available(at) < length ? 0 : length;
    }
    if (code == ESC_XREF) return xref(at);
    if (code == ESC_TREE) return tree(at);
    if (code == ESC_PICTURE) return picture(at);
    if (is_graphics_code(code)) return graphics(at, code);
    // Unknown codes write nothing, but in Stg and Html they count as output of the page.
    if (stg_html_) start_page();
    return ESC_SHORT_LENGTH;
}

void PageWalker::end_of_walk() {
    if (exporting_) return;
    if (dc_) {
        entry_.image_line_heights = std::move(picture_heights_);
        if (a_.selected_link != 0 && a_.selected_link <= entry_.links.size()) {
            const LinkArea& area = entry_.links[a_.selected_link - 1];
            if (a_.first_visible_line <= area.line && area.line <= a_.last_visible_line) {
                DeviceRect rect;
                rect.left = clamp32(int64_t{a_.origin_column} * cell_width_ + area.x);
                rect.top = clamp32((int64_t{area.line} + a_.origin_line) * line_height_);
                rect.right = clamp32(int64_t{rect.left} + area.width);
                rect.bottom = clamp32(int64_t{rect.top} + line_height_);
                dc_->invert_rect(rect);
            }
        }
        invert_highlight();
    }
    if (mode_ == WalkMode::Layout) {
        entry_.line_count = current_line_;
        entry_.max_columns = static_cast<int32_t>(std::min<uint32_t>(widest_line_, INT32_MAX));
    }
}

// --- elements --------------------------------------------------------------------------------

void PageWalker::text_run(const uint8_t* bytes, size_t length) {
    if (!start_page()) return;
    note_highlight_line();
    const char* text = reinterpret_cast<const char*>(bytes);
    if (mode_ == WalkMode::Layout) {
        column_ += static_cast<uint32_t>(length);
    } else if (dc_) {
        settle_page_break();
        device_run(text, length);  // counts its columns itself
    } else {
        writer_->write_text(text, length);
        column_ += static_cast<uint32_t>(length);
    }
}

void PageWalker::line_end() {
    if (!start_page()) return;
    settle_page_break();  // an empty line after a full printed page opens the next one
    // The line's text was placed on current_line_ (a picture of its line reserves below it).
    if (dc_ && print_page_ == 0 && a_.text_line_display) {
        a_.text_line_display->push_back(current_line_);
    }
    ++current_line_;
    ++lines_on_page_;
    break_or_move();
    if (stg_html_ && !doc_.symbols.empty()) writer_->write_symbols(doc_, a_.page, current_line_);
    due_graphics();
    if (dc_ && current_line_ < extra_lines_.size()) {
        // Pictures reserving lines here push the next text line below them.
        const uint16_t reserved = extra_lines_[current_line_];
        if (reserved != 0) {
            settle_page_break();
            lines_on_page_ = static_cast<uint16_t>(lines_on_page_ + reserved);
            current_line_ = static_cast<uint16_t>(current_line_ + reserved);
            break_or_move();
            due_graphics();
        }
    }
    widest_line_ = std::max(widest_line_, column_);
    column_ = 0;
    ++text_line_;
}

size_t PageWalker::title(size_t at) {
    // The title runs to its NUL; a page without one ends the title at the appended NUL.
    const size_t from = at + 2;
    size_t to = from;
    while (to < end_ && data_[to] != 0) ++to;
    const std::string text(reinterpret_cast<const char*>(data_ + from), to - from);

    if (mode_ == WalkMode::Layout && !entry_.title) entry_.title = text;
    if (exporting_) {
        if (page_started_) {
            writer_->write_title(doc_, text);
        } else {
            page_started_ = true;
            if (!writer_->write_page_head(doc_, a_.page, &text, a_.last_node_index)) {
                abort_walk();
                return 0;
            }
        }
    }
    if (!title_) title_ = text;
    page_started_ = true;
    return to + 1 - at;
}

size_t PageWalker::link(size_t at, uint8_t code) {
    const bool with_line = link_has_line(code);
    const size_t head = with_line ? ESC_LINK_LINE_HEAD : ESC_LINK_HEAD;
    if (available(at) < head) return 0;
    PageLink link;
    link.code = code;
    link.target_line = with_line ? decode_base255(data_ + at + 2) : 0;
    link.target = decode_base255(data_ + at + (with_line ? 4 : 2));
    const int n = static_cast<int>(data_[at + head - 1]) - LINK_LENGTH_BIAS;
    const size_t stored = n > 0 ? static_cast<size_t>(n) : 0;
    if (available(at) < head + stored) return 0;
    if (!start_page()) return 0;

    link.has_text = stored > 0;
    if (link.has_text) {
        // The stored text is a string: a NUL inside it ends it.
        const char* text = reinterpret_cast<const char*>(data_ + at + head);
        link.text = std::string_view(text, strnlen(text, stored));
    } else {
        link.text = entry_name(doc_, link.target);
    }

    if (exporting_) {
        writer_->write_link(doc_, link);
    } else if (dc_) {
        settle_page_break();
        note_highlight_line();
        const DevicePoint p0 = dc_->current_position();
        const char* text = link.text.data();
        const size_t length = link.text.size();
        if (is_blank(text, static_cast<int>(length))) {
            dc_->move_to(clamp32(p0.x + int64_t{cell_width_} * static_cast<int64_t>(length)), p0.y);
        } else if (drawable()) {
            // Links are underlined, upright and of normal weight, in their target's colour.
            LogFontRecord& font = *text_.current_font;
            set_font_attributes(font, ATTR_UNDERLINE);
            const DeviceObject link_font = dc_->create_font(font);
            const DeviceObject previous = dc_->select_object(link_font);
            const unsigned type = link.target < doc_.index.size()
                                      ? unsigned{doc_.index[link.target].type}
                                      : unsigned{ENTRY_NODE};
            dc_->set_text_colour(link_colour(type));
            const ScreenText& run = shown(text, length);
            mark_highlight(run, p0.x);
            draw_screen_text(*dc_, run, 0, run.size(), text_.current_attributes,
                             a_.window.is_popup());
            text_.current_colour = settings.TXTCOLOR();
            dc_->set_text_colour(settings.TXTCOLOR());
            if (previous != NO_DEVICE_OBJECT) dc_->select_object(previous);
            dc_->delete_object(link_font);
        } else {
            advance_pen(shown(text, length));
        }
        // Links are selected by a 16-bit ordinal: a page with more links keeps the first 32767.
        if (entry_.links.size() < static_cast<size_t>(INT16_MAX)) {
            LinkArea area;
            area.target = link.target;
            area.line = static_cast<int16_t>(current_line_);
            area.target_line = link.target_line;
            area.width = clamp32(int64_t{dc_->current_position().x} - p0.x);
            area.x = clamp32(p0.x - int64_t{a_.origin_column} * cell_width_);
            area.images_above = picture_heights_;
            entry_.links.push_back(std::move(area));
        }
    }
    column_ += static_cast<uint32_t>(link.text.size());
    return head + stored;
}

size_t PageWalker::xref(size_t at) {
    if (available(at) < 3) return 0;
    const size_t length = std::max<size_t>(data_[at + 2], 3);
    if (available(at) < length) return 0;
    // Target and title lie inside the sequence; a sequence too short for its target is skipped.
    if (length < 5) return length;
    const uint16_t target = decode_base255(data_ + at + 3);
    std::string title;
    if (length > ESC_XREF_TITLE) {
        const char* from = reinterpret_cast<const char*>(data_ + at + ESC_XREF_TITLE);
        title.assign(from, strnlen(from, length - ESC_XREF_TITLE));
    }
    if (mode_ == WalkMode::Layout) {
        // A reference to an entry the index does not have could never be followed.
        if (target < doc_.index.size()) {
            XrefEntry xref;
            xref.target = target;
            const std::optional<std::string>& name = doc_.index[target].name;
            if (!name || *name != title) xref.title = title;
            entry_.xrefs.push_back(std::move(xref));
        }
    } else if (stg_html_) {
        if (!start_page()) return 0;
        writer_->write_xref(doc_, target, title);
    }
    return length;
}

size_t PageWalker::tree(size_t at) {
    if (available(at) < ESC_TREE_LENGTH) return 0;
    if (stg_html_) {
        if (!start_page()) return 0;
        writer_->write_tree(doc_, decode_base255(data_ + at + 2), decode_base255(data_ + at + 4),
                            decode_base255(data_ + at + 6), decode_base255(data_ + at + 8));
    }
    return ESC_TREE_LENGTH;
}

size_t PageWalker::picture(size_t at) {
    if (available(at) < ESC_PICTURE_LENGTH) return 0;
    const uint16_t image = decode_base255(data_ + at + 2);
    const uint8_t column = data_[at + 4];
    const uint16_t line = decode_base255(data_ + at + 5);
    const uint8_t reserve = data_[at + 7];
    const uint8_t unused = data_[at + 8];
    // Only image entries can be shown; anything else (a damaged index number, or the page
    // itself) is passed over, so its data is never decoded as a picture.
    if (image >= doc_.index.size() || doc_.index[image].type != ENTRY_IMAGE) {
        return ESC_PICTURE_LENGTH;
    }

    int64_t reserved_lines = 0;
    if (!exporting_) {
        const int32_t unscaled = picture_height(image);
        const int64_t height =
            a_.scale_images ? int64_t{line_height_} * unscaled / 16 : int64_t{unscaled};
        reserved_lines = lines_for_height(height, line_height_);
        if (reserve) {
            if (dc_) picture_heights_.push_back(unscaled);
            if (mode_ == WalkMode::Layout) {
                current_line_ = static_cast<uint16_t>(current_line_ + reserved_lines);
                lines_on_page_ = static_cast<uint16_t>(lines_on_page_ + reserved_lines);
            }
        }
        if (mode_ == WalkMode::Layout) entry_.images_used.push_back(image);
    }

    if (dc_ || stg_html_) {
        // No attribute; the line-reserving flag and the unused byte in the extent's fields.
        const GraphicsObject object{0, reserve, unused, image, ESC_PICTURE, column, line};
        objects_.push_back(object);
        if (stg_html_ && !start_page()) return 0;
        if (current_line_ == 0 && line == 0) draw_now(object);
        if (dc_) {
            const uint32_t t = display_offset(extra_lines_.data(), extra_lines_.size(), line);
            const uint64_t display_line = uint64_t{line} + t;
            if (reserve) {
                // A reservation beyond the page's lines has nothing to push: it is dropped.
                if (display_line < extra_lines_.size()) {
                    extra_lines_[display_line] =
                        static_cast<uint16_t>(std::min<int64_t>(reserved_lines, UINT16_MAX));
                }
                if (current_line_ == 0 && line == 0 && !extra_lines_.empty()) {
                    current_line_ = lines_on_page_ = extra_lines_[0];
                    dc_->move_to(line_start_x(), line_y(extra_lines_[0]));
                }
            }
            objects_.back().line = static_cast<uint16_t>(display_line);
        }
    }
    return ESC_PICTURE_LENGTH;
}

size_t PageWalker::graphics(size_t at, uint8_t code) {
    if (available(at) < ESC_GRAPHICS_LENGTH) return 0;
    if (dc_ || stg_html_) {
        GraphicsObject object;
        object.attribute = data_[at + 7];
        object.width = data_[at + 5];
        object.height = data_[at + 6];
        object.code = code;
        object.column = data_[at + 2];
        object.line = decode_base255(data_ + at + 3);
        if (dc_) {
            object.line = static_cast<uint16_t>(object.line + display_offset(extra_lines_.data(),
                                                                             extra_lines_.size(),
                                                                             object.line));
        }
        objects_.push_back(object);
        if (stg_html_ && !start_page()) return 0;
        if (object.line == current_line_) draw_now(object);
    }
    return ESC_GRAPHICS_LENGTH;
}

void PageWalker::attributes(uint8_t set) {
    if (dc_) {
        switch_attributes(*dc_, text_, set, *a_.text_font, *a_.alt_font);
    } else if (stg_html_) {
        if (!start_page()) return;
        if (set != text_.current_attributes) {
            writer_->write_attributes(text_.current_attributes, set);
            text_.current_attributes = set;
        }
    }
}

void PageWalker::literal_escape() {
    if (mode_ != WalkMode::Layout) {
        if (!start_page()) return;
        static const char kEscape = static_cast<char>(ESC);
        if (dc_) {
            settle_page_break();
            draw_or_advance(&kEscape, 1);
        } else {
            writer_->write_literal_escape();
        }
    }
    ++column_;
}

void PageWalker::special(char c) {
    // Only Stg and Html stop at these characters.
    if (!start_page()) return;
    writer_->write_special(c);
    ++column_;
}

// --- helpers ---------------------------------------------------------------------------------

bool PageWalker::start_page() {
    if (aborted_) return false;
    if (page_started_) return true;
    page_started_ = true;
    if (exporting_ && !writer_->write_page_head(doc_, a_.page, nullptr, a_.last_node_index)) {
        abort_walk();
        return false;
    }
    return true;
}

void PageWalker::abort_walk() {
    aborted_ = true;
}

bool PageWalker::drawable() const {
    return print_page_ == -1 || page_counter_ == print_page_ ||
           (a_.first_visible_line <= current_line_ && current_line_ <= a_.last_visible_line);
}

void PageWalker::draw_or_advance(const char* bytes, size_t length) {
    if (length == 0) return;
    const ScreenText& text = shown(bytes, length);
    if (drawable()) {
        mark_highlight(text, dc_->current_position().x);
        draw_screen_text(*dc_, text, 0, text.size(), text_.current_attributes,
                         a_.window.is_popup());
    } else {
        advance_pen(text);
    }
}

void PageWalker::device_run(const char* bytes, size_t length) {
    size_t from = 0;
    if (settings.expmultispace) {
        // Runs of two or more blanks put the character after them back on the column grid, so
        // that columns line up in a proportional font.
        for (;;) {
            const char* gap = nullptr;
            for (size_t i = from; i + 1 < length; ++i) {
                if (bytes[i] == ' ' && bytes[i + 1] == ' ') {
                    gap = bytes + i;
                    break;
                }
            }
            if (!gap) break;
            const size_t piece = static_cast<size_t>(gap - bytes) - from;
            draw_or_advance(bytes + from, piece);
            column_ += static_cast<uint32_t>(piece);
            size_t blanks = 0;
            while (gap + blanks < bytes + length && gap[blanks] == ' ') ++blanks;
            const int64_t target_x =
                (int64_t{a_.origin_column} + a_.margin_columns + column_ + blanks) * cell_width_;
            if ((text_.current_attributes & ATTR_UNDERLINE) && drawable()) {
                // Underlined gaps are drawn with blanks so the underline runs through them.
                int32_t x = dc_->current_position().x;
                while (x < target_x) {
                    draw_text_run(*dc_, " ", 1, text_.current_attributes, a_.window.is_popup());
                    const int32_t moved = dc_->current_position().x;
                    if (moved <= x) break;  // a font whose blank has no width
                    x = moved;
                }
            } else {
                const DevicePoint pen = dc_->current_position();
                dc_->move_to(clamp32(std::max<int64_t>(pen.x, target_x)), pen.y);
            }
            column_ += static_cast<uint32_t>(blanks);
            from = static_cast<size_t>(gap - bytes) + blanks;
        }
    }
    draw_or_advance(bytes + from, length - from);
    column_ += static_cast<uint32_t>(length - from);
}

void PageWalker::advance_pen(const ScreenText& text) {
    const int32_t width = screen_text_width(*dc_, text, 0, text.size());
    const DevicePoint pen = dc_->current_position();
    dc_->move_to(clamp32(int64_t{pen.x} + width), pen.y);
}

// `shown` is about to be drawn from x with the selected font, starting at column_ of the line;
// the part of it inside the highlight widens the highlight's extent.
void PageWalker::mark_highlight(const ScreenText& shown, int32_t x) {
    const size_t length = shown.size();
    const TextSpan& span = a_.highlight;
    if (span.line < 0 || static_cast<uint32_t>(span.line) != text_line_ || length == 0) return;
    const uint64_t from = column_;
    const uint64_t to = from + length;
    const uint64_t a = std::max<uint64_t>(from, span.first);
    const uint64_t b = std::min<uint64_t>(to, span.end);
    if (a >= b) return;
    const int32_t left = a == from ? 0 : screen_text_width(*dc_, shown, 0, a - from);
    const int32_t right = screen_text_width(*dc_, shown, 0, b - from);
    const int32_t origin = clamp32(int64_t{a_.origin_column} * cell_width_);
    const int32_t l = clamp32(int64_t{x} + left - origin);
    const int32_t r = clamp32(int64_t{x} + right - origin);
    if (!highlight_found_) {
        highlight_found_ = true;
        highlight_left_ = l;
        highlight_right_ = r;
        highlight_line_ = current_line_;
    } else {
        highlight_left_ = std::min(highlight_left_, l);
        highlight_right_ = std::max(highlight_right_, r);
    }
}

// A span lies in text, so the first text of its line tells the line's place on the screen.
void PageWalker::note_highlight_line() {
    const TextSpan& span = a_.highlight;
    if (!dc_ || span.display_line == nullptr || span.line < 0) return;
    if (static_cast<uint32_t>(span.line) == text_line_) *span.display_line = current_line_;
}

void PageWalker::invert_highlight() {
    if (!highlight_found_ || print_page_ != 0 || !a_.highlight.inverted) return;
    if (highlight_line_ < a_.first_visible_line || highlight_line_ > a_.last_visible_line) return;
    DeviceRect rect;
    rect.left = clamp32(int64_t{a_.origin_column} * cell_width_ + highlight_left_);
    rect.top = clamp32((int64_t{highlight_line_} + a_.origin_line) * line_height_);
    rect.right = clamp32(int64_t{a_.origin_column} * cell_width_ + highlight_right_);
    rect.bottom = clamp32(int64_t{rect.top} + line_height_);
    dc_->invert_rect(rect);
}

void PageWalker::break_or_move() {
    if (print_page_ != 0 && lines_on_page_ >= lines_per_page_) {
        // The printed page ends only when something follows it, so a page whose lines fill the
        // last printed page exactly leaves no empty sheet behind (and Preview reports no
        // further page).
        break_pending_ = true;
    } else if (dc_) {
        dc_->move_to(line_start_x(), line_y(lines_on_page_));
    } else if (exporting_) {
        writer_->write_line_end();
    }
}

void PageWalker::settle_page_break() {
    if (!break_pending_) return;
    break_pending_ = false;
    end_printed_page();
}

void PageWalker::end_printed_page() {
    if (dc_ && print_page_ == -1) {
        dc_->end_page();
        restore_text_state(*dc_, text_);
    }
    if (print_page_ != 0) {
        if (dc_) {
            dc_->move_to(clamp32(int64_t{a_.margin_columns} * cell_width_),
                         clamp32(int64_t{a_.margin_lines} * line_height_));
        }
        lines_on_page_ = 0;
        if (dc_ && print_page_ == -1) dc_->start_page();
        ++page_counter_;
    }
}

void PageWalker::due_graphics() {
    if (objects_.empty()) return;
    if (dc_ && break_pending_) {
        for (const GraphicsObject& object : objects_) {
            if (object.line == current_line_) {
                settle_page_break();
                break;
            }
        }
    }
    GraphicsContext ctx = context(objects_);
    if (dc_) {
        if (graphics_) graphics_->draw_graphics_objects(objects_, false, ctx);
    } else if (stg_html_) {
        writer_->write_graphics_objects(objects_, ctx);
    }
}

// An object due at once is handed over on its own: objects of the same line met earlier were
// drawn (or written) already, and must not be drawn or written a second time.
void PageWalker::draw_now(const GraphicsObject& object) {
    const std::vector<GraphicsObject> one{object};
    if (dc_) settle_page_break();
    GraphicsContext ctx = context(one);
    if (dc_) {
        if (graphics_) graphics_->draw_graphics_objects(one, false, ctx);
    } else if (stg_html_) {
        writer_->write_graphics_objects(one, ctx);
    }
}

GraphicsContext PageWalker::context(const std::vector<GraphicsObject>& objects) {
    return GraphicsContext{&objects,
                           lines_on_page_,
                           dc_,
                           a_.metrics,
                           a_.margin_columns,
                           a_.scale_images,
                           a_.origin_column,
                           a_.origin_line,
                           current_line_,
                           a_.window,
                           text_.current_colour,
                           text_.current_font,
                           text_.current_attributes,
                           print_page_,
                           a_.margin_lines,
                           page_counter_,
                           lines_per_page_,
                           &doc_,
                           writer_};
}

int32_t PageWalker::line_start_x() const {
    return clamp32((int64_t{a_.origin_column} + a_.margin_columns) * cell_width_);
}

int32_t PageWalker::line_y(int64_t lines) const {
    return clamp32((int64_t{a_.origin_line} + a_.margin_lines + lines) * line_height_);
}

int32_t PageWalker::picture_height(uint16_t image) {
    IndexEntry& entry = doc_.index[image];
    if (!entry.bitmap && graphics_) graphics_->decode_image(doc_, image);
    if (entry.bitmap) return std::abs(entry.bitmap->height);
    // Without a decoder the height is read from the image's own header (bytes 2 and 3), its
    // data loaded for a moment as decoding would.
    const bool was_loaded = !entry.page_data.empty();
    if (!was_loaded) load_page(doc_, image);
    const int32_t height = page_length(entry) >= 4 ? read_be16(entry.page_data.data() + 2) : 0;
    if (!was_loaded) release(entry.page_data);
    return height;
}

const ScreenText& PageWalker::shown(const char* bytes, size_t length) {
    screen_.assign(std::string_view(bytes, length), doc_.source_charset, a_.conversion);
    return screen_;
}

}  // namespace

namespace {

// What every window walk shares: the page, its window and what it is measured in.
PageWalkArgs window_walk(WalkMode mode, HypDocument& doc, uint16_t page, PageWindow window,
                         const WalkFonts& fonts) {
    PageWalkArgs args;
    args.mode = mode;
    args.page = page;
    args.document = &doc;
    args.window = window;
    args.metrics = fonts.metrics;
    args.scale_images = fonts.scale_images;
    args.graphics = fonts.graphics;
    args.conversion = fonts.conversion;
    return args;
}

PageWalkArgs drawing_walk(WalkMode mode, HypDocument& doc, uint16_t page, Device& dc,
                          PageWindow window, const WalkFonts& fonts) {
    PageWalkArgs args = window_walk(mode, doc, page, window, fonts);
    args.dc = &dc;
    args.text_font = fonts.text_font;
    args.alt_font = fonts.alt_font;
    return args;
}

PageWalkArgs export_walk(WalkMode mode, HypDocument& doc, uint16_t page, PageWriter& writer) {
    PageWalkArgs args;
    args.mode = mode;
    args.page = page;
    args.document = &doc;
    args.writer = &writer;
    return args;
}

}  // namespace

PageWalkArgs PageWalkArgs::layout(HypDocument& doc, uint16_t page, PageWindow window,
                                  const WalkFonts& fonts) {
    return window_walk(WalkMode::Layout, doc, page, window, fonts);
}

PageWalkArgs PageWalkArgs::screen(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                                  const WalkFonts& fonts, const ScreenView& view) {
    PageWalkArgs args = drawing_walk(WalkMode::Screen, doc, page, dc, window, fonts);
    args.origin_column = view.origin_column;
    args.origin_line = view.origin_line;
    args.first_visible_line = view.first_visible_line;
    args.last_visible_line = view.last_visible_line;
    return args;
}

PageWalkArgs PageWalkArgs::popup(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                                 const WalkFonts& fonts, int32_t first_visible_line,
                                 int32_t last_visible_line) {
    return screen(doc, page, dc, window, fonts, {0, 0, first_visible_line, last_visible_line});
}

PageWalkArgs PageWalkArgs::print(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                                 const WalkFonts& fonts, const PrintFrame& frame) {
    PageWalkArgs args = drawing_walk(WalkMode::Print, doc, page, dc, window, fonts);
    args.print_page = -1;
    args.scale_images = true;
    args.margin_columns = frame.margin_columns;
    args.margin_lines = frame.margin_lines;
    args.lines_per_page = frame.lines_per_page;
    return args;
}

PageWalkArgs PageWalkArgs::preview(HypDocument& doc, uint16_t page, Device& dc, PageWindow window,
                                   const WalkFonts& fonts, const PrintFrame& frame,
                                   int32_t printed_page) {
    PageWalkArgs args = print(doc, page, dc, window, fonts, frame);
    args.mode = WalkMode::Preview;
    args.print_page = printed_page;
    return args;
}

PageWalkArgs PageWalkArgs::text(HypDocument& doc, uint16_t page, PageWriter& writer) {
    return export_walk(WalkMode::Text, doc, page, writer);
}

PageWalkArgs PageWalkArgs::stg(HypDocument& doc, uint16_t page, PageWriter& writer,
                               bool force_index) {
    PageWalkArgs args = export_walk(WalkMode::Stg, doc, page, writer);
    args.index_option = doc.index_option && !force_index;
    args.last_node_index = doc.last_node_index;
    return args;
}

PageWalkArgs PageWalkArgs::html(HypDocument& doc, uint16_t page, PageWriter& writer,
                                bool force_index) {
    PageWalkArgs args = stg(doc, page, writer, force_index);
    args.mode = WalkMode::Html;
    return args;
}

PageWalkArgs PageWalkArgs::exported(HypDocument& doc, uint16_t page, PageWriter& writer,
                                    bool force_index) {
    switch (writer.mode()) {
        case ExportMode::Stg:
            return stg(doc, page, writer, force_index);
        case ExportMode::Html:
            return html(doc, page, writer, force_index);
        case ExportMode::Text:
            break;
    }
    return text(doc, page, writer);
}

PageWalkArgs PageWalkArgs::search(HypDocument& doc, uint16_t page, PageWriter& collector) {
    return text(doc, page, collector);
}

uint32_t display_offset(const uint16_t* extra_lines, size_t count, uint32_t text_line) {
    // Reservations at or above the line push it down; the lines it lands on may hold further
    // reservations, which push it on, until a stretch adds nothing.
    uint64_t offset = 0;
    uint64_t limit = text_line;
    uint64_t from = 0;
    for (;;) {
        uint64_t added = 0;
        for (uint64_t i = from; i <= limit && i < count; ++i) added += extra_lines[i];
        from = limit + 1;
        offset += added;
        limit = from + added;
        if (added == 0 || from >= count) break;
    }
    return static_cast<uint32_t>(std::min<uint64_t>(offset, UINT32_MAX));
}

WalkResult interpret_page(const PageWalkArgs& args) {
    HypDocument& doc = args.document ? *args.document : document;
    if (args.page >= doc.index.size()) return {};
    const WalkMode mode = args.mode;
    const bool drawing =
        mode == WalkMode::Screen || mode == WalkMode::Print || mode == WalkMode::Preview;
    if (drawing && (!args.dc || !args.text_font || !args.alt_font)) return {};
    if ((mode == WalkMode::Text || mode == WalkMode::Stg || mode == WalkMode::Html) &&
        !args.writer) {
        return {};
    }
    // A layout without a window would write its line ends to a writer it has not got.
    if (mode == WalkMode::Layout && !args.window.present()) return {};

    // The document's page cache: primed by its first walk, so that its second page releases
    // the first.
    PageCache& cache = doc.page_cache;
    if (!cache.primed) {
        cache.primed = true;
        cache.last_page = args.page;
    }
    if (mode == WalkMode::Layout && doc.index[args.page].line_count != -1) {
        WalkResult result;
        result.already_laid_out = true;
        return result;
    }
    if (args.page != cache.last_page && cache.last_page < doc.index.size()) {
        IndexEntry& last = doc.index[cache.last_page];
        release(last.page_data);
        for (uint16_t image : last.images_used) {
            if (image < doc.index.size()) doc.index[image].bitmap.reset();
        }
    }
    cache.last_page = args.page;

    PageWalker walker(args, doc, mode);
    return walker.run();
}

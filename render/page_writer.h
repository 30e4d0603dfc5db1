// What the page walk writes in the three export modes: one writer per mode behind one interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hyp/export_mode.h"
#include "hyp/failure.h"
#include "settings/settings_layout.h"

struct HypDocument;
struct GraphicsObject;
struct GraphicsContext;

// Converts every byte of `text` through conversion table `table` (as convert_charset does, but
// for texts of any length and with NUL bytes kept): the walk's runs and the writers' texts. A
// conversion to UTF-8 lengthens the text by the bytes its characters take.
void convert_in_place(std::string& text, unsigned table);

// One link element of a page as the walk read it.
struct PageLink {
    uint8_t code = 0;          // ESC_LINK, ESC_LINK_LINE, ESC_ALINK or ESC_ALINK_LINE
    uint16_t target = 0;       // entry index (may lie beyond the index of a damaged file)
    uint16_t target_line = 0;  // line of the target; 0 for none and for the kinds without one
    bool has_text = false;     // a text of its own is stored (length byte 33 or more)
    // The link text, raw (the document's character set): the stored text up to its first NUL,
    // or the target's name when none is stored (empty when the target has no name).
    std::string_view text;
};

// The hooks the page walk calls in the export modes, in the order a page meets them. Every hook
// but mode() does nothing by default, so a writer overrides only what it writes. Texts come
// raw, in the document's character set: each writer converts them with its run's conversion (and
// quotes or escapes them as its form needs). The walk decides when a page is started, which
// elements a mode writes and when the symbols and graphics of a line are due; a writer only says
// how they are written.
class PageWriter {
   public:
    virtual ~PageWriter() = default;
    virtual ExportMode mode() const = 0;

    // --- the run ---
    // After the banner, before the first entry: the Stg database lines; the Html run state.
    virtual void begin_run(HypDocument& /*doc*/, const LogFontRecord& /*text_font*/) {}
    // An ENTRY_NODE's `toc` differs from the one announced last; called before its page.
    virtual void write_toc(HypDocument& /*doc*/, uint16_t /*toc*/) {}
    // An ENTRY_IMAGE entry met in index order (Stg and Html: its BMP file).
    virtual void write_image_file(HypDocument& /*doc*/, uint16_t /*index*/) {}

    // --- one page ---
    // The head of page `entry`, before its first output (or at its end when it has none).
    // `title` is the window title when the page starts with one, else null. Returns false when
    // the page cannot be written (end_run then says why); the walk then stops at once.
    virtual bool write_page_head(HypDocument& /*doc*/, uint16_t /*entry*/,
                                 const std::string* /*title*/, uint16_t /*last_node_index*/) {
        return true;
    }
    // A window title after the page was started.
    virtual void write_title(HypDocument& /*doc*/, const std::string& /*title*/) {}
    // A run of text bytes (no ESC, no NUL, and none of the mode's special characters).
    virtual void write_text(const char* /*bytes*/, size_t /*length*/) {}
    // A character the mode stops at ("@" in Stg and Html; "<", ">", the double quote in Html).
    virtual void write_special(char /*c*/) {}
    // The literal ESC character.
    virtual void write_literal_escape() {}
    virtual void write_line_end() {}
    // The symbols of the page that lie at `line` (Stg and Html; only called when the document
    // has symbols).
    virtual void write_symbols(HypDocument& /*doc*/, uint16_t /*entry*/, uint16_t /*line*/) {}
    virtual void write_link(HypDocument& /*doc*/, const PageLink& /*link*/) {}
    // A cross reference with its stored title (raw).
    virtual void write_xref(HypDocument& /*doc*/, uint16_t /*target*/,
                            const std::string& /*title*/) {}
    virtual void write_tree(HypDocument& /*doc*/, uint16_t /*line*/, uint16_t /*tree*/,
                            uint16_t /*object*/, uint16_t /*index*/) {}
    // An attribute change; only called when `new_set` differs from `old_set`.
    virtual void write_attributes(uint8_t /*old_set*/, uint8_t /*new_set*/) {}
    // The graphics objects due at the context's current line (pictures, lines, boxes).
    virtual void write_graphics_objects(const std::vector<GraphicsObject>& /*objects*/,
                                        GraphicsContext& /*context*/) {}
    // After the page's last element (the walk has started the page if it was not).
    virtual void write_page_end(HypDocument& /*doc*/, uint16_t /*entry*/) {}

    // --- the end ---
    // After the last entry: closes what is open; the failure when a page could not be started
    // or a file the writer made itself could not be written whole. Writers that only write the
    // caller's output have nothing to check.
    virtual Outcome end_run() { return Outcome(); }
};

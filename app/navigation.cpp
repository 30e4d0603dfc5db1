// Navigation of the main window over the document, the view state, the back stack and the
// bookmarks.
#include "app/navigation.h"

#include <algorithm>
#include <cstring>

#include "app/bookmarks.h"
#include "app/link_selection.h"
#include "app/scroll.h"
#include "app/xref_menu.h"
#include "hyp/ascii_case.h"
#include "hyp/charset.h"
#include "hyp/paths.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

constexpr const char* LINK_TYPE_FORMAT_HEAD = "Der angewählte Link hat den Typ:\n";
constexpr const char* UNSUPPORTED_TAIL = "und kann leider noch nicht angezeigt werden!";

bool same_path(const std::string& a, const std::string& b) {
    return equal_ignoring_case(a, b);
}

// Copies a path into a settings buffer, cut to fit.
void store_path(char (&buffer)[SETTINGS_PATH_SIZE], const std::string& path) {
    const std::size_t length = std::min(path.size(), SETTINGS_PATH_SIZE - 1);
    std::memcpy(buffer, path.data(), length);
    buffer[length] = 0;
}

}  // namespace

// --- rules without state ----------------------------------------------------------------------

ExternalReference resolve_external_reference(const HypDocument& doc, const std::string& text) {
    ExternalReference result;
    const std::size_t separator = text.find_first_of("/\\");
    if (separator != std::string::npos) {
        result.file_part = text.substr(0, separator);
        const std::string node = text.substr(separator + 1);
        if (std::optional<std::string> found =
                locate_hypertext(doc, result.file_part, hyp_path_setting())) {
            result.found = true;
            result.path = *found;
            // "file/" names no node: the file is shown from its first entry.
            if (!node.empty()) result.requested_name = node;
        }
    } else if (ascii_lower_case(text).find(".hyp") != std::string::npos) {
        result.file_part = text;
        if (std::optional<std::string> found = locate_hypertext(doc, text, hyp_path_setting())) {
            result.found = true;
            result.path = *found;
        }
    } else {
        result.file_part = path_file_name(doc.path);
        result.found = true;
        result.path = doc.path;
        result.requested_name = text;
    }
    return result;
}

std::string not_found_message(const std::string& file_part) {
    return "Die Hypertextdatei\n\n" + file_part + "\n\nwurde nicht gefunden!";
}

std::string link_type_text(const HypDocument& doc, uint16_t target, unsigned conversion) {
    std::string text = LINK_TYPE_FORMAT_HEAD;
    if (target >= doc.index.size()) return text + "\n";
    const IndexEntry& entry = doc.index[target];
    if (const char* name = entry_type_name(entry.type)) text += name;
    text += "\n";
    if (entry.name) {
        text += "und den Wert:\n";
        text += convert_charset(*entry.name, false, conversion);
        text += "\n";
    }
    return text;
}

std::string unsupported_link_message(const HypDocument& doc, uint16_t target, unsigned conversion) {
    return link_type_text(doc, target, conversion) + UNSUPPORTED_TAIL;
}

std::optional<CommandTarget> navigation_command_target(const HypDocument& doc, int32_t current_page,
                                                       unsigned command) {
    const bool valid =
        current_page >= 0 && static_cast<std::size_t>(current_page) < doc.index.size();
    const bool on_node = valid && doc.index[current_page].type == ENTRY_NODE;
    switch (command) {
        case CM_PREV_LOGICAL:
            return CommandTarget{valid ? doc.index[current_page].previous : current_page, false};
        case CM_NEXT_LOGICAL:
            return CommandTarget{valid ? doc.index[current_page].next : current_page, false};
        case CM_PREV_PHYSICAL: {
            if (!on_node) return CommandTarget{current_page, false};
            for (int32_t i = current_page - 1; i >= 0; --i) {
                if (doc.index[i].type == ENTRY_NODE) return CommandTarget{i, false};
            }
            return CommandTarget{0, false};
        }
        case CM_NEXT_PHYSICAL: {
            if (!on_node) return CommandTarget{current_page, false};
            const int32_t last =
                std::min<int32_t>(doc.last_node_index, static_cast<int32_t>(doc.index.size()) - 1);
            for (int32_t i = current_page + 1; i <= last; ++i) {
                if (doc.index[i].type == ENTRY_NODE) return CommandTarget{i, false};
            }
            return CommandTarget{current_page, false};
        }
        case CM_FIRST_PAGE:
            return CommandTarget{0, true};
        case CM_LAST_PAGE:
            return CommandTarget{doc.last_node_index, true};
        case CM_TOC:
            return CommandTarget{valid ? doc.index[current_page].toc : current_page, true};
        case CM_INDEX_PAGE:
            if (std::optional<uint16_t> page = find_index_page(doc))
                return CommandTarget{*page, true};
            return std::nullopt;
        case CM_HELP_PAGE:
            if (std::optional<uint16_t> page = help_page(doc)) return CommandTarget{*page, true};
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

// --- the navigator -------------------------------------------------------------------------------

bool Navigator::command(unsigned id) {
    if (std::optional<CommandTarget> target =
            navigation_command_target(doc_, view_.current_page, id)) {
        NavigationRequest request;
        request.target = target->target;
        request.no_push = !target->push;
        show_entry(std::move(request));
        return true;
    }
    if (id >= CM_PREV_LOGICAL && id <= CM_HELP_PAGE) return true;  // no index or help page
    if (id == CM_BACK) {
        back();
    } else if (id == CM_CLEAR_STACK) {
        clear_history();
    } else if (id >= CM_GOTO_MARK && id < CM_GOTO_MARK + BOOKMARK_KEYS) {
        goto_mark(id - CM_GOTO_MARK);
    } else if (id >= CM_SET_MARK && id < CM_SET_MARK + BOOKMARK_KEYS) {
        set_mark(id - CM_SET_MARK);
    } else if (id >= CM_DELETE_MARK && id < CM_DELETE_MARK + BOOKMARK_KEYS) {
        delete_mark(id - CM_DELETE_MARK);
    } else if (id >= CM_XREF_FIRST && id <= CM_XREF_LAST) {
        choose_xref(id - CM_XREF_FIRST);
    } else if (id >= CM_HISTORY_FIRST && id <= CM_HISTORY_LAST) {
        back_to(id - (CM_HISTORY_FIRST - 1));
    } else {
        return false;
    }
    return true;
}

void Navigator::show_entry(NavigationRequest request) {
    const int32_t target = std::clamp<int32_t>(request.target, 0, doc_.last_node_index);
    if (!request.file_loaded && target == view_.current_page &&
        request.top_line == view_.top_line) {
        host_.update_buttons();
        return;
    }
    if (!request.restoring && !request.no_push) {
        HistoryEntry entry;
        entry.page = clamp_to_u16(request.file_loaded ? request.previous_page : view_.current_page);
        entry.top_line = clamp_to_u16(view_.top_line);
        entry.left_column = clamp_to_u16(view_.left_column);
        entry.selected_link = view_.selected_link;
        if (request.file_loaded) {
            entry.path = std::move(request.previous_path);
            entry.node_name = std::move(request.previous_name);
        } else {
            entry.path = doc_.path;
            entry.node_name =
                std::string(entry_name(doc_, static_cast<unsigned>(view_.current_page)));
        }
        history_.push(std::move(entry));
    }
    if (!request.restoring) view_.selected_link = 0;

    view_.current_page = target;
    const bool present = static_cast<std::size_t>(target) < doc_.index.size();
    if (present && doc_.index[target].line_count == -1) host_.layout_page(clamp_to_u16(target));

    // The caption is set once: to the page's own title when it has one (the layout, which the
    // walk's result reports, found it), else to its name. Each caption set costs a frame paint.
    const bool titled = present && doc_.index[target].title;
    const WindowCaption caption =
        window_caption(titled ? std::string_view(*doc_.index[target].title)
                              : entry_name(doc_, static_cast<unsigned>(target)),
                       doc_.source_charset, view_.conversion);
    if (!caption.wide.empty()) {
        host_.set_wide_title(caption.wide);
    } else {
        host_.set_title(caption.narrow);
    }
    // Not clamped here: a line near the page's end stays the top line until the next resize.
    view_.top_line = request.top_line;
    view_.left_column = request.left_column;

    const ViewMetrics m = host_.metrics();
    const int32_t line_count = present ? std::max(doc_.index[target].line_count, 0) : 0;
    view_.max_top_line = max_top_line_for(line_count, m.client_height, m.line_height);
    view_.document_width = document_width_for(doc_.line_width, m.cell_width);
    view_.max_left_column = max_left_column_for(view_.document_width, m.client_width, m.cell_width);
    host_.show_view(view_);
    host_.update_buttons();
}

bool Navigator::open_and_show(LoadSource source, std::optional<std::string> path,
                              std::optional<std::string> requested_name,
                              NavigationRequest request) {
    if (source == LoadSource::Dialog) {
        path = host_.choose_hypertext(path_directory(doc_.path), path_file_name(doc_.path));
        if (!path) return false;
    }
    if (!path) return false;

    const uint16_t old_line_width = doc_.line_width;
    const std::string old_path = doc_.path;
    std::string previous_path = doc_.path;
    std::string previous_name =
        std::string(entry_name(doc_, static_cast<unsigned>(view_.current_page)));
    const int32_t previous_page = view_.current_page;
    const bool named = requested_name.has_value();

    host_.set_wait_cursor(true);
    // With a node name, -1 lets the loader fall back to the file's default node (and then to
    // its first entry) when the name is not found, rather than keep a page number that belongs
    // to the file shown before.
    int32_t loaded_page = -1;
    host_.opening_hypertext(*path);
    if (const Outcome opened = open_hypertext(doc_, *path, requested_name, -1, loaded_page);
        !opened) {
        doc_.line_width = old_line_width;
        doc_.path = old_path;
        host_.set_wait_cursor(false);
        host_.repaint_now();
        host_.show_message(opened.failure().message);
        return false;
    }

    store_path(settings.LastLoadPath, *path);
    host_.save_options_div();
    host_.hypertext_opened(*path);
    view_.conversion = screen_conversion(doc_.source_charset);

    if (named) {
        request.target = loaded_page;
        request.top_line = 0;
        if (doc_.start_line != -1) {
            request.top_line = doc_.start_line;
            doc_.start_line = -1;
        }
    } else if (source != LoadSource::Navigation) {
        request.target = 0;
    }
    doc_.start_line = -1;

    host_.set_wait_cursor(false);
    request.file_loaded = true;
    request.previous_page = previous_page;
    request.previous_path = std::move(previous_path);
    request.previous_name = std::move(previous_name);
    show_entry(std::move(request));
    return true;
}

void Navigator::follow_link(const LinkArea& area, ClientPoint point) {
    uint16_t ordinal = 0;
    if (view_.current_page >= 0 &&
        static_cast<std::size_t>(view_.current_page) < doc_.index.size()) {
        ordinal = static_cast<uint16_t>(ordinal_of_link(doc_.index[view_.current_page], &area));
    }
    const uint16_t target = area.target;
    const uint16_t target_line = area.target_line;
    if (target >= doc_.index.size()) return;
    if (doc_.index[target].type == ENTRY_NODE) {
        view_.selected_link = ordinal;
        if (target == view_.current_page && target_line == view_.top_line) return;
        NavigationRequest request;
        request.target = target;
        request.top_line = target_line;
        show_entry(std::move(request));
        return;
    }
    act_on_target(target, true, ordinal, point);
}

void Navigator::act_on_target(uint16_t target, bool from_link, uint16_t ordinal,
                              ClientPoint point) {
    switch (doc_.index[target].type) {
        case ENTRY_NODE: {
            NavigationRequest request;
            request.target = target;
            show_entry(std::move(request));
            break;
        }
        case ENTRY_PNODE:
            if (from_link) host_.open_popup(target, point);
            break;
        case ENTRY_EXTERNAL: {
            const ExternalReference ref = resolve_external_reference(
                doc_, std::string(entry_name(doc_, static_cast<unsigned>(target))));
            if (!ref.found) {
                host_.show_message(not_found_message(ref.file_part));
                break;
            }
            if (from_link) view_.selected_link = ordinal;
            open_and_show(LoadSource::Navigation, ref.path, ref.requested_name,
                          NavigationRequest{});
            break;
        }
        case ENTRY_QUIT:
            quit();
            break;
        default:
            host_.show_message(unsupported_link_message(doc_, target, view_.conversion));
            break;
    }
}

void Navigator::quit() {
    settings.LastLoadIndex = static_cast<uint32_t>(std::max(view_.current_page, 0));
    settings.LastLoadZeile = static_cast<uint32_t>(std::max(view_.top_line, 0));
    host_.save_options_div();
    host_.post_quit();
}

void Navigator::restore(HistoryEntry entry) {
    if (entry.page == view_.current_page && entry.top_line == view_.top_line &&
        same_path(entry.path, doc_.path)) {
        host_.update_buttons();
        return;
    }
    view_.selected_link = entry.selected_link;
    NavigationRequest request;
    request.target = entry.page;
    request.top_line = entry.top_line;
    request.left_column = entry.left_column;
    request.restoring = true;
    if (same_path(entry.path, doc_.path)) {
        show_entry(std::move(request));
    } else {
        open_and_show(LoadSource::Navigation, std::move(entry.path), std::nullopt,
                      std::move(request));
    }
}

void Navigator::back() {
    if (std::optional<HistoryEntry> entry = history_.pop(1)) restore(std::move(*entry));
}

void Navigator::back_to(std::size_t k) {
    if (std::optional<HistoryEntry> entry = history_.pop(k)) restore(std::move(*entry));
}

void Navigator::clear_history() {
    history_.clear();
    host_.update_buttons();
}

void Navigator::set_mark(std::size_t i) {
    if (i >= BOOKMARK_COUNT) return;
    BookmarkPlace place;
    place.page = clamp_to_u16(view_.current_page);
    place.top_line = clamp_to_u16(view_.top_line);
    place.left_column = clamp_to_u16(view_.left_column);
    place.path = doc_.path;
    place.node_name = std::string(entry_name(doc_, static_cast<unsigned>(view_.current_page)));
    set_bookmark(settings.Marken[i], place);
    host_.save_options_div();
    host_.update_buttons();
}

void Navigator::delete_mark(std::size_t i) {
    if (i >= BOOKMARK_COUNT) return;
    delete_bookmark(settings.Marken[i]);
    host_.save_options_div();
    host_.update_buttons();
}

void Navigator::goto_mark(std::size_t i) {
    if (i >= BOOKMARK_COUNT) return;
    if (host_.ctrl_held()) {
        delete_mark(i);
        return;
    }
    if (!bookmark_in_use(settings.Marken[i])) return;
    BookmarkPlace place = bookmark_place(settings.Marken[i]);
    const bool here_file = same_path(place.path, doc_.path);
    if (here_file && place.page == view_.current_page && place.top_line == view_.top_line) return;
    NavigationRequest request;
    request.target = place.page;
    request.top_line = place.top_line;
    request.left_column = place.left_column;
    if (here_file) {
        show_entry(std::move(request));
    } else {
        open_and_show(LoadSource::Navigation, std::move(place.path), std::nullopt,
                      std::move(request));
    }
}

void Navigator::choose_xref(std::size_t k) {
    if (view_.current_page < 0 || static_cast<std::size_t>(view_.current_page) >= doc_.index.size())
        return;
    const std::optional<uint16_t> target =
        xref_menu_target(doc_.index[view_.current_page], static_cast<unsigned>(CM_XREF_FIRST + k));
    if (!target || *target >= doc_.index.size()) return;
    act_on_target(*target, false, 0, ClientPoint{});
}

PopupMenuModel Navigator::history_menu_model() const {
    return history_menu(history_, view_.conversion);
}

PopupMenuModel Navigator::marks_menu_model() const {
    return marks_menu(settings.Marken, view_.conversion);
}

PopupMenuModel Navigator::xref_menu_model() const {
    if (view_.current_page < 0 || static_cast<std::size_t>(view_.current_page) >= doc_.index.size())
        return PopupMenuModel{XREF_MENU_TITLE, {}};
    return xref_menu(doc_, doc_.index[view_.current_page], view_.conversion);
}

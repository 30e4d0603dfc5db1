// Moving between entries and hypertexts: command targets, show_entry, open_and_show,
// follow_link, the back stack, the bookmarks and the "Siehe auch" menu; no window system here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/history.h"
#include "app/view_state.h"
#include "hyp/document.h"

// A point in the main window's client area, in pixels.
struct ClientPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The sizes show_entry computes the scroll ranges from.
struct ViewMetrics {
    int32_t client_width = 0;   // pixels
    int32_t client_height = 0;  // pixels
    int32_t line_height = 1;    // the vertical unit, pixels
    int32_t cell_width = 1;     // the horizontal unit, pixels
};

// What the navigation needs of the window. The window implements it; tests record the calls.
class NavigationHost {
   public:
    virtual ~NavigationHost() = default;

    // Sets the main window's title (Windows character set).
    virtual void set_title(const std::string& title) = 0;
    // Replaces it by the same title with the characters the Windows set lacks as they are
    // (UTF-16); called right after set_title for a page whose name holds such characters.
    virtual void set_wide_title(const std::u16string& title) = 0;
    // Runs the Layout walk for `page`, whose line count is still -1.
    virtual void layout_page(uint16_t page) = 0;
    // Client size and units, for the scroll ranges.
    virtual ViewMetrics metrics() = 0;
    // Hands the view's ranges and positions to both scroll bars and repaints the whole client
    // area with erase.
    virtual void show_view(const ViewState& view) = 0;
    // Recomputes the enabled states of the picture buttons.
    virtual void update_buttons() = 0;
    // Paints pending parts of the window at once (before a message box after a failed load).
    virtual void repaint_now() = 0;
    // A message box owned by the main window, no caption, OK.
    virtual void show_message(const std::string& text) = 0;
    // Opens the popup window for `entry` centred on `point`.
    virtual void open_popup(uint16_t entry, ClientPoint point) = 0;
    // The file-open dialog for a hypertext; none when cancelled.
    virtual std::optional<std::string> choose_hypertext(const std::string& directory,
                                                        const std::string& file_name) = 0;
    // The wait cursor (true) or the arrow (false).
    virtual void set_wait_cursor(bool wait) = 0;
    // Writes the OptionsDiv settings (bookmarks and LastLoadPath among them).
    virtual void save_options_div() = 0;
    // Posts the quit message (the state at exit is saved before).
    virtual void post_quit() = 0;
    // Whether the Ctrl key is held at this moment.
    virtual bool ctrl_held() = 0;
    // A hypertext was loaded from `path` (after LastLoadPath was stored): the window lists it
    // among the recently opened ones.
    virtual void hypertext_opened(const std::string& path) { (void)path; }
    // A hypertext is about to be opened from `path` (the window notes how the file is then, to
    // see a change made while it is read).
    virtual void opening_hypertext(const std::string& path) { (void)path; }
};

// The inputs of show_entry. Unless a rule says otherwise the top line and column are 0.
struct NavigationRequest {
    int32_t target = 0;
    int32_t top_line = 0;
    int32_t left_column = 0;
    bool no_push = false;    // the browsing commands
    bool restoring = false;  // from the back stack: nothing pushed, the selection kept
    // Set by open_and_show after loading a file: the place before the load, which the pushed
    // history entry records.
    bool file_loaded = false;
    int32_t previous_page = 0;
    std::string previous_path;
    std::string previous_name;
};

// Where open_and_show's path comes from; the dialog and a dropped file show entry 0.
enum class LoadSource { Dialog, Dropped, Navigation };

// An external reference resolved to a file.
struct ExternalReference {
    bool found = false;
    std::string path;                           // the file to load (found)
    std::optional<std::string> requested_name;  // the node to show in it, if named
    std::string file_part;                      // as written, for the not-found message
};

// Resolves the name of an ENTRY_EXTERNAL entry: "file/node" or "file\node" (split at the first
// separator; the file searched with locate_hypertext), a name containing ".hyp" in any case (a
// file, shown from entry 0), or else a node of the current hypertext (which is loaded again).
ExternalReference resolve_external_reference(const HypDocument& doc, const std::string& text);

// The texts of the messages.
std::string not_found_message(const std::string& file_part);
// "Der angewählte Link hat den Typ:\n%s\n%s%s%s" for the target entry; the Shift-click link
// information shows it as is, the unsupported-link message adds its end.
std::string link_type_text(const HypDocument& doc, uint16_t target, unsigned conversion);
std::string unsupported_link_message(const HypDocument& doc, uint16_t target, unsigned conversion);

// The target of a navigation command (CM_PREV_LOGICAL .. CM_HELP_PAGE) and whether it pushes;
// none for other commands, and for the index and help commands when the file has no such page.
struct CommandTarget {
    int32_t target = 0;
    bool push = true;
};
std::optional<CommandTarget> navigation_command_target(const HypDocument& doc, int32_t current_page,
                                                       unsigned command);

// The navigation of the main window: works on the open document, the window's view state, the
// back stack and the bookmarks of the settings (`Marken`).
class Navigator {
   public:
    Navigator(HypDocument& doc, ViewState& view, HistoryStack& history, NavigationHost& host)
        : doc_(doc), view_(view), history_(history), host_(host) {}

    // Performs the commands of this module: the page commands, Back, the stack, the bookmarks,
    // the "Siehe auch" and history menu items. False for any other id (nothing done).
    bool command(unsigned id);

    // The common end of every navigation.
    void show_entry(NavigationRequest request);
    // Loads a hypertext (from the dialog when `path` is none) and shows the request's target in
    // it, or the node `requested_name`. On failure the view stays as it was. Returns whether a
    // file was loaded.
    bool open_and_show(LoadSource source, std::optional<std::string> path,
                       std::optional<std::string> requested_name, NavigationRequest request);
    // Acts on a link of the shown page (clicked, or chosen with the keyboard) by the type of its
    // target; `point` is where a popup appears.
    void follow_link(const LinkArea& area, ClientPoint point);

    void back();                      // CM_BACK
    void back_to(std::size_t k);      // history menu item k (1 = the most recent)
    void clear_history();             // CM_CLEAR_STACK
    void set_mark(std::size_t i);     // CM_SET_MARK + i
    void delete_mark(std::size_t i);  // CM_DELETE_MARK + i
    void goto_mark(std::size_t i);    // CM_GOTO_MARK + i (deletes when Ctrl is held)
    void choose_xref(std::size_t k);  // "Siehe auch" item k (from 0)
    // CM_QUIT and quit links: the state at exit saved, the quit message posted.
    void quit();

    // The three run-time menus of the picture buttons.
    PopupMenuModel history_menu_model() const;
    PopupMenuModel marks_menu_model() const;
    PopupMenuModel xref_menu_model() const;

   private:
    void act_on_target(uint16_t target, bool from_link, uint16_t ordinal, ClientPoint point);
    void restore(HistoryEntry entry);

    HypDocument& doc_;
    ViewState& view_;
    HistoryStack& history_;
    NavigationHost& host_;
};

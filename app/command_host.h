// What the viewer's commands do, as a window implements it, and the one dispatch through the list.
#pragma once

#include "app/command_table.h"

// One member per action of the command list: the window implements them all, so a handler the
// list names always exists; tests record the calls. `id` is the id run (a family's member, a
// run-time menu's item); most actions need none.
class CommandHost {
   public:
    virtual ~CommandHost() = default;

    // The enable facts of the shown page (history and bookmarks included).
    virtual EnableState enable_state() = 0;

    virtual void open(unsigned id) = 0;
    virtual void save_text(unsigned id) = 0;
    virtual void recompile(unsigned id) = 0;
    virtual void html(unsigned id) = 0;
    virtual void print(unsigned id) = 0;
    virtual void preview(unsigned id) = 0;
    virtual void file_info(unsigned id) = 0;
    virtual void quit(unsigned id) = 0;
    virtual void copy(unsigned id) = 0;
    virtual void select_all(unsigned id) = 0;
    virtual void find(unsigned id) = 0;
    virtual void find_next(unsigned id) = 0;
    // The navigation's commands: pages, Back, the stack, the bookmark families, and the items
    // of the "Siehe auch" and history menus.
    virtual void navigate(unsigned id) = 0;
    // The catalogue window (shown, or brought to the front).
    virtual void catalogue(unsigned id) = 0;
    virtual void fonts(unsigned id) = 0;
    virtual void colours(unsigned id) = 0;
    virtual void output_options(unsigned id) = 0;
    virtual void toggle_xfont(unsigned id) = 0;
    virtual void toggle_multispace(unsigned id) = 0;
    virtual void toggle_scale_bitmaps(unsigned id) = 0;
    virtual void misc_options(unsigned id) = 0;
    virtual void key_help(unsigned id) = 0;
    virtual void about(unsigned id) = 0;
    // The popup menus of the picture buttons.
    virtual void history_menu(unsigned id) = 0;
    virtual void marks_menu(unsigned id) = 0;
    virtual void xref_menu(unsigned id) = 0;
    virtual void extra_menu(unsigned id) = 0;
    // The keyboard's link selection.
    virtual void next_link(unsigned id) = 0;
    virtual void previous_link(unsigned id) = 0;
    virtual void follow_link(unsigned id) = 0;
    // Item `index` (0 = the newest) of the recently opened files.
    virtual void open_recent(unsigned index) = 0;
};

// What became of a command id.
enum class CommandRun : uint8_t {
    Done,      // its handler ran
    Disabled,  // its item is grayed now (or for good): nothing to do
    Unknown,   // no command of the list nor of the run-time menus has this id
};

// Runs command `id` (a menu item, an accelerator, a picture button or an entry of a popup
// menu): a button performs the command it acts as; a family's member and a run-time menu's
// item reach their handler with their own id.
CommandRun run_command(CommandHost& host, unsigned id);

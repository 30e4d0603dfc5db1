// The dispatch through the command list: every command reaches a handler of the window or is
// grayed for good, buttons perform their commands, run-time menu items reach theirs.
#include "app/command_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records each handler called as "name id".
class RecordingCommands : public CommandHost {
   public:
    EnableState state;
    std::vector<std::string> calls;

    EnableState enable_state() override { return state; }
    void open(unsigned id) override { note("open", id); }
    void save_text(unsigned id) override { note("save_text", id); }
    void recompile(unsigned id) override { note("recompile", id); }
    void html(unsigned id) override { note("html", id); }
    void print(unsigned id) override { note("print", id); }
    void preview(unsigned id) override { note("preview", id); }
    void file_info(unsigned id) override { note("file_info", id); }
    void quit(unsigned id) override { note("quit", id); }
    void copy(unsigned id) override { note("copy", id); }
    void select_all(unsigned id) override { note("select_all", id); }
    void find(unsigned id) override { note("find", id); }
    void find_next(unsigned id) override { note("find_next", id); }
    void navigate(unsigned id) override { note("navigate", id); }
    void catalogue(unsigned id) override { note("catalogue", id); }
    void fonts(unsigned id) override { note("fonts", id); }
    void colours(unsigned id) override { note("colours", id); }
    void output_options(unsigned id) override { note("output_options", id); }
    void toggle_xfont(unsigned id) override { note("toggle_xfont", id); }
    void toggle_multispace(unsigned id) override { note("toggle_multispace", id); }
    void toggle_scale_bitmaps(unsigned id) override { note("toggle_scale_bitmaps", id); }
    void misc_options(unsigned id) override { note("misc_options", id); }
    void key_help(unsigned id) override { note("key_help", id); }
    void about(unsigned id) override { note("about", id); }
    void history_menu(unsigned id) override { note("history_menu", id); }
    void marks_menu(unsigned id) override { note("marks_menu", id); }
    void xref_menu(unsigned id) override { note("xref_menu", id); }
    void extra_menu(unsigned id) override { note("extra_menu", id); }
    void next_link(unsigned id) override { note("next_link", id); }
    void previous_link(unsigned id) override { note("previous_link", id); }
    void follow_link(unsigned id) override { note("follow_link", id); }
    void open_recent(unsigned index) override { note("open_recent", index); }

   private:
    void note(const char* name, unsigned id) { calls.push_back(name + (" " + std::to_string(id))); }
};

const EnableState kEverything{true, true, true, true, true, true, true, true, true, true};

// Fails when a command is added to the list without a handler and without being grayed for
// good: every id of the list, all enable facts true, runs exactly one handler or is Disabled
// by a rule that never allows it.
TEST(CommandHost, EveryCommandRunsOneHandlerOrIsGrayedForGood) {
    for (std::size_t i = 0; i < command_count; ++i) {
        const CommandSpec& command = command_list[i];
        for (unsigned m = 0; m < command.count; ++m) {
            RecordingCommands host;
            host.state = kEverything;
            const CommandRun run = run_command(host, command.id + m);
            if (command.rule == EnableRule::Never) {
                EXPECT_EQ(run, CommandRun::Disabled) << command.name;
                EXPECT_TRUE(host.calls.empty()) << command.name;
            } else {
                EXPECT_EQ(run, CommandRun::Done) << command.name << " has no handler";
                EXPECT_EQ(host.calls.size(), 1u) << command.name;
            }
        }
    }
}

TEST(CommandHost, IdsReachTheirHandlersOnlyWhenEnabled) {
    const EnableState nothing;
    struct Case {
        const char* name;
        unsigned id;
        EnableState state;
        CommandRun run;
        std::string call;  // the handler called; empty: none
    };
    const Case cases[] = {
        {"a menu item", CM_OPEN, nothing, CommandRun::Done, "open 101"},
        {"its button", TB_OPEN, nothing, CommandRun::Done, "open 101"},
        {"the info button", TB_INFO, nothing, CommandRun::Done, "file_info 107"},
        {"Back with a history", TB_BACK, kEverything, CommandRun::Done, "navigate 311"},
        {"Back without one", CM_BACK, nothing, CommandRun::Disabled, ""},
        {"its button without one", TB_BACK, nothing, CommandRun::Disabled, ""},
        {"a page command on the last page", CM_NEXT_PHYSICAL, nothing, CommandRun::Disabled, ""},
        {"a button's own menu", TB_EXTRA, nothing, CommandRun::Done, "extra_menu 1017"},
        {"the marks menu without a mark", TB_MARKS, nothing, CommandRun::Disabled, ""},
        {"F12", CM_GOTO_MARK + 10, nothing, CommandRun::Done, "navigate 2012"},
        {"Shift+F2", CM_SET_MARK, nothing, CommandRun::Done, "navigate 2102"},
        {"a 'Siehe auch' item", CM_XREF_FIRST + 3, nothing, CommandRun::Done, "navigate 3004"},
        {"the last history item", CM_HISTORY_LAST, nothing, CommandRun::Done, "navigate 3099"},
        {"the third recent file", CM_RECENT_FIRST + 2, nothing, CommandRun::Done, "open_recent 2"},
        {"Ctrl+A", CM_SELECT_ALL, nothing, CommandRun::Done, "select_all 207"},
        {"Return", CM_FOLLOW_LINK, nothing, CommandRun::Done, "follow_link 2502"},
        {"undo, grayed", CM_UNDO, kEverything, CommandRun::Disabled, ""},
        {"the catalogue button acts as its menu item", TB_CATALOGUE, nothing, CommandRun::Done,
         "catalogue 313"},
        {"Ctrl+K", CM_CATALOGUE, nothing, CommandRun::Done, "catalogue 313"},
        {"the gap in the page commands", 310, kEverything, CommandRun::Unknown, ""},
        {"past the bookmark keys", CM_SET_MARK + 11, kEverything, CommandRun::Unknown, ""},
        {"between history and recent files", CM_HISTORY_LAST + 1, kEverything, CommandRun::Unknown,
         ""},
    };
    for (const Case& c : cases) {
        RecordingCommands host;
        host.state = c.state;
        EXPECT_EQ(run_command(host, c.id), c.run) << c.name;
        const std::string call = host.calls.empty() ? "" : host.calls.front();
        EXPECT_EQ(call, c.call) << c.name;
        EXPECT_LE(host.calls.size(), 1u) << c.name;
    }
}

}  // namespace

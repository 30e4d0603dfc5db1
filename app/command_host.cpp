// What the viewer's commands do, as a window implements it, and the one dispatch through the list.
#include "app/command_host.h"

CommandRun run_command(CommandHost& host, unsigned id) {
    if (id >= CM_XREF_FIRST && id <= CM_HISTORY_LAST) {  // the menus built at run time
        host.navigate(id);
        return CommandRun::Done;
    }
    if (id >= CM_RECENT_FIRST && id <= CM_RECENT_LAST) {
        host.open_recent(id - CM_RECENT_FIRST);
        return CommandRun::Done;
    }
    unsigned member = 0;
    const CommandSpec* command = find_command(id, &member);
    if (command == nullptr) return CommandRun::Unknown;
    if (!rule_allows(command->rule, host.enable_state())) return CommandRun::Disabled;
    // A button performs its command (enabled alike, by the list's rules).
    const CommandSpec* performed = command->acts_as ? find_command(command->acts_as) : command;
    // Only a grayed item lacks a handler, and its rule never lets it here.
    if (performed == nullptr || performed->handler == nullptr) return CommandRun::Disabled;
    (host.*performed->handler)(performed->id + member);
    return CommandRun::Done;
}

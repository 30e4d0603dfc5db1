// Dispatch of the main window's commands through the command list.
#pragma once

// Runs command `id` (a menu item, an accelerator, a picture button or an entry of a popup
// menu). Ids without an action, and commands whose item is disabled, do nothing.
void run_command(unsigned id);

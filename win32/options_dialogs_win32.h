// The version box and the four option dialogs, run from the main window's commands.
#pragma once

// CM_ABOUT: the version box.
void about_command();

// CM_OUTPUT_OPTIONS: on OK the output settings are written; exports, copies and printing read
// them when they run.
void output_options_command();

// CM_COLOURS: on OK the colour settings are written and the window and popup backgrounds and the
// page take the new colours at once.
void colours_command();

// CM_FONTS: on OK the font settings are written and the page is measured and laid out again.
void fonts_command();

// CM_MISC_OPTIONS: on OK the OptionsDiv settings are written.
void misc_options_command();

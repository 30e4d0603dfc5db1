// The main window following its open hypertext on disk: a look on a timer, on activation and
// before each command, and the file read again in place when it was rebuilt.
#pragma once

#include <windows.h>

#include <string>

struct ViewerWindow;

// The timer of the looks (SetTimer's id on the main window).
constexpr UINT_PTR RELOAD_TIMER_ID = 32;

// Gives `window` its follower of the open file (after attach_navigation); it follows each file
// once follow_opened_hypertext is called after opening it.
void attach_file_follower(ViewerWindow& window);

// Right before a hypertext is opened: notes the file's identity as it is then, so that a change
// made while it is being read is still seen afterwards.
void note_opening_hypertext(const std::string& path);
// After it opened: the follower follows it from the identity noted before.
void follow_opened_hypertext();

// Starts the timer of the looks on the main window (once it exists).
void start_following(HWND hwnd);

// One look at the file now: on the timer, on activation, and before a command or link is acted
// on, so that no page is read from a changed file at the old file's offsets.
void look_at_open_file();

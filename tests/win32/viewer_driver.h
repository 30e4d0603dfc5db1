// Drives the viewer started in a Windows test program: its window, messages, keys and pages.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "hyp/document.h"
#include "win32/viewer_window_win32.h"

namespace wintest {

inline HWND window() {
    return viewer_window().hwnd;
}

// Runs the messages waiting, through the accelerators as the message loop does.
inline void pump() {
    ViewerWindow& w = viewer_window();
    for (int round = 0; round < 3; ++round) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!TranslateAcceleratorA(window(), w.accelerators, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        UpdateWindow(window());
    }
}

// Holds or releases modifier keys for GetKeyState (accelerators and the scroll keys read it).
inline void hold_keys(bool shift, bool ctrl) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
}

// A key press as the message loop sees it: WM_KEYDOWN (and the typed character, if any).
inline void press(UINT key, bool shift = false, bool ctrl = false) {
    hold_keys(shift, ctrl);
    PostMessageA(window(), WM_KEYDOWN, key, 1);
    pump();
    hold_keys(false, false);
}

// The main window's caption.
inline std::string title() {
    char text[600] = "";
    GetWindowTextA(window(), text, sizeof(text));
    return text;
}

// The index of the open hypertext's entry of that name; -1 when there is none.
inline int page_named(const char* name) {
    for (std::size_t i = 0; i < document.index.size(); ++i) {
        if (document.index[i].name && *document.index[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace wintest

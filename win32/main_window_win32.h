// The main window's procedure: messages become calls.
#pragma once

#include <windows.h>

// Created with the viewer's ViewerWindow as its creation parameter, which it keeps as its user
// data.
LRESULT CALLBACK main_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// The main window's page on screen: drawn off-screen from the kept page, put on in one transfer.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct PageViewFigures;

// Figures of the page view since the start (the bench reads them).
const PageViewFigures& page_view_figures();

// The performance counter now, and milliseconds between two of its readings: the clock of the
// figures.
LARGE_INTEGER clock_now();
double elapsed_ms(const LARGE_INTEGER& begin, const LARGE_INTEGER& end);

// WM_PAINT of the main window: the paint area is filled with the window's background, the kept
// page (recorded again when its key changed) drawn into it, and the area put on the window.
void paint_page_view(HWND hwnd);

// The next paint records the page again (a page shown anew, a document opened).
void forget_kept_page();

// Releases the kept page and the bitmap (the main window goes).
void release_page_view();

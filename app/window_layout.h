// The main window's layout: where the entry list, the two buttons and the entry panel stand
// for the window's size and its monitor's DPI. The list takes what the window grows by, the
// panel moves down with the list's lower edge; below the size the contents need, the list
// gets shorter down to four lines, and the window grows no smaller than that.
#pragma once

#include <windows.h>

#include "paths/settings_file.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The DPI of the monitor the window is on, or the system's on systems that have only one.
UINT WindowDpi(HWND window);
// The entry list's font for dpi: Tahoma, 15 pixels high at 96 DPI.
HFONT CreateListFont(UINT dpi);
// Measures the controls and the panel (made only to be measured) for dpi. Called at creation
// and whenever the window's DPI changes; the positions follow from it.
void MeasureLayout(HWND window, UINT dpi);
// Puts the list, the buttons and the panel where they belong in the window's client area.
void ArrangeControls(HWND window);
// The smallest window (frame included) in which nothing overlaps and the panel is whole.
SIZE MinimumWindowSize(HWND window);
// The window as wide and high as its contents need, no higher than the monitor's work area
// allows (but never below the smallest size), at its place.
void FitWindowToContents(HWND window);
// The window's frame while it is neither maximised nor minimised, what a later start restores;
// false otherwise.
bool RestorableFrame(HWND window, ScreenRect& frame);
// Puts the window at a remembered frame, moved onto the nearest monitor's work area and
// shrunk to it (not below smallest), so that it can always be seen and grabbed.
void PlaceWindow(HWND window, const ScreenRect& frame, SIZE smallest);

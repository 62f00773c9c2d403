// The about box "AboutBox": fixed texts and one static text that works as a web link.
#pragma once

#include <windows.h>

// The underlined font of the link while a box is open; null otherwise.
extern HFONT AboutLinkFont;
// The link control's own window procedure, to which the link's subclass hands everything
// but the cursor.
extern WNDPROC AboutLinkPreviousProc;

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

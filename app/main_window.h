// The main window: its class, its creation and its window procedure.
#pragma once

#include <windows.h>

extern const wchar_t* const MainWindowClassName; // "Zellora"

bool RegisterMainWindowClass(HINSTANCE instance);
// The main window, 470 pixels wide and as high as the entry panel needs with the system's
// current metrics; creation builds the list, the buttons and the list font and may ask for
// the simulator folder.
HWND CreateMainWindow(HINSTANCE instance, const wchar_t* commandLine);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

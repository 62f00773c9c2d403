// The main window: its class, its creation and its window procedure.
#pragma once

#include <windows.h>

extern const wchar_t* const MainWindowClassName; // "Zellora"

bool RegisterMainWindowClass(HINSTANCE instance);
// The main window, as wide and high as the list, the buttons and the entry panel need with the
// system's metrics and the monitor's DPI, or where and as large as it was when it last closed
// (settings.cfg); creation builds the list, the buttons and the list font, lists the recent
// files in "Datei" and may ask for the simulator folder.
HWND CreateMainWindow(HINSTANCE instance, const wchar_t* commandLine);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// How the window is shown at the start: maximised when it was when it last closed, unless the
// program was started minimised or hidden.
int ShowCommandAtStart(int showCommand);

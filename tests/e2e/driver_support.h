// What the drivers of the end-to-end tests share: texts, finding the editor's windows
// from another process, and pictures of them.
#pragma once

#include <windows.h>

#include <string>

std::string ToUtf8(const std::wstring& text);
std::wstring Text(HWND window);
// The first visible top-level window of the process with that class (and owner, if given),
// waiting up to tenths of a second for it.
HWND WaitForWindow(DWORD process, const wchar_t* className, HWND owner, int tenths = 300);
// The window as it is on the screen, frame and caption included, as a 24-bit bitmap file.
bool SaveScreen(HWND window, const std::wstring& path);

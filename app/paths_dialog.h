// The dialog "Pfade anpassen" (resource 138): sets the simulator folder by browsing or from
// the simulator's install key, stores it in "options.cfg", and shortens the file names of the
// open document against it.
#pragma once

#include <windows.h>

#include <string>

// Lets the user pick a folder; false when none was picked or it is no file-system folder.
bool BrowseForRootFolder(HWND owner, std::u16string& folder);
// The folder named by the value "Paths" of the simulator's install key under
// HKEY_CURRENT_USER; empty when there is no such key or value.
std::u16string FolderFromRegistry();

// lParam: 1 when no simulator folder is known or no document is open, 0 otherwise.
INT_PTR CALLBACK PathsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

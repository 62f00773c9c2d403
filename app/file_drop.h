// Files dropped onto the main window from the file manager.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Files dropped onto the entry list of an open document are added to it as "Hinzufügen" adds
// them, in the order dropped; one file dropped elsewhere is opened. Releases drop.
void OnDropFiles(HWND window, HDROP drop);

// The entry panel: the part of the main window where the user edits the entry selected in
// the entry list. It edits the entries of CurrentDocument in place, field by field, as each
// field loses the focus.
#pragma once

#include <windows.h>

// Creates the panel, hidden, as a child of parent; null when it cannot be created.
HWND CreateEntryPanel(HWND parent);

// True for the panel's edit fields and the edit parts of its combo boxes: there Ctrl+C and
// Ctrl+V copy and paste text instead of entries.
bool IsPanelTextField(HWND window);
